#include "app/RenderJob.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <numeric>
#include <optional>
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

// Frames each end of the pipeline holds ready: enough to even out frames that take longer
// than others, few enough that memory stays small (a 1920 x 1080 raster is 8 MB).
constexpr int kQueueDepth = 3;

WriterSettings WriterFor(const RenderRequest& request, const VideoInfo& info, int width, int height,
                         int64_t frames, bool withAudio) {
  WriterSettings ws;
  ws.path = request.output;
  ws.width = width;
  ws.height = height;
  ws.fpsNum = info.fpsNum;
  ws.fpsDen = info.fpsDen;
  ws.timeBaseNum = info.timeBaseNum;
  ws.timeBaseDen = info.timeBaseDen;
  // Pixels keep the picture's shape on screen, also at another size.
  const int64_t num = int64_t(info.sarNum) * info.width * height, den = int64_t(info.sarDen) * info.height * width;
  const int64_t common = std::gcd(num, den);
  if (common > 0 && num / common <= INT32_MAX && den / common <= INT32_MAX) {
    ws.sarNum = static_cast<int>(num / common);
    ws.sarDen = static_cast<int>(den / common);
  }
  ws.matrix = info.matrix;  // the clip's own colours come back as they were coded
  ws.withAudio = withAudio;
  ws.singleImage = info.isImage || frames == 1;
  ws.firstNumber = request.from;
  return ws;
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
  auto writer = MediaWriter::Create(WriterFor(request, info, width, height, frames, audio != nullptr), error);
  if (!writer) return false;

  // The plug-in asks for low quality only for small proxies; read ahead what it will ask for.
  const DecodeAhead::Order order{request.from, frames, width, height, !(request.proxy && height <= 259)};
  auto aheadReader = VideoReader::Open(request.input, error);
  if (!aheadReader) return false;
  DecodeAhead ahead(std::move(aheadReader), order, kQueueDepth, request.cancel, request.faults.decode);
  EncodeBehind encoder(writer.get(), width, height, kQueueDepth, request.cancel, request.faults.encode);
  // The source picture handed to onFrame, read again by the host's own reader.
  std::optional<Raster> source;
  if (request.onFrame) source.emplace(width, height);
  if (!encoder.ok() || (source && source->gw == nullptr)) {
    *error = "out of memory for " + std::to_string(width) + "x" + std::to_string(height) + " pictures";
    return false;
  }

  ClipHost host(video.get(), audio.get(), request.filter);
  host.DecodeAheadWith(&ahead);
  int64_t index = 0;
  std::vector<float> frameSound;
  bool mixed = false;
  host.SetAudioSink([&](const std::vector<float>& s) {
    if (index == request.faults.mixAudio) return false;
    frameSound = s;
    mixed = true;
    return true;
  });

  HostRequest hostRequest(host.procs(), host.instance());
  PluginParams& params = hostRequest.params;
  params.startFrame = static_cast<int32_t>(request.from);
  params.frameCount = static_cast<int32_t>(frames);
  params.proxyOnly = request.proxy;
  params.frameRect = Rect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};

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
  const auto cancelled = [&] { return request.cancel != nullptr && request.cancel->load(); };

  int32_t result = call(kPlugInitialize);
  if (result != kPluginOK) {
    *error = "the filter could not start rendering: " + ResultText(result);
    call(kPlugTerminate);
    return false;
  }
  Progress progress(request.showProgress, frames);
  bool ok = true;
  int64_t pts = -1;
  for (; ok && index < frames; ++index) {
    const int64_t n = request.from + index;
    PooledRaster* output = cancelled() ? nullptr : encoder.Canvas();
    if (output == nullptr) break;
    params.frame = output->gw;
    params.renderFrame = static_cast<int32_t>(index);
    mixed = false;
    result = call(kPlugDoFrame);
    if (result != kPluginOK) {
      encoder.Return(output);
      if (cancelled()) break;
      *error = !host.frameError().empty() ? host.frameError() + " of " + request.input
                                           : "the filter failed on frame " + std::to_string(n) + ": " + ResultText(result);
      ok = false;
      break;
    }
    // Frames whose sound the filter did not mix stay silent, so the sound keeps in step.
    if (audio && !mixed) frameSound.assign(2 * static_cast<std::size_t>(host.SamplesOf(n).second), 0.0f);
    if (request.onFrame) {
      std::string ignored;
      video->ReadFrame(n, width, height, true, source->pixels(), source->rowBytes(), &ignored);
      request.onFrame(index, source->pixels(), output->pixels, output->rowBytes);
    }
    // A damaged file may repeat a timestamp; the encoder needs them rising.
    pts = std::max(pts + 1, video->Timestamp(n) - video->Timestamp(request.from));
    if (!encoder.Submit(output, pts, audio ? std::move(frameSound) : std::vector<float>{})) break;
    report->frames = index + 1;
    progress.Update(index + 1);
  }
  params.frame = nullptr;
  call(kPlugTerminate);
  if (cancelled()) {
    *error = "interrupted";
    return false;
  }
  // Finish reports the encoder's error, also when that error ended the loop above.
  if (!ok || !encoder.Finish(error) || !writer->Finish(error)) return false;

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
