// Pictures for renderer tests: buffers, sources, a bilinear sampler, compared with PNGs saved.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/coregraphics/CoreGraphics.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro::test {

struct Pixel {
  uint8_t a, r, g, b;
  bool operator==(const Pixel&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Pixel& p);

Pixel Opaque(uint8_t r, uint8_t g, uint8_t b);
Pixel Opaque(const RGBColor& c);  // high bytes

// A picture in memory. Pixels a test does not judge (antialiased edges) are "don't care".
struct Picture {
  int width = 0, height = 0;
  std::vector<Pixel> pixels;
  std::vector<bool> care;

  Picture() = default;
  Picture(int w, int h, Pixel fill = Pixel{});
  Pixel& at(int x, int y) { return pixels[size_t(y) * width + x]; }
  const Pixel& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
  bool cares(int x, int y) const { return care[size_t(y) * width + x]; }
  void ignore(int x, int y) { care[size_t(y) * width + x] = false; }
};

Picture MakePicture(int width, int height, const std::function<Pixel(int, int)>& pattern);

// Every pixel unlike its neighbours and mirror images: a moved, flipped or turned copy shows.
Pixel Noise(int x, int y);
// Smooth enough for interpolation, steep and asymmetric enough that a shift or turn shows.
Pixel Smooth(int x, int y, int width, int height);

// The source inside (left, top)-(right, bottom), taken `dx` further right, over `ground`.
Picture Cut(const Picture& source, int left, int top, int right, int bottom, Pixel ground, int dx = 0);

// A rectangle given the way people read it.
Rect R(int left, int top, int right, int bottom);
// A picture as an image of native words; the caller releases it.
CGImageRef ImageOf(const Picture& picture);

// A GWorld of the test's, with bounds (0, 0)-(width, height); bytes read as A, R, G, B.
class Buffer {
 public:
  Buffer(int width, int height);
  Buffer(const Picture& picture);
  ~Buffer();
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  GWorldPtr gw() const { return gw_; }
  Pixel Get(int x, int y) const;
  void Set(int x, int y, Pixel p);
  Picture Read() const;

 private:
  uint8_t* At(int x, int y) const;
  GWorldPtr gw_ = nullptr;
  int width_, height_;
};

// What a drawing call must leave as it found: the current port and device, no ports or images.
class Footprint {
 public:
  Footprint();
  ::testing::AssertionResult Unchanged() const;

 private:
  CGrafPtr port_ = nullptr;
  GDHandle device_ = nullptr;
  long ports_, images_;
};

// The frame the effect should make of `source`, from its geometry alone: the part under the
// clamped rectangle, stretched over the rectangle scaled about its centre (a negative factor
// mirrors), turned counter-clockwise by `turn` hundredths of a turn, over the background.
// Pixels within `edgeBand` of the picture's outline are not judged.
struct EffectSetting {
  double left = 0, right = 1, top = 0, bottom = 1;  // the rectangle, in fractions of the frame
  int scaleX = 0, scaleY = 0, turn = 0;             // the three sliders
  Pixel background = Opaque(255, 255, 255);
};
Picture ExpectedEffect(const Picture& source, const EffectSetting& setting, double edgeBand = 1.5);

// Equal within `tolerance` where `expected` cares; mismatches go to VANTIRO_TEST_ARTIFACTS.
::testing::AssertionResult Matches(const Picture& actual, const Picture& expected, int tolerance,
                                   const std::string& label);

}  // namespace vantiro::test
