// The Y'CbCr 4:2:0 conversions against the matrix formulas worked out here in floating
// point, and against swscale, whose output users got before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/media/Colour.h"
#include "app/media/Ffmpeg.h"
#include "tests/app/TestClips.h"
#include "tests/testlib/Png.h"
#include "tests/testlib/ScratchFolder.h"

using namespace vantiro;
using colour::Encoding;
using colour::Matrix;

namespace {

struct Planes {
  int width, height, chromaWidth, chromaHeight;
  std::vector<uint8_t> y, cb, cr;
  Planes(int w, int h)
      : width(w), height(h), chromaWidth((w + 1) / 2), chromaHeight((h + 1) / 2),
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

// Colours that change fast but smoothly, as in video: chroma sited half a pixel off
// would differ by several units here, while filters that differ only in sharpness agree.
std::vector<uint8_t> Scene(int w, int h) {
  std::vector<uint8_t> argb(std::size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &argb[4 * (std::size_t(y) * w + x)];
      p[0] = 255;
      p[1] = uint8_t(128 + 120 * std::sin(x * 0.15 + y * 0.02));
      p[2] = uint8_t(128 + 120 * std::sin(y * 0.15 - x * 0.02));
      p[3] = uint8_t(128 + 120 * std::cos(x * 0.11 + y * 0.11));
    }
  return argb;
}

int MaxDifference(const uint8_t* a, const uint8_t* b, std::size_t n) {
  int worst = 0;
  for (std::size_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

// What the reader and the writer used swscale for, compared with a tolerance. swscale's
// own reading of limited range runs about a unit dark, up to three.
TEST(Colour, MatchesWhatSwscaleGaveForYuv420AndFullRangeYuv420) {
  av_log_set_level(AV_LOG_QUIET);
  constexpr int w = 160, h = 90;
  const auto source = Scene(w, h);
  for (const auto& [format, fullRange] : {std::pair{AV_PIX_FMT_YUV420P, false}, {AV_PIX_FMT_YUVJ420P, true}}) {
    const Encoding e{Matrix::kBt601, fullRange};
    SwsContext* encoder = sws_getContext(w, h, AV_PIX_FMT_ARGB, w, h, format,
                                         SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                                         nullptr);
    SwsContext* decoder = sws_getContext(w, h, format, w, h, AV_PIX_FMT_ARGB, SWS_BICUBIC, nullptr, nullptr, nullptr);
    ASSERT_TRUE(encoder != nullptr && decoder != nullptr);
    Planes theirs(w, h), ours(w, h);
    const uint8_t* in[4] = {source.data()};
    const int inStride[4] = {4 * w};
    sws_scale(encoder, in, inStride, 0, h, theirs.data, theirs.stride);
    colour::ArgbToYuv420(source.data(), 4L * w, w, h, e, ours.data, ours.stride);
    EXPECT_LE(MaxDifference(theirs.y.data(), ours.y.data(), ours.y.size()), 1);
    EXPECT_LE(MaxDifference(theirs.cb.data(), ours.cb.data(), ours.cb.size()), 2);
    EXPECT_LE(MaxDifference(theirs.cr.data(), ours.cr.data(), ours.cr.size()), 2);

    // Both decode the same planes: swscale's.
    std::vector<uint8_t> want(std::size_t(w) * h * 4), got(want.size());
    uint8_t* out[4] = {want.data()};
    sws_scale(decoder, theirs.data, theirs.stride, 0, h, out, inStride);
    colour::Yuv420ToArgb(theirs.data, theirs.stride, w, h, e, got.data(), 4L * w);
    const int worst = MaxDifference(want.data(), got.data(), got.size());
    EXPECT_LE(worst, 3) << (fullRange ? "full range" : "limited range");
    if (worst > 3) SaveArgb(std::string("swscale-") + (fullRange ? "full" : "limited"), w, h, got);
    sws_freeContext(encoder);
    sws_freeContext(decoder);
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
    const Formula f({c.matrix, false});
    double ycc[3];
    f.ToYcc(kRgb[0], kRgb[1], kRgb[2], ycc);
    if (c.ours) {
      test::WriteClip(clip, {c.w, c.h, 1, 25, 0}, [&](int, uint8_t* argb) {
        for (int i = 0; i < c.w * c.h; ++i) argb[4 * i] = 255, std::copy(kRgb, kRgb + 3, argb + 4 * i + 1);
      });
      const std::string tag = c.matrix == Matrix::kBt709 ? "bt709" : "smpte170m";
      EXPECT_EQ(run("ffprobe -v error -show_entries stream=color_space -of csv=p=0 " + clip + " | grep -qx " + tag), 0);
      ASSERT_EQ(run("ffmpeg -v error -y -i " + clip + " -f rawvideo -pix_fmt yuv420p " + raw), 0);
      const std::string planes = test::ReadFile(raw);
      ASSERT_EQ(planes.size(), std::size_t(c.w) * c.h * 3 / 2);
      const std::size_t centre = std::size_t(c.h / 2) * c.w + c.w / 2,
                        chroma = std::size_t(c.w) * c.h + std::size_t(c.h / 4) * (c.w / 2) + c.w / 4;
      EXPECT_NEAR(uint8_t(planes[centre]), ycc[0], 2);
      EXPECT_NEAR(uint8_t(planes[chroma]), ycc[1], 2);
      EXPECT_NEAR(uint8_t(planes[chroma + std::size_t(c.w) * c.h / 4]), ycc[2], 2);
    } else {
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
