// vantiro configure: the settings dialog on a frame of a clip, opened the way an editor
// opens it. The frame is rendered once, as the editor's preview would render it, then
// the filter's custom button is pressed; the dialog runs inside that request.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <optional>

#include "app/ClipHost.h"
#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/DemoClip.h"
#include "app/HostServices.h"
#include "app/PluginLoader.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/windows/Application.h"

namespace fs = std::filesystem;

namespace vantiro {
namespace {

int16_t MediaTypeNamed(const std::string& name) {
  if (name == "ntsc") return 1;
  if (name == "pal") return 2;
  if (name == "hd") return 3;
  throw UsageError("--format takes ntsc, pal or hd");
}

// The saved video format decides the size of the frame the dialog opens on, so it is
// stored before the plug-in reads its settings.
void SaveMediaType(int16_t mediaType) {
  pluginDataPtr config = nullptr;
  pNewConfig(&config);
  ResetConfig(config, true);
  ReadConfig(config);
  config->mediaType = mediaType;
  EnsurePrefsFile();
  const bool saved = SaveConfig(config);
  pDestroyConfig(config);
  if (!saved) throw Failure("cannot save the video format in the settings file (does the preferences folder exist?)");
}

std::string SettingsBytes() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const fs::path folder = xdg != nullptr && xdg[0] == '/' ? fs::path(xdg) : fs::path(home ? home : "") / ".config";
  std::ifstream file(folder / "vloqa-Prefs", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The built-in clip, written for this run and removed afterwards.
class DemoClipFile {
 public:
  DemoClipFile() {
    path_ = (fs::temp_directory_path() / ("vantiro-configure-" + std::to_string(getpid()) + ".mp4")).string();
    DemoClipShape shape;
    shape.frames = 90;
    std::string error;
    if (!WriteDemoClip(path_, shape, &error)) throw Failure(error);
  }
  ~DemoClipFile() { std::remove(path_.c_str()); }
  DemoClipFile(const DemoClipFile&) = delete;
  DemoClipFile& operator=(const DemoClipFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

int RunConfigure(const Args& args, const std::string& bundle) {
  CommandLine cl(args, {"--at", "--format"}, {});
  cl.ExpectPositional(0, 1, "vantiro configure [IN] [--at FRAME] [--format ntsc|pal|hd]");
  const auto format = cl.Value("--format");
  const int16_t mediaType = format ? MediaTypeNamed(*format) : 0;  // 0: keep the saved one
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!DisplayAvailable() && (platform == nullptr || std::string(platform) != "offscreen"))
    throw Failure("the settings dialog needs a display: set DISPLAY, or run under xvfb-run");

  std::optional<DemoClipFile> demo;
  std::string input;
  if (cl.positional().empty()) {
    std::cerr << "vantiro: making the built-in clip\n";
    input = demo.emplace().path();
  } else {
    input = cl.positional()[0];
    std::error_code ec;
    if (!fs::exists(input, ec)) throw Failure(input + " does not exist");
  }
  std::string error;
  auto video = VideoReader::Open(input, &error);
  if (!video) throw Failure(error);
  const VideoInfo& info = video->info();
  const int64_t at = cl.Integer("--at", 0, 0, info.frameCount - 1);
  if (mediaType != 0) SaveMediaType(mediaType);

  auto plugin = Plugin::Load(bundle, &error);
  if (!plugin) throw Failure(error);
  ClipHost host(video.get(), nullptr, FilterSettings{});
  GWorldPtr preview = nullptr;
  const Rect bounds{0, 0, static_cast<int16_t>(info.height), static_cast<int16_t>(info.width)};
  if (NewGWorld(&preview, 32, &bounds, nullptr, nullptr, 0) != noErr) throw Failure("out of memory");

  HostRequest call(host.procs(), host.instance());
  PluginParams& params = call.params;
  // The clip as the editor's preview sees it: from the chosen frame to the end, so the
  // dialog's clip slider runs over those frames.
  params.startFrame = static_cast<int32_t>(at);
  params.renderFrame = 0;
  params.frameCount = static_cast<int32_t>(info.frameCount - at);
  params.frameRect = bounds;
  params.frame = preview;
  int32_t result = kPluginOK;
  for (HYPluginSelector selector : {kPlugInitialize, kPlugDoFrame, kPlugTerminate}) {
    params.selector = selector;
    const int32_t r = plugin->Call(0, params);
    if (result == kPluginOK) result = r;
  }
  host.EndRequest();
  DisposeGWorld(preview);
  if (result != kPluginOK) throw Failure("the filter could not render frame " + std::to_string(at) + " of " + input);

  // The click names no frame of its own: the filter opens on the frame it rendered last.
  const std::string before = SettingsBytes();
  std::cerr << "vantiro: settings dialog on frame " << at << " of " << (demo ? "the built-in clip" : input) << "\n";
  params.selector = kPlugCustomButtonClick;
  params.startFrame = 0;
  params.renderFrame = 0;
  params.frame = nullptr;
  plugin->Call(0, params);
  host.EndRequest();
  std::cerr << (SettingsBytes() != before ? "vantiro: settings saved\n" : "vantiro: settings unchanged\n");
  return 0;
}

}  // namespace vantiro
