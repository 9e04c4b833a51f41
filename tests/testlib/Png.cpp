#include "tests/testlib/Png.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <string_view>

namespace vantiro::test {
namespace {

// Bit by bit: the pictures are small and only written when a test fails.
uint32_t Crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char(v >> shift));
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutBig32(out, uint32_t(data.size()));
  const std::string body = std::string(type).append(data);
  out.append(body);
  PutBig32(out, Crc32(body));
}

}  // namespace

bool WritePng(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgba) {
  // Scanlines, each led by filter type 0 (none).
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(rgba.data()) + size_t(y) * width * 4, size_t(width) * 4);
  }
  // zlib stream: header, stored blocks of up to 65535 bytes, Adler-32 of the raw bytes.
  std::string z{"\x78\x01", 2};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const char block[] = {at + n == raw.size(), char(n), char(n >> 8), char(~n), char(~n >> 8)};
    z.append(block, 5).append(raw, at, n);
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(z, b << 16 | a);

  std::string header;
  PutBig32(header, uint32_t(width));
  PutBig32(header, uint32_t(height));
  header.append({8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter variants, no interlace
  std::string png{"\x89PNG\r\n\x1a\n", 8};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", "");
  std::ofstream out(path, std::ios::binary);
  out.write(png.data(), std::streamsize(png.size()));
  return bool(out);
}

}  // namespace vantiro::test
