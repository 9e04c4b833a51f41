#include "platform/quickdraw/Pixels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
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

bool AllOpaque(const uint32_t* words, std::size_t count, int alphaShift) {
  uint32_t all = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < count; ++i) all &= words[i];
  return (all >> alphaShift & 0xFF) == 0xFF;
}

}  // namespace vantiro
