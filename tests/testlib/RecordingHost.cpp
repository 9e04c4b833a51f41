#include "tests/testlib/RecordingHost.h"

#include <algorithm>

#include "platform/memory/Memory.h"

namespace vantiro::test {
namespace {

RecordingHost* gCurrent = nullptr;

long long Addr(const void* p) { return static_cast<long long>(reinterpret_cast<uintptr_t>(p)); }

void Record(const char* name, std::vector<long long> args = {}) {
  if (gCurrent != nullptr) gCurrent->calls.push_back({name, std::move(args)});
}

Ptr Allocate(const char* name, Size size, Ptr (*allocator)(Size)) {
  Record(name, {size});
  if (gCurrent != nullptr && gCurrent->failAllocations > 0) {
    --gCurrent->failAllocations;
    return nullptr;
  }
  return allocator(size);
}

template <typename Hook, typename... Args>
HYPluginResult Answer(const Hook& hook, Args... args) {
  return hook ? hook(args...) : HYPluginResult(kPluginUnimplemented);
}

Ptr HostNewPtr(Size size) { return Allocate("NewPtr", size, ::NewPtr); }
Ptr HostNewPtrClear(Size size) { return Allocate("NewPtrClear", size, ::NewPtrClear); }
void HostDisposePtr(Ptr p) {
  Record("DisposePtr", {Addr(p)});
  ::DisposePtr(p);
}
HYPluginResult HostGetFrame(HYInstance, int32_t frame, GWorldPtr* out, int16_t w, int16_t h,
                            HYRefDVQuality q, float* volume, HYFrameCookie* cookie) {
  Record("GetFrame", {frame, w, h, q});
  if (volume != nullptr) *volume = 1.0f;
  return Answer(gCurrent->getFrame, frame, out, w, h, q, cookie);
}
HYPluginResult HostReleaseFrame(HYInstance, HYFrameCookie cookie) {
  Record("ReleaseFrame", {Addr(cookie)});
  return Answer(gCurrent->releaseFrame, cookie);
}
HYPluginResult HostBlit(PixMapHandle s, PixMapHandle d, const Rect* sr, const Rect* dr, int16_t opacity) {
  Record("Blit", {opacity});
  return Answer(gCurrent->blit, s, d, sr, dr, opacity);
}
HYPluginResult HostMixAudio(HYInstance, HYFrameCookie cookie, int32_t level) {
  Record("MixAudio", {Addr(cookie), level});
  return Answer(gCurrent->mixAudio, cookie, level);
}
HYPluginResult HostGetFilterInfo(HYInstance, HYPluginFilterInfo** out) {
  Record("GetFilterInfo");
  return Answer(gCurrent->getFilterInfo, out);
}
HYPluginResult HostReleaseFilterInfo(HYInstance, HYPluginFilterInfo* info) {
  Record("ReleaseFilterInfo", {Addr(info)});
  return Answer(gCurrent->releaseFilterInfo, info);
}

}  // namespace

RecordingHost::RecordingHost() {
  gCurrent = this;
  procs.NewPtr = HostNewPtr;
  procs.NewPtrClear = HostNewPtrClear;
  procs.DisposePtr = HostDisposePtr;
  procs.GetFrame = HostGetFrame;
  procs.ReleaseFrame = HostReleaseFrame;
  procs.Blit = HostBlit;
  procs.MixAudio = HostMixAudio;
  procs.GetFilterInfo = HostGetFilterInfo;
  procs.ReleaseFilterInfo = HostReleaseFilterInfo;

  params.interfaceVersion = 4;
  params.instance = this;
  params.procs = &procs;
  params.getInfo = &info;
  params.getInfo2 = &info2;
  params.getInfo3 = &info3;
}

RecordingHost::~RecordingHost() {
  if (gCurrent == this) gCurrent = nullptr;
}

std::size_t RecordingHost::Count(const std::string& name) const {
  return static_cast<std::size_t>(
      std::count_if(calls.begin(), calls.end(), [&](const HostCall& c) { return c.name == name; }));
}

const HostCall* RecordingHost::Last(const std::string& name) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

}  // namespace vantiro::test
