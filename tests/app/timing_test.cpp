// A render keeps the input's timing and geometry: every frame's timestamp and the whole
// sound of a clip with a variable frame rate, and the shape of its pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "app/media/VideoReader.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using vantiro::test::RunVantiro;
using vantiro::test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

void Ffmpeg(const std::string& args) {
  const std::string cmd = "ffmpeg -v error -y " + args;
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

// ffprobe's key=value lines for one stream ("v:0", "a:0") as a map.
std::map<std::string, std::string> Probe(const fs::path& file, const std::string& stream) {
  const std::string cmd = "ffprobe -v error -select_streams " + stream +
                          " -count_frames -show_entries stream=width,height,duration,nb_read_frames,"
                          "sample_aspect_ratio,display_aspect_ratio -of default=nw=1 " +
                          file.string() + " >" + file.string() + ".probe";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::map<std::string, std::string> fields;
  std::istringstream lines(vantiro::test::ReadFile(file.string() + ".probe"));
  for (std::string line; std::getline(lines, line);)
    if (const auto eq = line.find('='); eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  return fields;
}

double Seconds(const std::map<std::string, std::string>& fields) {
  return std::atof(fields.at("duration").c_str());
}

class TimingTest : public ::testing::Test {
 protected:
  ScratchFolder dir;
  TimingTest() {
    dir.UseAsPreferencesFolder();
    // The whole picture with nothing changed, so the output shows the input as read.
    EXPECT_EQ(RunVantiro("settings --rect 0,1,0,1").status, 0);
  }
  void Render(const std::string& in, const std::string& out, const std::string& options = "") {
    const auto r = RunVantiro("render " + (dir / in).string() + " " + (dir / out).string() + " " + options);
    ASSERT_EQ(r.status, 0) << r.err;
  }
};

TEST_F(TimingTest, AVariableFrameRateKeepsEveryFramesTimeAndTheWholeSound) {
  // Two seconds at 25 frames per second, then two at 10, with four seconds of sound.
  Ffmpeg("-f lavfi -i testsrc2=s=96x64:r=25:d=2 -f lavfi -i testsrc2=s=96x64:r=10:d=2 -f lavfi -i sine=d=4 "
         "-filter_complex [0][1]concat=n=2:v=1:a=0[v] -map [v] -map 2 -fps_mode passthrough -c:v libx264 -c:a aac " +
         (dir / "vfr.mp4").string());
  Render("vfr.mp4", "out.mp4");
  const auto inVideo = Probe(dir / "vfr.mp4", "v:0"), outVideo = Probe(dir / "out.mp4", "v:0");
  EXPECT_NEAR(Seconds(outVideo), Seconds(inVideo), 0.1) << "within one of the slow frames";
  EXPECT_NEAR(Seconds(Probe(dir / "out.mp4", "a:0")), Seconds(Probe(dir / "vfr.mp4", "a:0")), 0.05);

  // The fast part stays fast: frame 25 is shown one second in, not after a quarter of the frames' time.
  std::string error;
  auto reader = VideoReader::Open((dir / "out.mp4").string(), &error);
  ASSERT_NE(reader, nullptr) << error;
  const VideoInfo& info = reader->info();
  EXPECT_EQ(info.frameCount, std::atoi(inVideo.at("nb_read_frames").c_str()));
  EXPECT_NEAR(double(reader->Timestamp(25)) * info.timeBaseNum / info.timeBaseDen, 1.0, 0.01);
  EXPECT_NEAR(double(reader->Timestamp(55)) * info.timeBaseNum / info.timeBaseDen, 2.5, 0.01);
}

TEST_F(TimingTest, PixelsKeepTheirShapeAlsoAtAnotherSize) {
  Ffmpeg("-f lavfi -i testsrc2=s=720x480:r=25:d=0.2 -vf setsar=32/27 -c:v libx264 " + (dir / "dv.mp4").string());
  Render("dv.mp4", "same.mkv");
  Render("dv.mp4", "small.mp4", "--size 360x360");
  const auto same = Probe(dir / "same.mkv", "v:0"), small = Probe(dir / "small.mp4", "v:0");
  EXPECT_EQ(same.at("sample_aspect_ratio"), "32:27");
  EXPECT_EQ(same.at("display_aspect_ratio"), "16:9");
  EXPECT_EQ(small.at("display_aspect_ratio"), "16:9") << small.at("sample_aspect_ratio");
}

}  // namespace
