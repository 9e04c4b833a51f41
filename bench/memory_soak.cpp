// Renders 10,000 frames at 720×480 through the plug-in's entry and reports the peak
// resident memory along the way: it must stay flat after the first frames, since every
// buffer made for a frame is released before the frame's request returns.
//   build/bin/memory_soak [FRAMES]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/MemoryHost.h"

namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 10000;
  vantiro::bench::UseSettings("--rect 0.1,0.9,0.1,0.9 --width 20 --rotation 7 --background 1E3A5F");
  auto plugin = vantiro::bench::LoadBuiltPlugin();
  // Fades at both ends, so the frames inside them also make and free a source copy.
  vantiro::bench::MemoryHost host(720, 480, 500, 500, frames);
  std::printf("%8s %12s %12s\n", "frame", "resident KiB", "peak KiB");
  long afterWarmUp = 0;
  for (int n = 0; n < frames; ++n) {
    host.RenderFrame(*plugin, n);
    if (n == 99) afterWarmUp = PeakKiB();
    if (n == 0 || n == 99 || (n + 1) % 1000 == 0) std::printf("%8d %12ld %12ld\n", n + 1, ResidentKiB(), PeakKiB());
  }
  host.End(*plugin);
  const long growth = PeakKiB() - afterWarmUp;
  std::printf("peak growth after frame 100: %ld KiB over %d frames\n", growth, frames - 100);
  return growth > 4096 ? 1 : 0;
}
