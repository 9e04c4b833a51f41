#include "frei0r/PixelOrder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace vantiro::frei0r {

namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
constexpr bool kLittle = std::endian::native == std::endian::little;
// The alpha byte's place in a pixel read as one word, in either order.
constexpr uint32_t kRgbaAlpha = kLittle ? 0xFF000000u : 0x000000FFu;

// RGBA bytes to ARGB bytes moves every byte one place on: one rotation of the word.
inline uint32_t RgbaToArgb(uint32_t v) { return kLittle ? std::rotl(v, 8) : std::rotr(v, 8); }
inline uint32_t ArgbToRgba(uint32_t v) { return kLittle ? std::rotr(v, 8) : std::rotl(v, 8); }

// c * a / 255, rounded, without a division.
inline uint8_t Premultiply(unsigned c, unsigned a) {
  const unsigned t = c * a + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// Straight colour of premultiplied channel p at alpha a: min(255, round(p * 255 / a)),
// looked up rather than divided per pixel.
struct Unpremultiplied {
  std::array<std::array<uint8_t, 256>, 256> table{};
  Unpremultiplied() {
    for (unsigned a = 1; a < 256; ++a)
      for (unsigned p = 0; p < 256; ++p) table[a][p] = static_cast<uint8_t>(std::min(255u, (p * 255 + a / 2) / a));
  }
};

const Unpremultiplied& Unpremultiply() {
  static const Unpremultiplied tables;
  return tables;
}

void PremultiplyRow(const uint8_t* in, uint8_t* out, unsigned width) {
  for (unsigned x = 0; x < width; ++x, in += 4, out += 4) {
    const unsigned a = in[3];
    out[0] = in[3];
    out[1] = Premultiply(in[0], a);
    out[2] = Premultiply(in[1], a);
    out[3] = Premultiply(in[2], a);
  }
}

void UnpremultiplyRow(const uint8_t* in, uint8_t* out, unsigned width) {
  const auto& table = Unpremultiply().table;
  for (unsigned x = 0; x < width; ++x, in += 4, out += 4) {
    const auto& row = table[in[0]];
    out[0] = row[in[1]];
    out[1] = row[in[2]];
    out[2] = row[in[3]];
    out[3] = in[0];
  }
}

}  // namespace

void RgbaToRaster(const uint32_t* rgba, uint8_t* raster, std::ptrdiff_t rowBytes, unsigned width, unsigned height) {
  for (unsigned y = 0; y < height; ++y, rgba += width, raster += rowBytes) {
    // Distinct buffers, said so, let the compiler vectorise the rotation.
    const uint32_t* __restrict in = rgba;
    uint32_t* __restrict out = reinterpret_cast<uint32_t*>(raster);
    uint32_t opaque = kRgbaAlpha;
    for (unsigned x = 0; x < width; ++x) {
      out[x] = RgbaToArgb(in[x]);
      opaque &= in[x];
    }
    if (opaque != kRgbaAlpha) PremultiplyRow(reinterpret_cast<const uint8_t*>(rgba), raster, width);
  }
}

void RasterToRgba(const uint8_t* raster, std::ptrdiff_t rowBytes, uint32_t* rgba, unsigned width, unsigned height) {
  // ARGB's alpha sits where RGBA's red does, in whichever order words are read.
  constexpr uint32_t kArgbAlpha = kLittle ? 0x000000FFu : 0xFF000000u;
  for (unsigned y = 0; y < height; ++y, rgba += width, raster += rowBytes) {
    const uint32_t* __restrict in = reinterpret_cast<const uint32_t*>(raster);
    uint32_t* __restrict out = rgba;
    uint32_t opaque = kArgbAlpha;
    for (unsigned x = 0; x < width; ++x) {
      out[x] = ArgbToRgba(in[x]);
      opaque &= in[x];
    }
    if (opaque != kArgbAlpha) UnpremultiplyRow(raster, reinterpret_cast<uint8_t*>(rgba), width);
  }
}

}  // namespace vantiro::frei0r
