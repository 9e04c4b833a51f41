// Reads the frames of a video or image file by frame number, scaled to any size, as
// 32-bit pixels with bytes alpha, red, green, blue. Frames are numbered 0..n-1 in the
// order they are shown, whatever their timestamps; a clip whose display matrix turns it
// (a phone held upright) is read already turned, as a player shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/media/Colour.h"

namespace vantiro {

struct VideoInfo {
  int width = 0;
  int height = 0;
  int fpsNum = 25, fpsDen = 1;  // frames per second as a fraction
  int64_t frameCount = 0;
  bool isImage = false;  // a still picture rather than a clip
  bool hasAudio = false;
  int timeBaseNum = 1, timeBaseDen = 25;  // unit of Timestamp
  int sarNum = 1, sarDen = 1;             // shape of a pixel, width : height
  colour::Matrix matrix = colour::Matrix::kBt601;  // how its colours are coded
};

class VideoReader {
 public:
  static std::unique_ptr<VideoReader> Open(const std::string& path, std::string* error);
  ~VideoReader();

  const VideoInfo& info() const;

  // Decodes frame `n` (0-based) scaled to width × height into `argb`. Reading frames in
  // order decodes forward without seeking; `highQuality` picks a better, slower scaler.
  bool ReadFrame(int64_t n, int width, int height, bool highQuality, uint8_t* argb, long rowBytes,
                 std::string* error);

  // When frame `n` starts, counted from frame 0, in units of the time base; n = frameCount
  // gives the end of the last frame. Clips with a variable frame rate keep their timing.
  int64_t Timestamp(int64_t n) const;

  int seekCount() const;  // how often reading had to seek, for tests and statistics

 private:
  struct State;
  explicit VideoReader(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace vantiro
