// Bitmap contexts and image drawing on pixman.
//
// pixman's fast path for scaling exists only in its native pixel order, so an upright
// scaled image is composited in a copy of the touched rows converted to that order and
// back. Turned images and plain copies take its general path, which reads and writes any
// order at little extra cost, less than the conversion would: they are composited where
// they land. A shape's inner pixels are composited directly; the pixels on its edges are
// composited too and then mixed with what they held before by their coverage, which
// antialiases the edges the same way for every blend mode.
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/coregraphics/AffineBilinear.h"
#include "platform/coregraphics/Bands.h"
#include "platform/coregraphics/CoreGraphics.h"
#include "platform/coregraphics/Coverage.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/QuickDraw.h"

using vantiro::ConvexQuad;
using vantiro::CoverageRow;
using vantiro::DevicePoint;
using vantiro::PixelBox;

namespace {

// x' = a x + c y + tx, y' = b x + d y + ty, in double precision.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// `m` after `n`.
Affine Compose(const Affine& m, const Affine& n) {
  return Affine{m.a * n.a + m.c * n.b,           m.b * n.a + m.d * n.b,           m.a * n.c + m.c * n.d,
                m.b * n.c + m.d * n.d,           m.a * n.tx + m.c * n.ty + m.tx, m.b * n.tx + m.d * n.ty + m.ty};
}

DevicePoint Apply(const Affine& m, double x, double y) {
  return DevicePoint{m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty};
}

bool Invert(const Affine& m, Affine* out) {
  const double det = m.a * m.d - m.b * m.c;
  if (!std::isfinite(det) || std::abs(det) < 1e-12) return false;
  const double a = m.d / det, b = -m.b / det, c = -m.c / det, d = m.a / det;
  *out = Affine{a, b, c, d, -(a * m.tx + c * m.ty), -(b * m.tx + d * m.ty)};
  return true;
}

struct GState {
  Affine ctm;  // user space to the context's y-up device space
  double alpha = 1;
  CGBlendMode blend = kCGBlendModeNormal;
};

// pixman's operators for the blend modes, in their numbering.
constexpr pixman_op_t kBlendOps[] = {
    PIXMAN_OP_OVER,           PIXMAN_OP_MULTIPLY,       PIXMAN_OP_SCREEN,      PIXMAN_OP_OVERLAY,
    PIXMAN_OP_DARKEN,         PIXMAN_OP_LIGHTEN,        PIXMAN_OP_COLOR_DODGE, PIXMAN_OP_COLOR_BURN,
    PIXMAN_OP_SOFT_LIGHT,     PIXMAN_OP_HARD_LIGHT,     PIXMAN_OP_DIFFERENCE,  PIXMAN_OP_EXCLUSION};
static_assert(std::size(kBlendOps) == kCGBlendModeExclusion + 1);

uint8_t Channel(uint32_t word, int shift) { return uint8_t(word >> shift); }

uint32_t Mix(uint32_t before, uint32_t after, int coverage) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= uint32_t((Channel(before, shift) * (255 - coverage) + Channel(after, shift) * coverage + 127) / 255)
           << shift;
  return out;
}

}  // namespace

struct CGColorSpace {
  long refs = 1;
};

struct CGContext {
  long refs = 1;
  uint8_t* data = nullptr;
  size_t rowBytes = 0;
  int width = 0, height = 0;
  bool swap = false;    // memory words need a byte swap to be native words
  bool opaque = false;  // no alpha: the first byte reads as opaque
  std::unique_ptr<uint32_t[]> ownPixels;
  PixelBox clip{};  // raster pixels drawing may touch
  GState state;
  std::vector<GState> saved;

  uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(data + size_t(y) * rowBytes); }

  // Called before anything writes into the pixels: images still sharing them take a copy.
  void BeforeWrite() const { vantiro::BeforePixelWrite(data, data + size_t(height) * rowBytes); }

  // pixman's name for the memory words.
  pixman_format_code_t Format() const {
    if (swap) return opaque ? PIXMAN_b8g8r8x8 : PIXMAN_b8g8r8a8;
    return opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8;
  }

  // A context's memory order may be foreign to the processor in either direction (a
  // little-endian context on a big-endian processor too), so swapping is a plain byte swap.
  void ReadNative(int x, int y, int count, uint32_t* to) const {
    const uint32_t* from = Row(y) + x;
    if (swap)
      vantiro::ByteSwapWords(from, to, size_t(count));
    else
      std::copy_n(from, count, to);
    if (opaque)
      for (int i = 0; i < count; ++i) to[i] |= 0xFF000000u;
  }

  void WriteNative(int x, int y, int count, const uint32_t* from) const {
    uint32_t* to = Row(y) + x;
    if (swap)
      vantiro::ByteSwapWords(from, to, size_t(count));
    else
      std::copy_n(from, count, to);
  }

  // From the y-up device space to raster pixels, y down.
  Affine Flip() const { return Affine{1, 0, 0, -1, 0, double(height)}; }
  Affine UserToRaster() const { return Compose(Flip(), state.ctm); }
};

namespace {

// The smallest box holding the rows (at least one).
PixelBox BoxOf(std::span<const CoverageRow> rows) {
  PixelBox box{rows.front().left, rows.front().y, rows.front().right, rows.back().y + 1};
  for (const CoverageRow& row : rows) {
    box.left = std::min(box.left, row.left);
    box.right = std::max(box.right, row.right);
  }
  return box;
}

// Where a shape is composited: the raster itself, or the rows it touches converted to
// native words in a scratch raster that is kept between calls (one per thread) and written
// back at the end.
class WorkArea {
 public:
  WorkArea(const CGContext& context, std::span<const CoverageRow> rows, bool convert)
      : context_(context), rows_(rows), convert_(convert), box_(BoxOf(rows)) {
    if (!convert_) return;
    Scratch().resize(size_t(box_.right - box_.left) * size_t(box_.bottom - box_.top));
    for (const CoverageRow& row : rows) context_.ReadNative(row.left, row.y, row.right - row.left, At(row.left, row.y));
  }

  uint32_t* At(int x, int y) {
    if (!convert_) return context_.Row(y) + x;
    return &Scratch()[size_t(y - box_.top) * Stride() + size_t(x - box_.left)];
  }
  const PixelBox& Box() const { return box_; }
  size_t Stride() const { return size_t(box_.right - box_.left); }

  // A pixman image over the work area, its origin at the box's corner, clipped to the rows.
  pixman_image_t* NewImage() { return NewImage(At(box_.left, box_.top), Format(), Pitch()); }

  void WriteBack() {
    if (!convert_) return;
    for (const CoverageRow& row : rows_) context_.WriteNative(row.left, row.y, row.right - row.left, At(row.left, row.y));
  }

 private:
  pixman_format_code_t Format() const { return convert_ ? vantiro::kNativeFormat : context_.Format(); }
  size_t Pitch() const { return convert_ ? Stride() * 4 : context_.rowBytes; }

  pixman_image_t* NewImage(uint32_t* origin, pixman_format_code_t format, size_t pitch) const {
    pixman_image_t* image = pixman_image_create_bits_no_clear(format, box_.right - box_.left, box_.bottom - box_.top,
                                                              origin, int(pitch));
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(rows_.size());
    for (const CoverageRow& row : rows_)
      boxes.push_back(pixman_box32_t{row.left - box_.left, row.y - box_.top, row.right - box_.left, row.y + 1 - box_.top});
    pixman_region32_t region;
    pixman_region32_init_rects(&region, boxes.data(), int(boxes.size()));
    pixman_image_set_clip_region32(image, &region);
    pixman_region32_fini(&region);
    return image;
  }

  static std::vector<uint32_t>& Scratch() {
    static thread_local std::vector<uint32_t> scratch;
    return scratch;
  }

  const CGContext& context_;
  std::span<const CoverageRow> rows_;
  bool convert_;
  PixelBox box_{};
};

template <class F>
void ForEachEdgePixel(std::span<const CoverageRow> rows, F f) {
  for (const CoverageRow& row : rows) {
    for (int x = row.left; x < row.fullLeft; ++x) f(x, row.y);
    for (int x = std::max(row.fullRight, row.fullLeft); x < row.right; ++x) f(x, row.y);
  }
}

// Image pixels (u, v), v down from the top row, to the rectangle in user space.
Affine Placement(const CGRect& rect, size_t width, size_t height) {
  return Affine{rect.size.width / double(width), 0, 0, -rect.size.height / double(height), rect.origin.x,
                double(rect.origin.y) + rect.size.height};
}

// The rectangle (0, 0)-(width, height) carried into the raster.
ConvexQuad QuadOf(const Affine& toRaster, double width, double height) {
  return ConvexQuad({Apply(toRaster, 0, 0), Apply(toRaster, width, 0), Apply(toRaster, width, height),
                     Apply(toRaster, 0, height)});
}

bool IsIntegerShift(const Affine& m) {
  return m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1 && m.tx == std::floor(m.tx) && m.ty == std::floor(m.ty);
}

bool IsUpright(const Affine& m) { return m.b == 0 && m.c == 0; }

// Rows per band below which splitting a drawing costs more than it saves.
constexpr size_t kMinBandRows = 64;

// Everything the bands of one image drawing share. Each band composites its own rows with
// the transform of the whole drawing, offset to where the band starts, so every pixel comes
// out as it would from one band.
struct ImageDrawing {
  const CGContext& context;
  const ConvexQuad& quad;
  bool convert = false;
  PixelBox origin{};                // the whole drawing's box; the transform counts from its corner
  pixman_transform_t transform{};  // to image pixels
  pixman_filter_t filter = PIXMAN_FILTER_BILINEAR;
  const uint32_t* pixels = nullptr;
  size_t rowWords = 0;
  bool swapped = false;  // the pixels are byte swapped native words
  int width = 0, height = 0;

  void CompositeBand(std::span<const CoverageRow> rows) const {
    WorkArea area(context, rows, convert);
    std::vector<uint32_t> before;
    ForEachEdgePixel(rows, [&](int x, int y) { before.push_back(*area.At(x, y)); });

    if (OwnAffinePath()) {
      const vantiro::AffineSource source{pixels, rowWords, width, height, swapped};
      for (const CoverageRow& row : rows)
        vantiro::OverAffineBilinear(source, transform, row.left - origin.left, row.y - origin.top, row.right - row.left,
                                    area.At(row.left, row.y), context.swap, MaskAlpha() >> 8);
    } else {
      CompositeWithPixman(area);
    }

    // A uniform mix of all four bytes means the same in either byte order.
    size_t next = 0;
    ForEachEdgePixel(rows, [&](int x, int y) {
      uint32_t* pixel = area.At(x, y);
      *pixel = Mix(before[next++], *pixel, int(std::lround(quad.CoverageAt(x, y) * 255)));
    });
    area.WriteBack();
  }

  // A turned picture laid normally over pixels with alpha takes the dedicated loop, which
  // gives pixman's bytes several times faster than its general path.
  bool OwnAffinePath() const {
    return !convert && !context.opaque && context.state.blend == kCGBlendModeNormal &&
           filter == PIXMAN_FILTER_BILINEAR && vantiro::TakesAffineBilinear(transform);
  }

  // The drawing's alpha as pixman's solid mask holds it.
  uint16_t MaskAlpha() const { return uint16_t(std::lround(context.state.alpha * 65535)); }

  void CompositeWithPixman(WorkArea& area) const {
    const PixelBox& box = area.Box();
    // pixman only reads a source image.
    pixman_image_t* source =
        pixman_image_create_bits(vantiro::kNativeFormat, width, height, const_cast<uint32_t*>(pixels), int(rowWords * 4));
    pixman_image_set_transform(source, &transform);
    pixman_image_set_filter(source, filter, nullptr, 0);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);  // edge pixels keep the picture's own colours
    pixman_image_t* mask = nullptr;
    if (context.state.alpha < 1) {
      const pixman_color_t alpha{0, 0, 0, MaskAlpha()};
      mask = pixman_image_create_solid_fill(&alpha);
    }
    const int areaWidth = box.right - box.left, areaHeight = box.bottom - box.top;
    const int sourceX = box.left - origin.left, sourceY = box.top - origin.top;
    pixman_image_t* target = area.NewImage();
    pixman_image_composite32(kBlendOps[context.state.blend], source, mask, target, sourceX, sourceY, 0, 0, 0, 0,
                             areaWidth, areaHeight);
    pixman_image_unref(target);
    if (mask != nullptr) pixman_image_unref(mask);
    pixman_image_unref(source);
  }
};

// An image placed at a whole-pixel offset without scaling, drawn normally at full alpha:
// each row of the raster takes the image's row laid over it, which is a plain copy
// wherever the picture is opaque. Returns false, drawing nothing, for anything else.
bool DrawShifted(const CGContext& context, const std::vector<CoverageRow>& rows, const Affine& toRaster,
                 CGImageRef image) {
  const CGBlendMode blend = context.state.blend;
  if (!IsIntegerShift(toRaster) || context.opaque || context.state.alpha < 1 || blend != kCGBlendModeNormal)
    return false;
  for (const CoverageRow& row : rows)
    if (row.fullLeft != row.left || row.fullRight != row.right) return false;
  const vantiro::ImageRows source = vantiro::RowsOf(image);
  // Words converted to the raster's order; alpha is the top byte of a native word.
  const bool swap = source.swapped != context.swap;
  const int alphaShift = context.swap ? 0 : 24;
  const int dx = int(toRaster.tx), dy = int(toRaster.ty);
  vantiro::ForEachBand(rows.size(), kMinBandRows, [&](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
      const CoverageRow& row = rows[i];
      const uint32_t* from = source.base + size_t(row.y - dy) * source.rowWords + size_t(row.left - dx);
      uint32_t* to = context.Row(row.y) + row.left;
      const int count = row.right - row.left;
      // The image's alpha byte sits where a native word has it, unless its words are swapped.
      if (vantiro::AllOpaque(from, size_t(count), source.swapped ? 0 : 24)) {
        if (swap)
          vantiro::ByteSwapWords(from, to, size_t(count));
        else
          std::memmove(to, from, size_t(count) * 4);
        continue;
      }
      for (int x = 0; x < count; ++x) {
        const uint32_t s = swap ? __builtin_bswap32(from[x]) : from[x];
        to[x] = vantiro::OverWord(s, to[x], s >> alphaShift & 0xFF);
      }
    }
  });
  return true;
}

}  // namespace

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() { return new CGColorSpace(); }

void CGColorSpaceRelease(CGColorSpaceRef space) {
  if (space != nullptr && --space->refs == 0) delete space;
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef, CGBitmapInfo bitmapInfo) {
  const uint32_t alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
  const uint32_t order = bitmapInfo & kCGBitmapByteOrderMask;
  if (bitsPerComponent != 8 || width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
  if (alpha != kCGImageAlphaPremultipliedFirst && alpha != kCGImageAlphaNoneSkipFirst) return nullptr;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big && order != kCGBitmapByteOrder32Little)
    return nullptr;
  if (bytesPerRow == 0 && data == nullptr) bytesPerRow = width * 4;
  if (bytesPerRow < width * 4 || bytesPerRow % 4 != 0 || reinterpret_cast<uintptr_t>(data) % 4 != 0) return nullptr;

  auto context = std::make_unique<CGContext>();
  if (data == nullptr) {
    context->ownPixels.reset(new uint32_t[bytesPerRow / 4 * height]());
    data = context->ownPixels.get();
  }
  context->data = static_cast<uint8_t*>(data);
  context->rowBytes = bytesPerRow;
  context->width = int(width);
  context->height = int(height);
  // Alpha first in memory is the native word on big-endian processors; the little-endian
  // 32-bit order is the native word on little-endian ones.
  const bool bytesAlphaFirst = order != kCGBitmapByteOrder32Little;
  context->swap = bytesAlphaFirst == vantiro::kLittleEndian;
  context->opaque = alpha == kCGImageAlphaNoneSkipFirst;
  context->clip = PixelBox{0, 0, int(width), int(height)};
  return context.release();
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
  if (context == nullptr) return nullptr;
  // The image shares the pixels until the context is drawn into again; a context without
  // alpha needs its first byte set, so its image is a copy.
  if (!context->opaque)
    return vantiro::MakeSharedImage(context->width, context->height, context->Row(0), context->rowBytes / 4,
                                    context->swap);
  const size_t width = size_t(context->width);
  std::vector<uint32_t> pixels = vantiro::NewImagePixels(width * size_t(context->height));
  for (int y = 0; y < context->height; ++y) context->ReadNative(0, y, context->width, &pixels[size_t(y) * width]);
  return vantiro::MakeImage(context->width, context->height, std::move(pixels));
}

void CGContextRelease(CGContextRef context) {
  if (context == nullptr || --context->refs != 0) return;
  if (context->ownPixels) context->BeforeWrite();  // the pixels go with the context
  delete context;
}

void CGContextSaveGState(CGContextRef context) {
  if (context != nullptr) context->saved.push_back(context->state);
}

void CGContextRestoreGState(CGContextRef context) {
  if (context == nullptr || context->saved.empty()) return;
  context->state = context->saved.back();
  context->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty) {
  if (context != nullptr) context->state.ctm = Compose(context->state.ctm, Affine{1, 0, 0, 1, tx, ty});
}

namespace vantiro {

// Sine and cosine from plain arithmetic: a turned frame then comes out the same to the bit
// on every processor, which the C library's versions do not promise (they differ between
// processors, and on one processor between its variants), and no instruction beyond basic
// IEEE arithmetic is needed. Reduction by quarter turns, then the classic minimax
// polynomials on [-pi/4, pi/4]; accurate to about one unit in the last place.
void SinCos(double x, double* sine, double* cosine) {
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  constexpr double kPio2High = 1.57079632673412561417e+00;  // first 33 bits of pi/2
  constexpr double kPio2Low = 6.07710050650619224932e-11;   // the rest
  const auto quadrant = static_cast<long long>(x * kTwoOverPi + (x < 0 ? -0.5 : 0.5));
  const double r = (x - double(quadrant) * kPio2High) - double(quadrant) * kPio2Low;
  const double z = r * r;
  const double sinR =
      r + r * z * (-1.66666666666666324348e-01 +
                   z * (8.33333333332248946124e-03 +
                        z * (-1.98412698298579493134e-04 +
                             z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
  const double cosR =
      1.0 - 0.5 * z +
      z * z * (4.16666666666666019037e-02 +
               z * (-1.38888888888741095749e-03 +
                    z * (2.48015872894767294178e-05 +
                         z * (-2.75573143513906633035e-07 + z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
  switch (quadrant & 3) {
    case 0: *sine = sinR, *cosine = cosR; break;
    case 1: *sine = cosR, *cosine = -sinR; break;
    case 2: *sine = -sinR, *cosine = -cosR; break;
    default: *sine = -cosR, *cosine = sinR; break;
  }
}

}  // namespace vantiro

void CGContextRotateCTM(CGContextRef context, CGFloat angle) {
  if (context == nullptr) return;
  double s = 0, c = 1;
  vantiro::SinCos(double(angle), &s, &c);
  context->state.ctm = Compose(context->state.ctm, Affine{c, s, -s, c, 0, 0});
}

void CGContextSetAlpha(CGContextRef context, CGFloat alpha) {
  if (context != nullptr) context->state.alpha = std::isnan(alpha) ? 1.0 : std::clamp(double(alpha), 0.0, 1.0);
}

void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode) {
  if (context != nullptr)
    context->state.blend = (mode >= kCGBlendModeNormal && mode <= kCGBlendModeExclusion) ? mode : kCGBlendModeNormal;
}

void CGContextClearRect(CGContextRef context, CGRect rect) {
  if (context == nullptr) return;
  const Affine toRaster = Compose(context->UserToRaster(), Affine{1, 0, 0, 1, rect.origin.x, rect.origin.y});
  const ConvexQuad quad = QuadOf(toRaster, rect.size.width, rect.size.height);
  const std::vector<CoverageRow> rows = quad.Rows(context->clip);
  context->BeforeWrite();
  // Zero and a uniform scale of all four bytes mean the same in either byte order.
  for (const CoverageRow& row : rows) std::fill(context->Row(row.y) + row.fullLeft, context->Row(row.y) + row.fullRight, 0u);
  ForEachEdgePixel(rows, [&](int x, int y) {
    uint32_t& pixel = context->Row(y)[x];
    pixel = Mix(pixel, 0, int(std::lround(quad.CoverageAt(x, y) * 255)));
  });
}

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
  if (context == nullptr || image == nullptr) return;
  const size_t width = CGImageGetWidth(image), height = CGImageGetHeight(image);
  if (width == 0 || height == 0) return;
  const Affine toRaster = Compose(context->UserToRaster(), Placement(rect, width, height));
  Affine fromRaster;
  if (!Invert(toRaster, &fromRaster)) return;  // a rectangle without area draws nothing
  const ConvexQuad quad = QuadOf(toRaster, double(width), double(height));
  const std::vector<CoverageRow> rows = quad.Rows(context->clip);
  if (rows.empty()) return;
  context->BeforeWrite();
  if (DrawShifted(*context, rows, toRaster, image)) return;

  ImageDrawing drawing{*context, quad};
  // Only upright scaling gains by working in the native order (see the top of the file).
  drawing.convert = (context->swap || context->opaque) && IsUpright(toRaster) && !IsIntegerShift(toRaster);
  drawing.origin = BoxOf(rows);
  // Raster pixels, counted from the drawing's corner, to image pixels.
  const Affine fromArea =
      Compose(fromRaster, Affine{1, 0, 0, 1, double(drawing.origin.left), double(drawing.origin.top)});
  pixman_f_transform ft = {{{fromArea.a, fromArea.c, fromArea.tx}, {fromArea.b, fromArea.d, fromArea.ty}, {0, 0, 1}}};
  if (!pixman_transform_from_pixman_f_transform(&drawing.transform, &ft)) return;
  drawing.filter = IsIntegerShift(fromArea) ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR;

  if (drawing.OwnAffinePath()) {
    // The loop reads either order at no cost: a picture sharing a raster's rows is read there.
    const vantiro::ImageRows source = vantiro::RowsOf(image);
    drawing.pixels = source.base;
    drawing.rowWords = source.rowWords;
    drawing.swapped = source.swapped;
  } else {
    // pixman reads a picture in native words far faster than in any other order, whatever
    // path it takes, so a picture still sharing a raster's rows takes a native copy here.
    drawing.pixels = vantiro::ImagePixels(image).data();
    drawing.rowWords = width;
  }
  drawing.width = int(width);
  drawing.height = int(height);

  vantiro::ForEachBand(rows.size(), kMinBandRows, [&](size_t first, size_t last) {
    drawing.CompositeBand(std::span<const CoverageRow>(rows.data() + first, last - first));
  });
}

void CGContextFlush(CGContextRef) {}

OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context) {
  if (context == nullptr) return paramErr;
  *context = nullptr;
  PixMapHandle pixels = GetPortPixMap(port);
  if (GetPixBaseAddr(pixels) == nullptr) return paramErr;  // the default port has no raster
  Rect bounds, clip;
  GetPixBounds(pixels, &bounds);
  GetPortClipRect(port, &clip);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  *context = CGBitmapContextCreate(GetPixBaseAddr(pixels), size_t(bounds.right - bounds.left),
                                   size_t(bounds.bottom - bounds.top), 8, size_t(GetPixRowBytes(pixels)), space,
                                   kCGImageAlphaPremultipliedFirst);
  CGColorSpaceRelease(space);
  if (*context == nullptr) return paramErr;
  PixelBox& box = (*context)->clip;
  box.left = std::max(box.left, clip.left - bounds.left);
  box.top = std::max(box.top, clip.top - bounds.top);
  box.right = std::min(box.right, clip.right - bounds.left);
  box.bottom = std::min(box.bottom, clip.bottom - bounds.top);
  return noErr;
}

OSStatus QDEndCGContext(CGrafPtr, CGContextRef* context) {
  if (context == nullptr) return paramErr;
  CGContextRelease(*context);
  *context = nullptr;
  return noErr;
}
