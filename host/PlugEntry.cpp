#include "host/PlugEntry.h"

#include "host/EffectInfo.h"
#ifndef VANTIRO_PORTABLE_BUILD
#include "host/CustomButton.h"
#endif
#include "host/RenderPass.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "support/commonprocs.h"

namespace {

void InitPascal() {}

#ifdef VANTIRO_PORTABLE_BUILD
// Builds without windows have no settings dialog to open.
HYPluginResult CustomButton(int16_t, PluginParams*) { return kPluginUnimplemented; }
#endif

PlugHandler HandlerFor(HYPluginSelector selector) {
  switch (selector) {
    case kPlugGetInfo: return EffectGetInfo;
    case kPlugInitialize: return EffectBegin;
    case kPlugFilePlaceHolder: return MakeEffectPlaceHolder;
    case kPlugDoFrame: return EffectDrive;
    case kPlugTerminate: return EffectEnd;
    case kPlugCustomButtonClick: return CustomButton;
    default: return nullptr;
  }
}

}  // namespace

void InitPluginData(pluginDataPtr theConfig) {
  Assert(theConfig, "Nil theConfig on InitPluginData");
  ResetConfig(theConfig, true);
  ReadConfig(theConfig);
  SaveConfig(theConfig);
}

void InitMyPlugIn(pluginDataPtr* theData) {
  Assert(*theData, "Unable to allocate new data structure");
  // Read and written back under one lock, so a start never undoes another process's save.
  PrefsFileLock lock;
  EnsurePrefsFile();
  InitPluginData(*theData);
}

namespace {

int32_t Dispatch(int32_t which, PluginParams* params) {
  // A block without the host's allocator could not be served either; it counts as missing.
  if (params == nullptr || params->procs == nullptr || params->procs->NewPtrClear == nullptr)
    return kPluginBadParams;
  if (params->interfaceVersion <= 3) return kPluginAppIsTooOld;
  if (!gPascalInited) {
    InitPascal();
    gPascalInited = true;
  }
  if (gPascalData == nullptr) {
    uint32_t size = 0;
    pGetConfigSize(&size);
    gPascalData = reinterpret_cast<pluginDataPtr>(params->procs->NewPtrClear(size));
    InitMyPlugIn(&gPascalData);
  }
  const PlugHandler handler = HandlerFor(params->selector);
  if (handler == nullptr) return kPluginOK;
  return handler(static_cast<int16_t>(which), params);
}

}  // namespace

extern "C" int32_t PlugMain(int32_t which, PluginParams* params) {
  // Nothing may unwind into a host, which may not even be written in C++.
  try {
    return Dispatch(which, params);
  } catch (...) {
    return kPluginFailed;
  }
}
