// Each build reads only the settings records a build for its own processor wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "tests/testlib/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

#if defined(__powerpc__)
constexpr const char* kThisBuild = "powerpc";
#elif defined(__i386__)
constexpr const char* kThisBuild = "i686";
#else
constexpr const char* kThisBuild = "x86_64";
#endif

// A record with the defaults, freed with the test.
std::unique_ptr<pluginDataRec, void (*)(pluginDataPtr)> Defaults() {
  pluginDataPtr p = nullptr;
  pNewConfig(&p);
  ResetConfig(p, true);
  return {p, pDestroyConfig};
}

}  // namespace

TEST(SettingsRecords, OnlyThisProcessorsRecordsAreRead) {
  const char* records = std::getenv("VANTIRO_FOREIGN_RECORDS");
  if (records == nullptr) GTEST_SKIP() << "test.sh writes every build's record first and sets VANTIRO_FOREIGN_RECORDS";
  int foreign = 0;
  for (const auto& entry : fs::directory_iterator(records)) {
    const std::string build = entry.path().filename();
    const bool same = build == kThisBuild ||
                      (build == "x86_64" && std::string(kThisBuild) == "i686") ||
                      (build == "i686" && std::string(kThisBuild) == "x86_64");
    vantiro::test::ScratchFolder prefs;
    prefs.UseAsPreferencesFolder();
    fs::copy_file(entry.path() / "vloqa-Prefs", prefs / "vloqa-Prefs");
    const auto config = Defaults();
    const bool read = ReadConfig(config.get());
    if (same) {
      // Intel builds share the little-endian record, whatever their word size.
      EXPECT_TRUE(read) << build << "'s record is this processor's";
      EXPECT_EQ(config.get()->sliders[0], 42);
      continue;
    }
    ++foreign;
    EXPECT_FALSE(read) << kThisBuild << " read " << build << "'s record";
    EXPECT_EQ(config.get()->sliders[0], 0) << "the defaults stay";
    EXPECT_EQ(config.get()->mediaType, 1);
    ASSERT_TRUE(SaveConfig(config.get())) << "and the next save replaces it";
    EXPECT_TRUE(ReadConfig(Defaults().get()));
  }
  EXPECT_GE(foreign, 1) << "no record of another processor in " << records;
}
