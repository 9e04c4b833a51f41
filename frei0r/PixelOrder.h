// Conversions between frei0r's pixels (RGBA bytes, straight alpha) and the raster's (ARGB
// bytes, premultiplied), one pass over each row. Opaque rows, the usual case from video,
// are a plain byte rotation; only rows with some transparency take the slower path.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantiro::frei0r {

// `rgba` holds `height` rows of `width` pixels with no padding; the raster rows are
// `rowBytes` apart.
void RgbaToRaster(const uint32_t* rgba, uint8_t* raster, std::ptrdiff_t rowBytes, unsigned width, unsigned height);
void RasterToRgba(const uint8_t* raster, std::ptrdiff_t rowBytes, uint32_t* rgba, unsigned width, unsigned height);

}  // namespace vantiro::frei0r
