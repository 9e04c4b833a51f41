// Windows from a bundle's layouts: controls, their values and texts, commands, custom classes.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>

#include "platform/quickdraw/QuickDraw.h"
#include "platform/seam/Seam.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/support/ScratchBundle.h"

namespace {

using namespace vantiro::test;
namespace seam = vantiro::seam;

constexpr OSType kSldr = FOUR_CHAR_CODE('S', 'l', 'd', 'r'), kMedi = FOUR_CHAR_CODE('M', 'e', 'd', 'i'),
                 kProp = FOUR_CHAR_CODE('P', 'r', 'o', 'p'), kLgnd = FOUR_CHAR_CODE('L', 'g', 'n', 'd'),
                 kColr = FOUR_CHAR_CODE('C', 'o', 'l', 'r'), kXtra = FOUR_CHAR_CODE('X', 't', 'r', 'a');
constexpr const char* kSwatchClass = "com.tolvane.test.swatch";

// A 400 × 300 window layout holding `widgets`.
std::string Layout(const std::string& widgets) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>w</class><widget class=\"QWidget\" "
         "name=\"w\"><property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect>"
         "</property>" + widgets + "</widget></ui>";
}

// One widget of a layout, with its geometry and dynamic properties.
std::string Widget(const std::string& cls, const std::string& name, int x, int y, int w, int h,
                   const std::string& signature, int id, const std::string& command = "",
                   const std::string& extra = "") {
  std::string xml = "<widget class=\"" + cls + "\" name=\"" + name + "\"><property name=\"geometry\"><rect><x>" +
                    std::to_string(x) + "</x><y>" + std::to_string(y) + "</y><width>" + std::to_string(w) +
                    "</width><height>" + std::to_string(h) + "</height></rect></property>";
  if (!signature.empty())
    xml += "<property name=\"signature\" stdset=\"0\"><string>" + signature +
           "</string></property><property name=\"controlID\" stdset=\"0\"><number>" + std::to_string(id) +
           "</number></property>";
  if (!command.empty()) xml += "<property name=\"command\" stdset=\"0\"><string>" + command + "</string></property>";
  return xml + extra + "</widget>";
}

// Slider Sldr 1 (0..100, at 10); pop-up Medi 1 (three items); check box Prop 1; text
// Lgnd 1; buttons "ok  " and Xtra; a swatch Colr 1 at (20, 200)-(60, 260), range 0..1.
std::string KitchenSinkLayout() {
  const auto text = [](const char* t) { return std::string("<property name=\"text\"><string>") + t + "</string></property>"; };
  const auto item = [&](const char* t) { return "<item>" + text(t) + "</item>"; };
  return Layout(Widget("QSlider", "s", 20, 20, 200, 24, "Sldr", 1, "",
                       "<property name=\"maximum\"><number>100</number></property><property name=\"value\"><number>10"
                       "</number></property><property name=\"orientation\"><enum>Qt::Horizontal</enum></property>") +
                Widget("QComboBox", "m", 20, 60, 120, 26, "Medi", 1, "Medi", item("NTSC") + item("PAL") + item("HD")) +
                Widget("QCheckBox", "p", 20, 100, 160, 24, "Prop", 1, "Prop", text("Keep")) +
                Widget("QLabel", "l", 240, 20, 100, 24, "Lgnd", 1, "", text("10%")) +
                Widget("QPushButton", "ok", 300, 250, 80, 30, "", 0, "ok  ", text("OK")) +
                Widget("QPushButton", "x", 200, 250, 80, 30, "Xtra", 1, "Xtra", text("Extra")) +
                Widget(kSwatchClass, "c", 20, 200, 40, 60, "Colr", 1, "Col1",
                       "<property name=\"minimum\" stdset=\"0\"><number>0</number></property>"
                       "<property name=\"maximum\" stdset=\"0\"><number>1</number></property>"));
}

// What the swatch's handler saw; it paints red at value 1, else blue, and leaves tracking to the toolbox.
struct SwatchLog {
  std::vector<uint32_t> events;
  bool drawnIntoOwnPort = true;
  long count(uint32_t kind) const { return std::count(events.begin(), events.end(), kind); }
} gSwatch;

OSStatus SwatchHandler(EventHandlerCallRef, EventRef event, void*) {
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  gSwatch.events.push_back(GetEventKind(event));
  Rect bounds;
  GetControlBounds(control, &bounds);
  if (GetEventKind(event) != kEventControlDraw) return eventNotHandledErr;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  CGrafPtr port = nullptr;
  GetEventParameter(event, kEventParamGrafPort, typeGrafPtr, nullptr, sizeof port, nullptr, &port);
  gSwatch.drawnIntoOwnPort = gSwatch.drawnIntoOwnPort && port == GetWindowPort(GetControlOwner(control));
  SetPortWindowPort(GetControlOwner(control));
  const RGBColor red{65535, 0, 0}, blue{0, 0, 65535};
  RGBForeColor(GetControl32BitValue(control) == 1 ? &red : &blue);
  PaintRect(&bounds);
  SetPort(saved);
  return noErr;
}

// The pixel of a window's port at (h, v), as bytes alpha, red, green, blue.
std::array<uint8_t, 4> PortPixel(WindowRef window, int h, int v) {
  PixMapHandle pixels = GetPortPixMap(GetWindowPort(window));
  const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pixels)) + v * GetPixRowBytes(pixels) + h * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Logs the commands a handler sees and answers those in `handled`; "ok  " and "not!" end the modal loop.
struct CommandLog {
  std::vector<std::string> seen;
  std::vector<std::string> handled;
  WindowRef window = nullptr;
};

OSStatus LogCommands(EventHandlerCallRef, EventRef event, void* userData) {
  auto* log = static_cast<CommandLog*>(userData);
  HICommand command{};
  GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  const std::string name = CommandID2Str(command.commandID);
  log->seen.push_back(name);
  if (std::find(log->handled.begin(), log->handled.end(), name) == log->handled.end()) return eventNotHandledErr;
  if ((name == "ok  " || name == "not!") && log->window != nullptr) QuitAppModalLoopForWindow(log->window);
  return noErr;
}

const EventTypeSpec kCommandEvents[] = {{kEventClassCommand, kEventCommandProcess}};

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    UsePrivateRuntimeFolder();
    gSwatch = SwatchLog{};
    bundle_.AddWindow("test", "sink", KitchenSinkLayout());
    static const EventTypeSpec kinds[] = {{kEventClassControl, kEventControlDraw},
                                          {kEventClassControl, kEventControlHit},
                                          {kEventClassControl, kEventControlActivate},
                                          {kEventClassControl, kEventControlOwningWindowChanged}};
    RegisterToolboxObjectClass(CFSTR(kSwatchClass), nullptr, 4, kinds, SwatchHandler, nullptr, &swatch_);
    seam::SetStallLimit(20);
  }
  void TearDown() override {
    if (!opened_.empty()) {
      EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), hiObjectClassHasInstancesErr);
    }
    for (WindowRef w : opened_) DisposeWindow(w);
    EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), noErr) << "only once its controls are gone";
    EXPECT_TRUE(seam::Done()) << "every scripted step ran";
    seam::Reset();
    EXPECT_EQ(vantiro::LiveWindowCount(), 0);
  }
  WindowRef Open() { return opened_.emplace_back(OpenNibWindowFromCFBundle(bundle_.identifier().c_str(), "test", "sink")); }
  // Runs the window's modal loop with `log` installed; the steps queued before end with OK.
  void RunModal(WindowRef window, CommandLog* log) {
    seam::Command(kHICommandOK);
    log->window = window;
    InstallWindowEventHandler(window, LogCommands, 1, kCommandEvents, log, nullptr);
    ShowWindow(window);
    SelectWindow(window);
    ASSERT_EQ(RunAppModalLoopForWindow(window), noErr);
  }

  ScratchBundle bundle_{"com.tolvane.test.windows"};
  std::vector<WindowRef> opened_;
  ToolboxObjectClassRef swatch_ = nullptr;
};

TEST_F(Controls, AreFoundBySignatureAndNumberAndHoldValuesClampedToTheirRangesAndMacRomanTexts) {
  WindowRef window = Open();
  ControlRef slider = SimpleGetControlByID(window, kSldr, 1);
  ASSERT_NE(slider, nullptr);
  const Rect box = GetControlBox(SimpleGetControlByID(window, kColr, 1));
  EXPECT_EQ((std::array<int, 4>{box.top, box.left, box.bottom, box.right}), (std::array<int, 4>{200, 20, 260, 60}));
  EXPECT_EQ(ControlText(window, kLgnd, 1), "10%");

  SetControl32BitMinimum(slider, -50);
  SetControl32BitMaximum(slider, 50);
  SetControl32BitMaximum(SimpleGetControlByID(window, kColr, 1), 16777215);
  struct Case {
    OSType control;
    int32_t set, expected;
  };
  for (const Case& c : {Case{kSldr, -20, -20}, {kSldr, 70, 50}, {kSldr, -70, -50}, {kMedi, 2, 2}, {kMedi, 9, 3},
                        {kProp, 1, 1}, {kProp, 0, 0}, {kColr, 0x123456, 0x123456}, {kColr, -1, 0}}) {
    SimpleSetControlValueByID(window, c.control, 1, c.set);
    EXPECT_EQ(SimpleGetControlValueByID(window, c.control, 1), c.expected) << CommandID2Str(c.control) << " " << c.set;
  }
  SimpleSetControlText(window, kLgnd, 1, "Caf\x8E");
  EXPECT_EQ(ControlText(window, kLgnd, 1), "Caf\x8E");
}

TEST_F(Controls, ACustomClassDrawsIntoTheWindowPortWhichTheWindowShows) {
  WindowRef window = Open();
  ASSERT_FALSE(gSwatch.events.empty());
  EXPECT_EQ(gSwatch.events.front(), kEventControlOwningWindowChanged);
  EXPECT_EQ(gSwatch.count(kEventControlDraw), 0) << "nothing draws before the window is shown";
  ShowWindow(window);
  EXPECT_TRUE(gSwatch.drawnIntoOwnPort);
  SimpleSetControlValueByID(window, kColr, 1, 1);
  EXPECT_EQ(PortPixel(window, 59, 259), (std::array<uint8_t, 4>{255, 255, 0, 0})) << "redrawn red at once";
  EXPECT_NE(PortPixel(window, 60, 259), (std::array<uint8_t, 4>{255, 255, 0, 0})) << "and only inside its bounds";
  SimpleHideControl(window, kColr, 1);
  EXPECT_EQ(PortPixel(window, 30, 210), PortPixel(window, 5, 5)) << "hidden, it leaves the background";

  // The window shows what its port holds, in the screen's byte order.
  SimpleShowControl(window, kColr, 1);
  QImage shot;
  seam::Then([&] { shot = seam::ModalScreenshot(); });
  CommandLog log{{}, {"ok  "}};
  RunModal(window, &log);
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.pixelColor(40, 230), QColor(255, 0, 0));
}

// A class without a track handler is highlighted while pressed, and the release point
// decides whether it was hit. The close box cancels.
TEST_F(Controls, CommandsReachTheWindow) {
  WindowRef window = Open();
  ControlPartCode whilePressed = -1, afterwards = -1;
  const auto swatchHilite = [] { return GetControlHilite(SimpleGetControlByID(seam::ModalWindow(), kColr, 1)); };
  seam::ClickControl(kXtra, 1);
  seam::ChoosePopUpItem(kMedi, 1, 2);
  seam::ClickControl(kProp, 1);
  seam::MouseDown(Point{210, 30});
  seam::Then([&] { whilePressed = swatchHilite(); });
  seam::MouseUp(Point{100, 200});  // outside: no hit
  seam::Click(Point{250, 55});     // inside: hit
  seam::Then([&] { afterwards = swatchHilite(); });
  CommandLog log{{}, {"ok  ", "Medi", "Prop", "Col1"}};
  RunModal(window, &log);
  EXPECT_EQ(log.seen, (std::vector<std::string>{"Xtra", "Medi", "Prop", "Col1", "ok  "}));
  EXPECT_EQ(SimpleGetControlValueByID(window, kProp, 1), 1);
  EXPECT_EQ(whilePressed, 1);
  EXPECT_EQ(afterwards, 0);

  seam::CloseBox();
  log.handled = {"not!"};
  RunAppModalLoopForWindow(window);
  EXPECT_EQ(log.seen.back(), "not!");
  EXPECT_TRUE(IsWindowVisible(window)) << "closing asks; the window's owner disposes of it";
}

TEST_F(Controls, AWindowBelowAModalLoopIsInactive) {
  WindowRef below = Open();
  WindowRef above = Open();
  ShowWindow(below);
  ControlPartCode duringLoop = -1;
  seam::Then([&] { duringLoop = GetControlHilite(SimpleGetControlByID(below, kColr, 1)); });
  CommandLog log{{}, {"ok  "}};
  RunModal(above, &log);
  EXPECT_EQ(duringLoop, kControlInactivePart);
  EXPECT_EQ(GetControlHilite(SimpleGetControlByID(below, kColr, 1)), kControlNoPart);
}

// A missing nib or bundle stops with a message; a window that cannot be made ends the
// process silently with the status's low byte (-10962 is ...D52E, -10961 ...D52F,
// -30584 ...8888).
TEST(NibWindows, FailuresStopTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  UsePrivateRuntimeFolder();
  ScratchBundle bundle{"com.tolvane.test.nibs"};
  bundle.AddWindow("broken", "classy", Layout(Widget("com.tolvane.test.unregistered", "c", 0, 0, 50, 50, "Clip", 1)));
  bundle.AddWindow("junk", "notxml", "this is not a layout");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", "nothere", "about"), testing::ExitedWithCode(1),
              "Stop: OpenNibWindow Failed\nUnable to CreateNibReferenceWithCFBundle for "
              "\"com.tolvane.test.nibs/nothere\" as it returned errcode #-10960.\n");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.none", "pelmora", "configHD"), testing::ExitedWithCode(1),
              "Stop: Assertion Failure\nAssertion failed in: Cannot allocate bundle for ID = com.tolvane.test.none\n");
  struct Case {
    const char *nib, *window;
    int status;
    const char* error;  // what a layout reader says, if anything
  };
  for (const Case& c : {Case{"broken", "configXYZ", 0x2E, "^$"}, {"junk", "notxml", 0x2F, "Start tag expected"},
                        {"broken", "classy", 0x88, "^$"}})
    EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", c.nib, c.window), testing::ExitedWithCode(c.status),
                c.error)
        << c.window;
}

}  // namespace
