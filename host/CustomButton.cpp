#include "host/CustomButton.h"

#include <cstdint>

#include "dialog/configdlghandler.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/commonprocs.h"
#include "support/commonprocs.h"

namespace {

struct FrameSize {
  int16_t width, height;
};

FrameSize FrameSizeOf(int16_t mediaType) {
  switch (mediaType) {
    case kMediaPAL: return {720, 576};
    case kMediaHD: return {960, 540};
    default: return {720, 480};
  }
}

}  // namespace

HYPluginResult CustomButton(int16_t, PluginParams* params) {
  const int64_t frame = int64_t{params->renderFrame} + gMostRecentStartFrame;
  if (frame < INT32_MIN || frame > INT32_MAX) return kPluginBadParams;
  const FrameSize size = FrameSizeOf(GetMediaFormat(gPascalData));
  GWorldPtr theGW = nullptr;
  float volume = 0;
  HYFrameCookie cookie = nullptr;
  params->procs->GetFrame(params->instance, static_cast<int32_t>(frame), &theGW, size.width, size.height,
                          kDVHighQuality, &volume, &cookie);

  // Without a frame from the host the dialog still opens, on black, so that the
  // settings can be changed all the same.
  GWorldPtr black = nullptr;
  if (theGW == nullptr) {
    black = AllocateGWorld(size.width, size.height);
    Assert(black, "Unable to allocate a frame in CustomButton");
    ClearGW(black, RGBColor{0, 0, 0});
  }
  ConfigurePlugIn(gPascalData, black != nullptr ? black : theGW, params, static_cast<int32_t>(frame),
                  gMostRecentFrameCount);
  // Released whatever the fetch answered: a host may hand out a cookie with a failure too.
  params->procs->ReleaseFrame(params->instance, cookie);
  if (black != nullptr) DisposeGWorld(black);
  return kPluginOK;
}
