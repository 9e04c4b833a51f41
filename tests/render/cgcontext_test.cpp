// Image drawing on rasters: bitmap contexts, snapshots, graphics state, transformed and
// blended drawing, clearing, contexts on ports.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

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

// A context over a raster-ordered picture held by the test (bytes A, R, G, B).
class Canvas {
 public:
  Canvas(int width, int height, Pixel fill = Pixel{}) : width_(width), height_(height), bytes_(size_t(width) * height * 4) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, fill);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    context_ = CGBitmapContextCreate(bytes_.data(), size_t(width), size_t(height), 8, size_t(width) * 4, space,
                                     kCGImageAlphaPremultipliedFirst);
    CGColorSpaceRelease(space);
  }
  ~Canvas() { CGContextRelease(context_); }
  CGContextRef context() const { return context_; }
  Pixel Get(int x, int y) const {
    const uint8_t* p = &bytes_[(size_t(y) * width_ + x) * 4];
    return Pixel{p[0], p[1], p[2], p[3]};
  }
  void Set(int x, int y, Pixel p) {
    uint8_t* q = &bytes_[(size_t(y) * width_ + x) * 4];
    q[0] = p.a, q[1] = p.r, q[2] = p.g, q[3] = p.b;
  }
  Picture Read() const {
    return MakePicture(width_, height_, [&](int x, int y) { return Get(x, y); });
  }

 private:
  int width_, height_;
  std::vector<uint8_t> bytes_;
  CGContextRef context_ = nullptr;
};

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

TEST(BitmapContext, SnapshotsReadEveryByteOrderIntoNativeWordsAndStayUnchanged) {
  const uint8_t argb[] = {0x80, 0x40, 0x20, 0x10};
  std::vector<uint8_t> memory(4 * 4);
  for (int i = 0; i < 4; ++i) std::copy(argb, argb + 4, &memory[size_t(i) * 4]);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, space, kCGImageAlphaPremultipliedFirst);
  CGImageRef image = CGBitmapContextCreateImage(context);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetWidth(image), 2u);
  CGContextClearRect(context, CGRectMake(0, 0, 2, 2));  // drawing afterwards does not reach the snapshot
  EXPECT_EQ(memory, std::vector<uint8_t>(16, 0));
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

TEST(DrawImage, AnImageOnWholePixelsIsCopiedExactly) {
  const Picture picture = MakePicture(5, 3, Noise);
  CGImageRef image = ImageOf(picture);
  Canvas canvas(9, 7, Opaque(1, 2, 3));
  CGContextDrawImage(canvas.context(), CGRectMake(2, 1, 5, 3), image);  // y up: rows 3..5 from the top
  Picture expected(9, 7, Opaque(1, 2, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) expected.at(x + 2, y + 3) = picture.at(x, y);
  EXPECT_TRUE(Matches(canvas.Read(), expected, 0, "copy"));
  CGImageRelease(image);
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

TEST(DrawImage, AlphaMixesWithWhatTheRasterHeld) {
  CGImageRef image = ImageOf(Picture(1, 1, Opaque(200, 100, 0)));
  Canvas canvas(1, 1, Opaque(0, 100, 200));
  CGContextSetAlpha(canvas.context(), 0.5f);
  CGContextDrawImage(canvas.context(), CGRectMake(0, 0, 1, 1), image);
  const Pixel p = canvas.Get(0, 0);
  EXPECT_EQ(p.a, 255);
  EXPECT_NEAR(p.r, 100, 1);
  EXPECT_NEAR(p.g, 100, 1);
  EXPECT_NEAR(p.b, 100, 1);
  CGContextSetAlpha(canvas.context(), 7);  // clamped to opaque
  CGContextDrawImage(canvas.context(), CGRectMake(0, 0, 1, 1), image);
  EXPECT_EQ(canvas.Get(0, 0), Opaque(200, 100, 0));
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

TEST(DrawImage, EveryByteOrderDrawsTheSamePicture) {
  // Upright scaling is composited in converted rows, turns and copies where they land;
  // all must agree whatever order the context's memory has.
  const Picture picture = MakePicture(9, 7, [](int x, int y) { return Smooth(x, y, 9, 7); });
  CGImageRef image = ImageOf(picture);
  const auto draw = [&](CGContextRef c) {
    CGContextDrawImage(c, CGRectMake(1.5f, 2, 20, 11), image);  // scaled, edges off the grid
    CGContextSetAlpha(c, 0.7f);
    CGContextSetBlendMode(c, kCGBlendModePlusDarker);
    CGContextDrawImage(c, CGRectMake(4, 3, 18, 14), image);
    CGContextSetBlendMode(c, kCGBlendModeScreen);
    CGContextTranslateCTM(c, 12, 10);
    CGContextRotateCTM(c, 0.4f);
    CGContextDrawImage(c, CGRectMake(-6, -4, 12, 8), image);
    CGContextSetAlpha(c, 1);
    CGContextSetBlendMode(c, kCGBlendModeNormal);
    CGContextDrawImage(c, CGRectMake(-2, -2, 9, 7), image);  // a plain copy
  };
  Canvas reference(24, 20, Opaque(30, 60, 90));
  draw(reference.context());

  std::vector<uint8_t> bgra(24 * 20 * 4);
  for (int i = 0; i < 24 * 20; ++i) {
    const uint8_t pixel[] = {90, 60, 30, 255};
    std::copy(pixel, pixel + 4, &bgra[size_t(i) * 4]);
  }
  CGContextRef little = CGBitmapContextCreate(bgra.data(), 24, 20, 8, 96, nullptr,
                                              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  draw(little);
  CGImageRef drawn = CGBitmapContextCreateImage(little);
  const Picture fromLittle = MakePicture(24, 20, [&](int x, int y) {
    const uint32_t w = vantiro::ImagePixels(drawn)[size_t(y) * 24 + x];
    return Pixel{uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)};
  });
  EXPECT_TRUE(Matches(fromLittle, reference.Read(), 0, "little-endian order"));
  CGImageRelease(drawn);
  CGContextRelease(little);
  CGImageRelease(image);
}
