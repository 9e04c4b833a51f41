// Immutable, reference-counted images. Pixels are kept premultiplied in the processor's
// native 32-bit ARGB word (alpha in the top byte), the order the compositor is fastest in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MacTypes.h"

CGImageRef CGImageRetain(CGImageRef image);  // nil is ignored
void CGImageRelease(CGImageRef image);       // nil is ignored
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
// A new image with the same pixels and its own reference.
CGImageRef CGImageCreateCopy(CGImageRef image);

namespace vantiro {

// A new image owning `pixels` (width × height native ARGB words, premultiplied).
CGImageRef MakeImage(int width, int height, std::vector<uint32_t> pixels);
// Room for `count` pixels of a new image, holding whatever it held: the storage of a recently
// released image where one fits.
std::vector<uint32_t> NewImagePixels(size_t count);
const std::vector<uint32_t>& ImagePixels(CGImageRef image);
long LiveImageCount();  // images not yet released, for leak checks

// Sine and cosine from plain IEEE arithmetic, the same to the bit on every processor;
// drawing turns pictures with them.
void SinCos(double x, double* sine, double* cosine);

}  // namespace vantiro
