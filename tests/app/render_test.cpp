// vantiro render, placeholder, settings and demo, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/media/VideoReader.h"
#include "tests/app/TestClips.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using vantiro::test::MaxDifference;
using vantiro::test::RunVantiro;
using vantiro::test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

constexpr int kW = 64, kH = 48;  // the test clips' size
constexpr uint32_t kBackground = 0x204060;

// 30 frames; frame n is a gradient whose blue channel counts the frame.
void MakeClip(const std::string& path) {
  vantiro::test::WriteClip(path, {}, [](int n, uint8_t* pic) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t* p = &pic[4 * (y * kW + x)];
        p[0] = 255, p[1] = uint8_t(x * 4), p[2] = uint8_t(y * 5), p[3] = uint8_t(n * 8);
      }
  });
}

std::vector<uint8_t> Frame(const std::string& path, int64_t n) { return vantiro::test::ReadPicture(path, n, kW, kH); }

// The effect alone for the rectangle 0.25..0.75 with sliders at 0: the source inside,
// the background outside.
std::vector<uint8_t> Effect(const std::vector<uint8_t>& source) {
  std::vector<uint8_t> e = source;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      if (x >= kW / 4 && x < 3 * kW / 4 && y >= kH / 4 && y < 3 * kH / 4) continue;
      uint8_t* p = &e[4 * (y * kW + x)];
      p[0] = 255, p[1] = kBackground >> 16, p[2] = (kBackground >> 8) & 0xFF, p[3] = kBackground & 0xFF;
    }
  return e;
}

class RenderTest : public ::testing::Test {
 protected:
  ScratchFolder dir;
  std::string clip = (dir / "clip.mp4").string();
  RenderTest() {
    dir.UseAsPreferencesFolder();
    MakeClip(clip);
    const auto r = RunVantiro("settings --rect 0.25,0.75,0.25,0.75 --background 204060");
    EXPECT_EQ(r.status, 0) << r.err;
  }
};

}  // namespace

// A sequence shows the source over the effect at the fade's opacity, and the effect alone
// in the middle.
TEST_F(RenderTest, FadesMixSourceAndEffect) {
  const auto r = RunVantiro("render " + clip + " " + (dir / "seq.png").string() + " --fade-in 10 --fade-out 10");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int n : {0, 15, 29}) ASSERT_TRUE(fs::exists(dir / ("seq-00" + std::to_string(100 + n).substr(1) + ".png"))) << n;
  EXPECT_LE(MaxDifference(Frame((dir / "seq-0015.png").string(), 0), Effect(Frame(clip, 15))), 1);
  // Frame 5 lies in the fade-in: the source covers the effect at opacity 127.
  const auto source5 = Frame(clip, 5), effect5 = Effect(source5);
  std::vector<uint8_t> mix(source5.size());
  for (std::size_t i = 0; i < mix.size(); ++i) mix[i] = uint8_t((source5[i] * 127 + effect5[i] * 128 + 127) / 255);
  const auto rendered5 = Frame((dir / "seq-0005.png").string(), 0);
  EXPECT_LE(MaxDifference(rendered5, mix), 1);
  EXPECT_GT(MaxDifference(rendered5, effect5), 20) << "the fade is visible";
  EXPECT_LE(MaxDifference(Frame((dir / "seq-0000.png").string(), 0), Frame(clip, 0)), 1) << "frame 0 is all source";
}

TEST_F(RenderTest, ARangeKeepsTheClipsFrameNumbers) {
  const auto r = RunVantiro("render " + clip + " " + (dir / "part.png").string() +
                            " --from 20 --frames 3 --size 32x24");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir / "part-0019.png"));
  EXPECT_FALSE(fs::exists(dir / "part-0023.png"));
  const auto p = vantiro::test::ReadPicture((dir / "part-0021.png").string(), 0, 32, 24);
  EXPECT_NEAR(p[4 * (12 * 32 + 16) + 3], 21 * 8, 6) << "it shows frame 21 of the clip";
}

TEST_F(RenderTest, APlaceholderIsOneRenderedFrame) {
  const std::string out = (dir / "thumb.png").string();
  const auto r = RunVantiro("placeholder " + clip + " " + out + " --at 12");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LE(MaxDifference(Frame(out, 0), Effect(Frame(clip, 12))), 1);
}

TEST(Settings, AreShownChangedAndValidated) {
  ScratchFolder dir;
  dir.UseAsPreferencesFolder();
  auto r = RunVantiro("settings");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("nothing saved yet"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Background     #FFFFFF"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "vloqa-Prefs")) << "showing changes nothing";

  r = RunVantiro("settings --width 35 --rotation -25 --format hd --background 1e3a5f");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunVantiro("settings");
  EXPECT_NE(r.out.find("Width          +35 %"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Rotation       -25 %"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("HD (960 x 540)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#1E3A5F"), std::string::npos) << r.out;

  for (const char* bad :
       {"--width 500", "--rect 0,1,0", "--rect 0,1,0,x", "--background red", "--format 8mm", "--bogus"})
    EXPECT_EQ(RunVantiro(std::string("settings ") + bad).status, 2) << bad;
  r = RunVantiro("settings --reset");
  EXPECT_NE(r.out.find("Width          +0 %"), std::string::npos);

  setenv("XDG_CONFIG_HOME", (dir / "gone").c_str(), 1);
  r = RunVantiro("settings --width 10");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot save the settings"), std::string::npos) << r.err;
}

TEST(Demo, RendersTheBuiltInClipWithoutTouchingTheUsersSettings) {
  ScratchFolder dir;
  dir.UseAsPreferencesFolder();
  ASSERT_EQ(RunVantiro("settings --width 7").status, 0);
  const std::string before = vantiro::test::ReadFile(dir / "vloqa-Prefs");
  const auto r = RunVantiro("demo --out " + (dir / "out").string());
  ASSERT_EQ(r.status, 0) << r.err;
  std::string error;
  auto movie = VideoReader::Open((dir / "out/demo.mp4").string(), &error);
  ASSERT_NE(movie, nullptr) << error;
  EXPECT_TRUE(movie->info().width == 1280 && movie->info().height == 720 && movie->info().hasAudio);
  EXPECT_GE(movie->info().frameCount, 150) << "at least five seconds at 30 fps";
  auto sheet = VideoReader::Open((dir / "out/demo-sheet.png").string(), &error);
  ASSERT_NE(sheet, nullptr) << error;
  EXPECT_GT(sheet->info().width, 900);
  EXPECT_EQ(vantiro::test::ReadFile(dir / "vloqa-Prefs"), before);
}
