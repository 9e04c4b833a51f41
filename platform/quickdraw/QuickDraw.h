/* Offscreen rasters, ports and QuickDraw-style drawing.
 *
 * A port is a raster plus its drawing state (colours, pen mode, clip). Offscreen GWorlds
 * are ports that own their pixels; a window's port draws into pixels owned by the window.
 * Pixels are 32 bits, bytes in memory alpha, red, green, blue, premultiplied alpha.
 * There is always a current port: a process-wide empty one until a caller sets another.
 * C-compatible. */
#ifndef VANTIRO_PLATFORM_QUICKDRAW_QUICKDRAW_H
#define VANTIRO_PLATFORM_QUICKDRAW_QUICKDRAW_H

#include "platform/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t GWorldFlags;
typedef struct OpaqueCTab** CTabHandle;
typedef struct OpaqueRgn** RgnHandle;
typedef struct BitMap BitMap; /* what CopyBits takes; a pixel map may be passed as one */

/* Transfer modes. With the solid pen every pattern bit is set, so a pen mode paints the
 * foreground colour (copy, or), inverts (xor) or paints the background colour (bic); any
 * other mode draws as copy. CopyBits always copies plainly. */
enum {
  srcCopy = 0,
  srcOr = 1,
  srcXor = 2,
  srcBic = 3,
  patCopy = 8,
  patOr = 9,
  patXor = 10,
  patBic = 11
};

/* GWorld creation flags and pixel states. Pixels never move or get purged here; the
 * state is kept for callers that save and restore it. */
enum {
  pixPurge = 1 << 0,
  noNewDevice = 1 << 1,
  useTempMem = 1 << 2,
  keepLocal = 1 << 3,
  pixelsPurgeable = 1 << 6,
  pixelsLocked = 1 << 7
};

/* Depth 32 (or 0, the device's depth, also 32). noErr; paramErr for another depth or an
 * empty or reversed rectangle; memFullErr when the pixels cannot be had. New pixels are
 * transparent black; the new port's clip is wide open. */
OSErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect, CTabHandle cTable,
                GDHandle aGDevice, GWorldFlags flags);
/* nil is ignored. Disposing of the current port makes the default port current. */
void DisposeGWorld(GWorldPtr offscreenGWorld);
/* A lent GWorld survives DisposeGWorld: a host lends frames and frees them itself after
 * clearing the mark, whether or not the borrower disposed of them. */
void VantiroSetGWorldLent(GWorldPtr offscreenGWorld, Boolean lent);
/* Ports made and not yet disposed of, for leak checks. */
long VantiroLivePortCount(void);

/* The current port and device. Making a GWorld current makes its own device current
 * (`gdh` is ignored then); for other ports nil means the main device. A nil port means the
 * default port. */
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);

Rect* GetPortBounds(CGrafPtr port, Rect* rect);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
PixMapHandle GetPortPixMap(CGrafPtr port);
Ptr GetPixBaseAddr(PixMapHandle pm);
long GetPixRowBytes(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* rect);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Boolean LockPixels(PixMapHandle pm); /* always true */
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);

/* A plain copy of the pixels, scaled (nearest pixel) when the rectangles differ in size,
 * clipped to the destination's bounds and its port's clip. Source and destination may be
 * the same raster. The mode, the port colours and the mask are not applied. */
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
              int16_t mode, RgnHandle maskRgn);

/* Drawing state of the current port. */
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void PenMode(int16_t mode);
void PenNormal(void); /* pen mode patCopy */
/* Regions are not modelled: the clip is one rectangle, in port coordinates. */
void ClipRect(const Rect* r);
Rect* GetPortClipRect(CGrafPtr port, Rect* rect);

/* Drawing in the current port, clipped to its bounds and clip; the pen is one pixel. */
void PaintRect(const Rect* r);  /* pen mode, foreground colour */
void EraseRect(const Rect* r);  /* background colour */
void FrameRect(const Rect* r);  /* one-pixel outline inside r, pen mode */
void FrameOval(const Rect* r);  /* one-pixel outline of the oval inscribed in r, pen mode */
void InvertRect(const Rect* r); /* colour channels inverted, alpha kept */

void OffsetRect(Rect* r, int16_t dh, int16_t dv);
/* Moves the sides in by dh, dv (out for negative values); an empty result is (0,0,0,0). */
void InsetRect(Rect* r, int16_t dh, int16_t dv);
void SetRect(Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom);
/* Right and bottom sides are open. */
Boolean PtInRect(Point pt, const Rect* r);

#ifdef __cplusplus
}

namespace vantiro {

// The pixels of a pixel map, for reading only and only until anything is drawn: a raster
// still sharing the pixels of another it was copied from answers with those, which have
// the same row length.
const uint8_t* PixelsToRead(PixMapHandle pm);

// Drawing is bracketed: remember the current port and device, make the target current,
// draw, restore. A scope remembers on creation (making `target` current if given) and
// restores on every way out.
class PortScope {
 public:
  PortScope() { GetGWorld(&port_, &device_); }
  explicit PortScope(CGrafPtr target) : PortScope() { SetGWorld(target, nullptr); }
  ~PortScope() { SetGWorld(port_, device_); }
  PortScope(const PortScope&) = delete;
  PortScope& operator=(const PortScope&) = delete;

 private:
  CGrafPtr port_ = nullptr;
  GDHandle device_ = nullptr;
};

}  // namespace vantiro
#endif

#endif
