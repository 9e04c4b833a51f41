// The crop, scale and rotate renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/pascalFX.h"
#include "model/relrects.h"
#include "platform/coregraphics/Bands.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/memory/Memory.h"
#include "render/lineEffect.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

constexpr int kW = 720, kH = 480;
const RGBColor kTeal{0x1200, 0x8800, 0x9900};

Picture NoiseFrame(int w = kW, int h = kH) { return MakePicture(w, h, Noise); }
Picture SmoothFrame(int w = kW, int h = kH) {
  return MakePicture(w, h, [&](int x, int y) { return Smooth(x, y, w, h); });
}

class LineEffect : public ::testing::Test {
 protected:
  LineEffect() {
    std::memset(&config, 0, sizeof config);
    ResetConfig(&config, true);
    config.colors[0] = kTeal;
  }

  void Set(const EffectSetting& s) {
    config.startRel = relRect{s.left, s.right, s.top, s.bottom};
    config.sliders[0] = int16_t(s.scaleX);
    config.sliders[1] = int16_t(s.scaleY);
    config.sliders[2] = int16_t(s.turn);
  }

  // The effect as the driver calls it: startRel in pixels of dest, copyRest true.
  Picture Render(const Picture& source, const EffectSetting& s, int32_t frame = 0, int32_t count = 1) {
    Set(s);
    Buffer from(source), to(source.width, source.height);
    const Rect frameRect{0, 0, int16_t(source.height), int16_t(source.width)};
    theLineEffect(from.gw(), to.gw(), Rel2Rect(config.startRel, frameRect), true, &config, frame, count);
    return to.Read();
  }

  EffectSetting Setting(double left, double right, double top, double bottom, int sx = 0, int sy = 0, int sr = 0) {
    EffectSetting s;
    s.left = left, s.right = right, s.top = top, s.bottom = bottom;
    s.scaleX = sx, s.scaleY = sy, s.turn = sr;
    s.background = Opaque(kTeal);
    return s;
  }

  // The source inside the pixel rectangle, in place; the background elsewhere.
  Picture InPlace(const Picture& source, int left, int top, int right, int bottom) {
    return MakePicture(source.width, source.height, [&](int x, int y) {
      return (x >= left && x < right && y >= top && y < bottom) ? source.at(x, y) : Opaque(kTeal);
    });
  }

  pluginDataRec config;
};

}  // namespace

TEST_F(LineEffect, WithTheSlidersAtZeroTheRectangleStaysInPlaceOverTheBackground) {
  const Picture source = NoiseFrame();
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, 0, 1)), source, 0, "whole"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.25, 0.75, 0.25, 0.75)), InPlace(source, 180, 120, 540, 360), 0,
                      "quarter"));
  // Odd sizes, edges touching the frame, and fractions whose products fall just short of
  // whole pixels: pixel edges are truncated.
  EXPECT_TRUE(Matches(Render(source, Setting(0.0013, 0.3, 0.51, 1)), InPlace(source, 0, 244, 216, 480), 0, "odd"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.9, 1, 0, 0.01)), InPlace(source, 648, 0, 720, 4), 0, "thin"));
  const Picture frame = NoiseFrame(101, 67);
  for (int i = 1; i < 5; ++i)
    for (int j = 1; j < 5; ++j) {
      const double left = 0.1 * i - 0.1, right = 0.1 * (i + j) + 0.19, top = 0.07 * j, bottom = 1 - 0.03 * i;
      const auto px = [](int extent, double f) { return int(std::trunc(extent * f)); };
      EXPECT_TRUE(Matches(Render(frame, Setting(left, right, top, bottom)),
                          InPlace(frame, px(101, left), px(67, top), px(101, right), px(67, bottom)), 0,
                          "sweep " + std::to_string(i) + "," + std::to_string(j)));
    }
}

TEST_F(LineEffect, SourceAndDestMayBeOneBuffer) {
  const Picture source = NoiseFrame();
  Set(Setting(0.25, 0.75, 0.25, 0.75));
  Buffer one(source);
  const Rect frameRect{0, 0, kH, kW};
  theLineEffect(one.gw(), one.gw(), Rel2Rect(config.startRel, frameRect), true, &config, 0, 1);
  EXPECT_TRUE(Matches(one.Read(), InPlace(source, 180, 120, 540, 360), 0, "in place"));

  const Picture smooth = SmoothFrame(200, 120);
  const EffectSetting turned = Setting(0.1, 0.6, 0.2, 0.9, 100, 20, 12);
  Set(turned);
  Buffer same(smooth);
  const Rect small{0, 0, 120, 200};
  theLineEffect(same.gw(), same.gw(), Rel2Rect(config.startRel, small), true, &config, 0, 1);
  EXPECT_TRUE(Matches(same.Read(), Render(smooth, turned), 0, "turned in place"));
}

// A factor of zero, and a crop left empty by clamping (outside the frame, no or a reversed
// extent), leave nothing to draw.
TEST_F(LineEffect, NothingToDrawLeavesTheBackgroundAlone) {
  const Picture source = NoiseFrame();
  const Picture background(kW, kH, Opaque(kTeal));
  for (const EffectSetting& s : {Setting(0, 1, 0, 1, -100), Setting(0.2, 0.4, 0.1, 0.3, 0, -100),
                                 Setting(0.02, 0.48, 0, 1, -100),  // a centre inexact in binary
                                 Setting(1.2, 1.5, 0, 1), Setting(0, 1, -0.7, -0.1, 50, 50, 10),
                                 Setting(0.5, 0.5, 0, 1), Setting(0.8, 0.2, 0, 1)})
    EXPECT_TRUE(Matches(Render(source, s), background, 0,
                        std::to_string(s.left) + " " + std::to_string(s.top) + " " + std::to_string(s.scaleX)));
}

// Every rectangle with two-digit edges, on the frame sizes of the video formats: a factor
// of 1 keeps the pixel edges, a factor of 0 leaves no pixel column or row.
TEST(ScaleRelAboutCenter, FactorsOneAndZeroHoldForEveryTwoDigitRectangle) {
  int kept = 0, emptied = 0;
  for (const Rect frame : {Rect{0, 0, 480, 720}, Rect{0, 0, 576, 720}, Rect{0, 0, 1080, 1920}})
    for (int low = 0; low < 100; ++low)
      for (int high = low + 1; high <= 100; ++high) {
        const relRect r{low / 100.0, high / 100.0, low / 100.0, high / 100.0};
        const Rect before = Rel2Rect(r, frame);
        const Rect same = Rel2Rect(ScaleRelAboutCenter(r, 0, 0), frame);
        const Rect none = Rel2Rect(ScaleRelAboutCenter(r, -100, -100), frame);
        kept += same.left == before.left && same.right == before.right && same.top == before.top &&
                same.bottom == before.bottom;
        emptied += none.left == none.right && none.top == none.bottom;
      }
  EXPECT_EQ(kept, 3 * 5050);
  EXPECT_EQ(emptied, 3 * 5050);
}

// Scaled, mirrored, turned and partly outside settings against the picture worked out from
// geometry alone, and a few pixels whose place in or out of the picture pins the geometry
// down where interpolation leaves room: (x, y, true when it must be background).
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
  Picture marked = SmoothFrame();  // a red mark in the crop's top-left corner shows where it goes
  for (int y = 120; y < 140; ++y)
    for (int x = 180; x < 200; ++x) marked.at(x, y) = Opaque(255, 0, 0);
  const Case cases[] = {
      // Twice as wide about x 360: (0, 120)-(720, 360).
      {"wide", Setting(0.25, 0.75, 0.25, 0.75, 100), {{360, 119, true}, {360, 360, true}, {2, 240, false}}},
      // (72, 96)-(288, 240) grows to (-36, 81)-(396, 254) about (180, 168).
      {"off centre", Setting(0.1, 0.4, 0.2, 0.5, 100, 20),
       {{396, 160, true}, {394, 160, false}, {180, 80, true}, {180, 82, false}, {180, 254, true}}},
      // The whole picture at half size, exactly (180, 120)-(540, 360).
      {"half", Setting(0, 1, 0, 1, -50, -50),
       {{179, 240, true}, {540, 240, true}, {360, 119, true}, {360, 360, true}, {180, 240, false}, {539, 359, false}}},
      // Factor -2 upright: flipped top to bottom and twice as high about the same centre.
      {"flipped", Setting(0.25, 0.75, 0.25, 0.5, 0, -300), {{360, 59, true}, {360, 61, false}, {360, 299, false}}},
      // A quarter turn each way: 240 × 360 about (360, 240).
      {"ccw", Setting(0.25, 0.75, 0.25, 0.75, 0, 0, 25), {{238, 240, true}, {360, 58, true}, {242, 62, false}}},
      {"cw", Setting(0.25, 0.75, 0.25, 0.75, 0, 0, -25), {{482, 240, true}, {478, 418, false}}},
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
  }
  // Which way the turns go: the crop's top-left corner ends bottom left, or top right.
  EXPECT_EQ(Render(marked, cases[4].setting).at(250, 410), Opaque(255, 0, 0));
  EXPECT_EQ(Render(marked, cases[5].setting).at(470, 70), Opaque(255, 0, 0));
  // Factor -1 on the whole frame is a left-right mirror, pixel for pixel.
  const Picture small = NoiseFrame(96, 64);
  EXPECT_TRUE(Matches(Render(small, Setting(0, 1, 0, 1, -200)),
                      MakePicture(96, 64, [&](int x, int y) { return small.at(95 - x, y); }), 0, "mirror"));
}

TEST_F(LineEffect, AFullTurnLooksLikeNone) {
  const Picture source = SmoothFrame();
  Picture expected = Render(source, Setting(0.2, 0.7, 0.3, 0.8));
  // Floating-point rounding of a full turn may soften the outline; inside, the same picture.
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (std::abs(x - 144) <= 1 || std::abs(x - 504) <= 1 || std::abs(y - 144) <= 1 || std::abs(y - 384) <= 1)
        expected.ignore(x, y);
  EXPECT_TRUE(Matches(Render(source, Setting(0.2, 0.7, 0.3, 0.8, 0, 0, 100)), expected, 2, "full turn"));
}

TEST_F(LineEffect, BandsRenderTheSameBytesAsOneBand) {
  const Picture source = SmoothFrame();
  for (const EffectSetting& s : {Setting(0, 1, 0, 1), Setting(0.25, 0.75, 0.25, 0.75, 100, 20),
                                 Setting(0.25, 0.75, 0.25, 0.75, 100, 20, 12), Setting(-0.5, 0.5, 0, 1, -30, 0, -25),
                                 Setting(0.1, 0.9, 0.2, 0.8, -250, -150, 7)}) {
    vantiro::SetDrawingBands(1);
    const Picture one = Render(source, s);
    for (const int bands : {2, 5}) {
      vantiro::SetDrawingBands(bands);
      EXPECT_TRUE(Matches(Render(source, s), one, 0, "bands " + std::to_string(bands)));
    }
  }
  vantiro::SetDrawingBands(0);
}

TEST_F(LineEffect, StopsWhenTheTemporaryBufferCannotBeMade) {
  const Picture source = NoiseFrame(16, 16);
  Buffer from(source), to(16, 16);
  const Rect crop{0, 0, 8, 8};
  EXPECT_EXIT(
      {
        VantiroFailNextAllocations(1);
        theLineEffect(from.gw(), to.gw(), crop, true, &config, 0, 1);
      },
      testing::ExitedWithCode(1), "Cannot allocate tempGW for CG Image conversion in theLineEffect");
}
