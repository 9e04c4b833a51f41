#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "model/DataHandling.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "tests/host/PluginFixture.h"
#include "tests/model/SettingsFile.h"

using namespace vantiro::test;

namespace {

class EntryTest : public PluginFixture {
 protected:
  // Saves a configuration as an earlier run of the plug-in would have.
  void StoreSettings(int16_t width) {
    pluginDataRec earlier{};
    ResetConfig(&earlier, true);
    earlier.sliders[0] = width;
    earlier.mediaType = 3;
    EnsurePrefsFile();
    ASSERT_TRUE(SaveConfig(&earlier));
  }
};

}  // namespace

TEST_F(EntryTest, RejectedCallsLeaveThePluginUninitialisedAndTheFirstAcceptedOneStartsIt) {
  EXPECT_EQ(PlugMain(0, nullptr), kPluginBadParams);
  host.params.interfaceVersion = 3;
  EXPECT_EQ(Call(kPlugGetInfo), kPluginAppIsTooOld);
  host.params.interfaceVersion = 4;
  HYProcs* procs = host.params.procs;
  host.params.procs = nullptr;
  EXPECT_EQ(Call(kPlugGetInfo), kPluginBadParams) << "no allocator, no plug-in";
  host.params.procs = procs;
  EXPECT_EQ(gPascalData, nullptr);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(PrefsFile()));

  host.params.interfaceVersion = 32767;  // no upper limit
  EXPECT_EQ(Call(kPlugCallOnceWithInitAndTerminate), kPluginOK);
  ASSERT_NE(gPascalData, nullptr) << "the first accepted call creates the master record";
  EXPECT_TRUE(gPascalInited);
  uint32_t size = 0;
  pGetConfigSize(&size);
  ASSERT_EQ(host.Count("NewPtrClear"), 1u) << "from the host's allocator";
  EXPECT_EQ(host.Last("NewPtrClear")->args[0], size);
  // The first start saves exactly the defaults.
  pluginDataRec defaults{};
  ResetConfig(&defaults, true);
  Handle h = NewHandleClear(cConfigSaveSize);
  Config2Save(&defaults, h);
  EXPECT_EQ(StoredRecord(PrefsFile()), std::string(*h, cConfigSaveSize));
  DisposeHandle(h);
}

TEST_F(EntryTest, SelectorsWhoseWorkIsNotBuiltYetSaySo) {
#ifdef VANTIRO_PORTABLE_BUILD
  EXPECT_EQ(Call(kPlugCustomButtonClick), kPluginUnimplemented) << "no settings dialog without windows";
#else
  EXPECT_EQ(Call(kPlugGetInfo), kPluginOK);  // the plug-in initialised first
#endif
  const std::size_t before = host.calls.size();
  for (int s : {0, 3, 4, 7, 10, 200, 255})
    EXPECT_EQ(Call(HYPluginSelector(s)), kPluginOK) << "selector " << s;
  EXPECT_EQ(host.calls.size(), before) << "unhandled selectors touch nothing";
}

TEST_F(EntryTest, NoExceptionReachesTheHost) {
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);
  host.getFilterInfo = [](HYPluginFilterInfo**) -> HYPluginResult { throw std::runtime_error("host fault"); };
  EXPECT_EQ(Call(kPlugInitialize), kPluginFailed);
  EXPECT_EQ(Call(kPlugTerminate), kPluginOK);
}

// Plug-in starts (which write back what they read) and settings changes in parallel
// processes: every change must survive.
TEST_F(EntryTest, ParallelStartsAndChangesLoseNoChange) {
  StoreSettings(0);
  constexpr int kChangers = 2, kStarters = 2, kRounds = 100;
  std::vector<pid_t> children;
  for (int c = 0; c < kChangers + kStarters; ++c) {
    const pid_t child = fork();
    if (child == 0) {
      for (int round = 0; round < kRounds; ++round) {
        if (c < kChangers) {
          PrefsFileLock lock;
          pluginDataRec config{};
          ResetConfig(&config, true);
          ReadConfig(&config);
          ++config.sliders[0];
          if (!SaveConfig(&config)) _exit(1);
        } else {
          DisposePtr(reinterpret_cast<Ptr>(gPascalData));
          gPascalData = nullptr;
          if (Call(kPlugDrawIcon) != kPluginOK) _exit(1);
        }
      }
      _exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ASSERT_EQ(Call(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(gPascalData->sliders[0], kChangers * kRounds);
}

TEST(EntryDeathTest, AHostThatCannotAllocateTheRecordStopsThePlugin) {
  ScratchFolder prefs;
  prefs.UseAsPreferencesFolder();
  RecordingHost host;
  host.failAllocations = 1;
  host.params.selector = kPlugGetInfo;
  EXPECT_EXIT(PlugMain(0, &host.params), testing::ExitedWithCode(1), "Unable to allocate new data structure");
}
