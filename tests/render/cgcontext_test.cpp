// Image drawing on rasters: bitmap contexts, snapshots, transformed drawing, port contexts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/Bands.h"
#include "platform/coregraphics/CGImage.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

// A context over a buffer's pixels, bytes A, R, G, B as the renderer makes them.
struct Canvas {
  Canvas(int width, int height, const std::function<Pixel(int, int)>& fill) : buffer(MakePicture(width, height, fill)) {
    PixMapHandle pm = GetGWorldPixMap(buffer.gw());
    context = CGBitmapContextCreate(GetPixBaseAddr(pm), size_t(width), size_t(height), 8, size_t(GetPixRowBytes(pm)),
                                    nullptr, kCGImageAlphaPremultipliedFirst);
  }
  Canvas(int width, int height, Pixel fill) : Canvas(width, height, [=](int, int) { return fill; }) {}
  ~Canvas() { CGContextRelease(context); }

  Buffer buffer;
  CGContextRef context = nullptr;
};

// Premultiplied pixels of many alphas, none and full among them, every channel within its alpha.
Pixel Translucent(int x, int y) {
  const uint8_t a = (x + 2 * y) % 5 == 0 ? 255 : (x * 3 + y) % 7 == 0 ? 0 : uint8_t((x * 29 + y * 53) % 256);
  const auto c = [&](int k) { return uint8_t(a * ((x * 7 + y * 13 + k * 31) % 256) / 255); };
  return Pixel{a, c(1), c(2), c(3)};
}

// `picture` drawn into `canvas` at `rect` after `setUp` changed the context's state.
void Draw(const Canvas& canvas, const Picture& picture, CGRect rect,
          const std::function<void(CGContextRef)>& setUp = [](CGContextRef) {}) {
  CGImageRef image = ImageOf(picture);
  setUp(canvas.context);
  CGContextDrawImage(canvas.context, rect, image);
  CGImageRelease(image);
}

}  // namespace

TEST(BitmapContext, AcceptsItsLayoutsAndSnapshotsReadEveryByteOrderIntoNativeWords) {
  std::vector<uint8_t> memory(16);
  EXPECT_EQ(CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, nullptr, kCGImageAlphaPremultipliedLast), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(memory.data(), 2, 2, 8, 4, nullptr, kCGImageAlphaPremultipliedFirst), nullptr)
      << "rows too short";
  // Bytes 80 40 20 10 and 10 20 40 80, read in each layout.
  const struct {
    CGBitmapInfo info;
    uint8_t first;
    uint32_t word;
  } layouts[] = {{kCGImageAlphaPremultipliedFirst, 0x80, 0x80402010u},
                 {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, 0x10, 0x80402010u},
                 {kCGImageAlphaNoneSkipFirst, 0x10, 0xFF204080u}};
  for (const auto& l : layouts) {
    for (int i = 0; i < 16; ++i)
      memory[size_t(i)] = l.first == 0x80 ? uint8_t(0x80 >> (i % 4)) : uint8_t(0x10 << (i % 4));
    CGContextRef context = CGBitmapContextCreate(memory.data(), 2, 2, 8, 8, nullptr, l.info);
    CGImageRef image = CGBitmapContextCreateImage(context);
    EXPECT_EQ(vantiro::ImagePixels(image), std::vector<uint32_t>(4, l.word)) << l.info;
    CGImageRelease(image);
    CGContextRelease(context);
  }
}

TEST(PortContext, DrawsIntoThePortWithinItsClip) {
  Buffer buffer(6, 4);
  const Rect clip = R(0, 0, 3, 4);
  {
    vantiro::PortScope scope(buffer.gw());
    ClipRect(&clip);
  }
  CGContextRef context = nullptr;
  ASSERT_EQ(QDBeginCGContext(buffer.gw(), &context), noErr);
  CGImageRef image = ImageOf(Picture(1, 1, Opaque(50, 60, 70)));
  CGContextDrawImage(context, CGRectMake(0, 0, 6, 4), image);
  CGImageRelease(image);
  EXPECT_EQ(QDEndCGContext(buffer.gw(), &context), noErr);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(buffer.Get(2, 3), Opaque(50, 60, 70));
  EXPECT_EQ(buffer.Get(3, 0), Pixel{}) << "outside the clip";
}

// Unscaled on whole pixels, normal drawing is source over destination with the compositor's
// rounding, s + round(d × (255 − sα) / 255), clipped to the raster.
TEST(DrawImage, OnWholePixelsAPictureIsLaidOverWithExactRounding) {
  const Picture picture = MakePicture(50, 40, Translucent);
  const auto ground = [](int x, int y) { return Translucent(y + 3, x + 1); };
  Canvas canvas(64, 48, ground);
  // y up: the picture's rows land on raster rows 13..52, its columns on 30..79.
  Draw(canvas, picture, CGRectMake(30, -5, 50, 40));
  const Picture expected = MakePicture(64, 48, [&](int x, int y) {
    const Pixel d = ground(x, y);
    if (x < 30 || y < 13) return d;
    const Pixel s = picture.at(x - 30, y - 13);
    const auto over = [&](uint8_t sc, uint8_t dc) {
      return uint8_t(std::min(255L, sc + std::lround(dc * (255 - s.a) / 255.0)));
    };
    return Pixel{over(s.a, d.a), over(s.r, d.r), over(s.g, d.g), over(s.b, d.b)};
  });
  EXPECT_TRUE(Matches(canvas.buffer.Read(), expected, 0, "over"));
}

// A snapshot shares the raster's pixels, yet keeps what it showed however the raster changes.
TEST(Snapshot, KeepsItsPixelsWhateverLaterHappensToTheRaster) {
  constexpr int kW = 600, kH = 500;  // large enough for freed pixels to be handed on
  const Picture picture = MakePicture(kW, kH, Noise);
  const Rect bounds = R(0, 0, kW, kH);
  const RGBColor grey{0x8000, 0x8000, 0x8000};
  const char* changes[] = {"painted", "written through its address", "drawn into with itself",
                           "disposed of and its pixels reused"};
  for (int change = 0; change < 4; ++change) {
    auto raster = std::make_unique<Buffer>(picture);
    PixMapHandle pm = GetGWorldPixMap(raster->gw());
    CGContextRef context = CGBitmapContextCreate(GetPixBaseAddr(pm), kW, kH, 8, size_t(GetPixRowBytes(pm)), nullptr,
                                                 kCGImageAlphaPremultipliedFirst);
    CGImageRef image = CGBitmapContextCreateImage(context);
    if (change == 1) std::memset(GetPixBaseAddr(pm), 0x5A, 4 * kW);
    if (change == 2) CGContextDrawImage(context, CGRectMake(1, -1, kW, kH), image);
    CGContextRelease(context);
    if (change == 3) {
      raster.reset();
      raster = std::make_unique<Buffer>(kW, kH);
    }
    if (change == 0 || change == 3) {
      vantiro::PortScope scope(raster->gw());
      RGBForeColor(&grey);
      PaintRect(&bounds);
    }
    const std::vector<uint32_t>& words = vantiro::ImagePixels(image);
    Picture kept(kW, kH);
    for (size_t k = 0; k < words.size(); ++k) {
      const uint32_t w = words[k];
      kept.pixels[k] = Pixel{uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)};
    }
    EXPECT_TRUE(Matches(kept, picture, 0, changes[change]));
    CGImageRelease(image);
  }
}

// Scaled, turned, translucent and blended drawings give the same bytes in any number of bands.
TEST(DrawImage, EveryBandCountDrawsTheSameBytes) {
  const Picture smooth = MakePicture(120, 90, [](int x, int y) { return Smooth(x, y, 120, 90); });
  const Picture glass = MakePicture(64, 64, Translucent);
  const auto draw = [&](int bands) {
    vantiro::SetDrawingBands(bands);
    Canvas canvas(640, 480, Opaque(10, 20, 30));
    Draw(canvas, smooth, CGRectMake(13.3f, 7.7f, 600.5f, 300.2f));
    Draw(canvas, smooth, CGRectMake(-20, 400, 120, 90));
    Draw(canvas, glass, CGRectMake(-250, -150, 500, 300), [](CGContextRef c) {
      CGContextTranslateCTM(c, 320, 240);
      CGContextRotateCTM(c, 0.7f);
      CGContextSetAlpha(c, 0.6f);
    });
    Draw(canvas, smooth, CGRectMake(-300, -100, 450, 380), [](CGContextRef c) {
      CGContextSetBlendMode(c, kCGBlendModeSoftLight);
      CGContextRotateCTM(c, -1.9f);
    });
    Draw(canvas, glass, CGRectMake(-200, -200, 400, -400));
    return canvas.buffer.Read();
  };
  const Picture one = draw(1);
  for (const int bands : {2, 3, 7}) EXPECT_TRUE(Matches(draw(bands), one, 0, "bands " + std::to_string(bands)));
  vantiro::SetDrawingBands(0);
}
