// Which pixels a convex quadrilateral covers, and how much: the shape of every transformed
// rectangle that image drawing fills or clears.
#pragma once

#include <array>
#include <vector>

namespace vantiro {

struct DevicePoint {
  double x, y;  // raster pixels, y down
};

// Half-open pixel box.
struct PixelBox {
  int left, top, right, bottom;
  bool Empty() const { return right <= left || bottom <= top; }
};

// One row of the shape: pixels [left, right) are touched, [fullLeft, fullRight) of them
// completely; the others lie on an edge and are covered in part.
struct CoverageRow {
  int y, left, right, fullLeft, fullRight;
};

class ConvexQuad {
 public:
  explicit ConvexQuad(const std::array<DevicePoint, 4>& corners);

  // The rows touched inside `clip`, top to bottom; none for a degenerate quad.
  std::vector<CoverageRow> Rows(const PixelBox& clip) const;

  // The part of pixel (x, y) inside the quad, 0..1. Each edge contributes the share of the
  // pixel on its inner side as if the pixel met that edge alone; the shares multiply, which
  // is exact for pixels cut by one edge or by two perpendicular ones.
  double CoverageAt(int x, int y) const;

 private:
  // Signed distance of a point from an edge, negative inside: a x + b y + c.
  struct Edge {
    double a, b, c;
  };
  std::array<Edge, 4> edges_{};
  bool degenerate_ = false;
  double top_ = 0, bottom_ = 0;
};

}  // namespace vantiro
