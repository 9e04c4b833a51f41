// The image drawing glue between buffers and image drawing.
#include <gtest/gtest.h>

#include <numbers>

#include "platform/coregraphics/CGImage.h"
#include "platform/quickdraw/Pixels.h"
#include "render/CGglue.h"
#include "render/commonprocs.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

Rect R(int left, int top, int right, int bottom) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}

CGImageRef ImageOf(const Picture& picture) {
  std::vector<uint32_t> words;
  for (const Pixel& p : picture.pixels) words.push_back(vantiro::NativeWord(p.a, p.r, p.g, p.b));
  return vantiro::MakeImage(picture.width, picture.height, std::move(words));
}

const Pixel kGround = Opaque(20, 40, 60);

}  // namespace

TEST(CGglue, RectanglesAreMeasuredUpFromTheFramesBottom) {
  const auto is = [](const CGRect& r, double x, double y, double w, double h) {
    return r.origin.x == x && r.origin.y == y && r.size.width == w && r.size.height == h;
  };
  const Rect frame = R(0, 0, 720, 480);
  EXPECT_TRUE(is(QDRectToGCRect(frame, frame), 0, 0, 720, 480));
  EXPECT_TRUE(is(QDRectToGCRect(R(100, 50, 300, 150), frame), 100, 330, 200, 100));
  EXPECT_TRUE(is(QDRectToGCRect(R(0, 0, 10, 10), frame), 0, 470, 10, 10)) << "touching the top";
  EXPECT_TRUE(is(QDRectToGCRect(R(0, 470, 10, 500), frame), 0, -20, 10, 30)) << "reaching below";
  EXPECT_TRUE(is(QDRectToGCRect(R(110, 60, 130, 70), R(10, 20, 210, 120)), 100, 50, 20, 10))
      << "a frame away from the origin is measured from its own corner";
  EXPECT_TRUE(is(QDRectToGCRect(R(300, 150, 100, 50), frame), 300, 430, -200, -100)) << "reversed stays reversed";
}

// The snapshot itself is tested with the image drawing; here, that the glue makes one of
// the buffer's size and its caller owns it.
TEST(CGglue, ASnapshotHasTheBuffersSizeAndBelongsToTheCaller) {
  Buffer buffer(MakePicture(7, 5, Noise));
  const long before = vantiro::LiveImageCount();
  CGImageRef image = GWorld2CGImage(buffer.gw());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(vantiro::LiveImageCount(), before + 1);
  int32_t w = 0, h = 0;
  GetImageDims(image, w, h);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 5);
  CGImageRelease(image);
  EXPECT_EQ(vantiro::LiveImageCount(), before);
}

TEST(CGglue, ProportionalImageFrames) {
  CGImageRef image = vantiro::MakeImage(1000, 400, std::vector<uint32_t>(400000));
  EXPECT_EQ(CalcProportionalImageForFrame(image, R(0, 0, 720, 480)).bottom, 288);
  Rect box = CalcProportionalImageForFrame(image, R(0, 0, 200, 150));
  EXPECT_EQ(box.right, 200);
  EXPECT_EQ(box.bottom, 80);
  CenterRectInRect(box, R(0, 0, 200, 150));
  EXPECT_EQ(box.top, 35);
  CGImageRelease(image);
}

TEST(CGglue, WithoutATurnExactlyTheRectangleIsPainted) {
  const Picture picture = MakePicture(40, 30, Noise);
  CGImageRef image = ImageOf(picture);
  Buffer buffer(Picture(100, 80, kGround));
  DrawCGImageInQDRect(buffer.gw(), image, R(10, 20, 50, 50), 0, false);
  Picture expected(100, 80, kGround);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) expected.at(x + 10, y + 20) = picture.at(x, y);
  EXPECT_TRUE(Matches(buffer.Read(), expected, 0, "painted"));
  CGImageRelease(image);
}

TEST(CGglue, AQuarterTurnStandsTheRectangleOnItsSide) {
  // 200 × 100 centred at (360, 240) becomes 100 × 200 about the same point, its top edge on
  // the left. The top rows are red.
  const Picture picture = MakePicture(200, 100, [](int x, int y) { return y < 10 ? Opaque(255, 0, 0) : Smooth(x, y, 200, 100); });
  CGImageRef image = ImageOf(picture);
  Buffer buffer(Picture(720, 480, kGround));
  DrawCGImageInQDRect(buffer.gw(), image, R(260, 190, 460, 290), float(std::numbers::pi / 2), false);
  Picture expected(720, 480, kGround);
  for (int y = 140; y < 340; ++y)
    for (int x = 310; x < 410; ++x) expected.at(x, y) = picture.at(339 - y, x - 310);
  // Bilinear sampling exactly on pixel centres of a turned image: within rounding.
  EXPECT_TRUE(Matches(buffer.Read(), expected, 1, "turned"));
  EXPECT_EQ(buffer.Get(312, 240), Opaque(255, 0, 0)) << "the top edge is on the left";
  CGImageRelease(image);
}

TEST(CGglue, AlphaMixesHalfAndHalfAndANegativeAlphaDrawsOpaquely) {
  CGImageRef image = ImageOf(Picture(4, 4, Opaque(220, 120, 20)));
  Buffer buffer(Picture(8, 8, Opaque(20, 120, 220)));
  DrawCGImageInQDRectWithAlpha(buffer.gw(), image, R(0, 0, 4, 4), 0, false, 0.5, 0);
  const Pixel mixed = buffer.Get(1, 1);
  EXPECT_NEAR(mixed.r, 120, 1);
  EXPECT_NEAR(mixed.g, 120, 1);
  EXPECT_NEAR(mixed.b, 120, 1);
  EXPECT_EQ(mixed.a, 255);
  EXPECT_EQ(buffer.Get(5, 5), Opaque(20, 120, 220));
  DrawCGImageInQDRectWithAlpha(buffer.gw(), image, R(4, 4, 8, 8), 0, false, -1, 0);
  EXPECT_EQ(buffer.Get(5, 5), Opaque(220, 120, 20));
  // The blend mode reaches the drawing: multiply by white leaves the buffer as it was.
  CGImageRef white = ImageOf(Picture(1, 1, Opaque(255, 255, 255)));
  DrawCGImageInQDRectWithAlpha(buffer.gw(), white, R(0, 0, 8, 8), 0, false, 1, 1);
  EXPECT_EQ(buffer.Get(5, 5), Opaque(220, 120, 20));
  CGImageRelease(white);
  CGImageRelease(image);
}

TEST(CGglue, ClearingFirstEmptiesTheTurnedRectangleOnly) {
  CGImageRef image = ImageOf(Picture(4, 4, Pixel{128, 100, 0, 0}));  // half transparent
  Buffer buffer(Picture(40, 40, kGround));
  DrawCGImageInQDRect(buffer.gw(), image, R(10, 10, 30, 30), float(std::numbers::pi / 4), true);
  const Pixel centre = buffer.Get(20, 20);
  EXPECT_EQ(centre, (Pixel{128, 100, 0, 0})) << "cleared, then the image over nothing";
  EXPECT_EQ(buffer.Get(11, 11), kGround) << "the upright square's corner is outside the turned one";
  EXPECT_EQ(buffer.Get(0, 0), kGround);
  CGImageRelease(image);
}

TEST(CGglue, ANilImageDrawsNothingButAtTheBottomLayerItStops) {
  Buffer buffer(Picture(6, 6, kGround));
  DrawCGImageInQDRect(buffer.gw(), nullptr, R(0, 0, 6, 6), 0, true);
  DrawCGImageInQDRectWithAlpha(buffer.gw(), nullptr, R(0, 0, 6, 6), 0, true, 1, 16);
  EXPECT_TRUE(Matches(buffer.Read(), Picture(6, 6, kGround), 0, "untouched"));

  CGImageRef image = ImageOf(Picture(1, 1, kGround));
  EXPECT_EXIT(DrawRotatedImageInCGRect(nullptr, image, CGRectMake(0, 0, 1, 1), 0, false), testing::ExitedWithCode(1),
              "NIL context for DrawRotatedImageInQDRect");
  CGContextRef context = CGBitmapContextCreate(nullptr, 2, 2, 8, 0, nullptr, kCGImageAlphaPremultipliedFirst);
  EXPECT_EXIT(DrawRotatedImageInCGRect(context, nullptr, CGRectMake(0, 0, 1, 1), 0, false), testing::ExitedWithCode(1),
              "NIL Image for DrawRotatedImageInQDRect");
  // The state the drawing changes does not outlive it.
  DrawRotatedImageInCGRect(context, image, CGRectMake(0, 0, 2, 2), 1.0f, false);
  const CGAffineTransform m = CGContextGetCTM(context);
  EXPECT_EQ(m.a, 1);
  EXPECT_EQ(m.b, 0);
  EXPECT_EQ(m.tx, 0);
  CGContextRelease(context);
  CGImageRelease(image);
}
