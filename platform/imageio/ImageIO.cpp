#include "platform/imageio/ImageIO.h"

#include <QImage>
#include <QImageReader>
#include <memory>
#include <vector>

#include "platform/coregraphics/CGImage.h"
#include "platform/corefoundation/CFRuntime.h"

struct CGImageSource : __CFType {
  QString path;
  size_t count = 0;
};

namespace {

std::unique_ptr<QImageReader> ReaderFor(const QString& path) {
  auto reader = std::make_unique<QImageReader>(path);
  reader->setDecideFormatFromContent(true);
  reader->setAutoTransform(true);
  return reader;
}

}  // namespace

CGImageSourceRef CGImageSourceCreateWithURL(CFURLRef url, CFDictionaryRef) {
  if (url == nullptr) return nullptr;
  const QString path = QString::fromStdString(CFURLToPath(url));
  auto reader = ReaderFor(path);
  if (!reader->canRead()) return nullptr;
  auto* source = new CGImageSource();
  source->path = path;
  source->count = static_cast<size_t>(std::max(reader->imageCount(), 1));
  return source;
}

size_t CGImageSourceGetCount(CGImageSourceRef source) { return source == nullptr ? 0 : source->count; }

CGImageRef CGImageSourceCreateImageAtIndex(CGImageSourceRef source, size_t index, CFDictionaryRef) {
  if (source == nullptr || index >= source->count) return nullptr;
  auto reader = ReaderFor(source->path);
  if (index > 0 && !reader->jumpToImage(static_cast<int>(index))) return nullptr;
  QImage image = reader->read();
  if (image.isNull()) return nullptr;
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    std::copy(row, row + image.width(), pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width());
  }
  return vantiro::MakeImage(image.width(), image.height(), std::move(pixels));
}
