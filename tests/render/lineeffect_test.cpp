// The crop, scale and rotate renderer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/pascalFX.h"
#include "model/relrects.h"
#include "render/lineEffect.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

constexpr int kW = 720, kH = 480;
const RGBColor kTeal{0x1200, 0x8800, 0x9900};

EffectSetting Setting(double left, double right, double top, double bottom, int sx = 0, int sy = 0, int sr = 0) {
  return EffectSetting{left, right, top, bottom, sx, sy, sr, Opaque(kTeal)};
}

class LineEffect : public ::testing::Test {
 protected:
  LineEffect() {
    std::memset(&config, 0, sizeof config);
    ResetConfig(&config, true);
    config.colors[0] = kTeal;
  }

  // The effect as the driver calls it, startRel in pixels of dest: into a fresh buffer, or
  // within `to` when given (source and dest one buffer).
  Picture Render(const Picture& source, const EffectSetting& s, Buffer* to = nullptr) {
    config.startRel = relRect{s.left, s.right, s.top, s.bottom};
    config.sliders[0] = int16_t(s.scaleX), config.sliders[1] = int16_t(s.scaleY), config.sliders[2] = int16_t(s.turn);
    Buffer from(source), fresh(source.width, source.height);
    if (to == nullptr) to = &fresh;
    const Rect frame = R(0, 0, source.width, source.height);
    theLineEffect(to == &fresh ? from.gw() : to->gw(), to->gw(), Rel2Rect(config.startRel, frame), true, &config, 0, 1);
    return to->Read();
  }

  pluginDataRec config;
};

}  // namespace

// Pixel edges are truncated, also just short of whole pixels; source and dest may be one.
TEST_F(LineEffect, WithTheSlidersAtZeroTheRectangleStaysInPlaceOverTheBackground) {
  const Picture source = MakePicture(kW, kH, Noise);
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, 0, 1)), source, 0, "whole"));
  const Pixel teal = Opaque(kTeal);
  EXPECT_TRUE(Matches(Render(source, Setting(0.0013, 0.3, 0.51, 1)), Cut(source, 0, 244, 216, 480, teal), 0, "odd"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.9, 1, 0, 0.01)), Cut(source, 648, 0, 720, 4, teal), 0, "thin"));
  Buffer one(source);
  EXPECT_TRUE(Matches(Render(source, Setting(0.25, 0.75, 0.25, 0.75), &one), Cut(source, 180, 120, 540, 360, teal), 0,
                      "in place"));
}

// A factor of zero, or a crop emptied by clamping, leaves nothing to draw.
TEST_F(LineEffect, NothingToDrawLeavesTheBackgroundAlone) {
  const Picture source = MakePicture(kW, kH, Noise), background(kW, kH, Opaque(kTeal));
  for (const EffectSetting& s : {Setting(0, 1, 0, 1, -100), Setting(0.2, 0.4, 0.1, 0.3, 0, -100),
                                 Setting(0.02, 0.48, 0, 1, -100),  // a centre inexact in binary
                                 Setting(1.2, 1.5, 0, 1), Setting(0, 1, -0.7, -0.1, 50, 50, 10),
                                 Setting(0.5, 0.5, 0, 1), Setting(0.8, 0.2, 0, 1)})
    EXPECT_TRUE(Matches(Render(source, s), background, 0,
                        std::to_string(s.left) + " " + std::to_string(s.top) + " " + std::to_string(s.scaleX)));
}

// On the video formats' frames, factor 1 keeps the pixel edges and factor 0 leaves none.
TEST(ScaleRelAboutCenter, FactorsOneAndZeroHoldForEveryTwoDigitRectangle) {
  int kept = 0, emptied = 0;
  for (const Rect frame : {R(0, 0, 720, 480), R(0, 0, 720, 576), R(0, 0, 1920, 1080)})
    for (int low = 0; low < 100; ++low)
      for (int high = low + 1; high <= 100; ++high) {
        const relRect r{low / 100.0, high / 100.0, low / 100.0, high / 100.0};
        const Rect before = Rel2Rect(r, frame), same = Rel2Rect(ScaleRelAboutCenter(r, 0, 0), frame);
        const Rect none = Rel2Rect(ScaleRelAboutCenter(r, -100, -100), frame);
        kept += std::memcmp(&before, &same, sizeof before) == 0;
        emptied += none.left == none.right && none.top == none.bottom;
      }
  EXPECT_EQ(kept, 3 * 5050);
  EXPECT_EQ(emptied, 3 * 5050);
}

// Against geometry alone, with probes pinning edges where interpolation leaves room.
TEST_F(LineEffect, ScalingAndTurningFollowTheGeometry) {
  struct Probe {
    int x, y;
    bool background;
  };
  struct Case {
    const char* name;
    EffectSetting setting;
    std::vector<Probe> probes;
  };
  Picture marked = MakePicture(kW, kH, [](int x, int y) { return Smooth(x, y, kW, kH); });
  for (int y = 120; y < 140; ++y)  // a red mark in the crop's top-left corner shows where it goes
    for (int x = 180; x < 200; ++x) marked.at(x, y) = Opaque(255, 0, 0);
  const Case cases[] = {
      // (72, 96)-(288, 240) grows to (-36, 81)-(396, 254) about (180, 168).
      {"off centre", Setting(0.1, 0.4, 0.2, 0.5, 100, 20),
       {{396, 160, true}, {394, 160, false}, {180, 80, true}, {180, 82, false}, {180, 254, true}}},
      // The whole picture at half size, exactly (180, 120)-(540, 360).
      {"half", Setting(0, 1, 0, 1, -50, -50),
       {{179, 240, true}, {540, 240, true}, {360, 119, true}, {360, 360, true}, {180, 240, false}, {539, 359, false}}},
      // Factor -2 upright: flipped top to bottom and twice as high about the same centre.
      {"flipped", Setting(0.25, 0.75, 0.25, 0.5, 0, -300), {{360, 59, true}, {360, 61, false}, {360, 299, false}}},
      // A quarter turn: 240 × 360 about (360, 240); the crop's top-left corner ends bottom left.
      {"ccw", Setting(0.25, 0.75, 0.25, 0.75, 0, 0, 25), {{238, 240, true}, {360, 58, true}, {242, 62, false}}},
      // 720 × 288 turned by 43.2°: leaves the frame at top and bottom, bares the corners.
      {"scaled then turned", Setting(0.25, 0.75, 0.25, 0.75, 100, 20, 12),
       {{510, 99, false}, {560, 5, false}, {5, 5, true}, {714, 474, true}}},
      // The crop (0, 0)-(360, 480) fills (-360, 0)-(360, 480); the right half is background.
      {"outside", Setting(-0.5, 0.5, 0, 1), {{360, 100, true}, {719, 300, true}, {359, 100, false}}},
  };
  for (const Case& c : cases) {
    const Picture out = Render(marked, c.setting);
    EXPECT_TRUE(Matches(out, ExpectedEffect(marked, c.setting), 3, c.name));
    for (const Probe& p : c.probes)
      EXPECT_EQ(out.at(p.x, p.y) == Opaque(kTeal), p.background) << c.name << " at " << p.x << "," << p.y;
    if (c.setting.turn == 25) {
      EXPECT_EQ(out.at(250, 410), Opaque(255, 0, 0)) << c.name;
    }
  }
  // Factor -1 on the whole frame is a left-right mirror, pixel for pixel.
  const Picture small = MakePicture(96, 64, Noise);
  EXPECT_TRUE(Matches(Render(small, Setting(0, 1, 0, 1, -200)),
                      MakePicture(96, 64, [&](int x, int y) { return small.at(95 - x, y); }), 0, "mirror"));
}
