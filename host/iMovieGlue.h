// Fetching frames of the clip from the host into buffers the plug-in owns.
#pragma once

#include <cstdint>

#include "host/HostInterface.h"

// Fetches frame `frameIndex` + the block's startFrame at the size of `theGW` and copies it
// into `theGW`, scaled if the host's frame differs in size, then releases it. The fetched
// frame is never touched after its release, so the last argument (whether to dispose of
// it) is accepted for the callers' sake and ignored. -1 for a negative frame number and
// kPluginBadParams for one beyond 32 bits (the host is not asked); the host's GetFrame
// result when no frame came back (`theGW` unchanged); otherwise the ReleaseFrame result.
int16_t GetFrameIntoGW(GWorldPtr theGW, PluginParams* params, int32_t frameIndex, int disposeAfterUse);
