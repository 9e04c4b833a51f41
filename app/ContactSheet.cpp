#include "app/ContactSheet.h"

#include <algorithm>

#include "app/DemoClip.h"
#include "app/media/MediaWriter.h"

namespace vantiro {
namespace {
constexpr int kGap = 12;
constexpr int kLabel = 40;  // room for the frame number to the left of each row
}  // namespace

ContactSheet::ContactSheet(int frameWidth, int frameHeight, std::vector<int64_t> frames)
    : frameWidth_(frameWidth), frameHeight_(frameHeight), frames_(std::move(frames)) {
  cellWidth_ = 480;
  cellHeight_ = std::max(1, cellWidth_ * frameHeight / std::max(1, frameWidth));
  width_ = kLabel + 2 * cellWidth_ + 3 * kGap;
  height_ = static_cast<int>(frames_.size()) * (cellHeight_ + kGap) + kGap;
  sheet_.assign(static_cast<std::size_t>(width_) * height_ * 4, 0);
  for (std::size_t i = 0; i < sheet_.size(); i += 4) sheet_[i] = 255, sheet_[i + 1] = sheet_[i + 2] = sheet_[i + 3] = 40;
}

void ContactSheet::Place(const uint8_t* picture, long rowBytes, int column, int row) {
  const int x0 = kLabel + kGap + column * (cellWidth_ + kGap), y0 = kGap + row * (cellHeight_ + kGap);
  // Box-filtered reduction: each cell pixel averages the source pixels it covers.
  for (int y = 0; y < cellHeight_; ++y) {
    const int sy0 = y * frameHeight_ / cellHeight_, sy1 = std::max(sy0 + 1, (y + 1) * frameHeight_ / cellHeight_);
    for (int x = 0; x < cellWidth_; ++x) {
      const int sx0 = x * frameWidth_ / cellWidth_, sx1 = std::max(sx0 + 1, (x + 1) * frameWidth_ / cellWidth_);
      unsigned sum[4] = {0, 0, 0, 0};
      for (int sy = sy0; sy < sy1; ++sy)
        for (int sx = sx0; sx < sx1; ++sx)
          for (int c = 0; c < 4; ++c) sum[c] += picture[sy * rowBytes + 4 * sx + c];
      const unsigned n = static_cast<unsigned>((sy1 - sy0) * (sx1 - sx0));
      uint8_t* d = &sheet_[(static_cast<std::size_t>(y0 + y) * width_ + x0 + x) * 4];
      for (int c = 0; c < 4; ++c) d[c] = static_cast<uint8_t>(sum[c] / n);
    }
  }
}

void ContactSheet::Add(int64_t n, const uint8_t* source, const uint8_t* rendered, long rowBytes) {
  const auto it = std::find(frames_.begin(), frames_.end(), n);
  if (it == frames_.end()) return;
  const int row = static_cast<int>(it - frames_.begin());
  Place(source, rowBytes, 0, row);
  Place(rendered, rowBytes, 1, row);
  const int digit = 18;
  DrawNumber(sheet_.data(), width_ * 4L, width_, height_, 6, kGap + row * (cellHeight_ + kGap) + 4, digit, n, 0xE0E0E0);
}

bool ContactSheet::Write(const std::string& path, std::string* error) const {
  WriterSettings ws;
  ws.path = path;
  ws.width = width_;
  ws.height = height_;
  ws.singleImage = true;
  auto writer = MediaWriter::Create(ws, error);
  return writer && writer->WriteVideo(sheet_.data(), width_ * 4L, error) && writer->Finish(error);
}

}  // namespace vantiro
