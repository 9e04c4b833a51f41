#include "tests/app/TestClips.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <vector>

#include "app/media/MediaWriter.h"
#include "app/media/VideoReader.h"

namespace vantiro::test {

void WriteClip(const std::string& path, const ClipShape& shape, const PaintFrame& paint) {
  WriterSettings s;
  s.path = path;
  s.width = shape.width;
  s.height = shape.height;
  s.fpsNum = shape.fps;
  s.withAudio = shape.tone > 0;
  s.singleImage = shape.frames == 1;
  std::string error;
  auto writer = MediaWriter::Create(s, &error);
  ASSERT_NE(writer, nullptr) << error;
  std::vector<uint8_t> picture(static_cast<std::size_t>(shape.width) * shape.height * 4);
  const int samples = 48000 / shape.fps;
  std::vector<float> sound(2 * static_cast<std::size_t>(samples));
  std::fill(picture.begin(), picture.end(), 128);
  for (int n = 0; n < shape.frames; ++n) {
    if (paint) paint(n, picture.data());
    ASSERT_TRUE(writer->WriteVideo(picture.data(), shape.width * 4L, &error)) << error;
    if (!s.withAudio) continue;
    for (int i = 0; i < samples; ++i)
      sound[2 * i] = sound[2 * i + 1] = shape.tone * std::sin((n * samples + i) * 0.0576f);
    ASSERT_TRUE(writer->WriteAudio(sound.data(), samples, &error)) << error;
  }
  ASSERT_TRUE(writer->Finish(&error)) << error;
}

std::vector<uint8_t> ReadPicture(const std::string& path, int64_t n, int width, int height) {
  std::string error;
  auto reader = VideoReader::Open(path, &error);
  std::vector<uint8_t> p(4 * static_cast<std::size_t>(width) * height);
  EXPECT_TRUE(reader && reader->ReadFrame(n, width, height, true, p.data(), 4L * width, &error))
      << path << ": " << error;
  return p;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int worst = a.size() == b.size() ? 0 : 255;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

}  // namespace vantiro::test
