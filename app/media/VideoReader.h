// Reads the frames of a video or image file by frame number, scaled to any size, as
// 32-bit pixels with bytes alpha, red, green, blue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantiro {

struct VideoInfo {
  int width = 0;
  int height = 0;
  int fpsNum = 25, fpsDen = 1;  // frames per second as a fraction
  int64_t frameCount = 0;
  bool isImage = false;  // a still picture rather than a clip
  bool hasAudio = false;
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

  int seekCount() const;  // how often reading had to seek, for tests and statistics

 private:
  struct State;
  explicit VideoReader(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace vantiro
