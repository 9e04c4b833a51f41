#include "app/DemoClip.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/media/MediaWriter.h"

namespace vantiro {
namespace {

void Fill(uint8_t* argb, long rowBytes, int width, int height, int x0, int y0, int x1, int y1,
          uint32_t rgb) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, width), y1 = std::min(y1, height);
  for (int y = y0; y < y1; ++y)
    for (uint8_t* p = argb + y * rowBytes + 4 * x0; p < argb + y * rowBytes + 4 * x1; p += 4) {
      p[0] = 255;
      p[1] = uint8_t(rgb >> 16), p[2] = uint8_t(rgb >> 8), p[3] = uint8_t(rgb);
    }
}

// Segments a..g of the digits 0-9, bit 0 = a (top), clockwise, g the middle bar.
constexpr uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

constexpr uint32_t kBars[8] = {0xC0C0C0, 0xC0C000, 0x00C0C0, 0x00C000,
                               0xC000C0, 0xC00000, 0x0000C0, 0x101010};

}  // namespace

void DrawNumber(uint8_t* argb, long rowBytes, int width, int height, int x, int y, int h,
                long long number, uint32_t rgb) {
  const std::string digits = std::to_string(number);
  const int w = h / 2, t = std::max(2, h / 10), half = h / 2;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int dx = x + static_cast<int>(i) * (w + 2 * t);
    const uint8_t seg = kSegments[digits[i] - '0'];
    const auto bar = [&](int bit, int x0, int y0, int x1, int y1) {
      if (seg & (1 << bit)) Fill(argb, rowBytes, width, height, x0, y0, x1, y1, rgb);
    };
    bar(0, dx, y, dx + w, y + t);
    bar(1, dx + w - t, y, dx + w, y + half);
    bar(2, dx + w - t, y + half, dx + w, y + h);
    bar(3, dx, y + h - t, dx + w, y + h);
    bar(4, dx, y + half, dx + t, y + h);
    bar(5, dx, y, dx + t, y + half);
    bar(6, dx, y + half - t / 2, dx + w, y + half + t - t / 2);
  }
}

void PaintDemoFrame(int64_t n, const DemoClipShape& s, uint8_t* argb, long rowBytes) {
  // Eight bars scrolling left two pixels a frame, a grey ramp below, and the frame number.
  const int barWidth = s.width / 8;
  const int shift = static_cast<int>((n * 2) % s.width);
  for (int x = 0; x < s.width; ++x) {
    const uint32_t rgb = kBars[((x + shift) / barWidth) % 8];
    Fill(argb, rowBytes, s.width, s.height, x, 0, x + 1, s.height * 2 / 3, rgb);
    const uint32_t g = static_cast<uint32_t>(255 * x / std::max(1, s.width - 1));
    Fill(argb, rowBytes, s.width, s.height, x, s.height * 2 / 3, x + 1, s.height, g << 16 | g << 8 | g);
  }
  // A white arrow near the top-left corner shows which way is up after rotation.
  const int ax = s.width / 5, ay = s.height / 6;
  for (int k = 0; k < s.height / 8; ++k)
    Fill(argb, rowBytes, s.width, s.height, ax - k / 2, ay + k, ax + k / 2 + 1, ay + k + 1, 0xFFFFFF);
  const int digitHeight = s.height / 6;
  const int boxWidth = 4 * (digitHeight / 2 + digitHeight / 5) + digitHeight / 2;
  const int bx = (s.width - boxWidth) / 2, by = s.height * 2 / 3 - digitHeight / 2;
  Fill(argb, rowBytes, s.width, s.height, bx, by, bx + boxWidth, by + digitHeight + digitHeight / 2, 0x000000);
  DrawNumber(argb, rowBytes, s.width, s.height, bx + digitHeight / 4, by + digitHeight / 4, digitHeight, n, 0xFFFFFF);
}

bool WriteDemoClip(const std::string& path, const DemoClipShape& shape, std::string* error) {
  WriterSettings ws;
  ws.path = path;
  ws.width = shape.width;
  ws.height = shape.height;
  ws.fpsNum = shape.fps;
  ws.withAudio = true;
  auto writer = MediaWriter::Create(ws, error);
  if (!writer) return false;
  std::vector<uint8_t> picture(static_cast<std::size_t>(shape.width) * shape.height * 4);
  const int perFrame = 48000 / shape.fps;
  std::vector<float> sound(2 * static_cast<std::size_t>(perFrame));
  for (int n = 0; n < shape.frames; ++n) {
    PaintDemoFrame(n, shape, picture.data(), shape.width * 4L);
    if (!writer->WriteVideo(picture.data(), shape.width * 4L, error)) return false;
    // A 440 Hz tone with a higher beep at the start of every second, for checking sync.
    for (int i = 0; i < perFrame; ++i) {
      const long t = static_cast<long>(n) * perFrame + i;
      const bool beep = (t % 48000) < 4800;
      const float v = 0.25f * std::sin(2.0f * 3.14159265f * (beep ? 880.0f : 440.0f) * t / 48000.0f);
      sound[2 * i] = sound[2 * i + 1] = v;
    }
    if (!writer->WriteAudio(sound.data(), perFrame, error)) return false;
  }
  return writer->Finish(error);
}

}  // namespace vantiro
