// Writes rendered frames (32-bit, bytes alpha, red, green, blue) and sound to a file whose
// extension picks the container: .mp4 .mov .mkv (H.264 with AAC sound) or .png (a single
// picture, or a numbered sequence name-0000.png ...). Everything is written beside the
// target under a temporary name and moved into place by Finish, all files or none, so a
// failed or interrupted run leaves no partial output and earlier files as they were.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/media/Colour.h"

namespace vantiro {

struct WriterSettings {
  std::string path;
  int width = 0;
  int height = 0;
  int fpsNum = 30, fpsDen = 1;
  bool withAudio = false;     // stereo, 48 kHz
  bool singleImage = false;   // .png: one picture instead of a sequence
  int64_t firstNumber = 0;    // .png sequences: number of the first picture
  int timeBaseNum = 0, timeBaseDen = 0;  // unit of WriteVideo's timestamps; 0: one frame
  int sarNum = 1, sarDen = 1;            // shape of a pixel, width : height
  // How colours are coded in a video, BT.709 or BT.601; none: the default for its size.
  std::optional<colour::Matrix> matrix;
};

class MediaWriter {
 public:
  // nullptr with `error` set for an unknown extension or an unwritable place.
  static std::unique_ptr<MediaWriter> Create(const WriterSettings& settings, std::string* error);
  static bool KnownExtension(const std::string& path);
  // False with `error` saying why when the encoder for `path` cannot take that size.
  static bool CheckSize(const std::string& path, int width, int height, std::string* error);
  // .png: a numbered sequence unless the writer is asked for one picture.
  static bool WritesSequence(const std::string& path);
  // The name of picture `number` of the sequence `path` (name.png → name-0042.png).
  static std::string SequenceName(const std::string& path, int64_t number);
  ~MediaWriter();  // without Finish, every temporary file is removed

  // `pts` in the time base of the settings; -1 places the frame right after the last one.
  bool WriteVideo(const uint8_t* argb, long rowBytes, std::string* error, int64_t pts = -1);
  bool WriteAudio(const float* interleaved, int count, std::string* error);  // count per channel
  bool Finish(std::string* error);

  const std::vector<std::string>& outputs() const;  // the files Finish put in place

  class Impl;

 private:
  explicit MediaWriter(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace vantiro
