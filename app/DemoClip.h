// The built-in test clip: moving colour bars, a frame counter and a tone.
#pragma once

#include <cstdint>
#include <string>

namespace vantiro {

struct DemoClipShape {
  int width = 1280;
  int height = 720;
  int fps = 30;
  int frames = 180;  // six seconds
};

// Writes the clip to `path` (any extension MediaWriter knows).
bool WriteDemoClip(const std::string& path, const DemoClipShape& shape, std::string* error);

// Paints frame `n` of the clip into a 32-bit ARGB raster.
void PaintDemoFrame(int64_t n, const DemoClipShape& shape, uint8_t* argb, long rowBytes);

// Draws `number` in seven-segment digits of height `digitHeight` with its top-left
// corner at (x, y), in the given colour (0xRRGGBB).
void DrawNumber(uint8_t* argb, long rowBytes, int width, int height, int x, int y, int digitHeight,
                long long number, uint32_t rgb);

}  // namespace vantiro
