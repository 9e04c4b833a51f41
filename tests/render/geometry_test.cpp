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
      {"clip: reversed stays reversed", clip, R(500, 300, 100, 200), ntsc, R(500, 300, 100, 200)},
      {"clip: a frame away from the origin", clip, R(5, -9, 25, -1), R(10, 0, 20, 8), R(10, 0, 20, 0)},
      {"centre: both halves truncated", centre, R(0, 0, 101, 51), ntsc, R(310, 215, 411, 266)},
      {"centre: in a frame off the origin", centre, R(7, 9, 17, 29), R(100, 200, 300, 400), R(195, 290, 205, 310)},
      {"fixed horizontal: may grow past the new size", fixH, R(0, 0, 640, 480), ntsc, R(0, 0, 720, 540)},
      {"fixed vertical: 721.5 rounds up", fixV, R(0, 0, 300, 200), R(0, 0, 720, 481), R(0, 0, 722, 481)},
      {"fixed vertical: 2.5 up", fixV, R(5, 5, 6, 7), R(10, 20, 99, 25), R(10, 20, 13, 25)},
      {"fixed horizontal: no width, unchanged", fixH, R(4, 0, 4, 9), R(1, 2, 3, 4), R(1, 2, 3, 4)},
      {"fixed vertical: no height, unchanged", fixV, R(0, 4, 9, 4), R(1, 2, 3, 4), R(1, 2, 3, 4)},
      {"fixed horizontal: no height, none", fixH, R(0, 4, 9, 4), R(1, 2, 3, 4), R(1, 2, 3, 2)},
      {"fixed horizontal: saturates", fixH, R(0, 0, 1, 1000), ntsc, R(0, 0, 720, 32767)},
      // Which side a proportional rectangle fills: the orientations choose.
      {"proportional: landscape", fit, R(0, 0, 1000, 400), ntsc, R(0, 0, 720, 288)},
      {"proportional: portrait", fit, R(0, 0, 100, 200), ntsc, R(0, 0, 240, 480)},
      {"proportional: a square is not landscape", fit, R(0, 0, 50, 50), ntsc, R(0, 0, 480, 480)},
      {"proportional: nor portrait", fit, R(0, 0, 50, 50), R(0, 0, 300, 400), R(0, 0, 300, 300)},
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

// Clearing paints another buffer than the current one and leaves the port as it found it.
TEST(Buffers, ClearGWPaintsTheBufferAndRestoresThePort) {
  Buffer other(2, 2), buffer(5, 3);
  vantiro::PortScope scope(other.gw());
  const Footprint before;
  ClearGW(buffer.gw(), RGBColor{0xFF00, 0x8000, 0x1000});
  EXPECT_TRUE(Matches(buffer.Read(), Picture(5, 3, Opaque(255, 128, 16)), 0, "cleared"));
  EXPECT_TRUE(before.Unchanged());
  vantiro::PortScope inside(buffer.gw());
  const Rect whole = R(0, 0, 5, 3);
  PaintRect(&whole);
  EXPECT_EQ(buffer.Get(4, 2), Opaque(0, 0, 0)) << "the buffer draws in black again";
}
