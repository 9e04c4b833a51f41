// Results that must come out identical on every processor the plug-in is built for: one
// checksum per case, shared by the Intel 64-bit, Intel 32-bit and PowerPC builds.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/RenderPass.h"
#include "model/pascalFX.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/callpixelfx.h"
#include "support/carbonmacros.h"

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
const Rect kBounds{0, 0, kH, kW};

GWorldPtr NewRaster() {
  GWorldPtr gw = nullptr;
  EXPECT_EQ(NewGWorld(&gw, 32, &kBounds, nullptr, nullptr, 0), noErr);
  return gw;
}

uint8_t* Row(GWorldPtr gw, int y) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  return reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
}

uint64_t RenderChecksum(const relRect& rect, int16_t sx, int16_t sy, int16_t sr) {
  pluginDataPtr config = nullptr;
  pNewConfig(&config);
  ResetConfig(config, true);
  config->startRel = rect;
  config->sliders[0] = sx, config->sliders[1] = sy, config->sliders[2] = sr;
  config->colors[0] = RGBColor{0x1E00, 0x3A00, 0x5F00};
  GWorldPtr source = NewRaster(), dest = NewRaster();
  for (int y = 0; y < kH; ++y)  // opaque and asymmetric: bytes alpha, red, green, blue
    for (int x = 0; x < kW; ++x) {
      const uint8_t argb[] = {255, uint8_t(x * 4), uint8_t(y * 5 + (x > 40 ? 60 : 0)), uint8_t((x * y) & 0xFF)};
      std::memcpy(Row(source, y) + 4 * x, argb, 4);
    }
  int16_t opacity = 0;
  DoEffect(config, nullptr, source, dest, 0, 0, 0, 1, 0.5, 0.5, 0.5, &opacity);
  Checksum sum;
  for (int y = 0; y < kH; ++y) sum.Add(Row(dest, y), 4 * kW);
  DisposeGWorld(source);
  DisposeGWorld(dest);
  pDestroyConfig(config);
  return sum.value;
}

}  // namespace

TEST(Golden, CommandCodesReadTheSameEverywhere) {
  Checksum sum;
  for (uint32_t code : {FOUR_CHAR_CODE('I', 'n', 'f', 'o'), FOUR_CHAR_CODE('o', 'k', ' ', ' '),
                        FOUR_CHAR_CODE('n', 'o', 't', '!'), 0x00000000u, 0xFFFFFFFFu, 0x41424344u}) {
    const std::string text = CommandID2Str(code);
    ASSERT_EQ(text.size(), 4u);
    sum.Add(text.data(), text.size());
  }
  EXPECT_EQ(CommandID2Str(FOUR_CHAR_CODE('o', 'k', ' ', ' ')), "ok  ");
  EXPECT_EQ(sum.value, 0xC9BA0940993DF5D7ull);
}

TEST(Golden, RastersHoldAlphaRedGreenBlueInMemory) {
  GWorldPtr gw = NewRaster();
  CGrafPtr port;
  GDHandle device;
  GetGWorld(&port, &device);
  SetGWorld(gw, nullptr);
  const RGBColor colour{0x1234, 0x5678, 0x9ABC};
  RGBForeColor(&colour);
  PaintRect(&kBounds);
  SetGWorld(port, device);
  EXPECT_EQ(std::vector<uint8_t>(Row(gw, 0), Row(gw, 0) + 4), (std::vector<uint8_t>{0xFF, 0x12, 0x56, 0x9A}));
  DisposeGWorld(gw);
}

TEST(Golden, FadeOpacities) {
  Checksum sum;
  const int32_t fades[][2] = {{10, 10}, {100, 0}, {0, 10}, {60, 60}, {-5, 10}};
  for (const auto& f : fades)
    for (int32_t r = -5; r <= 105; ++r) sum.AddInt(IsFaded(r, 100, f[0], f[1]) ? FadeOpacity(r, 100, f[0], f[1]) : -1);
  EXPECT_EQ(FadeOpacity(5, 100, 10, 10), 127);
  EXPECT_EQ(sum.value, 0xEF2D40D8C737BDA8ull);
}

TEST(Golden, RenderedFrames) {
  EXPECT_EQ(RenderChecksum({0, 1, 0, 1}, 0, 0, 0), 0xAE2664274DCBD365ull) << "a copy";
  EXPECT_EQ(RenderChecksum({0.25, 0.75, 0.25, 0.75}, 100, 20, 0), 0x1BC320A203214EEBull) << "scaled";
  EXPECT_EQ(RenderChecksum({0.25, 0.75, 0.25, 0.75}, 100, 20, 12), 0x8D344103AB02366Cull) << "scaled and turned";
  EXPECT_EQ(RenderChecksum({-0.5, 0.5, 0, 1}, -30, 0, -25), 0x9CC649FBAFBF777Eull) << "reaching outside, turned back";
}
