// The Vantiro filter for frei0r hosts (FFmpeg's frei0r filter, MLT and its editors,
// GStreamer's frei0r elements). It hosts the plug-in as vantiro does, through the bundle's
// exported entry only: each frei0r frame is the frame the plug-in fetches, and the plug-in's
// output becomes the frei0r output. Every instance renders its own parameters (Parameters.h),
// handed over through the GetEffectSettings service; the saved settings are one option.
// The f0r_ entry points, declared here, are the only symbols the module exports.
#pragma GCC visibility push(default)
extern "C" {
#include <frei0r.h>
}
#pragma GCC visibility pop

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/HostServices.h"
#include "app/PluginLoader.h"
#include "frei0r/Parameters.h"
#include "frei0r/PixelOrder.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

using vantiro::Plugin;
namespace f0r = vantiro::frei0r;

constexpr int32_t kUnknownLength = 1 << 30;
// The interface version that carries GetEffectSettings.
constexpr int16_t kInterfaceVersion = 5;

// The plug-in keeps process-wide state (its master record, the clip position it records for
// the custom button, the platform's current drawing port) and takes one request at a time:
// its calls take turns on this lock, also for instances with settings of their own, since
// two passes at once would draw through one port. Converting pixels in and out needs only
// the instance, so that runs outside it, in parallel across instances.
std::mutex gPluginMutex;
std::unique_ptr<Plugin> gPlugin;
std::string gLoadError;

void Anchor() {}

// The bundle installed beside this library: <dir>/../vantiro/pelmora.bundle, unless
// VANTIRO_BUNDLE names another.
std::string BundlePath() {
  if (const char* env = std::getenv("VANTIRO_BUNDLE"); env != nullptr && env[0] != '\0') return env;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Anchor), &info) == 0 || info.dli_fname == nullptr) return {};
  return (std::filesystem::path(info.dli_fname).parent_path().parent_path() / "vantiro" / "pelmora.bundle").string();
}

// What a pass was begun with; a change begins a new pass, so keyframed values take effect
// on the very next frame.
struct PassKey {
  double fadeIn = -1, fadeOut = -1, clipLength = -1;
  bool useSaved = false;
  HYPluginEffectSettings settings{};
  bool operator==(const PassKey& o) const {
    return fadeIn == o.fadeIn && fadeOut == o.fadeOut && clipLength == o.clipLength && useSaved == o.useSaved &&
           std::memcmp(&settings, &o.settings, sizeof settings) == 0;
  }
};

struct Instance {
  unsigned width = 0, height = 0;
  std::mutex mutex;  // hosts may call one instance from several threads
  f0r::Values values;
  unsigned reported = 0;  // parameters whose bad value was already reported
  HYProcs procs = vantiro::MakeHostProcs();
  HYPluginGetInfo info1{};
  HY2PluginGetInfo info2{};
  HY3PluginGetInfo info3{};
  HYPluginFilterInfo filter{{0.5f, 0.5f, 0.5f}, 0, 0};
  PluginParams params{};
  GWorldPtr output = nullptr;
  GWorldPtr input = nullptr;      // the current frame, lent to the plug-in
  std::vector<GWorldPtr> scaled;  // frames made at another size during the current request
  bool passRunning = false;
  PassKey pass;
  // The clip's first time in milliseconds mode: FFmpeg's stream time need not start at 0.
  double origin = NAN;
  // Slices: the same time again with the input right after (or before) the last one.
  double lastTime = NAN;
  const uint32_t* lastInput = nullptr;
  bool sliced = false;
};

Instance* From(HYInstance h) { return static_cast<Instance*>(h); }

uint8_t* Pixels(GWorldPtr gw, std::ptrdiff_t* rowBytes) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  *rowBytes = GetPixRowBytes(pm);
  return reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
}

HYPluginResult GetFrame(HYInstance h, int32_t, GWorldPtr* out, int16_t width, int16_t height,
                        HYRefDVQuality, float* volume, HYFrameCookie* cookie) {
  Instance* self = From(h);
  if (out == nullptr || cookie == nullptr) return kPluginBadParams;
  // frei0r hands over exactly one frame: lent as it is, or scaled to another size. Lent
  // frames survive a DisposeGWorld by the plug-in; this host frees them itself.
  GWorldPtr frame = self->input;
  const Rect bounds{0, 0, height, width};
  Rect inputBounds;
  GetPortBounds(self->input, &inputBounds);
  if (inputBounds.right != width || inputBounds.bottom != height) {
    if (NewGWorld(&frame, 32, &bounds, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    CopyBits(GetPortBitMapForCopyBits(self->input), GetPortBitMapForCopyBits(frame), &inputBounds, &bounds,
             srcCopy, nullptr);
    VantiroSetGWorldLent(frame, true);
    self->scaled.push_back(frame);
  }
  *out = frame;
  *cookie = frame;
  if (volume != nullptr) *volume = 1.0f;
  return kPluginOK;
}

// Frames stay alive until the request is over (FreeScaled): the plug-in may dispose of a
// frame right after releasing it.
HYPluginResult ReleaseFrame(HYInstance, HYFrameCookie) { return kPluginOK; }

void FreeScaled(Instance* self) {
  for (GWorldPtr gw : self->scaled) {
    VantiroSetGWorldLent(gw, false);
    DisposeGWorld(gw);
  }
  self->scaled.clear();
}

HYPluginResult GetFilterInfo(HYInstance h, HYPluginFilterInfo** out) {
  *out = &From(h)->filter;
  return kPluginOK;
}

HYPluginResult ReleaseFilterInfo(HYInstance, HYPluginFilterInfo*) { return kPluginOK; }

// frei0r carries no sound.
HYPluginResult MixAudio(HYInstance, HYFrameCookie, int32_t) { return kPluginOK; }

// The instance's parameters, unless it asks for the saved settings.
HYPluginResult GetEffectSettings(HYInstance h, HYPluginEffectSettings* out) {
  const Instance* self = From(h);
  if (out == nullptr || self->pass.useSaved) return kPluginUnimplemented;
  *out = self->pass.settings;
  return kPluginOK;
}

// Callers hold gPluginMutex.
int32_t Call(Instance* self, HYPluginSelector selector) {
  self->params.selector = selector;
  const int32_t result = gPlugin->Call(0, self->params);
  FreeScaled(self);
  return result;
}

PassKey KeyOf(const f0r::Values& v) {
  PassKey key;
  key.fadeIn = v.fadeIn;
  key.fadeOut = v.fadeOut;
  key.clipLength = v.clipLength;
  key.useSaved = v.useSavedSettings;
  if (!key.useSaved) key.settings = f0r::EffectSettings(v);
  return key;
}

// A pass runs while the parameters stay the same; any change begins a new one. Callers hold
// gPluginMutex.
void EnsurePass(Instance* self) {
  const PassKey key = KeyOf(self->values);
  if (self->passRunning && self->pass == key) return;
  if (self->passRunning) Call(self, kPlugTerminate);
  self->pass = key;
  self->filter.fadeInFrames = static_cast<int32_t>(key.fadeIn);
  self->filter.fadeOutFrames = static_cast<int32_t>(key.fadeOut);
  self->params.frameCount = key.clipLength >= 1 ? static_cast<int32_t>(key.clipLength) : kUnknownLength;
  self->passRunning = Call(self, kPlugInitialize) == kPluginOK;
}

int32_t FrameNumber(Instance* self, double time) {
  double seconds = time;
  if (self->values.milliseconds) {
    if (std::isnan(self->origin)) self->origin = time;
    seconds = (time - self->origin) / 1000.0;
  }
  const double frame = std::round(seconds * self->values.fps);
  return std::isfinite(frame) ? static_cast<int32_t>(std::clamp(frame, 0.0, double(1 << 30))) : 0;
}

// A host that cuts the frame into slices (MLT, when a filter's threads property is set to
// anything but 1) gives the instance the slice's size and calls it once per slice with the same time, the
// slices lying one after the other in memory. A geometric filter cannot render a slice.
bool IsSlice(Instance* self, double time, const uint32_t* in) {
  // Addresses as numbers: the host's buffers are not one array.
  const std::uintptr_t bytes = std::uintptr_t(self->width) * self->height * 4;
  const auto now = reinterpret_cast<std::uintptr_t>(in), last = reinterpret_cast<std::uintptr_t>(self->lastInput);
  const bool adjacent = self->lastInput != nullptr && (now == last + bytes || now + bytes == last);
  if (time == self->lastTime && adjacent && !self->sliced) {
    self->sliced = true;
    std::fprintf(stderr,
                 "vantiro: the host hands this filter slices of the frame (%ux%u); a slice cannot be cropped, "
                 "scaled or turned, so frames pass unchanged. In MLT set the filter's threads=1.\n",
                 self->width, self->height);
  }
  self->lastTime = time;
  self->lastInput = in;
  return self->sliced;
}

// One frame: the instance's own settings, or the picture passed through when nothing could
// be rendered.
void Update(Instance* self, double time, const uint32_t* inframe, uint32_t* outframe) {
  std::lock_guard instanceLock(self->mutex);
  const std::size_t bytes = std::size_t(self->width) * self->height * 4;
  if (IsSlice(self, time, inframe)) {
    if (outframe != inframe) std::memmove(outframe, inframe, bytes);
    return;
  }
  std::ptrdiff_t rowBytes = 0;
  uint8_t* input = Pixels(self->input, &rowBytes);
  f0r::RgbaToRaster(inframe, input, rowBytes, self->width, self->height);
  bool rendered = false;
  {
    std::lock_guard lock(gPluginMutex);
    EnsurePass(self);
    self->params.renderFrame = FrameNumber(self, time);
    rendered = self->passRunning && Call(self, kPlugDoFrame) == kPluginOK;
  }
  if (!rendered) {
    // Nothing rendered: pass the picture through rather than show garbage.
    if (outframe != inframe) std::memmove(outframe, inframe, bytes);
    return;
  }
  const uint8_t* output = Pixels(self->output, &rowBytes);
  f0r::RasterToRgba(output, rowBytes, outframe, self->width, self->height);
}

// The hosts are C: an exception reaching them would end their process. Every entry point
// runs its body through one of these and answers `fallback` instead.
template <typename R, typename F>
R Guarded(R fallback, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

template <typename F>
void Guarded(F&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace

extern "C" {

int f0r_init(void) {
  return Guarded(0, [&] {
    std::lock_guard lock(gPluginMutex);
    if (!gPlugin) gPlugin = Plugin::Load(BundlePath(), &gLoadError);
    if (!gPlugin) std::fprintf(stderr, "vantiro: %s\n", gLoadError.c_str());
    return gPlugin ? 1 : 0;
  });
}

void f0r_deinit(void) {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  info->name = "vantiro";
  info->author = "Vantiro";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = 3;
  info->minor_version = 1;
  info->num_params = f0r::kParamCount;
  info->explanation = "Crops a rectangle of the picture, scales and rotates it over a background colour";
}

void f0r_get_param_info(f0r_param_info_t* info, int index) {
  if (const f0r_param_info_t* p = f0r::ParamInfo(index); p != nullptr && info != nullptr) *info = *p;
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  return Guarded(f0r_instance_t{}, [&]() -> f0r_instance_t {
    std::lock_guard lock(gPluginMutex);
    if (!gPlugin || width == 0 || height == 0 || width > 16384 || height > 16384) return nullptr;
    auto* self = new Instance();
    self->width = width;
    self->height = height;
    const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    if (NewGWorld(&self->output, 32, &bounds, nullptr, nullptr, 0) != noErr ||
        NewGWorld(&self->input, 32, &bounds, nullptr, nullptr, 0) != noErr) {
      DisposeGWorld(self->output);
      delete self;
      return nullptr;
    }
    VantiroSetGWorldLent(self->input, true);
    self->procs.GetFrame = GetFrame;
    self->procs.ReleaseFrame = ReleaseFrame;
    self->procs.GetFilterInfo = GetFilterInfo;
    self->procs.ReleaseFilterInfo = ReleaseFilterInfo;
    self->procs.MixAudio = MixAudio;
    self->procs.GetEffectSettings = GetEffectSettings;
    PluginParams& p = self->params;
    p.interfaceVersion = kInterfaceVersion;
    p.instance = self;
    p.procs = &self->procs;
    p.getInfo = &self->info1;
    p.getInfo2 = &self->info2;
    p.getInfo3 = &self->info3;
    p.frameRect = bounds;
    p.frame = self->output;
    return self;
  });
}

void f0r_destruct(f0r_instance_t instance) {
  Guarded([&] {
    auto* self = static_cast<Instance*>(instance);
    if (self == nullptr) return;
    std::lock_guard lock(gPluginMutex);
    if (self->passRunning) Call(self, kPlugTerminate);
    DisposeGWorld(self->output);
    VantiroSetGWorldLent(self->input, false);
    DisposeGWorld(self->input);
    delete self;
  });
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  Guarded([&] {
    auto* self = static_cast<Instance*>(instance);
    if (self == nullptr) return;
    std::lock_guard lock(self->mutex);
    const std::string problem = f0r::SetParam(self->values, index, param);
    // Keyframes set a parameter every frame: say what is wrong with it once.
    const unsigned bit = index >= 0 && index < f0r::kParamCount ? 1u << index : 1u << 31;
    if (!problem.empty() && (self->reported & bit) == 0) {
      self->reported |= bit;
      std::fprintf(stderr, "%s\n", problem.c_str());
    }
  });
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  Guarded([&] {
    auto* self = static_cast<Instance*>(instance);
    if (self == nullptr) return;
    std::lock_guard lock(self->mutex);
    f0r::GetParam(self->values, index, param);
  });
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
  auto* self = static_cast<Instance*>(instance);
  if (self == nullptr || inframe == nullptr || outframe == nullptr) return;
  if (!Guarded(false, [&] { return Update(self, time, inframe, outframe), true; }) && outframe != inframe)
    std::memmove(outframe, inframe, std::size_t(self->width) * self->height * 4);
}

}  // extern "C"
