#include "app/media/Colour.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantiro::colour {
namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
constexpr bool kLittle = std::endian::native == std::endian::little;

// An opaque pixel from its channels, as a word that lands in memory as alpha, red, green, blue.
inline uint32_t Pack(int r, int g, int b) {
  const auto u = [](int v) { return static_cast<uint32_t>(v); };
  return kLittle ? 0xFFu | u(r) << 8 | u(g) << 16 | u(b) << 24 : 0xFF000000u | u(r) << 16 | u(g) << 8 | u(b);
}
inline int Red(uint32_t p) { return static_cast<int>(kLittle ? (p >> 8) & 0xFF : (p >> 16) & 0xFF); }
inline int Green(uint32_t p) { return static_cast<int>(kLittle ? (p >> 16) & 0xFF : (p >> 8) & 0xFF); }
inline int Blue(uint32_t p) { return static_cast<int>(kLittle ? p >> 24 : p & 0xFF); }

inline int Clamp8(int v) { return std::clamp(v, 0, 255); }

// The matrix's weights of red and blue in luma; green has the rest.
struct Weights {
  double kr, kb;
};
Weights WeightsOf(Matrix m) { return m == Matrix::kBt709 ? Weights{0.2126, 0.0722} : Weights{0.299, 0.114}; }

// Scale of luma and chroma codes per unit of a 0..255 channel.
double LumaScale(const Encoding& e) { return e.fullRange ? 1.0 : 219.0 / 255.0; }
double ChromaScale(const Encoding& e) { return e.fullRange ? 1.0 : 224.0 / 255.0; }
int LumaOffset(const Encoding& e) { return e.fullRange ? 0 : 16; }

int Fixed(double v, int bits) { return static_cast<int>(std::lround(v * (1 << bits))); }

// Decoding works in 16 bits, as SIMD multiplies them: codes moved up by kInputShift times
// coefficients of kDecodeBits fractional bits, keeping the high half of each product,
// leave kTermBits of fraction. At most three truncated products (an eighth each) and the
// final rounding stay within a unit. Encoding works in 32 bits: products of coefficients of at most
// 2^15 with sums of four pixels stay well inside.
constexpr int kDecodeBits = 13;
constexpr int kInputShift = 6;
constexpr int kTermBits = kDecodeBits + kInputShift - 16;
constexpr int kEncodeBits = 15;

// The high half of a 16 x 16 bit product, as SIMD computes it.
inline int MulHigh(int a, int b) { return (a * b) >> 16; }

struct DecodeCoefficients {
  int luma, redFromCr, greenFromCb, greenFromCr, blueFromCb;
  explicit DecodeCoefficients(const Encoding& e) {
    const auto [kr, kb] = WeightsOf(e.matrix);
    const double kg = 1 - kr - kb, c = 1 / ChromaScale(e);
    luma = Fixed(1 / LumaScale(e), kDecodeBits);
    redFromCr = Fixed(2 * (1 - kr) * c, kDecodeBits);
    blueFromCb = Fixed(2 * (1 - kb) * c, kDecodeBits);
    // Negated here, so that every term is added.
    greenFromCb = -Fixed(2 * kb * (1 - kb) / kg * c, kDecodeBits);
    greenFromCr = -Fixed(2 * kr * (1 - kr) / kg * c, kDecodeBits);
  }
};

// Each chroma sample's share of red, green and blue with the rounding half, repeated for
// the two pixels it covers, from sample `from` on.
void ChromaTerms(const DecodeCoefficients& k, const uint8_t* cb, const uint8_t* cr, int from, int chromaWidth,
                 int16_t* red, int16_t* green, int16_t* blue) {
  constexpr int kHalf = 1 << (kTermBits - 1);
  for (int c = from; c < chromaWidth; ++c) {
    const int u = (cb[c] - 128) << kInputShift, v = (cr[c] - 128) << kInputShift;
    const auto r = static_cast<int16_t>(MulHigh(v, k.redFromCr) + kHalf);
    const auto g = static_cast<int16_t>(MulHigh(u, k.greenFromCb) + MulHigh(v, k.greenFromCr) + kHalf);
    const auto b = static_cast<int16_t>(MulHigh(u, k.blueFromCb) + kHalf);
    red[2 * c] = red[2 * c + 1] = r;
    green[2 * c] = green[2 * c + 1] = g;
    blue[2 * c] = blue[2 * c + 1] = b;
  }
}

void DecodeRow(const DecodeCoefficients& k, int lumaOffset, const uint8_t* y, const int16_t* red,
               const int16_t* green, const int16_t* blue, int from, int width, uint32_t* out) {
  for (int x = from; x < width; ++x) {
    const int l = MulHigh((y[x] - lumaOffset) << kInputShift, k.luma);
    out[x] = Pack(Clamp8((l + red[x]) >> kTermBits), Clamp8((l + green[x]) >> kTermBits),
                  Clamp8((l + blue[x]) >> kTermBits));
  }
}

#if defined(__SSE2__)
// The same sums as ChromaTerms and DecodeRow, eight at a time; both return how far they got.
int ChromaTermsSse2(const DecodeCoefficients& k, const uint8_t* cb, const uint8_t* cr, int chromaWidth,
                    int16_t* red, int16_t* green, int16_t* blue) {
  const auto all = [](int v) { return _mm_set1_epi16(static_cast<int16_t>(v)); };
  const __m128i zero = _mm_setzero_si128(), centre = all(128), half = all(1 << (kTermBits - 1));
  const __m128i rv = all(k.redFromCr), bu = all(k.blueFromCb), gu = all(k.greenFromCb), gv = all(k.greenFromCr);
  const auto load = [&](const uint8_t* p) {
    const __m128i codes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    return _mm_slli_epi16(_mm_sub_epi16(codes, centre), kInputShift);
  };
  const auto store = [](int16_t* to, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi16(v, v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi16(v, v));
  };
  int c = 0;
  for (; c + 8 <= chromaWidth; c += 8) {
    const __m128i u = load(cb + c), v = load(cr + c);
    store(red + 2 * c, _mm_add_epi16(_mm_mulhi_epi16(v, rv), half));
    store(green + 2 * c, _mm_add_epi16(_mm_add_epi16(_mm_mulhi_epi16(u, gu), _mm_mulhi_epi16(v, gv)), half));
    store(blue + 2 * c, _mm_add_epi16(_mm_mulhi_epi16(u, bu), half));
  }
  return c;
}

int DecodeRowSse2(const DecodeCoefficients& k, int lumaOffset, const uint8_t* y, const int16_t* red,
                  const int16_t* green, const int16_t* blue, int width, uint32_t* out) {
  const __m128i zero = _mm_setzero_si128(), opaque = _mm_set1_epi8(-1);
  const __m128i offset = _mm_set1_epi16(static_cast<int16_t>(lumaOffset));
  const __m128i luma = _mm_set1_epi16(static_cast<int16_t>(k.luma));
  const auto at = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m128i codes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + x)), zero);
    const __m128i l = _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(codes, offset), kInputShift), luma);
    const __m128i r = _mm_srai_epi16(_mm_add_epi16(l, at(red + x)), kTermBits);
    const __m128i g = _mm_srai_epi16(_mm_add_epi16(l, at(green + x)), kTermBits);
    const __m128i b = _mm_srai_epi16(_mm_add_epi16(l, at(blue + x)), kTermBits);
    // Saturating packs clamp to 0..255; then bytes are woven into alpha, red, green, blue.
    const __m128i rg = _mm_packus_epi16(r, g), bb = _mm_packus_epi16(b, b);
    const __m128i ar = _mm_unpacklo_epi8(opaque, rg), gb = _mm_unpacklo_epi8(_mm_unpackhi_epi64(rg, rg), bb);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(ar, gb));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(ar, gb));
  }
  return x;
}
#endif

struct EncodeCoefficients {
  int yr, yg, yb, cbr, cbg, cbb, crr, crg, crb;
  explicit EncodeCoefficients(const Encoding& e) {
    const auto [kr, kb] = WeightsOf(e.matrix);
    const double kg = 1 - kr - kb, ys = LumaScale(e), cs = ChromaScale(e);
    yr = Fixed(kr * ys, kEncodeBits);
    yg = Fixed(kg * ys, kEncodeBits);
    yb = Fixed(kb * ys, kEncodeBits);
    // Cb = (B - Y') / (2 (1 - kb)) and Cr = (R - Y') / (2 (1 - kr)), scaled.
    cbr = Fixed(-kr * cs / (2 * (1 - kb)), kEncodeBits);
    cbg = Fixed(-kg * cs / (2 * (1 - kb)), kEncodeBits);
    cbb = Fixed(cs / 2, kEncodeBits);
    crr = Fixed(cs / 2, kEncodeBits);
    crg = Fixed(-kg * cs / (2 * (1 - kr)), kEncodeBits);
    crb = Fixed(-kb * cs / (2 * (1 - kr)), kEncodeBits);
  }
};

void LumaRow(const EncodeCoefficients& k, int lumaOffset, const uint32_t* __restrict in, int width,
             uint8_t* __restrict y) {
  const int bias = (lumaOffset << kEncodeBits) + (1 << (kEncodeBits - 1));
  for (int x = 0; x < width; ++x) {
    const uint32_t p = in[x];
    y[x] = static_cast<uint8_t>((k.yr * Red(p) + k.yg * Green(p) + k.yb * Blue(p) + bias) >> kEncodeBits);
  }
}

// One chroma row from the 2 x 2 blocks of rows `a` and `b`: each sample from the sums of
// its four pixels. An odd last column repeats its pixel.
void ChromaRow(const EncodeCoefficients& k, const uint32_t* __restrict a, const uint32_t* __restrict b, int width,
               uint8_t* __restrict cb, uint8_t* __restrict cr) {
  constexpr int kShift = kEncodeBits + 2;  // the sums are four pixels
  constexpr int kBias = (128 << kShift) + (1 << (kShift - 1));
  const auto sample = [&](uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3, int c) {
    const int r = Red(p0) + Red(p1) + Red(p2) + Red(p3);
    const int g = Green(p0) + Green(p1) + Green(p2) + Green(p3);
    const int bl = Blue(p0) + Blue(p1) + Blue(p2) + Blue(p3);
    cb[c] = static_cast<uint8_t>(Clamp8((k.cbr * r + k.cbg * g + k.cbb * bl + kBias) >> kShift));
    cr[c] = static_cast<uint8_t>(Clamp8((k.crr * r + k.crg * g + k.crb * bl + kBias) >> kShift));
  };
  const int pairs = width / 2;
  for (int c = 0; c < pairs; ++c) sample(a[2 * c], a[2 * c + 1], b[2 * c], b[2 * c + 1], c);
  if (width % 2 != 0) sample(a[width - 1], a[width - 1], b[width - 1], b[width - 1], pairs);
}

#if defined(__SSE2__)
// Eight pixels of two rows at a time, with the same fixed-point sums as the plain code
// above, so both give the same bytes: luma of both rows, and four chroma samples.
class EncodeEight {
 public:
  EncodeEight(const EncodeCoefficients& k, int lumaOffset)
      : luma_(_mm_setr_epi16(0, S(k.yr), S(k.yg), S(k.yb), 0, S(k.yr), S(k.yg), S(k.yb))),
        cb_(_mm_setr_epi16(0, S(k.cbr), S(k.cbg), S(k.cbb), 0, S(k.cbr), S(k.cbg), S(k.cbb))),
        cr_(_mm_setr_epi16(0, S(k.crr), S(k.crg), S(k.crb), 0, S(k.crr), S(k.crg), S(k.crb))),
        lumaBias_(_mm_set1_epi32((lumaOffset << kEncodeBits) + (1 << (kEncodeBits - 1)))),
        chromaBias_(_mm_set1_epi32((128 << (kEncodeBits + 2)) + (1 << (kEncodeBits + 1)))) {}

  // Returns how many pixels of the rows it did: all but fewer than eight.
  int Rows(const uint8_t* a, const uint8_t* b, int width, uint8_t* ya, uint8_t* yb, uint8_t* cb, uint8_t* cr) const {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
      __m128i pa[4], pb[4];
      Unpack(a + 4 * x, pa);
      Unpack(b + 4 * x, pb);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(ya + x), Luma(pa));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(yb + x), Luma(pb));
      // Sums of the 2 x 2 blocks: rows first, then each pixel with its right neighbour.
      __m128i sums[2];
      for (int i = 0; i < 2; ++i) {
        const __m128i left = _mm_add_epi16(pa[2 * i], pb[2 * i]), right = _mm_add_epi16(pa[2 * i + 1], pb[2 * i + 1]);
        sums[i] = _mm_add_epi16(_mm_unpacklo_epi64(left, right), _mm_unpackhi_epi64(left, right));
      }
      StoreFour(cb + x / 2, Chroma(sums, cb_));
      StoreFour(cr + x / 2, Chroma(sums, cr_));
    }
    return x;
  }

 private:
  static int16_t S(int v) { return static_cast<int16_t>(v); }

  // Eight pixels as four registers of two pixels' alpha, red, green, blue in 16 bits.
  static void Unpack(const uint8_t* p, __m128i out[4]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    out[0] = _mm_unpacklo_epi8(lo, zero);
    out[1] = _mm_unpackhi_epi8(lo, zero);
    out[2] = _mm_unpacklo_epi8(hi, zero);
    out[3] = _mm_unpackhi_epi8(hi, zero);
  }

  // The weighted sums of four pixels (two registers) as four 32-bit values: each pixel's
  // products come out as a pair, red's and green's plus blue's, which are added here.
  static __m128i Weighted(__m128i p01, __m128i p23, __m128i weights) {
    const __m128 m0 = _mm_castsi128_ps(_mm_madd_epi16(p01, weights));
    const __m128 m1 = _mm_castsi128_ps(_mm_madd_epi16(p23, weights));
    return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(2, 0, 2, 0))),
                         _mm_castps_si128(_mm_shuffle_ps(m0, m1, _MM_SHUFFLE(3, 1, 3, 1))));
  }

  __m128i Luma(const __m128i p[4]) const {
    const __m128i lo = _mm_srai_epi32(_mm_add_epi32(Weighted(p[0], p[1], luma_), lumaBias_), kEncodeBits);
    const __m128i hi = _mm_srai_epi32(_mm_add_epi32(Weighted(p[2], p[3], luma_), lumaBias_), kEncodeBits);
    return _mm_packus_epi16(_mm_packs_epi32(lo, hi), _mm_setzero_si128());
  }

  __m128i Chroma(const __m128i sums[2], __m128i weights) const {
    const __m128i v = _mm_srai_epi32(_mm_add_epi32(Weighted(sums[0], sums[1], weights), chromaBias_), kEncodeBits + 2);
    return _mm_packus_epi16(_mm_packs_epi32(v, v), _mm_setzero_si128());
  }

  static void StoreFour(uint8_t* to, __m128i v) {
    const int32_t word = _mm_cvtsi128_si32(v);
    std::memcpy(to, &word, 4);
  }

  __m128i luma_, cb_, cr_, lumaBias_, chromaBias_;
};
#endif

}  // namespace

void Yuv420ToArgb(const uint8_t* const plane[3], const int stride[3], int width, int height, Encoding encoding,
                  uint8_t* argb, long rowBytes) {
  const DecodeCoefficients k(encoding);
  const int chromaWidth = (width + 1) / 2;
  std::vector<int16_t> terms(3 * 2 * static_cast<std::size_t>(chromaWidth));
  int16_t* red = terms.data();
  int16_t* green = red + 2 * chromaWidth;
  int16_t* blue = green + 2 * chromaWidth;
  for (int y = 0; y < height; ++y) {
    if (y % 2 == 0) {
      const uint8_t* cb = plane[1] + static_cast<long>(y / 2) * stride[1];
      const uint8_t* cr = plane[2] + static_cast<long>(y / 2) * stride[2];
      int done = 0;
#if defined(__SSE2__)
      done = ChromaTermsSse2(k, cb, cr, chromaWidth, red, green, blue);
#endif
      ChromaTerms(k, cb, cr, done, chromaWidth, red, green, blue);
    }
    const uint8_t* luma = plane[0] + static_cast<long>(y) * stride[0];
    auto* out = reinterpret_cast<uint32_t*>(argb + y * rowBytes);
    int done = 0;
#if defined(__SSE2__)
    done = DecodeRowSse2(k, LumaOffset(encoding), luma, red, green, blue, width, out);
#endif
    DecodeRow(k, LumaOffset(encoding), luma, red, green, blue, done, width, out);
  }
}

void ArgbToYuv420(const uint8_t* argb, long rowBytes, int width, int height, Encoding encoding,
                  uint8_t* const plane[3], const int stride[3]) {
  const EncodeCoefficients k(encoding);
  const int offset = LumaOffset(encoding);
#if defined(__SSE2__)
  const EncodeEight eight(k, offset);
#endif
  const auto row = [&](int y) { return argb + y * rowBytes; };
  const auto words = [&](int y, int x) { return reinterpret_cast<const uint32_t*>(row(y)) + x; };
  for (int y = 0; y < height; y += 2) {
    // An odd last row makes its chroma from itself alone.
    const int below = std::min(y + 1, height - 1);
    uint8_t* lumaA = plane[0] + static_cast<long>(y) * stride[0];
    uint8_t* lumaB = plane[0] + static_cast<long>(below) * stride[0];
    uint8_t* cb = plane[1] + static_cast<long>(y / 2) * stride[1];
    uint8_t* cr = plane[2] + static_cast<long>(y / 2) * stride[2];
    int done = 0;
#if defined(__SSE2__)
    done = eight.Rows(row(y), row(below), width, lumaA, lumaB, cb, cr);
#endif
    LumaRow(k, offset, words(y, done), width - done, lumaA + done);
    if (below != y) LumaRow(k, offset, words(below, done), width - done, lumaB + done);
    ChromaRow(k, words(y, done), words(below, done), width - done, cb + done / 2, cr + done / 2);
  }
}

}  // namespace vantiro::colour
