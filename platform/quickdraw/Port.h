// Inside the raster layer: what a port, its pixel map and its device are. Only the
// platform's own drawing code includes this; everyone else goes through QuickDraw.h.
#pragma once

#include <atomic>
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
  // Contents not yet in the pixels (see QuickDraw.cpp): none, all zero, or those of `copyOf`.
  enum Deferred : uint8_t { kInPixels, kZero, kCopy };
  std::atomic<Deferred> deferred{kInPixels};
  OpaqueGWorld* copyOf = nullptr;
  bool handedOut = false;  // someone was given the pixels' address
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

// Deferred contents: a raster's pixels are written when first needed (Realize), or never,
// when they are overwritten whole first (WillOverwrite). Both ignore nil and ports without
// deferred contents.
void Realize(CGrafPtr port);
void WillOverwrite(CGrafPtr port);
// Makes `to` a copy of all of `from` by sharing its pixels until either is written. False,
// and the caller copies, unless both are whole rasters of one size and row length that own
// their pixels, and nobody has been given the address of those of `to`.
bool ShareCopy(CGrafPtr from, CGrafPtr to);
// Rasters sharing pixels in [begin, end) take their own copy now.
void RealizeCopiesOf(const void* begin, const void* end);

}  // namespace vantiro
