#include "app/RenderJob.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/HostServices.h"
#include "platform/quickdraw/QuickDraw.h"

namespace vantiro {
namespace {

using Clock = std::chrono::steady_clock;

class Progress {
 public:
  Progress(bool enabled, int64_t total) : enabled_(enabled), total_(total), start_(Clock::now()) {}
  void Update(int64_t done) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double fps = elapsed > 0 ? done / elapsed : 0;
    const double left = fps > 0 ? (total_ - done) / fps : 0;
    std::fprintf(stderr, "\r  frame %lld/%lld  %.1f fps  %d:%02d left ", static_cast<long long>(done),
                 static_cast<long long>(total_), fps, int(left) / 60, int(left) % 60);
    if (done == total_) std::fputs("\r\033[K", stderr);
  }

 private:
  bool enabled_;
  int64_t total_;
  Clock::time_point start_, last_{};
};

// A raster the host owns, for the plug-in's output or the host's own copies.
struct Raster {
  GWorldPtr gw = nullptr;
  explicit Raster(int w, int h) {
    const Rect bounds{0, 0, static_cast<int16_t>(h), static_cast<int16_t>(w)};
    NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
  }
  ~Raster() {
    if (gw != nullptr) DisposeGWorld(gw);
  }
  uint8_t* pixels() const { return reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(gw))); }
  long rowBytes() const { return GetPixRowBytes(GetGWorldPixMap(gw)); }
};

std::string ResultText(int32_t r) {
  static const char* names[] = {"ok", "cancelled", "finished", "bad parameters", "out of memory",
                                "out of disk space", "failed", "cannot get a needed frame",
                                "not implemented", "try again later", "host too old", "host too new"};
  return r >= 0 && r < 12 ? names[r] : "result " + std::to_string(r);
}

}  // namespace

bool Render(const Plugin& plugin, const RenderRequest& request, RenderReport* report, std::string* error) {
  auto video = VideoReader::Open(request.input, error);
  if (!video) return false;
  const VideoInfo& info = video->info();
  const int64_t count = info.frameCount;
  const int64_t frames = request.frames < 0 ? count - request.from : request.frames;
  if (request.from < 0 || request.from >= count || frames <= 0 || request.from + frames > count) {
    *error = "frames " + std::to_string(request.from) + ".." + std::to_string(request.from + frames - 1) +
             " are outside " + request.input + ", which has frames 0.." + std::to_string(count - 1);
    return false;
  }
  const int width = request.width > 0 ? request.width : info.width;
  const int height = request.height > 0 ? request.height : info.height;
  if (width > 16384 || height > 16384) {
    *error = "a picture of " + std::to_string(width) + "x" + std::to_string(height) + " is too large";
    return false;
  }
  auto audio = request.proxy ? nullptr : AudioReader::Open(request.input);

  WriterSettings ws;
  ws.path = request.output;
  ws.width = width;
  ws.height = height;
  ws.fpsNum = info.fpsNum;
  ws.fpsDen = info.fpsDen;
  ws.withAudio = audio != nullptr;
  ws.singleImage = info.isImage || frames == 1;
  ws.firstNumber = request.from;
  auto writer = MediaWriter::Create(ws, error);
  if (!writer) return false;

  ClipHost host(video.get(), audio.get(), request.filter);
  std::vector<float> frameSound;
  bool mixed = false;
  host.SetAudioSink([&](const std::vector<float>& s) {
    frameSound = s;
    mixed = true;
  });

  Raster output(width, height);
  Raster source(width, height);
  if (output.gw == nullptr || source.gw == nullptr) {
    *error = "out of memory for " + std::to_string(width) + "x" + std::to_string(height) + " pictures";
    return false;
  }
  HostRequest hostRequest(host.procs(), host.instance());
  PluginParams& params = hostRequest.params;
  params.startFrame = static_cast<int32_t>(request.from);
  params.frameCount = static_cast<int32_t>(frames);
  params.proxyOnly = request.proxy;
  params.frameRect = Rect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  params.frame = output.gw;

  const auto started = Clock::now();
  Clock::duration inPlugin{};
  const auto call = [&](HYPluginSelector selector) {
    params.selector = selector;
    const auto t = Clock::now();
    const int32_t r = plugin.Call(0, params);
    inPlugin += Clock::now() - t;
    host.EndRequest();
    return r;
  };

  int32_t result = call(kPlugInitialize);
  if (result != kPluginOK) {
    *error = "the filter could not start rendering: " + ResultText(result);
    call(kPlugTerminate);
    return false;
  }
  Progress progress(request.showProgress, frames);
  bool ok = true;
  for (int64_t i = 0; ok && i < frames; ++i) {
    params.renderFrame = static_cast<int32_t>(i);
    mixed = false;
    result = call(kPlugDoFrame);
    if (result != kPluginOK) {
      *error = "the filter failed on frame " + std::to_string(request.from + i) + ": " + ResultText(result);
      ok = false;
      break;
    }
    ok = writer->WriteVideo(output.pixels(), output.rowBytes(), error);
    if (audio) {
      // Frames whose sound the filter did not mix stay silent, so the sound keeps in step.
      if (!mixed) frameSound.assign(2 * static_cast<std::size_t>(host.SamplesOf(request.from + i).second), 0.0f);
      ok = ok && writer->WriteAudio(frameSound.data(), static_cast<int>(frameSound.size() / 2), error);
    }
    if (request.onFrame) {
      std::string ignored;
      video->ReadFrame(request.from + i, width, height, true, source.pixels(), source.rowBytes(), &ignored);
      request.onFrame(i, source.pixels(), output.pixels(), output.rowBytes());
    }
    report->frames = i + 1;
    progress.Update(i + 1);
  }
  call(kPlugTerminate);
  if (!ok || !writer->Finish(error)) return false;

  report->seconds = std::chrono::duration<double>(Clock::now() - started).count();
  report->decodeSeconds = host.decodeTime().count();
  report->pluginSeconds = std::chrono::duration<double>(inPlugin).count() - report->decodeSeconds;
  report->outputs = writer->outputs();
  return true;
}

std::string SummaryLine(const RenderReport& r) {
  char line[256];
  std::snprintf(line, sizeof line, "rendered %lld frames in %.2f s (%.1f fps, %.0f%% in the filter)",
                static_cast<long long>(r.frames), r.seconds, r.seconds > 0 ? r.frames / r.seconds : 0.0,
                r.seconds > 0 ? 100.0 * r.pluginSeconds / r.seconds : 0.0);
  return line;
}

}  // namespace vantiro
