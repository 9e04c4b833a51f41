// The frei0r filter in real hosts (FFmpeg, melt, GStreamer) against vantiro render of the
// same clip with the same settings. The hosts convert colours their own way, so frames are
// compared by PSNR.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

#include "tests/app/TestClips.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;
using vantiro::test::ReadFile;
using vantiro::test::RunVantiro;

namespace {

constexpr int kW = 64, kH = 48, kFrames = 30;

// One setting, as vantiro settings takes it and as the filter's parameters left|right|top|bottom|
// width|height|rotation|background: width +20 % is (20+100)/300, turn 10 % is (10+100)/200.
constexpr const char* kSettings = "--rect 0.2,0.8,0.25,0.75 --rotation 10 --width 20 --background 204060";
constexpr const char* kParams = "0.2|0.8|0.25|0.75|0.4|0.3333333333|0.55|#204060";

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (i % 4 != 0) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  const double mse = sum / (a.size() * 3 / 4);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::string Frame(const std::string& prefix, int n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%04d.png", prefix.c_str(), n);
  return name;
}

// The first group of every match of `pattern` in `text`.
std::vector<std::string> Captures(const std::string& text, const char* pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto m = std::sregex_iterator(text.begin(), text.end(), re); m != std::sregex_iterator(); ++m)
    found.push_back((*m)[1]);
  return found;
}

class Frei0rHostsTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder dir;
  std::string clip = (dir / "clip.mp4").string();
  std::string env;

  Frei0rHostsTest() {
    dir.UseAsPreferencesFolder();
    vantiro::test::WriteClip(clip, {.frames = kFrames}, [](int n, uint8_t* pic) {
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          uint8_t* p = &pic[4 * (y * kW + x)];
          p[0] = 255, p[1] = uint8_t(60 + 2 * x), p[2] = uint8_t(40 + 3 * y), p[3] = uint8_t(200 - 5 * n);
        }
    });
    env = "XDG_CONFIG_HOME=" + dir.path().string() + " FREI0R_PATH=" VANTIRO_TEST_FREI0R " ";
  }

  // vantiro render of the clip with `settings` saved, into <prefix>-NNNN.png.
  void RenderOurs(const std::string& settings, const std::string& prefix, const std::string& options) {
    ASSERT_EQ(RunVantiro("settings --reset " + settings).status, 0);
    const auto r = RunVantiro("render " + clip + " " + (dir / (prefix + ".png")).string() + " " + options);
    ASSERT_EQ(r.status, 0) << r.err;
  }

  int Run(const std::string& command, const std::string& err = "/dev/null") {
    return std::system((env + command + " >/dev/null 2>" + err).c_str());
  }

  // Host frames are numbered from 1; ours by the clip's frames from 0. No frames: all of them.
  void ExpectSame(const std::string& theirs, const std::string& ours, std::vector<int> frames = {}) {
    if (frames.empty())
      for (int n = 0; n < kFrames; ++n) frames.push_back(n);
    const auto picture = [&](const std::string& png) { return vantiro::test::ReadPicture(dir / png, 0, kW, kH); };
    double worst = 99;
    for (int n : frames) {
      ASSERT_TRUE(fs::exists(dir / Frame(theirs, n + 1))) << Frame(theirs, n + 1);
      worst = std::min(worst, Psnr(picture(Frame(ours, n)), picture(Frame(theirs, n + 1))));
    }
    std::printf("%s: lowest PSNR against vantiro render over %zu frames: %.1f dB\n", theirs.c_str(), frames.size(),
                worst);
    EXPECT_GT(worst, 28.0) << theirs << ": lowest PSNR against " << ours;
  }

  // melt renders every frame (real_time=0) in a profile of the clip's size and rate. On a busy
  // machine melt 7.12 sometimes never starts its consumer, even without this filter: retried.
  int Melt(const std::string& input, const std::string& prefix) {
    std::ofstream(dir / "profile") << "description=vantiro test\nwidth=64\nheight=48\nprogressive=1\n"
                                      "sample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=4\n"
                                      "display_aspect_den=3\nframe_rate_num=25\nframe_rate_den=1\ncolorspace=601\n";
    const std::string command = "timeout 120 melt -quiet -profile " + (dir / "profile").string() + " " + input +
                                " -consumer avformat:" + (dir / (prefix + "-%04d.png")).string() +
                                " vcodec=png real_time=0 </dev/null";
    int status = -1;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      status = Run(command);
      if (fs::exists(dir / Frame(prefix, 1))) break;
      std::printf("melt wrote no frame (status %d); starting it again\n", status);
    }
    return status;
  }
};

}  // namespace

TEST_F(Frei0rHostsTest, FFmpegRendersDifferentlySetInstancesOfOneGraphAndClampsBadValues) {
  RenderOurs(kSettings, "ours", "--fade-in 5 --fade-out 5");
  // Instance a has its own settings, c values FFmpeg hands over unchecked (NaN, out of
  // range); the stream's time starts at 7 s.
  const std::string graph = std::string("setpts=PTS+7/TB,split=2[a][c];") +
                            "[a]frei0r=vantiro:5|5|30|25|y|" + kParams + "|n[x];" +
                            "[c]frei0r=vantiro:0|0|0|25|y|nan|7|0|1|0.3|0.3|0.5|2/-1/nan[z]";
  const std::string err = (dir / "err").string();
  // passthrough: frames keep their times, with no copies filling the first 7 s.
  // -nostdin: FFmpeg otherwise reads keys from the test runner's input, and a stray one ends it.
  ASSERT_EQ(Run("ffmpeg -nostdin -i " + clip + " -filter_complex '" + graph + "' -map '[x]' -fps_mode passthrough " +
                    (dir / "ff-%04d.png").string() + " -map '[z]' -fps_mode passthrough " +
                    (dir / "bad-%04d.png").string(),
                err),
            0);
  ExpectSame("ff", "ours");
  EXPECT_TRUE(fs::exists(dir / Frame("bad", kFrames))) << "bad values still render every frame";
  const std::string said = ReadFile(err);
  for (const char* message : {"parameter left = nan: refused", "parameter right = 7: out of range, clamped",
                              "parameter background = nan: refused"})
    EXPECT_NE(said.find(message), std::string::npos) << message << "\n" << said;
}

TEST_F(Frei0rHostsTest, MeltInterpolatesKeyframedRotationRectangleAndColour) {
  // Keyframes over frames 0..29: the left edge 0.1 -> 0.3, the turn 0 -> +30 %, the colour
  // #204060 -> #c08040. Frame n of ours renders the values interpolated for n.
  std::ofstream(dir / "keyframes.mlt")
      << "<mlt><producer id=\"clip\"><property name=\"resource\">" << clip << "</property></producer>"
      << "<playlist id=\"main\"><entry producer=\"clip\" in=\"0\" out=\"29\"/></playlist>"
      << "<tractor><track producer=\"main\"/><filter mlt_service=\"frei0r.vantiro\" track=\"0\">"
      << "<property name=\"left\">0=0.1;29=0.3</property><property name=\"rotation\">0=0.5;29=0.65</property>"
      << "<property name=\"background\">0=#204060;29=#c08040</property></filter></tractor></mlt>";
  ASSERT_EQ(Melt((dir / "keyframes.mlt").string(), "kf"), 0);
  for (int n : {0, 10, 20, 29}) {
    const double t = n / 29.0;
    char settings[160];
    std::snprintf(settings, sizeof settings, "--rect %.6f,1,0,1 --rotation %ld --background %02lx%02lx%02lx",
                  0.1 + 0.2 * t, std::lround(30 * t), std::lround(0x20 + (0xc0 - 0x20) * t),
                  std::lround(0x40 + (0x80 - 0x40) * t), std::lround(0x60 + (0x40 - 0x60) * t));
    RenderOurs(settings, "ours", "--from " + std::to_string(n) + " --frames 1");
    fs::rename(dir / "ours.png", dir / Frame("ours", n));
  }
  ExpectSame("kf", "ours", {0, 10, 20, 29});
}

// The panels Kdenlive and Shotcut show name only parameters the filter has.
TEST_F(Frei0rHostsTest, KdenliveAndShotcutDescriptionsAreValidAndNameRealParameters) {
  const fs::path panels = fs::path(VANTIRO_SOURCE_DIR) / "frei0r";
  const std::string xml = (panels / "kdenlive/frei0r_vantiro.xml").string();
  ASSERT_EQ(std::system(("xmllint --noout " + xml).c_str()), 0) << "well formed";
  ASSERT_EQ(std::system((env + "melt -query filter=frei0r.vantiro >" + (dir / "query").string()).c_str()), 0);
  const auto known = Captures(ReadFile(dir / "query"), "title: (\\w+)");
  const auto named = Captures(ReadFile(xml), "<parameter [^>]*name=\"(\\w+)\"");
  EXPECT_EQ(named.size(), 15u);
  // threads is MLT's own property of every filter, not one of the filter's parameters.
  for (const std::string& name : named)
    EXPECT_TRUE(std::count(known.begin(), known.end(), name) == 1 || name == "threads") << name << ": no parameter";
  for (const char* qml : {"meta.qml", "ui.qml"}) {
    const std::string lint = "/usr/lib/qt5/bin/qmllint " + (panels / "shotcut/vantiro" / qml).string();
    EXPECT_EQ(std::system(lint.c_str()), 0) << lint;
  }
}

TEST_F(Frei0rHostsTest, GStreamerRunsTheFilterInAPipeline) {
  RenderOurs(kSettings, "ours", "");
  // GStreamer names the element after the filter and its properties after the parameters
  // (hyphens for underscores, a colour as three floats); it accepts 0..1 doubles only, which
  // every effect parameter is.
  const std::string pipeline =
      "gst-launch-1.0 -q filesrc location=" + clip + " ! decodebin ! videoconvert ! " +
      "frei0r-filter-vantiro left=0.2 right=0.8 top=0.25 bottom=0.75 width-change=0.4 rotation=0.55 " +
      "background-r=0.12549 background-g=0.25098 background-b=0.37647 ! videoconvert ! pngenc ! " +
      "multifilesink location=" + (dir / "gst-%04d.png").string() + " index=1";
  ASSERT_EQ(Run(pipeline), 0) << pipeline;
  ExpectSame("gst", "ours");
}
