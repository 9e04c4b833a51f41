// The settings dialog's controller, driven through its window: OK and Cancel, the format,
// reset, whole frame, help, pictures, and the about window over it.
#include <QWidget>
#include <array>
#include <cstdio>
#include <filesystem>

#include "dialog/configdlghandler.h"
#include "dialog/dlgUtils.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/alerts/Alerts.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/windows/Application.h"
#include "platform/windows/MacWindows.h"
#include "support/EasyFile.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/dialog/DialogFixture.h"

namespace vantiro::test {
namespace {

constexpr uint32_t Cmd(const char (&c)[5]) { return FOUR_CHAR_CODE(c[0], c[1], c[2], c[3]); }

std::vector<AlertContent> gAlerts;
int16_t RecordAlert(const AlertContent& alert) {
  gAlerts.push_back(alert);
  return 1;
}

CGImageRef LoadPicture(const std::filesystem::path& path) {
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR(path.c_str()));
  CGImageRef image = GetCGImageFromURLUsingCG(url);
  CFRelease(url);
  return image;
}

class Controller : public DialogTest {
 protected:
  // The frame editor's size tells the windows apart.
  void ExpectWindowOfFormat(int width, const char* why) {
    seam::Then([=] {
      const Rect r = BoundsOf(kSigClip, 1);
      EXPECT_EQ((r.right - r.left) * 1000 + r.bottom - r.top, width * 1000 + 360) << why;
    });
  }
};

TEST_F(Controller, AFormatChangeReopensWithTheEditsAndCancelThenRestoresTheRecordByteForByte) {
  config->mediaType = 7;
  config->startRel = relRect{0.1, 0.7, 0.2, 0.9};
  config->sliders[0] = 10, config->sliders[1] = -20, config->sliders[4] = 9;
  config->keepProps = true;
  SaveConfig(config);
  const auto before = Bytes(config);
  const auto savedBefore = Saved();

  WindowRef first = nullptr, second = nullptr;
  int32_t dragged = 0;
  ExpectWindowOfFormat(540, "any format outside the menu is NTSC");
  seam::Then([&] { first = seam::ModalWindow(); });
  seam::Command(Cmd("Rset"));
  seam::DragSlider(kSigSldr, 1, 30);
  seam::Then([&] { dragged = ValueOf(kSigSldr, 1); });
  seam::Command(Cmd("Adva"));
  seam::ChoosePopUpItem(kSigMedi, 1, 2);
  ExpectWindowOfFormat(450, "PAL, 5:4");
  seam::Then([&] {
    second = seam::ModalWindow();
    EXPECT_EQ(ValueOf(kSigSldr, 1), dragged);
    EXPECT_EQ(TextOf(kSigLgnd, 1), std::to_string(dragged) + "%");
    EXPECT_EQ(ValueOf(kSigMedi, 1), 2);
    EXPECT_EQ(TextOf(kSigClpM, 1), "1/9") << "the clip position survives";
  });
  seam::ChoosePopUpItem(kSigMedi, 1, 2);  // the format it already has
  seam::Then([&] { EXPECT_EQ(seam::ModalWindow(), second) << "choosing the same format reopens nothing"; });
  seam::Command(Cmd("Sall"));
  seam::ChoosePopUpItem(kSigMedi, 1, 3);
  ExpectWindowOfFormat(640, "the HD window");
  seam::Then([&] { EXPECT_NE(Bytes(config), before) << "the edits reached the record"; });
  seam::Key(Qt::Key_Escape);
  RunDialog();
  EXPECT_NE(first, second);
  EXPECT_EQ(Bytes(config), before);
  EXPECT_EQ(Saved(), savedBefore) << "Cancel saves nothing";
}

TEST_F(Controller, TheMouseWheelOverAPopUpChangesNeitherItNorTheWindow) {
  config->blendMode = 2;
  WindowRef opened = nullptr;
  seam::Then([&] {
    opened = seam::ModalWindow();
    for (OSType popUp : {kSigMedi, kSigBlnd}) {
      const Rect r = BoundsOf(popUp, 1);
      const Point centre{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
      for (int notch : {-120, 120, 120, -120}) Wheel(centre, notch);
    }
  });
  seam::Then([&] {
    EXPECT_EQ(seam::ModalWindow(), opened) << "no other format's window";
    EXPECT_EQ(ValueOf(kSigMedi, 1) * 10 + ValueOf(kSigBlnd, 1), kMediaNTSC * 10 + 2);
  });
  seam::Key(Qt::Key_Return);
  RunDialog();
  EXPECT_EQ(config->mediaType, kMediaNTSC);
  EXPECT_EQ(config->blendMode, 2);
}

TEST_F(Controller, ReturnPressesTheButtonWithTheFocusAndOtherwiseOkWhichSaves) {
  const auto before = Bytes(config);
  seam::DragSlider(kSigSldr, 1, 40);
  seam::Then([&] { ASSERT_TRUE(TabTo(Rect{474, 696, 504, 776})); });  // Cancel
  seam::Key(Qt::Key_Return);
  RunDialog();
  EXPECT_EQ(Bytes(config), before) << "Cancel had the focus";
  EXPECT_FALSE(Saved().has_value());

  ExpectWindowOfFormat(540, "NTSC, 3:2");
  config->startRel = relRect{0.3, 0.4, 0.5, 0.6};
  seam::DragSlider(kSigSldr, 1, 40);
  seam::Command(Cmd("Sall"));  // the rectangle covers the whole preview
  int32_t dragged = 0;
  seam::Then([&] {
    dragged = ValueOf(kSigSldr, 1);
    ASSERT_TRUE(TabTo(BoundsOf(kSigClip, 1)));
  });
  seam::Key(Qt::Key_Return);
  RunDialog();
  EXPECT_NEAR(dragged, 40, 3);
  EXPECT_EQ(config->sliders[0], dragged) << "the frame editor had the focus: OK";
  EXPECT_EQ(Saved(), Bytes(config)) << "OK writes the settings file";
  const relRect r = config->startRel;
  EXPECT_EQ((std::array<double, 4>{r.left, r.right, r.top, r.bottom}), (std::array<double, 4>{0, 1, 0, 1}));
}

TEST_F(Controller, ResetKeepsTheFormatAndThePictureAndShowsTheDefaults) {
  const auto picture = WritePictureFile(prefs, "p.png", 64, 48);
  CGImageRef image = LoadPicture(picture);
  config->theOriginalImage = image;
  config->mediaType = kMediaHD;
  config->sliders[0] = 50, config->sliders[2] = -12;
  config->startRel = relRect{0.2, 0.6, 0.1, 0.5};
  config->colors[0] = RGBColor{0, 0, 0xFF00};
  config->frameEndColor = RGBColor{1, 2, 3};
  config->keepProps = true;
  config->blendMode = 4;
  seam::Command(Cmd("Rset"));
  seam::Then([&] {
    EXPECT_EQ((std::array{ValueOf(kSigSldr, 1), ValueOf(kSigSldr, 3), ValueOf(kSigProp, 1), ValueOf(kSigBlnd, 1),
                           ValueOf(kSigColr, 1), ValueOf(kSigMedi, 1)}),
              (std::array<int32_t, 6>{0, 0, 0, 1, 0xFFFFFF, kMediaHD}));
    EXPECT_EQ(TextOf(kSigLgnd, 3), "0%");
  });
  seam::Key(Qt::Key_Return);
  RunDialog();

  pluginDataPtr expected = nullptr;
  pNewConfig(&expected);
  ResetConfig(expected, true);
  expected->mediaType = kMediaHD;
  expected->theOriginalImage = image;
  expected->frameEndColor = RGBColor{1, 2, 3};
  EXPECT_EQ(Bytes(config), Bytes(expected));
  pDestroyConfig(expected);
}

// A stand-in for the desktop's opener on PATH: it notes the file and exits with `status`.
class FakeOpener {
 public:
  FakeOpener(const ScratchFolder& folder, int status) : log_(folder / "opened.txt"), path_(qgetenv("PATH")) {
    const auto bin = folder / "bin";
    std::filesystem::create_directories(bin);
    WriteFile(bin / "xdg-open", "#!/bin/sh\necho \"$1\" >> '" + log_.string() + "'\nexit " + std::to_string(status) + "\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + path_);
  }
  ~FakeOpener() { qputenv("PATH", path_); }
  std::string Opened() const { return std::filesystem::exists(log_) ? ReadFile(log_) : std::string(); }

 private:
  std::filesystem::path log_;
  QByteArray path_;
};

TEST_F(Controller, HelpOnADesktopSaysWhenItsOpenerFails) {
  if (!DisplayAvailable()) GTEST_SKIP() << "needs an X server: help_opener_under_xvfb";
  const std::filesystem::path manual =
      std::filesystem::path(VANTIRO_TEST_BUNDLE) / "Contents" / "Resources" / "manual.pdf";
  SetAlertPresenter(RecordAlert);
  for (int status : {0, 3}) {
    ScratchFolder folder;
    FakeOpener opener(folder, status);
    gAlerts.clear();
    seam::Command(Cmd("Help"));
    seam::Key(Qt::Key_Escape);
    RunDialog();
    EXPECT_EQ(opener.Opened(), manual.string() + "\n") << "exit " << status;
    if (status == 0) {
      EXPECT_TRUE(gAlerts.empty());
    } else {
      ASSERT_EQ(gAlerts.size(), 1u);
      EXPECT_EQ(gAlerts[0].text, "LSOpen failed with -10814");
    }
  }
}

TEST_F(Controller, PicturesChosenInTheDialogAreReleasedByCancelAndReplacedOnesByOk) {
  CGImageRef earlier = LoadPicture(WritePictureFile(prefs, "earlier.png", 640, 480));
  config->theOriginalImage = earlier;
  const long images = LiveImageCount();
  const auto second = WritePictureFile(prefs, "second.png", 300, 100);
  const auto third = WritePictureFile(prefs, "third.png", 100, 300);
  seam::Command(Cmd("Pict"));
  seam::ChooseFile(second.string());
  seam::Then([&] {
    EXPECT_EQ(CGImageGetWidth(config->theOriginalImage), 300u);
    EXPECT_EQ(LiveImageCount(), images + 1) << "the earlier picture is kept for Cancel";
  });
  seam::Command(Cmd("Pict"));
  seam::ChooseFile(third.string());
  seam::Then([&] { EXPECT_EQ(LiveImageCount(), images + 1) << "the second picture, chosen here, is gone"; });
  seam::Key(Qt::Key_Escape);
  RunDialog();
  EXPECT_EQ(config->theOriginalImage, earlier);
  EXPECT_EQ(CGImageGetWidth(earlier), 640u) << "alive and whole";
  EXPECT_EQ(LiveImageCount(), images);

  // OK releases the picture it replaced; the one chosen stays with the record.
  seam::Command(Cmd("Pict"));
  seam::ChooseFile(second.string());
  seam::Command(Cmd("Pict"));
  seam::CancelChooser();  // nothing changes
  seam::Key(Qt::Key_Return);
  RunDialog();
  ASSERT_NE(config->theOriginalImage, nullptr);
  EXPECT_EQ(CGImageGetWidth(config->theOriginalImage), 300u);
  EXPECT_EQ(LiveImageCount(), images) << "the earlier picture was released, the chosen one is held";
}

// The about window, whose owner a window manager must know.
constexpr OSType kPlug = FOUR_CHAR_CODE('P', 'l', 'u', 'g'), kVers = FOUR_CHAR_CODE('V', 'e', 'r', 's');

using About = DialogTest;

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

// Info shows this build's version and leaves the dialog as it was; on a desktop the about
// window and an alert over it are dialogs of the window below.
TEST_F(About, OverTheSettingsDialog) {
  const bool x11 = DisplayAvailable();
  struct Seen {
    std::string hints, owns;
  } below, about, alert;
  const auto look = [x11](Seen& seen) {
    if (x11) seen = {WindowManagerHints(InnermostModalWidget()), TransientFor(InnermostModalWidget())};
  };
  std::string name, version;
  int32_t dragged = 0;
  seam::DragSlider(kSigSldr, 1, 30);
  seam::Then([&] {
    dragged = ValueOf(kSigSldr, 1);
    look(below);
  });
  seam::Command(FOUR_CHAR_CODE('I', 'n', 'f', 'o'));
  seam::Then([&] {
    name = TextOf(kPlug, 1);
    version = TextOf(kVers, 1);
    look(about);
  });
  if (x11) {
    seam::Then([] { Notify("A notice over the about window"); });
    seam::Then([&] { look(alert); });
    seam::PressAlertButton(1);
  }
  seam::Key(Qt::Key_Escape);  // closes the about window only
  seam::Then([&] { EXPECT_EQ(ValueOf(kSigSldr, 1), dragged); });
  seam::Key(Qt::Key_Escape);  // the dialog's own loop again
  RunDialog();
  EXPECT_EQ(name, "Vantiro");
  EXPECT_EQ(version, "Version 3.0.0 (i386 Universal)");
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

