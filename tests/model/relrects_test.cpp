#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/relrects.h"

namespace {

Rect R(int16_t left, int16_t top, int16_t right, int16_t bottom) { return Rect{top, left, bottom, right}; }

void ExpectRect(const Rect& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

}  // namespace

TEST(RelRects, TheWholeFrameConvertsToTheFrame) {
  relRect whole{9, 9, 9, 9};
  InitRelRect(whole);
  ExpectRect(Rel2Rect(whole, R(0, 0, 720, 480)), 0, 0, 720, 480);
  ExpectRect(Rel2Rect(whole, R(10, 20, 110, 220)), 10, 20, 110, 220);
}

TEST(RelRects, EdgesAreTruncatedTowardZero) {
  const Rect frame = R(0, 0, 100, 100);
  EXPECT_EQ(Rel2Rect({0.29, 1, 0, 1}, frame).left, 28) << "100 * 0.29 is 28.999999999999996";
  EXPECT_EQ(Rel2Rect({-0.005, 1, 0, 1}, frame).left, 0);
  EXPECT_EQ(Rel2Rect({-0.019, 1, 0, 1}, frame).left, -1) << "toward zero, not down";
  EXPECT_EQ(Rel2Rect({0, 0.999, 0, 1}, frame).right, 99);
}

TEST(RelRects, RectToRelKeepsWhatItIsGiven) {
  const Rect frame = R(0, 0, 720, 480);
  const relRect whole = Rect2Rel(frame, frame);
  EXPECT_EQ(whole.left, 0.0);
  EXPECT_EQ(whole.right, 1.0);
  EXPECT_EQ(whole.top, 0.0);
  EXPECT_EQ(whole.bottom, 1.0);
  EXPECT_EQ(Rect2Rel(R(-360, 0, 360, 480), frame).left, -0.5);
  const relRect reversed = Rect2Rel(R(500, 0, 100, 480), frame);
  EXPECT_GT(reversed.left, reversed.right);
  const relRect shifted = Rect2Rel(R(60, 70, 110, 220), R(10, 20, 110, 220));
  EXPECT_DOUBLE_EQ(shifted.left, 0.5);
  EXPECT_DOUBLE_EQ(shifted.top, 0.25);
}

TEST(RelRects, RoundTripLosesAUnitOnlyWhereTheProductFallsShort) {
  const Rect frame = R(0, 0, 100, 100);
  ExpectRect(Rel2Rect(Rect2Rel(R(25, 10, 75, 50), frame), frame), 25, 10, 75, 50);
  EXPECT_EQ(Rel2Rect(Rect2Rel(R(29, 0, 100, 100), frame), frame).left, 28);
}

TEST(RelRects, StoredNonsenseSaturatesInsteadOfOverflowing) {
  const Rect frame = R(0, 0, 720, 480);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectRect(Rel2Rect({-inf, inf, nan, 1e300}, frame), -32768, 0, 32767, 32767);
  ExpectRect(Rel2Rect({-1e9, 1e9, -50, 50}, frame), -32768, -24000, 32767, 24000);
  // Just inside the range still converts exactly.
  ExpectRect(Rel2Rect({-32768.0 / 720, 32767.0 / 720, 0, 1}, frame), -32768, 0, 32767, 480);
  ExpectRect(Rel2Rect({nan, nan, nan, nan}, R(10, 20, 110, 220)), 10, 20, 10, 20);
}
