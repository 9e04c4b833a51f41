#include <gtest/gtest.h>

#include <cstring>

#include "model/pascalFX.h"
#include "platform/coregraphics/CGImage.h"

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  pluginDataPtr a = nullptr, b = nullptr;
  ConfigTest() {
    pNewConfig(&a);
    pNewConfig(&b);
  }
  ~ConfigTest() override {
    pDestroyConfig(a);
    pDestroyConfig(b);
  }
};

}  // namespace

// The defaults spelled out field by field, after a full reset of a record full of junk.
TEST_F(ConfigTest, AFullResetWritesEveryDefault) {
  std::memset(a, 0xA5, sizeof(pluginDataRec));
  ResetConfig(a, true);
  for (const relRect* r : {&a->startRel, &a->endRel})
    EXPECT_TRUE(r->left == 0 && r->right == 1 && r->top == 0 && r->bottom == 1);
  for (int i = 0; i < 6; ++i) {
    const uint16_t level = i < 2 ? 65535 : 0;
    EXPECT_TRUE(a->colors[i].red == level && a->colors[i].green == level && a->colors[i].blue == level) << i;
    EXPECT_EQ(a->sliders[i], 0) << i;
  }
  EXPECT_TRUE(a->frameStartColor.red == 65535 && a->frameStartColor.green == 0 && a->frameStartColor.blue == 0);
  EXPECT_EQ(a->frameEndColor.red, 0xA5A5) << "not a default: left as it was";
  EXPECT_TRUE(a->mediaType == 1 && a->blendMode == 1 && a->outside);
  EXPECT_TRUE(!a->sync && !a->clipActive && !a->keepProps);
  EXPECT_TRUE(a->theOriginalImage == nullptr && a->theRendered == nullptr);
}

TEST_F(ConfigTest, CopiesOwnTheirRenderedImageAndNeverTheOriginal) {
  ResetConfig(a, true);
  a->sliders[0] = 42;
  a->theOriginalImage = vantiro::MakeImage(2, 1, {0xFF0000FF, 0xFF0000FF});
  a->theRendered = vantiro::MakeImage(2, 1, {0xFF00FF00, 0xFF00FF00});
  const long before = vantiro::LiveImageCount();
  pCopyConfig(a, b);
  EXPECT_EQ(b->sliders[0], 42);
  EXPECT_EQ(b->theOriginalImage, nullptr);
  ASSERT_NE(b->theRendered, a->theRendered);
  EXPECT_EQ(vantiro::ImagePixels(b->theRendered), vantiro::ImagePixels(a->theRendered));
  EXPECT_EQ(vantiro::LiveImageCount(), before + 1);
  pUncopyConfig(b);
  EXPECT_EQ(vantiro::LiveImageCount(), before);
  CGImageRelease(a->theRendered);
  CGImageRelease(a->theOriginalImage);
}
