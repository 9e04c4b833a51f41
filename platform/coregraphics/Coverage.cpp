#include "platform/coregraphics/Coverage.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantiro {

ConvexQuad::ConvexQuad(const std::array<DevicePoint, 4>& corners) {
  double area = 0;
  for (int i = 0; i < 4; ++i) {
    const DevicePoint& p = corners[i];
    const DevicePoint& q = corners[(i + 1) % 4];
    area += p.x * q.y - q.x * p.y;
  }
  degenerate_ = !(std::abs(area) > 1e-9);
  const double orientation = area > 0 ? 1.0 : -1.0;
  for (int i = 0; i < 4; ++i) {
    const DevicePoint& p = corners[i];
    const DevicePoint& q = corners[(i + 1) % 4];
    const double ex = q.x - p.x, ey = q.y - p.y;
    const double length = std::hypot(ex, ey);
    if (length == 0) {
      // A corner repeated: this edge adds no constraint.
      edges_[i] = Edge{0, 0, -std::numeric_limits<double>::infinity()};
      continue;
    }
    // cross(e, point - p) has the sign of the area for points inside.
    edges_[i] = Edge{orientation * ey / length, -orientation * ex / length,
                     orientation * (ex * p.y - ey * p.x) / length};
  }
  top_ = std::min({corners[0].y, corners[1].y, corners[2].y, corners[3].y});
  bottom_ = std::max({corners[0].y, corners[1].y, corners[2].y, corners[3].y});
}

std::vector<CoverageRow> ConvexQuad::Rows(const PixelBox& clip) const {
  std::vector<CoverageRow> rows;
  if (degenerate_ || clip.Empty()) return rows;
  const int first = std::max(clip.top, int(std::max(-1e9, std::floor(top_ - 1))));
  const int last = std::min(clip.bottom, int(std::min(1e9, std::ceil(bottom_ + 1))));
  for (int y = first; y < last; ++y) {
    const double yc = y + 0.5;
    // Pixel centres xc with distance < 0.5 from every edge touch the quad; those with
    // distance <= -0.5 from every edge lie inside it.
    double lo = -std::numeric_limits<double>::infinity(), hi = -lo;
    double fullLo = lo, fullHi = hi;
    bool empty = false;
    for (const Edge& e : edges_) {
      const double rest = e.b * yc + e.c;
      if (e.a == 0) {
        if (!(rest < 0.5)) empty = true;
        if (!(rest <= -0.5)) fullHi = fullLo;  // no pixel of the row is inside
        continue;
      }
      const double touch = (0.5 - rest) / e.a, inside = (-0.5 - rest) / e.a;
      if (e.a > 0) {
        hi = std::min(hi, touch);
        fullHi = std::min(fullHi, inside);
      } else {
        lo = std::max(lo, touch);
        fullLo = std::max(fullLo, inside);
      }
    }
    if (empty || !(lo < hi)) continue;
    // xc = x + 0.5 strictly between lo and hi; inside when within [fullLo, fullHi].
    const auto clampX = [&](double v) { return int(std::clamp(v, double(clip.left), double(clip.right))); };
    const int left = clampX(std::floor(lo - 0.5) + 1);
    const int right = clampX(std::ceil(hi - 0.5));
    if (right <= left) continue;
    int fullLeft = right, fullRight = right;
    if (fullLo <= fullHi) {
      fullLeft = std::clamp(clampX(std::ceil(fullLo - 0.5)), left, right);
      fullRight = std::clamp(clampX(std::floor(fullHi - 0.5) + 1), fullLeft, right);
    }
    rows.push_back(CoverageRow{y, left, right, fullLeft, fullRight});
  }
  return rows;
}

double ConvexQuad::CoverageAt(int x, int y) const {
  if (degenerate_) return 0;
  double coverage = 1;
  for (const Edge& e : edges_) {
    const double d = e.a * (x + 0.5) + e.b * (y + 0.5) + e.c;
    coverage *= std::clamp(0.5 - d, 0.0, 1.0);
  }
  return coverage;
}

}  // namespace vantiro
