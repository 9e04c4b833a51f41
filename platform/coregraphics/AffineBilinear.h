// Laying a turned or sheared picture over a raster, filtered bilinearly with its edge pixels
// extended. pixman does this on its general path, a fetch, a format conversion and a combine
// per row, with no vector code for the fetch; this does it in one pass over each row and
// gives pixman's bytes exactly (the same 16.16 stepping, 7-bit weights and rounding).
#pragma once

#include <pixman.h>

#include <cstddef>
#include <cstdint>

namespace vantiro {

struct AffineSource {
  const uint32_t* pixels;  // premultiplied words
  std::size_t rowWords;
  int width, height;
  bool swapped;  // the words are byte swapped native words
};

// Whether OverAffineBilinear matches pixman for `transform`: it must turn or shear, since an
// upright scale takes pixman's scaling fast paths, which round differently.
bool TakesAffineBilinear(const pixman_transform_t& transform);

// Row `y`, pixels `x` to `x + count` of the transform's destination space (as pixman's
// source coordinates of a composite): each takes the source sampled at its centre carried
// through `transform`, scaled by `alpha` (0-255, pixman's solid mask) and laid over the
// pixel in `dest` with OVER. `swapped`: the words of `dest` are byte swapped native words.
void OverAffineBilinear(const AffineSource& source, const pixman_transform_t& transform, int x, int y, int count,
                        uint32_t* dest, bool swapped, uint8_t alpha);

// Which version draws: the processor's vector code where there is one, or plain C, which
// the vector code must match (the tests compare both with pixman).
enum class AffineKernel { kVector, kPlain };
void SetAffineKernel(AffineKernel kernel);

}  // namespace vantiro
