#include "host/iMovieGlue.h"

#include <cstdint>

#include "platform/quickdraw/QuickDraw.h"
#include "render/commonprocs.h"

int16_t GetFrameIntoGW(GWorldPtr theGW, PluginParams* params, int32_t frameIndex, int) {
  const Rect r = GetPortRect(theGW);
  int32_t width = 0, height = 0;
  GetDims(r, width, height);
  const int64_t n = int64_t{frameIndex} + params->startFrame;
  if (n < 0) return -1;
  if (n > INT32_MAX) return kPluginBadParams;
  // Proxies below 260 lines are fetched fast, as the render pass fetches them.
  const HYRefDVQuality quality = params->proxyOnly && height <= 259 ? kDVLowQuality : kDVHighQuality;
  GWorldPtr fetched = nullptr;
  float volume = 0;
  HYFrameCookie cookie = nullptr;
  int16_t result = params->procs->GetFrame(params->instance, static_cast<int32_t>(n), &fetched,
                                           static_cast<int16_t>(width), static_cast<int16_t>(height), quality,
                                           &volume, &cookie);
  if (fetched != nullptr) {
    const Rect from = GetPortRect(fetched);
    CopyBits(GetPortBitMapForCopyBits(fetched), GetPortBitMapForCopyBits(theGW), &from, &r, srcCopy, nullptr);
    // The frame is the host's again from here on: it may already be gone.
    result = params->procs->ReleaseFrame(params->instance, cookie);
  }
  return result;
}
