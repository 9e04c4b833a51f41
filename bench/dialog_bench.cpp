// The settings dialog's speed: a preview refresh (ReRenderAndBlit) and one step of a
// frame-editor drag (render plus draw), in the HD window at 960 × 540, as the user sees
// them. Targets: medians of at most 8 ms and 10 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/Settings.h"
#include "dialog/clipCTRL.h"
#include "dialog/colorCTRL.h"
#include "dialog/configdlghandler.h"
#include "dialog/pictCTRL.h"
#include "dialog/sliderHandlers.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/relrects.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/windows/Application.h"
#include "platform/windows/MacWindows.h"
#include "render/callpixelfx.h"
#include "render/commonprocs.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

namespace {

using vantiro::bench::kSettings;
using vantiro::bench::Setting;

// The HD settings window, open and shown, with a frame of smooth colour to preview.
class OpenDialog {
 public:
  OpenDialog() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vantiro::EnsureApplication();
    VantiroRegisterBundle(VANTIRO_BENCH_BUNDLE);
    pNewConfig(&config_);
    ResetConfig(config_, true);
    config_->mediaType = kMediaHD;
    source_ = AllocateGWorld(960, 540);
    PixMapHandle pm = GetGWorldPixMap(source_);
    for (int y = 0; y < 540; ++y)
      for (int x = 0; x < 960; ++x) {
        auto* p = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm)) + 4 * x;
        p[0] = 255, p[1] = uint8_t(x / 4), p[2] = uint8_t(y / 3), p[3] = uint8_t((x + y) / 6);
      }
    pluginWorkSpace& ws = gConfigWorkSpace;
    ws.theConfig = config_;
    ws.sourceClip = source_;
    ws.theFXclip = AllocateRectGWorld(GetPortRect(source_));
    ws.maxFrameIndex = 0;
    ws.activeRel = 1;
    RegisterColorBox();
    RegisterClipCtrl();
    RegisterPictureControl();
    window_ = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, "configHD");
    SetupDialog(window_, config_);
    ShowWindow(window_);
    SetPortWindowPort(window_);
  }
  ~OpenDialog() {
    DisposeWindow(window_);
    UnregisterClipCtrl();
    UnregisterColorBox();
    UnregisterPictureControl();
    DisposeGWorld(gConfigWorkSpace.theFXclip);
    DisposeGWorld(source_);
    gConfigWorkSpace = pluginWorkSpace{};
    pDestroyConfig(config_);
  }
  void Use(const Setting& s) {
    config_->startRel = s.rect;
    config_->sliders[0] = s.sx;
    config_->sliders[1] = s.sy;
    config_->sliders[2] = s.sr;
  }
  WindowRef window() const { return window_; }

 private:
  pluginDataPtr config_ = nullptr;
  GWorldPtr source_ = nullptr;
  WindowRef window_ = nullptr;
};

OpenDialog& Dialog() {
  static OpenDialog dialog;
  return dialog;
}

void BM_ReRenderAndBlit(benchmark::State& state, Setting setting) {
  Dialog().Use(setting);
  for (auto _ : state) ReRenderAndBlit();
}

// What the frame editor does for each mouse step of a drag: the rectangle from the
// mouse, the preview rendered, the control drawn.
void BM_DragStep(benchmark::State& state, Setting setting) {
  OpenDialog& dialog = Dialog();
  dialog.Use(setting);
  const Rect bounds = GetControlBox(gConfigWorkSpace.theFrameCtrl);
  const Rect start = Rel2Rect(setting.rect, bounds);
  int step = 0;
  for (auto _ : state) {
    Rect working = start;
    DragRect(working, Point{0, 0}, Point{int16_t(step % 7), int16_t(step % 5)}, 0);
    ++step;
    PutCurrentRel(Rect2Rel(working, bounds));
    CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXclip);
    DrawFrameContents(dialog.window(), bounds);
  }
}

void Register() {
  for (const Setting& s : kSettings) {
    benchmark::RegisterBenchmark((std::string("ReRenderAndBlit/960x540/") + s.name).c_str(), BM_ReRenderAndBlit, s)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark((std::string("DragStep/960x540/") + s.name).c_str(), BM_DragStep, s)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
