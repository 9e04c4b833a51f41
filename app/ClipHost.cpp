#include "app/ClipHost.h"

#include <algorithm>
#include <cmath>

#include "app/HostServices.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro {

struct ClipHost::Loan {
  GWorldPtr frame = nullptr;
  int64_t number = 0;
  PooledRaster* pooled = nullptr;  // goes back to the decoder thread's pool, not disposed of
};

ClipHost::ClipHost(VideoReader* video, AudioReader* audio, FilterSettings filter)
    : video_(video), audio_(audio) {
  filterInfo_.fadeInFrames = filter.fadeInFrames;
  filterInfo_.fadeOutFrames = filter.fadeOutFrames;
  std::copy(std::begin(filter.sliderValues), std::end(filter.sliderValues), filterInfo_.sliderValues);
  procs_ = MakeHostProcs();
  procs_.GetFrame = GetFrame;
  procs_.ReleaseFrame = ReleaseFrame;
  procs_.MixAudio = MixAudio;
  procs_.GetFilterInfo = GetFilterInfo;
  procs_.ReleaseFilterInfo = ReleaseFilterInfo;
}

ClipHost::~ClipHost() {
  for (Loan* loan : lent_) released_.push_back(loan);
  lent_.clear();
  FreeReleased();
}

std::pair<int64_t, int> ClipHost::SamplesOf(int64_t n) const {
  const VideoInfo& info = video_->info();
  const auto at = [&](int64_t k) {
    const double ticks = static_cast<double>(video_->Timestamp(std::clamp<int64_t>(k, 0, info.frameCount)));
    return static_cast<int64_t>(std::llround(ticks * AudioReader::kRate * info.timeBaseNum / info.timeBaseDen));
  };
  return {at(n), static_cast<int>(at(n + 1) - at(n))};
}

void ClipHost::EndRequest() { FreeReleased(); }

void ClipHost::FreeReleased() {
  for (Loan* loan : released_) {
    VantiroSetGWorldLent(loan->frame, false);
    if (loan->pooled != nullptr) ahead_->Return(loan->pooled);
    else DisposeGWorld(loan->frame);
    delete loan;
  }
  released_.clear();
}

HYPluginResult ClipHost::GetFrame(HYInstance instance, int32_t frame, GWorldPtr* out, int16_t width,
                                  int16_t height, HYRefDVQuality quality, float* volume,
                                  HYFrameCookie* cookie) {
  ClipHost* self = From(instance);
  self->FreeReleased();
  if (out != nullptr) *out = nullptr;
  if (cookie != nullptr) *cookie = nullptr;
  if (out == nullptr || cookie == nullptr || width <= 0 || height <= 0) return kPluginBadParams;
  const auto started = std::chrono::steady_clock::now();
  PooledRaster* pooled = nullptr;
  GWorldPtr gw = self->Fetch(frame, width, height, quality != kDVLowQuality, &pooled);
  self->decodeTime_ += std::chrono::steady_clock::now() - started;
  if (gw == nullptr) return self->frameError_.empty() ? kPluginOutOfMemory : kPluginCantGetNeededFrame;
  VantiroSetGWorldLent(gw, true);
  auto* loan = new Loan{gw, frame, pooled};
  self->lent_.push_back(loan);
  ++self->lentCount_;
  *out = gw;
  *cookie = loan;
  if (volume != nullptr) *volume = 1.0f;
  return kPluginOK;
}

GWorldPtr ClipHost::Fetch(int64_t frame, int width, int height, bool highQuality, PooledRaster** pooled) {
  frameError_.clear();
  if (ahead_ != nullptr) {
    *pooled = ahead_->Take(frame, width, height, highQuality, &frameError_);
    if (*pooled != nullptr) return (*pooled)->gw;
    if (!frameError_.empty()) return nullptr;
  }
  const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  GWorldPtr gw = nullptr;
  if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr) return nullptr;
  PixMapHandle pm = GetGWorldPixMap(gw);
  if (!video_->ReadFrame(frame, width, height, highQuality, reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)),
                         GetPixRowBytes(pm), &frameError_)) {
    DisposeGWorld(gw);
    return nullptr;
  }
  return gw;
}

HYPluginResult ClipHost::ReleaseFrame(HYInstance instance, HYFrameCookie cookie) {
  ClipHost* self = From(instance);
  if (cookie == nullptr) return kPluginOK;  // a failed fetch lent nothing
  auto it = std::find(self->lent_.begin(), self->lent_.end(), static_cast<Loan*>(cookie));
  if (it == self->lent_.end()) return kPluginBadParams;
  self->released_.push_back(*it);
  self->lent_.erase(it);
  return kPluginOK;
}

HYPluginResult ClipHost::MixAudio(HYInstance instance, HYFrameCookie cookie, int32_t level) {
  ClipHost* self = From(instance);
  const auto* loan = static_cast<Loan*>(cookie);
  if (loan == nullptr) return kPluginBadParams;
  if (self->sink_ == nullptr) return kPluginOK;
  const auto [first, count] = self->SamplesOf(loan->number);
  std::vector<float> samples(2 * static_cast<std::size_t>(count), 0.0f);
  if (self->audio_ != nullptr) {
    self->audio_->Read(first, count, samples.data());
    const float gain = static_cast<float>(level) / 256.0f;
    for (float& s : samples) s *= gain;
  }
  return self->sink_(samples) ? kPluginOK : kPluginFailed;
}

HYPluginResult ClipHost::GetFilterInfo(HYInstance instance, HYPluginFilterInfo** out) {
  if (out == nullptr) return kPluginBadParams;
  *out = &From(instance)->filterInfo_;
  return kPluginOK;
}

HYPluginResult ClipHost::ReleaseFilterInfo(HYInstance, HYPluginFilterInfo*) { return kPluginOK; }

}  // namespace vantiro
