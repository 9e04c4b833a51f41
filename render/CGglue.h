// The bridge between buffers with integer, y-down Rects and image drawing with
// floating-point, y-up rectangles: snapshots of buffers, rectangle conversion, and images
// drawn scaled, rotated, with alpha and blend mode into a Rect of a buffer.
#pragma once

#include <cstdint>

#include "platform/coregraphics/CoreGraphics.h"
#include "platform/quickdraw/QuickDraw.h"

// The rectangle covering the same pixels of a buffer with bounds theFrame, y measured up
// from the frame's bottom edge.
CGRect QDRectToGCRect(const Rect& theRect, const Rect& theFrame);

// A snapshot of the buffer's pixels, or nil; the caller releases it.
CGImageRef GWorld2CGImage(GWorldPtr theGW);

void GetImageDims(CGImageRef theImage, int32_t& wid, int32_t& hig);
// A Rect at (0, 0) with the image's proportions sized from theFrame; theImage not nil.
Rect CalcProportionalImageForFrame(CGImageRef theImage, const Rect& theFrame);

// The image filling targetRect, turned by theRadiants about the rectangle's centre;
// clearFirst clears the turned rectangle first. The context's state is left as found.
void DrawRotatedImageInCGRect(CGContextRef theContext, CGImageRef theImage, CGRect targetRect, float theRadiants,
                              Boolean clearFirst);

// The same into a Rect of a buffer or window port; a nil image draws nothing.
void DrawCGImageInQDRect(CGrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                         Boolean clearFirst);
// A negative alpha leaves the context's opaque default; the blend mode is set as given.
void DrawCGImageInQDRectWithAlpha(CGrafPtr theGW, CGImageRef theImage, Rect qdTargetRect, float theRadiants,
                                  Boolean clearFirst, double alpha, int16_t blendMode);
