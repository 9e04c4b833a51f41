// Rasters whose contents are written only when needed: recycled memory cleared on first
// use, whole copies shared until either side is written.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/render/RenderKit.h"

using namespace vantiro::test;

namespace {

constexpr int kW = 64, kH = 48;
const RGBColor kRed{0xFF00, 0, 0}, kBlue{0, 0, 0xFF00}, kGreen{0, 0xFF00, 0};

void Paint(const Buffer& buffer, const Rect& r, const RGBColor& colour) {
  vantiro::PortScope scope(buffer.gw());
  RGBForeColor(&colour);
  PaintRect(&r);
}

void Copy(const Buffer& from, const Buffer& to, const Rect& fromRect, const Rect& toRect) {
  CopyBits(GetPortBitMapForCopyBits(from.gw()), GetPortBitMapForCopyBits(to.gw()), &fromRect, &toRect, srcCopy, nullptr);
}

// Red with a blue corner, painted only, so that its address was never handed out.
std::unique_ptr<Buffer> Original() {
  auto buffer = std::make_unique<Buffer>(kW, kH);
  Paint(*buffer, R(0, 0, kW, kH), kRed);
  Paint(*buffer, R(5, 7, 20, 30), kBlue);
  return buffer;
}

Picture Painted() {
  return MakePicture(kW, kH, [](int x, int y) { return Opaque(x >= 5 && x < 20 && y >= 7 && y < 30 ? kBlue : kRed); });
}

}  // namespace

// Whatever happens to the original afterwards, and however the copy is read, the copy
// holds the original as it was when copied; drawing into the copy leaves the original.
TEST(DeferredContents, AWholeCopyKeepsTheOriginalAsItWas) {
  const Rect all = R(0, 0, kW, kH);
  const char* changes[] = {"none", "painted whole", "written through its address", "disposed", "copied over",
                           "copy painted"};
  for (int change = 0; change < 6; ++change) {
    std::unique_ptr<Buffer> original = Original();
    Buffer copy(kW, kH), other(Picture(kW, kH, Opaque(kGreen)));
    Copy(*original, copy, all, all);
    Picture expected = Painted();
    switch (change) {
      case 1: Paint(*original, all, kGreen); break;
      case 2: original->Set(6, 8, Opaque(kGreen)); break;
      case 3: original.reset(); break;
      case 4:
        Copy(other, *original, all, all);
        EXPECT_TRUE(Matches(original->Read(), Picture(kW, kH, Opaque(kGreen)), 0, "original copied over"));
        break;
      case 5:
        Paint(copy, R(0, 0, 3, 2), kGreen);
        for (int y = 0; y < 2; ++y)
          for (int x = 0; x < 3; ++x) expected.at(x, y) = Opaque(kGreen);
        EXPECT_TRUE(Matches(original->Read(), Painted(), 0, "original after the copy was painted"));
        break;
      default: {
        const auto* bytes = vantiro::PixelsToRead(GetGWorldPixMap(copy.gw()));
        const long rowBytes = GetPixRowBytes(GetGWorldPixMap(copy.gw()));
        const uint8_t* blue = bytes + 8 * rowBytes + 4 * 6;
        EXPECT_EQ((Pixel{blue[0], blue[1], blue[2], blue[3]}), Opaque(kBlue));
      }
    }
    EXPECT_TRUE(Matches(copy.Read(), expected, 0, changes[change]));
  }
}

// A raster made in a disposed one's memory (large rasters reuse it) is transparent black
// to every reader: its address, a copy taken from part of it, drawing into part of it.
TEST(DeferredContents, ARasterInReusedMemoryStartsTransparent) {
  constexpr int kSide = 512;
  const Rect part = R(100, 100, 140, 120);
  for (int reader = 0; reader < 3; ++reader) {
    Buffer(Picture(kSide, kSide, Opaque(kRed)));  // leaves its memory to the next
    Buffer fresh(kSide, kSide), into(Picture(kSide, kSide, Opaque(kBlue)));
    Picture expected(kSide, kSide);
    if (reader == 1) {
      Copy(fresh, into, part, part);
      expected = Picture(kSide, kSide, Opaque(kBlue));
      for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) expected.at(x, y) = Pixel{};
    }
    if (reader == 2) {
      Paint(fresh, part, kGreen);
      for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) expected.at(x, y) = Opaque(kGreen);
    }
    EXPECT_TRUE(Matches((reader == 1 ? into : fresh).Read(), expected, 0, std::string("reader ").append(std::to_string(reader))));
  }
}
