#include "platform/coregraphics/CGImage.h"

#include <atomic>

#include "platform/quickdraw/Recycler.h"

struct CGImage {
  mutable std::atomic<long> refCount{1};
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

namespace {
std::atomic<long> gLiveImages{0};
const std::vector<uint32_t> kNoPixels;

// Never destroyed: images may be released while the process ends.
vantiro::Recycler<std::vector<uint32_t>>& KeptPixels() {
  static auto* kept = new vantiro::Recycler<std::vector<uint32_t>>(
      [](const std::vector<uint32_t>& v) { return v.capacity() * sizeof(uint32_t); });
  return *kept;
}
}  // namespace

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr) image->refCount.fetch_add(1);
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image != nullptr && image->refCount.fetch_sub(1) == 1) {
    KeptPixels().Keep(std::move(const_cast<CGImage*>(image)->pixels));
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

std::vector<uint32_t> NewImagePixels(size_t count) {
  std::vector<uint32_t> pixels;
  if (KeptPixels().Take(count * sizeof(uint32_t), pixels)) {
    pixels.resize(count);
    return pixels;
  }
  return std::vector<uint32_t>(count);
}

const std::vector<uint32_t>& ImagePixels(CGImageRef image) {
  return image == nullptr ? kNoPixels : image->pixels;
}

long LiveImageCount() { return gLiveImages.load(); }

}  // namespace vantiro
