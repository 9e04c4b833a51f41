// Inside the raster layer: what a port, its pixel map and its device are. Only the
// platform's own drawing code includes this; everyone else goes through QuickDraw.h.
#pragma once

#include <cstdint>

#include "platform/quickdraw/QuickDraw.h"

struct BitMap {
  Ptr baseAddr;
  long rowBytes;
  Rect bounds;
  CGrafPtr port;  // the port drawing into these pixels, for its clip
};

struct PixMap {
  BitMap bits;  // first, so that a pixel map can be handed to CopyBits as a bit map
  GWorldFlags state;
};

struct OpaqueGDevice {
  OpaqueGDevice* self = this;  // a device handle points here
  OpaqueGDevice() = default;
  OpaqueGDevice(const OpaqueGDevice&) = delete;
  OpaqueGDevice& operator=(const OpaqueGDevice&) = delete;
};

// A port: a raster and the drawing state that belongs to it. Never copied or moved, since
// handles point into it.
struct OpaqueGWorld {
  PixMap pixMap{};
  PixMap* pixMapPtr = &pixMap;  // a pixel map handle points here
  OpaqueGDevice device;         // an offscreen port's own device
  bool offscreen = false;       // a GWorld, made by NewGWorld
  bool ownsPixels = false;
  bool lent = false;
  RGBColor fore{0, 0, 0};
  RGBColor back{65535, 65535, 65535};
  int16_t penMode = patCopy;
  Rect clip{-32768, -32768, 32767, 32767};

  OpaqueGWorld() = default;
  OpaqueGWorld(const OpaqueGWorld&) = delete;
  OpaqueGWorld& operator=(const OpaqueGWorld&) = delete;
};

namespace vantiro {

// The port drawing calls act on.
CGrafPtr CurrentPort();

// A port over pixels that someone else owns and frees (a window's backing store), with
// the default drawing state. `rowBytes` is a multiple of 4; DisposePort leaves the pixels.
CGrafPtr NewPortOnPixels(Ptr baseAddr, long rowBytes, const Rect& bounds);
void DisposePort(CGrafPtr port);

}  // namespace vantiro
