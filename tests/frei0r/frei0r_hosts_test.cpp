// The frei0r filter in real hosts — FFmpeg, melt with Kdenlive's and Shotcut's project shapes,
// GStreamer — against vantiro render of the same clip with the same settings. The hosts
// convert colours their own way, so frames are compared by PSNR.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <vector>

#include "app/media/MediaWriter.h"
#include "app/media/VideoReader.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;
using vantiro::test::ReadFile;
using vantiro::test::RunVantiro;

namespace {

constexpr int kW = 64, kH = 48, kFrames = 30;

// Two settings, as vantiro settings takes them and as the filter's parameters.
constexpr const char* kSettingsA = "--rect 0.2,0.8,0.25,0.75 --rotation 10 --width 20 --background 204060";
// left|right|top|bottom|width|height|rotation|background: width +20 % is (20+100)/300, turn 10 % is (10+100)/200.
constexpr const char* kParamsA = "0.2|0.8|0.25|0.75|0.4|0.3333333333|0.55|#204060";
constexpr const char* kSettingsB = "--rect 0.1,0.6,0.3,0.9 --rotation -20 --height 50 --background 603020";

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

std::string Frame(const std::string& prefix, int n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%04d.png", prefix.c_str(), n);
  return name;
}

class Frei0rHostsTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder dir;
  std::string clip = (dir / "clip.mp4").string();
  std::string env;

  Frei0rHostsTest() {
    dir.UseAsPreferencesFolder();
    MakeClip(clip);
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

  // Host frames are numbered from 1; ours by the clip's frames from 0.
  void ExpectSame(const std::string& theirs, const std::string& ours, const std::vector<int>& frames) {
    double worst = 99;
    for (int n : frames) {
      ASSERT_TRUE(fs::exists(dir / Frame(theirs, n + 1))) << Frame(theirs, n + 1);
      worst = std::min(worst, Psnr(Picture(dir / Frame(ours, n)), Picture(dir / Frame(theirs, n + 1))));
    }
    std::printf("%s: lowest PSNR against vantiro render over %zu frames: %.1f dB\n", theirs.c_str(), frames.size(),
                worst);
    EXPECT_GT(worst, 28.0) << theirs << ": lowest PSNR against " << ours;
  }
  static std::vector<int> All() {
    std::vector<int> n(kFrames);
    for (int k = 0; k < kFrames; ++k) n[k] = k;
    return n;
  }

  // melt renders in a profile of the clip's own size and rate, every frame (real_time=0: no
  // frame is skipped when the machine is busy). Started while other processes keep both
  // processors busy (ctest -j), melt 7.12 now and then stops its consumer before the first
  // frame (exit status 0, nothing written) or never starts it: 3 of 8 concurrent runs of a
  // bare melt, without this filter. Such a start is tried again; anything else counts.
  int Melt(const std::string& input, const std::string& prefix, const std::string& err = "/dev/null") {
    std::ofstream(dir / "profile") << "description=vantiro test\nwidth=64\nheight=48\nprogressive=1\n"
                                      "sample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=4\n"
                                      "display_aspect_den=3\nframe_rate_num=25\nframe_rate_den=1\ncolorspace=601\n";
    const std::string command = "timeout 120 melt -quiet -profile " + (dir / "profile").string() + " " + input +
                                " -consumer avformat:" + (dir / (prefix + "-%04d.png")).string() +
                                " vcodec=png real_time=0 </dev/null";
    int status = -1;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      status = Run(command, err);
      if (fs::exists(dir / Frame(prefix, 1))) break;
      std::printf("melt wrote no frame (status %d); starting it again\n", status);
    }
    return status;
  }
};

}  // namespace

TEST_F(Frei0rHostsTest, FFmpegRendersTwoDifferentlySetInstancesOfOneGraph) {
  RenderOurs(kSettingsA, "ours-a", "--fade-in 5 --fade-out 5");
  RenderOurs(kSettingsB, "ours-b", "--fade-in 5 --fade-out 5");
  // Instance a has its own settings, b the saved ones (B); the stream's time starts at 7 s.
  const std::string graph = std::string("setpts=PTS+7/TB,split[a][b];") +
                            "[a]frei0r=vantiro:5|5|30|25|y|" + kParamsA + "|n[x];" +
                            "[b]frei0r=vantiro:5|5|30|25|y|0|1|0|1|0|0|0|#000000|y[y]";
  // passthrough: frames keep their times, with no copies filling the first 7 s.
  ASSERT_EQ(Run("ffmpeg -i " + clip + " -filter_complex '" + graph + "' -map '[x]' -fps_mode passthrough " +
                (dir / "ff-a-%04d.png").string() + " -map '[y]' -fps_mode passthrough " + (dir / "ff-b-%04d.png").string()),
            0);
  ExpectSame("ff-a", "ours-a", All());
  ExpectSame("ff-b", "ours-b", All());
}

TEST_F(Frei0rHostsTest, MeltRendersTheSavedSettingsFrameForFrame) {
  RenderOurs(kSettingsA, "ours", "--fade-in 5 --fade-out 5");
  ASSERT_EQ(Melt(clip + " -filter frei0r.vantiro fade_in=5 fade_out=5 clip_length=30 use_saved_settings=1", "mlt"), 0);
  ExpectSame("mlt", "ours", All());
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

TEST_F(Frei0rHostsTest, KdenliveDescriptionNamesOnlyRealParametersAndItsProjectRenders) {
  const fs::path xml = fs::path(VANTIRO_SOURCE_DIR) / "frei0r/kdenlive/frei0r_vantiro.xml";
  ASSERT_EQ(std::system(("xmllint --noout " + xml.string()).c_str()), 0) << "well formed";
  ASSERT_EQ(std::system((env + "melt -query filter=frei0r.vantiro >" + (dir / "query").string() + " 2>/dev/null").c_str()), 0);
  std::set<std::string> known;
  const std::string query = ReadFile(dir / "query");
  const std::regex title("title: (\\w+)");
  for (auto m = std::sregex_iterator(query.begin(), query.end(), title); m != std::sregex_iterator(); ++m)
    known.insert((*m)[1]);
  const std::string description = ReadFile(xml);
  const std::regex named("<parameter [^>]*name=\"(\\w+)\"");
  int count = 0;
  for (auto m = std::sregex_iterator(description.begin(), description.end(), named); m != std::sregex_iterator();
       ++m, ++count)
    // threads is MLT's own property of every filter, not one of the filter's parameters.
    EXPECT_TRUE(known.count((*m)[1]) == 1 || (*m)[1] == "threads") << (*m)[1] << " is not a parameter";
  EXPECT_EQ(count, 15);

  // A project as Kdenlive saves it: keyframes at times, the filter on the clip's producer.
  RenderOurs(kSettingsA, "ours", "--fade-in 5 --fade-out 5");
  std::ofstream(dir / "kdenlive.mlt")
      << "<mlt LC_NUMERIC=\"C\" version=\"7.12.0\"><producer id=\"producer0\" in=\"0\" out=\"29\">"
      << "<property name=\"resource\">" << clip << "</property><property name=\"kdenlive:id\">2</property>"
      << "<filter id=\"filter0\"><property name=\"mlt_service\">frei0r.vantiro</property>"
      << "<property name=\"kdenlive_id\">frei0r.vantiro</property><property name=\"threads\">1</property>"
      << "<property name=\"left\">00:00:00.000=0.2;00:00:01.000=0.2</property><property name=\"right\">0.8</property>"
      << "<property name=\"top\">0.25</property><property name=\"bottom\">0.75</property>"
      << "<property name=\"width_change\">00:00:00.000=0.4</property><property name=\"height_change\">0.333333333</property>"
      << "<property name=\"rotation\">00:00:00.000=0.55;00:00:01.160=0.55</property>"
      << "<property name=\"background\">0x204060ff</property><property name=\"fade_in\">5</property>"
      << "<property name=\"fade_out\">5</property><property name=\"clip_length\">30</property>"
      << "<property name=\"use_saved_settings\">0</property></filter></producer>"
      << "<playlist id=\"playlist0\"><entry producer=\"producer0\" in=\"0\" out=\"29\"/></playlist>"
      << "<tractor id=\"tractor0\" in=\"0\" out=\"29\"><track producer=\"playlist0\"/></tractor></mlt>";
  ASSERT_EQ(RunVantiro("settings --reset").status, 0) << "the project must not depend on saved settings";
  ASSERT_EQ(Melt((dir / "kdenlive.mlt").string(), "kd"), 0);
  ExpectSame("kd", "ours", All());
}

TEST_F(Frei0rHostsTest, ShotcutPanelPassesQmllintAndItsProjectRenders) {
  const fs::path folder = fs::path(VANTIRO_SOURCE_DIR) / "frei0r/shotcut/vantiro";
  for (const char* file : {"meta.qml", "ui.qml"}) {
    const std::string lint = "/usr/lib/qt5/bin/qmllint " + (folder / file).string();
    EXPECT_EQ(std::system(lint.c_str()), 0) << lint;
  }
  RenderOurs(kSettingsB, "ours", "");
  // As Shotcut saves it: the filter inside the playlist entry, shotcut:filter naming the panel.
  std::ofstream(dir / "shotcut.mlt")
      << "<mlt LC_NUMERIC=\"C\" version=\"7.12.0\" title=\"Shotcut version 22.12.21\">"
      << "<playlist id=\"main_bin\"><property name=\"xml_retain\">1</property></playlist>"
      << "<producer id=\"producer0\" in=\"00:00:00.000\" out=\"00:00:01.160\">"
      << "<property name=\"resource\">" << clip << "</property><property name=\"length\">30</property>"
      << "<property name=\"mlt_service\">avformat-novalidate</property>"
      << "<property name=\"shotcut:hash\">0</property></producer>"
      << "<playlist id=\"playlist0\"><property name=\"shotcut:video\">1</property>"
      << "<entry producer=\"producer0\" in=\"00:00:00.000\" out=\"00:00:01.160\">"
      << "<filter id=\"filter0\" out=\"00:00:01.160\"><property name=\"mlt_service\">frei0r.vantiro</property>"
      << "<property name=\"shotcut:filter\">vantiro</property><property name=\"threads\">1</property>"
      << "<property name=\"left\">0.1</property><property name=\"right\">0.6</property>"
      << "<property name=\"top\">0.3</property><property name=\"bottom\">0.9</property>"
      << "<property name=\"width_change\">0.333333333</property><property name=\"height_change\">0.5</property>"
      << "<property name=\"rotation\">00:00:00.000=0.4;00:00:01.160=0.4</property>"
      << "<property name=\"background\">#603020</property></filter></entry></playlist>"
      << "<tractor id=\"tractor0\" in=\"00:00:00.000\" out=\"00:00:01.160\"><track producer=\"playlist0\"/></tractor></mlt>";
  ASSERT_EQ(RunVantiro("settings --reset").status, 0);
  ASSERT_EQ(Melt((dir / "shotcut.mlt").string(), "sc"), 0);
  ExpectSame("sc", "ours", All());
}

TEST_F(Frei0rHostsTest, GStreamerRunsTheFilterInAPipeline) {
  RenderOurs(kSettingsA, "ours", "");
  // GStreamer names the element after the filter and its properties after the parameters
  // (hyphens for underscores, a colour as three floats); it accepts 0..1 doubles only, which
  // every effect parameter is.
  const std::string pipeline =
      "gst-launch-1.0 -q filesrc location=" + clip + " ! decodebin ! videoconvert ! " +
      "frei0r-filter-vantiro left=0.2 right=0.8 top=0.25 bottom=0.75 width-change=0.4 rotation=0.55 " +
      "background-r=0.12549 background-g=0.25098 background-b=0.37647 ! videoconvert ! pngenc ! multifilesink location=" +
      (dir / "gst-%04d.png").string() + " index=1";
  ASSERT_EQ(Run(pipeline), 0) << pipeline;
  ExpectSame("gst", "ours", All());
}

TEST_F(Frei0rHostsTest, BadValuesFromHostsAreClampedOrRefusedWithAMessage) {
  const std::string err = (dir / "err").string();
  const auto run = [&](const std::string& command) {
    const int raw = std::system((env + command + " >/dev/null 2>" + err).c_str());
    EXPECT_TRUE(WIFEXITED(raw)) << command << " ended by a signal";
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  const std::string out = std::string(" ").append((dir / "bad-%04d.png").string());
  // FFmpeg hands over NaN and a colour outside 0..1; the filter renders regardless.
  EXPECT_EQ(run("ffmpeg -i " + clip + " -vf 'frei0r=vantiro:0|0|0|25|y|nan|7|0|1|0.3|0.3|0.5|2/-1/nan'" + out), 0);
  std::string said = ReadFile(err);
  EXPECT_NE(said.find("parameter left = nan: refused"), std::string::npos) << said;
  EXPECT_NE(said.find("parameter right = 7: out of range, clamped"), std::string::npos) << said;
  EXPECT_NE(said.find("parameter background = nan: refused"), std::string::npos) << said;
  // A colour of the wrong form never reaches the filter: FFmpeg refuses it, and says so.
  EXPECT_EQ(run("ffmpeg -i " + clip + " -vf 'frei0r=vantiro:0|0|0|25|y|0|1|0|1|0.3|0.3|0.5|#12345'" + out), 1);
  EXPECT_NE(ReadFile(err).find("12345"), std::string::npos);
  ASSERT_EQ(Melt(clip + " -filter frei0r.vantiro left=nan rotation=-3 background=bogus", "mlt", err), 0);
  said = ReadFile(err);
  EXPECT_NE(said.find("parameter rotation = -3: out of range, clamped"), std::string::npos) << said;
  EXPECT_TRUE(fs::exists(dir / Frame("mlt", kFrames))) << "every frame rendered";
}
