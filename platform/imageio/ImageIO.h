// Image sources: the images of a file, decoded by Qt's image readers (every format
// whose plug-in is installed: PNG, JPEG, GIF, BMP, TIFF, WebP, ...). The format is
// decided from the file's contents, not its name.
#pragma once

#include <cstddef>

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"

typedef struct CGImageSource* CGImageSourceRef;  // released with CFRelease

// nil when the URL names no file, or none that a reader understands.
CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CFDictionaryRef options);
// Pages of a multi-page file, frames of an animation; 1 for a plain image.
size_t CGImageSourceGetCount(CGImageSourceRef source);
// The image at `index` (from 0) as a new image, premultiplied; nil when it cannot be read.
CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef source, size_t index, CFDictionaryRef options);
