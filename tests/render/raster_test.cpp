// Offscreen rasters, ports and QuickDraw-style drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/memory/Memory.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/QuickDraw.h"
#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

Rect R(int left, int top, int right, int bottom) {
  return Rect{int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
}

const RGBColor kRed{0xFF00, 0x1000, 0x2000};
const RGBColor kBlue{0x0000, 0x3300, 0xEE00};

}  // namespace

TEST(NewGWorld, RefusesWhatItCannotMake) {
  GWorldPtr gw = reinterpret_cast<GWorldPtr>(1);
  const Rect good = R(0, 0, 8, 4);
  EXPECT_EQ(NewGWorld(&gw, 16, &good, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(gw, nullptr);
  const Rect empty = R(0, 0, 0, 4), reversed = R(8, 0, 0, 4);
  EXPECT_EQ(NewGWorld(&gw, 32, &empty, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(&gw, 32, &reversed, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(&gw, 32, nullptr, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(nullptr, 32, &good, nullptr, nullptr, 0), paramErr);

  const long before = VantiroLivePortCount();
  VantiroFailNextAllocations(1);
  EXPECT_EQ(NewGWorld(&gw, 32, &good, nullptr, nullptr, 0), memFullErr);
  EXPECT_EQ(gw, nullptr);
  EXPECT_EQ(VantiroLivePortCount(), before);
}

TEST(NewGWorld, MakesA32BitRasterOfTheBoundsThatStartsTransparent) {
  const Rect bounds = R(-3, 5, 10, 12);  // an origin away from (0, 0) is kept
  GWorldPtr gw = nullptr;
  ASSERT_EQ(NewGWorld(&gw, 0, &bounds, nullptr, nullptr, 0), noErr);
  PixMapHandle pm = GetGWorldPixMap(gw);
  EXPECT_EQ(pm, GetPortPixMap(gw));
  Rect r;
  EXPECT_EQ(std::memcmp(GetPortBounds(gw, &r), &bounds, sizeof(Rect)), 0);
  EXPECT_EQ(std::memcmp(GetPixBounds(pm, &r), &bounds, sizeof(Rect)), 0);
  EXPECT_EQ(GetPixDepth(pm), 32);
  EXPECT_EQ(GetPixelsState(pm) & pixelsLocked, 0u) << "unlocked until locked";
  LockPixels(pm);
  const GWorldFlags locked = GetPixelsState(pm);
  UnlockPixels(pm);
  SetPixelsState(pm, locked);
  EXPECT_NE(GetPixelsState(pm) & pixelsLocked, 0u) << "a saved state comes back";
  EXPECT_GE(GetPixRowBytes(pm), 13 * 4);
  EXPECT_EQ(GetPixRowBytes(pm) % 4, 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm));
  for (long i = 0; i < GetPixRowBytes(pm) * 7; ++i) ASSERT_EQ(bytes[i], 0) << i;
  DisposeGWorld(gw);
}

TEST(Pixels, AreStoredAlphaRedGreenBlueInMemory) {
  Buffer buffer(3, 2);
  vantiro::PortScope current(buffer.gw());
  RGBForeColor(&kRed);
  const Rect one = R(1, 1, 2, 2);
  PaintRect(&one);
  const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(buffer.gw()))) +
                  GetPixRowBytes(GetGWorldPixMap(buffer.gw())) + 4;
  EXPECT_EQ(p[0], 0xFF);
  EXPECT_EQ(p[1], 0xFF);
  EXPECT_EQ(p[2], 0x10);
  EXPECT_EQ(p[3], 0x20);
  EXPECT_EQ(buffer.Get(0, 1), Pixel{}) << "nothing outside the rectangle";
  EXPECT_EQ(buffer.Get(2, 1), Pixel{});
}

TEST(Ports, TheDefaultPortIsCurrentUntilReplacedAndAfterTheCurrentGWorldGoes) {
  CGrafPtr defaultPort = nullptr, port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&defaultPort, &device);
  ASSERT_NE(defaultPort, nullptr);
  EXPECT_EQ(device, GetMainDevice());
  Rect bounds;
  GetPortBounds(defaultPort, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 0);
  const Rect r = R(0, 0, 4, 4);
  PaintRect(&r);  // nothing to draw into, and no harm
  GWorldPtr gw = nullptr;
  ASSERT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr);
  SetGWorld(gw, nullptr);
  DisposeGWorld(gw);
  GetGWorld(&port, &device);
  EXPECT_EQ(port, defaultPort);
  EXPECT_EQ(device, GetMainDevice());
  SetGWorld(nullptr, nullptr);
  GetGWorld(&port, nullptr);
  EXPECT_EQ(port, defaultPort);
  DisposeGWorld(nullptr);
}

TEST(Ports, AGWorldBringsItsOwnDeviceAndOtherPortsTakeTheOneGiven) {
  Buffer a(2, 2), b(2, 2);
  SetGWorld(a.gw(), GetMainDevice());
  CGrafPtr port;
  GDHandle device;
  GetGWorld(&port, &device);
  EXPECT_EQ(port, a.gw());
  EXPECT_EQ(device, GetGWorldDevice(a.gw()));
  EXPECT_NE(GetGWorldDevice(a.gw()), GetGWorldDevice(b.gw()));
  EXPECT_NE(device, GetMainDevice());

  Ptr pixels = NewPtrClear(16);
  CGrafPtr window = vantiro::NewPortOnPixels(pixels, 8, R(0, 0, 2, 2));
  SetGWorld(window, nullptr);
  GetGWorld(&port, &device);
  EXPECT_EQ(port, window);
  EXPECT_EQ(device, GetMainDevice());
  SetGWorld(nullptr, nullptr);
  vantiro::DisposePort(window);
  DisposePtr(pixels);
}

TEST(Ports, EachPortKeepsItsOwnState) {
  Buffer a(4, 4), b(4, 4);
  {
    vantiro::PortScope current(a.gw());
    RGBForeColor(&kRed);
    RGBBackColor(&kBlue);
    PenMode(patXor);
    const Rect clip = R(1, 1, 3, 3);
    ClipRect(&clip);
  }
  vantiro::PortScope current(b.gw());
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  EXPECT_EQ(fore.red | fore.green | fore.blue, 0) << "a new port draws in black";
  EXPECT_EQ(back.red & back.green & back.blue, 65535) << "on white";
  EXPECT_EQ(GetPortPenMode(b.gw()), patCopy);
  EXPECT_EQ(GetPortPenMode(a.gw()), patXor);
  Rect clip;
  GetPortClipRect(a.gw(), &clip);
  EXPECT_EQ(clip.left, 1);
  EXPECT_EQ(clip.bottom, 3);
  GetPortClipRect(b.gw(), &clip);
  EXPECT_LE(clip.left, -32767) << "wide open";

  SetGWorld(a.gw(), nullptr);
  GetForeColor(&fore);
  EXPECT_EQ(fore.red, kRed.red);
  PenNormal();
  EXPECT_EQ(GetPortPenMode(a.gw()), patCopy);
}

TEST(Ports, ALentGWorldOutlivesItsBorrowersDisposal) {
  const long before = VantiroLivePortCount();
  GWorldPtr gw = nullptr;
  const Rect bounds = R(0, 0, 4, 4);
  ASSERT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
  VantiroSetGWorldLent(gw, true);
  DisposeGWorld(gw);
  EXPECT_EQ(VantiroLivePortCount(), before + 1);
  EXPECT_NE(GetPixBaseAddr(GetGWorldPixMap(gw)), nullptr);
  VantiroSetGWorldLent(gw, false);
  DisposeGWorld(gw);
  EXPECT_EQ(VantiroLivePortCount(), before);
}

TEST(RectHelpers, BehaveAsTheToolboxDid) {
  const auto is = [](const Rect& r, int left, int top, int right, int bottom) {
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
  };
  Rect r;
  SetRect(&r, 10, 20, 30, 60);
  EXPECT_TRUE(is(r, 10, 20, 30, 60));
  OffsetRect(&r, -5, 7);
  EXPECT_TRUE(is(r, 5, 27, 25, 67));
  InsetRect(&r, 2, 3);
  EXPECT_TRUE(is(r, 7, 30, 23, 64));
  InsetRect(&r, -1, -1);
  EXPECT_TRUE(is(r, 6, 29, 24, 65));
  InsetRect(&r, 9, 0);  // 18 wide: nothing left
  EXPECT_TRUE(is(r, 0, 0, 0, 0));
  r = R(32000, 0, 32700, 10);
  OffsetRect(&r, 1000, 0);
  EXPECT_TRUE(is(r, 32767, 0, 32767, 10)) << "saturates instead of wrapping";

  const Rect box = R(0, 0, 12, 12);
  EXPECT_TRUE(PtInRect(Point{0, 0}, &box));
  EXPECT_TRUE(PtInRect(Point{11, 11}, &box));
  EXPECT_FALSE(PtInRect(Point{0, 12}, &box)) << "the right side is open";
  EXPECT_FALSE(PtInRect(Point{12, 0}, &box)) << "the bottom side is open";
  EXPECT_FALSE(PtInRect(Point{-1, 5}, &box));
}

TEST(Drawing, FillsUseTheirColoursAndStayInsideTheClip) {
  Buffer buffer(6, 6);
  vantiro::PortScope current(buffer.gw());
  RGBForeColor(&kRed);
  RGBBackColor(&kBlue);
  const Rect clip = R(1, 1, 5, 6);
  ClipRect(&clip);
  const Rect all = R(-10, -10, 20, 20);
  PaintRect(&all);
  const Rect lower = R(0, 3, 6, 6);
  EraseRect(&lower);

  Picture expected(6, 6);
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 5; ++x) expected.at(x, y) = Opaque(y < 3 ? kRed : kBlue);
  EXPECT_TRUE(Matches(buffer.Read(), expected, 0, "fill"));
}

TEST(Drawing, InvertRectTurnsColoursIntoTheirOppositesAndBack) {
  Picture picture = MakePicture(4, 3, Noise);
  picture.at(0, 0) = Pixel{128, 100, 0, 128};  // premultiplied, half transparent
  Buffer buffer(picture);
  vantiro::PortScope current(buffer.gw());
  const Rect all = R(0, 0, 4, 3);
  InvertRect(&all);
  EXPECT_EQ(buffer.Get(0, 0), Opaque(155, 255, 127)) << "its colour over black, inverted, opaque";
  const Pixel before = picture.at(2, 1), after = buffer.Get(2, 1);
  EXPECT_EQ(after, Opaque(255 - before.r, 255 - before.g, 255 - before.b));
  PenMode(patCopy);  // inverting ignores the pen
  InvertRect(&all);
  picture.at(0, 0) = Opaque(100, 0, 128);
  EXPECT_TRUE(Matches(buffer.Read(), picture, 0, "twice"));
}

TEST(Drawing, PenModesFollowTheSolidPattern) {
  struct Case {
    int16_t mode;
    enum { kFore, kBack, kInverted, kKept } result;
  };
  const Case cases[] = {{patCopy, Case::kFore},      {patOr, Case::kFore},        {patXor, Case::kInverted},
                        {patBic, Case::kBack},       {notPatCopy, Case::kBack},   {notPatOr, Case::kKept},
                        {notPatXor, Case::kKept},    {notPatBic, Case::kKept},    {srcCopy, Case::kFore},
                        {srcOr, Case::kFore},        {srcXor, Case::kInverted},   {srcBic, Case::kBack}};
  for (const Case& c : cases) {
    Buffer buffer(1, 1);
    const Pixel original = Opaque(10, 200, 30);
    buffer.Set(0, 0, original);
    vantiro::PortScope current(buffer.gw());
    RGBForeColor(&kRed);
    RGBBackColor(&kBlue);
    PenMode(c.mode);
    const Rect r = R(0, 0, 1, 1);
    PaintRect(&r);
    const Pixel expected = c.result == Case::kFore       ? Opaque(kRed)
                           : c.result == Case::kBack     ? Opaque(kBlue)
                           : c.result == Case::kInverted ? Opaque(245, 55, 225)
                                                         : original;
    EXPECT_EQ(buffer.Get(0, 0), expected) << "mode " << c.mode;
  }
}

TEST(Drawing, FrameRectDrawsEachOutlinePixelOnce) {
  Buffer buffer(7, 6);
  vantiro::PortScope current(buffer.gw());
  PenMode(patXor);  // a pixel drawn twice would come back
  const Rect r = R(1, 1, 6, 5);
  FrameRect(&r);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const bool outline = (x == 1 || x == 5 || y == 1 || y == 4) && x >= 1 && x <= 5 && y >= 1 && y <= 4;
      EXPECT_EQ(buffer.Get(x, y).r, outline ? 255 : 0) << x << "," << y;
    }
  const Rect line = R(0, 0, 7, 1);
  PenMode(patCopy);
  FrameRect(&line);  // one pixel high: a single row
  EXPECT_EQ(buffer.Get(3, 0), Opaque(0, 0, 0));
}

TEST(Drawing, FrameOvalIsAClosedSymmetricRingInsideItsRectangle) {
  for (const Rect r : {R(2, 3, 14, 15), R(1, 1, 20, 10), R(0, 0, 9, 9)}) {
    Buffer buffer(24, 18);
    vantiro::PortScope current(buffer.gw());
    PenMode(patXor);
    FrameOval(&r);
    const auto on = [&](int x, int y) { return buffer.Get(x, y).r == 255; };
    int count = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 24; ++x) {
        if (!on(x, y)) continue;
        ++count;
        EXPECT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom) << x << "," << y;
        const int mx = r.left + r.right - 1 - x, my = r.top + r.bottom - 1 - y;
        EXPECT_TRUE(on(mx, y) && on(x, my)) << "mirror of " << x << "," << y;
        // Closed: every ring pixel touches another one, also diagonally.
        bool neighbour = false;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < 24 && y + dy < 18) neighbour |= on(x + dx, y + dy);
        EXPECT_TRUE(neighbour) << x << "," << y;
      }
    // It touches all four sides of the rectangle and leaves its centre and corners alone.
    bool top = false, left = false;
    for (int x = r.left; x < r.right; ++x) top |= on(x, r.top);
    for (int y = r.top; y < r.bottom; ++y) left |= on(r.left, y);
    EXPECT_TRUE(top && left);
    EXPECT_FALSE(on((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_FALSE(on(r.left, r.top));
    EXPECT_GT(count, (r.right - r.left) + (r.bottom - r.top));
  }
}

// One to one, clipped to the destination's clip and to what the source holds, and scaled to
// the nearest pixel under each destination pixel's centre.
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

TEST(CopyBits, CopiesWithinOneRasterWhateverTheOverlap) {
  const Picture picture = MakePicture(8, 8, Noise);
  struct Move {
    Rect src, dst;
  };
  for (const Move& m : {Move{R(0, 0, 6, 6), R(2, 2, 8, 8)}, Move{R(2, 2, 8, 8), R(0, 0, 6, 6)},
                        Move{R(0, 1, 6, 7), R(2, 0, 8, 6)}, Move{R(0, 0, 4, 4), R(1, 1, 9, 9)}}) {
    Buffer buffer(picture);
    CopyBits(GetPortBitMapForCopyBits(buffer.gw()), GetPortBitMapForCopyBits(buffer.gw()), &m.src, &m.dst, srcCopy,
             nullptr);
    Buffer separate(picture), other(picture);
    CopyBits(GetPortBitMapForCopyBits(other.gw()), GetPortBitMapForCopyBits(separate.gw()), &m.src, &m.dst, srcCopy,
             nullptr);
    EXPECT_TRUE(Matches(buffer.Read(), separate.Read(), 0, "overlap"));
  }
}

TEST(CopyBits, TakesAPixelMapAsItsBitMap) {
  const Picture source = MakePicture(3, 3, Noise);
  Buffer from(source), to(3, 3);
  const Rect all = R(0, 0, 3, 3);
  CopyBits(reinterpret_cast<const BitMap*>(*GetGWorldPixMap(from.gw())),
           reinterpret_cast<const BitMap*>(*GetGWorldPixMap(to.gw())), &all, &all, srcCopy, nullptr);
  EXPECT_TRUE(Matches(to.Read(), source, 0, "pixmap"));
}
