// The about window: its texts and looks, and over the settings dialog, whose owner a
// window manager must know.
#include <QWidget>
#include <cstdio>

#include "dialog/aboutwindow.h"
#include "dialog/dlgUtils.h"
#include "platform/windows/Application.h"
#include "platform/windows/MacWindows.h"
#include "support/commonprocs.h"
#include "tests/dialog/DialogFixture.h"

namespace vantiro::test {
namespace {

constexpr OSType kPlug = FOUR_CHAR_CODE('P', 'l', 'u', 'g'), kVers = FOUR_CHAR_CODE('V', 'e', 'r', 's');

using About = DialogTest;

TEST_F(About, ShowsTheNameAndTheVersionOfThisBuildAndGivesTheCurrentPortBack) {
  GWorldPtr mine = nullptr;
  const Rect bounds{0, 0, 4, 4};
  ASSERT_EQ(NewGWorld(&mine, 32, &bounds, nullptr, nullptr, 0), noErr);
  SetGWorld(mine, nullptr);
  std::string texts;
  QImage shot;
  seam::Then([&] {
    texts = TextOf(kPlug, 1) + "|" + TextOf(kVers, 1);
    shot = Screenshot("about-window.png");
  });
  seam::Key(Qt::Key_Return);  // the default button, OK
  ShowAbout();
  seam::Key(Qt::Key_Escape);  // Cancel closes it too
  ShowAbout();
  GrafPtr now = nullptr;
  GetPort(&now);
  EXPECT_EQ(now, mine);
  SetGWorld(nullptr, nullptr);
  DisposeGWorld(mine);
  EXPECT_EQ(texts, "Vantiro|Version 3.0.0 (i386 Universal)");
  EXPECT_EQ(shot.size(), QSize(360, 170));
}

// What xprop says of a window's type and owner.
std::string WindowManagerHints(QWidget* top) {
  const std::string command = "xprop -id " + std::to_string(top->winId()) + " WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
  }
  return out;
}

std::string TransientFor(QWidget* owner) {
  return "WM_TRANSIENT_FOR(WINDOW): window id # 0x" + QString::number(owner->winId(), 16).toStdString();
}

// Info leaves the dialog as it was; on a desktop the about window and an alert over it
// are dialogs of the window below.
TEST_F(About, OverTheSettingsDialog) {
  const bool x11 = DisplayAvailable();
  struct Seen {
    std::string hints, owns;
  } below, about, alert;
  const auto look = [x11](Seen& seen) {
    if (x11) seen = {WindowManagerHints(InnermostModalWidget()), TransientFor(InnermostModalWidget())};
  };
  std::string name;
  int32_t dragged = 0;
  seam::DragSlider(kSigSldr, 1, 30);
  seam::Then([&] {
    dragged = ValueOf(kSigSldr, 1);
    look(below);
  });
  seam::Command(FOUR_CHAR_CODE('I', 'n', 'f', 'o'));
  seam::Then([&] {
    name = TextOf(kPlug, 1);
    look(about);
  });
  if (x11) {
    seam::Then([] { Notify("A notice over the about window"); });
    seam::Then([&] { look(alert); });
    seam::PressAlertButton(1);
  }
  seam::Key(Qt::Key_Return);
  seam::Then([&] { EXPECT_EQ(ValueOf(kSigSldr, 1), dragged); });
  seam::Key(Qt::Key_Escape);  // the dialog's own loop again
  RunDialog();
  EXPECT_EQ(name, "Vantiro");
  if (!x11) GTEST_SKIP() << "window types need an X server: dialogs_under_xvfb";
  const auto says = [](const std::string& hints, const std::string& what) {
    return hints.find(what) != std::string::npos ? ::testing::AssertionSuccess()
                                                 : ::testing::AssertionFailure() << hints << "lacks " << what;
  };
  EXPECT_TRUE(says(below.hints, "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(says(about.hints, "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(says(about.hints, below.owns));
  EXPECT_TRUE(says(alert.hints, about.owns));
}

}  // namespace
}  // namespace vantiro::test
