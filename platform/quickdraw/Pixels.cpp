#include "platform/quickdraw/Pixels.h"

namespace vantiro {

void SwapPixelOrder(const uint32_t* from, uint32_t* to, std::size_t count) {
  // A plain loop: the compiler turns it into byte shuffles of whole vectors.
  for (std::size_t i = 0; i < count; ++i) to[i] = SwapPixelOrder(from[i]);
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
