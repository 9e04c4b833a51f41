// Frame geometry and offscreen buffers of the renderer.
#include <gtest/gtest.h>

#include "platform/coregraphics/CGImage.h"
#include "platform/memory/Memory.h"
#include "platform/quickdraw/Pixels.h"
#include "render/commonprocs.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

Rect R(int left, int top, int right, int bottom) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}

::testing::AssertionResult Is(const Rect& r, int left, int top, int right, int bottom) {
  if (r.left == left && r.top == top && r.right == right && r.bottom == bottom) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom
                                       << ") instead of (" << left << ", " << top << ")-(" << right << ", " << bottom
                                       << ")";
}

}  // namespace

TEST(Geometry, DimsAreSignedExtentsWithoutNormalising) {
  int32_t w = 0, h = 0;
  GetDims(R(100, 50, 400, 290), w, h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 240);
  GetDims(R(400, 290, 100, 50), w, h);
  EXPECT_EQ(w, -300);
  EXPECT_EQ(h, -240);
  GetDims(R(-32768, -32768, 32767, 32767), w, h);
  EXPECT_EQ(w, 65535) << "computed in 32 bits";
}

TEST(Geometry, ClipRectToFrameClampsEachCoordinate) {
  Rect r = R(-20, 10, 50, 600);
  ClipRectToFrame(r, R(0, 0, 720, 480));
  EXPECT_TRUE(Is(r, 0, 10, 50, 480));
  r = R(800, 10, 900, 20);
  ClipRectToFrame(r, R(0, 0, 720, 480));
  EXPECT_TRUE(Is(r, 720, 10, 720, 20)) << "right of the frame: no width";
  r = R(500, 300, 100, 200);
  ClipRectToFrame(r, R(0, 0, 720, 480));
  EXPECT_TRUE(Is(r, 500, 300, 100, 200)) << "reversed stays reversed";
  r = R(5, -9, 25, -1);
  ClipRectToFrame(r, R(10, 0, 20, 8));
  EXPECT_TRUE(Is(r, 10, 0, 20, 0));
}

TEST(Geometry, CenterRectInRectTruncatesBothHalves) {
  Rect r = R(0, 0, 101, 51);
  CenterRectInRect(r, R(0, 0, 720, 480));
  EXPECT_TRUE(Is(r, 310, 215, 411, 266));
  r = R(7, 9, 17, 29);
  CenterRectInRect(r, R(100, 200, 300, 400));
  EXPECT_TRUE(Is(r, 195, 290, 205, 310));
}

TEST(Geometry, KeepingProportionsMovesOneEdge) {
  EXPECT_TRUE(Is(KeepPropsWithFixedHorizontal(R(0, 0, 640, 480), R(0, 0, 720, 480)), 0, 0, 720, 540))
      << "may grow past the new size";
  EXPECT_TRUE(Is(KeepPropsWithFixedVertical(R(0, 0, 300, 200), R(0, 0, 720, 481)), 0, 0, 722, 481))
      << "721.5 rounds up";
  EXPECT_TRUE(Is(KeepPropsWithFixedHorizontal(R(0, 0, 3, 2), R(10, 20, 15, 99)), 10, 20, 15, 23)) << "3.33 down";
  EXPECT_TRUE(Is(KeepPropsWithFixedVertical(R(5, 5, 6, 7), R(10, 20, 99, 25)), 10, 20, 13, 25)) << "2.5 up";
  // References without width or height.
  EXPECT_TRUE(Is(KeepPropsWithFixedHorizontal(R(4, 0, 4, 9), R(1, 2, 3, 4)), 1, 2, 3, 4));
  EXPECT_TRUE(Is(KeepPropsWithFixedVertical(R(0, 4, 9, 4), R(1, 2, 3, 4)), 1, 2, 3, 4));
  EXPECT_TRUE(Is(KeepPropsWithFixedHorizontal(R(0, 4, 9, 4), R(1, 2, 3, 4)), 1, 2, 3, 2)) << "no height: none";
  EXPECT_TRUE(Is(KeepPropsWithFixedVertical(R(4, 0, 4, 9), R(1, 2, 3, 4)), 1, 2, 1, 4)) << "no width: none";
  // Proportions asking for more than a Rect holds saturate.
  EXPECT_EQ(KeepPropsWithFixedHorizontal(R(0, 0, 1, 1000), R(0, 0, 720, 480)).bottom, 32767);
}

TEST(Geometry, ProportionalRectFillsTheSideTheOrientationsChoose) {
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 1000, 400), R(0, 0, 720, 480)), 0, 0, 720, 288));
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 600, 500), R(0, 0, 720, 480)), 0, 0, 720, 600))
      << "overflows the frame's height";
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 100, 200), R(0, 0, 720, 480)), 0, 0, 240, 480));
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 50, 50), R(0, 0, 720, 480)), 0, 0, 480, 480))
      << "a square is not landscape: the height is fixed";
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 50, 50), R(0, 0, 300, 400)), 0, 0, 300, 300))
      << "nor portrait: in a tall frame the width is fixed";
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(0, 0, 100, 300), R(0, 0, 300, 400)), 0, 0, 133, 400));
  EXPECT_TRUE(Is(CalcProportionalRectForFrame(R(10, 10, 210, 110), R(0, 0, 200, 200)), 0, 0, 200, 100));
}

TEST(Buffers, AreAllocatedLockedAtTheOrigin) {
  GWorldPtr gw = AllocateRectGWorld(R(100, 50, 400, 290));
  ASSERT_NE(gw, nullptr);
  EXPECT_TRUE(Is(GetPortRect(gw), 0, 0, 300, 240));
  EXPECT_TRUE(Is(CarbonGetPortBounds(gw), 0, 0, 300, 240));
  EXPECT_NE(GetPixelsState(GetGWorldPixMap(gw)) & pixelsLocked, 0u);
  EXPECT_EQ(GetPixDepth(GetGWorldPixMap(gw)), 32);
  DisposeGWorld(gw);

  gw = AllocateGWorld(64, 32);
  ASSERT_NE(gw, nullptr);
  EXPECT_TRUE(Is(GetPortRect(gw), 0, 0, 64, 32));
  EXPECT_NE(GetPixelsState(GetGWorldPixMap(gw)) & pixelsLocked, 0u);
  DisposeGWorld(gw);

  EXPECT_EQ(AllocateGWorld(0, 10), nullptr);
  EXPECT_EQ(AllocateRectGWorld(R(5, 5, 5, 9)), nullptr);
  VantiroFailNextAllocations(1);
  EXPECT_EQ(AllocateGWorld(10, 10), nullptr);
  LockGWorld(nullptr);
}

TEST(Buffers, ClearGWPaintsEverythingAndRestoresThePort) {
  Buffer other(2, 2), buffer(5, 3);
  vantiro::PortScope scope(other.gw());
  const Footprint before;
  const RGBColor orange{0xFF00, 0x8000, 0x1000};
  ClearGW(buffer.gw(), orange);
  EXPECT_TRUE(Matches(buffer.Read(), Picture(5, 3, Opaque(255, 128, 16)), 0, "cleared"));
  EXPECT_TRUE(before.Unchanged());
  vantiro::PortScope inside(buffer.gw());
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(fore.red | fore.green | fore.blue, 0) << "the buffer draws in black again";
  ClearGW(nullptr, orange);
}

TEST(Buffers, DrawPictureInGWScalesThePictureIntoTheRectangle) {
  // Red on the left, blue on the right, drawn twice as wide and four times as high.
  CGImageRef picture = vantiro::MakeImage(2, 1, {vantiro::NativeWord(255, 255, 0, 0), vantiro::NativeWord(255, 0, 0, 255)});
  Buffer other(1, 1), buffer(10, 6);
  vantiro::PortScope scope(other.gw());
  const Footprint before;
  DrawPictureInGW(buffer.gw(), picture, R(3, 1, 7, 5));
  EXPECT_TRUE(before.Unchanged());
  for (int y = 1; y < 5; ++y) {
    EXPECT_EQ(buffer.Get(3, y), Opaque(255, 0, 0));
    EXPECT_EQ(buffer.Get(6, y), Opaque(0, 0, 255));
    EXPECT_EQ(buffer.Get(2, y), Pixel{});
    EXPECT_EQ(buffer.Get(7, y), Pixel{});
  }
  EXPECT_EQ(buffer.Get(4, 0), Pixel{});
  EXPECT_EQ(buffer.Get(4, 5), Pixel{});
  DrawPictureInGW(buffer.gw(), nullptr, R(0, 0, 10, 6));
  DrawPictureInGW(nullptr, picture, R(0, 0, 10, 6));
  EXPECT_EQ(buffer.Get(0, 0), Pixel{});
  CGImageRelease(picture);
}
