#include "tests/render/RenderKit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "platform/coregraphics/CGImage.h"
#include "platform/quickdraw/Pixels.h"
#include "tests/testlib/Png.h"

namespace vantiro::test {

namespace {
uint8_t Byte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }
}  // namespace

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
  return out << "(a " << int(p.a) << ", r " << int(p.r) << ", g " << int(p.g) << ", b " << int(p.b) << ")";
}

Pixel Opaque(uint8_t r, uint8_t g, uint8_t b) { return Pixel{255, r, g, b}; }
Pixel Opaque(const RGBColor& c) { return Opaque(uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)); }

Picture::Picture(int w, int h, Pixel fill)
    : width(w), height(h), pixels(size_t(w) * size_t(h), fill), care(size_t(w) * size_t(h), true) {}

Picture MakePicture(int width, int height, const std::function<Pixel(int, int)>& pattern) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.at(x, y) = pattern(x, y);
  return picture;
}

Picture Cut(const Picture& source, int left, int top, int right, int bottom, Pixel ground, int dx) {
  return MakePicture(source.width, source.height, [&](int x, int y) {
    return x >= left && x < right && y >= top && y < bottom ? source.at(x + dx, y) : ground;
  });
}

Pixel Noise(int x, int y) {
  uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return Opaque(uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16));
}

// The platform's sine: the same on every processor, like the pictures built from it.
Pixel Smooth(int x, int y, int width, int height) {
  double red = 0, green = 0, cosine = 0;
  SinCos(0.13 * x + 0.02 * y, &red, &cosine);
  SinCos(0.09 * y - 0.03 * x + 1, &green, &cosine);
  return Opaque(Byte(128 + 100 * red), Byte(128 + 100 * green),
                Byte(255.0 * (x + 2 * y) / std::max(1, width + 2 * height)));
}

Rect R(int left, int top, int right, int bottom) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}

CGImageRef ImageOf(const Picture& picture) {
  std::vector<uint32_t> words;
  for (const Pixel& p : picture.pixels) words.push_back(NativeWord(p.a, p.r, p.g, p.b));
  return MakeImage(picture.width, picture.height, std::move(words));
}

Buffer::Buffer(int width, int height) : width_(width), height_(height) {
  const Rect bounds = R(0, 0, width, height);
  EXPECT_EQ(NewGWorld(&gw_, 32, &bounds, nullptr, nullptr, 0), noErr);
}

Buffer::Buffer(const Picture& picture) : Buffer(picture.width, picture.height) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Set(x, y, picture.at(x, y));
}

Buffer::~Buffer() { DisposeGWorld(gw_); }

uint8_t* Buffer::At(int x, int y) const {
  PixMapHandle pm = GetGWorldPixMap(gw_);
  return reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + long(y) * GetPixRowBytes(pm) + long(x) * 4;
}

Pixel Buffer::Get(int x, int y) const {
  const uint8_t* p = At(x, y);
  return Pixel{p[0], p[1], p[2], p[3]};
}

void Buffer::Set(int x, int y, Pixel p) {
  uint8_t* q = At(x, y);
  q[0] = p.a, q[1] = p.r, q[2] = p.g, q[3] = p.b;
}

Picture Buffer::Read() const {
  return MakePicture(width_, height_, [&](int x, int y) { return Get(x, y); });
}

Footprint::Footprint() : ports_(VantiroLivePortCount()), images_(LiveImageCount()) { GetGWorld(&port_, &device_); }

::testing::AssertionResult Footprint::Unchanged() const {
  CGrafPtr port;
  GDHandle device;
  GetGWorld(&port, &device);
  if (port != port_ || device != device_) return ::testing::AssertionFailure() << "the current port or device changed";
  if (VantiroLivePortCount() != ports_ || LiveImageCount() != images_)
    return ::testing::AssertionFailure() << VantiroLivePortCount() - ports_ << " ports and "
                                         << LiveImageCount() - images_
                                         << " images more than before";
  return ::testing::AssertionSuccess();
}

// At a point in pixel units (centres at k + 0.5), edges extended, rounded.
static Pixel SampleBilinear(const Picture& picture, double u, double v) {
  const double fx = u - 0.5, fy = v - 0.5;
  const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
  const double tx = fx - x0, ty = fy - y0;
  double a = 0, r = 0, g = 0, b = 0;
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      const double w = (i ? tx : 1 - tx) * (j ? ty : 1 - ty);
      const Pixel& p = picture.at(std::clamp(x0 + i, 0, picture.width - 1), std::clamp(y0 + j, 0, picture.height - 1));
      a += w * p.a, r += w * p.r, g += w * p.g, b += w * p.b;
    }
  return Pixel{Byte(a), Byte(r), Byte(g), Byte(b)};
}

Picture ExpectedEffect(const Picture& source, const EffectSetting& s, double edgeBand) {
  const int w = source.width, h = source.height;
  Picture out(w, h, s.background);
  // Pixel edges: the fraction of the extent, truncated toward zero.
  const auto edge = [](int extent, double fraction) { return std::trunc(extent * fraction); };
  const auto clamped = [&](int extent, double fraction) {
    return int(std::clamp(edge(extent, fraction), 0.0, double(extent)));
  };
  const int cropLeft = clamped(w, s.left), cropRight = clamped(w, s.right);
  const int cropTop = clamped(h, s.top), cropBottom = clamped(h, s.bottom);
  if (cropRight <= cropLeft || cropBottom <= cropTop) return out;
  const Picture crop = MakePicture(cropRight - cropLeft, cropBottom - cropTop,
                                   [&](int x, int y) { return source.at(x + cropLeft, y + cropTop); });

  // Each edge moves by half the change of the extent; whole-pixel edges agree with the renderer's.
  const double shiftX = (s.right - s.left) * (1 - (s.scaleX / 100.0 + 1)) / 2;
  const double shiftY = (s.bottom - s.top) * (1 - (s.scaleY / 100.0 + 1)) / 2;
  const double left = edge(w, s.left + shiftX), right = edge(w, s.right - shiftX);
  const double top = edge(h, s.top + shiftY), bottom = edge(h, s.bottom - shiftY);
  const double tw = right - left, th = bottom - top;  // negative: mirrored
  if (tw == 0 || th == 0) return out;
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  double sine = 0, cosine = 1;
  SinCos(s.turn * 2 * 3.141592653589793 / 100, &sine, &cosine);

  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Undo the turn: on screen (y down) counter-clockwise takes (dx, dy) to (dx c + dy s, -dx s + dy c).
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const double fu = (dx * cosine - dy * sine) / tw + 0.5, fv = (dx * sine + dy * cosine) / th + 0.5;
      const double inset =
          std::min({fu * std::abs(tw), (1 - fu) * std::abs(tw), fv * std::abs(th), (1 - fv) * std::abs(th)});
      if (std::abs(inset) < edgeBand) out.ignore(x, y);
      if (inset > 0) out.at(x, y) = SampleBilinear(crop, fu * crop.width, fv * crop.height);
    }
  return out;
}

static void SaveArtifact(const Picture& picture, const std::string& name) {
  const char* folder = std::getenv("VANTIRO_TEST_ARTIFACTS");
  std::vector<uint8_t> rgba;
  for (const Pixel& p : picture.pixels) rgba.insert(rgba.end(), {p.r, p.g, p.b, p.a});
  const std::filesystem::path into = folder != nullptr ? folder : std::filesystem::temp_directory_path();
  WritePng(into / (name + ".png"), picture.width, picture.height, rgba);
}

::testing::AssertionResult Matches(const Picture& actual, const Picture& expected, int tolerance,
                                   const std::string& label) {
  if (actual.width != expected.width || actual.height != expected.height)
    return ::testing::AssertionFailure() << label << ": size " << actual.width << "x" << actual.height
                                         << ", expected " << expected.width << "x" << expected.height;
  long mismatches = 0;
  int worst = 0, worstX = 0, worstY = 0;
  for (int y = 0; y < actual.height; ++y)
    for (int x = 0; x < actual.width; ++x) {
      if (!expected.cares(x, y)) continue;
      const Pixel &a = actual.at(x, y), &e = expected.at(x, y);
      const int diff = std::max({std::abs(a.a - e.a), std::abs(a.r - e.r), std::abs(a.g - e.g), std::abs(a.b - e.b)});
      mismatches += diff > tolerance;
      if (diff > worst) worst = diff, worstX = x, worstY = y;
    }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string test = info == nullptr ? "test" : std::string(info->test_suite_name()) + "." + info->name();
  const std::string stem = test + "-" + label;
  SaveArtifact(actual, stem + "-actual");
  SaveArtifact(expected, stem + "-expected");
  return ::testing::AssertionFailure() << label << ": " << mismatches << " pixels differ by more than " << tolerance
                                       << "; worst " << worst << " at (" << worstX << ", " << worstY << "): "
                                       << actual.at(worstX, worstY) << " instead of " << expected.at(worstX, worstY)
                                       << "; pictures saved as " << stem << "-*.png";
}

}  // namespace vantiro::test
