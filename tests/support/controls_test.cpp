// Controls found by signature and number, their values, ranges and texts; commands;
// custom control classes; modal loops driven through the test seam.
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

// What the swatch class's handler saw. It paints its bounds red at value 1, else blue;
// answers part 1 inside its bounds; tracks the mouse until the release when asked to.
struct SwatchLog {
  std::vector<uint32_t> events;
  std::vector<Point> points;
  std::vector<MouseTrackingResult> results;
  uint32_t trackModifiers = 0;
  bool handleTrack = true;
  bool drawnIntoOwnPort = true;
  long count(uint32_t kind) const { return std::count(events.begin(), events.end(), kind); }
} gSwatch;

OSStatus SwatchHandler(EventHandlerCallRef, EventRef event, void*) {
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  gSwatch.events.push_back(GetEventKind(event));
  Rect bounds;
  GetControlBounds(control, &bounds);
  switch (GetEventKind(event)) {
    case kEventControlDraw: {
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
    case kEventControlHitTest: {
      Point where{};
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
      const ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
      SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      return noErr;
    }
    case kEventControlTrack: {
      if (!gSwatch.handleTrack) return eventNotHandledErr;
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(uint32_t), nullptr,
                        &gSwatch.trackModifiers);
      MouseTrackingResult result = kMouseTrackingMouseDragged;
      while (result == kMouseTrackingMouseDragged) {
        Point where{};
        if (TrackMouseLocation(nullptr, &where, &result) != noErr) break;
        gSwatch.points.push_back(where);
        gSwatch.results.push_back(result);
      }
      return noErr;
    }
    default:
      return eventNotHandledErr;
  }
}

// The pixel of a window's port at (h, v), as bytes alpha, red, green, blue.
std::array<uint8_t, 4> PortPixel(WindowRef window, int h, int v) {
  PixMapHandle pixels = GetPortPixMap(GetWindowPort(window));
  const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pixels)) + v * GetPixRowBytes(pixels) + h * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Records the commands a target's handler sees; answers those in `handled`, ending the
// window's modal loop on "ok  " and "not!".
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
                                          {kEventClassControl, kEventControlHitTest},
                                          {kEventClassControl, kEventControlHit},
                                          {kEventClassControl, kEventControlTrack},
                                          {kEventClassControl, kEventControlActivate},
                                          {kEventClassControl, kEventControlOwningWindowChanged}};
    RegisterToolboxObjectClass(CFSTR(kSwatchClass), nullptr, 6, kinds, SwatchHandler, nullptr, &swatch_);
    seam::SetStallLimit(20);
  }
  void TearDown() override {
    for (WindowRef w : opened_) DisposeWindow(w);
    if (swatch_ != nullptr) {
      EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), noErr);
    }
    EXPECT_TRUE(seam::Done()) << "every scripted step ran";
    seam::Reset();
    EXPECT_EQ(vantiro::LiveWindowCount(), 0);
  }
  WindowRef Open() { return opened_.emplace_back(OpenNibWindowFromCFBundle(bundle_.identifier().c_str(), "test", "sink")); }
  // Shows the window with a command log installed and runs its modal loop; the steps
  // queued before end with OK.
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
  EXPECT_EQ(GetControlOwner(slider), window);
  EXPECT_EQ(SimpleGetControlByID(window, kSldr, 2), nullptr);
  const Rect box = GetControlBox(SimpleGetControlByID(window, kColr, 1));
  EXPECT_EQ((std::array<int, 4>{box.top, box.left, box.bottom, box.right}), (std::array<int, 4>{200, 20, 260, 60}));
  uint32_t command = 0;
  GetControlCommandID(SimpleGetControlByID(window, kMedi, 1), &command);
  EXPECT_EQ(CommandID2Str(command), "Medi");

  SimpleSetControlText(window, kLgnd, 7, "gone");
  SimpleHideControl(window, kLgnd, 7);
  SimpleSetControlValueByID(window, kSldr, 9, 50);
  EXPECT_EQ(SimpleGetControlValueByID(window, kSldr, 9), 0);
  EXPECT_EQ(ControlText(window, kLgnd, 1), "10%") << "the existing text is untouched";
  EXPECT_TRUE(IsControlVisible(SimpleGetControlByID(window, kLgnd, 1)));

  // Values are clamped to the range of each kind; texts are Mac Roman.
  SetControl32BitMinimum(slider, -50);
  SetControl32BitMaximum(slider, 50);
  SetControl32BitMaximum(SimpleGetControlByID(window, kColr, 1), 16777215);
  EXPECT_EQ(GetControl32BitMaximum(SimpleGetControlByID(window, kMedi, 1)), 3) << "pop-up menus count from 1";
  struct Case {
    OSType control;
    int32_t set, expected;
  };
  for (const Case& c : {Case{kSldr, -20, -20}, {kSldr, 70, 50}, {kSldr, -70, -50}, {kMedi, 9, 3}, {kProp, 1, 1},
                        {kProp, 0, 0}, {kColr, 0x123456, 0x123456}, {kColr, -1, 0}}) {
    SimpleSetControlValueByID(window, c.control, 1, c.set);
    EXPECT_EQ(SimpleGetControlValueByID(window, c.control, 1), c.expected) << CommandID2Str(c.control) << " " << c.set;
  }
  SetControlReference(slider, 0x7FFF12345678);
  EXPECT_EQ(GetControlReference(slider), 0x7FFF12345678);
  for (const char* text : {"-20%", "Caf\x8E", ""}) {
    SimpleSetControlText(window, kLgnd, 1, text);
    EXPECT_EQ(ControlText(window, kLgnd, 1), text);
  }
  EXPECT_EQ(SetControlData(slider, 0, kControlStaticTextTextTag, 1, "x"), errDataNotSupported);
  SimpleHideControl(window, kLgnd, 1);
  EXPECT_FALSE(IsControlVisible(SimpleGetControlByID(window, kLgnd, 1)));
  SimpleShowControl(window, kLgnd, 1);
  EXPECT_TRUE(IsControlVisible(SimpleGetControlByID(window, kLgnd, 1)));
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
  const long draws = gSwatch.count(kEventControlDraw);
  SimpleSetControlValueByID(window, kColr, 1, 1);
  EXPECT_EQ(gSwatch.count(kEventControlDraw), draws) << "the same value draws nothing";
  Draw1Control(SimpleGetControlByID(window, kColr, 1));
  EXPECT_EQ(gSwatch.count(kEventControlDraw), draws + 1);
  SimpleHideControl(window, kColr, 1);
  EXPECT_EQ(PortPixel(window, 30, 210), PortPixel(window, 5, 5)) << "hidden, it leaves the background";
  SimpleShowControl(window, kColr, 1);

  // Drawing anywhere in the port shows in the window.
  SetPortWindowPort(window);
  const RGBColor green{0, 65535, 0};
  RGBForeColor(&green);
  const Rect corner{280, 380, 300, 400};
  PaintRect(&corner);
  QImage shot;
  seam::Then([&] { shot = seam::ModalScreenshot(); });
  CommandLog log{{}, {"ok  "}};
  RunModal(window, &log);
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.pixelColor(390, 290), QColor(0, 255, 0));
  EXPECT_EQ(shot.pixelColor(40, 230), QColor(255, 0, 0));
}

TEST_F(Controls, AClassCanBeUnregisteredOnlyWithoutControlsAndThenLayoutsNamingItFail) {
  ToolboxObjectClassRef again = nullptr;
  EXPECT_EQ(RegisterToolboxObjectClass(CFSTR(kSwatchClass), nullptr, 0, nullptr, SwatchHandler, nullptr, &again),
            hiObjectClassExistsErr);
  WindowRef window = Open();
  EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), hiObjectClassHasInstancesErr);
  DisposeWindow(window);
  opened_.clear();
  EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), noErr);
  swatch_ = nullptr;
  IBNibRef nib = nullptr;
  ASSERT_EQ(CreateNibReferenceWithCFBundle(bundle_.bundle(), CFSTR("test"), &nib), noErr);
  WindowRef none = nullptr;
  EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("sink"), &none), errUnknownControl);
  DisposeNibReference(nib);
}

OSStatus PassOnExplicitly(EventHandlerCallRef next, EventRef event, void* userData) {
  static_cast<std::vector<std::string>*>(userData)->push_back("outer");
  return CallNextEventHandler(next, event);
}

// Unhandled commands fall through to the application; newer handlers come first and
// may call the next one themselves; a removed one hears nothing.
TEST_F(Controls, CommandsReachTheWindowAndUnhandledOnesFallThroughToTheApplication) {
  WindowRef window = Open();
  CommandLog application{{}, {"Xtra"}};
  EventHandlerRef appHandler = nullptr;
  InstallEventHandler(GetApplicationEventTarget(), LogCommands, 1, kCommandEvents, &application, &appHandler);
  seam::ClickControl(kXtra, 1);
  seam::ChoosePopUpItem(kMedi, 1, 2);
  seam::ClickControl(kProp, 1);
  seam::Command(FOUR_CHAR_CODE('W', 'h', 'a', 't'));
  seam::ClickControl(kColr, 1);
  CommandLog log{{}, {"ok  ", "Medi", "Prop", "Col1"}};
  RunModal(window, &log);
  RemoveEventHandler(appHandler);
  EXPECT_EQ(log.seen, (std::vector<std::string>{"Xtra", "Medi", "Prop", "What", "Col1", "ok  "}));
  EXPECT_EQ(application.seen, (std::vector<std::string>{"Xtra", "What"})) << "only what the window declined";
  EXPECT_EQ(SimpleGetControlValueByID(window, kMedi, 1), 2);
  EXPECT_EQ(SimpleGetControlValueByID(window, kProp, 1), 1);

  std::vector<std::string> order;
  EventHandlerRef newer = nullptr;
  InstallWindowEventHandler(window, PassOnExplicitly, 1, kCommandEvents, &order, &newer);
  EXPECT_EQ(VantiroSendWindowCommand(window, kMedi), noErr);
  EXPECT_EQ(order, std::vector<std::string>{"outer"});
  EXPECT_EQ(log.seen.back(), "Medi") << "the older handler, called by the newer";
  RemoveEventHandler(newer);
  EXPECT_EQ(VantiroSendWindowCommand(window, FOUR_CHAR_CODE('N', 'o', 'n', 'e')), eventNotHandledErr);
  EXPECT_EQ(order.size(), 1u) << "a removed handler hears nothing";
}

TEST_F(Controls, AModalLoopEndsFromInsideAHandlerAndEscapeOrTheCloseBoxCancel) {
  WindowRef window = Open();
  seam::Key(Qt::Key_Escape);
  CommandLog log{{}, {"not!"}, window};
  InstallWindowEventHandler(window, LogCommands, 1, kCommandEvents, &log, nullptr);
  ShowWindow(window);
  RunAppModalLoopForWindow(window);
  EXPECT_EQ(log.seen, std::vector<std::string>{"not!"});
  EXPECT_EQ(QuitAppModalLoopForWindow(window), paramErr) << "no loop runs any more";

  seam::CloseBox();
  RunAppModalLoopForWindow(window);
  EXPECT_EQ(log.seen, (std::vector<std::string>{"not!", "not!"}));
  EXPECT_TRUE(IsWindowVisible(window)) << "closing asks; the window's owner disposes of it";
}

TEST_F(Controls, ACustomControlIsTrackedInWindowCoordinatesOrElseTheReleasePointDecides) {
  WindowRef window = Open();
  seam::MouseDown(Point{210, 30}, shiftKey);
  seam::MouseDrag(Point{230, 45});
  seam::MouseDrag(Point{5, 300});
  seam::MouseUp(Point{220, 50});
  // Without a track handler the part is highlighted while pressed and counts only if
  // the mouse is released over it.
  ControlPartCode whilePressed = -1, afterwards = -1;
  seam::Then([&] { gSwatch.handleTrack = false; });
  seam::MouseDown(Point{210, 30});
  seam::Then([&] { whilePressed = GetControlHilite(SimpleGetControlByID(seam::ModalWindow(), kColr, 1)); });
  seam::MouseUp(Point{100, 200});  // outside: no hit
  seam::Click(Point{250, 55});     // inside: hit
  seam::Then([&] { afterwards = GetControlHilite(SimpleGetControlByID(seam::ModalWindow(), kColr, 1)); });
  CommandLog log{{}, {"ok  ", "Col1"}};
  RunModal(window, &log);

  ASSERT_EQ(gSwatch.points.size(), 3u);
  EXPECT_EQ(gSwatch.points[0].h, 45);
  EXPECT_EQ(gSwatch.points[0].v, 230);
  EXPECT_EQ(gSwatch.points[1].h, 300) << "reports from outside the control come too";
  EXPECT_EQ(gSwatch.results, (std::vector<MouseTrackingResult>{kMouseTrackingMouseDragged, kMouseTrackingMouseDragged,
                                                               kMouseTrackingMouseUp}));
  EXPECT_EQ(gSwatch.trackModifiers, static_cast<uint32_t>(shiftKey));
  EXPECT_EQ(whilePressed, 1);
  EXPECT_EQ(afterwards, 0);
  EXPECT_EQ(log.seen, (std::vector<std::string>{"Col1", "Col1", "ok  "})) << "an unhandled hit sends the command";
}

std::vector<std::pair<int32_t, ControlPartCode>> gActions;
void RecordAction(ControlRef control, ControlPartCode part) { gActions.emplace_back(GetControl32BitValue(control), part); }

TEST_F(Controls, SlidersCallTheirActionProcedureWhileTheThumbMovesButNotForValuesSetByCode) {
  WindowRef window = Open();
  gActions.clear();
  SetControlAction(SimpleGetControlByID(window, kSldr, 1), NewControlActionUPP(RecordAction));
  SimpleSetControlValueByID(window, kSldr, 1, 30);
  EXPECT_TRUE(gActions.empty());
  seam::DragSlider(kSldr, 1, 80);
  CommandLog log{{}, {"ok  "}};
  RunModal(window, &log);
  ASSERT_GE(gActions.size(), 2u) << "called at every step of the drag";
  EXPECT_GT(gActions.front().first, 30);
  EXPECT_LT(gActions.front().first, 80);
  EXPECT_EQ(gActions.back().first, 80);
  for (const auto& [value, part] : gActions) EXPECT_EQ(part, kControlIndicatorPart);
}

TEST_F(Controls, AWindowBelowAModalLoopIsInactiveAndHearsWhenItIsActiveAgain) {
  WindowRef below = Open();
  WindowRef above = Open();
  ShowWindow(below);
  ControlPartCode duringLoop = -1;
  long activationsBefore = 0;
  seam::Then([&] {
    duringLoop = GetControlHilite(SimpleGetControlByID(below, kColr, 1));
    activationsBefore = gSwatch.count(kEventControlActivate);
  });
  CommandLog log{{}, {"ok  "}};
  RunModal(above, &log);
  EXPECT_EQ(duringLoop, kControlInactivePart);
  EXPECT_EQ(GetControlHilite(SimpleGetControlByID(below, kColr, 1)), kControlNoPart);
  EXPECT_GT(gSwatch.count(kEventControlActivate), activationsBefore);
}

}  // namespace
