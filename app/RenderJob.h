// Renders a range of a clip through the plug-in, the way an editor renders a clip with a
// filter: kPlugInitialize, kPlugDoFrame for every frame, kPlugTerminate, with the clip's
// frames and sound served by a ClipHost, into a MediaWriter.
#pragma once

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
