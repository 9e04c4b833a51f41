#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/media/MediaWriter.h"
#include "app/media/VideoReader.h"
#include "tests/app/TestClips.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using vantiro::test::ScratchFolder;

namespace {

constexpr int kW = 64, kH = 48;

// Frame n: a flat colour whose red channel counts the frame, so a frame read back can be
// told apart from its neighbours even after lossy coding.
std::vector<uint8_t> Picture(int n) {
  std::vector<uint8_t> p(kW * kH * 4, 100);
  for (int i = 0; i < kW * kH; ++i) p[4 * i] = 255, p[4 * i + 1] = uint8_t(8 * n);
  return p;
}

WriterSettings Settings(const std::filesystem::path& path, bool singleImage, int64_t firstNumber = 0) {
  WriterSettings s;
  s.width = kW;
  s.height = kH;
  s.path = path.string();
  s.singleImage = singleImage;
  s.firstNumber = firstNumber;
  return s;
}

int RedOf(VideoReader& reader, int64_t n) {
  std::vector<uint8_t> p(kW * kH * 4);
  std::string error;
  EXPECT_TRUE(reader.ReadFrame(n, kW, kH, true, p.data(), kW * 4, &error)) << error;
  return p[4 * (kH / 2 * kW + 3) + 1];
}

}  // namespace

TEST(Media, AClipWrittenIsReadBackFrameByFrame) {
  ScratchFolder dir;
  const std::string clip = (dir / "clip.mp4").string();
  vantiro::test::WriteClip(clip, {.frames = 20, .tone = 0.5f}, [](int n, uint8_t* p) {
    const auto picture = Picture(n);
    std::copy(picture.begin(), picture.end(), p);
  });
  std::string error;
  auto reader = VideoReader::Open(clip, &error);
  ASSERT_NE(reader, nullptr) << error;
  const VideoInfo& info = reader->info();
  EXPECT_TRUE(info.width == kW && info.height == kH && info.hasAudio && !info.isImage);
  EXPECT_EQ(info.frameCount, 20);
  EXPECT_EQ(info.fpsNum * 1.0 / info.fpsDen, 25.0);

  for (int n = 0; n < 20; ++n) EXPECT_NEAR(RedOf(*reader, n), 8 * n, 6) << "frame " << n;
  EXPECT_EQ(reader->seekCount(), 0) << "reading in order never seeks";
  EXPECT_NEAR(RedOf(*reader, 3), 24, 6) << "going back seeks";
  EXPECT_NEAR(RedOf(*reader, 17), 136, 6);
  EXPECT_GE(reader->seekCount(), 1);
  EXPECT_FALSE(reader->ReadFrame(20, kW, kH, true, std::vector<uint8_t>(kW * kH * 4).data(), kW * 4, &error));
  EXPECT_NE(error.find("outside the clip"), std::string::npos);
}

TEST(Media, ASequenceMovesIntoPlaceWholeOrNotAtAll) {
  ScratchFolder dir;
  vantiro::test::WriteFile(dir / "seq-0007.png", "older picture");
  std::string error;
  auto seq = MediaWriter::Create(Settings(dir / "seq.png", false, 7), &error);
  ASSERT_NE(seq, nullptr) << error;
  for (int n = 0; n < 3; ++n) ASSERT_TRUE(seq->WriteVideo(Picture(n).data(), kW * 4, &error)) << error;
  std::filesystem::create_directory(dir / "seq-0009.png");  // appears while the render runs
  EXPECT_FALSE(seq->Finish(&error));
  EXPECT_NE(error.find("seq-0009.png"), std::string::npos) << error;
  EXPECT_EQ(vantiro::test::ReadFile(dir / "seq-0007.png"), "older picture");
  EXPECT_EQ(vantiro::test::Listing(dir.path()), (std::vector<std::string>{"seq-0007.png", "seq-0009.png"}));
}

// The writers read a picture up to its last byte and not one further, so a picture at the
// very end of its memory is safe.
TEST(Media, APictureIsReadUpToItsLastByteAndNoFurther) {
  ScratchFolder dir;
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), bytes = kW * kH * 4;
  const std::size_t span = (bytes + page - 1) / page * page;
  auto* memory =
      static_cast<uint8_t*>(mmap(nullptr, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(memory, MAP_FAILED);
  ASSERT_EQ(mprotect(memory + span, page, PROT_NONE), 0);
  uint8_t* picture = memory + span - bytes;
  for (const char* name : {"one.png", "one.mp4"}) {
    const WriterSettings s = Settings(dir / name, true);
    EXPECT_EXIT(
        {
          std::string error;
          auto writer = MediaWriter::Create(s, &error);
          std::exit(writer && writer->WriteVideo(picture, kW * 4, &error) && writer->Finish(&error) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << name;
  }
  munmap(memory, span + page);
}
