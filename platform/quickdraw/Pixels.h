// The two 32-bit pixel orders of the platform and the conversion between them.
//
// Rasters hold bytes alpha, red, green, blue in memory on every processor. pixman's fast
// paths want its native a8r8g8b8 word (alpha in the top bits of a uint32_t), which is the
// same bytes on a big-endian processor and the reversed bytes on a little-endian one.
// Images keep the native word; drawing converts the touched part of a raster on the way in
// and out, which costs far less than compositing in the raster's own order.
#pragma once

#include <pixman.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/MacTypes.h"

namespace vantiro {

inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// pixman's names of the raster order and of the native order.
inline constexpr pixman_format_code_t kRasterFormat = kLittleEndian ? PIXMAN_b8g8r8a8 : PIXMAN_a8r8g8b8;
inline constexpr pixman_format_code_t kNativeFormat = PIXMAN_a8r8g8b8;

// A raster word read as a native word, or back: the same swap either way.
constexpr uint32_t SwapPixelOrder(uint32_t word) {
  if constexpr (kLittleEndian) return __builtin_bswap32(word);
  return word;
}

// `count` words with their four bytes reversed; `from` and `to` may be equal.
void ByteSwapWords(const uint32_t* from, uint32_t* to, std::size_t count);

// `count` words converted from one order to the other (a byte swap on little-endian
// processors, a copy on big-endian ones); `from` and `to` may be equal.
void SwapPixelOrder(const uint32_t* from, uint32_t* to, std::size_t count);

// `count` words set to `word`.
void FillPixels(uint32_t* to, std::size_t count, uint32_t word);

// Whether the byte at `alphaShift` is 255 in every one of `count` words.
bool AllOpaque(const uint32_t* words, std::size_t count, int alphaShift);

// Every byte of `word` times `m` / 255, rounded as pixman rounds it.
constexpr uint32_t ScaleWord(uint32_t word, uint32_t m) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t t = (word >> shift & 0xFF) * m + 0x80;
    out |= ((t >> 8) + t) >> 8 << shift;
  }
  return out;
}

// pixman's OVER on one premultiplied word, in either byte order: each byte becomes
// s + d × (255 − `sourceAlpha`) / 255, saturated.
constexpr uint32_t OverWord(uint32_t s, uint32_t d, uint32_t sourceAlpha) {
  if (sourceAlpha == 255) return s;
  const uint32_t kept = ScaleWord(d, 255 - sourceAlpha);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = (kept >> shift & 0xFF) + (s >> shift & 0xFF);
    out |= (sum > 255 ? 255 : sum) << shift;
  }
  return out;
}

// `count` words of `from`, scaled by `opacity` (0-255), laid over `to` with OVER, pixman's
// bytes in one pass; both in one byte order, their alpha byte at `alphaShift` (0 or 24).
void OverWords(const uint32_t* from, uint32_t* to, std::size_t count, int alphaShift, uint32_t opacity);

constexpr uint32_t NativeWord(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// An opaque colour as a raster word; 16-bit channels keep their high byte.
constexpr uint32_t RasterWord(const RGBColor& c) {
  return SwapPixelOrder(NativeWord(255, uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)));
}

}  // namespace vantiro
