// The whole render pass through the plug-in's entry at 1920 × 1080, frames served from
// memory, with and without a fade, against FFmpeg doing the same work on raw ARGB frames
// with one thread: the turned setting, and for the fade frames the source laid over the
// effect at an opacity.
//   build/bin/pass_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/MemoryHost.h"

namespace {

constexpr int kW = 1920, kH = 1080;
constexpr const char* kSettings = "--rect 0.25,0.75,0.25,0.75 --width 100 --height 20 --rotation 12 --background 1E3A5F";

std::unique_ptr<vantiro::Plugin> gPlugin;

void BM_Pass(benchmark::State& state, bool fade) {
  // A fade-in as long as the clip puts every frame inside it.
  vantiro::bench::MemoryHost host(kW, kH, fade ? 1000000 : 0, 0, 1000000);
  int32_t n = 0;
  for (auto _ : state) host.RenderFrame(*gPlugin, 500000 + (n++ % 1000));
  host.End(*gPlugin);
}

// FFmpeg's graph for the same frame: crop, bilinear scale, placement on the background and
// the turn; with a fade, the source at half opacity over the result.
std::string Graph(bool fade) {
  const std::string effect =
      "crop=960:540:480:270,scale=1920:648:flags=bilinear,pad=1920:1080:0:216:color=0x1E3A5F,"
      "rotate=a=-0.753982:c=0x1E3A5F:bilinear=1";
  if (!fade) return effect;
  return "split[a][b];[a]" + effect + "[fx];[b]format=argb,colorchannelmixer=aa=0.5[s];[fx][s]overlay=format=auto";
}

double Seconds(const std::string& input, const std::string& graph, int frames) {
  const std::string cmd = "ffmpeg -v error -threads 1 -filter_threads 1 -filter_complex_threads 1 -stream_loop -1 "
                          "-f rawvideo -pix_fmt argb -s 1920x1080 -i " + input + " -frames:v " +
                          std::to_string(frames) + " -filter_complex '" + graph + "' -f null - </dev/null";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "ffmpeg failed: %s\n", cmd.c_str());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void CompareWithFFmpeg(double oursPlain, double oursFade) {
  const auto input = std::filesystem::temp_directory_path() / "vantiro-pass-bench.argb";
  {
    std::vector<char> frame(std::size_t(kW) * kH * 4);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = char(i % 4 == 0 ? 255 : (i * 7) % 251);
    std::ofstream(input, std::ios::binary).write(frame.data(), std::streamsize(frame.size()));
  }
  constexpr int kFrames = 60;
  const double base = Seconds(input, "null", kFrames);
  const double plain = (Seconds(input, Graph(false), kFrames) - base) * 1000 / kFrames;
  const double fade = (Seconds(input, Graph(true), kFrames) - base) * 1000 / kFrames;
  std::filesystem::remove(input);
  std::printf("\n%-22s %12s %12s %10s\n", "1920x1080, turned", "vantiro ms", "FFmpeg ms", "ratio");
  std::printf("%-22s %12.2f %12.2f %9.2fx\n", "no fade", oursPlain, plain, plain / oursPlain);
  std::printf("%-22s %12.2f %12.2f %9.2fx\n", "inside a fade", oursFade, fade, fade / oursFade);
}

class Keeper : public benchmark::ConsoleReporter {
 public:
  double plain = 0, fade = 0;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) (r.benchmark_name().find("fade") != std::string::npos ? fade : plain) =
        r.GetAdjustedRealTime();  // in the benchmarks' unit, milliseconds
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  vantiro::bench::UseSettings(kSettings);
  gPlugin = vantiro::bench::LoadBuiltPlugin();
  benchmark::RegisterBenchmark("pass/no fade", BM_Pass, false)->Unit(benchmark::kMillisecond)->MinTime(2);
  benchmark::RegisterBenchmark("pass/inside a fade", BM_Pass, true)->Unit(benchmark::kMillisecond)->MinTime(2);
  benchmark::Initialize(&argc, argv);
  Keeper keeper;
  benchmark::RunSpecifiedBenchmarks(&keeper);
  CompareWithFFmpeg(keeper.plain, keeper.fade);
  return 0;
}
