// The render driver: the host's DoEffect and the dialog's CallPixelEffect.
#include <gtest/gtest.h>

#include "model/Globals.h"
#include "model/pascalFX.h"
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

  // DoEffect into a fresh target with frame, fades, count and host sliders as given.
  Picture Effect(const Picture& source, int32_t frame = 0, int32_t fadeIn = 0, int32_t fadeOut = 0, int32_t total = 1,
                 double s1 = 0, double s2 = 0, double s3 = 0, int16_t* opacity = nullptr) {
    Buffer from(source), to(source.width, source.height);
    int16_t local = 1234;
    DoEffect(config, nullptr, from.gw(), to.gw(), frame, fadeIn, fadeOut, total, s1, s2, s3,
             opacity != nullptr ? opacity : &local);
    return to.Read();
  }

  pluginDataPtr config = nullptr;
};

}  // namespace

TEST_F(Driver, FramesFadesHostSlidersAndOtherSettingsChangeNothing) {
  const Picture noise = MakePicture(720, 480, Noise);
  int16_t opacity = -77;
  EXPECT_TRUE(Matches(Effect(noise, 5, 30, 45, 300, 0.5, 99, -3, &opacity), noise, 0, "whole frame, sliders at zero"));
  EXPECT_EQ(opacity, -77) << "opacity is neither read nor written";

  const Picture source = MakePicture(160, 120, [](int x, int y) { return Smooth(x, y, 160, 120); });
  config->startRel = relRect{0.2, 0.9, 0.1, 0.6};
  config->sliders[0] = 40, config->sliders[1] = -30, config->sliders[2] = 9;
  const Picture reference = Effect(source);
  EXPECT_TRUE(Matches(Effect(source, 17, 12, 80, 1000, 100, -100, 0.25), reference, 0, "frame, fades, host sliders"));
  // Nor does any part of the configuration beyond the rectangle, the sliders and the background.
  config->endRel = relRect{0, 0.1, 0, 0.1};
  config->clipActive = config->keepProps = true;
  config->blendMode = 10;
  config->colors[1] = RGBColor{1, 2, 3};
  config->sliders[3] = 99;
  EXPECT_TRUE(Matches(Effect(source, 3, 4, 5, 6), reference, 0, "other settings"));
}

TEST_F(Driver, LeavesThePortAndDeviceAsFoundAndNothingBehind) {
  Buffer elsewhere(3, 3), from(MakePicture(36, 24, Noise)), preview(36, 24);
  vantiro::PortScope scope(elsewhere.gw());
  const Footprint before;
  config->sliders[2] = 13;
  Effect(MakePicture(64, 48, Noise));
  config->startRel = relRect{2, 3, 0, 1};  // the empty crop's way out as well
  Effect(MakePicture(64, 48, Noise));
  gConfigWorkSpace.theConfig = config;
  CallPixelEffect(from.gw(), preview.gw());
  EXPECT_TRUE(before.Unchanged());
}

// The preview ignores the workspace's frame numbers; PixelDrive places its crop by startRel.
TEST_F(Driver, ThePreviewAndPixelDriveCutWhatTheyAreGiven) {
  config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  gConfigWorkSpace.theConfig = config;
  const Picture source = MakePicture(360, 240, Noise);
  Buffer from(source), preview(360, 240);
  gConfigWorkSpace.currFrameIndex = 12;
  gConfigWorkSpace.maxFrameIndex = 13;
  CallPixelEffect(from.gw(), preview.gw());
  EXPECT_TRUE(Matches(preview.Read(), Cut(source, 90, 60, 270, 180, Opaque(kPlum)), 0, "preview"));

  config->startRel = relRect{0, 0.5, 0, 1};
  const Picture small = MakePicture(40, 20, Noise);
  Buffer in(small), crop(40, 20), target(40, 20);
  PixelDrive(in.gw(), crop.gw(), R(20, 0, 40, 20), config, 0, 1);  // the right half of the source
  EXPECT_TRUE(Matches(crop.Read(), Cut(small, 0, 0, 20, 20, Opaque(kPlum), 20), 0, "crop"));
  DoPascalPixelEffect(in.gw(), target.gw(), config, 0, 1);
  EXPECT_TRUE(Matches(target.Read(), Cut(small, 0, 0, 20, 20, Opaque(kPlum)), 0, "from startRel"));
}
