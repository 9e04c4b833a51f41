// Immutable, reference-counted images. Pixels are kept premultiplied in the processor's
// native 32-bit ARGB word (alpha in the top byte), the order the compositor is fastest in,
// or shared with the bitmap context they were taken from (see MakeSharedImage).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MacTypes.h"

void CGImageRelease(CGImageRef image);  // nil is ignored
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
// The pixels as native words; an image still sharing a context's memory takes its own copy.
const std::vector<uint32_t>& ImagePixels(CGImageRef image);
long LiveImageCount();  // images not yet released, for leak checks

// An image over someone else's rows of premultiplied words (`swapped`: each word needs a byte
// swap to be native), without copying them. It keeps sharing them until the platform is
// about to write into or free that memory (BeforePixelWrite), and then takes its own copy,
// so the image never changes. Writes through a raw pointer the platform handed out before
// the image was made are not seen: ask for the pointer again after making an image.
CGImageRef MakeSharedImage(int width, int height, const uint32_t* rows, size_t rowWords, bool swapped);

// Every image sharing memory in [begin, end) takes its own copy now.
void BeforePixelWrite(const void* begin, const void* end);

// Where an image's rows are, for drawing it: `rowWords` apart, native unless `swapped`.
struct ImageRows {
  const uint32_t* base;
  size_t rowWords;
  bool swapped;
};
ImageRows RowsOf(CGImageRef image);

// Sine and cosine from plain IEEE arithmetic, the same to the bit on every processor;
// drawing turns pictures with them.
void SinCos(double x, double* sine, double* cosine);

}  // namespace vantiro
