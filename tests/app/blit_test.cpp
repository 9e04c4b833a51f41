// The host's Blit stays within both rasters and the rectangle; its blending is OverWords'.
#include <gtest/gtest.h>

#include <cstdint>

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

HYPluginResult Blit(const Raster& from, const Raster& to, Rect sourceRect, Rect destRect, int16_t opacity) {
  return vantiro::BlitPixMap(GetGWorldPixMap(from.gw), GetGWorldPixMap(to.gw), &sourceRect, &destRect, opacity);
}

}  // namespace

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
