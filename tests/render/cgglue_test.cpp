// The glue between buffers and image drawing.
#include <gtest/gtest.h>

#include <numbers>

#include "render/CGglue.h"
#include "render/commonprocs.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {
const Pixel kGround = Opaque(20, 40, 60);
}  // namespace

TEST(CGglue, RectanglesAreMeasuredUpFromTheFramesBottom) {
  const auto is = [](const CGRect& r, double x, double y, double w, double h) {
    return r.origin.x == x && r.origin.y == y && r.size.width == w && r.size.height == h;
  };
  const Rect frame = R(0, 0, 720, 480);
  EXPECT_TRUE(is(QDRectToGCRect(R(100, 50, 300, 150), frame), 100, 330, 200, 100));
  EXPECT_TRUE(is(QDRectToGCRect(R(110, 60, 130, 70), R(10, 20, 210, 120)), 100, 50, 20, 10))
      << "a frame away from the origin is measured from its own corner";
  EXPECT_TRUE(is(QDRectToGCRect(R(300, 150, 100, 50), frame), 300, 430, -200, -100)) << "reversed stays reversed";
}

// Clearing first empties the turned rectangle only, its edges in part.
TEST(CGglue, ClearingFirstEmptiesTheTurnedRectangle) {
  CGImageRef image = ImageOf(Picture(4, 4, Pixel{128, 100, 0, 0}));  // half transparent
  Buffer cleared(Picture(40, 40, kGround));
  DrawCGImageInQDRect(cleared.gw(), image, R(10, 10, 30, 30), float(std::numbers::pi / 4), true);
  CGImageRelease(image);
  EXPECT_EQ(cleared.Get(20, 20), (Pixel{128, 100, 0, 0})) << "cleared, then the image over nothing";
  EXPECT_EQ(cleared.Get(11, 11), kGround) << "the upright square's corner is outside the turned one";
  const Pixel edge = cleared.Get(10, 15);
  EXPECT_TRUE(edge.a > 0 && edge.a < 255) << "edges are cleared in part: " << edge;
}

TEST(CGglue, ANilImageDrawsNothing) {
  Buffer buffer(Picture(6, 6, kGround));
  DrawCGImageInQDRect(buffer.gw(), nullptr, R(0, 0, 6, 6), 0, true);
  DrawCGImageInQDRectWithAlpha(buffer.gw(), nullptr, R(0, 0, 6, 6), 0, true, 1, 16);
  EXPECT_TRUE(Matches(buffer.Read(), Picture(6, 6, kGround), 0, "untouched"));
}
