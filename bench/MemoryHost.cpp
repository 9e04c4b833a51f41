#include "bench/MemoryHost.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vantiro::bench {

MemoryHost::MemoryHost(int width, int height, int32_t fadeIn, int32_t fadeOut, int32_t frameCount) {
  const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  NewGWorld(&source_, 32, &bounds, nullptr, nullptr, 0);
  NewGWorld(&output_, 32, &bounds, nullptr, nullptr, 0);
  // An opaque, busy picture: every pixel differs from its neighbours.
  PixMapHandle pm = GetGWorldPixMap(source_);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
    for (int x = 0; x < width; ++x) {
      row[4 * x] = 255;
      row[4 * x + 1] = static_cast<uint8_t>(x * 7 + y);
      row[4 * x + 2] = static_cast<uint8_t>(y * 5);
      row[4 * x + 3] = static_cast<uint8_t>((x ^ y) * 3);
    }
  }
  VantiroSetGWorldLent(source_, true);
  filter_ = HYPluginFilterInfo{{0.5f, 0.5f, 0.5f}, fadeIn, fadeOut};
  procs_ = MakeHostProcs();
  procs_.GetFrame = GetFrame;
  procs_.ReleaseFrame = ReleaseFrame;
  procs_.MixAudio = MixAudio;
  procs_.GetFilterInfo = GetFilterInfo;
  procs_.ReleaseFilterInfo = ReleaseFilterInfo;
  params_.frameCount = frameCount;
  params_.frameRect = bounds;
  params_.frame = output_;
}

MemoryHost::~MemoryHost() {
  VantiroSetGWorldLent(source_, false);
  DisposeGWorld(source_);
  DisposeGWorld(output_);
}

HYPluginResult MemoryHost::GetFrame(HYInstance h, int32_t, GWorldPtr* out, int16_t, int16_t, HYRefDVQuality,
                                    float*, HYFrameCookie* cookie) {
  *out = static_cast<MemoryHost*>(h)->source_;
  *cookie = h;
  return kPluginOK;
}

HYPluginResult MemoryHost::GetFilterInfo(HYInstance h, HYPluginFilterInfo** out) {
  *out = &static_cast<MemoryHost*>(h)->filter_;
  return kPluginOK;
}

void MemoryHost::RenderFrame(const Plugin& plugin, int32_t frame) {
  if (!begun_) {
    params_.selector = kPlugInitialize;
    if (plugin.Call(0, params_) != kPluginOK) throw std::runtime_error("the pass did not begin");
    begun_ = true;
  }
  params_.selector = kPlugDoFrame;
  params_.renderFrame = frame;
  if (plugin.Call(0, params_) != kPluginOK) throw std::runtime_error("a frame failed");
}

void MemoryHost::End(const Plugin& plugin) {
  params_.selector = kPlugTerminate;
  plugin.Call(0, params_);
  begun_ = false;
}

std::unique_ptr<Plugin> LoadBuiltPlugin() {
  std::string error;
  auto plugin = Plugin::Load(DefaultBundlePath(), &error);
  if (!plugin) throw std::runtime_error(error);
  return plugin;
}

void UseSettings(const std::string& settingsArgs) {
  static std::string folder;
  if (folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantiro-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    folder = pattern;
  }
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  const std::string program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vantiro").string();
  const std::string cmd = program + " settings --reset " + settingsArgs + " >/dev/null";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot write the settings: " + cmd);
}

}  // namespace vantiro::bench
