#include "platform/quickdraw/Pixels.h"

namespace vantiro {

void SwapPixelOrder(const uint32_t* from, uint32_t* to, std::size_t count) {
  // A plain loop: the compiler turns it into byte shuffles of whole vectors.
  for (std::size_t i = 0; i < count; ++i) to[i] = SwapPixelOrder(from[i]);
}

}  // namespace vantiro
