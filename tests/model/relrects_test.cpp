#include <gtest/gtest.h>

#include <limits>

#include "model/relrects.h"

namespace {

Rect R(int16_t left, int16_t top, int16_t right, int16_t bottom) { return Rect{top, left, bottom, right}; }

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// Edges are the frame's origin plus its extent times the fraction, truncated toward zero,
// and saturate at the coordinate range instead of overflowing.
TEST(RelRects, FractionsBecomeTruncatedSaturatedEdges) {
  const struct {
    relRect rel;
    Rect frame, expected;
  } cases[] = {
      {{0, 1, 0, 1}, R(10, 20, 110, 220), R(10, 20, 110, 220)},
      {{0.29, 0.999, 0, 1}, R(0, 0, 100, 100), R(28, 0, 99, 100)},  // 100 * 0.29 is 28.999999999999996
      {{-0.019, 1, -0.005, 1}, R(0, 0, 100, 100), R(-1, 0, 100, 100)},  // toward zero, not down
      {{-kInf, kInf, kNan, 1e300}, R(0, 0, 720, 480), R(-32768, 0, 32767, 32767)},
      {{-1e9, 1e9, -50, 50}, R(0, 0, 720, 480), R(-32768, -24000, 32767, 24000)},
      {{-32768.0 / 720, 32767.0 / 720, 0, 1}, R(0, 0, 720, 480), R(-32768, 0, 32767, 480)},  // just inside
      {{kNan, kNan, kNan, kNan}, R(10, 20, 110, 220), R(10, 20, 10, 20)},
  };
  for (const auto& c : cases) {
    const Rect r = Rel2Rect(c.rel, c.frame);
    EXPECT_TRUE(r.left == c.expected.left && r.top == c.expected.top && r.right == c.expected.right &&
                r.bottom == c.expected.bottom)
        << c.rel.left << "," << c.rel.right << "," << c.rel.top << "," << c.rel.bottom << " -> " << r.left << ","
        << r.top << "," << r.right << "," << r.bottom;
  }
}
