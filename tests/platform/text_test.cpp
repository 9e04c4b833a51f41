#include <gtest/gtest.h>

#include "platform/text/MacRoman.h"

using namespace vantiro;

TEST(MacRoman, RoundTripsEveryByteThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = MacRomanToUtf8(all);
  EXPECT_EQ(Utf8ToMacRoman(utf8), all);
  EXPECT_EQ(MacRomanToUtf8("\xC9"), "\u2026");  // the ellipsis
  EXPECT_EQ(MacRomanToUtf8("\xDB"), "\u20AC");  // the euro sign
}

TEST(MacRoman, RefusesWhatItCannotHold) {
  EXPECT_FALSE(Utf8ToMacRoman("\u4E2D").has_value());     // not in Mac Roman
  EXPECT_FALSE(Utf8ToMacRoman("\xC3").has_value());       // cut UTF-8
  EXPECT_FALSE(Utf8ToMacRoman("\x80").has_value());       // stray continuation byte
  EXPECT_EQ(Utf8ToMacRoman("plain"), "plain");
}

TEST(PascalStrings, AreCutAt255Characters) {
  const std::string long_text(300, 'x');
  PStr p(long_text);
  EXPECT_EQ(p.get()[0], 255);
  EXPECT_EQ(p.chars(), std::string(255, 'x'));
  EXPECT_EQ(PStr("").get()[0], 0);
  EXPECT_EQ(PascalChars(nullptr), "");
}
