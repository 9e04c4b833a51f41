// vantiro and the user's files: an input is never written over; bad input, an interrupted
// or a failed run leaves nothing behind and older files as they were.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>
#include <utility>
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

// A vantiro run in the background, started by a shell after `setUp`; its standard error
// goes to `err`, its temporary files into `tmp`.
class Background {
 public:
  Background(const std::string& args, const fs::path& err, const fs::path& tmp, const std::string& setUp = "")
      : err_(err) {
    const std::string script = setUp + "exec env TMPDIR=" + Quoted(tmp) + " " + VANTIRO_TEST_BIN + "/vantiro " + args +
                               " </dev/null >/dev/null 2>" + Quoted(err);
    if ((pid_ = fork()) != 0) return;
    execl("/bin/sh", "sh", "-c", script.c_str(), nullptr);
    _exit(127);
  }
  ~Background() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  // Waits (up to a minute) until `ready` holds while the program still runs.
  bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 6000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
      if (ready()) return true;
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;  // it ended by itself
        return false;
      }
    }
    return false;
  }
  int Stop(int signal) {
    int status = 0;
    kill(pid_, signal);
    waitpid(std::exchange(pid_, -1), &status, 0);
    return status;
  }
  std::string err() const { return ReadFile(err_); }

 private:
  pid_t pid_ = -1;  // -1 once reaped
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

// Refusals and bad input: one line (usage errors add a hint), before anything is written.
TEST_F(FileSafety, AnOutputThatIsTheInputOrBadInputIsRefusedBeforeAnythingIsWritten) {
  vantiro::test::WriteClip(clip.string(), {.frames = 10});
  vantiro::test::WriteClip((dir / "pic.png").string(), {.frames = 1}, [](int, uint8_t* p) { p[0] = 255; });
  fs::create_symlink(clip, dir / "soft.mp4");
  fs::create_hard_link(clip, dir / "hard.mp4");
  fs::create_hard_link(clip, dir / "seq-0002.png");  // the third picture of a sequence
  WriteFile(dir / "noise.mp4", std::string(4000, '\x5a'));
  // A header promising pictures far larger than anything can be decoded.
  WriteFile(dir / "huge.y4m", "YUV4MPEG2 W30000 H30000 F25:1 Ip A1:1 C420jpeg\nFRAME\n" + std::string(5000, '\0'));
  const std::string clipBytes = ReadFile(clip), picBytes = ReadFile(dir / "pic.png");
  const auto before = Listing(dir.path());

  const std::string in = Quoted(clip), out = Quoted(dir / "o.mp4"), input = "it is the input";
  const struct {
    std::string args;
    int status;
    std::string says;
  } cases[] = {
      {"render " + in + " " + in + " --frames 3", 1, input},
      {"render " + Quoted(dir / "soft.mp4") + " " + Quoted(dir / "hard.mp4"), 1, input},
      {"render " + in + " " + Quoted(dir / "seq.png") + " --frames 5", 1, input},
      {"render " + in + " " + Quoted(dir / "seq.png") + " --from 2", 1, input},
      {"placeholder " + Quoted(dir / "pic.png") + " " + Quoted(dir / "pic.png"), 1, input},
      {"render " + Quoted(dir / "missing.mp4") + " " + out, 1, "does not exist"},
      {"render " + Quoted(dir / "noise.mp4") + " " + out, 1, "damaged or not a video"},
      {"render " + Quoted(dir / "huge.y4m") + " " + out, 1, "pictures of 30000x30000, larger than FFmpeg decodes"},
      {"render " + in + " " + Quoted(dir / "o.xyz"), 1, "extension"},
      {"render " + in + " " + out + " --from 5 --frames 10", 1, "outside"},
      {"render " + in + " " + Quoted(dir / "no-such-folder/o.mp4"), 1, "cannot write"},
      {"placeholder " + in + " " + out, 1, ".png"},
      // Sizes the encoder would refuse, refused before any work.
      {"render " + in + " " + out + " --size 16384x16384", 1, "too large for H.264"},
      {"render " + in + " " + Quoted(dir / "o.png") + " --size 16384x16384", 1, "too large for a PNG"},
      {"render " + in + " " + out + " --frames ten", 2, "whole number"},
      {"render " + in + " " + out + " --size 640by480", 2, "WIDTHxHEIGHT"},
      {"render " + in, 2, "usage"},
      {"render " + in + " " + out + " --fade-in -3", 2, "between"},
  };
  for (const auto& c : cases) {
    const auto r = RunVantiro(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_EQ(Lines(r.err), c.status == 2 ? 2 : 1) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
  EXPECT_GT(Lines(RunVantiro("--verbose render " + Quoted(dir / "noise.mp4") + " " + out).err), 1)
      << "FFmpeg's own words with --verbose";
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

// A clip with some of its pictures overwritten still renders whole: FFmpeg's complaints
// stay behind --verbose.
TEST_F(FileSafety, ADamagedClipStillRendersEveryFrame) {
  vantiro::test::WriteClip(clip.string(), {.frames = 20}, [](int n, uint8_t* p) {
    for (int i = 0; i < 64 * 48 * 4; ++i) p[i] = static_cast<uint8_t>(i * 7 + n * 13 + (i >> 5) * 29);
  });
  std::string bytes = ReadFile(clip);
  const std::size_t data = bytes.find("mdat");
  ASSERT_LT(data + 4000, bytes.find("moov")) << "the pictures come before the index";
  std::fill_n(bytes.begin() + static_cast<long>(data + 3000), 400, '\x5a');
  WriteFile(dir / "damaged.mp4", bytes);
  const auto r = RunVantiro("render " + Quoted(dir / "damaged.mp4") + " " + Quoted(dir / "out.mp4"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("rendered 20 frames"), std::string::npos) << r.err;
}

// Every interruption, whatever the output, ends with one line, a failing status and no
// temporary file: not beside the output and not in the temporary folder.
TEST_F(FileSafety, AnInterruptedRunRemovesEveryTemporaryFile) {
  vantiro::test::WriteClip(clip.string(), {.width = 320, .height = 240, .frames = 3000});
  const struct {
    std::string args;  // the output folder's name follows
    const char* leaf;
    int signal;
    int partials;  // temporary files to wait for before interrupting
    bool inTmp;    // there rather than beside the output
  } cases[] = {
      {"render " + Quoted(clip) + " ", "/movie.mp4", SIGINT, 1, false},
      {"render " + Quoted(clip) + " ", "/frames.png", SIGTERM, 20, false},
      {"demo --out ", "", SIGTERM, 2, true},  // while it makes its clip
  };
  for (const auto& c : cases) {
    ScratchFolder out, tmp;
    const std::string args = c.args + Quoted(out.path().string() + c.leaf);
    Background run(args, dir / "err", tmp.path());
    ASSERT_TRUE(run.WaitFor([&] { return CountPartials(c.inTmp ? tmp.path() : out.path()) >= c.partials; }))
        << args << "\n" << run.err();
    const int status = run.Stop(c.signal);
    ASSERT_TRUE(WIFEXITED(status)) << args << " ended by the signal, not by itself";
    EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << args;
    EXPECT_EQ(run.err().substr(run.err().rfind("vantiro: ")), "vantiro: interrupted\n") << args;
    EXPECT_EQ(Listing(out.path()), std::vector<std::string>{}) << args;
    EXPECT_EQ(Listing(tmp.path()), std::vector<std::string>{}) << args;
  }
}

TEST_F(FileSafety, AHangUpIgnoredOnPurposeStaysIgnored) {
  vantiro::test::WriteClip(clip.string(), {.width = 320, .height = 240, .frames = 300});
  const std::string args = "render " + Quoted(clip) + " " + Quoted(dir / "movie.mp4");
  Background run(args, prefs / "err", prefs.path(), "trap '' HUP; ");
  ASSERT_TRUE(run.WaitFor([&] { return CountPartials(dir.path()) >= 1; })) << run.err();
  const int status = run.Stop(SIGHUP);
  ASSERT_TRUE(WIFEXITED(status)) << run.err();
  EXPECT_EQ(WEXITSTATUS(status), 0) << run.err();
  EXPECT_TRUE(fs::exists(dir / "movie.mp4"));
}

TEST_F(FileSafety, NamesStartingWithADashFollowADoubleDash) {
  vantiro::test::WriteClip((dir / "-odd.mp4").string(), {.frames = 3});
  const fs::path home = fs::current_path();
  fs::current_path(dir.path());
  auto r = RunVantiro("render --frames 1 -- -odd.mp4 -out.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "-out.png"));
  r = RunVantiro("render -odd.mp4 out.png");
  EXPECT_EQ(r.status, 2) << "without the double dash it is an unknown option\n" << r.err;
  fs::current_path(home);
}
