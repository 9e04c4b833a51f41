// A host for benchmarks: it serves every frame from memory (no codec), so a render pass
// measures the plug-in alone. The frame is lent as it is; blitting is the host's own.
#pragma once

#include <string>

#include "app/HostServices.h"
#include "app/PluginLoader.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro::bench {

class MemoryHost {
 public:
  MemoryHost(int width, int height, int32_t fadeIn, int32_t fadeOut, int32_t frameCount);
  ~MemoryHost();

  // Runs kPlugInitialize once, then kPlugDoFrame for `frame`, which must succeed.
  void RenderFrame(const Plugin& plugin, int32_t frame);
  void End(const Plugin& plugin);
  GWorldPtr output() const { return output_; }

 private:
  static HYPluginResult GetFrame(HYInstance, int32_t, GWorldPtr*, int16_t, int16_t, HYRefDVQuality, float*,
                                 HYFrameCookie*);
  static HYPluginResult ReleaseFrame(HYInstance, HYFrameCookie) { return kPluginOK; }
  static HYPluginResult MixAudio(HYInstance, HYFrameCookie, int32_t) { return kPluginOK; }
  static HYPluginResult GetFilterInfo(HYInstance, HYPluginFilterInfo** out);
  static HYPluginResult ReleaseFilterInfo(HYInstance, HYPluginFilterInfo*) { return kPluginOK; }

  GWorldPtr source_ = nullptr;
  GWorldPtr output_ = nullptr;
  HYPluginFilterInfo filter_{};
  HYProcs procs_{};
  HostRequest request_{&procs_, this};
  PluginParams& params_ = request_.params;
  bool begun_ = false;
};

// The bundle of this build: bench/../lib/vantiro/pelmora.bundle beside the program.
std::unique_ptr<Plugin> LoadBuiltPlugin();

// Points the plug-in at a private settings folder holding `configure`'s settings.
void UseSettings(const std::string& settingsArgs);

}  // namespace vantiro::bench
