#include "app/ClipHost.h"

#include <algorithm>
#include <cmath>

#include "app/HostServices.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro {

struct ClipHost::Loan {
  GWorldPtr frame = nullptr;
  int64_t number = 0;
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
    return static_cast<int64_t>(std::llround(double(k) * AudioReader::kRate * info.fpsDen / info.fpsNum));
  };
  return {at(n), static_cast<int>(at(n + 1) - at(n))};
}

void ClipHost::EndRequest() { FreeReleased(); }

void ClipHost::FreeReleased() {
  for (Loan* loan : released_) {
    VantiroSetGWorldLent(loan->frame, false);
    DisposeGWorld(loan->frame);
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
  const Rect bounds{0, 0, height, width};
  GWorldPtr gw = nullptr;
  const OSErr err = NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
  if (err != noErr) return err == memFullErr ? kPluginOutOfMemory : kPluginFailed;
  PixMapHandle pm = GetGWorldPixMap(gw);
  const auto started = std::chrono::steady_clock::now();
  std::string error;
  const bool ok = self->video_->ReadFrame(frame, width, height, quality != kDVLowQuality,
                                          reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)),
                                          GetPixRowBytes(pm), &error);
  self->decodeTime_ += std::chrono::steady_clock::now() - started;
  if (!ok) {
    DisposeGWorld(gw);
    return kPluginCantGetNeededFrame;
  }
  VantiroSetGWorldLent(gw, true);
  auto* loan = new Loan{gw, frame};
  self->lent_.push_back(loan);
  ++self->lentCount_;
  *out = gw;
  *cookie = loan;
  if (volume != nullptr) *volume = 1.0f;
  return kPluginOK;
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
  self->sink_(samples);
  return kPluginOK;
}

HYPluginResult ClipHost::GetFilterInfo(HYInstance instance, HYPluginFilterInfo** out) {
  if (out == nullptr) return kPluginBadParams;
  *out = &From(instance)->filterInfo_;
  return kPluginOK;
}

HYPluginResult ClipHost::ReleaseFilterInfo(HYInstance, HYPluginFilterInfo*) { return kPluginOK; }

}  // namespace vantiro
