#include "bench/FFmpegReference.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <thread>

#include "model/relrects.h"
#include "render/lineEffect.h"

namespace vantiro::bench {

Clip::Clip(int width, int height, int frames)
    : path_((std::filesystem::temp_directory_path() / ("vantiro-bench-" + std::to_string(getpid()) + ".mp4")).string()),
      frames_(frames) {
  const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::to_string(width) + "x" +
                              std::to_string(height) + ":rate=25 -frames:v " + std::to_string(frames) +
                              " -pix_fmt yuv420p -c:v libx264 -preset veryfast " + path_;
  ok_ = std::system(command.c_str()) == 0;
}

Clip::~Clip() { std::filesystem::remove(path_); }

double FFmpegSeconds(const Clip& clip, const std::string& graph) {
  std::string command = "ffmpeg -nostdin -v error -i " + clip.path();
  if (!graph.empty()) command += " -filter_complex '" + graph + "'";
  command += " -f null -";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const auto end = std::chrono::steady_clock::now();
  if (status != 0) {
    std::fprintf(stderr, "ffmpeg failed (status %d): %s\n", status, command.c_str());
    return -1;
  }
  return std::chrono::duration<double>(end - start).count();
}

std::string EffectChain(int width, int height, const Setting& s) {
  const Rect frame{0, 0, int16_t(height), int16_t(width)};
  const Rect crop = Rel2Rect(s.rect, frame);
  const Rect target = Rel2Rect(ScaleRelAboutCenter(s.rect, s.sx, s.sy), frame);
  char colour[16];
  std::snprintf(colour, sizeof colour, "0x%02X%02X%02X", kBackground.red >> 8, kBackground.green >> 8,
                kBackground.blue >> 8);
  const auto n = [](int v) { return std::to_string(v); };
  const std::string chain = "crop=" + n(crop.right - crop.left) + ":" + n(crop.bottom - crop.top) + ":" +
                            n(crop.left) + ":" + n(crop.top) + ",scale=" + n(target.right - target.left) + ":" +
                            n(target.bottom - target.top) + ":flags=bilinear";
  if (s.sr == 0)
    return chain + ",pad=" + n(width) + ":" + n(height) + ":" + n(target.left) + ":" + n(target.top) + ":" + colour;
  // FFmpeg turns clockwise for positive angles; the effect turns counter-clockwise.
  char angle[32];
  std::snprintf(angle, sizeof angle, "%.5f", -s.sr * 2 * std::numbers::pi / 100);
  return chain + ",rotate=" + angle + ":ow=" + n(width) + ":oh=" + n(height) + ":c=" + colour;
}

std::string FadedGraph(int width, int height, const Setting& s) {
  // A fade longer than any clip here keeps every frame inside it.
  return "split[a][b];[a]" + EffectChain(width, height, s) +
         ",format=yuva420p,fade=t=in:st=0:d=3600:alpha=1[fx];[b][fx]overlay";
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::string MachineLine() {
  std::string model = "unknown processor";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);)
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  char text[256];
  std::snprintf(text, sizeof text, "%s, %u cores, load average %.2f %.2f %.2f", model.c_str(),
                std::thread::hardware_concurrency(), load[0], load[1], load[2]);
  return text;
}

}  // namespace vantiro::bench
