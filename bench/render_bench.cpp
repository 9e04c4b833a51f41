// The renderer per frame, against FFmpeg's filters doing the same work, and the pixel
// order decision behind the drawing: compositing in the raster's own byte order against
// converting the touched rows to pixman's native order and back.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "bench/Settings.h"
#include "model/pascalFX.h"
#include "model/relrects.h"
#include "platform/coregraphics/CoreGraphics.h"
#include "platform/coregraphics/Coverage.h"
#include "platform/quickdraw/Pixels.h"
#include "platform/quickdraw/QuickDraw.h"
#include "render/callpixelfx.h"
#include "render/lineEffect.h"

namespace {

struct FrameSize {
  int width, height;
  const char* name;
};
constexpr FrameSize kSizes[] = {{720, 480, "720x480"}, {1280, 720, "1280x720"}, {1920, 1080, "1920x1080"}};

using vantiro::bench::kSettings;
using vantiro::bench::Setting;
constexpr RGBColor kBackground{0x2000, 0x4000, 0x6000};

// A frame of smooth colour, bytes A, R, G, B.
void FillFrame(uint8_t* base, long rowBytes, int width, int height, int seed) {
  for (int y = 0; y < height; ++y) {
    uint8_t* p = base + long(y) * rowBytes;
    for (int x = 0; x < width; ++x, p += 4) {
      p[0] = 255;
      p[1] = uint8_t(x * 255 / width + seed);
      p[2] = uint8_t(y * 255 / height);
      p[3] = uint8_t((x + y + seed * 7) / 3);
    }
  }
}

GWorldPtr NewFrame(const FrameSize& size, int seed) {
  GWorldPtr gw = nullptr;
  const Rect bounds{0, 0, int16_t(size.height), int16_t(size.width)};
  NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
  PixMapHandle pm = GetGWorldPixMap(gw);
  FillFrame(reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), size.width, size.height, seed);
  return gw;
}

void BM_DoEffect(benchmark::State& state, FrameSize size, Setting setting) {
  pluginDataRec config{};
  ResetConfig(&config, true);
  config.startRel = setting.rect;
  config.sliders[0] = setting.sx;
  config.sliders[1] = setting.sy;
  config.sliders[2] = setting.sr;
  config.colors[0] = kBackground;
  GWorldPtr source = NewFrame(size, 0), target = NewFrame(size, 1);
  int16_t opacity = 0;
  for (auto _ : state) {
    DoEffect(&config, nullptr, source, target, 0, 0, 0, 1, 0, 0, 0, &opacity);
    benchmark::ClobberMemory();
  }
  DisposeGWorld(source);
  DisposeGWorld(target);
}

// FFmpeg: raw ARGB frames through crop, bilinear scale and placement on the background
// (pad when upright, rotate when turned), one thread. Its time per frame is the run's wall
// time less that of the same input passed through untouched, over the frame count, so
// that reading the input and starting the program are not counted against it.
std::string FilterChain(const FrameSize& size, const Setting& s) {
  const Rect frame{0, 0, int16_t(size.height), int16_t(size.width)};
  const Rect crop = Rel2Rect(s.rect, frame);
  const Rect target = Rel2Rect(ScaleRelAboutCenter(s.rect, s.sx, s.sy), frame);
  char colour[16];
  std::snprintf(colour, sizeof colour, "0x%02X%02X%02X", kBackground.red >> 8, kBackground.green >> 8,
                kBackground.blue >> 8);
  const int tw = target.right - target.left, th = target.bottom - target.top;
  std::string chain = "crop=" + std::to_string(crop.right - crop.left) + ":" + std::to_string(crop.bottom - crop.top) +
                      ":" + std::to_string(crop.left) + ":" + std::to_string(crop.top) +
                      ",scale=" + std::to_string(tw) + ":" + std::to_string(th) + ":flags=bilinear";
  if (s.sr == 0)
    return chain + ",pad=" + std::to_string(size.width) + ":" + std::to_string(size.height) + ":" +
           std::to_string(target.left) + ":" + std::to_string(target.top) + ":" + colour;
  // FFmpeg turns clockwise for positive angles; the effect turns counter-clockwise.
  return chain + ",rotate=" + std::to_string(-s.sr * 2 * std::numbers::pi / 100) + ":ow=" + std::to_string(size.width) +
         ":oh=" + std::to_string(size.height) + ":c=" + colour + ":bilinear=1";
}

// A few different frames, looped by FFmpeg; removed when the run ends.
std::map<int, std::filesystem::path> gInputs;

std::filesystem::path InputFile(const FrameSize& size) {
  auto found = gInputs.find(size.width);
  if (found != gInputs.end()) return found->second;
  const auto path = std::filesystem::temp_directory_path() /
                    ("vantiro-bench-" + std::to_string(getpid()) + "-" + size.name + ".argb");
  std::ofstream out(path, std::ios::binary);
  std::vector<uint8_t> frame(size_t(size.width) * size.height * 4);
  for (int seed = 0; seed < 4; ++seed) {
    FillFrame(frame.data(), long(size.width) * 4, size.width, size.height, seed * 40);
    out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
  }
  return gInputs[size.width] = path;
}

double RunSeconds(const FrameSize& size, const std::string& chain, int frames) {
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -threads 1 -filter_threads 1 "
                              "-f rawvideo -pix_fmt argb -s " + std::string(size.name) +
                              " -framerate 25 -stream_loop -1 -i " + InputFile(size).string() +
                              " -frames:v " + std::to_string(frames) + " -threads 1 -vf '" + chain + "' -f null -";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const auto end = std::chrono::steady_clock::now();
  if (status != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

void BM_FFmpeg(benchmark::State& state, FrameSize size, Setting setting) {
  const int frames = size.width >= 1920 ? 60 : size.width >= 1280 ? 120 : 240;
  const std::string chain = FilterChain(size, setting);
  for (auto _ : state) {
    const double work = RunSeconds(size, chain, frames), idle = RunSeconds(size, "null", frames);
    if (work < 0 || idle < 0) {
      state.SkipWithError("ffmpeg failed or is missing");
      break;
    }
    // A chain that changes nothing is passed straight through and may measure below zero.
    state.SetIterationTime(std::max(0.0, work - idle) / frames);
  }
  state.SetLabel(chain);
}

// The three settings' composites at 1920 × 1080 on their own, in the raster's byte order
// against pixman's native order with the touched rows converted in and out: the choice
// the image drawing makes per call.
struct Composite {
  const char* name;
  int imageWidth, imageHeight;
  double scaleX, scaleY, turn;  // turn in fractions of a full turn, counter-clockwise
};
constexpr Composite kComposites[] = {
    {"copy", 1920, 1080, 1, 1, 0}, {"scaled", 960, 540, 2, 1.2, 0}, {"scaled and turned", 960, 540, 2, 1.2, 0.12}};

class CompositeBench {
 public:
  static constexpr int kW = 1920, kH = 1080;

  explicit CompositeBench(const Composite& c)
      : c_(c), image_(size_t(c.imageWidth) * c.imageHeight), frame_(size_t(kW) * kH) {
    FillFrame(reinterpret_cast<uint8_t*>(image_.data()), c.imageWidth * 4, c.imageWidth, c.imageHeight, 3);
    const double angle = c.turn * 2 * std::numbers::pi, cs = std::cos(angle), sn = std::sin(angle);
    // Image pixel (u, v) to frame pixel: scaled about the picture's centre, turned
    // counter-clockwise on screen (y down), centred in the frame.
    const auto toFrame = [&](double u, double v) {
      const double x = (u - c.imageWidth / 2.0) * c.scaleX, y = (v - c.imageHeight / 2.0) * c.scaleY;
      return vantiro::DevicePoint{kW / 2.0 + x * cs + y * sn, kH / 2.0 - x * sn + y * cs};
    };
    rows_ = vantiro::ConvexQuad({toFrame(0, 0), toFrame(c.imageWidth, 0), toFrame(c.imageWidth, c.imageHeight),
                                 toFrame(0, c.imageHeight)})
                .Rows(vantiro::PixelBox{0, 0, kW, kH});
    const vantiro::DevicePoint origin = toFrame(0, 0);
    pixman_f_transform forward = {
        {{c.scaleX * cs, c.scaleY * sn, origin.x}, {-c.scaleX * sn, c.scaleY * cs, origin.y}, {0, 0, 1}}};
    pixman_f_transform inverse;
    pixman_f_transform_invert(&inverse, &forward);
    pixman_transform_from_pixman_f_transform(&transform_, &inverse);
  }

  void Run(bool convert) {
    if (convert) SwapTouchedRows();
    pixman_image_t* source =
        pixman_image_create_bits(vantiro::kNativeFormat, c_.imageWidth, c_.imageHeight, image_.data(), c_.imageWidth * 4);
    pixman_image_set_transform(source, &transform_);
    const bool copy = c_.scaleX == 1 && c_.scaleY == 1 && c_.turn == 0;
    pixman_image_set_filter(source, copy ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    pixman_image_t* target = pixman_image_create_bits_no_clear(convert ? vantiro::kNativeFormat : vantiro::kRasterFormat,
                                                               kW, kH, frame_.data(), kW * 4);
    std::vector<pixman_box32_t> boxes;
    for (const auto& r : rows_) boxes.push_back(pixman_box32_t{r.left, r.y, r.right, r.y + 1});
    pixman_region32_t region;
    pixman_region32_init_rects(&region, boxes.data(), int(boxes.size()));
    pixman_image_set_clip_region32(target, &region);
    pixman_region32_fini(&region);
    pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, target, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_unref(target);
    pixman_image_unref(source);
    if (convert) SwapTouchedRows();
  }

 private:
  void SwapTouchedRows() {
    for (const auto& r : rows_) {
      uint32_t* row = &frame_[size_t(r.y) * kW + size_t(r.left)];
      vantiro::SwapPixelOrder(row, row, size_t(r.right - r.left));
    }
  }

  Composite c_;
  std::vector<uint32_t> image_, frame_;
  std::vector<vantiro::CoverageRow> rows_;
  pixman_transform_t transform_{};
};

void BM_Composite(benchmark::State& state, Composite c, bool convert) {
  CompositeBench bench(c);
  for (auto _ : state) bench.Run(convert);
}

void BM_SwapPixelOrder1080p(benchmark::State& state) {
  std::vector<uint32_t> frame(size_t(1920) * 1080, 0x11223344u);
  for (auto _ : state) {
    vantiro::SwapPixelOrder(frame.data(), frame.data(), frame.size());
    benchmark::ClobberMemory();
  }
}

// Keeps every result for the closing table, besides printing it as usual.
class Collector : public benchmark::ConsoleReporter {
 public:
  explicit Collector(bool colour) : ConsoleReporter(colour ? OO_Defaults : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred) milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  double Find(const std::string& name) const {
    const auto found = milliseconds.find(name);
    return found == milliseconds.end() ? -1 : found->second;
  }
  std::map<std::string, double> milliseconds;
};

std::string Key(const char* engine, const FrameSize& size, const Setting& setting) {
  return std::string(engine) + "/" + size.name + "/" + setting.name;
}

std::string CompositeKey(const Composite& c, bool convert) {
  return std::string("order/1920x1080 ") + c.name + (convert ? ", native order + conversions" : ", raster order");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const FrameSize& size : kSizes)
    for (const Setting& setting : kSettings) {
      benchmark::RegisterBenchmark(Key("vantiro", size, setting).c_str(), BM_DoEffect, size, setting)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.5);
      benchmark::RegisterBenchmark(Key("ffmpeg", size, setting).c_str(), BM_FFmpeg, size, setting)
          ->Unit(benchmark::kMillisecond)
          ->UseManualTime()
          ->Iterations(3);
    }
  for (const Composite& c : kComposites)
    for (bool convert : {false, true})
      benchmark::RegisterBenchmark(CompositeKey(c, convert).c_str(), BM_Composite, c, convert)
          ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("order/1920x1080 byte-order conversion", BM_SwapPixelOrder1080p)
      ->Unit(benchmark::kMillisecond);

  Collector collector(isatty(STDOUT_FILENO) != 0);
  benchmark::RunSpecifiedBenchmarks(&collector);

  std::printf("\nms per frame, wall clock\n%-10s %-24s %10s %10s %8s\n", "size", "setting", "vantiro", "ffmpeg",
              "ratio");
  for (const FrameSize& size : kSizes)
    for (const Setting& setting : kSettings) {
      const double ours = collector.Find(Key("vantiro", size, setting));
      const double theirs = collector.Find(Key("ffmpeg", size, setting));
      if (ours < 0) continue;
      if (theirs < 0)
        std::printf("%-10s %-24s %10.2f %10s %8s\n", size.name, setting.name, ours, "-", "-");
      else
        std::printf("%-10s %-24s %10.2f %10.2f %7.2fx\n", size.name, setting.name, ours, theirs, theirs / ours);
    }
  std::printf("ratio: FFmpeg's time over ours, i.e. our throughput relative to FFmpeg's; FFmpeg's time\n"
              "counts its filters only (the same input passed through untouched is subtracted)\n\n");
  for (const Composite& c : kComposites) {
    const double direct = collector.Find(CompositeKey(c, false)), converted = collector.Find(CompositeKey(c, true));
    if (direct >= 0 && converted >= 0)
      std::printf("%-18s composite: raster order %6.2f ms, native order with conversions %6.2f ms\n", c.name,
                  direct, converted);
  }
  const double swap = collector.Find("order/1920x1080 byte-order conversion");
  if (swap >= 0) std::printf("byte-order conversion of a 1920x1080 raster: %.2f ms\n", swap);
  benchmark::Shutdown();
  for (const auto& [width, path] : gInputs) std::filesystem::remove(path);
  return 0;
}
