// The settings file on disk: anything that is not a settings file kept aside, one atomic
// write per save, and honest reasons for failures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/files/Files.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;
using vantiro::test::ReadFile;
using vantiro::test::WriteFile;

namespace {

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Runs `check` in a child process as an unprivileged user when this one is root, whom
// file permissions do not stop; true when the check passed.
bool AsUnprivilegedUser(const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  const pid_t child = fork();
  if (child == 0) {
    const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
    _exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class PrefsTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder folder;
  fs::path file = folder / "vloqa-Prefs";
  pluginDataPtr config = nullptr;

  PrefsTest() {
    folder.UseAsPreferencesFolder();
    pNewConfig(&config);
    ResetConfig(config, true);
  }
  ~PrefsTest() override { pDestroyConfig(config); }

  static int16_t ReadWidth() {
    pluginDataRec back{};
    return ReadConfig(&back) ? back.sliders[0] : -999;
  }
};

}  // namespace

// Each of these under the settings file's name once made every program that loads the
// plug-in crash or hang; now each is moved aside, never over an earlier one.
TEST_F(PrefsTest, WhatIsNoSettingsFileIsKeptAsideAndReplaced) {
  const std::string junk(1000, '\xA7');
  const std::tuple<const char*, mode_t, std::function<void()>> cases[] = {
      {"damaged bytes", S_IFREG, [&] { WriteFile(file, junk); }},
      {"a folder", S_IFDIR, [&] { fs::create_directory(file), WriteFile(file / "inside", "x"); }},
      {"a named pipe", S_IFIFO, [&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
      {"a link to an endless device", S_IFLNK, [&] { fs::create_symlink("/dev/zero", file); }},
      {"a file too large to be ours", S_IFREG, [&] { WriteFile(file, ""), fs::resize_file(file, (16u << 20) + 1); }},
  };
  config->sliders[0] = 17;
  std::string aside = "vloqa-Prefs.damaged";
  int n = 1;
  for (const auto& [what, kind, make] : cases) {
    SCOPED_TRACE(what);
    make();
    EXPECT_FALSE(ReadConfig(config));
    EXPECT_EQ(PrefsFileError(), mapReadErr);
    ASSERT_TRUE(SaveConfig(config));
    EXPECT_EQ(ReadWidth(), 17);
    EXPECT_EQ(StatOf(folder / aside).st_mode & S_IFMT, kind);
    aside = "vloqa-Prefs.damaged-" + std::to_string(++n);
    fs::remove(file);
  }
  EXPECT_EQ(ReadFile(folder / "vloqa-Prefs.damaged"), junk) << "nothing the user had is lost";
}

TEST_F(PrefsTest, ASaveWritesOnceAndOnlyWhenSomethingChanged) {
  EnsurePrefsFile();
  ASSERT_TRUE(SaveConfig(config));
  const ino_t first = StatOf(file).st_ino;
  ASSERT_TRUE(SaveConfig(config));
  EXPECT_EQ(StatOf(file).st_ino, first) << "the same settings again are not written";
  config->sliders[0] = 5;
  ASSERT_TRUE(SaveConfig(config));
  EXPECT_NE(StatOf(file).st_ino, first);

  // A save killed at any moment leaves the old record or the new one, never none.
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const pid_t child = fork();
    if (child == 0) {
      for (int16_t n = 0;; n = int16_t((n + 1) % 100)) {
        config->sliders[0] = n;
        SaveConfig(config);
      }
    }
    usleep(200 + random() % 3000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const int16_t width = ReadWidth();
    ASSERT_TRUE(width >= 0 && width < 100) << "round " << round << ": the record is gone";
  }
  // What killed saves left behind goes with the next save, and only that.
  WriteFile(folder / ".vloqa-Prefs.keep", "k");
  WriteFile(folder / ".vloqa-Prefs.1234567", "k");
  WriteFile(folder / ".vloqa-Prefs.AbC123", "stale");
  ASSERT_TRUE(SaveConfig(config));
  EXPECT_EQ(vantiro::test::Listing(folder.path()),
            (std::vector<std::string>{".vloqa-Prefs.1234567", ".vloqa-Prefs.keep", "vloqa-Prefs", "vloqa-Prefs.lock"}));
}

TEST_F(PrefsTest, FailuresSayWhatIsWrong) {
  EXPECT_FALSE(ReadConfig(config));
  EXPECT_EQ(PrefsFileError(), fnfErr) << "no file";
  EnsurePrefsFile();
  EXPECT_FALSE(ReadConfig(config));
  EXPECT_EQ(PrefsFileError(), resNotFound) << "no record yet";
  ASSERT_TRUE(SaveConfig(config));
  fs::permissions(folder.path(), fs::perms::all);
  fs::permissions(file, fs::perms::none);
  EXPECT_TRUE(AsUnprivilegedUser([&] {
    return !ReadConfig(config) && PrefsFileError() == permErr && !SaveConfig(config) && PrefsFileError() == permErr;
  })) << "an unreadable file is not a missing one";
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  config->sliders[0] = 3;
  EXPECT_TRUE(AsUnprivilegedUser([&] {
    return ReadWidth() == 0 && !SaveConfig(config) && PrefsFileError() == wrPermErr;
  })) << "a file and folder that may not be written";
  fs::permissions(folder.path(), fs::perms::owner_all);
  WriteFile(file, "not even a resource file");
  EnsurePrefsFile();
  EXPECT_EQ(ReadFile(file), "not even a resource file") << "an existing file is left alone";

  setenv("XDG_CONFIG_HOME", (folder / "missing").c_str(), 1);
  EnsurePrefsFile();
  EXPECT_FALSE(SaveConfig(config));
  EXPECT_EQ(PrefsFileError(), dirNFErr);
  EXPECT_FALSE(fs::exists(folder / "missing")) << "the preferences folder is never created";
}
