// The about window: its texts, its modal loop on top of another window, its looks.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "dialog/aboutwindow.h"
#include "model/PluginDefines.h"
#include "platform/seam/Seam.h"
#include "platform/windows/Application.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/dialog/DialogFixture.h"
#include "tests/support/ScratchBundle.h"

namespace {

namespace seam = vantiro::seam;
constexpr OSType kPlug = FOUR_CHAR_CODE('P', 'l', 'u', 'g'), kVers = FOUR_CHAR_CODE('V', 'e', 'r', 's');

class About : public ::testing::Test {
 protected:
  void SetUp() override {
    vantiro::test::UsePrivateRuntimeFolder();
    ASSERT_NE(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), nullptr);
    seam::SetStallLimit(20);
  }
  void TearDown() override {
    EXPECT_TRUE(seam::Done());
    seam::Reset();
    EXPECT_EQ(vantiro::LiveWindowCount(), 0);
  }
};

TEST_F(About, ShowsTheNameAndTheVersionOfThisBuildAndGivesTheCurrentPortBack) {
  GWorldPtr mine = nullptr;
  const Rect bounds{0, 0, 4, 4};
  ASSERT_EQ(NewGWorld(&mine, 32, &bounds, nullptr, nullptr, 0), noErr);
  SetGWorld(mine, nullptr);
  std::vector<std::string> texts;
  QImage shot;
  seam::Then([&] {
    texts = {vantiro::test::ControlText(seam::ModalWindow(), kPlug, 1),
             vantiro::test::ControlText(seam::ModalWindow(), kVers, 1)};
    shot = seam::ModalScreenshot();
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
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Vantiro");
#if defined(__powerpc__) || defined(__ppc__)
  EXPECT_EQ(texts[1], "Version 3.0.0 (PPC Universal)");
#else
  EXPECT_EQ(texts[1], "Version 3.0.0 (i386 Universal)");
#endif
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(360, 170));
  const char* artifacts = std::getenv("VANTIRO_TEST_ARTIFACTS");
  if (artifacts == nullptr) artifacts = VANTIRO_ARTIFACTS_FOLDER;
  const std::string name = vantiro::DisplayAvailable() ? "about-window-x11.png" : "about-window.png";
  EXPECT_TRUE(shot.save(QString::fromStdString((std::filesystem::path(artifacts) / name).string())));
}

// The about window over the settings dialog.
class AboutOverADialog : public vantiro::test::DialogTest {};

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

TEST_F(AboutOverADialog, TheAboutWindowAndAnAlertOverItAreDialogsOfTheWindowBelow) {
  if (!vantiro::DisplayAvailable()) GTEST_SKIP() << "needs an X server: dialogs_under_xvfb";
  QWidget* below = nullptr;
  std::string aboutHints, alertHints, ownedByAbout;
  std::string belowHints, ownedByBelow;
  seam::Then([&] {
    below = vantiro::InnermostModalWidget();
    belowHints = WindowManagerHints(below);
    ownedByBelow = TransientFor(below);
  });
  seam::Command(FOUR_CHAR_CODE('I', 'n', 'f', 'o'));
  seam::Then([&] {
    QWidget* about = vantiro::InnermostModalWidget();
    aboutHints = WindowManagerHints(about);
    ownedByAbout = TransientFor(about);
    Notify("A notice over the about window");
  });
  seam::Then([&] { alertHints = WindowManagerHints(vantiro::InnermostModalWidget()); });
  seam::PressAlertButton(1);
  seam::Key(Qt::Key_Return);
  seam::Key(Qt::Key_Escape);  // the settings dialog
  RunDialog();
  ASSERT_NE(below, nullptr);
  const auto says = [](const std::string& hints, const std::string& what) {
    return hints.find(what) != std::string::npos ? ::testing::AssertionSuccess()
                                                 : ::testing::AssertionFailure() << hints << "lacks " << what;
  };
  EXPECT_TRUE(says(belowHints, "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(says(aboutHints, "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(says(aboutHints, ownedByBelow));
  EXPECT_TRUE(says(alertHints, ownedByAbout));
}

}  // namespace
