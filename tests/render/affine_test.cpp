// The dedicated loop for turned pictures against pixman itself: random pictures (in either
// byte order), transforms, destinations and clips, drawn both ways, must come out byte for
// byte the same.
#include <gtest/gtest.h>
#include <pixman.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/coregraphics/AffineBilinear.h"
#include "tests/render/RenderKit.h"

using namespace vantiro;
using namespace vantiro::test;

namespace {

struct Case {
  int sourceWidth, sourceHeight;
  std::vector<uint32_t> source;  // native words, premultiplied
  bool sourceSwapped;            // our loop reads them byte swapped
  int width, height;             // the destination box
  std::vector<uint32_t> dest;    // in the destination's byte order
  bool swapped;
  int offsetX, offsetY;  // where the box lies in the transform's destination space
  uint16_t alpha;        // pixman's mask alpha; 65535 draws without a mask
  pixman_transform_t transform;
};

uint32_t RandomPremultiplied(std::mt19937& random) {
  const int kind = int(random() % 4);
  const uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : random() % 256;
  uint32_t word = a << 24;
  for (int shift = 0; shift < 24; shift += 8) word |= (a == 0 ? 0 : random() % (a + 1)) << shift;
  return word;
}

// Turned by any angle, scaled from a fifth to five times either way, moved anywhere near the
// picture or far from it; a few are sheared instead.
Case RandomCase(std::mt19937& random) {
  const auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
  Case c{};
  c.sourceWidth = 1 + int(random() % 41);
  c.sourceHeight = 1 + int(random() % 29);
  for (int i = 0; i < c.sourceWidth * c.sourceHeight; ++i) c.source.push_back(RandomPremultiplied(random));
  c.sourceSwapped = random() % 2 == 0;
  c.width = 1 + int(random() % 57);
  c.height = 1 + int(random() % 31);
  c.swapped = random() % 2 == 0;
  for (int i = 0; i < c.width * c.height; ++i) c.dest.push_back(RandomPremultiplied(random));
  c.offsetX = int(random() % 200) - 100;
  c.offsetY = int(random() % 200) - 100;
  c.alpha = random() % 3 == 0 ? uint16_t(random() % 65536) : 65535;
  // Any direction, as a unit vector: the PowerPC libm's sincos uses an instruction qemu-user lacks.
  double cos = 0, sin = 0;
  while (std::hypot(cos, sin) < 0.1) cos = uniform(-1, 1), sin = uniform(-1, 1);
  const double length = std::hypot(cos, sin), sx = std::exp(uniform(-1.6, 1.6)), sy = std::exp(uniform(-1.6, 1.6));
  cos /= length, sin /= length;
  pixman_f_transform f{};
  f.m[0][0] = cos / sx;
  f.m[0][1] = random() % 8 == 0 ? 0 : -sin / sx;
  f.m[1][0] = sin / sy;
  f.m[1][1] = cos / sy;
  f.m[0][2] = uniform(-60, 60);
  f.m[1][2] = uniform(-60, 60);
  f.m[2][2] = 1;
  pixman_transform_from_pixman_f_transform(&c.transform, &f);
  return c;
}

// pixman's bytes: the source, bilinear, edges extended, over the box through a solid mask.
std::vector<uint32_t> DrawnByPixman(const Case& c) {
  std::vector<uint32_t> out = c.dest;
  pixman_image_t* source = pixman_image_create_bits(PIXMAN_a8r8g8b8, c.sourceWidth, c.sourceHeight,
                                                    const_cast<uint32_t*>(c.source.data()), c.sourceWidth * 4);
  pixman_image_set_transform(source, &c.transform);
  pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
  const pixman_color_t alpha{0, 0, 0, c.alpha};
  pixman_image_t* mask = c.alpha < 65535 ? pixman_image_create_solid_fill(&alpha) : nullptr;
  pixman_image_t* target = pixman_image_create_bits(c.swapped ? PIXMAN_b8g8r8a8 : PIXMAN_a8r8g8b8, c.width, c.height,
                                                    out.data(), c.width * 4);
  pixman_image_composite32(PIXMAN_OP_OVER, source, mask, target, c.offsetX, c.offsetY, 0, 0, 0, 0, c.width, c.height);
  pixman_image_unref(target);
  if (mask != nullptr) pixman_image_unref(mask);
  pixman_image_unref(source);
  return out;
}

// Ours, row by row, each row clipped to a random span as a shape's rows are; outside the
// spans `expected` takes back the destination's bytes.
std::vector<uint32_t> DrawnByLoop(const Case& c, std::vector<uint32_t>& expected, std::mt19937& random) {
  std::vector<uint32_t> out = c.dest, words = c.source;
  if (c.sourceSwapped)
    for (uint32_t& word : words) word = __builtin_bswap32(word);
  const AffineSource source{words.data(), size_t(c.sourceWidth), c.sourceWidth, c.sourceHeight, c.sourceSwapped};
  for (int y = 0; y < c.height; ++y) {
    const int left = int(random() % unsigned(c.width)), right = left + 1 + int(random() % unsigned(c.width - left));
    OverAffineBilinear(source, c.transform, c.offsetX + left, c.offsetY + y, right - left, &out[size_t(y) * c.width + left],
                       c.swapped, uint8_t(c.alpha >> 8));
    for (int x = 0; x < c.width; ++x)
      if (x < left || x >= right) expected[size_t(y) * c.width + x] = c.dest[size_t(y) * c.width + x];
  }
  return out;
}

Picture PictureOf(const uint32_t* words, int width, int height, bool swapped) {
  Picture picture(width, height);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const uint32_t w = swapped ? __builtin_bswap32(words[i]) : words[i];
    picture.pixels[i] = Pixel{uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)};
  }
  return picture;
}

// Both versions of the loop, the vector one and the plain one it must match.
TEST(AffineLoop, DrawsPixmansBytesForRandomTurnsScalesOffsetsAndClips) {
  for (const AffineKernel kernel : {AffineKernel::kVector, AffineKernel::kPlain}) {
    SetAffineKernel(kernel);
    std::mt19937 random(20261207);
    int drawn = 0;
    for (int i = 0; i < 3000; ++i) {
      const Case c = RandomCase(random);
      if (!TakesAffineBilinear(c.transform)) continue;
      ++drawn;
      std::vector<uint32_t> expected = DrawnByPixman(c);
      const std::vector<uint32_t> actual = DrawnByLoop(c, expected, random);
      if (actual == expected) continue;
      SetAffineKernel(AffineKernel::kVector);
      const std::string label =
          std::string(kernel == AffineKernel::kPlain ? "plain" : "vector").append(" case ").append(std::to_string(i));
      ASSERT_TRUE(Matches(PictureOf(actual.data(), c.width, c.height, c.swapped),
                          PictureOf(expected.data(), c.width, c.height, c.swapped), 0, label));
    }
    EXPECT_GT(drawn, 2500);
  }
  SetAffineKernel(AffineKernel::kVector);
}

}  // namespace
