// Offscreen rasters, ports and QuickDraw-style drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/memory/Memory.h"
#include "platform/quickdraw/Port.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

const RGBColor kRed{0xFF00, 0x1000, 0x2000};

}  // namespace

TEST(NewGWorld, MakesA32BitRasterOfTheBoundsOrRefuses) {
  GWorldPtr gw = reinterpret_cast<GWorldPtr>(1);
  const Rect good = R(0, 0, 8, 4), empty = R(0, 0, 0, 4);
  EXPECT_EQ(NewGWorld(&gw, 16, &good, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(gw, nullptr);
  EXPECT_EQ(NewGWorld(&gw, 32, &empty, nullptr, nullptr, 0), paramErr);
  VantiroFailNextAllocations(1);
  EXPECT_EQ(NewGWorld(&gw, 32, &good, nullptr, nullptr, 0), memFullErr);
  const Rect bounds = R(-3, 5, 10, 12);  // an origin away from (0, 0) is kept
  ASSERT_EQ(NewGWorld(&gw, 0, &bounds, nullptr, nullptr, 0), noErr);
  Rect r;
  EXPECT_EQ(std::memcmp(GetPortBounds(gw, &r), &bounds, sizeof(Rect)), 0);
  DisposeGWorld(gw);
}

// A GWorld has its own device and pen (black on white, copy, no clip); the default returns.
TEST(Ports, KeepTheirOwnDevicesAndState) {
  CGrafPtr defaultPort = nullptr, port = nullptr;
  GDHandle mainDevice = nullptr, device = nullptr, deviceOfB = nullptr;
  GetGWorld(&defaultPort, &mainDevice);
  const Rect all = R(-9, -9, 9, 9), corner = R(0, 0, 2, 2);
  PaintRect(&all);  // nothing to draw into, and no harm
  {
    Buffer a(4, 4), b(4, 4);
    SetGWorld(b.gw(), nullptr);
    GetGWorld(nullptr, &deviceOfB);
    SetGWorld(a.gw(), mainDevice);
    GetGWorld(&port, &device);
    EXPECT_EQ(port, a.gw());
    EXPECT_TRUE(device != mainDevice && device != deviceOfB);
    RGBForeColor(&kRed);
    PenMode(patXor);
    ClipRect(&corner);
    {
      vantiro::PortScope other(b.gw());
      PaintRect(&all);
      EraseRect(&corner);
    }
    PaintRect(&all);
    const auto cornerOver = [](Pixel rest) {
      return MakePicture(4, 4, [=](int x, int y) { return x < 2 && y < 2 ? Opaque(255, 255, 255) : rest; });
    };
    EXPECT_TRUE(Matches(b.Read(), cornerOver(Opaque(0, 0, 0)), 0, "new port"));
    EXPECT_TRUE(Matches(a.Read(), cornerOver(Pixel{}), 0, "xor within the clip"));
  }
  GetGWorld(&port, &device);
  EXPECT_EQ(port, defaultPort);
  EXPECT_EQ(device, mainDevice);
}

TEST(Ports, ALentGWorldOutlivesItsBorrowersDisposal) {
  const long before = VantiroLivePortCount();
  GWorldPtr gw = nullptr;
  const Rect bounds = R(0, 0, 4, 4);
  ASSERT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
  VantiroSetGWorldLent(gw, true);
  DisposeGWorld(gw);
  EXPECT_EQ(VantiroLivePortCount(), before + 1);
  VantiroSetGWorldLent(gw, false);
  DisposeGWorld(gw);
  EXPECT_EQ(VantiroLivePortCount(), before);
}

// The dialog hit-tests with PtInRect and insets outlines; the renderer offsets crops.
TEST(RectHelpers, OffsetSaturatesInsetEmptiesAndPointsLieInTheHalfOpenBox) {
  Rect r = R(32000, 0, 32700, 10), inset = R(0, 0, 18, 9);
  OffsetRect(&r, 1000, 1);
  InsetRect(&inset, 9, 2);  // 18 wide: nothing left
  EXPECT_TRUE(r.left == 32767 && r.right == 32767 && r.bottom == 11) << "saturates instead of wrapping";
  EXPECT_TRUE(inset.left == 0 && inset.top == 0 && inset.right == 0 && inset.bottom == 0);
  const Rect box = R(0, 0, 12, 12);
  EXPECT_TRUE(PtInRect(Point{0, 0}, &box) && PtInRect(Point{11, 11}, &box));
  EXPECT_FALSE(PtInRect(Point{0, 12}, &box) || PtInRect(Point{12, 0}, &box) || PtInRect(Point{-1, 5}, &box));
}

// Outlines in xor: a pixel drawn twice would come back.
TEST(Drawing, OutlinesDrawEachPixelOnceAndOvalsAreClosedSymmetricRings) {
  Buffer frame(7, 6);
  {
    vantiro::PortScope current(frame.gw());
    PenMode(patXor);
    const Rect r = R(1, 1, 6, 5);
    FrameRect(&r);
  }
  EXPECT_TRUE(Matches(frame.Read(), MakePicture(7, 6, [](int x, int y) {
                        const bool inside = x >= 1 && x <= 5 && y >= 1 && y <= 4;
                        return inside && (x == 1 || x == 5 || y == 1 || y == 4) ? Opaque(255, 255, 255) : Pixel{};
                      }), 0, "frame"));

  for (const Rect r : {R(2, 3, 14, 15), R(1, 1, 20, 10), R(0, 0, 9, 9)}) {
    Buffer buffer(24, 18);
    vantiro::PortScope current(buffer.gw());
    PenMode(patXor);
    FrameOval(&r);
    const auto on = [&](int x, int y) { return x >= 0 && y >= 0 && x < 24 && y < 18 && buffer.Get(x, y).r == 255; };
    bool top = false, left = false;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 24; ++x) {
        if (!on(x, y)) continue;
        top |= y == r.top, left |= x == r.left;
        EXPECT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom) << x << "," << y;
        const int mirrorX = r.left + r.right - 1 - x, mirrorY = r.top + r.bottom - 1 - y;
        EXPECT_TRUE(on(mirrorX, y) && on(x, mirrorY)) << "mirror of " << x << "," << y;
        // Closed: every ring pixel touches another one, also diagonally.
        EXPECT_TRUE(on(x - 1, y - 1) || on(x, y - 1) || on(x + 1, y - 1) || on(x - 1, y) || on(x + 1, y) ||
                    on(x - 1, y + 1) || on(x, y + 1) || on(x + 1, y + 1)) << x << "," << y;
      }
    EXPECT_TRUE(top && left) << "touches the sides";
    EXPECT_FALSE(on((r.left + r.right) / 2, (r.top + r.bottom) / 2) || on(r.left, r.top)) << "centre or corner";
  }
}

// Clipped to the destination's clip and the source, scaled to the pixel under each centre.
TEST(CopyBits, CopiesClipsAndScalesToTheNearestPixel) {
  struct Case {
    const char* name;
    int sourceW, sourceH, destW, destH;
    Rect clip, src, dst;
    std::function<bool(int, int, int*, int*)> from;  // destination pixel to source pixel, or untouched
  };
  const Rect open = R(-999, -999, 999, 999);
  const Case cases[] = {
      {"clipped", 10, 8, 6, 5, R(0, 0, 5, 5), R(2, 1, 9, 7), R(-1, 0, 6, 6),
       [](int x, int y, int* sx, int* sy) { return *sx = x + 3, *sy = y + 1, x < 5; }},
      {"partly outside the source", 4, 4, 6, 6, open, R(-2, 0, 4, 4), R(0, 0, 6, 4),
       [](int x, int y, int* sx, int* sy) { return *sx = x - 2, *sy = y, x >= 2 && y < 4; }},
      {"enlarged", 3, 2, 6, 6, open, R(0, 0, 3, 2), R(0, 0, 6, 6),
       [](int x, int y, int* sx, int* sy) { return *sx = x / 2, *sy = y / 3, true; }},
      {"reduced", 6, 6, 3, 3, open, R(0, 0, 6, 6), R(0, 0, 3, 3),
       [](int x, int y, int* sx, int* sy) { return *sx = 2 * x + 1, *sy = 2 * y + 1, true; }},
  };
  for (const Case& c : cases) {
    const Picture source = MakePicture(c.sourceW, c.sourceH, Noise);
    Buffer from(source), to(c.destW, c.destH);
    {
      vantiro::PortScope current(to.gw());
      ClipRect(&c.clip);
    }
    CopyBits(GetPortBitMapForCopyBits(from.gw()), GetPortBitMapForCopyBits(to.gw()), &c.src, &c.dst, srcCopy, nullptr);
    const Picture expected = MakePicture(c.destW, c.destH, [&](int x, int y) {
      int sx, sy;
      return c.from(x, y, &sx, &sy) ? source.at(sx, sy) : Pixel{};
    });
    EXPECT_TRUE(Matches(to.Read(), expected, 0, c.name));
  }
}

// Within one raster, whatever the overlap, as from a separate one; a pixel map serves as a bit map.
TEST(CopyBits, CopiesWithinOneRasterWhateverTheOverlap) {
  const Picture picture = MakePicture(8, 8, Noise);
  for (const auto& [src, dst] : {std::pair{R(0, 0, 6, 6), R(2, 2, 8, 8)}, std::pair{R(2, 2, 8, 8), R(0, 0, 6, 6)},
                                 std::pair{R(0, 1, 6, 7), R(2, 0, 8, 6)}, std::pair{R(0, 0, 4, 4), R(1, 1, 9, 9)}}) {
    Buffer buffer(picture), separate(picture), other(picture);
    const auto bits = [](const Buffer& b) { return reinterpret_cast<const BitMap*>(*GetGWorldPixMap(b.gw())); };
    CopyBits(bits(buffer), bits(buffer), &src, &dst, srcCopy, nullptr);
    CopyBits(bits(other), bits(separate), &src, &dst, srcCopy, nullptr);
    EXPECT_TRUE(Matches(buffer.Read(), separate.Read(), 0, "overlap"));
  }
}
