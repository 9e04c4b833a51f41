#include "platform/coregraphics/CGImage.h"

#include <atomic>

struct CGImage {
  mutable std::atomic<long> refCount{1};
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

namespace {
std::atomic<long> gLiveImages{0};
const std::vector<uint32_t> kNoPixels;
}  // namespace

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr) image->refCount.fetch_add(1);
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image != nullptr && image->refCount.fetch_sub(1) == 1) {
    delete image;
    gLiveImages.fetch_sub(1);
  }
}

size_t CGImageGetWidth(CGImageRef image) { return image == nullptr ? 0 : image->width; }
size_t CGImageGetHeight(CGImageRef image) { return image == nullptr ? 0 : image->height; }

CGImageRef CGImageCreateCopy(CGImageRef image) {
  if (image == nullptr) return nullptr;
  return vantiro::MakeImage(image->width, image->height, image->pixels);
}

namespace vantiro {

CGImageRef MakeImage(int width, int height, std::vector<uint32_t> pixels) {
  if (width < 0 || height < 0 || pixels.size() != size_t(width) * size_t(height)) return nullptr;
  auto* image = new CGImage();
  image->width = width;
  image->height = height;
  image->pixels = std::move(pixels);
  gLiveImages.fetch_add(1);
  return image;
}

const std::vector<uint32_t>& ImagePixels(CGImageRef image) {
  return image == nullptr ? kNoPixels : image->pixels;
}

long LiveImageCount() { return gLiveImages.load(); }

}  // namespace vantiro
