// The service table a host lends the plug-in. Memory comes from the platform's blocks and
// blitting from the host itself; services that need a clip (frames, sound, filter values)
// answer kPluginUnimplemented until a host fills them in.
#pragma once

#include "host/HostInterface.h"

namespace vantiro {

HYProcs MakeHostProcs();

// Draws `source` (its `sourceRect`) over `dest` (into `destRect`) at an opacity of 0..255.
HYPluginResult BlitPixMap(PixMapHandle source, PixMapHandle dest, const Rect* sourceRect,
                          const Rect* destRect, int16_t opacity);

// The interface version this host speaks.
inline constexpr int16_t kHostInterfaceVersion = 4;

// The info records and the parameter block a host hands the plug-in, filled in as every
// request needs them; the block points into the records, so it is neither copied nor moved.
struct HostRequest {
  HostRequest(HYProcs* procs, HYInstance instance);
  HostRequest(const HostRequest&) = delete;
  HostRequest& operator=(const HostRequest&) = delete;
  HYPluginGetInfo info1{};
  HY2PluginGetInfo info2{};
  HY3PluginGetInfo info3{};
  PluginParams params{};
};



}  // namespace vantiro
