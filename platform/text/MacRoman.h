// Text conversions between the toolbox's length-prefixed Mac Roman strings and the
// UTF-8 strings of Linux.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/MacTypes.h"

namespace vantiro {

// Mac Roman bytes to UTF-8; every byte has a mapping.
std::string MacRomanToUtf8(std::string_view macRoman);

// UTF-8 to Mac Roman; nullopt when a character has no Mac Roman equivalent or the
// input is not valid UTF-8.
std::optional<std::string> Utf8ToMacRoman(std::string_view utf8);

// The characters of a length-prefixed string.
std::string_view PascalChars(ConstStringPtr p);

// Stores up to 255 characters of `chars` as a length-prefixed string; longer input is cut.
void SetPascal(StringPtr dest, std::string_view chars);

// A length-prefixed string held by value, for building texts in C++ code.
class PStr {
 public:
  PStr(std::string_view chars = {}) { SetPascal(bytes_, chars); }
  ConstStringPtr get() const { return bytes_; }
  operator ConstStringPtr() const { return bytes_; }
  std::string_view chars() const { return PascalChars(bytes_); }

 private:
  Str255 bytes_{};
};

}  // namespace vantiro
