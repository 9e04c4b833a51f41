#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/DataHandling.h"
#include "model/pascalFX.h"
#include "platform/memory/Memory.h"

namespace {

// A value's bytes in this processor's order, as the record stores them.
template <typename T>
std::string Raw(T value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class RecordTest : public ::testing::Test {
 protected:
  pluginDataPtr config = nullptr;
  Handle record = NewHandleClear(cConfigSaveSize);
  RecordTest() {
    pNewConfig(&config);
    ResetConfig(config, true);
  }
  ~RecordTest() override {
    DisposeHandle(record);
    pDestroyConfig(config);
  }
  std::string At(std::size_t offset, std::size_t length) const { return std::string(*record + offset, length); }
};

}  // namespace

// A different value in every field, so that no field can stand in for another: each
// stored one sits at its offset in this processor's order and reads back; the rest is left.
TEST_F(RecordTest, FieldsSitAtTheirOffsetsAndReadBack) {
  config->startRel = {0.125, 0.75, -0.5, 2.0};
  config->endRel = {0.1, 0.2, 0.3, 0.4};
  for (int i = 0; i < 6; ++i) {
    config->sliders[i] = int16_t(10 * i - 25);
    config->colors[i] = {uint16_t(1000 * i + 1), uint16_t(1000 * i + 2), uint16_t(1000 * i + 3)};
  }
  config->frameStartColor = {7001, 7002, 7003};
  config->frameEndColor = {8001, 8002, 8003};
  config->mediaType = 3;
  config->keepProps = true;
  config->blendMode = 7;
  config->sync = config->clipActive = true;  // not stored
  config->outside = false;
  ASSERT_TRUE(Config2Save(config, record));

  const auto rgb = [](uint16_t first) { return Raw(first) + Raw(uint16_t(first + 1)) + Raw(uint16_t(first + 2)); };
  const std::string misc = "Config save for Tolvane iMovie plug-in";
  const std::pair<std::size_t, std::string> fields[] = {
      {0, Raw<uint32_t>(cConfigSaveSize)}, {4, Raw<uint32_t>(3)}, {8, Raw(0.125)}, {16, Raw(0.75)},
      {24, Raw(-0.5)}, {32, Raw(2.0)}, {40, Raw(0.1)}, {64, Raw(0.4)}, {72, rgb(1)}, {102, rgb(5001)},
      {108, Raw<int16_t>(-25)}, {118, Raw<int16_t>(25)}, {120, rgb(7001)}, {126, rgb(8001)},
      {132, Raw<int16_t>(3)}, {134, std::string(1, '\1')}, {135, std::string(1, '\0')}, {136, Raw<int16_t>(7)},
      {138, std::string(1, char(misc.size())) + misc},
      {139 + misc.size(), std::string(cConfigSaveSize - 139 - misc.size(), '\0')}};
  for (const auto& [offset, bytes] : fields) EXPECT_EQ(At(offset, bytes.size()), bytes) << "at " << offset;

  pluginDataRec target;
  std::memset(&target, 0, sizeof target);  // padding included, for the comparison below
  ResetConfig(&target, true);
  auto* marker = reinterpret_cast<CGImageRef>(uintptr_t(0x1000));
  target.theOriginalImage = target.theRendered = marker;
  ASSERT_TRUE(Save2Config(&target, record));
  EXPECT_EQ(std::memcmp(&target, config, offsetof(pluginDataRec, sync)), 0) << "rectangles, sliders, colours, format";
  EXPECT_TRUE(target.keepProps && target.outside && !target.sync && !target.clipActive);
  EXPECT_EQ(target.blendMode, 7);
  EXPECT_TRUE(target.theOriginalImage == marker && target.theRendered == marker);
}

// Only a record of exactly this build's size and version is read; anything else, older or
// newer, leaves every field alone.
TEST_F(RecordTest, ForeignRecordsChangeNothing) {
  ASSERT_TRUE(Config2Save(config, record));
  const uint32_t otherSize = cConfigSaveSize == 396 ? 394 : 396;
  const std::pair<uint32_t, uint32_t> foreign[] = {
      {cConfigSaveSize, 2}, {cConfigSaveSize, 4}, {cConfigSaveSize, 0xFFFFFFFF}, {cConfigSaveSize, 0},
      {otherSize, 3}, {cConfigSaveSize + 1, 3}, {0, 3}};
  const std::string junk(sizeof(pluginDataRec), '\x33');
  for (const auto& [size, version] : foreign) {
    std::memcpy(*record, &size, 4);
    std::memcpy(*record + 4, &version, 4);
    std::memcpy(config, junk.data(), junk.size());
    EXPECT_FALSE(Save2Config(config, record)) << "size " << size << ", version " << version;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(config), junk.size()), junk) << "size " << size;
  }
  Handle shortRecord = NewHandleClear(200);
  std::memcpy(*shortRecord, &cConfigSaveSize, 4);
  std::memcpy(*shortRecord + 4, &cConfigSaveVersion, 4);
  EXPECT_FALSE(Save2Config(config, shortRecord)) << "a record shorter than it says";
  DisposeHandle(shortRecord);
}
