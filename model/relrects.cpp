#include "model/relrects.h"

#include <algorithm>
#include <cmath>

namespace {

int16_t Edge(int16_t origin, int16_t extent, double fraction) {
  const double product = std::trunc(static_cast<double>(extent) * fraction);
  if (std::isnan(product)) return origin;
  // Saved settings are not validated, so the product may be anything a double holds.
  return static_cast<int16_t>(std::clamp(origin + product, -32768.0, 32767.0));
}

}  // namespace

void InitRelRect(relRect& theRel) { theRel = relRect{0.0, 1.0, 0.0, 1.0}; }

Rect Rel2Rect(const relRect& theRel, const Rect& theFrame) {
  const auto wid = static_cast<int16_t>(theFrame.right - theFrame.left);
  const auto hig = static_cast<int16_t>(theFrame.bottom - theFrame.top);
  Rect r;
  r.left = Edge(theFrame.left, wid, theRel.left);
  r.right = Edge(theFrame.left, wid, theRel.right);
  r.top = Edge(theFrame.top, hig, theRel.top);
  r.bottom = Edge(theFrame.top, hig, theRel.bottom);
  return r;
}

relRect Rect2Rel(const Rect& theRect, const Rect& theFrame) {
  const double wid = static_cast<int16_t>(theFrame.right - theFrame.left);
  const double hig = static_cast<int16_t>(theFrame.bottom - theFrame.top);
  return relRect{(theRect.left - theFrame.left) / wid, (theRect.right - theFrame.left) / wid,
                 (theRect.top - theFrame.top) / hig, (theRect.bottom - theFrame.top) / hig};
}
