// Settings a host lends per instance, laid over a pass's copy of the configuration.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/InstanceSettings.h"
#include "model/pascalFX.h"

namespace {

HYPluginEffectSettings gLent{};
HYPluginResult gAnswer = kPluginOK;
int gAsked = 0;

HYPluginResult Lend(HYInstance, HYPluginEffectSettings* out) {
  ++gAsked;
  *out = gLent;
  return gAnswer;
}

class InstanceSettingsTest : public ::testing::Test {
 protected:
  HYProcs procs{};
  PluginParams params{};
  pluginDataRec config{};
  pluginDataRec saved{};
  InstanceSettingsTest() {
    procs.GetEffectSettings = Lend;
    params.procs = &procs;
    params.interfaceVersion = 5;
    ResetConfig(&config, true);
    config.startRel = relRect{0.1, 0.9, 0.2, 0.8};
    config.sliders[0] = 15;
    config.mediaType = 3;
    std::memcpy(&saved, &config, sizeof saved);  // padding included, for the byte comparison
    gAnswer = kPluginOK;
    gAsked = 0;
  }
  bool Unchanged() const { return std::memcmp(&config, &saved, sizeof config) == 0; }
};

}  // namespace

TEST_F(InstanceSettingsTest, OlderHostsNilSlotsAndRefusalsKeepTheSavedSettings) {
  params.interfaceVersion = 4;  // its table ends before the slot: never read
  EXPECT_FALSE(OverlayInstanceSettings(&params, &config));
  EXPECT_EQ(gAsked, 0);
  params.interfaceVersion = 5;
  gAnswer = kPluginUnimplemented;
  EXPECT_FALSE(OverlayInstanceSettings(&params, &config));
  EXPECT_EQ(gAsked, 1);
  procs.GetEffectSettings = nullptr;
  EXPECT_FALSE(OverlayInstanceSettings(&params, &config));
  EXPECT_TRUE(Unchanged());
}

// Values are clamped as the dialog would, NaN keeps the field, and nothing else changes.
TEST_F(InstanceSettingsTest, LentSettingsReplaceOnlyTheRectangleSlidersAndBackground) {
  gLent = HYPluginEffectSettings{1.5, -0.5, NAN, 0.4, 250.7, -300, 12.6, RGBColor{1, 2, 3}};
  ASSERT_TRUE(OverlayInstanceSettings(&params, &config));
  EXPECT_EQ(config.startRel.left, 0.0) << "edges clamped to the frame, then put in order";
  EXPECT_EQ(config.startRel.right, 1.0);
  EXPECT_EQ(config.startRel.top, 0.2) << "NaN keeps the saved edge";
  EXPECT_EQ(config.startRel.bottom, 0.4);
  EXPECT_EQ(config.sliders[0], 200);
  EXPECT_EQ(config.sliders[1], -100);
  EXPECT_EQ(config.sliders[2], 13) << "rounded to whole percent";
  EXPECT_EQ(config.colors[0].blue, 3);
  gLent.rotation = -1e300;
  gLent.widthChange = NAN;
  ASSERT_TRUE(OverlayInstanceSettings(&params, &config));
  EXPECT_EQ(config.sliders[2], -100) << "a turn never wraps past its range";
  EXPECT_EQ(config.sliders[0], 200);

  config.startRel = saved.startRel;
  std::memcpy(config.sliders, saved.sliders, sizeof config.sliders);
  config.colors[0] = saved.colors[0];
  EXPECT_TRUE(Unchanged());
}
