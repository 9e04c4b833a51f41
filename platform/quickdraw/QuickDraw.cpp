// Ports and GWorlds: creation, the current port and device, pixel maps, port state and the
// rectangle helpers.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/memory/Memory.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Recycler.h"

namespace {

OpaqueGDevice gMainDevice;

// Ports are current until replaced, so a port outlives every caller's use of it here.
OpaqueGWorld& DefaultPort() {
  static OpaqueGWorld port;
  return port;
}

CGrafPtr gCurrentPort = nullptr;  // nil: the default port
long gLivePorts = 0;
GDHandle gCurrentDevice = &gMainDevice.self;

CGrafPtr OrDefault(CGrafPtr port) { return port != nullptr ? port : &DefaultPort(); }

struct PtrDisposer {
  void operator()(char* p) const { DisposePtr(p); }
};
using PixelBlock = std::unique_ptr<char, PtrDisposer>;

// Never destroyed: GWorlds may be disposed of while the process ends.
vantiro::Recycler<PixelBlock>& KeptPixels() {
  static auto* kept =
      new vantiro::Recycler<PixelBlock>([](const PixelBlock& b) { return std::size_t(GetPtrSize(b.get())); });
  return *kept;
}

// Pixel memory from a recently disposed raster where one fits (`*recycled`: it holds what
// it held), else new cleared memory.
Ptr NewPixels(long bytes, bool* recycled) {
  PixelBlock block;
  *recycled = KeptPixels().Take(std::size_t(bytes), block);
  return *recycled ? block.release() : NewPtrClear(bytes);
}

// Rows start on 16-byte boundaries, which the compositor's vector code likes.
long RowBytesFor(int width) { return (long(width) * 4 + 15) & ~15L; }

void AttachPixels(OpaqueGWorld* port, Ptr baseAddr, long rowBytes, const Rect& bounds) {
  port->pixMap.bits = BitMap{baseAddr, rowBytes, bounds, port};
}

long RasterBytes(const BitMap& bits) { return long(bits.bounds.bottom - bits.bounds.top) * bits.rowBytes; }

PixMap* Deref(PixMapHandle pm) { return pm != nullptr ? *pm : nullptr; }

int16_t Clamp16(int value) {
  return static_cast<int16_t>(std::clamp(value, int(std::numeric_limits<int16_t>::min()),
                                         int(std::numeric_limits<int16_t>::max())));
}

// Deferred contents. A raster made from recycled memory is cleared only once something
// looks at it, and a whole raster copied one to one into another of its size is shared
// until either is written (copy on write): the render pass copies whole frames that are
// then painted over whole, or only read. Images work the same way (CGImage.cpp), and the
// same hook, BeforePixelWrite, runs before anything writes into a raster's memory.
std::mutex gDeferredMutex;
std::vector<OpaqueGWorld*> gCopies;  // rasters sharing another's pixels
std::atomic<long> gCopyCount{0};     // lets writes skip the lock while there are none

void ForgetCopyLocked(OpaqueGWorld* port) {
  if (port->deferred.load() == OpaqueGWorld::kCopy) {
    gCopies.erase(std::find(gCopies.begin(), gCopies.end(), port));
    gCopyCount.fetch_sub(1);
    port->copyOf = nullptr;
  }
  port->deferred.store(OpaqueGWorld::kInPixels);
}

void RealizeLocked(OpaqueGWorld* port) {
  const BitMap& bits = port->pixMap.bits;
  switch (port->deferred.load()) {
    case OpaqueGWorld::kInPixels: return;
    case OpaqueGWorld::kZero: std::memset(bits.baseAddr, 0, std::size_t(RasterBytes(bits))); break;
    case OpaqueGWorld::kCopy:
      std::memcpy(bits.baseAddr, port->copyOf->pixMap.bits.baseAddr, std::size_t(RasterBytes(bits)));
      break;
  }
  ForgetCopyLocked(port);
}

void RealizeCopiesOfLocked(const void* begin, const void* end) {
  for (std::size_t i = gCopies.size(); i-- > 0;) {
    const BitMap& shared = gCopies[i]->copyOf->pixMap.bits;
    if (shared.baseAddr < static_cast<const char*>(end) && begin < shared.baseAddr + RasterBytes(shared))
      RealizeLocked(gCopies[i]);
  }
}

}  // namespace

namespace vantiro {

CGrafPtr CurrentPort() { return OrDefault(gCurrentPort); }

CGrafPtr NewPortOnPixels(Ptr baseAddr, long rowBytes, const Rect& bounds) {
  auto* port = new OpaqueGWorld();
  AttachPixels(port, baseAddr, rowBytes, bounds);
  ++gLivePorts;
  return port;
}

void DisposePort(CGrafPtr port) {
  if (port == nullptr || port == &DefaultPort()) return;
  if (gCurrentPort == port) {
    gCurrentPort = nullptr;
    gCurrentDevice = &gMainDevice.self;
  }
  if (port->ownsPixels) {
    const BitMap& bits = port->pixMap.bits;
    vantiro::BeforePixelWrite(bits.baseAddr, bits.baseAddr + RasterBytes(bits));  // images keep their pixels
    WillOverwrite(port);
    KeptPixels().Keep(PixelBlock(bits.baseAddr));
  }
  delete port;
  --gLivePorts;
}

void Realize(CGrafPtr port) {
  if (port == nullptr || port->deferred.load() == OpaqueGWorld::kInPixels) return;
  std::lock_guard lock(gDeferredMutex);
  RealizeLocked(port);
}

void WillOverwrite(CGrafPtr port) {
  if (port == nullptr || port->deferred.load() == OpaqueGWorld::kInPixels) return;
  std::lock_guard lock(gDeferredMutex);
  ForgetCopyLocked(port);
}

bool ShareCopy(CGrafPtr from, CGrafPtr to) {
  // Only pixels the platform frees are shared: it makes the copy real before it frees them.
  if (from == nullptr || to == nullptr || from == to || !from->ownsPixels || !to->ownsPixels || to->handedOut)
    return false;
  const BitMap &source = from->pixMap.bits, &target = to->pixMap.bits;
  if (source.baseAddr == nullptr || source.rowBytes != target.rowBytes ||
      source.bounds.right - source.bounds.left != target.bounds.right - target.bounds.left ||
      source.bounds.bottom - source.bounds.top != target.bounds.bottom - target.bounds.top)
    return false;
  std::lock_guard lock(gDeferredMutex);
  RealizeCopiesOfLocked(target.baseAddr, target.baseAddr + RasterBytes(target));  // they keep the old pixels
  ForgetCopyLocked(to);
  // A copy of a raster whose own contents are deferred is deferred the same way.
  const auto what = from->deferred.load();
  if (what == OpaqueGWorld::kZero) {
    to->deferred.store(OpaqueGWorld::kZero);
    return true;
  }
  try {
    gCopies.push_back(to);
  } catch (const std::bad_alloc&) {
    return false;  // copied the ordinary way
  }
  gCopyCount.fetch_add(1);
  to->copyOf = what == OpaqueGWorld::kCopy ? from->copyOf : from;
  to->deferred.store(OpaqueGWorld::kCopy);
  return true;
}

void RealizeCopiesOf(const void* begin, const void* end) {
  if (gCopyCount.load() == 0 || begin == nullptr) return;
  std::lock_guard lock(gDeferredMutex);
  RealizeCopiesOfLocked(begin, end);
}

const uint8_t* PixelsToRead(PixMapHandle pm) {
  const PixMap* map = Deref(pm);
  if (map == nullptr) return nullptr;
  CGrafPtr port = map->bits.port;
  if (port != nullptr && port->deferred.load() == OpaqueGWorld::kCopy) {
    std::lock_guard lock(gDeferredMutex);
    if (port->deferred.load() == OpaqueGWorld::kCopy) return reinterpret_cast<const uint8_t*>(port->copyOf->pixMap.bits.baseAddr);
  }
  Realize(port);
  return reinterpret_cast<const uint8_t*>(map->bits.baseAddr);
}

}  // namespace vantiro

extern "C" {

OSErr NewGWorld(GWorldPtr* offscreenGWorld, int16_t pixelDepth, const Rect* boundsRect, CTabHandle, GDHandle,
                GWorldFlags) {
  if (offscreenGWorld == nullptr) return paramErr;
  *offscreenGWorld = nullptr;
  if ((pixelDepth != 0 && pixelDepth != 32) || boundsRect == nullptr) return paramErr;
  const int width = boundsRect->right - boundsRect->left;
  const int height = boundsRect->bottom - boundsRect->top;
  if (width <= 0 || height <= 0) return paramErr;

  const long rowBytes = RowBytesFor(width);
  bool recycled = false;
  Ptr pixels = NewPixels(rowBytes * height, &recycled);
  if (pixels == nullptr) return memFullErr;
  auto* world = new (std::nothrow) OpaqueGWorld();
  if (world == nullptr) {
    DisposePtr(pixels);
    return memFullErr;
  }
  AttachPixels(world, pixels, rowBytes, *boundsRect);
  world->offscreen = true;
  world->ownsPixels = true;
  if (recycled) world->deferred.store(OpaqueGWorld::kZero);
  ++gLivePorts;
  *offscreenGWorld = world;
  return noErr;
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
  if (offscreenGWorld == nullptr || offscreenGWorld->lent) return;
  vantiro::DisposePort(offscreenGWorld);
}

void VantiroSetGWorldLent(GWorldPtr offscreenGWorld, Boolean lent) {
  if (offscreenGWorld != nullptr) offscreenGWorld->lent = lent != 0;
}

long VantiroLivePortCount(void) { return gLivePorts; }

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
  if (port != nullptr) *port = vantiro::CurrentPort();
  if (gdh != nullptr) *gdh = gCurrentDevice;
}

void SetGWorld(CGrafPtr port, GDHandle gdh) {
  gCurrentPort = port;
  if (port != nullptr && port->offscreen)
    gCurrentDevice = &port->device.self;
  else
    gCurrentDevice = gdh != nullptr ? gdh : &gMainDevice.self;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
  if (rect != nullptr) *rect = OrDefault(port)->pixMap.bits.bounds;
  return rect;
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) { return GetPortPixMap(offscreenGWorld); }

PixMapHandle GetPortPixMap(CGrafPtr port) { return &OrDefault(port)->pixMapPtr; }

Ptr GetPixBaseAddr(PixMapHandle pm) {
  const PixMap* map = Deref(pm);
  if (map == nullptr) return nullptr;
  // Whoever asks may write through the pointer: images sharing the pixels take a copy.
  if (CGrafPtr port = map->bits.port) {
    vantiro::Realize(port);
    port->handedOut = true;
  }
  vantiro::BeforePixelWrite(map->bits.baseAddr, map->bits.baseAddr + RasterBytes(map->bits));
  return map->bits.baseAddr;
}

long GetPixRowBytes(PixMapHandle pm) {
  const PixMap* map = Deref(pm);
  return map != nullptr ? map->bits.rowBytes : 0;
}

Rect* GetPixBounds(PixMapHandle pm, Rect* rect) {
  const PixMap* map = Deref(pm);
  if (rect != nullptr) *rect = map != nullptr ? map->bits.bounds : Rect{0, 0, 0, 0};
  return rect;
}

GWorldFlags GetPixelsState(PixMapHandle pm) {
  const PixMap* map = Deref(pm);
  return map != nullptr ? map->state : 0;
}

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
  if (PixMap* map = Deref(pm)) map->state = state;
}

Boolean LockPixels(PixMapHandle pm) {
  if (PixMap* map = Deref(pm)) map->state |= pixelsLocked;
  return true;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) { return &OrDefault(port)->pixMap.bits; }

void RGBForeColor(const RGBColor* color) {
  if (color != nullptr) vantiro::CurrentPort()->fore = *color;
}

void RGBBackColor(const RGBColor* color) {
  if (color != nullptr) vantiro::CurrentPort()->back = *color;
}

void PenMode(int16_t mode) { vantiro::CurrentPort()->penMode = mode; }

void PenNormal(void) { vantiro::CurrentPort()->penMode = patCopy; }

void ClipRect(const Rect* r) {
  if (r != nullptr) vantiro::CurrentPort()->clip = *r;
}

Rect* GetPortClipRect(CGrafPtr port, Rect* rect) {
  if (rect != nullptr) *rect = OrDefault(port)->clip;
  return rect;
}

void OffsetRect(Rect* r, int16_t dh, int16_t dv) {
  if (r == nullptr) return;
  r->left = Clamp16(r->left + dh);
  r->right = Clamp16(r->right + dh);
  r->top = Clamp16(r->top + dv);
  r->bottom = Clamp16(r->bottom + dv);
}

void InsetRect(Rect* r, int16_t dh, int16_t dv) {
  if (r == nullptr) return;
  r->left = Clamp16(r->left + dh);
  r->right = Clamp16(r->right - dh);
  r->top = Clamp16(r->top + dv);
  r->bottom = Clamp16(r->bottom - dv);
  if (r->right <= r->left || r->bottom <= r->top) *r = Rect{0, 0, 0, 0};
}

void SetRect(Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  if (r != nullptr) *r = Rect{top, left, bottom, right};
}

Boolean PtInRect(Point pt, const Rect* r) {
  return r != nullptr && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

}  // extern "C"
