// Reads a file's sound as interleaved stereo float samples at a fixed rate, by sample
// position, so a video frame's share of the sound can be fetched by its number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantiro {

class AudioReader {
 public:
  static constexpr int kRate = 48000;
  static constexpr int kChannels = 2;

  // nullptr when the file has no sound that can be decoded.
  static std::unique_ptr<AudioReader> Open(const std::string& path);
  ~AudioReader();

  // Samples [first, first + count) per channel into `out` (count × 2 floats). Reading on
  // from where the last read ended decodes forward; silence past the end of the sound.
  void Read(int64_t first, int count, float* out);

 private:
  struct State;
  explicit AudioReader(std::unique_ptr<State> state);
  std::unique_ptr<State> s_;
};

}  // namespace vantiro
