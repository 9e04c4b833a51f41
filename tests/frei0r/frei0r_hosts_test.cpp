// The frei0r filter in real hosts — FFmpeg and melt — against vantiro render of the same
// clip with the same settings. The hosts convert colours their own way, so frames are
// compared by PSNR.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/media/MediaWriter.h"
#include "app/media/VideoReader.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;
using vantiro::test::RunVantiro;

namespace {

constexpr int kW = 64, kH = 48, kFrames = 30;

void MakeClip(const std::string& path) {
  vantiro::WriterSettings s;
  s.path = path;
  s.width = kW;
  s.height = kH;
  s.fpsNum = 25;
  std::string error;
  auto writer = vantiro::MediaWriter::Create(s, &error);
  ASSERT_NE(writer, nullptr) << error;
  std::vector<uint8_t> pic(kW * kH * 4);
  for (int n = 0; n < kFrames; ++n) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t* p = &pic[4 * (y * kW + x)];
        p[0] = 255, p[1] = uint8_t(60 + 2 * x), p[2] = uint8_t(40 + 3 * y), p[3] = uint8_t(200 - 5 * n);
      }
    ASSERT_TRUE(writer->WriteVideo(pic.data(), kW * 4, &error)) << error;
  }
  ASSERT_TRUE(writer->Finish(&error)) << error;
}

std::vector<uint8_t> Picture(const fs::path& png) {
  std::string error;
  auto reader = vantiro::VideoReader::Open(png.string(), &error);
  EXPECT_NE(reader, nullptr) << error;
  std::vector<uint8_t> p(kW * kH * 4);
  if (reader) {
    EXPECT_TRUE(reader->ReadFrame(0, kW, kH, true, p.data(), kW * 4, &error));
  }
  return p;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (i % 4 != 0) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  const double mse = sum / (a.size() * 3 / 4);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

class Frei0rHostsTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder dir;
  std::string clip = (dir / "clip.mp4").string();
  std::string env;

  Frei0rHostsTest() {
    dir.UseAsPreferencesFolder();
    MakeClip(clip);
    EXPECT_EQ(RunVantiro("settings --rect 0.2,0.8,0.25,0.75 --rotation 10 --width 20 --background 204060").status, 0);
    const auto r = RunVantiro("render " + clip + " " + (dir / "ours.png").string() + " --fade-in 5 --fade-out 5");
    EXPECT_EQ(r.status, 0) << r.err;
    env = "XDG_CONFIG_HOME=" + dir.path().string() + " FREI0R_PATH=" VANTIRO_TEST_FREI0R " ";
  }

  // Host frames are numbered from 1; ours by the clip's frames from 0.
  void ExpectSameAsOurs(const std::string& prefix) {
    double worst = 99;
    for (int n = 0; n < kFrames; ++n) {
      char ours[32], theirs[32];
      std::snprintf(ours, sizeof ours, "ours-%04d.png", n);
      std::snprintf(theirs, sizeof theirs, "%s-%04d.png", prefix.c_str(), n + 1);
      ASSERT_TRUE(fs::exists(dir / theirs)) << theirs;
      worst = std::min(worst, Psnr(Picture(dir / ours), Picture(dir / theirs)));
    }
    std::printf("%s: lowest PSNR against vantiro render over %d frames: %.1f dB\n", prefix.c_str(), kFrames, worst);
    EXPECT_GT(worst, 28.0) << prefix << ": lowest PSNR over the clip";
  }
};

}  // namespace

TEST_F(Frei0rHostsTest, FFmpegRendersTheSameFrames) {
  const std::string cmd = env + "ffmpeg -v error -i " + clip +
                          " -vf 'frei0r=vantiro:5|5|30|25|y' " + (dir / "ff-%04d.png").string();
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  ExpectSameAsOurs("ff");
}

TEST_F(Frei0rHostsTest, MeltRendersTheSameFrames) {
  // melt works in a profile: the clip's own size and rate.
  std::ofstream(dir / "profile") << "description=vantiro test\nwidth=64\nheight=48\nprogressive=1\n"
                                    "sample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=4\n"
                                    "display_aspect_den=3\nframe_rate_num=25\nframe_rate_den=1\ncolorspace=601\n";
  const std::string cmd = env + "melt -quiet -profile " + (dir / "profile").string() + " " + clip +
                          " -filter frei0r.vantiro 0=5 1=5 2=30 3=25 -consumer avformat:" +
                          (dir / "mlt-%04d.png").string() + " vcodec=png >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  ExpectSameAsOurs("mlt");
}
