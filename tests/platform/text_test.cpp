#include <gtest/gtest.h>

#include "platform/text/MacRoman.h"

using namespace vantiro;

TEST(MacRoman, RoundTripsEveryByteAndRefusesWhatItCannotHold) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToMacRoman(MacRomanToUtf8(all)), all);
  EXPECT_EQ(MacRomanToUtf8("\xC9\xDB"), "\u2026\u20AC");  // the ellipsis, the euro sign
  for (const char* bad : {"\u4E2D", "\xC3", "\x80"})  // not in Mac Roman, cut UTF-8, stray continuation
    EXPECT_FALSE(Utf8ToMacRoman(bad).has_value()) << bad;
}

TEST(PascalStrings, AreCutAt255Characters) {
  PStr p(std::string(300, 'x'));
  EXPECT_EQ(p.get()[0], 255);
  EXPECT_EQ(p.chars(), std::string(255, 'x'));
}
