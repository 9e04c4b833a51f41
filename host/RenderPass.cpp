#include "host/RenderPass.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstring>

#include "host/InstanceSettings.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/callpixelfx.h"

namespace {

EffectData* PassOf(PluginParams* params) { return static_cast<EffectData*>(params->clientData); }

Rect AtOrigin(const Rect& r) {
  return Rect{0, 0, static_cast<int16_t>(r.bottom - r.top), static_cast<int16_t>(r.right - r.left)};
}

void ClampFades(EffectData* pass, int32_t n) {
  int32_t& fi = pass->fadeInFrames;
  int32_t& fo = pass->fadeOutFrames;
  if (fi != 0 && fo != 0) {
    fi = std::min(fi, n / 2);
    fo = std::min(fo, n / 2);
  } else {
    if (fi != 0) fi = std::min(fi, n);
    if (fo != 0) fo = std::min(fo, n);
  }
}

// Frees what a pass that was never ended still holds, before its record is reused.
void ReleasePassContents(EffectData* pass, const HYProcs* procs) {
  if (pass->effectGWorld != nullptr) DisposeGWorld(pass->effectGWorld);
  pass->effectGWorld = nullptr;
  if (pass->pascalData != nullptr) {
    pUncopyConfig(pass->pascalData);
    procs->DisposePtr(reinterpret_cast<Ptr>(pass->pascalData));
  }
  pass->pascalData = nullptr;
}

HYPluginResult FromAllocationError(OSErr err) {
  if (err == noErr) return kPluginOK;
  return err == memFullErr ? kPluginOutOfMemory : kPluginFailed;
}

}  // namespace

bool IsFaded(int32_t r, int32_t n, int32_t fadeIn, int32_t fadeOut) {
  return (fadeIn > 0 || fadeOut != 0) && (r < fadeIn || static_cast<int64_t>(r) > static_cast<int64_t>(n) - fadeOut);
}

int16_t FadeOpacity(int32_t r, int32_t n, int32_t fadeIn, int32_t fadeOut) {
  const bool fadingIn = r < fadeIn;
  const double part = fadingIn ? double(r) : double(n) - r;
  const double length = fadingIn ? fadeIn : fadeOut;
  // A frame outside the clip on a side without a fade shows the source unchanged.
  if (length == 0) return 255;
  const double opacity = std::trunc(255.0 * (1.0 - part / length));
  return static_cast<int16_t>(std::clamp(opacity, 0.0, 255.0));
}

HYPluginResult EffectBegin(int16_t, PluginParams* params) {
  const HYProcs* procs = params->procs;
  if (params->clientData == nullptr) {
    params->clientData = procs->NewPtrClear(sizeof(EffectData));
    if (params->clientData == nullptr) return kPluginOutOfMemory;
  }
  EffectData* pass = PassOf(params);
  ReleasePassContents(pass, procs);

  uint32_t size = 0;
  pGetConfigSize(&size);
  pass->pascalData = reinterpret_cast<pluginDataPtr>(procs->NewPtrClear(size));
  if (pass->pascalData == nullptr) return kPluginOutOfMemory;
  pCopyConfig(gPascalData, pass->pascalData);
  OverlayInstanceSettings(params, pass->pascalData);
  pass->effectSourceCount = 1;

  // Without a record from the host there are no fades and the sliders rest at 0.
  HYPluginFilterInfo* info = nullptr;
  HYPluginResult result = kPluginOK;
  if (procs->GetFilterInfo != nullptr) result = procs->GetFilterInfo(params->instance, &info);
  pass->fadeInFrames = info != nullptr ? info->fadeInFrames : 0;
  pass->fadeOutFrames = info != nullptr ? info->fadeOutFrames : 0;
  for (int i = 0; i < 3; ++i) pass->sliderValues[i] = info != nullptr ? info->sliderValues[i] : 0.0f;
  if (info != nullptr && procs->ReleaseFilterInfo != nullptr) procs->ReleaseFilterInfo(params->instance, info);

  ClampFades(pass, params->frameCount);
  pass->effectGWorld = nullptr;
  return result;
}

HYPluginResult EffectDrive(int16_t, PluginParams* params) {
  EffectData* pass = PassOf(params);
  // A pass whose configuration copy failed has nothing to render with, and a frame with
  // no output buffer nowhere to render to.
  if (pass == nullptr || pass->pascalData == nullptr || params->frame == nullptr) return kPluginBadParams;
  const HYProcs* procs = params->procs;
  vantiro::PortScope savedPort(params->frame);

  const auto width = static_cast<int16_t>(params->frameRect.right - params->frameRect.left);
  const auto height = static_cast<int16_t>(params->frameRect.bottom - params->frameRect.top);
  const int32_t r = params->renderFrame, n = params->frameCount;
  const int64_t frameNumber = int64_t{params->startFrame} + r;
  gMostRecentStartFrame = params->startFrame;
  gMostRecentFrameCount = n;
  if (frameNumber < 0) return kPluginOK;
  if (frameNumber > INT32_MAX) return kPluginBadParams;

  const HYRefDVQuality quality = params->proxyOnly && height <= 259 ? kDVLowQuality : kDVHighQuality;
  GWorldPtr source = nullptr;
  float volume = 0;
  HYFrameCookie cookie = nullptr;
  HYPluginResult result =
      procs->GetFrame(params->instance, static_cast<int32_t>(frameNumber), &source, width, height, quality, &volume, &cookie);

  GWorldPtr sourceCopy = nullptr;
  bool copyFailed = false;
  if (result == kPluginOK) {
    const Rect r0 = AtOrigin(params->frameRect);
    int16_t opacity = 0;
    if (IsFaded(r, n, pass->fadeInFrames, pass->fadeOutFrames)) {
      copyFailed = NewGWorld(&sourceCopy, 32, &r0, nullptr, nullptr, 0) != noErr;
      if (!copyFailed) {
        LockPixels(GetGWorldPixMap(sourceCopy));
        CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(sourceCopy), &r0, &r0, srcCopy, nullptr);
        opacity = FadeOpacity(r, n, pass->fadeInFrames, pass->fadeOutFrames);
      }
    }
    if (!copyFailed) result = ApplyEffect(source, params);
    if (!copyFailed && result == kPluginOK && sourceCopy != nullptr) {
      Rect sourceBounds;
      GetPortBounds(source, &sourceBounds);
      result = procs->Blit(GetGWorldPixMap(sourceCopy), GetGWorldPixMap(params->frame), &sourceBounds,
                           &params->frameRect, opacity);
    }
    if (!copyFailed && result == kPluginOK && !params->proxyOnly)
      result = procs->MixAudio(params->instance, cookie, 256);
  }
  const HYPluginResult released = procs->ReleaseFrame(params->instance, cookie);
  if (result == kPluginOK) result = released;
  if (sourceCopy != nullptr) DisposeGWorld(sourceCopy);
  if (result == kPluginOK && copyFailed) result = kPluginFailed;
  return result;
}

HYPluginResult ApplyEffect(GWorldPtr sourceFrame, PluginParams* params) {
  EffectData* pass = PassOf(params);
  Rect r0;
  GetPortBounds(sourceFrame, &r0);
  r0 = AtOrigin(r0);
  PixMapHandle sourcePixels = GetGWorldPixMap(sourceFrame);
  PixMapHandle outputPixels = GetGWorldPixMap(params->frame);
  const GWorldFlags sourceState = GetPixelsState(sourcePixels);
  const GWorldFlags outputState = GetPixelsState(outputPixels);
  LockPixels(sourcePixels);

  const OSErr err = NewGWorld(&pass->effectGWorld, 32, &r0, nullptr, nullptr, 0);
  if (err == noErr) {
    PixMapHandle scratchPixels = GetGWorldPixMap(pass->effectGWorld);
    LockPixels(scratchPixels);
    CopyBits(GetPortBitMapForCopyBits(sourceFrame), GetPortBitMapForCopyBits(pass->effectGWorld), &r0, &r0,
             srcCopy, nullptr);
    ApplyLineArtEffect(sourceFrame, pass->effectGWorld, params);
    LockPixels(outputPixels);
    CopyBits(GetPortBitMapForCopyBits(pass->effectGWorld), GetPortBitMapForCopyBits(params->frame), &r0,
             &params->frameRect, srcCopy, nullptr);
  }
  SetPixelsState(sourcePixels, sourceState);
  SetPixelsState(outputPixels, outputState);
  if (pass->effectGWorld != nullptr) DisposeGWorld(pass->effectGWorld);
  pass->effectGWorld = nullptr;
  return FromAllocationError(err);
}

void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, PluginParams* params) {
  EffectData* pass = PassOf(params);
  vantiro::PortScope savedPort(targetFrame);
  int16_t opacity = 0;
  DoEffect(pass->pascalData, params, sourceFrame, targetFrame, params->renderFrame, pass->fadeInFrames,
           pass->fadeOutFrames, params->frameCount, pass->sliderValues[0], pass->sliderValues[1],
           pass->sliderValues[2], &opacity);
}

HYPluginResult EffectEnd(int16_t, PluginParams* params) {
  EffectData* pass = PassOf(params);
  if (pass == nullptr) return kPluginOK;
  ReleasePassContents(pass, params->procs);
  params->procs->DisposePtr(reinterpret_cast<Ptr>(pass));
  params->clientData = nullptr;
  return kPluginOK;
}

HYPluginResult MakeEffectPlaceHolder(int16_t which, PluginParams* params) {
  vantiro::PortScope savedPort(params->frame);
  PluginParams local = *params;
  // The placeholder is a pass of its own: it never touches a pass the caller may be running.
  local.clientData = nullptr;
  local.renderFrame = local.getInfo != nullptr ? local.getInfo->bestThumbOffset : 0;
  local.selector = kPlugInitialize;
  const HYPluginResult begun = EffectBegin(which, &local);
  if (begun != kPluginOK) {
    EffectEnd(which, &local);
    return begun;
  }
  local.selector = kPlugDoFrame;
  EffectDrive(which, &local);
  local.selector = kPlugTerminate;
  EffectEnd(which, &local);
  return kPluginOK;
}
