// The Y'CbCr 4:2:0 conversions against the matrix formulas worked out here in floating point,
// and pictures read and written through them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/media/Colour.h"
#include "app/media/VideoReader.h"
#include "tests/app/TestClips.h"
#include "tests/testlib/Png.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using colour::Encoding;
using colour::Matrix;

namespace {

struct Planes {
  int chromaWidth, chromaHeight;
  std::vector<uint8_t> y, cb, cr;
  Planes(int w, int h)
      : chromaWidth((w + 1) / 2), chromaHeight((h + 1) / 2),
        y(std::size_t(w) * h), cb(std::size_t(chromaWidth) * chromaHeight), cr(cb.size()),
        data{y.data(), cb.data(), cr.data()}, stride{w, chromaWidth, chromaWidth} {}
  Planes(const Planes&) = delete;
  uint8_t* data[3];
  int stride[3];
};

// Exact conversions for one pixel, channels 0..255.
struct Formula {
  double kr, kb, kg, lumaScale, chromaScale, lumaOffset;
  explicit Formula(Encoding e)
      : kr(e.matrix == Matrix::kBt709 ? 0.2126 : 0.299), kb(e.matrix == Matrix::kBt709 ? 0.0722 : 0.114),
        kg(1 - kr - kb), lumaScale(e.fullRange ? 1 : 219.0 / 255), chromaScale(e.fullRange ? 1 : 224.0 / 255),
        lumaOffset(e.fullRange ? 0 : 16) {}
  void ToRgb(int y, int cb, int cr, double rgb[3]) const {
    const double l = (y - lumaOffset) / lumaScale, pb = (cb - 128) / chromaScale, pr = (cr - 128) / chromaScale;
    rgb[0] = l + 2 * (1 - kr) * pr;
    rgb[2] = l + 2 * (1 - kb) * pb;
    rgb[1] = (l - kr * rgb[0] - kb * rgb[2]) / kg;
  }
  // Luma, Cb and Cr codes of a colour.
  void ToYcc(double r, double g, double b, double ycc[3]) const {
    const double l = kr * r + kg * g + kb * b;
    ycc[0] = lumaOffset + lumaScale * l;
    ycc[1] = 128 + chromaScale * (b - l) / (2 * (1 - kb));
    ycc[2] = 128 + chromaScale * (r - l) / (2 * (1 - kr));
  }
};

double Clamped(double v) { return std::clamp(v, 0.0, 255.0); }

std::string NameOf(Encoding e, int w, int h) {
  return std::string(e.matrix == Matrix::kBt709 ? "bt709" : "bt601") + (e.fullRange ? "-full-" : "-limited-") +
         std::to_string(w) + "x" + std::to_string(h);
}

void SaveArgb(const std::string& name, int w, int h, const std::vector<uint8_t>& argb) {
  std::vector<uint8_t> rgba(std::size_t(w) * h * 4);
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    rgba[i] = argb[i + 1], rgba[i + 1] = argb[i + 2], rgba[i + 2] = argb[i + 3], rgba[i + 3] = 255;
  test::WritePng(std::string(VANTIRO_TEST_ARTIFACTS) + "/colour-" + name + ".png", w, h, rgba);
}

const Encoding kEncodings[] = {{Matrix::kBt601, false}, {Matrix::kBt601, true}, {Matrix::kBt709, false},
                               {Matrix::kBt709, true}};
// Odd sizes leave a last chroma column or row that covers one pixel of width or height.
const std::pair<int, int> kSizes[] = {{38, 24}, {37, 23}, {1, 1}};

TEST(Colour, DecodesAsTheMatrixSaysWithEachChromaSampleOnItsTwoByTwoBlock) {
  std::mt19937 random(7);
  for (const Encoding e : kEncodings)
    for (const auto& [w, h] : kSizes) {
      Planes p(w, h);
      // Codes over the whole byte: the results that fall outside 0..255 must clamp.
      for (auto* plane : {&p.y, &p.cb, &p.cr})
        for (uint8_t& v : *plane) v = uint8_t(random());
      std::vector<uint8_t> argb(std::size_t(w) * h * 4 + 4, 0x5A);  // one pixel more: nothing written past the end
      colour::Yuv420ToArgb(p.data, p.stride, w, h, e, argb.data(), 4L * w);
      const Formula f(e);
      double worst = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int c = y / 2 * p.chromaWidth + x / 2;
          double rgb[3];
          f.ToRgb(p.y[y * w + x], p.cb[c], p.cr[c], rgb);
          const uint8_t* got = &argb[4 * (std::size_t(y) * w + x)];
          EXPECT_EQ(got[0], 255);
          for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(got[ch + 1] - Clamped(rgb[ch])));
        }
      EXPECT_LE(worst, 1.0) << NameOf(e, w, h);
      EXPECT_EQ(argb.back(), 0x5A) << NameOf(e, w, h);
      if (worst > 1.0 || argb.back() != 0x5A) SaveArgb("decoded-" + NameOf(e, w, h), w, h, argb);
    }
}

TEST(Colour, EncodesAsTheMatrixSaysWithChromaTheMeanOfItsBlock) {
  std::mt19937 random(11);
  for (const Encoding e : kEncodings)
    for (const auto& [w, h] : kSizes) {
      std::vector<uint8_t> argb(std::size_t(w) * h * 4);
      for (uint8_t& v : argb) v = uint8_t(random());
      Planes p(w, h);
      colour::ArgbToYuv420(argb.data(), 4L * w, w, h, e, p.data, p.stride);
      const Formula f(e);
      const auto channel = [&](int x, int y, int ch) { return double(argb[4 * (std::size_t(y) * w + x) + 1 + ch]); };
      double worst = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          double ycc[3];
          f.ToYcc(channel(x, y, 0), channel(x, y, 1), channel(x, y, 2), ycc);
          worst = std::max(worst, std::abs(p.y[y * w + x] - ycc[0]));
        }
      for (int cy = 0; cy < p.chromaHeight; ++cy)
        for (int cx = 0; cx < p.chromaWidth; ++cx) {
          double mean[3] = {}, n = 0;
          for (int y = 2 * cy; y < std::min(2 * cy + 2, h); ++y)
            for (int x = 2 * cx; x < std::min(2 * cx + 2, w); ++x, ++n)
              for (int ch = 0; ch < 3; ++ch) mean[ch] += channel(x, y, ch);
          double ycc[3];
          f.ToYcc(mean[0] / n, mean[1] / n, mean[2] / n, ycc);
          worst = std::max({worst, std::abs(p.cb[cy * p.chromaWidth + cx] - Clamped(ycc[1])),
                            std::abs(p.cr[cy * p.chromaWidth + cx] - Clamped(ycc[2]))});
        }
      EXPECT_LE(worst, 1.0) << NameOf(e, w, h);
      if (worst > 1.0) SaveArgb("encoded-from-" + NameOf(e, w, h), w, h, argb);
    }
}

}  // namespace

// What a file says of its colours and what its planes hold must agree, both ways: written
// by us (the matrix picked by size), and made elsewhere with a tag that contradicts its size.
TEST(Colour, FilesAreWrittenAndReadInTheMatrixTheyAreTaggedWith) {
  constexpr uint8_t kRgb[3] = {200, 40, 40};  // 601 and 709 differ here by 14 levels
  test::ScratchFolder folder;
  const auto run = [&](const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str());
  };
  struct Case {
    int w, h;
    Matrix matrix;
    bool ours;  // written by our writer, else planes coded here and tagged by FFmpeg
  };
  for (const Case c : {Case{1280, 720, Matrix::kBt709, true}, Case{320, 240, Matrix::kBt601, true},
                       Case{1280, 720, Matrix::kBt601, false}, Case{320, 240, Matrix::kBt709, false}}) {
    const std::string name = NameOf({c.matrix, false}, c.w, c.h) + (c.ours ? "-ours" : "-tagged");
    SCOPED_TRACE(name);
    const std::string clip = (folder / (name + ".mp4")).string(), raw = (folder / "planes.yuv").string();
    if (c.ours) {
      test::WriteClip(clip, {c.w, c.h, 1, 25, 0}, [&](int, uint8_t* argb) {
        for (int i = 0; i < c.w * c.h; ++i) argb[4 * i] = 255, std::copy(kRgb, kRgb + 3, argb + 4 * i + 1);
      });
      const std::string tag = c.matrix == Matrix::kBt709 ? "bt709" : "smpte170m";
      EXPECT_EQ(run("ffprobe -v error -show_entries stream=color_space -of csv=p=0 " + clip + " | grep -qx " + tag), 0);
    } else {
      const Formula f({c.matrix, false});
      double ycc[3];
      f.ToYcc(kRgb[0], kRgb[1], kRgb[2], ycc);
      std::string planes(std::size_t(c.w) * c.h, char(std::lround(ycc[0])));
      planes.append(std::size_t(c.w) * c.h / 4, char(std::lround(ycc[1])));
      planes.append(std::size_t(c.w) * c.h / 4, char(std::lround(ycc[2])));
      test::WriteFile(raw, planes);
      const std::string size = std::to_string(c.w) + "x" + std::to_string(c.h);
      ASSERT_EQ(run("ffmpeg -v error -y -f rawvideo -pix_fmt yuv420p -s " + size + " -i " + raw +
                    " -c:v libx264 -crf 10 -colorspace " + (c.matrix == Matrix::kBt709 ? "bt709 " : "smpte170m ") +
                    clip),
                0);
    }
    const std::vector<uint8_t> back = test::ReadPicture(clip, 0, c.w, c.h);
    const uint8_t* pixel = &back[4 * (std::size_t(c.h / 2) * c.w + c.w / 2)];
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(pixel[ch + 1], kRgb[ch], 4) << "channel " << ch;
  }
}

// A clip whose display matrix turns it is read already turned, converted and turned a band
// of rows at a time: the picture must be the unturned one turned whole, to the byte.
TEST(TurnedClip, ReadsAsItsUnturnedPictureTurnedWholeForEveryQuarter) {
  // 70 rows: four bands of 16 and a short one; 98 columns: blocks of 4 and two more.
  constexpr int kW = 98, kH = 70;
  test::ScratchFolder dir;
  const std::string plain = (dir / "plain.mp4").string();
  const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc2=s=98x70:d=0.04 -c:v libx264 -pix_fmt yuv420p ";
  ASSERT_EQ(std::system((make + plain).c_str()), 0);
  const std::vector<uint8_t> unturned = test::ReadPicture(plain, 0, kW, kH);
  for (const int degrees : {90, 180, 270}) {
    const std::string phone = (dir / ("phone" + std::to_string(degrees) + ".mp4")).string();
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i " + plain + " -c copy -metadata:s:v:0 rotate=" +
                           std::to_string(degrees) + " " + phone).c_str()), 0);
    std::string error;
    const auto reader = VideoReader::Open(phone, &error);
    ASSERT_NE(reader, nullptr) << error;
    const int w = degrees == 180 ? kW : kH, h = degrees == 180 ? kH : kW;
    ASSERT_EQ(reader->info().width, w) << degrees;
    ASSERT_EQ(reader->info().height, h) << degrees;
    std::vector<uint8_t> got(4 * std::size_t(w) * h), want(got.size());
    ASSERT_TRUE(reader->ReadFrame(0, w, h, true, got.data(), 4L * w, &error)) << error;
    // The tag, like the display matrix FFmpeg makes of it, turns counter-clockwise.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        // Where pixel (x, y) of the turned picture lies in the unturned one.
        const int ux = degrees == 90 ? kW - 1 - y : degrees == 180 ? kW - 1 - x : y;
        const int uy = degrees == 90 ? x : degrees == 180 ? kH - 1 - y : kH - 1 - x;
        std::copy_n(&unturned[4 * (std::size_t(uy) * kW + ux)], 4, &want[4 * (std::size_t(y) * w + x)]);
      }
    EXPECT_TRUE(got == want) << "turned " << degrees << " degrees";
    if (got != want) SaveArgb("turned-" + std::to_string(degrees), w, h, got);
  }
}
