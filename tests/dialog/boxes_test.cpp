// The colour box with the colour picker, and the picture box.
#include "dialog/dlgUtils.h"
#include "model/Globals.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "tests/dialog/DialogFixture.h"

namespace vantiro::test {
namespace {

constexpr RGBColor kPlum{0x6600, 0x2200, 0x5500};

class Boxes : public DialogTest {
 protected:
  // Every pixel of the swatch inside its black outline has this colour.
  static ::testing::AssertionResult Shows(const Picture& swatch, Pixel colour) {
    for (int y = 0; y < swatch.height; ++y)
      for (int x = 0; x < swatch.width; ++x) {
        const bool edge = x == 0 || y == 0 || x == swatch.width - 1 || y == swatch.height - 1;
        const Pixel want = edge ? Opaque(0, 0, 0) : colour;
        if (!(swatch.at(x, y) == want))
          return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << swatch.at(x, y) << " not " << want;
      }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(Boxes, AColourPickedForTheBackgroundReachesTheSwatchTheRecordAndThePreview) {
  config->colors[0] = kPlum;
  config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  seam::Then([&] { EXPECT_TRUE(Shows(Shown(kSigColr), Opaque(0x66, 0x22, 0x55))); });
  seam::ClickControl(kSigColr, 1);
  seam::PickColor(RGBColor{0x1E1E, 0x9A9A, 0x3C3C});
  Picture preview;
  seam::Then([&] {
    EXPECT_EQ(ValueOf(kSigColr, 1), 0x1E9A3C);
    EXPECT_TRUE(Shows(Shown(kSigColr), Opaque(0x1E, 0x9A, 0x3C)));
    preview = Shown(kSigClip);
  });
  seam::Key(Qt::Key_Return);
  RunDialog();
  const RGBColor& c = config->colors[0];
  EXPECT_EQ((std::array<int, 3>{c.red, c.green, c.blue}), (std::array<int, 3>{0x1E00, 0x9A00, 0x3C00}));
  EXPECT_EQ(preview.at(40, 40), Opaque(0x1E, 0x9A, 0x3C)) << "the background around the rectangle";

  seam::Then([&] { ASSERT_TRUE(TabTo(BoundsOf(kSigColr, 1))); });
  seam::Key(Qt::Key_Space);  // Space presses the box as a click does
  seam::PickColor(RGBColor{65535, 65535, 65535});
  seam::Key(Qt::Key_Return);
  RunDialog();
  EXPECT_EQ(config->colors[0].red, 65280) << "white through the picker: the high byte only";
}

TEST_F(Boxes, AWidePictureIsLetterboxedInThePictureBox) {
  const auto file = WritePictureFile(prefs, "wide.png", 1000, 400);
  seam::Then([&] {
    const Picture empty = Shown(kSigPict);
    EXPECT_EQ(empty.at(empty.width / 2, empty.height / 2), Opaque(255, 255, 255)) << "empty and white";
    EXPECT_EQ(empty.at(0, empty.height / 2), Opaque(0, 0, 0)) << "with its frame";
  });
  seam::ClickControl(kSigPict, 1);  // the box itself sends the picture command
  seam::CancelChooser();
  seam::Then([&] { ASSERT_TRUE(TabTo(BoundsOf(kSigPict, 1))); });
  seam::Key(Qt::Key_Space);
  seam::ChooseFile(file.string());
  Picture box;
  seam::Then([&] { box = Shown(kSigPict); });
  seam::Key(Qt::Key_Escape);
  RunDialog();

  // 1000 × 400 in 128 × 96: 128 × 51, its centre on the box's; the stripe is its top tenth.
  ASSERT_EQ(box.width * 1000 + box.height, 128 * 1000 + 96);
  const int height = int(128 * 400.0 / 1000 + 0.5), top = 96 / 2 - height / 2;
  const Pixel red = Opaque(200, 30, 40), blue = Opaque(20, 40, 220), white = Opaque(255, 255, 255);
  EXPECT_EQ((std::array{box.at(64, 0), box.at(64, top - 2), box.at(64, top + 2), box.at(1, top + height / 2),
                        box.at(126, top + height - 2), box.at(64, top + height + 2)}),
            (std::array{Opaque(0, 0, 0), white, blue, red, red, white}));
}

// Disabled, the picture box and the frame editor keep what the port shows and the swatch
// is erased; enabled again, the frame editor shows its new rectangle.
TEST_F(Boxes, DisabledBoxesDrawNothingOfTheirOwn) {
  const auto picture = WritePictureFile(prefs, "picture.png", 100, 300);
  config->colors[0] = kPlum;
  config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  Picture pictureBefore, pictureAfter, swatch, clipBefore, clipAfter, clipEnabled;
  const auto hilite = [](OSType signature, ControlPartCode part) {
    HiliteControl(SimpleGetControlByID(seam::ModalWindow(), signature, 1), part);
  };
  seam::Then([&] {
    pictureBefore = Shown(kSigPict);
    clipBefore = Shown(kSigClip);
    for (OSType signature : {kSigPict, kSigColr, kSigClip}) hilite(signature, kControlDisabledPart);
  });
  seam::Command(FOUR_CHAR_CODE('P', 'i', 'c', 't'));  // a picture, which a drawing box would show
  seam::ChooseFile(picture.string());
  seam::Command(FOUR_CHAR_CODE('S', 'a', 'l', 'l'));  // a new rectangle and preview
  seam::Then([&] {
    pictureAfter = Shown(kSigPict);
    swatch = Shown(kSigColr);
    clipAfter = Shown(kSigClip);
    hilite(kSigClip, kControlNoPart);
    clipEnabled = Shown(kSigClip);
  });
  seam::Key(Qt::Key_Escape);
  RunDialog();
  EXPECT_TRUE(Matches(pictureAfter, pictureBefore, 0, "disabled-picture-box"));
  EXPECT_TRUE(Matches(clipAfter, clipBefore, 0, "disabled-frame-editor"));
  EXPECT_FALSE(clipEnabled.pixels == clipBefore.pixels) << "enabled again, it shows the new rectangle";
  // The disabled swatch is erased: one colour, no outline, not the plum.
  const Pixel erased = swatch.at(0, 0);
  for (const Pixel& p : swatch.pixels) ASSERT_EQ(p, erased);
  EXPECT_NE(erased, Opaque(0x66, 0x22, 0x55));
  EXPECT_NE(erased, Opaque(0, 0, 0));
}

}  // namespace
}  // namespace vantiro::test
