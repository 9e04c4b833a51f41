// Conversions between frei0r's pixels and the raster's, against the arithmetic written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "frei0r/PixelOrder.h"

using vantiro::frei0r::RasterToRgba;
using vantiro::frei0r::RgbaToRaster;

namespace {

uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  uint32_t w;
  const uint8_t bytes[4] = {b0, b1, b2, b3};
  std::copy(bytes, bytes + 4, reinterpret_cast<uint8_t*>(&w));
  return w;
}

uint8_t Byte(uint32_t w, int k) { return reinterpret_cast<const uint8_t*>(&w)[k]; }

}  // namespace

TEST(PixelOrderTest, EveryAlphaAndChannelPremultipliesAndComesBackRounded) {
  // One row per alpha; rows padded, so a conversion that ignores the stride shows.
  constexpr unsigned kW = 256, kH = 256, kRow = kW * 4 + 12;
  std::vector<uint32_t> rgba(kW * kH);
  for (unsigned a = 0; a < kH; ++a)
    for (unsigned c = 0; c < kW; ++c) rgba[a * kW + c] = Word(uint8_t(c), uint8_t(255 - c), uint8_t(c / 2), uint8_t(a));
  std::vector<uint8_t> raster(kRow * kH, 0xEE);
  RgbaToRaster(rgba.data(), raster.data(), kRow, kW, kH);
  for (unsigned a = 0; a < kH; ++a)
    for (unsigned c = 0; c < kW; ++c) {
      const uint8_t* p = &raster[a * kRow + 4 * c];
      ASSERT_EQ(p[0], a);
      const unsigned channels[3] = {c, 255 - c, c / 2};
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(p[1 + k], (channels[k] * a * 2 + 255) / 510) << "alpha " << a << " channel " << channels[k];
    }
  EXPECT_EQ(raster[kW * 4], 0xEE) << "the padding is left alone";

  // Back from every premultiplied value that can occur (p <= a).
  for (unsigned a = 0; a < kH; ++a)
    for (unsigned p = 0; p < kW; ++p) {
      uint8_t* q = &raster[a * kRow + 4 * p];
      const uint8_t v = uint8_t(std::min(p, a));
      q[0] = uint8_t(a), q[1] = v, q[2] = v, q[3] = 0;
    }
  std::vector<uint32_t> back(kW * kH);
  RasterToRgba(raster.data(), kRow, back.data(), kW, kH);
  for (unsigned a = 0; a < kH; ++a)
    for (unsigned p = 0; p < kW; ++p) {
      const unsigned v = std::min(p, a);
      const unsigned want = a == 0 ? 0 : std::min(255u, (v * 255 + a / 2) / a);
      const uint32_t w = back[a * kW + p];
      ASSERT_EQ(Byte(w, 0), want) << "alpha " << a << " value " << v;
      ASSERT_EQ(Byte(w, 2), 0);
      ASSERT_EQ(Byte(w, 3), a);
    }
}

TEST(PixelOrderTest, OneTransparentPixelAtARowsEndStillPremultipliesIt) {
  // The opaque shortcut must look at every pixel of a row, the last included.
  std::vector<uint32_t> rgba(9, Word(200, 100, 50, 255));
  rgba[8] = Word(200, 100, 50, 0);
  std::vector<uint8_t> raster(9 * 4);
  RgbaToRaster(rgba.data(), raster.data(), 9 * 4, 9, 1);
  EXPECT_EQ(raster[0], 255);
  EXPECT_EQ(raster[1], 200);
  EXPECT_EQ(raster[4 * 8 + 1], 0) << "a transparent pixel holds no colour once premultiplied";
  std::vector<uint32_t> back(9);
  raster[4 * 8] = 128, raster[4 * 8 + 1] = 64;
  RasterToRgba(raster.data(), 9 * 4, back.data(), 9, 1);
  EXPECT_EQ(back[0], rgba[0]);
  EXPECT_EQ(Byte(back[8], 0), 128) << "64 at alpha 128 is 128 straight";
}
