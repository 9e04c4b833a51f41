#include "tests/testlib/Png.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <string_view>

namespace vantiro::test {
namespace {

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::string_view bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char(v >> shift));
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutBig32(out, uint32_t(data.size()));
  std::string body(type);
  body.append(data);
  out.append(body);
  PutBig32(out, Crc32(body));
}

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
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
    const bool last = at + n == raw.size();
    z.push_back(last ? '\1' : '\0');
    z.push_back(char(n & 0xFF));
    z.push_back(char(n >> 8));
    z.push_back(char(~n & 0xFF));
    z.push_back(char((~n >> 8) & 0xFF));
    z.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  PutBig32(z, Adler32(raw));

  std::string header;
  PutBig32(header, uint32_t(width));
  PutBig32(header, uint32_t(height));
  header.append({8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter variants, no interlace

  std::string png{"\x89PNG\r\n\x1a\n", 8};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace

bool WritePng(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgba) {
  std::ofstream out(path, std::ios::binary);
  const std::string png = EncodePng(width, height, rgba);
  out.write(png.data(), std::streamsize(png.size()));
  return bool(out);
}

}  // namespace vantiro::test
