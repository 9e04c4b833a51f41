#include "platform/coregraphics/CGImage.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Recycler.h"

struct CGImage {
  mutable std::atomic<long> refCount{1};
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  // Rows shared with a context, until the image takes its own copy; nil once it owns them.
  const uint32_t* shared = nullptr;
  size_t rowWords = 0;
  bool swapped = false;
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

// The images still sharing someone's memory. The count lets every write skip the lock
// while there are none, which is nearly always.
std::mutex gSharingMutex;
std::vector<CGImage*> gSharing;
std::atomic<long> gSharingCount{0};

void CopyNative(const CGImage& image, uint32_t* to) {
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* row = image.shared + size_t(y) * image.rowWords;
    uint32_t* out = to + size_t(y) * size_t(image.width);
    if (image.swapped)
      vantiro::ByteSwapWords(row, out, size_t(image.width));
    else
      std::copy_n(row, image.width, out);
  }
}

// Takes the image's own copy of its shared rows; the caller holds gSharingMutex.
void DetachLocked(CGImage* image) {
  std::vector<uint32_t> own = vantiro::NewImagePixels(size_t(image->width) * size_t(image->height));
  CopyNative(*image, own.data());
  image->pixels = std::move(own);
  image->shared = nullptr;
  gSharing.erase(std::find(gSharing.begin(), gSharing.end(), image));
  gSharingCount.fetch_sub(1);
}

bool Overlaps(const CGImage& image, const void* begin, const void* end) {
  const auto* first = reinterpret_cast<const char*>(image.shared);
  const auto* last = reinterpret_cast<const char*>(image.shared + size_t(image.height - 1) * image.rowWords +
                                                   size_t(image.width));
  return first < static_cast<const char*>(end) && static_cast<const char*>(begin) < last;
}
}  // namespace

void CGImageRelease(CGImageRef image) {
  if (image == nullptr || image->refCount.fetch_sub(1) != 1) return;
  auto* owned = const_cast<CGImage*>(image);
  if (owned->shared != nullptr) {
    std::lock_guard lock(gSharingMutex);
    gSharing.erase(std::find(gSharing.begin(), gSharing.end(), owned));
    gSharingCount.fetch_sub(1);
  }
  KeptPixels().Keep(std::move(owned->pixels));
  delete owned;
  gLiveImages.fetch_sub(1);
}

size_t CGImageGetWidth(CGImageRef image) { return image == nullptr ? 0 : image->width; }
size_t CGImageGetHeight(CGImageRef image) { return image == nullptr ? 0 : image->height; }

CGImageRef CGImageCreateCopy(CGImageRef image) {
  if (image == nullptr) return nullptr;
  {
    std::lock_guard lock(gSharingMutex);
    if (image->shared != nullptr) {
      std::vector<uint32_t> pixels = vantiro::NewImagePixels(size_t(image->width) * size_t(image->height));
      CopyNative(*image, pixels.data());
      return vantiro::MakeImage(image->width, image->height, std::move(pixels));
    }
  }
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

CGImageRef MakeSharedImage(int width, int height, const uint32_t* rows, size_t rowWords, bool swapped) {
  if (width <= 0 || height <= 0 || rows == nullptr || rowWords < size_t(width)) return nullptr;
  auto* image = new CGImage();
  image->width = width;
  image->height = height;
  image->shared = rows;
  image->rowWords = rowWords;
  image->swapped = swapped;
  gLiveImages.fetch_add(1);
  std::lock_guard lock(gSharingMutex);
  gSharing.push_back(image);
  gSharingCount.fetch_add(1);
  return image;
}

void BeforePixelWrite(const void* begin, const void* end) {
  RealizeCopiesOf(begin, end);  // rasters may share the memory too
  if (gSharingCount.load() == 0 || begin == nullptr) return;
  std::lock_guard lock(gSharingMutex);
  for (size_t i = gSharing.size(); i-- > 0;)
    if (Overlaps(*gSharing[i], begin, end)) DetachLocked(gSharing[i]);
}

ImageRows RowsOf(CGImageRef image) {
  if (image == nullptr) return ImageRows{nullptr, 0, false};
  std::lock_guard lock(gSharingMutex);
  if (image->shared != nullptr) return ImageRows{image->shared, image->rowWords, image->swapped};
  return ImageRows{image->pixels.data(), size_t(image->width), false};
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
  if (image == nullptr) return kNoPixels;
  std::lock_guard lock(gSharingMutex);
  if (image->shared != nullptr) DetachLocked(const_cast<CGImage*>(image));
  return image->pixels;
}

long LiveImageCount() { return gLiveImages.load(); }

}  // namespace vantiro
