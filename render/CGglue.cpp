#include "render/CGglue.h"

#include "render/commonprocs.h"
#include "support/commonprocs.h"

namespace {

// Opens a context on the port, lets `draw` set it up and draw, and closes it again.
template <class Draw>
void DrawInPort(CGrafPtr thePort, const Rect& qdTargetRect, Draw draw) {
  const CGRect target = QDRectToGCRect(qdTargetRect, GetPortRect(thePort));
  CGContextRef context = nullptr;
  QDBeginCGContext(thePort, &context);
  draw(context, target);
  CGContextFlush(context);
  QDEndCGContext(thePort, &context);
  CGContextRelease(context);
}

}  // namespace

CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame) {
  int32_t portWid, portHig, rWid, rHig;
  GetDims(theFrame, portWid, portHig);
  GetDims(theRect, rWid, rHig);
  // Measured from the frame's own corner, so that a frame away from (0, 0) works as well.
  return CGRectMake(CGFloat(theRect.left - theFrame.left), CGFloat(theFrame.top + portHig - theRect.bottom),
                    CGFloat(rWid), CGFloat(rHig));
}

CGImageRef GWorld2CGImage(GWorldPtr theGW) {
  PixMapHandle pixels = GetGWorldPixMap(theGW);
  Ptr base = GetPixBaseAddr(pixels);
  const long rowBytes = GetPixRowBytes(pixels);
  int32_t wid, hig;
  GetDims(GetPortRect(theGW), wid, hig);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context =
      CGBitmapContextCreate(base, size_t(wid), size_t(hig), 8, size_t(rowBytes), space, kCGImageAlphaPremultipliedFirst);
  Assert(context, "Failed to create s CGContext on GWorld2CGImage");
  CGColorSpaceRelease(space);
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  return image;
}

void GetImageDims(CGImageRef theImage, int32_t& wid, int32_t& hig) {
  wid = int32_t(CGImageGetWidth(theImage));
  hig = int32_t(CGImageGetHeight(theImage));
}

Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame) {
  int32_t wid, hig;
  GetImageDims(theImage, wid, hig);
  Rect bounds;
  SetRect(&bounds, 0, 0, static_cast<int16_t>(wid), static_cast<int16_t>(hig));
  return CalcProportionalRectForFrame(bounds, theFrame);
}

void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              Boolean clearFirst) {
  Assert(theContext, "NIL context for DrawRotatedImageInQDRect");
  Assert(theImage, "NIL Image for DrawRotatedImageInQDRect");
  CGContextSaveGState(theContext);
  const CGFloat width = targetRect.size.width, height = targetRect.size.height;
  const CGRect centred = CGRectMake(-width / 2, -height / 2, width, height);
  CGContextTranslateCTM(theContext, targetRect.origin.x + width / 2, targetRect.origin.y + height / 2);
  CGContextRotateCTM(theContext, theRadiants);
  if (clearFirst) CGContextClearRect(theContext, centred);
  CGContextDrawImage(theContext, centred, theImage);
  CGContextRestoreGState(theContext);
}

void DrawCGImageInQDRect(CGrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                         Boolean clearFirst) {
  if (theImage == nullptr) return;
  DrawInPort(theGW, qdTargetRect, [&](CGContextRef context, const CGRect& target) {
    DrawRotatedImageInCGRect(context, theImage, target, theRadiants, clearFirst);
  });
}

void DrawCGImageInQDRectWithAlpha(CGrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                                  Boolean clearFirst, double alpha, int16_t blendMode) {
  if (theImage == nullptr) return;
  DrawInPort(theGW, qdTargetRect, [&](CGContextRef context, const CGRect& target) {
    if (alpha >= 0) CGContextSetAlpha(context, CGFloat(alpha));
    CGContextSetBlendMode(context, blendMode);
    DrawRotatedImageInCGRect(context, theImage, target, theRadiants, clearFirst);
  });
}
