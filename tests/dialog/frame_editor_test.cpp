// The frame editor, dragged with real mouse events: corners, the inside, the modifier
// keys, the handles' reach, keep-proportions, keys, and what it draws.
#include <cmath>

#include "dialog/dlgUtils.h"
#include "model/Globals.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "support/EasyFile.h"
#include "support/carbonmacros.h"
#include "tests/dialog/DialogFixture.h"

namespace vantiro::test {
namespace {

// The NTSC window's frame editor is 540 × 360 at (16, 16); the rectangle (0.25, 0.75,
// 0.25, 0.75) lies at (151, 106)-(421, 286) in window pixels.
constexpr int kLeft = 16, kTop = 16, kWidth = 540, kHeight = 360;
struct Box {
  int left, top, right, bottom;
};
constexpr Box kStart{151, 106, 421, 286};

Point At(int h, int v) { return Point{int16_t(v), int16_t(h)}; }

class FrameEditor : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  }
  // The record holds exactly the pixel rectangle `b` of the frame editor.
  void ExpectRect(const Box& b, const std::string& what) {
    const relRect r = config->startRel;
    EXPECT_NEAR(r.left, double(b.left - kLeft) / kWidth, 1e-9) << what;
    EXPECT_NEAR(r.right, double(b.right - kLeft) / kWidth, 1e-9) << what;
    EXPECT_NEAR(r.top, double(b.top - kTop) / kHeight, 1e-9) << what;
    EXPECT_NEAR(r.bottom, double(b.bottom - kTop) / kHeight, 1e-9) << what;
  }
  // Runs one drag, through its midpoint, in a dialog of its own and checks where the rectangle ends.
  void DragAndExpect(Point from, Point to, uint32_t modifiers, const Box& expected, const std::string& what,
                     double right) {
    config->startRel = relRect{0.25, right, 0.25, 0.75};
    seam::MouseDown(from, modifiers);
    seam::MouseDrag(At((from.h + to.h) / 2, (from.v + to.v) / 2), modifiers);
    seam::MouseDrag(to, modifiers);
    seam::MouseUp(to, modifiers);
    seam::Then([=, this] { ExpectRect(expected, what + " (while open)"); });
    seam::Key(Qt::Key_Return);
    RunDialog();
    ExpectRect(expected, what);
  }
};

TEST_F(FrameEditor, CornersFollowTheMouseWithTheModifiersOfTheClick) {
  struct Case {
    Point from, to;
    uint32_t modifiers;
    Box expected;
    const char* what;
    double right = 0.75;
  };
  const Case cases[] = {
      {At(421, 286), At(451, 296), 0, {151, 106, 451, 296}, "bottom-right by (+30, +10), top-left fixed"},
      {At(151, 106), At(131, 91), 0, {131, 91, 421, 286}, "top-left by (-20, -15)"},
      {At(421, 106), At(446, 101), 0, {151, 101, 446, 286}, "top-right by (+25, -5)"},
      {At(151, 286), At(141, 306), 0, {141, 106, 421, 306}, "bottom-left by (-10, +20)"},
      {At(421, 106), At(100, 106), 0, {100, 106, 151, 286}, "top-right past the left edge turns it over"},
      {At(421, 286), At(451, 296), optionKey, {121, 96, 451, 296}, "Alt resizes about the centre"},
      {At(421, 286), At(451, 296), controlKey, {121, 96, 451, 296}, "Ctrl counts as Alt"},
      // 270 × 180 is wider than high: with Shift the width follows, the bottom edge is worked out.
      {At(421, 286), At(481, 286), shiftKey, {151, 106, 481, 106 + 220}, "Shift, bottom-right, width 330"},
      {At(151, 106), At(121, 96), shiftKey, {121, 96, 421, 96 + 200}, "Shift, top-left moves the bottom too"},
      {At(421, 106), At(391, 106), shiftKey, {151, 106, 391, 106 + 160}, "Shift, top-right, width 240"},
      // A handle reaches six pixels; past its square the inside moves, and seven away nothing.
      {At(145, 100), At(155, 110), 0, {161, 116, 421, 286}, "handle 1 at its edge"},
      {At(157, 106), At(167, 116), 0, {161, 116, 431, 296}, "on the top edge beside the handle: the inside"},
      {At(144, 106), At(120, 80), 0, kStart, "no part"},
      // 10 pixels wide: the middle of the top edge is in both top handles' squares, and 1 wins.
      {At(156, 106), At(136, 106), 0, {131, 106, 161, 286}, "handle 1 of a narrow rectangle", 145.5 / 540},
  };
  for (const Case& c : cases) DragAndExpect(c.from, c.to, c.modifiers, c.expected, c.what, c.right);
}

TEST_F(FrameEditor, APicturesProportionsWinOverEveryCornerAndShift) {
  const auto file = WritePictureFile(prefs, "four-three.png", 640, 480);
  struct Case {
    Point from, to;
    uint32_t modifiers;
  };
  const Case cases[] = {{At(421, 286), At(470, 300), 0},        {At(151, 106), At(120, 140), 0},
                        {At(421, 106), At(380, 60), 0},         {At(151, 286), At(200, 330), 0},
                        {At(421, 286), At(500, 290), shiftKey}, {At(421, 286), At(440, 340), optionKey}};
  for (const Case& c : cases) {
    config->startRel = relRect{0.25, 0.75, 0.25, 0.75};
    config->keepProps = false;
    seam::Command(FOUR_CHAR_CODE('P', 'i', 'c', 't'));
    seam::ChooseFile(file.string());
    seam::Then([&] { ExpectRect(kStart, "proportions not kept yet"); });
    seam::ClickControl(kSigProp, 1);
    // Refitted to 4:3: the width held, the height worked out.
    seam::Then([&] { ExpectRect({151, 106, 421, 106 + 203}, "refitted to the picture"); });
    // The rectangle is taller now: its bottom corners moved down with it.
    const int dv = c.from.v == 286 ? 23 : 0;
    seam::MouseDown(At(c.from.h, c.from.v + dv), c.modifiers);
    seam::MouseDrag(At(c.to.h, c.to.v + dv), c.modifiers);
    seam::MouseUp(At(c.to.h, c.to.v + dv), c.modifiers);
    seam::Then([&] {
      const relRect r = config->startRel;
      const double w = (r.right - r.left) * kWidth, h = (r.bottom - r.top) * kHeight;
      EXPECT_NEAR(w * 3, h * 4, 4.5) << w << " x " << h;
      EXPECT_NE(r.right - r.left, 0.5) << "the drag did something";
    });
    seam::Key(Qt::Key_Return);
    RunDialog();
    CGImageRelease(config->theOriginalImage);
    config->theOriginalImage = nullptr;
  }
}

TEST_F(FrameEditor, DraggingTheInsideMovesTheRectangleByTheWholeDistanceEvenAcrossTheEdge) {
  seam::MouseDown(At(286, 196));
  seam::MouseDrag(At(296, 200));
  seam::Then([&] { ExpectRect({161, 110, 431, 290}, "first step"); });
  seam::MouseDrag(At(700, 200));  // outside the frame editor: nothing happens
  seam::MouseDrag(At(700, 450));
  seam::Then([&] { ExpectRect({161, 110, 431, 290}, "outside"); });
  seam::MouseDrag(At(320, 230));  // back inside elsewhere
  seam::MouseUp(At(320, 230));
  seam::Key(Qt::Key_Return);
  RunDialog();
  ExpectRect({185, 140, 455, 320}, "moved by (+34, +34) in all");
}

TEST_F(FrameEditor, DrawsThePreviewTheOutlineTheHandlesAndABorder) {
  config->frameStartColor = RGBColor{0, 0xFF00, 0};
  const Picture source = ClipFrame(2, 720, 480);
  Picture shown;
  seam::Then([&] { shown = Shown(kSigClip); });
  seam::Key(Qt::Key_Escape);
  RunDialog(source);

  const Pixel black = Opaque(0, 0, 0), white = Opaque(255, 255, 255), green = Opaque(0, 255, 0);
  const auto at = [&](int h, int v) { return shown.at(h - kLeft, v - kTop); };
  for (int along : {16, 200, 375}) {
    EXPECT_EQ(at(16, along), black) << "left border";
    EXPECT_EQ(at(555, along), black) << "right border";
    EXPECT_EQ(at(along, 16), black) << "top border";
    EXPECT_EQ(at(along, 375), black) << "bottom border";
  }
  for (int along : {150, 196, 250}) {
    EXPECT_EQ(at(along + 50, 106), green) << "top of the outline";
    EXPECT_EQ(at(along + 50, 285), green) << "bottom of the outline, inside the rectangle";
    EXPECT_EQ(at(151, along), green);
    EXPECT_EQ(at(420, along), green);
  }
  for (const Point c : {At(151, 106), At(421, 106), At(151, 286), At(421, 286)}) {
    // Rings of 12, 10 and 8 pixels: black, white, black from the top down.
    EXPECT_EQ((std::array{at(c.h, c.v - 6), at(c.h, c.v - 5), at(c.h, c.v - 4), at(c.h - 6, c.v)}),
              (std::array{black, white, black, black}))
        << c.h << "," << c.v;
  }
  // Away from the lines: the preview, scaled into the control by the nearest pixel.
  const Picture expected = ExpectedPreview(source, EffectSetting{0.25, 0.75, 0.25, 0.75}, kWidth, kHeight, 7, 1);
  EXPECT_TRUE(Matches(shown, expected, 2, "frame-editor"));
}

TEST_F(FrameEditor, TabReachesItAndArrowsMoveTheRectangleOrResizeItAboutTheCentre) {
  struct Press {
    int key;
    uint32_t modifiers;
    Box after;
  };
  const Press presses[] = {
      {Qt::Key_Right, 0, {152, 106, 422, 286}},          {Qt::Key_Down, shiftKey, {152, 116, 422, 296}},
      {Qt::Key_Left, shiftKey, {142, 116, 412, 296}},    {Qt::Key_Up, 0, {142, 115, 412, 295}},
      {Qt::Key_Right, optionKey, {141, 115, 413, 295}},  {Qt::Key_Down, controlKey | shiftKey, {141, 105, 413, 305}},
      {Qt::Key_Left, controlKey, {142, 105, 412, 305}},
  };
  seam::Then([&] { ASSERT_TRUE(TabTo(BoundsOf(kSigClip, 1))); });
  for (const Press& p : presses) {
    seam::Key(p.key, p.modifiers);
    seam::Then([&] { ExpectRect(p.after, "after a key"); });
  }
  Picture shown;
  seam::Then([&] { shown = Shown(kSigClip); });
  seam::Key(Qt::Key_Return);  // not the editor's: OK
  RunDialog();
  ExpectRect(presses[6].after, "saved");
  EXPECT_EQ(shown.at(142 - kLeft, 200 - kTop), Opaque(255, 0, 0)) << "the outline is drawn where the keys put it";
}

// Fine vertical stripes, which a picture scaled up from the port's pixels blurs into pairs.
Picture Stripes(int width, int height) {
  return MakePicture(width, height, [](int x, int y) {
    return x % 3 == 0 ? Opaque(250, 250, 250) : Opaque(uint8_t(40 + y % 50), 20, uint8_t(x % 3 == 1 ? 200 : 90));
  });
}

TEST_F(FrameEditor, OnADenseScreenItIsDrawnAtTheScreensResolution) {
  const Picture source = Stripes(720, 480);
  QImage shot;
  int scale = 1;
  seam::Then([&] {
    scale = VantiroGetWindowScale(seam::ModalWindow());
    shot = seam::ModalScreenshot();
  });
  seam::Key(Qt::Key_Escape);
  RunDialog(source);
  if (scale < 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2: frame_editor_on_a_dense_screen";
  ASSERT_EQ(shot.width(), 2 * 888) << "the NTSC window, in device pixels";

  const int w = kWidth * 2, h = kHeight * 2;
  Picture shown(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb c = shot.pixel(2 * kLeft + x, 2 * kTop + y);
      shown.at(x, y) = Opaque(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
    }
  const Picture expected = ExpectedPreview(source, EffectSetting{0.25, 0.75, 0.25, 0.75}, w, h, 14, 4);
  EXPECT_TRUE(Matches(shown, expected, 2, "frame-editor-dense"));
  // The outline is two device pixels wide, as one pixel is on a plain screen.
  EXPECT_EQ(shown.at(270, 300), Opaque(255, 0, 0));
  EXPECT_EQ(shown.at(271, 300), Opaque(255, 0, 0));
}

}  // namespace
}  // namespace vantiro::test
