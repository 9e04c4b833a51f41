// Frame geometry and offscreen buffers of the renderer.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/memory/Memory.h"
#include "render/commonprocs.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

::testing::AssertionResult Is(const Rect& r, const Rect& want) {
  if (std::memcmp(&r, &want, sizeof r) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom
                                       << ") instead of (" << want.left << ", " << want.top << ")-(" << want.right
                                       << ", " << want.bottom << ")";
}

}  // namespace

TEST(Geometry, DimsAreSignedExtentsIn32Bits) {
  int32_t w = 0, h = 0;
  GetDims(R(400, 290, 100, 50), w, h);
  EXPECT_EQ(w, -300);
  EXPECT_EQ(h, -240);
  GetDims(R(-32768, -32768, 32767, 32767), w, h);
  EXPECT_EQ(w, 65535);
}

// Each function of a rectangle and a frame, with what it must give.
TEST(Geometry, ClippingCentringAndKeepingProportions) {
  const auto clip = [](Rect r, const Rect& frame) { return ClipRectToFrame(r, frame), r; };
  const auto centre = [](Rect r, const Rect& bounds) { return CenterRectInRect(r, bounds), r; };
  const auto fixH = KeepPropsWithFixedHorizontal, fixV = KeepPropsWithFixedVertical;
  const auto fit = CalcProportionalRectForFrame;
  const Rect ntsc = R(0, 0, 720, 480);
  const struct {
    const char* what;
    std::function<Rect(const Rect&, const Rect&)> f;
    Rect in, frame, want;
  } cases[] = {
      {"clip: each coordinate clamped", clip, R(-20, 10, 50, 600), ntsc, R(0, 10, 50, 480)},
      {"clip: right of the frame, no width", clip, R(800, 10, 900, 20), ntsc, R(720, 10, 720, 20)},
      {"clip: reversed stays reversed", clip, R(500, 300, 100, 200), ntsc, R(500, 300, 100, 200)},
      {"clip: a frame away from the origin", clip, R(5, -9, 25, -1), R(10, 0, 20, 8), R(10, 0, 20, 0)},
      {"centre: both halves truncated", centre, R(0, 0, 101, 51), ntsc, R(310, 215, 411, 266)},
      {"centre: in a frame off the origin", centre, R(7, 9, 17, 29), R(100, 200, 300, 400), R(195, 290, 205, 310)},
      {"fixed horizontal: may grow past the new size", fixH, R(0, 0, 640, 480), ntsc, R(0, 0, 720, 540)},
      {"fixed vertical: 721.5 rounds up", fixV, R(0, 0, 300, 200), R(0, 0, 720, 481), R(0, 0, 722, 481)},
      {"fixed horizontal: 3.33 down", fixH, R(0, 0, 3, 2), R(10, 20, 15, 99), R(10, 20, 15, 23)},
      {"fixed vertical: 2.5 up", fixV, R(5, 5, 6, 7), R(10, 20, 99, 25), R(10, 20, 13, 25)},
      {"fixed horizontal: no width, unchanged", fixH, R(4, 0, 4, 9), R(1, 2, 3, 4), R(1, 2, 3, 4)},
      {"fixed vertical: no height, unchanged", fixV, R(0, 4, 9, 4), R(1, 2, 3, 4), R(1, 2, 3, 4)},
      {"fixed horizontal: no height, none", fixH, R(0, 4, 9, 4), R(1, 2, 3, 4), R(1, 2, 3, 2)},
      {"fixed vertical: no width, none", fixV, R(4, 0, 4, 9), R(1, 2, 3, 4), R(1, 2, 1, 4)},
      {"fixed horizontal: saturates", fixH, R(0, 0, 1, 1000), ntsc, R(0, 0, 720, 32767)},
      // Which side a proportional rectangle fills: the orientations choose.
      {"proportional: landscape", fit, R(0, 0, 1000, 400), ntsc, R(0, 0, 720, 288)},
      {"proportional: overflows the height", fit, R(0, 0, 600, 500), ntsc, R(0, 0, 720, 600)},
      {"proportional: portrait", fit, R(0, 0, 100, 200), ntsc, R(0, 0, 240, 480)},
      {"proportional: a square is not landscape", fit, R(0, 0, 50, 50), ntsc, R(0, 0, 480, 480)},
      {"proportional: nor portrait", fit, R(0, 0, 50, 50), R(0, 0, 300, 400), R(0, 0, 300, 300)},
      {"proportional: in a tall frame", fit, R(0, 0, 100, 300), R(0, 0, 300, 400), R(0, 0, 133, 400)},
      {"proportional: offsets ignored", fit, R(10, 10, 210, 110), R(0, 0, 200, 200), R(0, 0, 200, 100)},
  };
  for (const auto& c : cases) EXPECT_TRUE(Is(c.f(c.in, c.frame), c.want)) << c.what;
}

TEST(Buffers, AreAllocatedLockedAtTheOrigin) {
  for (GWorldPtr gw : {AllocateRectGWorld(R(100, 50, 400, 290)), AllocateGWorld(300, 240)}) {
    EXPECT_TRUE(Is(GetPortRect(gw), R(0, 0, 300, 240)));
    EXPECT_NE(GetPixelsState(GetGWorldPixMap(gw)) & pixelsLocked, 0u);
    DisposeGWorld(gw);
  }
  EXPECT_EQ(AllocateGWorld(0, 10), nullptr);
  VantiroFailNextAllocations(1);
  EXPECT_EQ(AllocateGWorld(10, 10), nullptr);
}

// Both paint into another buffer than the current one and leave the port as they found it.
TEST(Buffers, ClearGWAndDrawPictureInGWPaintTheBufferAndRestoreThePort) {
  Buffer other(2, 2), buffer(5, 3), canvas(10, 6);
  vantiro::PortScope scope(other.gw());
  const Footprint before;
  ClearGW(buffer.gw(), RGBColor{0xFF00, 0x8000, 0x1000});
  EXPECT_TRUE(Matches(buffer.Read(), Picture(5, 3, Opaque(255, 128, 16)), 0, "cleared"));
  // Red on the left, blue on the right, drawn twice as wide and four times as high.
  CGImageRef picture = ImageOf(MakePicture(2, 1, [](int x, int) { return x ? Opaque(0, 0, 255) : Opaque(255, 0, 0); }));
  DrawPictureInGW(canvas.gw(), picture, R(3, 1, 7, 5));
  DrawPictureInGW(canvas.gw(), nullptr, R(0, 0, 10, 6));
  DrawPictureInGW(nullptr, picture, R(0, 0, 10, 6));
  CGImageRelease(picture);
  Picture expected = MakePicture(10, 6, [](int x, int y) {
    return y < 1 || y >= 5 || x < 3 || x >= 7 ? Pixel{} : x < 5 ? Opaque(255, 0, 0) : Opaque(0, 0, 255);
  });
  for (int y = 1; y < 5; ++y) expected.ignore(4, y), expected.ignore(5, y);  // red and blue mixed
  EXPECT_TRUE(Matches(canvas.Read(), expected, 0, "picture"));
  EXPECT_TRUE(before.Unchanged());
  vantiro::PortScope inside(buffer.gw());
  const Rect whole = R(0, 0, 5, 3);
  PaintRect(&whole);
  EXPECT_EQ(buffer.Get(4, 2), Opaque(0, 0, 0)) << "the buffer draws in black again";
}
