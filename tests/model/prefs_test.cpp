#include <gtest/gtest.h>

#include <cstring>

#include "model/DataHandling.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/memory/Memory.h"
#include "platform/resources/ResourceFork.h"
#include "tests/testlib/ScratchFolder.h"

using vantiro::test::ReadFile;
using vantiro::test::WriteFile;

namespace {

std::optional<vantiro::ResourceFork> ParseFile(const std::filesystem::path& path) {
  const std::string bytes = ReadFile(path);
  return vantiro::ParseResourceFork(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

class PrefsTest : public ::testing::Test {
 protected:
  vantiro::test::ScratchFolder folder;
  std::filesystem::path file = folder / "vloqa-Prefs";
  pluginDataPtr config = nullptr;

  PrefsTest() {
    folder.UseAsPreferencesFolder();
    pNewConfig(&config);
    ResetConfig(config, true);
  }
  ~PrefsTest() override { pDestroyConfig(config); }

  vantiro::Resource StoredRecord() {
    auto fork = ParseFile(file);
    EXPECT_TRUE(fork.has_value());
    EXPECT_EQ(fork->Count(cPrefsType), 1u);
    auto* res = fork->Find(cPrefsType, 1);
    EXPECT_NE(res, nullptr);
    return res ? *res : vantiro::Resource{};
  }
};

}  // namespace

TEST_F(PrefsTest, FirstStartCreatesTheFileAndSavesTheDefaults) {
  EnsurePrefsFile();
  ASSERT_TRUE(std::filesystem::exists(file));
  ASSERT_TRUE(ParseFile(file).has_value()) << "an empty resource file";
  EXPECT_FALSE(ReadConfig(config));
  ASSERT_TRUE(SaveConfig(config));
  const vantiro::Resource rec = StoredRecord();
  EXPECT_EQ(rec.name, "Config Settings");
  EXPECT_EQ(rec.data.size(), cConfigSaveSize);

  pluginDataPtr back = nullptr;
  pNewConfig(&back);
  EXPECT_TRUE(ReadConfig(back));
  EXPECT_EQ(std::memcmp(&back->startRel, &config->startRel, offsetof(pluginDataRec, sync)), 0);
  pDestroyConfig(back);
}

TEST_F(PrefsTest, EnsuringAnExistingFileLeavesItAlone) {
  WriteFile(file, "not even a resource file");
  EnsurePrefsFile();
  EXPECT_EQ(ReadFile(file), "not even a resource file");
}

TEST_F(PrefsTest, SavingKeepsOneRecordAndEveryOtherResource) {
  vantiro::ResourceFork fork;
  fork.resources.push_back({cPrefsType, 1, "Config Settings", 0, "old and short"});
  fork.resources.push_back({cPrefsType, 2, std::nullopt, 0, "another preference"});
  fork.resources.push_back({FOUR_CHAR_CODE('O', 't', 'h', 'r'), 5, std::nullopt, 0, "kept"});
  const auto bytes = vantiro::SerializeResourceFork(fork);
  WriteFile(file, std::string(bytes.begin(), bytes.end()));

  EXPECT_FALSE(ReadConfig(config)) << "a record of another size is not read";
  config->sliders[2] = 33;
  ASSERT_TRUE(SaveConfig(config));
  ASSERT_TRUE(SaveConfig(config));
  auto after = ParseFile(file);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->resources.size(), 3u);
  ASSERT_NE(after->Find(cPrefsType, 2), nullptr);
  EXPECT_EQ(after->Find(cPrefsType, 2)->data, "another preference");
  EXPECT_EQ(after->Find(FOUR_CHAR_CODE('O', 't', 'h', 'r'), 5)->data, "kept");
  EXPECT_EQ(after->Find(cPrefsType, 1)->data.size(), cConfigSaveSize);
}

TEST_F(PrefsTest, AForeignRecordKeepsTheDefaultsUntilTheNextSaveReplacesIt) {
  Handle rec = NewHandleClear(cConfigSaveSize);
  pluginDataPtr other = nullptr;
  pNewConfig(&other);
  ResetConfig(other, true);
  other->sliders[0] = 77;
  Config2Save(other, rec);
  const uint32_t oldVersion = 2;
  std::memcpy(*rec + 4, &oldVersion, 4);
  vantiro::ResourceFork fork;
  fork.resources.push_back({cPrefsType, 1, "Config Settings", 0, std::string(*rec, cConfigSaveSize)});
  const auto bytes = vantiro::SerializeResourceFork(fork);
  WriteFile(file, std::string(bytes.begin(), bytes.end()));
  DisposeHandle(rec);
  pDestroyConfig(other);

  EXPECT_FALSE(ReadConfig(config));
  EXPECT_EQ(config->sliders[0], 0);
  ASSERT_TRUE(SaveConfig(config));
  EXPECT_TRUE(ReadConfig(config));
  EXPECT_EQ(config->sliders[0], 0);
}

TEST_F(PrefsTest, ADamagedFileIsKeptAsideAndReplaced) {
  const std::string junk(1000, '\xA7');
  WriteFile(file, junk);
  EXPECT_FALSE(ReadConfig(config));
  ASSERT_TRUE(SaveConfig(config));
  EXPECT_EQ(ReadFile(folder / "vloqa-Prefs.damaged"), junk) << "nothing the user had is lost";
  EXPECT_EQ(StoredRecord().data.size(), cConfigSaveSize);
}

TEST(PrefsFolder, IsNeverCreated) {
  vantiro::test::ScratchFolder folder;
  setenv("XDG_CONFIG_HOME", (folder / "missing").c_str(), 1);
  pluginDataPtr config = nullptr;
  pNewConfig(&config);
  ResetConfig(config, true);
  EnsurePrefsFile();
  EXPECT_FALSE(SaveConfig(config));
  EXPECT_FALSE(ReadConfig(config));
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
  EXPECT_FALSE(SaveConfig(nullptr));
  EXPECT_FALSE(ReadConfig(nullptr));
  pDestroyConfig(config);
}
