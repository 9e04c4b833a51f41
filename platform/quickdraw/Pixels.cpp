#include "platform/quickdraw/Pixels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace vantiro {

void ByteSwapWords(const uint32_t* from, uint32_t* to, std::size_t count) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Four words at a time: bytes swapped within each 16-bit half, then the halves swapped.
  // The compiler does not vectorise the byte swap on its own with SSE2 alone.
  for (; i + 4 <= count; i += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), v);
  }
#endif
  for (; i < count; ++i) to[i] = __builtin_bswap32(from[i]);
}

void SwapPixelOrder(const uint32_t* from, uint32_t* to, std::size_t count) {
  if constexpr (kLittleEndian)
    ByteSwapWords(from, to, count);
  else if (from != to)
    std::copy_n(from, count, to);
}

void FillPixels(uint32_t* to, std::size_t count, uint32_t word) {
  for (std::size_t i = 0; i < count; ++i) to[i] = word;
}

namespace {

#if defined(__SSE2__)
// x × y / 255 in each 16-bit lane, rounded as ScaleWord rounds.
inline __m128i Scale(__m128i x, __m128i y) {
  return _mm_mulhi_epu16(_mm_adds_epu16(_mm_mullo_epi16(x, y), _mm_set1_epi16(0x80)), _mm_set1_epi16(0x101));
}

// Each pixel's alpha lane copied to its four lanes.
template <int kAlphaShift>
inline __m128i SpreadAlpha(__m128i x) {
  constexpr int k = kAlphaShift / 8;
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, k * 0x55), k * 0x55);
}

// Two pixels in 16-bit lanes: source scaled by the opacity, then over the destination.
template <int kAlphaShift>
inline __m128i Over2(__m128i s, __m128i d, __m128i opacity, bool scale) {
  if (scale) s = Scale(s, opacity);
  const __m128i kept = _mm_xor_si128(SpreadAlpha<kAlphaShift>(s), _mm_set1_epi16(0xFF));
  return _mm_adds_epu16(s, Scale(d, kept));
}

template <int kAlphaShift>
std::size_t OverWordsVector(const uint32_t* from, uint32_t* to, std::size_t count, uint32_t opacity) {
  const __m128i zero = _mm_setzero_si128(), m = _mm_set1_epi16(int16_t(opacity));
  const bool scale = opacity != 255;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
    const __m128i low = Over2<kAlphaShift>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), m, scale);
    const __m128i high = Over2<kAlphaShift>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), m, scale);
    // Sums above 255 saturate in the pack, as pixman's byte-wise add does.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_packus_epi16(low, high));
  }
  return i;
}

// The same eight pixels at a time, on processors with AVX2 (checked when first needed):
// the 256-bit instructions work on two 128-bit halves alike, so each step is the one above.
#define VANTIRO_AVX2 __attribute__((target("avx2")))

VANTIRO_AVX2 inline __m256i Scale(__m256i x, __m256i y) {
  return _mm256_mulhi_epu16(_mm256_adds_epu16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(0x80)),
                            _mm256_set1_epi16(0x101));
}

template <int kAlphaShift>
VANTIRO_AVX2 inline __m256i Over4(__m256i s, __m256i d, __m256i opacity, bool scale) {
  constexpr int k = kAlphaShift / 8;
  if (scale) s = Scale(s, opacity);
  const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, k * 0x55), k * 0x55);
  return _mm256_adds_epu16(s, Scale(d, _mm256_xor_si256(alpha, _mm256_set1_epi16(0xFF))));
}

template <int kAlphaShift>
VANTIRO_AVX2 std::size_t OverWordsAvx2(const uint32_t* from, uint32_t* to, std::size_t count, uint32_t opacity) {
  const __m256i zero = _mm256_setzero_si256(), m = _mm256_set1_epi16(int16_t(opacity));
  const bool scale = opacity != 255;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(to + i));
    const __m256i low = Over4<kAlphaShift>(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero), m, scale);
    const __m256i high = Over4<kAlphaShift>(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero), m, scale);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_packus_epi16(low, high));
  }
  return i;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

void OverWords(const uint32_t* from, uint32_t* to, std::size_t count, int alphaShift, uint32_t opacity) {
  std::size_t i = 0;
#if defined(__SSE2__)
  if (HasAvx2())
    i = alphaShift == 0 ? OverWordsAvx2<0>(from, to, count, opacity) : OverWordsAvx2<24>(from, to, count, opacity);
  from += i, to += i, count -= i;  // the rest, fewer than eight, or all without AVX2
  i = alphaShift == 0 ? OverWordsVector<0>(from, to, count, opacity) : OverWordsVector<24>(from, to, count, opacity);
#endif
  for (; i < count; ++i) {
    const uint32_t s = opacity == 255 ? from[i] : ScaleWord(from[i], opacity);
    to[i] = OverWord(s, to[i], s >> alphaShift & 0xFF);
  }
}

bool AllOpaque(const uint32_t* words, std::size_t count, int alphaShift) {
  uint32_t all = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < count; ++i) all &= words[i];
  return (all >> alphaShift & 0xFF) == 0xFF;
}

}  // namespace vantiro
