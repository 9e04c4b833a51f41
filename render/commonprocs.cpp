#include "render/commonprocs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr RGBColor kBlack{0, 0, 0};

GWorldPtr NewLockedGWorld(const Rect& bounds) {
  GWorldPtr world = nullptr;
  NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0);
  LockGWorld(world);
  return world;
}

// trunc(x + 0.5), saturated to the 16-bit range: a proportion may ask for more than a
// Rect can hold.
int16_t RoundedEdge(int16_t from, double extent) {
  const double edge = from + std::trunc(extent + 0.5);
  return static_cast<int16_t>(std::clamp(edge, -32768.0, 32767.0));
}

int16_t Clamp(int16_t v, int16_t low, int16_t high) {
  if (v < low) return low;
  if (v > high) return high;
  return v;
}

}  // namespace

Rect GetPortRect(CGrafPtr thePort) {
  Rect bounds;
  GetPortBounds(thePort, &bounds);
  return bounds;
}

void GetDims(const Rect& theRect, int32_t& wid, int32_t& hig) {
  wid = int32_t(theRect.right) - theRect.left;
  hig = int32_t(theRect.bottom) - theRect.top;
}

void LockGWorld(GWorldPtr theGW) {
  if (theGW == nullptr) return;
  PixMapHandle pixels = GetGWorldPixMap(theGW);
  GetPixelsState(pixels);
  LockPixels(pixels);
}

GWorldPtr AllocateGWorld(int16_t wid, int16_t hig) {
  Rect bounds;
  SetRect(&bounds, 0, 0, wid, hig);
  return NewLockedGWorld(bounds);
}

GWorldPtr AllocateRectGWorld(Rect theRect) {
  OffsetRect(&theRect, static_cast<int16_t>(-theRect.left), static_cast<int16_t>(-theRect.top));
  return NewLockedGWorld(theRect);
}

void ClearGW(GWorldPtr theGW, RGBColor theColor) {
  if (theGW == nullptr) return;
  const Rect bounds = GetPortRect(theGW);
  vantiro::PortScope scope(theGW);
  RGBForeColor(&theColor);
  PaintRect(&bounds);
  RGBForeColor(&kBlack);
}

void ClipRectToFrame(Rect& theRect, const Rect& theFrame) {
  theRect.left = Clamp(theRect.left, theFrame.left, theFrame.right);
  theRect.right = Clamp(theRect.right, theFrame.left, theFrame.right);
  theRect.top = Clamp(theRect.top, theFrame.top, theFrame.bottom);
  theRect.bottom = Clamp(theRect.bottom, theFrame.top, theFrame.bottom);
}

void CenterRectInRect(Rect& theRect, const Rect& theBounds) {
  int32_t w, h, rw, rh;
  GetDims(theBounds, w, h);
  GetDims(theRect, rw, rh);
  const int32_t cx = theBounds.left + w / 2, cy = theBounds.top + h / 2;
  const int32_t rx = theRect.left + rw / 2, ry = theRect.top + rh / 2;
  OffsetRect(&theRect, static_cast<int16_t>(cx - rx), static_cast<int16_t>(cy - ry));
}

Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize) {
  int32_t deltaX, deltaY, newX, newHig;
  GetDims(inOriginal, deltaX, deltaY);
  GetDims(inNewSize, newX, newHig);
  if (deltaX == 0) return inNewSize;
  Rect result = inNewSize;
  // A reference without height gives the result none either.
  result.bottom = deltaY == 0 ? inNewSize.top : RoundedEdge(inNewSize.top, newX / (double(deltaX) / deltaY));
  return result;
}

Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize) {
  int32_t deltaX, deltaY, newWid, newY;
  GetDims(inOriginal, deltaX, deltaY);
  GetDims(inNewSize, newWid, newY);
  if (deltaY == 0) return inNewSize;
  Rect result = inNewSize;
  result.right = RoundedEdge(inNewSize.left, double(deltaX) / deltaY * newY);  // no width: none
  return result;
}

Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame) {
  int32_t iWid, iHig, wid, hig;
  GetDims(inRect, iWid, iHig);
  GetDims(inFrame, wid, hig);
  Rect image, bounds;
  SetRect(&image, 0, 0, static_cast<int16_t>(iWid), static_cast<int16_t>(iHig));
  SetRect(&bounds, 0, 0, static_cast<int16_t>(wid), static_cast<int16_t>(hig));
  const bool fixWidth = wid > hig ? iWid > iHig : !(iHig > iWid);
  return fixWidth ? KeepPropsWithFixedHorizontal(image, bounds) : KeepPropsWithFixedVertical(image, bounds);
}
