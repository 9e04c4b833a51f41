// Controls found by signature and number, their values, ranges and texts; commands;
// custom control classes; modal loops driven through the test seam.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/quickdraw/QuickDraw.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/support/WindowFixture.h"

namespace {

using namespace vantiro::test;
namespace seam = vantiro::seam;

constexpr OSType kSldr = FOUR_CHAR_CODE('S', 'l', 'd', 'r');
constexpr OSType kMedi = FOUR_CHAR_CODE('M', 'e', 'd', 'i');
constexpr OSType kProp = FOUR_CHAR_CODE('P', 'r', 'o', 'p');
constexpr OSType kLgnd = FOUR_CHAR_CODE('L', 'g', 'n', 'd');
constexpr OSType kColr = FOUR_CHAR_CODE('C', 'o', 'l', 'r');
constexpr OSType kXtra = FOUR_CHAR_CODE('X', 't', 'r', 'a');


// The pixel of a window's port at (h, v), as bytes alpha, red, green, blue.
std::array<uint8_t, 4> PortPixel(WindowRef window, int h, int v) {
  PixMapHandle pixels = GetPortPixMap(GetWindowPort(window));
  const auto* row = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pixels)) + v * GetPixRowBytes(pixels);
  return {row[h * 4], row[h * 4 + 1], row[h * 4 + 2], row[h * 4 + 3]};
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

class Controls : public WindowTest {
 protected:
  // Shows the window with a command log installed and runs its modal loop.
  void RunModal(WindowRef window, CommandLog* log) {
    log->window = window;
    InstallWindowEventHandler(window, LogCommands, 1, kCommandEvents, log, nullptr);
    ShowWindow(window);
    SelectWindow(window);
    ASSERT_EQ(RunAppModalLoopForWindow(window), noErr);
  }
};

TEST_F(Controls, AreFoundBySignatureAndNumberAndMissingOnesAreIgnored) {
  WindowRef window = Open();
  ControlRef slider = SimpleGetControlByID(window, kSldr, 1);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(GetControlOwner(slider), window);
  EXPECT_EQ(SimpleGetControlByID(window, kSldr, 2), nullptr);
  EXPECT_EQ(SimpleGetControlByID(window, FOUR_CHAR_CODE('N', 'o', 'n', 'e'), 1), nullptr);
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
}

TEST_F(Controls, ValuesAreClampedToRangesOfEachKindAndTextsAreMacRoman) {
  WindowRef window = Open();
  ControlRef slider = SimpleGetControlByID(window, kSldr, 1);
  SetControl32BitMinimum(slider, -50);
  SetControl32BitMaximum(slider, 50);
  EXPECT_EQ(GetControl32BitMinimum(slider), -50);
  SetControl32BitMaximum(SimpleGetControlByID(window, kColr, 1), 16777215);
  EXPECT_EQ(GetControl32BitMaximum(SimpleGetControlByID(window, kMedi, 1)), 3) << "pop-up menus count from 1";
  struct Case {
    OSType control;
    int32_t set, expected;
  };
  for (const Case& c : {Case{kSldr, -20, -20}, {kSldr, 70, 50}, {kMedi, 3, 3}, {kMedi, 9, 3}, {kProp, 1, 1},
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
  EXPECT_EQ(std::count(gSwatch.events.begin(), gSwatch.events.end(), kEventControlDraw), 0)
      << "nothing draws before the window is shown";
  ShowWindow(window);
  EXPECT_TRUE(gSwatch.drawnIntoOwnPort);
  SimpleSetControlValueByID(window, kColr, 1, 1);
  EXPECT_EQ(PortPixel(window, 59, 259), (std::array<uint8_t, 4>{255, 255, 0, 0})) << "redrawn red at once";
  EXPECT_NE(PortPixel(window, 60, 259), (std::array<uint8_t, 4>{255, 255, 0, 0})) << "and only inside its bounds";
  const auto draws = std::count(gSwatch.events.begin(), gSwatch.events.end(), kEventControlDraw);
  SimpleSetControlValueByID(window, kColr, 1, 1);
  EXPECT_EQ(std::count(gSwatch.events.begin(), gSwatch.events.end(), kEventControlDraw), draws)
      << "the same value draws nothing";
  Draw1Control(SimpleGetControlByID(window, kColr, 1));
  EXPECT_EQ(std::count(gSwatch.events.begin(), gSwatch.events.end(), kEventControlDraw), draws + 1);
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
  seam::Command(kHICommandOK);
  CommandLog log{{}, {"ok  "}, nullptr};
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

TEST_F(Controls, CommandsReachTheWindowAndUnhandledOnesFallThroughToTheApplication) {
  WindowRef window = Open();
  CommandLog application{{}, {"Xtra"}, nullptr};
  EventHandlerRef appHandler = nullptr;
  InstallEventHandler(GetApplicationEventTarget(), LogCommands, 1, kCommandEvents, &application, &appHandler);
  seam::ClickControl(kXtra, 1);
  seam::ChoosePopUpItem(kMedi, 1, 2);
  seam::ClickControl(kProp, 1);
  seam::Command(FOUR_CHAR_CODE('W', 'h', 'a', 't'));
  seam::ClickControl(kColr, 1);
  seam::Command(kHICommandOK);
  CommandLog log{{}, {"ok  ", "Medi", "Prop", "Col1"}, nullptr};
  RunModal(window, &log);
  RemoveEventHandler(appHandler);

  EXPECT_EQ(log.seen, (std::vector<std::string>{"Xtra", "Medi", "Prop", "What", "Col1", "ok  "}));
  EXPECT_EQ(application.seen, (std::vector<std::string>{"Xtra", "What"})) << "only what the window declined";
  EXPECT_EQ(SimpleGetControlValueByID(window, kMedi, 1), 2);
  EXPECT_EQ(SimpleGetControlValueByID(window, kProp, 1), 1);
}

OSStatus PassOnExplicitly(EventHandlerCallRef next, EventRef event, void* userData) {
  static_cast<std::vector<std::string>*>(userData)->push_back("outer");
  return CallNextEventHandler(next, event);
}

TEST_F(Controls, NewerHandlersComeFirstAndCanCallTheNextOneThemselves) {
  WindowRef window = Open();
  CommandLog older{{}, {"Xtra"}, nullptr};
  InstallWindowEventHandler(window, LogCommands, 1, kCommandEvents, &older, nullptr);
  std::vector<std::string> order;
  EventHandlerRef newer = nullptr;
  InstallWindowEventHandler(window, PassOnExplicitly, 1, kCommandEvents, &order, &newer);
  EXPECT_EQ(VantiroSendWindowCommand(window, kXtra), noErr);
  EXPECT_EQ(order, std::vector<std::string>{"outer"});
  EXPECT_EQ(older.seen, std::vector<std::string>{"Xtra"});
  RemoveEventHandler(newer);
  EXPECT_EQ(VantiroSendWindowCommand(window, FOUR_CHAR_CODE('N', 'o', 'n', 'e')), eventNotHandledErr);
  EXPECT_EQ(order.size(), 1u) << "a removed handler hears nothing";
}

TEST_F(Controls, AModalLoopEndsFromInsideAHandlerAndEscapeOrTheCloseBoxCancel) {
  WindowRef window = Open();
  seam::Key(Qt::Key_Escape);
  CommandLog log{{}, {"not!"}, nullptr};
  RunModal(window, &log);
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
  seam::Command(kHICommandOK);
  CommandLog log{{}, {"ok  ", "Col1"}, nullptr};
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
void RecordAction(ControlRef control, ControlPartCode part) {
  gActions.emplace_back(GetControl32BitValue(control), part);
}

TEST_F(Controls, SlidersCallTheirActionProcedureWhileTheThumbMovesButNotForValuesSetByCode) {
  WindowRef window = Open();
  gActions.clear();
  SetControlAction(SimpleGetControlByID(window, kSldr, 1), NewControlActionUPP(RecordAction));
  SimpleSetControlValueByID(window, kSldr, 1, 30);
  EXPECT_TRUE(gActions.empty());
  seam::DragSlider(kSldr, 1, 80);
  seam::Command(kHICommandOK);
  CommandLog log{{}, {"ok  "}, nullptr};
  RunModal(window, &log);
  ASSERT_GE(gActions.size(), 2u) << "called at every step of the drag";
  EXPECT_GT(gActions.front().first, 30);
  EXPECT_LT(gActions.front().first, 80);
  EXPECT_EQ(gActions.back().first, 80);
  for (const auto& [value, part] : gActions) EXPECT_EQ(part, kControlIndicatorPart);
  EXPECT_EQ(SimpleGetControlValueByID(window, kSldr, 1), 80);
}

TEST_F(Controls, AWindowBelowAModalLoopIsInactiveAndHearsWhenItIsActiveAgain) {
  WindowRef below = Open();
  WindowRef above = Open();
  ShowWindow(below);
  ControlPartCode duringLoop = -1;
  std::size_t eventsBefore = 0;
  seam::Then([&] {
    duringLoop = GetControlHilite(SimpleGetControlByID(below, kColr, 1));
    eventsBefore = gSwatch.events.size();
  });
  seam::Command(kHICommandOK);
  CommandLog log{{}, {"ok  "}, nullptr};
  RunModal(above, &log);
  EXPECT_EQ(duringLoop, kControlInactivePart);
  EXPECT_EQ(GetControlHilite(SimpleGetControlByID(below, kColr, 1)), kControlNoPart);
  ASSERT_GT(gSwatch.events.size(), eventsBefore);
  EXPECT_NE(std::find(gSwatch.events.begin() + static_cast<long>(eventsBefore), gSwatch.events.end(),
                      kEventControlActivate),
            gSwatch.events.end());
}

}  // namespace
