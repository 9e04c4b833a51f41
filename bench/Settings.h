// The effect settings the benchmarks time, so that every benchmark measures the same work.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"

namespace vantiro::bench {

struct Setting {
  const char* name;
  relRect rect;
  int16_t sx, sy, sr;  // the width, height and rotation sliders
};

// The background colour every benchmark paints, 0x1E3A5F.
inline constexpr RGBColor kBackground{0x1E00, 0x3A00, 0x5F00};

inline constexpr Setting kSettings[] = {
    {"whole frame, sliders 0", {0, 1, 0, 1}, 0, 0, 0},
    {"half size +100%/+20%", {0.25, 0.75, 0.25, 0.75}, 100, 20, 0},
    {"same, turned 12%", {0.25, 0.75, 0.25, 0.75}, 100, 20, 12},
};

}  // namespace vantiro::bench
