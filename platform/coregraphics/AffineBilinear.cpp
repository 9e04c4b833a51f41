#include "platform/coregraphics/AffineBilinear.h"

#include <algorithm>
#include <atomic>

#include "platform/quickdraw/Pixels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantiro {
namespace {

std::atomic<bool> gPlain{false};

// A sample position in 16.16 fixed point and its step per pixel along the row, in pixman's
// own 32-bit arithmetic: the row's first centre carried through the transform (rounded half
// up), less half a pixel, then one column step added per pixel.
struct Walk {
  int32_t x, y, ux, uy;

  Walk(const pixman_transform_t& t, int column, int row) {
    const int64_t cx = int64_t(column) * 65536 + 32768, cy = int64_t(row) * 65536 + 32768;
    const auto& m = t.matrix;
    x = int32_t(((int64_t(m[0][0]) * cx + int64_t(m[0][1]) * cy + 32768) >> 16) + m[0][2] - 32768);
    y = int32_t(((int64_t(m[1][0]) * cx + int64_t(m[1][1]) * cy + 32768) >> 16) + m[1][2] - 32768);
    ux = m[0][0];
    uy = m[1][0];
  }
  void Step() {
    x = int32_t(uint32_t(x) + uint32_t(ux));
    y = int32_t(uint32_t(y) + uint32_t(uy));
  }
  int Column() const { return x >> 16; }
  int Row() const { return y >> 16; }
  // The weight of the right column and of the lower row, 0 to 127.
  int WeightX() const { return (x >> 9) & 0x7F; }
  int WeightY() const { return (y >> 9) & 0x7F; }
};

// Where the four samples around a position are, edge pixels extended.
struct Corners {
  const uint32_t* top;
  const uint32_t* bottom;
  int left, right;

  Corners(const AffineSource& s, const Walk& w) {
    const int x = w.Column(), y = w.Row();
    top = s.pixels + size_t(std::clamp(y, 0, s.height - 1)) * s.rowWords;
    bottom = s.pixels + size_t(std::clamp(y + 1, 0, s.height - 1)) * s.rowWords;
    left = std::clamp(x, 0, s.width - 1);
    right = std::clamp(x + 1, 0, s.width - 1);
  }
};

// The sample, mixed in the source's byte order, laid over `*dest`: scaled by the mask's
// alpha first, then OVER. Both treat every channel alike and only look up the alpha, so
// they work in either order; the sample is swapped only where the two orders differ.
inline void Lay(uint32_t sample, bool sourceSwapped, uint32_t* dest, bool swapped, uint32_t alpha) {
  if (alpha != 255) sample = ScaleWord(sample, alpha);
  const uint32_t sampleAlpha = sample >> (sourceSwapped ? 0 : 24) & 0xFF;
  if (sourceSwapped != swapped) sample = __builtin_bswap32(sample);
  *dest = sampleAlpha == 255 ? sample : OverWord(sample, *dest, sampleAlpha);
}

// Each channel weighted by (128 - wx or wx) × (128 - wy or wy), the sum truncated.
uint32_t Interpolate(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, int wx, int wy) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const auto c = [shift](uint32_t word) { return int(word >> shift & 0xFF); };
    const int upper = c(tl) * (128 - wx) + c(tr) * wx, lower = c(bl) * (128 - wx) + c(br) * wx;
    out |= uint32_t((upper * (128 - wy) + lower * wy) >> 14) << shift;
  }
  return out;
}

// The source is taken by value: the compiler then keeps it in registers, which it cannot
// while writes through `dest` might change it.
void RowPlain(AffineSource s, Walk w, int count, uint32_t* dest, bool swapped, uint32_t alpha) {
  for (int i = 0; i < count; ++i, w.Step()) {
    const Corners at(s, w);
    Lay(Interpolate(at.top[at.left], at.top[at.right], at.bottom[at.left], at.bottom[at.right], w.WeightX(), w.WeightY()),
        s.swapped, dest + i, swapped, alpha);
  }
}

#if defined(__SSE2__)
// The same sums in 16-bit lanes: rows mixed first (at most 255 × 128, which fits a signed
// lane), then the two columns of each channel paired and mixed by one multiply-add.
void RowVector(AffineSource s, Walk w, int count, uint32_t* dest, bool swapped, uint32_t alpha) {
  const __m128i zero = _mm_setzero_si128();
  const unsigned lastX = unsigned(s.width - 1), lastY = unsigned(s.height - 1);
  for (int i = 0; i < count; ++i, w.Step()) {
    const int x = w.Column(), y = w.Row();
    __m128i top, bottom;
    if (unsigned(x) < lastX && unsigned(y) < lastY) {  // all four inside: two pairs of neighbours
      const uint32_t* at = s.pixels + size_t(y) * s.rowWords + size_t(x);
      top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
      bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at + s.rowWords));
    } else {
      const Corners at(s, w);
      top = _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(at.top[at.left])), _mm_cvtsi32_si128(int(at.top[at.right])));
      bottom =
          _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(at.bottom[at.left])), _mm_cvtsi32_si128(int(at.bottom[at.right])));
    }
    const int wx = w.WeightX(), wy = w.WeightY();
    __m128i v = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), _mm_set1_epi16(int16_t(128 - wy))),
                              _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), _mm_set1_epi16(int16_t(wy))));
    v = _mm_unpacklo_epi16(v, _mm_srli_si128(v, 8));
    v = _mm_srli_epi32(_mm_madd_epi16(v, _mm_set1_epi32(wx << 16 | (128 - wx))), 14);
    v = _mm_packs_epi32(v, v);
    Lay(uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))), s.swapped, dest + i, swapped, alpha);
  }
}
#else
constexpr auto RowVector = RowPlain;
#endif

}  // namespace

bool TakesAffineBilinear(const pixman_transform_t& t) {
  const bool affine = t.matrix[2][0] == 0 && t.matrix[2][1] == 0 && t.matrix[2][2] == pixman_fixed_1;
  return affine && t.matrix[1][0] != 0;
}

void OverAffineBilinear(const AffineSource& source, const pixman_transform_t& transform, int x, int y, int count,
                        uint32_t* dest, bool swapped, uint8_t alpha) {
  if (count <= 0 || source.width <= 0 || source.height <= 0) return;
  const Walk start(transform, x, y);
  (gPlain.load(std::memory_order_relaxed) ? RowPlain : RowVector)(source, start, count, dest, swapped, alpha);
}

void SetAffineKernel(AffineKernel kernel) { gPlain.store(kernel == AffineKernel::kPlain); }

}  // namespace vantiro
