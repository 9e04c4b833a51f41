// A clip whose display matrix turns it is read already turned, converted and turned a band
// of rows at a time: the picture must be the unturned one turned whole, to the byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/media/VideoReader.h"
#include "tests/testlib/Png.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;

namespace {

std::vector<uint8_t> FirstFrame(const std::string& path, int* width, int* height) {
  std::string error;
  auto reader = VideoReader::Open(path, &error);
  EXPECT_TRUE(reader) << error;
  if (!reader) return {};
  *width = reader->info().width;
  *height = reader->info().height;
  std::vector<uint8_t> p(4 * static_cast<std::size_t>(*width) * *height);
  EXPECT_TRUE(reader->ReadFrame(0, *width, *height, true, p.data(), 4L * *width, &error)) << error;
  return p;
}

// A quarter turn clockwise: the bottom row becomes the first column.
std::vector<uint32_t> QuarterTurn(const std::vector<uint32_t>& p, int* width, int* height) {
  std::vector<uint32_t> turned(p.size());
  for (int y = 0; y < *height; ++y)
    for (int x = 0; x < *width; ++x)
      turned[std::size_t(x) * *height + (*height - 1 - y)] = p[std::size_t(y) * *width + x];
  std::swap(*width, *height);
  return turned;
}

TEST(TurnedClip, ReadsAsItsUnturnedPictureTurnedWholeForEveryQuarter) {
  test::ScratchFolder dir;
  // 70 rows: four bands of 16 and a short one; 98 columns: blocks of 4 and two more.
  const std::string plain = (dir / "plain.mp4").string();
  const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc2=s=98x70:d=0.04 -c:v libx264 -pix_fmt yuv420p ";
  ASSERT_EQ(std::system((make + plain).c_str()), 0);
  int width = 0, height = 0;
  const std::vector<uint8_t> bytes = FirstFrame(plain, &width, &height);
  ASSERT_EQ(width, 98);
  std::vector<uint32_t> unturned(bytes.size() / 4);
  std::memcpy(unturned.data(), bytes.data(), bytes.size());
  for (const int degrees : {90, 180, 270}) {
    // The tag, like the display matrix FFmpeg makes of it, turns counter-clockwise.
    std::vector<uint32_t> want = unturned;
    width = 98, height = 70;
    for (int quarter = 0; quarter < (360 - degrees) / 90; ++quarter) want = QuarterTurn(want, &width, &height);
    const std::string phone = (dir / ("phone" + std::to_string(degrees) + ".mp4")).string();
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i " + plain + " -c copy -metadata:s:v:0 rotate=" +
                           std::to_string(degrees) + " " + phone).c_str()), 0);
    int gotWidth = 0, gotHeight = 0;
    const std::vector<uint8_t> got = FirstFrame(phone, &gotWidth, &gotHeight);
    ASSERT_EQ(gotWidth, width) << degrees;
    ASSERT_EQ(gotHeight, height) << degrees;
    const bool same = std::memcmp(got.data(), want.data(), got.size()) == 0;
    EXPECT_TRUE(same) << "turned " << degrees << " degrees";
    if (!same) {
      std::vector<uint8_t> rgba(got.size());
      for (std::size_t i = 0; i < got.size(); i += 4)
        rgba[i] = got[i + 1], rgba[i + 1] = got[i + 2], rgba[i + 2] = got[i + 3], rgba[i + 3] = 255;
      test::WritePng(std::string(VANTIRO_TEST_ARTIFACTS) + "/turned-" + std::to_string(degrees) + ".png", width,
                     height, rgba);
    }
  }
}

}  // namespace
