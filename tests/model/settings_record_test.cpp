#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "model/DataHandling.h"
#include "model/pascalFX.h"
#include "platform/memory/Memory.h"

namespace {

// Expected bytes of a value stored in this processor's order, spelled out byte by byte.
template <typename T>
std::string Bytes(T value) {
  using U = std::make_unsigned_t<std::conditional_t<sizeof(T) == 8, int64_t,
                                 std::conditional_t<sizeof(T) == 4, int32_t, int16_t>>>;
  U bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::string out;
  for (std::size_t i = 0; i < sizeof bits; ++i) {
    const std::size_t shift = std::endian::native == std::endian::little ? i : sizeof bits - 1 - i;
    out += static_cast<char>((bits >> (8 * shift)) & 0xFF);
  }
  return out;
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

TEST_F(RecordTest, FieldsSitAtTheirOffsetsInThisProcessorsOrder) {
  config->startRel = {0.125, 0.75, -0.5, 2.0};
  config->endRel = {0.1, 0.2, 0.3, 0.4};
  config->sliders[0] = -20;
  config->sliders[5] = 300;
  config->colors[0] = {0x1234, 0x5678, 0x9ABC};
  config->colors[5] = {1, 2, 3};
  config->frameStartColor = {10, 20, 30};
  config->frameEndColor = {40, 50, 60};
  config->mediaType = 3;
  config->keepProps = true;
  config->blendMode = 7;
  config->sync = true;  // not stored
  ASSERT_TRUE(Config2Save(config, record));

  EXPECT_EQ(At(0, 4), Bytes<uint32_t>(cConfigSaveSize));
  EXPECT_EQ(At(4, 4), Bytes<uint32_t>(3));
  EXPECT_EQ(At(8, 8), Bytes(0.125));
  EXPECT_EQ(At(16, 8), Bytes(0.75));
  EXPECT_EQ(At(24, 8), Bytes(-0.5));
  EXPECT_EQ(At(32, 8), Bytes(2.0));
  EXPECT_EQ(At(40, 8), Bytes(0.1));
  EXPECT_EQ(At(64, 8), Bytes(0.4));
  EXPECT_EQ(At(72, 6), Bytes<uint16_t>(0x1234) + Bytes<uint16_t>(0x5678) + Bytes<uint16_t>(0x9ABC));
  EXPECT_EQ(At(102, 6), Bytes<uint16_t>(1) + Bytes<uint16_t>(2) + Bytes<uint16_t>(3));
  EXPECT_EQ(At(108, 2), Bytes<int16_t>(-20));
  EXPECT_EQ(At(118, 2), Bytes<int16_t>(300));
  EXPECT_EQ(At(120, 6), Bytes<uint16_t>(10) + Bytes<uint16_t>(20) + Bytes<uint16_t>(30));
  EXPECT_EQ(At(126, 6), Bytes<uint16_t>(40) + Bytes<uint16_t>(50) + Bytes<uint16_t>(60));
  EXPECT_EQ(At(132, 2), Bytes<int16_t>(3));
  EXPECT_EQ(At(134, 1), std::string(1, '\1'));
  EXPECT_EQ(At(135, 1), std::string(1, '\0'));
  EXPECT_EQ(At(136, 2), Bytes<int16_t>(7));
  const std::string misc = "Config save for Tolvane iMovie plug-in";
  EXPECT_EQ(At(138, 1 + misc.size()), std::string(1, char(misc.size())) + misc);
  EXPECT_EQ(At(139 + misc.size(), 394 - 139 - misc.size()), std::string(394 - 139 - misc.size(), '\0'));
  EXPECT_EQ(At(394, cConfigSaveSize - 394), std::string(cConfigSaveSize - 394, '\0'));
}

TEST_F(RecordTest, ReadingBackRestoresStoredFieldsAndLeavesTheRestAlone) {
  // A different value in every stored field, so that no field can stand in for another.
  config->startRel = {0.125, 0.25, 0.375, 0.5};
  config->endRel = {0.625, 0.75, 0.875, 1.5};
  for (int i = 0; i < 6; ++i) {
    config->sliders[i] = int16_t(10 * i - 25);
    config->colors[i] = {uint16_t(1000 * i + 1), uint16_t(1000 * i + 2), uint16_t(1000 * i + 3)};
  }
  config->frameStartColor = {7001, 7002, 7003};
  config->frameEndColor = {8001, 8002, 8003};
  config->mediaType = 2;
  config->keepProps = true;
  config->blendMode = 12;
  config->sync = true;
  config->outside = false;
  config->clipActive = true;
  ASSERT_TRUE(Config2Save(config, record));

  pluginDataPtr target = nullptr;
  pNewConfig(&target);
  ResetConfig(target, true);
  auto* marker = reinterpret_cast<CGImageRef>(uintptr_t(0x1000));
  target->theOriginalImage = marker;
  target->theRendered = marker;
  ASSERT_TRUE(Save2Config(target, record));
  EXPECT_EQ(std::memcmp(target, config, offsetof(pluginDataRec, sync)), 0) << "rectangles, sliders, colours, format";
  EXPECT_TRUE(target->keepProps);
  EXPECT_EQ(target->blendMode, 12);
  EXPECT_FALSE(target->sync) << "not stored";
  EXPECT_TRUE(target->outside) << "not stored";
  EXPECT_FALSE(target->clipActive) << "not stored";
  EXPECT_EQ(target->theOriginalImage, marker);
  EXPECT_EQ(target->theRendered, marker);
  pDestroyConfig(target);
}

// Only a record of exactly this build's size and version is read; anything else, older or
// newer, leaves every field alone.
TEST_F(RecordTest, ForeignRecordsChangeNothing) {
  ASSERT_TRUE(Config2Save(config, record));
  pluginDataPtr target = nullptr;
  pNewConfig(&target);
  const uint32_t otherSize = cConfigSaveSize == 396 ? 394 : 396;
  const std::pair<uint32_t, uint32_t> foreign[] = {
      {cConfigSaveSize, 2}, {cConfigSaveSize, 4}, {cConfigSaveSize, 0xFFFFFFFF}, {cConfigSaveSize, 0},
      {otherSize, 3}, {cConfigSaveSize + 1, 3}, {0, 3}};
  for (const auto& [size, version] : foreign) {
    std::memcpy(*record, &size, 4);
    std::memcpy(*record + 4, &version, 4);
    std::memset(target, 0x33, sizeof(pluginDataRec));
    EXPECT_FALSE(Save2Config(target, record)) << "size " << size << ", version " << version;
    for (std::size_t i = 0; i < sizeof(pluginDataRec); ++i)
      ASSERT_EQ(reinterpret_cast<const uint8_t*>(target)[i], 0x33) << "byte " << i << " changed";
  }

  Handle shortRecord = NewHandleClear(200);
  std::memcpy(*shortRecord, &cConfigSaveSize, 4);
  std::memcpy(*shortRecord + 4, &cConfigSaveVersion, 4);
  EXPECT_FALSE(Save2Config(target, shortRecord)) << "a record shorter than it says";
  DisposeHandle(shortRecord);

  EXPECT_FALSE(Save2Config(nullptr, record));
  EXPECT_FALSE(Save2Config(target, nullptr));
  EXPECT_FALSE(Config2Save(nullptr, record));
  EXPECT_FALSE(Config2Save(target, nullptr));
  pDestroyConfig(target);
}
