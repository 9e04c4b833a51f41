// vantiro render, demo and placeholder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/ClipHost.h"
#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/ContactSheet.h"
#include "app/DemoClip.h"
#include "app/FileSafety.h"
#include "app/HostServices.h"
#include "app/InfoCommand.h"
#include "app/RenderJob.h"
#include "app/SettingsStore.h"
#include "app/media/TempFiles.h"
#include "platform/quickdraw/QuickDraw.h"

namespace fs = std::filesystem;

namespace vantiro {
namespace {

std::unique_ptr<Plugin> LoadPlugin(const std::string& bundle) {
  std::string error;
  auto plugin = Plugin::Load(bundle, &error);
  if (!plugin) throw Failure(error);
  return plugin;
}

void RequireReadable(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) throw Failure(path + " does not exist");
  if (fs::is_directory(path, ec)) throw Failure(path + " is a folder, not a video file");
  if (access(path.c_str(), R_OK) != 0) throw Failure("cannot read " + path);
}

void RequireKnownOutput(const std::string& path) {
  if (!MediaWriter::KnownExtension(path))
    throw Failure("cannot tell what to write from the extension of " + path + " (use .mp4, .mov, .mkv or .png)");
}

// A size given on the command line is checked against the encoder before any work.
std::optional<std::pair<int, int>> OutputSize(const CommandLine& cl, const std::string& output) {
  const auto text = cl.Value("--size");
  if (!text) return std::nullopt;
  const auto size = ParseSize(*text);
  std::string error;
  if (!MediaWriter::CheckSize(output, size.first, size.second, &error)) throw Failure(error);
  return size;
}

void Report(const RenderReport& report) {
  std::cerr << "vantiro: " << SummaryLine(report);
  for (std::size_t i = 0; i < report.outputs.size() && i < 3; ++i) std::cerr << (i ? ", " : " -> ") << report.outputs[i];
  if (report.outputs.size() > 3) std::cerr << ", ... (" << report.outputs.size() << " files)";
  std::cerr << "\n";
}

// A file or folder in the temporary folder for the length of one command; removed
// afterwards, and also when the command is interrupted.
class Scratch {
 public:
  explicit Scratch(const std::string& name, bool folder) {
    std::string path = (fs::temp_directory_path() / name).string();
    std::string error;
    if (folder) {
      path += "-XXXXXX";
      if (mkdtemp(path.data()) == nullptr) throw Failure("cannot make a temporary folder");
      temp::Register(path);
    } else if ((path = temp::CreateBeside(path, &error)).empty()) {
      throw Failure(error);
    }
    path_ = path;
  }
  ~Scratch() { temp::Remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

int RunInfo(const Args& args, const std::string& bundle) {
  CommandLine cl(args, {}, {});
  cl.ExpectPositional(0, 0, "vantiro info");
  auto plugin = LoadPlugin(bundle);
  const int32_t result = DescribePlugin(*plugin, std::cout);
  if (result != kPluginOK) throw Failure("the plug-in refused to describe itself (result " + std::to_string(result) + ")");
  return 0;
}

int RunRender(const Args& args, const std::string& bundle) {
  CommandLine cl(args, {"--from", "--frames", "--fade-in", "--fade-out", "--size"}, {"--proxy"});
  cl.ExpectPositional(2, 2, "vantiro render IN OUT [--from F] [--frames N] [--fade-in N] [--fade-out N] [--proxy] [--size WxH]");
  RenderRequest request;
  request.input = cl.positional()[0];
  request.output = cl.positional()[1];
  request.from = cl.Integer("--from", 0, 0, INT32_MAX);
  request.frames = cl.Integer("--frames", -1, 1, INT32_MAX);
  request.filter.fadeInFrames = static_cast<int32_t>(cl.Integer("--fade-in", 0, 0, INT32_MAX));
  request.filter.fadeOutFrames = static_cast<int32_t>(cl.Integer("--fade-out", 0, 0, INT32_MAX));
  request.proxy = cl.Has("--proxy");
  request.showProgress = isatty(STDERR_FILENO) != 0;
  RequireReadable(request.input);
  RequireKnownOutput(request.output);
  if (auto size = OutputSize(cl, request.output)) std::tie(request.width, request.height) = *size;
  RefuseToReplaceInput(request.input, request.output, request.from, request.frames);

  auto plugin = LoadPlugin(bundle);
  RenderReport report;
  std::string error;
  if (!Render(*plugin, request, &report, &error)) throw Failure(error);
  Report(report);
  return 0;
}

int RunDemo(const Args& args, const std::string& bundle) {
  CommandLine cl(args, {"--out"}, {});
  cl.ExpectPositional(0, 0, "vantiro demo [--out DIR]");
  const fs::path dir = cl.Value("--out").value_or("out");
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) throw Failure("cannot make the folder " + dir.string());

  // The plug-in gets a settings folder of its own, so the user's settings stay untouched.
  const Scratch settings("vantiro-demo", true);
  setenv("XDG_CONFIG_HOME", settings.path().c_str(), 1);
  WriteDemoSettings();

  std::cerr << "vantiro: making the demonstration clip\n";
  const DemoClipShape shape;
  const Scratch clipFile("vantiro-demo.mp4", false);
  const std::string& clip = clipFile.path();
  std::string error;
  if (!WriteDemoClip(clip, shape, &error)) throw Failure(error);

  RenderRequest request;
  request.input = clip;
  request.output = (dir / "demo.mp4").string();
  request.filter.fadeInFrames = 20;
  request.filter.fadeOutFrames = 20;
  request.showProgress = isatty(STDERR_FILENO) != 0;
  ContactSheet sheet(shape.width, shape.height, {0, 10, 60, 120, 172});
  request.onFrame = [&](int64_t n, const uint8_t* source, const uint8_t* rendered, long rowBytes) {
    sheet.Add(n, source, rendered, rowBytes);
  };
  auto plugin = LoadPlugin(bundle);
  RenderReport report;
  if (!Render(*plugin, request, &report, &error)) throw Failure(error);
  Report(report);
  const std::string sheetPath = (dir / "demo-sheet.png").string();
  if (!sheet.Write(sheetPath, &error)) throw Failure(error);
  std::cerr << "vantiro: contact sheet -> " << sheetPath << "\n";
  return 0;
}

int RunPlaceholder(const Args& args, const std::string& bundle) {
  CommandLine cl(args, {"--at", "--size"}, {});
  cl.ExpectPositional(2, 2, "vantiro placeholder IN OUT.png [--at FRAME] [--size WxH]");
  const std::string in = cl.positional()[0], out = cl.positional()[1];
  RequireReadable(in);
  if (fs::path(out).extension() != ".png") throw Failure("the placeholder is a picture: name it something.png");
  const auto size = OutputSize(cl, out);
  RefuseToReplaceInput(in, out);
  std::string error;
  auto video = VideoReader::Open(in, &error);
  if (!video) throw Failure(error);
  const VideoInfo& info = video->info();
  const int64_t at = cl.Integer("--at", info.frameCount / 2, 0, info.frameCount - 1);
  const auto [width, height] = size.value_or(std::pair{info.width, info.height});

  auto plugin = LoadPlugin(bundle);
  ClipHost host(video.get(), nullptr, FilterSettings{});
  GWorldPtr frame = nullptr;
  const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  if (NewGWorld(&frame, 32, &bounds, nullptr, nullptr, 0) != noErr) throw Failure("out of memory");
  HostRequest call(host.procs(), host.instance());
  call.info1.bestThumbOffset = static_cast<int32_t>(at);
  PluginParams& params = call.params;
  params.selector = kPlugFilePlaceHolder;
  params.frameCount = static_cast<int32_t>(info.frameCount);
  params.frameRect = bounds;
  params.frame = frame;
  const int32_t result = plugin->Call(0, params);
  host.EndRequest();

  WriterSettings ws;
  ws.path = out;
  ws.width = width;
  ws.height = height;
  ws.singleImage = true;
  PixMapHandle pm = GetGWorldPixMap(frame);
  auto writer = result == kPluginOK ? MediaWriter::Create(ws, &error) : nullptr;
  const bool ok = writer && writer->WriteVideo(reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), &error) &&
                  writer->Finish(&error);
  DisposeGWorld(frame);
  if (result != kPluginOK) throw Failure("the filter could not make a placeholder (result " + std::to_string(result) + ")");
  if (!ok) throw Failure(error);
  std::cerr << "vantiro: placeholder of frame " << at << " -> " << out << "\n";
  return 0;
}

}  // namespace vantiro
