// The services a host lends the plug-in while it renders one clip: frames decoded from
// the clip at the size asked for (taken from a decoder thread that reads ahead when it
// has the frame, else decoded on the spot), the frame's sound passed on through MixAudio,
// the filter's fades and slider values, and blitting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "app/Pipeline.h"
#include "app/media/AudioReader.h"
#include "app/media/VideoReader.h"
#include "host/HostInterface.h"

namespace vantiro {

struct FilterSettings {
  int32_t fadeInFrames = 0;
  int32_t fadeOutFrames = 0;
  float sliderValues[3] = {0.5f, 0.5f, 0.5f};
};

class ClipHost {
 public:
  // `audio` may be nil (no sound). The host keeps pointers to both.
  ClipHost(VideoReader* video, AudioReader* audio, FilterSettings filter);
  ~ClipHost();
  ClipHost(const ClipHost&) = delete;
  ClipHost& operator=(const ClipHost&) = delete;

  HYProcs* procs() { return &procs_; }
  HYInstance instance() { return this; }

  // MixAudio hands the frame's sound (interleaved stereo at AudioReader::kRate) here; a
  // sink that cannot take it returns false, and MixAudio fails.
  using AudioSink = std::function<bool(const std::vector<float>& samples)>;
  void SetAudioSink(AudioSink sink) { sink_ = std::move(sink); }

  // Frames are taken from `ahead` (which must outlive the host) whenever it has them.
  void DecodeAheadWith(DecodeAhead* ahead) { ahead_ = ahead; }

  // Sound samples per channel that belong to movie frame `n`, by the frames' timestamps.
  std::pair<int64_t, int> SamplesOf(int64_t n) const;

  // Frames the plug-in released are kept until the next fetch or the end of the request,
  // since a plug-in may dispose of a frame right after releasing it.
  void EndRequest();

  int framesLent() const { return lentCount_; }
  // Why the last frame that could not be lent failed to decode; empty if none failed so.
  const std::string& frameError() const { return frameError_; }
  std::chrono::duration<double> decodeTime() const { return decodeTime_; }

  struct Loan;

 private:
  static ClipHost* From(HYInstance instance) { return static_cast<ClipHost*>(instance); }
  static HYPluginResult GetFrame(HYInstance, int32_t frame, GWorldPtr* out, int16_t width, int16_t height,
                                 HYRefDVQuality quality, float* volume, HYFrameCookie* cookie);
  static HYPluginResult ReleaseFrame(HYInstance, HYFrameCookie cookie);
  static HYPluginResult MixAudio(HYInstance, HYFrameCookie cookie, int32_t level);
  static HYPluginResult GetFilterInfo(HYInstance, HYPluginFilterInfo** out);
  static HYPluginResult ReleaseFilterInfo(HYInstance, HYPluginFilterInfo* info);

  void FreeReleased();
  GWorldPtr Fetch(int64_t frame, int width, int height, bool highQuality, PooledRaster** pooled);

  VideoReader* video_;
  AudioReader* audio_;
  DecodeAhead* ahead_ = nullptr;
  std::string frameError_;
  HYPluginFilterInfo filterInfo_{};
  HYProcs procs_{};
  AudioSink sink_;
  std::vector<Loan*> lent_, released_;
  int lentCount_ = 0;
  std::chrono::duration<double> decodeTime_{0};
};

}  // namespace vantiro
