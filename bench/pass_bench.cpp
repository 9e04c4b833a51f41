// The whole render pass through the plug-in's entry at 1920 × 1080, frames served from
// memory, outside and inside a fade, against FFmpeg doing the same work as a user would type
// it (H.264 yuv420p clip, default threads, decoding subtracted). Rounds interleave every
// measurement; the table gives medians.
//   build/bin/pass_bench [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/FFmpegReference.h"
#include "bench/MemoryHost.h"
#include "platform/coregraphics/Bands.h"

namespace {

using namespace vantiro::bench;

constexpr int kW = 1920, kH = 1080;
constexpr int kOurFrames = 30, kClipFrames = 100;
constexpr const char* kSettingArgs =
    "--rect 0.25,0.75,0.25,0.75 --width 100 --height 20 --rotation 12 --background 1E3A5F";
const Setting& kTurned = kSettings[2];  // the same setting

// Milliseconds per frame of kPlugDoFrame; a fade-in as long as the clip puts every frame inside it.
double PassMs(const vantiro::Plugin& plugin, bool fade, int bands) {
  vantiro::SetDrawingBands(bands);
  MemoryHost host(kW, kH, fade ? 1000000 : 0, 0, 1000000);
  host.RenderFrame(plugin, 499999);  // begins the pass
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kOurFrames; ++i) host.RenderFrame(plugin, 500000 + i);
  const auto end = std::chrono::steady_clock::now();
  host.End(plugin);
  return std::chrono::duration<double, std::milli>(end - start).count() / kOurFrames;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  UseSettings(kSettingArgs);
  const auto plugin = LoadBuiltPlugin();
  const int bands = vantiro::DrawingBands();
  const Clip clip(kW, kH, kClipFrames);
  if (!clip.ok()) std::fprintf(stderr, "no ffmpeg with libx264: only our rows are measured\n");

  std::vector<double> ours[2][2], theirs[2];  // [fade][bands > 1]
  for (int r = 0; r < rounds; ++r) {
    const double decoding = clip.ok() ? FFmpegSeconds(clip, "") : -1;
    for (int fade = 0; fade < 2; ++fade) {
      ours[fade][0].push_back(PassMs(*plugin, fade != 0, 1));
      ours[fade][1].push_back(PassMs(*plugin, fade != 0, bands));
      if (decoding < 0) continue;
      const double whole = FFmpegSeconds(clip, fade ? FadedGraph(kW, kH, kTurned) : EffectChain(kW, kH, kTurned));
      if (whole >= 0) theirs[fade].push_back(std::max(0.0, whole - decoding) * 1000 / kClipFrames);
    }
  }
  vantiro::SetDrawingBands(0);

  std::printf("\nRender pass per frame at %dx%d, turned setting, medians of %d interleaved rounds (ms)\n", kW, kH,
              rounds);
  std::printf("machine: %s\n\n", MachineLine().c_str());
  std::printf("%-16s %9s %9s %9s %10s %10s\n", "", "1 thread", "bands", "FFmpeg", "ratio 1t", "ratio b");
  const char* names[2] = {"no fade", "inside a fade"};
  for (int fade = 0; fade < 2; ++fade) {
    const double a = Median(ours[fade][0]), b = Median(ours[fade][1]), f = Median(theirs[fade]);
    if (f < 0)
      std::printf("%-16s %9.2f %9.2f %9s %10s %10s\n", names[fade], a, b, "-", "-", "-");
    else
      std::printf("%-16s %9.2f %9.2f %9.2f %9.2fx %9.2fx\n", names[fade], a, b, f, f / a, f / b);
  }
  std::printf("fade over no fade: %.2fx (1 thread), %.2fx (%d bands)\n", Median(ours[1][0]) / Median(ours[0][0]),
              Median(ours[1][1]) / Median(ours[0][1]), bands);
  std::printf("\nours: kPlugDoFrame through the bundle's main, frames lent from memory, host Blit inside a fade.\n"
              "FFmpeg: `ffmpeg -i clip.mp4 -filter_complex GRAPH -f null -`, default threads, %d-frame H.264\n"
              "yuv420p clip, less decoding alone, per frame. Graphs:\n  no fade:       %s\n  inside a fade: %s\n",
              kClipFrames, EffectChain(kW, kH, kTurned).c_str(), FadedGraph(kW, kH, kTurned).c_str());
  std::printf("ratio: FFmpeg's time over ours (above 1: we are faster).\n");
  return 0;
}
