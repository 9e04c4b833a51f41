// The crop, scale and rotate renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

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

TEST_F(LineEffect, TheDefaultSettingReproducesTheSource) {
  const Picture source = NoiseFrame();
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, 0, 1)), source, 0, "whole"));
}

TEST_F(LineEffect, WithTheSlidersAtZeroTheRectangleStaysInPlaceOverTheBackground) {
  const Picture source = NoiseFrame();
  EXPECT_TRUE(Matches(Render(source, Setting(0.25, 0.75, 0.25, 0.75)), InPlace(source, 180, 120, 540, 360), 0,
                      "quarter"));
  // Odd sizes and edges touching the frame; pixel edges are truncated.
  EXPECT_TRUE(Matches(Render(source, Setting(0.0013, 0.3, 0.51, 1)), InPlace(source, 0, 244, 216, 480), 0, "odd"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.9, 1, 0, 0.01)), InPlace(source, 648, 0, 720, 4), 0, "thin"));
  const Picture small = NoiseFrame(37, 23);
  EXPECT_TRUE(Matches(Render(small, Setting(0.1, 0.9, 0.2, 0.7)), InPlace(small, 3, 4, 33, 16), 0, "small"));
  // Many fractions inside the frame whose products fall just short of whole pixels.
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

TEST_F(LineEffect, ScalingKeepsTheRectanglesCentre) {
  const Picture source = SmoothFrame();
  // Twice as wide about x 360: target (0, 120)-(720, 360); the 360 pixels are stretched to 720.
  const Picture wide = Render(source, Setting(0.25, 0.75, 0.25, 0.75, 100));
  EXPECT_TRUE(Matches(wide, ExpectedEffect(source, Setting(0.25, 0.75, 0.25, 0.75, 100)), 3, "wide"));
  EXPECT_EQ(wide.at(360, 119), Opaque(kTeal));
  EXPECT_EQ(wide.at(360, 360), Opaque(kTeal));
  EXPECT_NE(wide.at(2, 240), Opaque(kTeal));
  // Off centre and both ways: the rectangle (72, 96)-(288, 240) grows to (-36, 81)-(396, 254),
  // still centred on (180, 168) up to the truncation of its edges.
  const EffectSetting offCentre = Setting(0.1, 0.4, 0.2, 0.5, 100, 20);
  const Picture grown = Render(source, offCentre);
  EXPECT_TRUE(Matches(grown, ExpectedEffect(source, offCentre), 3, "off centre"));
  EXPECT_EQ(grown.at(396, 160), Opaque(kTeal));
  EXPECT_NE(grown.at(394, 160), Opaque(kTeal));
  EXPECT_EQ(grown.at(180, 80), Opaque(kTeal));
  EXPECT_NE(grown.at(180, 82), Opaque(kTeal));
  EXPECT_EQ(grown.at(180, 254), Opaque(kTeal));
}

TEST_F(LineEffect, HalfSizeCentresTheWholePicture) {
  const Picture source = SmoothFrame();
  const Picture half = Render(source, Setting(0, 1, 0, 1, -50, -50));
  EXPECT_TRUE(Matches(half, ExpectedEffect(source, Setting(0, 1, 0, 1, -50, -50)), 3, "half"));
  // Exactly (180, 120)-(540, 360): pixel edges fall on the grid, so nothing bleeds.
  EXPECT_EQ(half.at(179, 240), Opaque(kTeal));
  EXPECT_EQ(half.at(540, 240), Opaque(kTeal));
  EXPECT_EQ(half.at(360, 119), Opaque(kTeal));
  EXPECT_EQ(half.at(360, 360), Opaque(kTeal));
  EXPECT_NE(half.at(180, 240), Opaque(kTeal));
  EXPECT_NE(half.at(539, 359), Opaque(kTeal));
}

TEST_F(LineEffect, AFactorOfZeroLeavesOnlyTheBackground) {
  const Picture source = NoiseFrame();
  const Picture background(kW, kH, Opaque(kTeal));
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, 0, 1, -100)), background, 0, "sx -100"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.2, 0.4, 0.1, 0.3, 0, -100)), background, 0, "sy -100"));
  // Edges whose centre is not exact in binary: a one-pixel column must not survive.
  EXPECT_TRUE(Matches(Render(source, Setting(0.02, 0.48, 0, 1, -100)), background, 0, "inexact centre"));
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

TEST_F(LineEffect, ANegativeFactorMirrorsThePicture) {
  const Picture source = NoiseFrame(96, 64);
  // Factor -1 across the whole frame: a left-right mirror, pixel for pixel.
  const Picture mirror = MakePicture(96, 64, [&](int x, int y) { return source.at(95 - x, y); });
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, 0, 1, -200)), mirror, 0, "mirror"));
  // Factor -2 upright: flipped top to bottom and twice as high about the same centre.
  const Picture smooth = SmoothFrame(160, 120);
  const EffectSetting flipped = Setting(0.25, 0.75, 0.25, 0.5, 0, -300);
  const Picture out = Render(smooth, flipped);
  EXPECT_TRUE(Matches(out, ExpectedEffect(smooth, flipped), 3, "flipped"));
  // The crop's top row ends up near the bottom of the doubled rectangle (y 15 to 75).
  EXPECT_NEAR(out.at(60, 74).g, smooth.at(60, 30).g, 12);
  EXPECT_NEAR(out.at(60, 16).g, smooth.at(60, 59).g, 12);
}

TEST_F(LineEffect, QuarterTurnsGoCounterClockwiseForPositiveValues) {
  const Picture source = SmoothFrame();
  // A red mark in the crop's top-left corner shows where that corner goes.
  Picture marked = source;
  for (int y = 120; y < 140; ++y)
    for (int x = 180; x < 200; ++x) marked.at(x, y) = Opaque(255, 0, 0);

  const EffectSetting ccw = Setting(0.25, 0.75, 0.25, 0.75, 0, 0, 25);
  const Picture left = Render(marked, ccw);
  EXPECT_TRUE(Matches(left, ExpectedEffect(marked, ccw), 3, "ccw"));
  // The 360 × 240 picture stands 240 × 360 about (360, 240): x 240..480, y 60..420.
  EXPECT_EQ(left.at(238, 240), Opaque(kTeal));
  EXPECT_EQ(left.at(360, 58), Opaque(kTeal));
  EXPECT_NE(left.at(242, 62), Opaque(kTeal));
  EXPECT_EQ(left.at(250, 410), Opaque(255, 0, 0)) << "the top-left corner moved to the bottom left";

  const EffectSetting cw = Setting(0.25, 0.75, 0.25, 0.75, 0, 0, -25);
  const Picture right = Render(marked, cw);
  EXPECT_TRUE(Matches(right, ExpectedEffect(marked, cw), 3, "cw"));
  EXPECT_EQ(right.at(470, 70), Opaque(255, 0, 0)) << "the top-left corner moved to the top right";
}

TEST_F(LineEffect, AFullTurnLooksLikeNone) {
  const Picture source = SmoothFrame();
  const EffectSetting none = Setting(0.2, 0.7, 0.3, 0.8);
  EffectSetting full = none;
  full.turn = 100;
  Picture expected = Render(source, none);
  // Floating-point rounding of a full turn may soften the outline; inside, the same picture.
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (std::abs(x - 144) <= 1 || std::abs(x - 504) <= 1 || std::abs(y - 144) <= 1 || std::abs(y - 384) <= 1)
        expected.ignore(x, y);
  EXPECT_TRUE(Matches(Render(source, full), expected, 2, "full turn"));
}

TEST_F(LineEffect, ARectangleReachingOutsideStretchesItsVisiblePart) {
  const Picture source = SmoothFrame();
  const EffectSetting s = Setting(-0.5, 0.5, 0, 1);
  const Picture out = Render(source, s);
  EXPECT_TRUE(Matches(out, ExpectedEffect(source, s), 3, "outside"));
  // The crop (0, 0)-(360, 480) fills (-360, 0)-(360, 480): the left half of the frame shows
  // the source's x 180..360 at double width, the right half is background.
  for (int y = 0; y < kH; y += 7) {
    EXPECT_EQ(out.at(360, y), Opaque(kTeal));
    EXPECT_EQ(out.at(719, y), Opaque(kTeal));
  }
  for (int k = 1; k < 179; k += 7) {
    // Two output pixels share each source pixel; their mean is that pixel's value.
    const Pixel a = out.at(2 * k, 200), b = out.at(2 * k + 1, 200), want = source.at(180 + k, 200);
    EXPECT_NEAR((a.r + b.r) / 2.0, want.r, 3) << k;
    EXPECT_NEAR((a.g + b.g) / 2.0, want.g, 3) << k;
  }
}

TEST_F(LineEffect, TheTurnFollowsTheScaleAndMayReachOutsideTheFrame) {
  const Picture source = SmoothFrame();
  const EffectSetting s = Setting(0.25, 0.75, 0.25, 0.75, 100, 20, 12);
  const Picture out = Render(source, s);
  EXPECT_TRUE(Matches(out, ExpectedEffect(source, s), 3, "scaled then turned"));
  // The 720 × 288 rectangle turned by 43.2° about (360, 240) leaves the frame at the top
  // and bottom, and the background shows in the corners it no longer covers.
  EXPECT_NE(out.at(360 + 150, 240 - 141), Opaque(kTeal)) << "along the turned long axis";
  EXPECT_NE(out.at(360 + 200, 5), Opaque(kTeal));
  EXPECT_EQ(out.at(5, 5), Opaque(kTeal));
  EXPECT_EQ(out.at(714, 474), Opaque(kTeal));
}

TEST_F(LineEffect, ACropLeftEmptyByClampingGivesTheBackgroundAlone) {
  const Picture source = NoiseFrame(64, 48);
  const Picture background(64, 48, Opaque(kTeal));
  EXPECT_TRUE(Matches(Render(source, Setting(1.2, 1.5, 0, 1)), background, 0, "right of the frame"));
  EXPECT_TRUE(Matches(Render(source, Setting(0, 1, -0.7, -0.1, 50, 50, 10)), background, 0, "above the frame"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.5, 0.5, 0, 1)), background, 0, "no width"));
  EXPECT_TRUE(Matches(Render(source, Setting(0.8, 0.2, 0, 1)), background, 0, "reversed"));
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

TEST_F(LineEffect, FrameNumbersEndRelAndOtherSettingsChangeNothing) {
  const Picture source = SmoothFrame(160, 120);
  const EffectSetting s = Setting(0.1, 0.8, 0.2, 0.6, 30, -20, 7);
  const Picture reference = Render(source, s, 0, 1);
  EXPECT_TRUE(Matches(Render(source, s, 57, 300), reference, 0, "frame numbers"));
  config.endRel = relRect{0.4, 0.5, 0.4, 0.5};
  config.sync = true;
  config.outside = false;
  config.clipActive = true;
  config.keepProps = true;
  config.blendMode = 10;
  config.frameStartColor = RGBColor{1, 2, 3};
  config.frameEndColor = RGBColor{4, 5, 6};
  config.colors[1] = RGBColor{7, 8, 9};
  config.sliders[3] = 99;
  config.mediaType = 3;
  CGImageRef picture = vantiro::MakeImage(1, 1, {0xFF00FF00u});
  config.theOriginalImage = picture;
  config.theRendered = picture;
  EXPECT_TRUE(Matches(Render(source, s, -4, 0), reference, 0, "other settings"));
  CGImageRelease(picture);
}

TEST_F(LineEffect, RestoresThePortAndLeavesNothingBehind) {
  Buffer elsewhere(4, 4);
  vantiro::PortScope scope(elsewhere.gw());
  const Footprint before;
  Render(SmoothFrame(80, 60), Setting(0.1, 0.9, 0.1, 0.9, 40, 40, 30));
  EXPECT_TRUE(before.Unchanged());
  Render(SmoothFrame(80, 60), Setting(2, 3, 0, 1));  // the empty crop's path too
  EXPECT_TRUE(before.Unchanged());
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
