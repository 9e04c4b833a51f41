// A small PNG writer for pictures that tests save when they fail: 8-bit RGBA, stored
// (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vantiro::test {

// `rgba` holds width × height pixels, rows top to bottom, bytes red, green, blue, alpha.
bool WritePng(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace vantiro::test
