// What a user would run instead of the plug-in: FFmpeg's command line on an ordinary clip,
// with its default threads, timed as a whole and less the same command decoding alone.
#pragma once

#include <string>
#include <vector>

#include "bench/Settings.h"

namespace vantiro::bench {

// A generated H.264 clip in yuv420p, as a camera or editor would hand over; removed when
// the object goes.
class Clip {
 public:
  Clip(int width, int height, int frames);
  ~Clip();
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;
  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }
  int frames() const { return frames_; }

 private:
  std::string path_;
  int frames_;
  bool ok_ = false;
};

// Wall-clock seconds of `ffmpeg -i CLIP -filter_complex GRAPH -f null -`, or of decoding
// alone for an empty graph; below zero when FFmpeg fails or is missing.
double FFmpegSeconds(const Clip& clip, const std::string& graph);

// The effect as FFmpeg's filter chain on a width × height frame: crop, bilinear scale, then
// pad onto the background when upright or rotate onto it when turned.
std::string EffectChain(int width, int height, const Setting& setting);
// The effect fading in over the untouched source, as the plug-in does inside a fade.
std::string FadedGraph(int width, int height, const Setting& setting);

double Median(std::vector<double> values);
// Processor, core count and load average, for the record of a run.
std::string MachineLine();

}  // namespace vantiro::bench
