// Image drawing on rasters: bitmap contexts, graphics state, transformed and blended
// image drawing, snapshots, and Core Graphics contexts on ports.
//
// Coordinates are y-up from the bottom-left corner of the raster; a positive rotation turns
// counter-clockwise on screen. Drawing lands in the raster at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/MacTypes.h"
#include "platform/coregraphics/CGImage.h"

typedef float CGFloat;

struct CGPoint {
  CGFloat x, y;
};
struct CGSize {
  CGFloat width, height;
};
struct CGRect {
  CGPoint origin;
  CGSize size;
};

inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{{x, y}, {width, height}};
}

typedef struct CGContext* CGContextRef;
typedef struct CGColorSpace* CGColorSpaceRef;

typedef uint32_t CGBitmapInfo;
enum : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7,
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder32Little = 2 << 12,
  kCGBitmapByteOrder32Big = 4 << 12
};

typedef int32_t CGBlendMode;
enum : int32_t {
  kCGBlendModeNormal = 0,
  kCGBlendModeMultiply,
  kCGBlendModeScreen,
  kCGBlendModeOverlay,
  kCGBlendModeDarken,
  kCGBlendModeLighten,
  kCGBlendModeColorDodge,
  kCGBlendModeColorBurn,
  kCGBlendModeSoftLight,
  kCGBlendModeHardLight,
  kCGBlendModeDifference,
  kCGBlendModeExclusion
};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
void CGColorSpaceRelease(CGColorSpaceRef space);  // nil is ignored

// A context drawing into `data` (width × height pixels, rows `bytesPerRow` apart), or into
// memory of its own when `data` is nil. Supported: 8 bits per component, premultiplied
// alpha first or no alpha (skip first), in either 32-bit byte order; the default order
// is alpha, red, green, blue in memory, the order of the platform's rasters. Anything else,
// an empty size or rows too short: nil.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
// A snapshot of the context's pixels; later drawing does not change it.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

void CGContextRelease(CGContextRef context);  // nil is ignored

// Graphics state: transformation, alpha and blend mode.
void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context);  // without a saved state: nothing
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
void CGContextRotateCTM(CGContextRef context, CGFloat angle);  // radians
void CGContextSetAlpha(CGContextRef context, CGFloat alpha);  // clamped to 0..1
// Normal and the separable modes; other values draw as kCGBlendModeNormal.
void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode);

// The rectangle, as transformed, becomes transparent; edges are antialiased.
void CGContextClearRect(CGContextRef context, CGRect rect);
// The image scaled to fill the rectangle (a negative width or height mirrors it), through
// the transformation, with bilinear filtering, antialiased edges, alpha and blend mode.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);
void CGContextFlush(CGContextRef context);

// A context on a port's raster, clipped to the port's clip; the port's bottom-left corner
// is the origin. QDEndCGContext releases the context and sets the variable to nil.
OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context);
OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* context);
