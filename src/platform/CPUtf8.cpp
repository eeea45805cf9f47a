#include "platform/CPUtf8.h"

#include <cstdint>

bool CPIsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<uint8_t>(text[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    uint32_t min;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i <= static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<uint8_t>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}
