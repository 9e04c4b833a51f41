// The renderer per frame at 1920 × 1080, against what a user would run instead: FFmpeg's
// command line on an H.264 clip (yuv420p) with its default threads. Rounds interleave every
// measurement, so that a change in the machine's load falls on all of them alike; the table
// gives medians over the rounds.
//   build/bench/render_bench [ROUNDS]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/HostServices.h"
#include "bench/FFmpegReference.h"
#include "bench/Settings.h"
#include "model/pascalFX.h"
#include "platform/coregraphics/Bands.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/callpixelfx.h"

namespace {

using namespace vantiro::bench;

constexpr int kW = 1920, kH = 1080;
constexpr int kOurFrames = 20;     // frames rendered per measurement of ours
constexpr int kClipFrames = 100;   // frames of the clip FFmpeg runs through
constexpr int16_t kFadeOpacity = 128;

struct Row {
  const char* name;
  Setting setting;
  bool fade;
};
const Row kRows[] = {{"identity (whole frame, sliders 0)", kSettings[0], false},
                     {"upright scaled (half size +100%/+20%)", kSettings[1], false},
                     {"turned (same, 12% of a turn)", kSettings[2], false},
                     {"turned, inside a fade", kSettings[2], true}};

GWorldPtr NewFrame(int seed) {
  GWorldPtr gw = nullptr;
  const Rect bounds{0, 0, kH, kW};
  NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
  PixMapHandle pm = GetGWorldPixMap(gw);
  for (int y = 0; y < kH; ++y) {
    auto* p = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + long(y) * GetPixRowBytes(pm);
    for (int x = 0; x < kW; ++x, p += 4) {
      p[0] = 255;
      p[1] = uint8_t(x * 255 / kW + seed);
      p[2] = uint8_t(y * 255 / kH);
      p[3] = uint8_t((x + y + seed * 7) / 3);
    }
  }
  return gw;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Milliseconds per frame of the renderer as the host's pass uses it: DoEffect into the
// scratch frame, and inside a fade the source copied first and laid over the result. With
// one band `cpu` receives the processor time per frame, which a busy machine inflates less.
double OursMs(const Row& row, int bands, GWorldPtr source, GWorldPtr target, GWorldPtr copy, double* cpu = nullptr) {
  vantiro::SetDrawingBands(bands);
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.startRel = row.setting.rect;
  config.sliders[0] = row.setting.sx;
  config.sliders[1] = row.setting.sy;
  config.sliders[2] = row.setting.sr;
  config.colors[0] = kBackground;
  const Rect whole{0, 0, kH, kW};
  int16_t opacity = 0;
  const double cpuStart = ThreadCpuMs();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kOurFrames; ++i) {
    if (row.fade)
      CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(copy), &whole, &whole, srcCopy, nullptr);
    DoEffect(&config, nullptr, source, target, 0, 0, 0, 1, 0, 0, 0, &opacity);
    if (row.fade)
      vantiro::BlitPixMap(GetGWorldPixMap(copy), GetGWorldPixMap(target), &whole, &whole, kFadeOpacity);
  }
  const auto end = std::chrono::steady_clock::now();
  if (cpu != nullptr) *cpu = (ThreadCpuMs() - cpuStart) / kOurFrames;
  return std::chrono::duration<double, std::milli>(end - start).count() / kOurFrames;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int bands = vantiro::DrawingBands();
  GWorldPtr source = NewFrame(0), target = NewFrame(1), copy = NewFrame(2);
  const Clip clip(kW, kH, kClipFrames);
  if (!clip.ok()) std::fprintf(stderr, "no ffmpeg with libx264: only our rows are measured\n");

  constexpr size_t kRowCount = std::size(kRows);
  std::vector<double> one[kRowCount], oneCpu[kRowCount], many[kRowCount], theirs[kRowCount];
  for (int r = 0; r < rounds; ++r) {
    const double decoding = clip.ok() ? FFmpegSeconds(clip, "") : -1;
    for (size_t i = 0; i < kRowCount; ++i) {
      const Row& row = kRows[i];
      double cpu = 0;
      one[i].push_back(OursMs(row, 1, source, target, copy, &cpu));
      oneCpu[i].push_back(cpu);
      many[i].push_back(OursMs(row, bands, source, target, copy));
      if (decoding < 0) continue;
      const std::string graph = row.fade ? FadedGraph(kW, kH, row.setting) : EffectChain(kW, kH, row.setting);
      const double whole = FFmpegSeconds(clip, graph);
      // A chain that changes nothing costs FFmpeg about nothing and may measure below zero.
      if (whole >= 0) theirs[i].push_back(std::max(0.0, whole - decoding) * 1000 / kClipFrames);
    }
    std::fprintf(stderr, "round %d of %d done\n", r + 1, rounds);
  }
  vantiro::SetDrawingBands(0);

  std::printf("\nPer frame at %dx%d, medians of %d interleaved rounds (ms)\n", kW, kH, rounds);
  std::printf("machine: %s\n\n", MachineLine().c_str());
  std::printf("%-40s %9s %9s %11s %9s %10s %10s\n", "setting", "1 thread", "(cpu)", "bands", "FFmpeg", "ratio 1t",
              "ratio b");
  for (size_t i = 0; i < kRowCount; ++i) {
    const double a = Median(one[i]), c = Median(oneCpu[i]), b = Median(many[i]), f = Median(theirs[i]);
    char bandsText[24];
    std::snprintf(bandsText, sizeof bandsText, "%.2f (%d)", b, bands);
    if (f < 0) {
      std::printf("%-40s %9.2f %9.2f %11s %9s %10s %10s\n", kRows[i].name, a, c, bandsText, "-", "-", "-");
      continue;
    }
    std::printf("%-40s %9.2f %9.2f %11s %9.2f %9.2fx %9.2fx\n", kRows[i].name, a, c, bandsText, f, f / a, f / b);
  }
  std::printf("fade over no fade (turned): %.2fx with one band, %.2fx with bands\n", Median(one[3]) / Median(one[2]),
              Median(many[3]) / Median(many[2]));
  std::printf(
      "\nours: DoEffect on a 32-bit frame as the render pass calls it (inside a fade also the source\n"
      "copied and laid over the result at opacity %d); one band, and split into bands on the drawing\n"
      "workers. FFmpeg: `ffmpeg -i clip.mp4 -filter_complex GRAPH -f null -` with its default threads on\n"
      "a %d-frame H.264 yuv420p clip, less the same command without the graph (decoding alone), per\n"
      "frame. Graphs:\n",
      kFadeOpacity, kClipFrames);
  for (const Row& row : kRows)
    std::printf("  %-38s %s\n", row.name,
                (row.fade ? FadedGraph(kW, kH, row.setting) : EffectChain(kW, kH, row.setting)).c_str());
  std::printf("ratio: FFmpeg's time over ours (above 1: we are faster).\n");
  DisposeGWorld(source);
  DisposeGWorld(target);
  DisposeGWorld(copy);
  return 0;
}
