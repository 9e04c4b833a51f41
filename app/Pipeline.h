// The two ends of a render that run beside the plug-in: a decoder thread that reads the
// clip's frames ahead, in order, into a few rasters, and an encoder thread that converts
// and writes the rendered frames behind it. Each end holds a fixed pool of rasters, so a
// long clip never queues up more than a few frames. Rasters are made and disposed of on
// the thread that builds the end; the threads only fill and read their pixels.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/FrameQueue.h"
#include "app/media/MediaWriter.h"
#include "app/media/VideoReader.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro {

struct PooledRaster {
  GWorldPtr gw = nullptr;
  uint8_t* pixels = nullptr;
  long rowBytes = 0;
};

class RasterPool {
 public:
  RasterPool(int count, int width, int height);
  ~RasterPool();
  RasterPool(const RasterPool&) = delete;
  RasterPool& operator=(const RasterPool&) = delete;

  bool ok() const { return ok_; }  // false when memory ran out
  // Waits for a free raster; nullptr once the pool is closed.
  PooledRaster* Acquire() { return free_.Pop().value_or(nullptr); }
  void Release(PooledRaster* raster) { free_.Push(raster); }
  void Close() { free_.Close(); }

 private:
  std::vector<PooledRaster> rasters_;
  FrameQueue<PooledRaster*> free_;
  bool ok_ = true;
};

class DecodeAhead {
 public:
  struct Order {
    int64_t first = 0, count = 0;  // the frames, in order
    int width = 0, height = 0;
    bool highQuality = true;
  };
  // `failAt` (a frame of the order counted from 0, or -1) makes decoding it fail, for tests.
  DecodeAhead(std::unique_ptr<VideoReader> reader, const Order& order, int depth,
              const std::atomic<bool>* cancel, int64_t failAt = -1);
  ~DecodeAhead();  // stops the thread

  // Frame `n` as ordered, if the thread reads it ahead: frames skipped on the way go back
  // to the pool. nullptr with `error` empty when `n` is not ahead (the caller decodes it
  // itself), nullptr with `error` set when decoding it failed.
  PooledRaster* Take(int64_t n, int width, int height, bool highQuality, std::string* error);
  void Return(PooledRaster* raster) { pool_.Release(raster); }

 private:
  struct Decoded {
    PooledRaster* raster;
    int64_t number;
    std::string error;
  };
  void Run();

  std::unique_ptr<VideoReader> reader_;
  const Order order_;
  const std::atomic<bool>* cancel_;
  const int64_t failAt_;
  RasterPool pool_;
  FrameQueue<Decoded> ready_;
  int64_t next_;  // the first frame Take may still find ahead
  std::thread thread_;
};

class EncodeBehind {
 public:
  // `failAt` (a frame counted from 0, or -1) makes writing it fail, for tests.
  EncodeBehind(MediaWriter* writer, int width, int height, int depth, const std::atomic<bool>* cancel,
               int64_t failAt = -1);
  ~EncodeBehind();  // stops the thread; what is still queued is not written

  bool ok() const { return pool_.ok(); }
  // A raster to render the next frame into; nullptr once the encoder has stopped.
  PooledRaster* Canvas() { return pool_.Acquire(); }
  // Gives back a canvas that is not to be written.
  void Return(PooledRaster* canvas) { pool_.Release(canvas); }
  // Queues a rendered frame with its timestamp and sound; false once the encoder has stopped.
  bool Submit(PooledRaster* frame, int64_t pts, std::vector<float> sound);
  // Waits until every queued frame is written; false with the first error.
  bool Finish(std::string* error);

 private:
  struct Job {
    PooledRaster* frame;
    int64_t pts;
    std::vector<float> sound;
  };
  void Run();

  MediaWriter* writer_;
  const std::atomic<bool>* cancel_;
  const int64_t failAt_;
  RasterPool pool_;
  FrameQueue<Job> jobs_;
  std::atomic<bool> failed_{false}, stopping_{false};
  std::string error_;
  std::thread thread_;
};

}  // namespace vantiro
