// vantiro configure, run in this process against the real bundle so the dialog can be
// driven; and its refusals, run as a user runs them.
#include <cstdlib>
#include <filesystem>

#include "app/Commands.h"
#include "dialog/dlgUtils.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "tests/app/TestClips.h"
#include "tests/dialog/DialogFixture.h"
#include "tests/support/ScratchBundle.h"
#include "tests/testlib/RunVantiro.h"

namespace vantiro::test {
namespace {

namespace fs = std::filesystem;
constexpr int kW = 96, kH = 64, kFrames = 12;

// Frame n: a horizontal ramp in red, its blue channel counting the frame.
void MakeClip(const std::string& path) {
  WriteClip(path, ClipShape{kW, kH, kFrames}, [](int n, uint8_t* argb) {
    for (int i = 0; i < kW * kH; ++i) {
      uint8_t* p = argb + 4 * i;
      p[0] = 255, p[1] = uint8_t(40 + (i % kW) * 2), p[2] = 90, p[3] = uint8_t(n * 20);
    }
  });
}

class Configure : public ::testing::Test {
 protected:
  void SetUp() override {
    UsePrivateRuntimeFolder();
    prefs.UseAsPreferencesFolder();
    seam::SetStallLimit(60);
    MakeClip(clip.string());
  }
  void TearDown() override {
    EXPECT_TRUE(seam::Done());
    seam::Reset();
    EXPECT_EQ(LiveWindowCount(), 0);
  }
  ScratchFolder prefs, work;
  fs::path clip = work / "clip.mp4";
};

// What the settings file then does to a render is the render command's business.
TEST_F(Configure, OkOnAFrameOfTheClipSavesTheSettings) {
  const long ports = VantiroLivePortCount();
  int shownBlue = -1;
  seam::Then([&] {
    const Rect editor = GetControlBox(SimpleGetControlByID(seam::ModalWindow(), kSigClip, 1));
    shownBlue = PortPicture(seam::ModalWindow(), editor).at(100, 100).b;
    EXPECT_EQ(ControlText(seam::ModalWindow(), kSigClpM, 1), "0/8") << "frames 3 to 11";
  });
  seam::DragSlider(kSigClpS, 1, 5);  // frames fetched, released and disposed of by the filter
  seam::DragSlider(kSigSldr, 1, -50);
  seam::Key(Qt::Key_Return);
  EXPECT_EQ(RunConfigure({clip.string(), "--at", "3"}, VANTIRO_TEST_BUNDLE), 0);
  EXPECT_NEAR(shownBlue, 60, 12) << "the dialog opened on frame 3";
  EXPECT_EQ(VantiroLivePortCount(), ports) << "the host freed every frame it lent, once";
  EXPECT_NEAR(reinterpret_cast<const pluginDataRec*>(Saved().value().data())->sliders[0], -50, 3);
}

TEST_F(Configure, TheBuiltInClipInTheChosenFormat) {
  seam::Then([&] {
    const Rect editor = GetControlBox(SimpleGetControlByID(seam::ModalWindow(), kSigClip, 1));
    EXPECT_EQ(editor.right - editor.left, 640) << "the HD window";
    EXPECT_EQ(ControlText(seam::ModalWindow(), kSigClpM, 1), "0/89");
  });
  seam::Key(Qt::Key_Escape);
  EXPECT_EQ(RunConfigure({"--format", "hd"}, VANTIRO_TEST_BUNDLE), 0);
  EXPECT_EQ(reinterpret_cast<const pluginDataRec*>(Saved().value().data())->mediaType, kMediaHD)
      << "the format was saved before the dialog opened";
}

TEST_F(Configure, RefusesWhatItCannotDo) {
  auto r = RunVantiro("configure " + (work / "missing.mp4").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("does not exist"), std::string::npos) << r.err;
  r = RunVantiro("configure " + clip.string() + " --format secam");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ntsc, pal or hd"), std::string::npos) << r.err;
  r = RunVantiro("configure " + clip.string() + " --at 12");
  EXPECT_EQ(r.status, 2) << r.err;
  // Without a screen the dialog could never be answered.
  const std::string platform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
  unsetenv("QT_QPA_PLATFORM");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  r = RunVantiro("configure " + clip.string());
  setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("needs a display"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vantiro::test
