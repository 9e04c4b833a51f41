// Each build reads only the settings records a build for its own processor wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

#if defined(__powerpc__)
const std::string kThisBuild = "powerpc";
#else
const std::string kThisBuild = "intel";  // both Intel builds share the little-endian record
#endif

// Reads a fresh default record from the preferences; false when none could be read.
bool ReadInto(pluginDataPtr* config) {
  pNewConfig(config);
  ResetConfig(*config, true);
  return ReadConfig(*config);
}

}  // namespace

TEST(SettingsRecords, OnlyThisProcessorsRecordsAreRead) {
  const char* records = std::getenv("VANTIRO_FOREIGN_RECORDS");
  if (records == nullptr) GTEST_SKIP() << "test.sh writes every build's record first and sets VANTIRO_FOREIGN_RECORDS";
  int foreign = 0;
  for (const auto& entry : fs::directory_iterator(records)) {
    const std::string build = entry.path().filename();
    const bool same = (build == "powerpc" ? "powerpc" : "intel") == kThisBuild;
    vantiro::test::ScratchFolder prefs;
    prefs.UseAsPreferencesFolder();
    fs::copy_file(entry.path() / "vloqa-Prefs", prefs / "vloqa-Prefs");
    pluginDataPtr config = nullptr, again = nullptr;
    const bool read = ReadInto(&config);
    EXPECT_EQ(read, same) << kThisBuild << " build and " << build << "'s record";
    EXPECT_EQ(config->sliders[0], same ? 42 : 0) << "a foreign record leaves the defaults";
    if (!same) {
      ++foreign;
      EXPECT_EQ(config->mediaType, 1);
      EXPECT_TRUE(SaveConfig(config)) << "and the next save replaces it";
      EXPECT_TRUE(ReadInto(&again));
      pDestroyConfig(again);
    }
    pDestroyConfig(config);
  }
  EXPECT_GE(foreign, 1) << "no record of another processor in " << records;
}
