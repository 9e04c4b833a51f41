// The Vantiro filter for frei0r hosts (FFmpeg's frei0r filter, MLT/melt, ...). It hosts the
// plug-in as vantiro does, through the bundle's exported entry only: each frei0r frame is
// the frame the plug-in fetches, and the plug-in's output becomes the frei0r output. The
// picture follows the user's saved Vantiro settings.
//
// Parameters (plain numbers, not 0..1 fractions):
//   fade-in      frames over which the effect fades in at the start of the clip (default 0)
//   fade-out     frames over which the effect fades out at its end (default 0; needs clip-length)
//   clip-length  the clip's length in frames; 0 when unknown (then there is no fade-out)
//   fps          frames per second, which turns the host's time into frame numbers (default 25)
//   milliseconds whether the host's time is in milliseconds rather than seconds: FFmpeg's
//                frei0r filter passes milliseconds (give y there), MLT passes seconds
extern "C" {
#include <frei0r.h>
}

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/HostServices.h"
#include "app/PluginLoader.h"
#include "platform/quickdraw/QuickDraw.h"

namespace {

using vantiro::Plugin;

constexpr int kParamCount = 5;
constexpr int32_t kUnknownLength = 1 << 30;

// The plug-in keeps process-wide state and takes one request at a time: instances that
// hosts run on several threads take turns.
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

struct Instance {
  unsigned width = 0, height = 0;
  double fadeIn = 0, fadeOut = 0, clipLength = 0, fps = 25;
  bool milliseconds = false;
  HYProcs procs = vantiro::MakeHostProcs();
  HYPluginGetInfo info1{};
  HY2PluginGetInfo info2{};
  HY3PluginGetInfo info3{};
  HYPluginFilterInfo filter{{0.5f, 0.5f, 0.5f}, 0, 0};
  PluginParams params{};
  GWorldPtr output = nullptr;
  GWorldPtr input = nullptr;  // the current frame, lent to the plug-in
  std::vector<GWorldPtr> scaled;  // frames made at another size during the current request
  bool passRunning = false;
  double passFadeIn = -1, passFadeOut = -1, passLength = -1;
};

Instance* From(HYInstance h) { return static_cast<Instance*>(h); }

// frei0r frames are RGBA bytes, straight alpha; rasters are ARGB bytes, premultiplied.
void ToRaster(const uint32_t* rgba, GWorldPtr gw, unsigned width, unsigned height) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  auto* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
  const long row = GetPixRowBytes(pm);
  const auto* in = reinterpret_cast<const uint8_t*>(rgba);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x, in += 4) {
      uint8_t* p = base + y * row + 4 * x;
      const unsigned a = in[3];
      p[0] = in[3];
      for (int c = 0; c < 3; ++c) p[1 + c] = static_cast<uint8_t>((in[c] * a + 127) / 255);
    }
}

void FromRaster(GWorldPtr gw, uint32_t* rgba, unsigned width, unsigned height) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  const auto* base = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm));
  const long row = GetPixRowBytes(pm);
  auto* out = reinterpret_cast<uint8_t*>(rgba);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x, out += 4) {
      const uint8_t* p = base + y * row + 4 * x;
      const unsigned a = p[0];
      for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (p[1 + c] * 255 + a / 2) / a));
      out[3] = p[0];
    }
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

int32_t Call(Instance* self, HYPluginSelector selector) {
  self->params.selector = selector;
  const int32_t result = gPlugin->Call(0, self->params);
  FreeScaled(self);
  return result;
}

// A pass runs while the parameters stay the same; changed fades or length begin a new one.
void EnsurePass(Instance* self) {
  if (self->passRunning && self->passFadeIn == self->fadeIn && self->passFadeOut == self->fadeOut &&
      self->passLength == self->clipLength)
    return;
  if (self->passRunning) Call(self, kPlugTerminate);
  self->filter.fadeInFrames = static_cast<int32_t>(std::clamp(self->fadeIn, 0.0, 1e9));
  self->filter.fadeOutFrames = static_cast<int32_t>(std::clamp(self->fadeOut, 0.0, 1e9));
  self->params.frameCount = self->clipLength >= 1 ? static_cast<int32_t>(std::min(self->clipLength, 1e9)) : kUnknownLength;
  self->passRunning = Call(self, kPlugInitialize) == kPluginOK;
  self->passFadeIn = self->fadeIn;
  self->passFadeOut = self->fadeOut;
  self->passLength = self->clipLength;
}

}  // namespace

extern "C" {

int f0r_init(void) {
  std::lock_guard lock(gPluginMutex);
  if (!gPlugin) gPlugin = Plugin::Load(BundlePath(), &gLoadError);
  return gPlugin ? 1 : 0;
}

void f0r_deinit(void) {}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  info->name = "vantiro";
  info->author = "Vantiro";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = 3;
  info->minor_version = 0;
  info->num_params = kParamCount;
  info->explanation = "Crops a rectangle of the picture, scales and rotates it over a background colour, "
                      "as set with 'vantiro configure' or 'vantiro settings'";
}

void f0r_get_param_info(f0r_param_info_t* info, int index) {
  static const f0r_param_info_t params[kParamCount] = {
      {"fade-in", F0R_PARAM_DOUBLE, "frames over which the effect fades in (0: none)"},
      {"fade-out", F0R_PARAM_DOUBLE, "frames over which the effect fades out at the clip's end (needs clip-length)"},
      {"clip-length", F0R_PARAM_DOUBLE, "length of the clip in frames (0: unknown, no fade-out)"},
      {"fps", F0R_PARAM_DOUBLE, "frames per second, to turn time into frame numbers (default 25)"},
      {"milliseconds", F0R_PARAM_BOOL, "the host's time is in milliseconds (FFmpeg) rather than seconds"}};
  if (index >= 0 && index < kParamCount) *info = params[index];
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
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
  PluginParams& p = self->params;
  p.interfaceVersion = vantiro::kHostInterfaceVersion;
  p.instance = self;
  p.procs = &self->procs;
  p.getInfo = &self->info1;
  p.getInfo2 = &self->info2;
  p.getInfo3 = &self->info3;
  p.frameRect = bounds;
  p.frame = self->output;
  return self;
}

void f0r_destruct(f0r_instance_t instance) {
  std::lock_guard lock(gPluginMutex);
  auto* self = static_cast<Instance*>(instance);
  if (self->passRunning) Call(self, kPlugTerminate);
  DisposeGWorld(self->output);
  VantiroSetGWorldLent(self->input, false);
  DisposeGWorld(self->input);
  delete self;
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  auto* self = static_cast<Instance*>(instance);
  const double v = *static_cast<const double*>(param);
  if (!std::isfinite(v)) return;
  switch (index) {
    case 0: self->fadeIn = std::max(0.0, v); break;
    case 1: self->fadeOut = std::max(0.0, v); break;
    case 2: self->clipLength = std::max(0.0, v); break;
    case 3: if (v > 0) self->fps = v; break;
    case 4: self->milliseconds = v >= 0.5; break;
    default: break;
  }
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  const auto* self = static_cast<Instance*>(instance);
  const double values[kParamCount] = {self->fadeIn, self->fadeOut, self->clipLength, self->fps,
                                      self->milliseconds ? 1.0 : 0.0};
  if (index >= 0 && index < kParamCount) *static_cast<double*>(param) = values[index];
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
  std::lock_guard lock(gPluginMutex);
  auto* self = static_cast<Instance*>(instance);
  ToRaster(inframe, self->input, self->width, self->height);
  EnsurePass(self);
  const double seconds = self->milliseconds ? time / 1000.0 : time;
  self->params.renderFrame = static_cast<int32_t>(std::clamp(std::llround(seconds * self->fps), 0LL, 1LL << 30));
  if (!self->passRunning || Call(self, kPlugDoFrame) != kPluginOK) {
    // Nothing rendered: pass the picture through rather than show garbage.
    std::memcpy(outframe, inframe, size_t(self->width) * self->height * 4);
    return;
  }
  FromRaster(self->output, outframe, self->width, self->height);
}

}  // extern "C"
