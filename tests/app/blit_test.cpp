// The host's Blit: the source laid over the destination at an opacity.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "app/HostServices.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

constexpr int kW = 64, kH = 48;

// A raster whose bytes (alpha, red, green, blue) follow `pattern`.
struct Raster {
  template <class Pattern>
  Raster(int width, int height, Pattern pattern) {
    const Rect bounds{0, 0, int16_t(height), int16_t(width)};
    NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pattern(x, y, At(x, y));
  }
  ~Raster() { DisposeGWorld(gw); }
  uint8_t* At(int x, int y) const {
    PixMapHandle pm = GetGWorldPixMap(gw);
    return reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
  }
  GWorldPtr gw = nullptr;
};

// Premultiplied pixels of many alphas, every channel within its alpha.
void SourcePixel(int x, int y, uint8_t* p) {
  p[0] = uint8_t(x * 4 + y % 4);
  for (int c = 1; c < 4; ++c) p[c] = uint8_t(p[0] * ((x * 7 + y * 13 + c * 31) % 256) / 255);
}
void DestPixel(int x, int y, uint8_t* p) {
  p[0] = y % 3 == 0 ? 255 : uint8_t(255 - y * 5);
  for (int c = 1; c < 4; ++c) p[c] = uint8_t(p[0] * ((x * 11 + y * 3 + c * 57) % 256) / 255);
}

HYPluginResult Blit(const Raster& from, const Raster& to, Rect sourceRect, Rect destRect, int16_t opacity) {
  return vantiro::BlitPixMap(GetGWorldPixMap(from.gw), GetGWorldPixMap(to.gw), &sourceRect, &destRect, opacity);
}

}  // namespace

// Each channel must come out as s·a/255 + d·(1 − sα·a/255²) computed in real numbers: exact
// (rounded) at full opacity, unchanged at none, within the compositor's two roundings between.
TEST(Blit, LaysTheSourceOverTheDestinationAtAnyOpacity) {
  for (const int opacity : {0, 1, 128, 254, 255}) {
    const Raster source(kW, kH, SourcePixel);
    const Raster dest(kW, kH, DestPixel);
    ASSERT_EQ(Blit(source, dest, Rect{0, 0, kH, kW}, Rect{0, 0, kH, kW}, int16_t(opacity)), kPluginOK);
    const double tolerance = opacity == 0 ? 0 : opacity == 255 ? 0.5 : 1.5;
    int wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t s[4], d[4];
        SourcePixel(x, y, s);
        DestPixel(x, y, d);
        for (int c = 0; c < 4; ++c) {
          const double exact = s[c] * opacity / 255.0 + d[c] * (1 - s[0] * opacity / (255.0 * 255.0));
          if (std::abs(dest.At(x, y)[c] - exact) > tolerance) ++wrong;
        }
      }
    EXPECT_EQ(wrong, 0) << "opacity " << opacity;
  }
}

TEST(Blit, TouchesOnlyTheOverlapOfBothRastersAndTheRectangle) {
  const Raster source(kW, kH, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 255; });
  const Raster dest(kW, kH, [](int, int, uint8_t* p) { p[0] = 255, p[1] = p[2] = p[3] = 0; });
  // The source's (40, 30)-(80, 60) reaches past its right and bottom edges (64, 48); drawn at
  // (-10, 5) it also starts left of the destination: only (0, 5)-(14, 23) can change.
  ASSERT_EQ(Blit(source, dest, Rect{30, 40, 60, 80}, Rect{5, -10, 35, 30}, 255), kPluginOK);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool inside = x < 14 && y >= 5 && y < 23;
      EXPECT_EQ(dest.At(x, y)[1], inside ? 255 : 0) << x << "," << y;
    }
  EXPECT_EQ(Blit(source, dest, Rect{0, 0, 10, 10}, Rect{0, 0, 10, 10}, 255), kPluginOK);
  EXPECT_EQ(vantiro::BlitPixMap(nullptr, GetGWorldPixMap(dest.gw), nullptr, nullptr, 255), kPluginBadParams);
}

TEST(Blit, RectanglesOfDifferentSizesSampleTheNearestPixel) {
  const Raster source(4, 2, [](int x, int y, uint8_t* p) {
    p[0] = 255, p[1] = uint8_t(x * 60), p[2] = uint8_t(y * 100), p[3] = 0;
  });
  const Raster dest(8, 4, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 0; });
  ASSERT_EQ(Blit(source, dest, Rect{0, 0, 2, 4}, Rect{0, 0, 4, 8}, 255), kPluginOK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(dest.At(x, y)[1], (x / 2) * 60) << x << "," << y;
      EXPECT_EQ(dest.At(x, y)[2], (y / 2) * 100) << x << "," << y;
    }
}
