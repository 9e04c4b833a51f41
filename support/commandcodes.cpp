// Command codes as text: the part of carbonmacros that needs no windowing services.
#include "support/carbonmacros.h"

// Bytes taken arithmetically, most significant first, so every processor reads the same.
std::string CommandID2Str(uint32_t commandID) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>((commandID >> (24 - 8 * i)) & 0xFF);
  return text;
}
