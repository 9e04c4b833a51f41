#include "app/Pipeline.h"

namespace vantiro {
namespace {

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

}  // namespace

RasterPool::RasterPool(int count, int width, int height) : free_(static_cast<std::size_t>(count)) {
  rasters_.resize(static_cast<std::size_t>(count));
  const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  for (PooledRaster& r : rasters_) {
    if (NewGWorld(&r.gw, 32, &bounds, nullptr, nullptr, 0) != noErr) {
      ok_ = false;
      continue;
    }
    PixMapHandle pm = GetGWorldPixMap(r.gw);
    r.pixels = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
    r.rowBytes = GetPixRowBytes(pm);
    free_.Push(&r);
  }
}

RasterPool::~RasterPool() {
  for (PooledRaster& r : rasters_)
    if (r.gw != nullptr) DisposeGWorld(r.gw);
}

DecodeAhead::DecodeAhead(std::unique_ptr<VideoReader> reader, const Order& order, int depth,
                         const std::atomic<bool>* cancel, int64_t failAt)
    : reader_(std::move(reader)),
      order_(order),
      cancel_(cancel),
      failAt_(failAt),
      // One raster more than the queue holds: the one lent to the plug-in.
      pool_(depth + 1, order.width, order.height),
      ready_(static_cast<std::size_t>(depth)),
      next_(order.first) {
  if (!pool_.ok()) next_ = order_.first + order_.count;  // nothing ahead: every frame is decoded on demand
  else thread_ = std::thread([this] { Run(); });
}

DecodeAhead::~DecodeAhead() {
  pool_.Close();
  ready_.Close();
  if (thread_.joinable()) thread_.join();
}

void DecodeAhead::Run() {
  for (int64_t n = order_.first; n < order_.first + order_.count && !Cancelled(cancel_); ++n) {
    PooledRaster* raster = pool_.Acquire();
    if (raster == nullptr) break;
    Decoded decoded{raster, n, {}};
    if (n - order_.first == failAt_) decoded.error = "cannot decode frame " + std::to_string(n);
    else reader_->ReadFrame(n, order_.width, order_.height, order_.highQuality, raster->pixels, raster->rowBytes,
                            &decoded.error);
    const bool failed = !decoded.error.empty();
    if (failed) {
      pool_.Release(raster);
      decoded.raster = nullptr;
    }
    if (!ready_.Push(std::move(decoded))) {
      if (!failed) pool_.Release(raster);
      break;
    }
    if (failed) break;
  }
  ready_.Close();
}

PooledRaster* DecodeAhead::Take(int64_t n, int width, int height, bool highQuality, std::string* error) {
  if (width != order_.width || height != order_.height || highQuality != order_.highQuality || n < next_ ||
      n >= order_.first + order_.count)
    return nullptr;
  while (auto decoded = ready_.Pop()) {
    if (!decoded->error.empty()) {
      *error = decoded->error;
      next_ = order_.first + order_.count;
      return nullptr;
    }
    if (decoded->number == n) {
      next_ = n + 1;
      return decoded->raster;
    }
    pool_.Release(decoded->raster);
  }
  next_ = order_.first + order_.count;  // the thread has stopped
  return nullptr;
}

EncodeBehind::EncodeBehind(MediaWriter* writer, int width, int height, int depth, const std::atomic<bool>* cancel,
                           int64_t failAt)
    : writer_(writer),
      cancel_(cancel),
      failAt_(failAt),
      // The queue, the frame being written and the one being rendered.
      pool_(depth + 2, width, height),
      jobs_(static_cast<std::size_t>(depth)) {
  if (pool_.ok()) thread_ = std::thread([this] { Run(); });
}

EncodeBehind::~EncodeBehind() {
  stopping_ = true;
  jobs_.Close();
  pool_.Close();
  if (thread_.joinable()) thread_.join();
}

bool EncodeBehind::Submit(PooledRaster* frame, int64_t pts, std::vector<float> sound) {
  if (!failed_ && jobs_.Push(Job{frame, pts, std::move(sound)})) return true;
  pool_.Release(frame);
  return false;
}

bool EncodeBehind::Finish(std::string* error) {
  jobs_.Close();
  if (thread_.joinable()) thread_.join();
  if (failed_) *error = error_;
  return !failed_;
}

void EncodeBehind::Run() {
  int64_t count = 0;
  while (auto job = jobs_.Pop()) {
    if (!failed_ && !stopping_ && !Cancelled(cancel_)) {
      std::string error;
      const bool ok = count++ != failAt_ && writer_->WriteVideo(job->frame->pixels, job->frame->rowBytes, &error, job->pts) &&
                      writer_->WriteAudio(job->sound.data(), static_cast<int>(job->sound.size() / 2), &error);
      if (!ok) {
        error_ = error.empty() ? "cannot write frame " + std::to_string(count - 1) : error;
        failed_ = true;
        // Wake a renderer waiting for a raster or for room in the queue.
        pool_.Close();
        jobs_.Close();
      }
    }
    pool_.Release(job->frame);
  }
}

}  // namespace vantiro
