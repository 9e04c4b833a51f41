// Drawing in ports: fills and outlines with the pen modes, inversion and CopyBits.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/coregraphics/CoreGraphics.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/Port.h"

namespace {

// Half-open pixel area in port coordinates.
struct Area {
  int left, top, right, bottom;
  bool Empty() const { return right <= left || bottom <= top; }
};

Area Intersect(const Area& a, const Area& b) {
  return Area{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Area AreaOf(const Rect& r) { return Area{r.left, r.top, r.right, r.bottom}; }

bool SameArea(const Area& a, const Area& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
bool Same(const Rect& a, const Rect& b) { return SameArea(AreaOf(a), AreaOf(b)); }
bool Within(const Rect& r, const Rect& bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

// What drawing in `port` may touch: its raster and its clip.
Area Drawable(CGrafPtr port) { return Intersect(AreaOf(port->pixMap.bits.bounds), AreaOf(port->clip)); }

// Images and rasters still sharing these pixels take their own copy before anything is
// drawn here, and the raster's own deferred contents are written first.
void BeforeWrite(const BitMap& bits) {
  vantiro::Realize(bits.port);
  vantiro::BeforePixelWrite(bits.baseAddr, bits.baseAddr + long(bits.bounds.bottom - bits.bounds.top) * bits.rowBytes);
}

uint32_t* PixelAt(const BitMap& bits, int x, int y) {
  return reinterpret_cast<uint32_t*>(bits.baseAddr + long(y - bits.bounds.top) * bits.rowBytes) +
         (x - bits.bounds.left);
}

// QuickDraw knows no alpha: a pixel is its colour over black, and what it draws is opaque.
// So a transparent pixel inverts to opaque white, as a fresh buffer did on the old system.
void InvertRun(uint32_t* run, int count) {
  auto* bytes = reinterpret_cast<uint8_t*>(run);
  for (int i = 0; i < count; ++i, bytes += 4) {
    bytes[0] = 255;  // alpha is the first byte in memory
    for (int c = 1; c < 4; ++c) bytes[c] = uint8_t(255 - bytes[c]);
  }
}

// One horizontal run drawn with a transfer mode by the solid pen: every pattern bit is set.
void PenRun(CGrafPtr port, int16_t mode, int x, int y, int count) {
  const Area area = Intersect(Drawable(port), Area{x, y, x + count, y + 1});
  if (area.Empty()) return;
  uint32_t* run = PixelAt(port->pixMap.bits, area.left, y);
  const int n = area.right - area.left;
  const bool known = mode >= srcCopy && mode <= patBic && (mode & 4) == 0;  // others draw as copy
  const int operation = known ? mode & 3 : 0;
  switch (operation) {
    case 0:  // copy
    case 1:  // or
      vantiro::FillPixels(run, size_t(n), vantiro::RasterWord(port->fore));
      break;
    case 2:  // xor
      InvertRun(run, n);
      break;
    default:  // bic
      vantiro::FillPixels(run, size_t(n), vantiro::RasterWord(port->back));
      break;
  }
}

void FillArea(CGrafPtr port, const Rect* r, int16_t mode) {
  if (r == nullptr) return;
  const Area area = Intersect(Drawable(port), AreaOf(*r));
  if (area.Empty()) return;
  // Painting the whole raster with a copy mode leaves nothing of what it held.
  if (SameArea(area, AreaOf(port->pixMap.bits.bounds)) && (mode == patCopy || mode == srcCopy))
    vantiro::WillOverwrite(port);
  BeforeWrite(port->pixMap.bits);
  for (int y = area.top; y < area.bottom; ++y) PenRun(port, mode, area.left, y, area.right - area.left);
}

// Pixels of the oval inscribed in r on row y: those whose centre lies inside the ellipse.
// In doubled coordinates centred on the oval (X = 2x + 1 - left - right, likewise Y) the
// row depends on Y² only, so the shape is symmetric both ways.
struct Span {
  int left, right;  // half-open; empty when right <= left
};

Span OvalRow(const Rect& r, int y) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int Y = 2 * y + 1 - (r.top + r.bottom);
  if (w <= 0 || h <= 0 || std::abs(Y) > h) return Span{0, 0};
  const double q = double(Y) / h;
  int X = static_cast<int>(std::floor(w * std::sqrt(1.0 - q * q)));
  if (((X + w + 1) & 1) != 0) --X;  // X has the parity of w + 1
  if (X < 0) return Span{0, 0};
  return Span{(-X - 1 + r.left + r.right) / 2, (X - 1 + r.left + r.right) / 2 + 1};
}

}  // namespace

extern "C" {

void PaintRect(const Rect* r) {
  CGrafPtr port = vantiro::CurrentPort();
  FillArea(port, r, port->penMode);
}

void EraseRect(const Rect* r) { FillArea(vantiro::CurrentPort(), r, patBic); }

void InvertRect(const Rect* r) { FillArea(vantiro::CurrentPort(), r, patXor); }

void FrameRect(const Rect* r) {
  if (r == nullptr || r->right <= r->left || r->bottom <= r->top) return;
  CGrafPtr port = vantiro::CurrentPort();
  BeforeWrite(port->pixMap.bits);
  const int16_t mode = port->penMode;
  const int width = r->right - r->left;
  // Each pixel is drawn once, so that xor outlines do not cancel at the corners.
  PenRun(port, mode, r->left, r->top, width);
  if (r->bottom - r->top > 1) PenRun(port, mode, r->left, r->bottom - 1, width);
  for (int y = r->top + 1; y < r->bottom - 1; ++y) {
    PenRun(port, mode, r->left, y, 1);
    if (width > 1) PenRun(port, mode, r->right - 1, y, 1);
  }
}

void FrameOval(const Rect* r) {
  if (r == nullptr) return;
  CGrafPtr port = vantiro::CurrentPort();
  BeforeWrite(port->pixMap.bits);
  const int16_t mode = port->penMode;
  for (int y = r->top; y < r->bottom; ++y) {
    const Span row = OvalRow(*r, y);
    if (row.right <= row.left) continue;
    // The outline is the part of the row whose neighbours above, below or beside it fall
    // outside the oval; the rest of the row is inside.
    const Span above = OvalRow(*r, y - 1), below = OvalRow(*r, y + 1);
    const int innerLeft = std::max({row.left + 1, above.left, below.left});
    const int innerRight = std::min({row.right - 1, above.right, below.right});
    if (innerRight <= innerLeft) {
      PenRun(port, mode, row.left, y, row.right - row.left);
      continue;
    }
    PenRun(port, mode, row.left, y, innerLeft - row.left);
    PenRun(port, mode, innerRight, y, row.right - innerRight);
  }
}

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, int16_t,
              RgnHandle) {
  if (srcBits == nullptr || dstBits == nullptr || srcRect == nullptr || dstRect == nullptr) return;
  if (srcBits->baseAddr == nullptr || dstBits->baseAddr == nullptr) return;
  const int sw = srcRect->right - srcRect->left, sh = srcRect->bottom - srcRect->top;
  const int dw = dstRect->right - dstRect->left, dh = dstRect->bottom - dstRect->top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;

  Area target = Intersect(AreaOf(dstBits->bounds), AreaOf(*dstRect));
  if (dstBits->port != nullptr) target = Intersect(target, AreaOf(dstBits->port->clip));
  if (target.Empty()) return;
  vantiro::Realize(srcBits->port);
  // Copying one to one from inside the source over all of the destination leaves nothing of
  // what that held; a whole raster copied so over another of its size is shared until
  // either is written.
  if (sw == dw && sh == dh && Within(*srcRect, srcBits->bounds) && SameArea(target, AreaOf(dstBits->bounds))) {
    if (Same(*srcRect, srcBits->bounds) && vantiro::ShareCopy(srcBits->port, dstBits->port)) return;
    vantiro::WillOverwrite(dstBits->port);
  }
  BeforeWrite(*dstBits);

  // Nearest source pixel of each destination column and row (centre to centre).
  const auto sourceOf = [](int d, int dStart, int dSize, int sStart, int sSize) {
    return sStart + int(((2 * int64_t(d - dStart) + 1) * sSize) / (2 * int64_t(dSize)));
  };
  const Area source = AreaOf(srcBits->bounds);
  const bool sameRaster = srcBits->baseAddr == dstBits->baseAddr;

  if (sw == dw && sh == dh) {
    // One to one: the visible part of the source, moved row by row. Rows run bottom-up
    // when copying downwards within one raster, so that no row is read after it is written.
    const int dx = srcRect->left - dstRect->left, dy = srcRect->top - dstRect->top;
    const Area visible = Intersect(target, Area{source.left - dx, source.top - dy, source.right - dx, source.bottom - dy});
    if (visible.Empty()) return;
    const bool upward = sameRaster && dy < 0;
    for (int i = 0; i < visible.bottom - visible.top; ++i) {
      const int y = upward ? visible.bottom - 1 - i : visible.top + i;
      std::memmove(PixelAt(*dstBits, visible.left, y), PixelAt(*srcBits, visible.left + dx, y + dy),
                   size_t(visible.right - visible.left) * 4);
    }
    return;
  }

  std::vector<int> columns;
  for (int x = target.left; x < target.right; ++x) columns.push_back(sourceOf(x, dstRect->left, dw, srcRect->left, sw));
  // A scaled copy within one raster reads from a copy of the source rows it needs.
  std::vector<uint32_t> rows;
  BitMap from = *srcBits;
  if (sameRaster) {
    const Area needed = Intersect(source, AreaOf(*srcRect));
    if (needed.Empty()) return;
    const int width = needed.right - needed.left;
    rows.resize(size_t(width) * size_t(needed.bottom - needed.top));
    for (int y = needed.top; y < needed.bottom; ++y)
      std::memcpy(&rows[size_t(y - needed.top) * width], PixelAt(*srcBits, needed.left, y), size_t(width) * 4);
    from = BitMap{reinterpret_cast<Ptr>(rows.data()), long(width) * 4, Rect{int16_t(needed.top), int16_t(needed.left), int16_t(needed.bottom), int16_t(needed.right)}, nullptr};
  }
  const Area readable = AreaOf(from.bounds);
  for (int y = target.top; y < target.bottom; ++y) {
    const int sy = sourceOf(y, dstRect->top, dh, srcRect->top, sh);
    if (sy < readable.top || sy >= readable.bottom) continue;
    uint32_t* out = PixelAt(*dstBits, target.left, y);
    const uint32_t* in = PixelAt(from, from.bounds.left, sy);
    for (size_t i = 0; i < columns.size(); ++i) {
      const int sx = columns[i];
      if (sx >= readable.left && sx < readable.right) out[i] = in[sx - from.bounds.left];
    }
  }
}

}  // extern "C"
