// Image drawing on rasters: bitmap contexts, snapshots, graphics state, transformed and
// blended drawing, clearing, contexts on ports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "platform/coregraphics/Bands.h"
#include "platform/coregraphics/CoreGraphics.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/QuickDraw.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

uint32_t Native(const Pixel& p) { return vantiro::NativeWord(p.a, p.r, p.g, p.b); }

CGImageRef ImageOf(const Picture& picture) {
  std::vector<uint32_t> words;
  for (const Pixel& p : picture.pixels) words.push_back(Native(p));
  return vantiro::MakeImage(picture.width, picture.height, std::move(words));
}

// A context over a picture held by the test: bytes A, R, G, B, or B, G, R, A when `little`.
class Canvas {
 public:
  Canvas(int width, int height, Pixel fill = Pixel{}, bool little = false)
      : width_(width), height_(height), little_(little), bytes_(size_t(width) * height * 4) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, fill);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    context_ = CGBitmapContextCreate(bytes_.data(), size_t(width), size_t(height), 8, size_t(width) * 4, space,
                                     kCGImageAlphaPremultipliedFirst | (little ? uint32_t(kCGBitmapByteOrder32Little) : 0u));
    CGColorSpaceRelease(space);
  }
  ~Canvas() { CGContextRelease(context_); }
  CGContextRef context() const { return context_; }
  Pixel Get(int x, int y) const {
    const uint8_t* p = &bytes_[(size_t(y) * width_ + x) * 4];
    return little_ ? Pixel{p[3], p[2], p[1], p[0]} : Pixel{p[0], p[1], p[2], p[3]};
  }
  void Set(int x, int y, Pixel p) {
    uint8_t* q = &bytes_[(size_t(y) * width_ + x) * 4];
    if (little_)
      q[3] = p.a, q[2] = p.r, q[1] = p.g, q[0] = p.b;
    else
      q[0] = p.a, q[1] = p.r, q[2] = p.g, q[3] = p.b;
  }
  Picture Read() const {
    return MakePicture(width_, height_, [&](int x, int y) { return Get(x, y); });
  }

 private:
  int width_, height_;
  bool little_;
  std::vector<uint8_t> bytes_;
  CGContextRef context_ = nullptr;
};

// Premultiplied pixels of many alphas, none and full among them, every channel within its alpha.
Pixel Translucent(int x, int y) {
  const uint8_t a = (x + 2 * y) % 5 == 0 ? 255 : (x * 3 + y) % 7 == 0 ? 0 : uint8_t((x * 29 + y * 53) % 256);
  const auto c = [&](int k) { return uint8_t(a * ((x * 7 + y * 13 + k * 31) % 256) / 255); };
  return Pixel{a, c(1), c(2), c(3)};
}

}  // namespace

TEST(BitmapContext, AcceptsOnlyTheLayoutsItDraws) {
  std::vector<uint32_t> memory(64);
  EXPECT_EQ(CGBitmapContextCreate(memory.data(), 4, 4, 8, 16, nullptr, kCGImageAlphaPremultipliedLast), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(memory.data(), 4, 4, 8, 12, nullptr, kCGImageAlphaPremultipliedFirst), nullptr)
      << "rows too short";
  for (CGBitmapInfo info : {CGBitmapInfo(kCGImageAlphaNoneSkipFirst),
                            CGBitmapInfo(kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little),
                            CGBitmapInfo(kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big)}) {
    CGContextRef context = CGBitmapContextCreate(memory.data(), 4, 4, 8, 16, nullptr, info);
    EXPECT_EQ(CGBitmapContextGetData(context), memory.data()) << info;
    CGContextRelease(context);
  }
  CGContextRef own = CGBitmapContextCreate(nullptr, 3, 2, 8, 0, nullptr, kCGImageAlphaPremultipliedFirst);
  ASSERT_NE(CGBitmapContextGetData(own), nullptr) << "memory of its own";
  EXPECT_EQ(CGBitmapContextGetHeight(own), 2u);
  CGContextRelease(own);
}

TEST(BitmapContext, SnapshotsReadEveryByteOrderIntoNativeWords) {
  const uint8_t argb[] = {0x80, 0x40, 0x20, 0x10};
  std::vector<uint8_t> memory(4 * 4);
  for (int i = 0; i < 4; ++i) std::copy(argb, argb + 4, &memory[size_t(i) * 4]);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, space, kCGImageAlphaPremultipliedFirst);
  CGImageRef image = CGBitmapContextCreateImage(context);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetWidth(image), 2u);
  EXPECT_EQ(vantiro::ImagePixels(image), std::vector<uint32_t>(4, 0x80402010u));
  CGImageRelease(image);
  CGContextRelease(context);

  // Bytes B, G, R, A (the little-endian 32-bit order) and an ignored alpha byte.
  const uint8_t bgra[] = {0x10, 0x20, 0x40, 0x80, 0x10, 0x20, 0x40, 0x80};
  std::copy(bgra, bgra + 8, memory.begin());
  context = CGBitmapContextCreate(memory.data(), 2, 1, 8, 8, space,
                                  kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  image = CGBitmapContextCreateImage(context);
  EXPECT_EQ(vantiro::ImagePixels(image), std::vector<uint32_t>(2, 0x80402010u));
  CGImageRelease(image);
  CGContextRelease(context);
  context = CGBitmapContextCreate(memory.data(), 2, 1, 8, 8, space, kCGImageAlphaNoneSkipFirst);
  image = CGBitmapContextCreateImage(context);
  EXPECT_EQ(vantiro::ImagePixels(image)[0], 0xFF204080u) << "bytes 10 20 40 80 read as x, r, g, b";
  CGImageRelease(image);
  CGContextRelease(context);
  CGColorSpaceRelease(space);
}

TEST(GraphicsState, TransformsComposeAndRestore) {
  Canvas canvas(4, 4);
  CGContextRef c = canvas.context();
  CGAffineTransform m = CGContextGetCTM(c);
  EXPECT_EQ(m.a, 1);
  EXPECT_EQ(m.d, 1);
  EXPECT_EQ(m.tx, 0);
  CGContextSaveGState(c);
  CGContextTranslateCTM(c, 10, 20);
  CGContextRotateCTM(c, float(std::numbers::pi / 2));
  CGContextScaleCTM(c, 2, 3);
  m = CGContextGetCTM(c);
  // (1, 0) → scaled (2, 0) → turned (0, 2) → moved (10, 22)
  EXPECT_NEAR(m.a * 1 + m.c * 0 + m.tx, 10, 1e-5);
  EXPECT_NEAR(m.b * 1 + m.d * 0 + m.ty, 22, 1e-5);
  // (0, 1) → (0, 3) → (-3, 0) → (7, 20)
  EXPECT_NEAR(m.c + m.tx, 7, 1e-5);
  EXPECT_NEAR(m.d + m.ty, 20, 1e-5);
  CGContextRestoreGState(c);
  m = CGContextGetCTM(c);
  EXPECT_EQ(m.tx, 0);
  EXPECT_EQ(m.b, 0);
  CGContextRestoreGState(c);  // nothing saved: no change
  EXPECT_EQ(CGContextGetCTM(c).a, 1);
}

TEST(DrawImage, APositiveAngleTurnsCounterClockwiseOnScreen) {
  // Red on the left, blue on the right.
  const Picture picture = MakePicture(2, 2, [](int x, int) { return x == 0 ? Opaque(255, 0, 0) : Opaque(0, 0, 255); });
  CGImageRef image = ImageOf(picture);
  Canvas canvas(4, 4);
  CGContextTranslateCTM(canvas.context(), 2, 2);
  CGContextRotateCTM(canvas.context(), float(std::numbers::pi / 2));
  CGContextDrawImage(canvas.context(), CGRectMake(-1, -1, 2, 2), image);
  // Turned a quarter counter-clockwise, the left side faces down: red below blue.
  Picture expected(4, 4);
  expected.at(1, 2) = expected.at(2, 2) = Opaque(255, 0, 0);
  expected.at(1, 1) = expected.at(2, 1) = Opaque(0, 0, 255);
  EXPECT_TRUE(Matches(canvas.Read(), expected, 1, "turned"));
  CGImageRelease(image);
}

TEST(DrawImage, ScalesWithBilinearFilteringAndStretchesWithoutKeepingProportions) {
  const Picture picture = MakePicture(6, 4, [](int x, int y) { return Smooth(x, y, 6, 4); });
  CGImageRef image = ImageOf(picture);
  Canvas canvas(30, 8);
  CGContextDrawImage(canvas.context(), CGRectMake(0, 0, 30, 8), image);
  const Picture expected = MakePicture(30, 8, [&](int x, int y) {
    return Rounded(SampleBilinear(picture, (x + 0.5) * 6 / 30, (y + 0.5) * 4 / 8));
  });
  EXPECT_TRUE(Matches(canvas.Read(), expected, 2, "stretched"));
  CGImageRelease(image);
}

TEST(DrawImage, ANegativeWidthMirrorsAndNoWidthDrawsNothing) {
  const Picture picture = MakePicture(4, 3, Noise);
  CGImageRef image = ImageOf(picture);
  Canvas canvas(4, 3);
  CGContextDrawImage(canvas.context(), CGRectMake(4, 0, -4, 3), image);
  EXPECT_TRUE(Matches(canvas.Read(), MakePicture(4, 3, [&](int x, int y) { return picture.at(3 - x, y); }), 0,
                      "mirrored"));
  Canvas empty(4, 3);
  CGContextDrawImage(empty.context(), CGRectMake(2, 0, 0, 3), image);
  EXPECT_TRUE(Matches(empty.Read(), Picture(4, 3), 0, "nothing"));
  CGImageRelease(image);
}

TEST(DrawImage, EdgesOffThePixelGridAreMixedByCoverage) {
  const Picture white = Picture(2, 2, Opaque(255, 255, 255));
  CGImageRef image = ImageOf(white);
  Canvas canvas(6, 1, Opaque(0, 0, 0));
  CGContextDrawImage(canvas.context(), CGRectMake(1.5f, 0, 3, 1), image);
  EXPECT_EQ(canvas.Get(0, 0), Opaque(0, 0, 0));
  EXPECT_NEAR(canvas.Get(1, 0).r, 128, 1);
  EXPECT_EQ(canvas.Get(2, 0), Opaque(255, 255, 255));
  EXPECT_EQ(canvas.Get(3, 0), Opaque(255, 255, 255));
  EXPECT_NEAR(canvas.Get(4, 0).g, 128, 1);
  EXPECT_EQ(canvas.Get(5, 0), Opaque(0, 0, 0));
  CGImageRelease(image);
}

TEST(DrawImage, IsClippedToTheRaster) {
  const Picture picture = MakePicture(6, 6, Noise);
  CGImageRef image = ImageOf(picture);
  Canvas canvas(4, 4);
  CGContextDrawImage(canvas.context(), CGRectMake(-3, 1, 6, 6), image);
  // x -3..3, y 1..7 up: rows 0..2 from the top show image rows 3..5, columns 3..5.
  Picture expected(4, 4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) expected.at(x, y) = picture.at(x + 3, y + 3);
  EXPECT_TRUE(Matches(canvas.Read(), expected, 0, "clipped"));
  CGImageRelease(image);
}

namespace {

// One opaque or translucent pixel drawn with `mode` over another; premultiplied bytes.
Pixel Blend(int mode, Pixel source, Pixel dest) {
  CGImageRef image = ImageOf(Picture(1, 1, source));
  Canvas canvas(1, 1, dest);
  CGContextSetBlendMode(canvas.context(), mode);
  CGContextDrawImage(canvas.context(), CGRectMake(0, 0, 1, 1), image);
  CGImageRelease(image);
  return canvas.Get(0, 0);
}

// The separable blend functions on channels in 0..1.
double Separable(int mode, double s, double d) {
  const auto screen = [](double a, double b) { return a + b - a * b; };
  const auto hardLight = [&](double a, double b) { return a <= 0.5 ? 2 * a * b : screen(b, 2 * a - 1); };
  switch (mode) {
    case kCGBlendModeMultiply: return s * d;
    case kCGBlendModeScreen: return screen(s, d);
    case kCGBlendModeOverlay: return hardLight(d, s);
    case kCGBlendModeDarken: return std::min(s, d);
    case kCGBlendModeLighten: return std::max(s, d);
    case kCGBlendModeColorDodge: return d == 0 ? 0 : s >= 1 ? 1 : std::min(1.0, d / (1 - s));
    case kCGBlendModeColorBurn: return d >= 1 ? 1 : s <= 0 ? 0 : 1 - std::min(1.0, (1 - d) / s);
    case kCGBlendModeSoftLight: {
      const double g = d <= 0.25 ? ((16 * d - 12) * d + 4) * d : std::sqrt(d);
      return s <= 0.5 ? d - (1 - 2 * s) * d * (1 - d) : d + (2 * s - 1) * (g - d);
    }
    case kCGBlendModeHardLight: return hardLight(s, d);
    case kCGBlendModeDifference: return std::abs(s - d);
    case kCGBlendModeExclusion: return s + d - 2 * s * d;
    default: return -1;
  }
}

}  // namespace

TEST(BlendModes, TheSeparableModesFollowTheirFormulas) {
  const Pixel s = Opaque(204, 77, 140), d = Opaque(102, 153, 230);
  for (int mode = kCGBlendModeMultiply; mode <= kCGBlendModeExclusion; ++mode) {
    const Pixel out = Blend(mode, s, d);
    EXPECT_EQ(out.a, 255) << mode;
    EXPECT_NEAR(out.r, 255 * Separable(mode, s.r / 255.0, d.r / 255.0), 2) << mode;
    EXPECT_NEAR(out.g, 255 * Separable(mode, s.g / 255.0, d.g / 255.0), 2) << mode;
    EXPECT_NEAR(out.b, 255 * Separable(mode, s.b / 255.0, d.b / 255.0), 2) << mode;
  }
}

TEST(BlendModes, TheColourModesTakeHueOrLuminosityFromTheRightSide) {
  const Pixel gray = Opaque(128, 128, 128), colour = Opaque(200, 40, 90);
  EXPECT_EQ(Blend(kCGBlendModeHue, colour, gray), gray) << "grey keeps no hue";
  EXPECT_EQ(Blend(kCGBlendModeSaturation, colour, gray), gray);
  const Pixel tinted = Blend(kCGBlendModeColor, colour, gray);
  EXPECT_GT(tinted.r, tinted.g) << "the source's colour on the grey";
  const Pixel lum = Blend(kCGBlendModeLuminosity, gray, colour);
  const auto luma = [](Pixel p) { return 0.3 * p.r + 0.59 * p.g + 0.11 * p.b; };
  EXPECT_NEAR(luma(lum), 128, 2) << "the source's luminosity";
  EXPECT_GT(lum.r, lum.g) << "the destination's hue";
}

TEST(BlendModes, ThePorterDuffModesAndThePlusModesComposeAlpha) {
  const Pixel s{128, 100, 50, 0};  // half transparent, premultiplied
  const Pixel d{255, 40, 80, 200};
  const auto is = [](Pixel got, Pixel want) {
    return std::abs(got.a - want.a) <= 1 && std::abs(got.r - want.r) <= 1 && std::abs(got.g - want.g) <= 1 &&
           std::abs(got.b - want.b) <= 1;
  };
  const auto over = [&](Pixel a, Pixel b) {
    const auto ch = [&](int x, int y) { return uint8_t(std::lround(x + y * (255 - a.a) / 255.0)); };
    return Pixel{ch(a.a, b.a), ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
  };
  const auto scaled = [](Pixel p, double f) {
    const auto ch = [&](int x) { return uint8_t(std::lround(x * f)); };
    return Pixel{ch(p.a), ch(p.r), ch(p.g), ch(p.b)};
  };
  EXPECT_PRED2(is, Blend(kCGBlendModeNormal, s, d), over(s, d));
  EXPECT_PRED2(is, Blend(kCGBlendModeClear, s, d), Pixel{});
  EXPECT_PRED2(is, Blend(kCGBlendModeCopy, s, d), s);
  EXPECT_PRED2(is, Blend(kCGBlendModeSourceIn, s, d), s);  // dest opaque
  EXPECT_PRED2(is, Blend(kCGBlendModeSourceOut, s, d), Pixel{});
  EXPECT_PRED2(is, Blend(kCGBlendModeSourceAtop, s, d), over(s, d));
  EXPECT_PRED2(is, Blend(kCGBlendModeDestinationOver, s, d), d);
  EXPECT_PRED2(is, Blend(kCGBlendModeDestinationIn, s, d), scaled(d, 128 / 255.0));
  EXPECT_PRED2(is, Blend(kCGBlendModeDestinationOut, s, d), scaled(d, 127 / 255.0));
  EXPECT_PRED2(is, Blend(kCGBlendModeDestinationAtop, s, d), scaled(d, 128 / 255.0));
  EXPECT_PRED2(is, Blend(kCGBlendModeXOR, s, d), scaled(d, 127 / 255.0));
  EXPECT_PRED2(is, Blend(kCGBlendModePlusLighter, s, d), (Pixel{255, 140, 130, 200}));
  // Plus-darker: alpha adds up; each channel loses what both sides lack of their alpha.
  EXPECT_PRED2(is, Blend(kCGBlendModePlusDarker, s, d), (Pixel{255, 12, 2, 72}));
  EXPECT_PRED2(is, Blend(kCGBlendModePlusDarker, Pixel{}, d), d) << "a transparent source changes nothing";
  // Values the old system never had draw normally.
  EXPECT_PRED2(is, Blend(28, s, d), over(s, d));
  EXPECT_PRED2(is, Blend(-1, s, d), over(s, d));
}

TEST(ClearRect, ClearsTheTurnedRectangleOnly) {
  Canvas canvas(8, 8, Opaque(9, 9, 9));
  CGContextTranslateCTM(canvas.context(), 4, 4);
  CGContextRotateCTM(canvas.context(), float(std::numbers::pi / 4));
  CGContextClearRect(canvas.context(), CGRectMake(-2, -2, 4, 4));
  EXPECT_EQ(canvas.Get(3, 3), Pixel{}) << "centre";
  EXPECT_EQ(canvas.Get(4, 2), Pixel{}) << "towards the corner that now points up";
  EXPECT_EQ(canvas.Get(1, 1), Opaque(9, 9, 9)) << "the upright square's corner is kept";
  const Pixel edge = canvas.Get(5, 2);
  EXPECT_GT(edge.a, 0);
  EXPECT_LT(edge.a, 255) << "edges are cleared in part";
}

TEST(PortContext, DrawsIntoThePortWithinItsClip) {
  Buffer buffer(6, 4);
  const Rect clip{0, 0, 4, 3};  // top, left, bottom, right
  {
    vantiro::PortScope scope(buffer.gw());
    ClipRect(&clip);
  }
  CGContextRef context = nullptr;
  ASSERT_EQ(QDBeginCGContext(buffer.gw(), &context), noErr);
  ASSERT_NE(context, nullptr);
  CGImageRef image = ImageOf(Picture(1, 1, Opaque(50, 60, 70)));
  CGContextDrawImage(context, CGRectMake(0, 0, 6, 4), image);
  CGContextFlush(context);
  EXPECT_EQ(QDEndCGContext(buffer.gw(), &context), noErr);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(buffer.Get(2, 3), Opaque(50, 60, 70));
  EXPECT_EQ(buffer.Get(3, 0), Pixel{}) << "outside the clip";
  CGImageRelease(image);

  EXPECT_EQ(QDBeginCGContext(nullptr, &context), paramErr) << "the default port has no raster";
  EXPECT_EQ(context, nullptr);
}

// Unscaled on whole pixels, normal drawing is source over destination with the compositor's
// rounding, s + round(d × (255 − sα) / 255), and copy is the source alone, in either byte
// order of the raster and clipped to it.
TEST(DrawImage, OnWholePixelsAPictureIsLaidOverWithExactRounding) {
  const Picture picture = MakePicture(50, 40, Translucent);
  CGImageRef image = ImageOf(picture);
  const auto ground = [](int x, int y) { return Translucent(y + 3, x + 1); };
  for (const bool little : {false, true})
    for (const CGBlendMode mode : {kCGBlendModeNormal, kCGBlendModeCopy}) {
      Canvas canvas(64, 48, Pixel{}, little);
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) canvas.Set(x, y, ground(x, y));
      CGContextSetBlendMode(canvas.context(), mode);
      // y up: the picture's rows land on raster rows 13..52, its columns on 30..79.
      CGContextDrawImage(canvas.context(), CGRectMake(30, -5, 50, 40), image);
      const Picture expected = MakePicture(64, 48, [&](int x, int y) {
        const Pixel d = ground(x, y);
        if (x < 30 || y < 13) return d;
        const Pixel s = picture.at(x - 30, y - 13);
        if (mode == kCGBlendModeCopy) return s;
        const auto over = [&](uint8_t sc, uint8_t dc) {
          return uint8_t(std::min(255L, sc + std::lround(dc * (255 - s.a) / 255.0)));
        };
        return Pixel{over(s.a, d.a), over(s.r, d.r), over(s.g, d.g), over(s.b, d.b)};
      });
      EXPECT_TRUE(Matches(canvas.Read(), expected, 0, std::string(little ? "little " : "big ") +
                                                       (mode == kCGBlendModeCopy ? "copy" : "over")));
    }
  CGImageRelease(image);
}

// A snapshot of a raster shares its pixels until something is about to change them; then it
// keeps what it showed, whichever way the raster changes.
TEST(Snapshot, KeepsItsPixelsWhateverLaterHappensToTheRaster) {
  constexpr int kW = 600, kH = 500;  // large enough for freed pixels to be handed on
  const Picture picture = MakePicture(kW, kH, Noise);
  const Rect bounds{0, 0, kH, kW};
  const auto newRaster = [&] {
    GWorldPtr gw = nullptr;
    NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
    return gw;
  };
  const auto paint = [&](GWorldPtr gw) {
    vantiro::PortScope scope(gw);
    const RGBColor grey{0x8000, 0x8000, 0x8000};
    RGBForeColor(&grey);
    PaintRect(&bounds);
  };
  const std::vector<std::pair<const char*, std::function<GWorldPtr(GWorldPtr, CGImageRef)>>> changes = {
      {"painted", [&](GWorldPtr gw, CGImageRef) { paint(gw); return gw; }},
      {"copied into", [&](GWorldPtr gw, CGImageRef) {
         GWorldPtr other = newRaster();
         CopyBits(GetPortBitMapForCopyBits(other), GetPortBitMapForCopyBits(gw), &bounds, &bounds, srcCopy, nullptr);
         DisposeGWorld(other);
         return gw;
       }},
      {"written through its address", [&](GWorldPtr gw, CGImageRef) {
         std::memset(GetPixBaseAddr(GetGWorldPixMap(gw)), 0x5A, 4 * kW);
         return gw;
       }},
      {"drawn into with itself", [&](GWorldPtr gw, CGImageRef image) {
         CGContextRef context = nullptr;
         QDBeginCGContext(gw, &context);
         CGContextDrawImage(context, CGRectMake(1, -1, kW, kH), image);
         QDEndCGContext(gw, &context);
         return gw;
       }},
      {"disposed of and its pixels reused", [&](GWorldPtr gw, CGImageRef) {
         DisposeGWorld(gw);
         GWorldPtr next = newRaster();
         paint(next);
         return next;
       }},
  };
  for (const auto& [name, change] : changes) {
    GWorldPtr gw = newRaster();
    PixMapHandle pm = GetGWorldPixMap(gw);
    auto* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const Pixel p = picture.at(x, y);
        uint8_t* q = base + y * GetPixRowBytes(pm) + 4 * x;
        q[0] = p.a, q[1] = p.r, q[2] = p.g, q[3] = p.b;
      }
    CGContextRef context = CGBitmapContextCreate(base, kW, kH, 8, size_t(GetPixRowBytes(pm)), nullptr,
                                                 kCGImageAlphaPremultipliedFirst);
    CGImageRef image = CGBitmapContextCreateImage(context);
    CGContextRelease(context);
    gw = change(gw, image);
    const std::vector<uint32_t>& pixels = vantiro::ImagePixels(image);
    size_t wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) wrong += pixels[size_t(y) * kW + size_t(x)] != Native(picture.at(x, y));
    EXPECT_EQ(wrong, 0u) << name;
    if (std::string(name) == "drawn into with itself") {
      // The picture moved one pixel right and down over itself, read from the old pixels.
      auto* row = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + 10 * GetPixRowBytes(pm) + 4 * 10;
      const Pixel was = picture.at(9, 9);
      EXPECT_EQ((Pixel{row[0], row[1], row[2], row[3]}), was);
    }
    CGImageRelease(image);
    DisposeGWorld(gw);
  }
}

// Whatever the byte order of the raster and however a drawing is split into bands, every
// byte comes out the same: upright scaling (composited in converted rows), turning, partial
// alpha, a non-separable blend mode and plus-darker, a plain copy, antialiased edges.
TEST(DrawImage, EveryByteOrderAndBandCountDrawsTheSameBytes) {
  CGImageRef image = ImageOf(MakePicture(120, 90, [](int x, int y) { return Smooth(x, y, 120, 90); }));
  CGImageRef glass = ImageOf(MakePicture(64, 64, Translucent));
  const auto draw = [&](bool little, int bands) {
    vantiro::SetDrawingBands(bands);
    Canvas canvas(640, 480, Opaque(10, 20, 30), little);
    CGContextRef c = canvas.context();
    CGContextDrawImage(c, CGRectMake(13.3f, 7.7f, 600.5f, 300.2f), image);
    CGContextDrawImage(c, CGRectMake(-20, 400, 120, 90), image);
    CGContextSaveGState(c);
    CGContextTranslateCTM(c, 320, 240);
    CGContextRotateCTM(c, 0.7f);
    CGContextSetAlpha(c, 0.6f);
    CGContextDrawImage(c, CGRectMake(-250, -150, 500, 300), glass);
    CGContextSetBlendMode(c, kCGBlendModeHue);
    CGContextRotateCTM(c, -1.9f);
    CGContextDrawImage(c, CGRectMake(-300, -100, 450, 380), image);
    CGContextSetBlendMode(c, kCGBlendModePlusDarker);
    CGContextDrawImage(c, CGRectMake(-200, -200, 400, -400), glass);
    CGContextRestoreGState(c);
    return canvas.Read();
  };
  const Picture one = draw(false, 1);
  EXPECT_TRUE(Matches(draw(true, 1), one, 0, "little-endian order"));
  for (const int bands : {2, 3, 7}) EXPECT_TRUE(Matches(draw(bands % 2 != 0, bands), one, 0, "bands " + std::to_string(bands)));
  vantiro::SetDrawingBands(0);
  CGImageRelease(glass);
  CGImageRelease(image);
}
