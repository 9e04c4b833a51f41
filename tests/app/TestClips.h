// Clips written with the project's own writer, for tests that need a real video file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantiro::test {

struct ClipShape {
  int width = 64, height = 48;
  int frames = 30;
  int fps = 25;
  float tone = 0;  // amplitude of a 440 Hz tone on both channels; 0: no sound
};

// Paints frame `n` into a 32-bit ARGB raster of the clip's size, rows packed.
using PaintFrame = std::function<void(int n, uint8_t* argb)>;

// Writes the clip (any extension the writer knows), by default every frame one flat grey;
// a failure fails the calling test.
void WriteClip(const std::string& path, const ClipShape& shape, const PaintFrame& paint = {});

// Frame n of a video or picture file at width × height, ARGB rows packed; a failure fails
// the calling test.
std::vector<uint8_t> ReadPicture(const std::string& path, int64_t n, int width, int height);

// The largest difference between two pictures' bytes.
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace vantiro::test
