// Results that must come out identical on every processor the plug-in is built for: one
// checksum per case, shared by the Intel 64-bit, Intel 32-bit and PowerPC builds; and
// settings records, which each build reads only from builds of its own processor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/RenderPass.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/callpixelfx.h"
#include "tests/host/PluginFixture.h"

namespace {

// FNV-1a, 64-bit.
struct Checksum {
  uint64_t value = 14695981039346656037ull;
  void Add(const void* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) value = (value ^ static_cast<const uint8_t*>(data)[i]) * 1099511628211ull;
  }
  void AddInt(int64_t v) {  // the same bytes in any byte order
    for (int i = 0; i < 8; ++i) {
      const uint8_t byte = uint8_t(v >> (8 * i));
      Add(&byte, 1);
    }
  }
};

constexpr int kW = 64, kH = 48;

uint64_t RenderChecksum(const relRect& rect, int16_t sx, int16_t sy, int16_t sr) {
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.startRel = rect;
  config.sliders[0] = sx, config.sliders[1] = sy, config.sliders[2] = sr;
  config.colors[0] = RGBColor{0x1E00, 0x3A00, 0x5F00};
  GWorldPtr dest = vantiro::test::NewFilled(kW, kH, [](int, int) { return 0u; });
  GWorldPtr source = vantiro::test::NewFilled(kW, kH, [](int x, int y) {  // opaque and asymmetric
    const uint32_t green = (y * 5 + (x > 40 ? 60 : 0)) & 0xFF;
    return 0xFF000000u | uint32_t(x * 4) << 16 | green << 8 | uint32_t(x * y & 0xFF);
  });
  int16_t opacity = 0;
  DoEffect(&config, nullptr, source, dest, 0, 0, 0, 1, 0.5, 0.5, 0.5, &opacity);
  Checksum sum;
  PixMapHandle pm = GetGWorldPixMap(dest);
  for (int y = 0; y < kH; ++y) sum.Add(reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm), 4 * kW);
  DisposeGWorld(source);
  DisposeGWorld(dest);
  return sum.value;
}

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

TEST(Golden, FadeOpacities) {
  Checksum sum;
  const int32_t fades[][2] = {{10, 10}, {100, 0}, {0, 10}, {60, 60}, {-5, 10}};
  for (const auto& f : fades)
    for (int32_t r = -5; r <= 105; ++r) sum.AddInt(IsFaded(r, 100, f[0], f[1]) ? FadeOpacity(r, 100, f[0], f[1]) : -1);
  EXPECT_EQ(sum.value, 0xEF2D40D8C737BDA8ull);
}

TEST(Golden, RenderedFrames) {
  EXPECT_EQ(RenderChecksum({0, 1, 0, 1}, 0, 0, 0), 0xAE2664274DCBD365ull) << "a copy";
  EXPECT_EQ(RenderChecksum({0.25, 0.75, 0.25, 0.75}, 100, 20, 0), 0x1BC320A203214EEBull) << "scaled";
  EXPECT_EQ(RenderChecksum({0.25, 0.75, 0.25, 0.75}, 100, 20, 12), 0x8D344103AB02366Cull) << "scaled and turned";
  EXPECT_EQ(RenderChecksum({-0.5, 0.5, 0, 1}, -30, 0, -25), 0x9CC649FBAFBF777Eull) << "reaching outside, turned back";
}

TEST(SettingsRecords, OnlyThisProcessorsRecordsAreRead) {
  const char* records = std::getenv("VANTIRO_FOREIGN_RECORDS");
  if (records == nullptr) GTEST_SKIP() << "test.sh writes every build's record first and sets VANTIRO_FOREIGN_RECORDS";
  int foreign = 0;
  for (const auto& entry : std::filesystem::directory_iterator(records)) {
    const std::string build = entry.path().filename();
    const bool same = (build == "powerpc" ? "powerpc" : "intel") == kThisBuild;
    vantiro::test::ScratchFolder prefs;
    prefs.UseAsPreferencesFolder();
    std::filesystem::copy_file(entry.path() / "vloqa-Prefs", prefs / "vloqa-Prefs");
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
