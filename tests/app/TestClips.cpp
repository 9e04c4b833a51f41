#include "tests/app/TestClips.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/media/MediaWriter.h"

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
  for (int n = 0; n < shape.frames; ++n) {
    paint(n, picture.data());
    ASSERT_TRUE(writer->WriteVideo(picture.data(), shape.width * 4L, &error)) << error;
    if (!s.withAudio) continue;
    for (int i = 0; i < samples; ++i)
      sound[2 * i] = sound[2 * i + 1] = shape.tone * std::sin((n * samples + i) * 0.0576f);
    ASSERT_TRUE(writer->WriteAudio(sound.data(), samples, &error)) << error;
  }
  ASSERT_TRUE(writer->Finish(&error)) << error;
}

void WriteFlatClip(const std::string& path, const ClipShape& shape) {
  WriteClip(path, shape, [&](int, uint8_t* argb) {
    std::memset(argb, 128, static_cast<std::size_t>(shape.width) * shape.height * 4);
  });
}

}  // namespace vantiro::test
