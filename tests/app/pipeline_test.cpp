// The render pipeline in one process: frames read ahead on the decoder thread are the
// frames a direct read gives; a failure or a cancel ends the render cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <vector>

#include "app/Pipeline.h"
#include "app/PluginLoader.h"
#include "app/RenderJob.h"
#include "tests/app/TestClips.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using vantiro::test::Listing;
using vantiro::test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

constexpr int kW = 64, kH = 48, kFrames = 40;

// testsrc2 moves every frame, so a frame read in the wrong place differs.
void MakeClip(const fs::path& path) {
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc2=s=64x48:r=25:d=1.6 -f lavfi -i sine=d=1.6 "
                          "-c:v libx264 -g 10 -c:a aac " + path.string();
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

std::vector<uint8_t> Pixels(const PooledRaster* r) {
  std::vector<uint8_t> p(4 * kW * kH);
  for (int y = 0; y < kH; ++y) std::memcpy(&p[4 * y * kW], r->pixels + y * r->rowBytes, 4 * kW);
  return p;
}

class PipelineTest : public ::testing::Test {
 protected:
  ScratchFolder preferences, dir;
  std::string clip = (dir / "clip.mp4").string();
  void SetUp() override {
    preferences.UseAsPreferencesFolder();
    MakeClip(clip);
  }
};

TEST_F(PipelineTest, FramesReadAheadAreTheFramesADirectReadGives) {
  std::string error;
  auto reader = VideoReader::Open(clip, &error);
  ASSERT_NE(reader, nullptr) << error;
  const long ports = VantiroLivePortCount();
  {
    DecodeAhead ahead(std::move(reader), {5, 30, kW, kH, true}, 3, nullptr);
    // In order, then a jump forward over frames the decoder already queued.
    for (int64_t n : {5, 6, 7, 20, 21}) {
      PooledRaster* r = ahead.Take(n, kW, kH, true, &error);
      ASSERT_NE(r, nullptr) << n;
      EXPECT_EQ(Pixels(r), vantiro::test::ReadPicture(clip, n, kW, kH)) << "frame " << n;
      ahead.Return(r);
    }
    // Not ahead: behind the reading, outside the range, another size or quality.
    for (auto [n, w, quality] :
         {std::tuple{10, kW, true}, {4, kW, true}, {35, kW, true}, {22, 32, true}, {22, kW, false}}) {
      EXPECT_EQ(ahead.Take(n, w, kH, quality, &error), nullptr) << n;
      EXPECT_EQ(error, "") << n;
    }
    ASSERT_NE(ahead.Take(22, kW, kH, true, &error), nullptr) << "the misses left the reading where it was";
  }  // the lent raster is disposed of with the pool
  EXPECT_EQ(VantiroLivePortCount(), ports);
}

TEST_F(PipelineTest, AFileThatCannotGrowFailsTheRunWithOneLineAndLeavesNothing) {
  // A file size limit makes the encoder thread's writes fail as a full disk would.
  const std::string cmd = "bash -c \"trap '' XFSZ; ulimit -f 8; " + std::string(VANTIRO_TEST_BIN) + "/vantiro render " +
                          clip + " " + (dir / "out.mp4").string() + "\" 2>" + (dir / "err").string();
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string err = vantiro::test::ReadFile(dir / "err");
  EXPECT_NE(err.find("File too large"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  fs::remove(dir / "err");
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"clip.mp4"}) << "only the clip is left";
}

// A failure on any of the three threads, or a cancel, ends the render with one error, gives
// every raster back and leaves no output; until then the render holds only a few rasters.
TEST_F(PipelineTest, AFailureOrACancelEndsTheRenderWithOneErrorAndNoOutput) {
  const struct {
    const char* what;
    RenderRequest::Faults faults;
    int cancelAt;
    const char* says;
    int64_t mostFrames;
  } cases[] = {
      {"decoder", {.decode = 12}, -1, "cannot decode frame 12 of ", 12},
      {"plug-in", {.mixAudio = 12}, -1, "the filter failed on frame 12: failed", 12},
      // The encoder fails behind the plug-in, by at most the frames it holds.
      {"encoder", {.encode = 12}, -1, "cannot write frame 12", 12 + 5},
      {"cancel at the start", {}, 0, "interrupted", 1},
      {"cancel in the middle", {}, 10, "interrupted", 11},
      {"cancel at the last frame", {}, kFrames - 1, "interrupted", kFrames},
  };
  std::string error;
  const auto plugin = Plugin::Load(VANTIRO_TEST_BUNDLE, &error);
  ASSERT_NE(plugin, nullptr) << error;
  const auto before = Listing(dir.path());
  for (const auto& c : cases) {
    for (const char* output : {"out.mp4", "seq.png"}) {
      SCOPED_TRACE(std::string(c.what) + ", " + output);
      RenderRequest request;
      request.input = clip;
      request.output = (dir / output).string();
      request.filter.fadeInFrames = request.filter.fadeOutFrames = 8;
      request.faults = c.faults;
      const long ports = VantiroLivePortCount();
      long most = 0;
      std::atomic<bool> cancel{false};
      request.cancel = &cancel;
      request.onFrame = [&](int64_t n, const uint8_t*, const uint8_t*, long) {
        most = std::max(most, VantiroLivePortCount() - ports);
        if (n == c.cancelAt) cancel = true;
      };
      RenderReport report;
      error.clear();
      EXPECT_FALSE(Render(*plugin, request, &report, &error));
      EXPECT_EQ(error.find(c.says), 0u) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
      EXPECT_LE(report.frames, c.mostFrames) << "the render went on";
      // Four for decoding, five for encoding, the onFrame copy and the plug-in's own buffers.
      EXPECT_LE(most, 16) << "frames are queued up";
      EXPECT_EQ(VantiroLivePortCount(), ports);
      EXPECT_EQ(Listing(dir.path()), before) << "a partial output is left";
    }
  }
}

}  // namespace
