// Laying rows over rows at an opacity, as the host's Blit does, against pixman itself.
#include <gtest/gtest.h>
#include <pixman.h>

#include <random>
#include <vector>

#include "platform/quickdraw/Pixels.h"

namespace {

// Premultiplied words, alpha at `alphaShift`, transparent and opaque ones among them.
std::vector<uint32_t> RandomWords(std::mt19937& random, size_t count, int alphaShift) {
  std::vector<uint32_t> words;
  for (size_t i = 0; i < count; ++i) {
    const int kind = int(random() % 4);
    const uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : random() % 256;
    uint32_t word = a << alphaShift;
    for (int shift = 0; shift < 32; shift += 8)
      if (shift != alphaShift) word |= (random() % (a + 1)) << shift;
    words.push_back(word);
  }
  return words;
}

// Every opacity, both alpha positions, row lengths around the vector width.
TEST(OverWords, GivesPixmansOverThroughASolidMask) {
  std::mt19937 random(7);
  for (const int alphaShift : {0, 24})
    for (int opacity = 0; opacity <= 255; ++opacity) {
      const size_t count = 1 + random() % 23;
      const std::vector<uint32_t> from = RandomWords(random, count, alphaShift);
      std::vector<uint32_t> ours = RandomWords(random, count, alphaShift), theirs = ours;
      vantiro::OverWords(from.data(), ours.data(), count, alphaShift, uint32_t(opacity));

      const pixman_format_code_t format = alphaShift == 24 ? PIXMAN_a8r8g8b8 : PIXMAN_b8g8r8a8;
      pixman_image_t* source =
          pixman_image_create_bits(format, int(count), 1, const_cast<uint32_t*>(from.data()), int(count) * 4);
      pixman_image_t* target = pixman_image_create_bits(format, int(count), 1, theirs.data(), int(count) * 4);
      const pixman_color_t alpha{0, 0, 0, uint16_t(opacity * 257)};
      pixman_image_t* mask = opacity < 255 ? pixman_image_create_solid_fill(&alpha) : nullptr;
      pixman_image_composite32(PIXMAN_OP_OVER, source, mask, target, 0, 0, 0, 0, 0, 0, int(count), 1);
      if (mask != nullptr) pixman_image_unref(mask);
      pixman_image_unref(target);
      pixman_image_unref(source);
      ASSERT_EQ(ours, theirs) << "opacity " << opacity << ", alpha at bit " << alphaShift;
    }
}

}  // namespace
