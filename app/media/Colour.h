// Conversions between 8-bit Y'CbCr 4:2:0 planes and 32-bit rasters (bytes alpha, red,
// green, blue), in place of swscale's for the two that every render runs per frame. They
// are written for the compiler to vectorise and round to within a unit of the exact result.
// Chroma is sited as swscale sites it without scaling: one chroma sample covers a 2 x 2
// block of pixels, read back by repeating it and written as the block's mean.
#pragma once

#include <cstdint>

namespace vantiro::colour {

enum class Matrix { kBt601, kBt709 };

// The matrix a clip without a colour tag is taken to use: BT.709 for HD sizes, BT.601 below,
// as players assume.
constexpr Matrix DefaultMatrix(int width, int height) {
  return width >= 1280 || height > 576 ? Matrix::kBt709 : Matrix::kBt601;
}

struct Encoding {
  Matrix matrix = Matrix::kBt601;
  bool fullRange = false;  // luma 0..255 instead of 16..235, chroma 0..255 instead of 16..240
};

// Plane 0 is luma, `width` × `height`; planes 1 and 2 are Cb and Cr, half the size rounded
// up. `stride` is each plane's row distance in bytes.
void Yuv420ToArgb(const uint8_t* const plane[3], const int stride[3], int width, int height, Encoding encoding,
                  uint8_t* argb, long rowBytes);
// Alpha is ignored: the picture is written as it would show over black.
void ArgbToYuv420(const uint8_t* argb, long rowBytes, int width, int height, Encoding encoding,
                  uint8_t* const plane[3], const int stride[3]);

}  // namespace vantiro::colour
