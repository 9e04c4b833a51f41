// A small PNG writer for pictures that tests save when they fail: 8-bit RGBA, stored
// (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantiro::test {

// `rgba` holds width × height pixels, rows top to bottom, bytes red, green, blue, alpha.
std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba);
bool WritePng(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgba);

// The checksums of the format, exposed for their own tests.
uint32_t Crc32(std::string_view bytes);
uint32_t Adler32(std::string_view bytes);

}  // namespace vantiro::test
