// vantiro and the user's files: an input is never written over, an interrupted or failed
// run leaves nothing behind and older files as they were.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/app/TestClips.h"
#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

using vantiro::test::Lines;
using vantiro::test::Listing;
using vantiro::test::ReadFile;
using vantiro::test::RunVantiro;
using vantiro::test::ScratchFolder;
using vantiro::test::WriteFile;
namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return std::string("'").append(p.string()).append("'"); }

// A vantiro run in the background, its standard error going to a file.
class Background {
 public:
  Background(std::vector<std::string> args, const fs::path& errFile, const fs::path& tmpDir, bool ignoreHangUp = false)
      : err_(errFile) {
    args.insert(args.begin(), std::string(VANTIRO_TEST_BIN) + "/vantiro");
    if ((pid_ = fork()) != 0) return;
    const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), null = open("/dev/null", O_RDWR);
    dup2(null, 0), dup2(null, 1), dup2(fd, 2);
    setenv("TMPDIR", tmpDir.c_str(), 1);
    if (ignoreHangUp) signal(SIGHUP, SIG_IGN);  // as nohup starts it
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  ~Background() {
    if (pid_ > 0 && !reaped_) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  }
  // Waits (up to a minute) until `ready` holds while the program still runs.
  bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 6000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
      if (ready()) return true;
      if (waitpid(pid_, &status_, WNOHANG) == pid_) return reaped_ = true, false;
    }
    return false;
  }
  int Stop(int signal) {
    kill(pid_, signal);
    waitpid(pid_, &status_, 0);
    reaped_ = true;
    return status_;
  }
  std::string err() const { return ReadFile(err_); }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
  fs::path err_;
};

int CountPartials(const fs::path& dir) {
  int n = 0;
  for (const auto& name : Listing(dir)) n += name.find(".partial-") != std::string::npos;
  return n;
}

class FileSafety : public ::testing::Test {
 protected:
  ScratchFolder prefs, dir;
  fs::path clip = dir / "clip.mp4";
  FileSafety() { prefs.UseAsPreferencesFolder(); }
};

}  // namespace

TEST_F(FileSafety, AnOutputThatIsTheInputIsRefusedBeforeAnythingIsWritten) {
  vantiro::test::WriteFlatClip(clip.string(), {.frames = 10});
  vantiro::test::WriteClip((dir / "pic.png").string(), {.frames = 1}, [](int, uint8_t* p) { p[0] = 255; });
  fs::create_directory(dir / "sub");
  fs::create_symlink(clip, dir / "soft.mp4");
  fs::create_hard_link(clip, dir / "hard.mp4");
  fs::create_hard_link(clip, dir / "seq-0002.png");  // the third picture of a sequence
  const std::string clipBytes = ReadFile(clip), picBytes = ReadFile(dir / "pic.png");
  const auto before = Listing(dir.path());

  const std::string in = Quoted(clip);
  for (const std::string& args : {
           "render " + in + " " + in + " --frames 3",
           "render " + in + " " + Quoted(dir / "sub/../clip.mp4") + " --frames 3",
           "render " + in + " " + Quoted(dir / "soft.mp4") + " --frames 3",
           "render " + Quoted(dir / "soft.mp4") + " " + Quoted(dir / "hard.mp4"),
           "render " + in + " " + Quoted(dir / "seq.png") + " --frames 5",
           "render " + in + " " + Quoted(dir / "seq.png") + " --from 2",
           "placeholder " + Quoted(dir / "pic.png") + " " + Quoted(dir / "pic.png"),
       }) {
    const auto r = RunVantiro(args);
    EXPECT_EQ(r.status, 1) << args << "\n" << r.err;
    EXPECT_EQ(Lines(r.err), 1) << args << "\n" << r.err;
    EXPECT_NE(r.err.find("input"), std::string::npos) << args << "\n" << r.err;
  }
  EXPECT_EQ(ReadFile(clip), clipBytes);
  EXPECT_EQ(ReadFile(dir / "pic.png"), picBytes);
  EXPECT_EQ(Listing(dir.path()), before) << "nothing written, nothing left";

  // A sequence that stops short of the linked name, or starts after it, may be written.
  for (const char* range : {"--frames 2", "--from 3 --frames 2"}) {
    const auto r = RunVantiro("render " + in + " " + Quoted(dir / "seq.png") + " " + range);
    EXPECT_EQ(r.status, 0) << range << "\n" << r.err;
  }
  EXPECT_EQ(ReadFile(dir / "seq-0002.png"), clipBytes);
  EXPECT_TRUE(fs::exists(dir / "seq-0001.png") && fs::exists(dir / "seq-0004.png"));
}

// Every interruption, whatever the output, ends with one line, a failing status and no
// temporary file: not beside the output and not in the temporary folder.
TEST_F(FileSafety, AnInterruptedRunRemovesEveryTemporaryFile) {
  vantiro::test::WriteFlatClip(clip.string(), {.width = 320, .height = 240, .frames = 3000});
  const struct {
    std::vector<std::string> args;
    int signal;
    int partials;  // temporary files to wait for before interrupting
    bool inTmp;    // there rather than beside the output
  } cases[] = {
      {{"render", clip.string(), "OUT/movie.mp4"}, SIGINT, 1, false},
      {{"render", clip.string(), "OUT/frames.png"}, SIGTERM, 20, false},
      {{"demo", "--out", "OUT"}, SIGTERM, 2, true},  // while it makes its clip
  };
  for (const auto& c : cases) {
    ScratchFolder out, tmp;
    std::vector<std::string> args = c.args;
    for (auto& a : args)
      if (a.starts_with("OUT")) a = (out / a.substr(std::min<std::size_t>(4, a.size()))).string();
    Background run(args, dir / "err", tmp.path());
    ASSERT_TRUE(run.WaitFor([&] { return CountPartials(c.inTmp ? tmp.path() : out.path()) >= c.partials; })) << args[0] << "\n" << run.err();
    const int status = run.Stop(c.signal);
    ASSERT_TRUE(WIFEXITED(status)) << args[0] << " ended by the signal, not by itself";
    EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << args[0];
    EXPECT_EQ(run.err().substr(run.err().rfind("vantiro: ")), "vantiro: interrupted\n") << args[0];
    EXPECT_EQ(Listing(out.path()), std::vector<std::string>{}) << args[0];
    EXPECT_EQ(Listing(tmp.path()), std::vector<std::string>{}) << args[0];
  }
}

TEST_F(FileSafety, AHangUpIgnoredOnPurposeStaysIgnored) {
  vantiro::test::WriteFlatClip(clip.string(), {.width = 320, .height = 240, .frames = 300});
  Background run({"render", clip.string(), (dir / "movie.mp4").string()}, prefs / "err", prefs.path(), true);
  ASSERT_TRUE(run.WaitFor([&] { return CountPartials(dir.path()) >= 1; })) << run.err();
  const int status = run.Stop(SIGHUP);
  ASSERT_TRUE(WIFEXITED(status)) << run.err();
  EXPECT_EQ(WEXITSTATUS(status), 0) << run.err();
  EXPECT_TRUE(fs::exists(dir / "movie.mp4"));
}

TEST_F(FileSafety, DamagedInputIsOneLineInOurOwnWords) {
  WriteFile(dir / "noise.mp4", std::string(4000, '\x5a'));
  // A header promising pictures far larger than anything can be decoded.
  WriteFile(dir / "huge.y4m", "YUV4MPEG2 W30000 H30000 F25:1 Ip A1:1 C420jpeg\nFRAME\n" + std::string(5000, '\0'));
  // A clip whose pictures are partly overwritten: it still renders, FFmpeg complains.
  vantiro::test::WriteClip(clip.string(), {.frames = 20}, [](int n, uint8_t* p) {
    for (int i = 0; i < 64 * 48 * 4; ++i) p[i] = static_cast<uint8_t>(i * 7 + n * 13 + (i >> 5) * 29);
  });
  std::string bytes = ReadFile(clip);
  const std::size_t data = bytes.find("mdat"), index = bytes.find("moov");
  ASSERT_LT(data + 4000, index) << "the pictures come before the index";
  std::fill(bytes.begin() + static_cast<long>(data + 3000), bytes.begin() + static_cast<long>(data + 3400), '\x5a');
  WriteFile(dir / "damaged.mp4", bytes);
  const struct {
    std::string file;
    int status;
    std::string says;
  } cases[] = {
      {"noise.mp4", 1, "damaged or not a video"},
      {"huge.y4m", 1, "pictures of 30000x30000, larger than FFmpeg decodes"},
      {"damaged.mp4", 0, "rendered 20 frames"},
  };
  for (const auto& c : cases) {
    const std::string args = "render " + Quoted(dir / c.file) + " " + Quoted(dir / "out.mp4");
    auto r = RunVantiro(args);
    EXPECT_EQ(r.status, c.status) << c.file;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    r = RunVantiro("--verbose " + args);
    EXPECT_GT(Lines(r.err), 1) << "FFmpeg's own words with --verbose\n" << r.err;
  }
}

TEST_F(FileSafety, NamesStartingWithADashFollowADoubleDash) {
  vantiro::test::WriteFlatClip((dir / "-odd.mp4").string(), {.frames = 3});
  const fs::path home = fs::current_path();
  fs::current_path(dir.path());
  auto r = RunVantiro("render --frames 1 -- -odd.mp4 -out.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "-out.png"));
  r = RunVantiro("render -odd.mp4 out.png");
  EXPECT_EQ(r.status, 2) << "without the double dash it is an unknown option\n" << r.err;
  fs::current_path(home);
}
