// The render driver: the host's DoEffect and the dialog's CallPixelEffect.
#include <gtest/gtest.h>

#include <cstring>

#include "model/Globals.h"
#include "model/pascalFX.h"
#include "platform/coregraphics/CGImage.h"
#include "render/callpixelfx.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

const RGBColor kPlum{0x6600, 0x2200, 0x5500};

class Driver : public ::testing::Test {
 protected:
  Driver() {
    pNewConfig(&config);
    ResetConfig(config, true);
    config->colors[0] = kPlum;
  }
  ~Driver() override {
    gConfigWorkSpace = pluginWorkSpace{};
    pDestroyConfig(config);
  }

  struct Call {
    int32_t frame = 0, fadeIn = 0, fadeOut = 0, total = 1;
    double s1 = 0, s2 = 0, s3 = 0;
  };

  // DoEffect into a fresh target; `opacity` is handed over and its value reported back.
  Picture Effect(const Picture& source, const Call& call, int16_t* opacity = nullptr) {
    Buffer from(source), to(source.width, source.height);
    int16_t local = 1234;
    DoEffect(config, nullptr, from.gw(), to.gw(), call.frame, call.fadeIn, call.fadeOut, call.total, call.s1, call.s2,
             call.s3, opacity != nullptr ? opacity : &local);
    return to.Read();
  }

  pluginDataPtr config = nullptr;
};

}  // namespace

TEST_F(Driver, TheWholeFrameWithTheSlidersAtZeroIsTheSource) {
  const Picture source = MakePicture(720, 480, Noise);
  int16_t opacity = -77;
  const Picture out = Effect(source, Call{5, 30, 45, 300, 0.5, 99, -3}, &opacity);
  EXPECT_TRUE(Matches(out, source, 0, "whole"));
  EXPECT_EQ(opacity, -77) << "opacity is neither read nor written";
}

TEST_F(Driver, FramesFadesHostSlidersAndOtherSettingsChangeNothing) {
  const Picture source = MakePicture(160, 120, [](int x, int y) { return Smooth(x, y, 160, 120); });
  config->startRel = relRect{0.2, 0.9, 0.1, 0.6};
  config->sliders[0] = 40;
  config->sliders[1] = -30;
  config->sliders[2] = 9;
  const Picture reference = Effect(source, Call{});
  EXPECT_TRUE(Matches(Effect(source, Call{17, 0, 0, 1000}), reference, 0, "frame index and count"));
  EXPECT_TRUE(Matches(Effect(source, Call{0, 12, 80, 1}), reference, 0, "fades"));
  EXPECT_TRUE(Matches(Effect(source, Call{0, 0, 0, 1, 100, -100, 0.25}), reference, 0, "host sliders"));
  // Nor does any part of the configuration beyond the rectangle, the sliders and the background.
  config->endRel = relRect{0, 0.1, 0, 0.1};
  config->sync = config->clipActive = config->keepProps = true;
  config->outside = false;
  config->blendMode = 10;
  config->frameStartColor = config->frameEndColor = config->colors[1] = RGBColor{1, 2, 3};
  config->sliders[3] = 99;
  config->mediaType = 3;
  CGImageRef picture = vantiro::MakeImage(1, 1, {0xFF00FF00u});
  config->theOriginalImage = picture;
  EXPECT_TRUE(Matches(Effect(source, Call{3, 4, 5, 6}), reference, 0, "other settings"));
  config->theOriginalImage = nullptr;
  CGImageRelease(picture);
}

TEST_F(Driver, LeavesThePortAndDeviceAsFoundAndNothingBehind) {
  Buffer elsewhere(3, 3), from(MakePicture(36, 24, Noise)), preview(36, 24);
  vantiro::PortScope scope(elsewhere.gw());
  const Footprint before;
  config->sliders[2] = 13;
  Effect(MakePicture(64, 48, Noise), Call{});
  EXPECT_TRUE(before.Unchanged());
  config->startRel = relRect{2, 3, 0, 1};  // the empty crop's way out as well
  Effect(MakePicture(64, 48, Noise), Call{});
  EXPECT_TRUE(before.Unchanged());
  gConfigWorkSpace.theConfig = config;
  CallPixelEffect(from.gw(), preview.gw());
  EXPECT_TRUE(before.Unchanged());
}

TEST_F(Driver, WithoutAConfigurationItStops) {
  Buffer from(4, 4), to(4, 4);
  int16_t opacity = 0;
  EXPECT_EXIT(DoEffect(nullptr, nullptr, from.gw(), to.gw(), 0, 0, 0, 1, 0, 0, 0, &opacity),
              testing::ExitedWithCode(1),
              "uninited theData in Plugin Effect master proc. need to call init before calling me");
}

TEST_F(Driver, ThePreviewCutsTheSameFractionsAsTheFullSizeRender) {
  config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  gConfigWorkSpace.theConfig = config;
  gConfigWorkSpace.currFrameIndex = 12;
  gConfigWorkSpace.maxFrameIndex = 90;
  const Picture source = MakePicture(360, 240, Noise);
  Buffer from(source), preview(360, 240);
  CallPixelEffect(from.gw(), preview.gw());
  const Picture expected = MakePicture(360, 240, [&](int x, int y) {
    return (x >= 90 && x < 270 && y >= 60 && y < 180) ? source.at(x, y) : Opaque(kPlum);
  });
  EXPECT_TRUE(Matches(preview.Read(), expected, 0, "preview"));

  // The workspace's frame numbers play no part either, and the full size agrees.
  gConfigWorkSpace.currFrameIndex = 0;
  gConfigWorkSpace.maxFrameIndex = 1;
  Buffer again(360, 240);
  CallPixelEffect(from.gw(), again.gw());
  EXPECT_TRUE(Matches(again.Read(), expected, 0, "frame numbers"));
}

TEST_F(Driver, PixelDriveRendersTheRectangleItIsGiven) {
  // The driver's rectangle is used as the crop; startRel still places the picture.
  config->startRel = relRect{0, 0.5, 0, 1};
  const Picture source = MakePicture(40, 20, Noise);
  Buffer from(source), to(40, 20);
  const Rect crop{0, 20, 20, 40};  // the right half of the source
  PixelDrive(from.gw(), to.gw(), crop, config, 0, 1);
  const Picture expected = MakePicture(40, 20, [&](int x, int y) { return x < 20 ? source.at(x + 20, y) : Opaque(kPlum); });
  EXPECT_TRUE(Matches(to.Read(), expected, 0, "crop"));

  Buffer target(40, 20);
  DoPascalPixelEffect(from.gw(), target.gw(), config, 0, 1);
  const Picture inPlace = MakePicture(40, 20, [&](int x, int y) { return x < 20 ? source.at(x, y) : Opaque(kPlum); });
  EXPECT_TRUE(Matches(target.Read(), inPlace, 0, "from startRel"));
}
