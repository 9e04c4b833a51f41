// Renders a range of a clip through the plug-in, the way an editor renders a clip with a
// filter: kPlugInitialize, kPlugDoFrame for every frame, kPlugTerminate, with the clip's
// frames and sound served by a ClipHost, into a MediaWriter. Decoding and encoding run on
// threads of their own beside the plug-in, which is called from the calling thread only.
#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>

#include "app/ClipHost.h"
#include "app/PluginLoader.h"
#include "app/media/MediaWriter.h"

namespace vantiro {

struct RenderRequest {
  std::string input;
  std::string output;
  int64_t from = 0;
  int64_t frames = -1;  // -1: to the end of the clip
  FilterSettings filter;
  bool proxy = false;
  int width = 0, height = 0;  // 0: the clip's own size
  bool showProgress = false;
  // Called with the number of each frame rendered (0-based within the range), the source
  // picture and the rendered one (both `width` × `height`, 32-bit ARGB).
  std::function<void(int64_t, const uint8_t* source, const uint8_t* rendered, long rowBytes)> onFrame;
  // Once this turns true (from a signal handler, say), the render stops within a frame and
  // fails with the error "interrupted".
  const std::atomic<bool>* cancel = nullptr;
  // Faults for tests, each at a frame of the range counted from 0 (-1: none): decoding on
  // the decoder thread, passing the sound on from the plug-in's thread, writing on the
  // encoder thread.
  struct Faults {
    int64_t decode = -1, mixAudio = -1, encode = -1;
  } faults;
};

struct RenderReport {
  int64_t frames = 0;
  double seconds = 0;
  double pluginSeconds = 0;  // inside the plug-in, decoding excluded
  double decodeSeconds = 0;
  std::vector<std::string> outputs;
};

// False with `error` set; nothing is left at the output then.
bool Render(const Plugin& plugin, const RenderRequest& request, RenderReport* report, std::string* error);

std::string SummaryLine(const RenderReport& report);

}  // namespace vantiro
