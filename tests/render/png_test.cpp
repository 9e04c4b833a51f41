// The tests' PNG writer: the file must be one any PNG reader accepts.
#include <gtest/gtest.h>

#include <string>

#include "tests/testlib/Png.h"

using vantiro::test::Adler32;
using vantiro::test::Crc32;
using vantiro::test::EncodePng;

namespace {

uint32_t Big32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}

}  // namespace

TEST(Png, ChecksumsMatchTheirPublishedCheckValues) {
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
  EXPECT_EQ(Adler32(""), 1u);
}

TEST(Png, ChunksCarryTheHeaderAndStoredScanlines) {
  // 300 × 60 RGBA: 72060 bytes of scanlines, more than one stored block holds.
  const int w = 300, h = 60;
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = uint8_t(i * 7 + i / 13);
  const std::string png = EncodePng(w, h, rgba);
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

  std::string idat;
  std::vector<std::string> types;
  for (size_t at = 8; at < png.size();) {
    const uint32_t length = Big32(png, at);
    const std::string type = png.substr(at + 4, 4);
    const std::string data = png.substr(at + 8, length);
    EXPECT_EQ(Big32(png, at + 8 + length), Crc32(type + data)) << type;
    types.push_back(type);
    if (type == "IHDR") {
      EXPECT_EQ(Big32(data, 0), uint32_t(w));
      EXPECT_EQ(Big32(data, 4), uint32_t(h));
      EXPECT_EQ(data.substr(8), std::string("\x08\x06\x00\x00\x00", 5));
    }
    if (type == "IDAT") idat += data;
    at += 12 + length;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

  // zlib header, then stored blocks whose contents are the filtered scanlines.
  ASSERT_GE(idat.size(), 6u);
  EXPECT_EQ((uint8_t(idat[0]) * 256 + uint8_t(idat[1])) % 31, 0) << "header check bits";
  std::string raw;
  size_t at = 2;
  bool last = false;
  while (!last) {
    ASSERT_LT(at + 5, idat.size());
    last = idat[at] & 1;
    EXPECT_EQ(idat[at] & 6, 0) << "stored";
    const unsigned len = uint8_t(idat[at + 1]) | uint8_t(idat[at + 2]) << 8;
    const unsigned nlen = uint8_t(idat[at + 3]) | uint8_t(idat[at + 4]) << 8;
    EXPECT_EQ(len ^ nlen, 0xFFFFu);
    raw += idat.substr(at + 5, len);
    at += 5 + len;
  }
  EXPECT_EQ(Big32(idat, at), Adler32(raw));
  EXPECT_EQ(at + 4, idat.size());
  ASSERT_EQ(raw.size(), size_t(h) * (1 + w * 4));
  for (int y = 0; y < h; ++y) {
    const size_t row = size_t(y) * (1 + w * 4);
    ASSERT_EQ(raw[row], 0) << "filter none";
    ASSERT_EQ(raw.compare(row + 1, size_t(w) * 4, std::string(rgba.begin() + size_t(y) * w * 4, rgba.begin() + size_t(y + 1) * w * 4)), 0) << y;
  }
}
