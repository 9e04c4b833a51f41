// A host for tests: a service table that records every call the plug-in makes, with its
// arguments, and answers as the test configures it. Memory comes from the platform's
// blocks, as with a real host. Services the plug-in has no business calling are left nil,
// so a call to one fails the test outright.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/HostInterface.h"

namespace vantiro::test {

struct HostCall {
  std::string name;
  std::vector<long long> args;  // integers as passed; pointers as their addresses
};

class RecordingHost {
 public:
  RecordingHost();  // becomes the host the service thunks report to
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  // A parameter block as a host fills it: interface version 4, this table, the info records.
  PluginParams params{};
  HYProcs procs{};
  HYPluginGetInfo info{};
  HY2PluginGetInfo info2{};
  HY3PluginGetInfo info3{};

  std::vector<HostCall> calls;
  int failAllocations = 0;  // the next N NewPtr/NewPtrClear calls return nil

  // Answers of the frame and filter services; unset hooks answer kPluginUnimplemented.
  std::function<HYPluginResult(int32_t frame, GWorldPtr* out, int16_t w, int16_t h,
                               HYRefDVQuality q, HYFrameCookie* cookie)> getFrame;
  std::function<HYPluginResult(HYFrameCookie cookie)> releaseFrame;
  std::function<HYPluginResult(PixMapHandle src, PixMapHandle dst, const Rect* sr,
                               const Rect* dr, int16_t opacity)> blit;
  std::function<HYPluginResult(HYFrameCookie cookie, int32_t level)> mixAudio;
  std::function<HYPluginResult(HYPluginFilterInfo** out)> getFilterInfo;
  std::function<HYPluginResult(HYPluginFilterInfo* info)> releaseFilterInfo;

  std::size_t Count(const std::string& name) const;
  const HostCall* Last(const std::string& name) const;
};

}  // namespace vantiro::test
