// The sliders and the live preview: each drag changes the record, the percentage beside
// the slider and the picture in the frame editor; the clip slider fetches frames.
#include "dialog/dlgUtils.h"
#include "model/Globals.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "tests/dialog/DialogFixture.h"

namespace vantiro::test {
namespace {

const Pixel kBackdrop = Opaque(0x30, 0x60, 0x90);

class Preview : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    config->colors[0] = RGBColor{0x3000, 0x6000, 0x9000};
    config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  }
  // The frame editor shows the effect of `setting` on `source`, away from the outline.
  static ::testing::AssertionResult ShowsEffect(const Picture& source, const EffectSetting& setting,
                                                const std::string& label) {
    const Rect r = BoundsOf(kSigClip, 1);
    return Matches(Shown(kSigClip), ExpectedPreview(source, setting, r.right - r.left, r.bottom - r.top, 7, 1), 8,
                   label);
  }
};

TEST_F(Preview, EachSliderDragChangesTheRecordItsPercentageAndThePreview) {
  config->sliders[5] = -4;
  const Picture source = ClipFrame(0, 720, 480);
  const std::pair<int16_t, int32_t> drags[] = {{1, 60}, {2, -40}, {3, 12}};
  EffectSetting setting{0.25, 0.75, 0.25, 0.75, 0, 0, 0, kBackdrop};
  seam::Then([&] {
    EXPECT_TRUE(ShowsEffect(source, setting, "opened"));
    // The three spare sliders are hidden, yet hold the record's values.
    EXPECT_FALSE(IsControlVisible(SimpleGetControlByID(seam::ModalWindow(), kSigSldr, 4)));
    EXPECT_EQ(ValueOf(kSigSldr, 6), -4);
  });
  for (const auto& [n, target] : drags) {
    seam::DragSlider(kSigSldr, n, target);
    seam::Then([&, n = n, target = target] {
      const int32_t value = ValueOf(kSigSldr, n);
      EXPECT_NEAR(value, target, 3) << "slider " << n;
      EXPECT_EQ(config->sliders[n - 1], value) << "slider " << n;
      EXPECT_EQ(TextOf(kSigLgnd, n), std::to_string(value) + "%");
      (n == 1 ? setting.scaleX : n == 2 ? setting.scaleY : setting.turn) = value;
      EXPECT_TRUE(ShowsEffect(source, setting, "slider" + std::to_string(n)));
    });
  }
  seam::Key(Qt::Key_Return);
  RunDialog(source);
}

// The clip slider and the frame steps fetch the frame at their position, which the preview
// and the text "position/last" show; steps stop at both ends.
TEST_F(Preview, TheClipSliderAndTheFrameStepsFetchAndShowTheFrameAtTheirPosition) {
  host.params.startFrame = 100;
  const auto expectAt = [&](int32_t position, const std::string& what) {
    EXPECT_EQ(ValueOf(kSigClpS, 1), position) << what;
    EXPECT_EQ(TextOf(kSigClpM, 1), std::to_string(position) + "/19") << what;
    ASSERT_NE(host.Last("GetFrame"), nullptr) << what;
    EXPECT_EQ(host.Last("GetFrame")->args[0], 5 + position + 100) << "first frame 5 + position + startFrame";
    const Picture frame = ClipFrame(5 + position + 100, 720, 480);
    EXPECT_TRUE(ShowsEffect(frame, {0.25, 0.75, 0.25, 0.75, 0, 0, 0, kBackdrop}, what));
  };
  int32_t dragged = 0;
  size_t fetchedByDrag = 0;
  seam::Command(FOUR_CHAR_CODE('R', 'e', 'v', 'i'));
  seam::Then([&] { EXPECT_EQ(host.Count("GetFrame"), 0u) << "nothing before position 0"; });
  seam::DragSlider(kSigClpS, 1, 17);
  seam::Then([&] {
    dragged = ValueOf(kSigClpS, 1);
    fetchedByDrag = host.Count("GetFrame");
    EXPECT_NEAR(dragged, 17, 1);
    EXPECT_GE(fetchedByDrag, 2u) << "frames are fetched while the thumb moves";
    EXPECT_EQ(gConfigWorkSpace.currFrameIndex, dragged);
    expectAt(dragged, "scrubbed");
  });
  for (int i = 0; i < 4; ++i) seam::Command(FOUR_CHAR_CODE('A', 'd', 'v', 'a'));
  seam::Then([&] {
    expectAt(19, "stepped to the end");
    EXPECT_EQ(host.Count("GetFrame"), fetchedByDrag + size_t(19 - dragged)) << "nothing past the end";
  });
  seam::Command(FOUR_CHAR_CODE('R', 'e', 'v', 'i'));
  seam::Then([&] { expectAt(18, "a step back"); });
  seam::Key(Qt::Key_Escape);
  RunDialog(ClipFrame(5, 720, 480), 5, 20);
  EXPECT_EQ(host.Count("ReleaseFrame"), host.Count("GetFrame")) << "every fetched frame is released";
}

}  // namespace
}  // namespace vantiro::test
