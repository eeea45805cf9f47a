#include "foundation/CPDataEncoding.h"

#include <algorithm>
#include <string>

#include "foundation/CPStrings.h"

// The conversion itself, for two different encodings and a text that is not empty.
void CPConvertStoredString(StringPtr str, int capacity, uint8_t from, uint8_t to) {
  std::string out = CPConvertTextLenient(PToStd(str), static_cast<CPStringEncoding>(from),
                                         static_cast<CPStringEncoding>(to), nullptr);
  StdToP(out, str, std::min(capacity, 255));
}

unsigned char CPEncodeChar(unsigned char ch, uint8_t from, uint8_t to) {
  if (from == to) return ch;
  std::string out = CPConvertTextLenient(std::string(1, static_cast<char>(ch)),
                                         static_cast<CPStringEncoding>(from),
                                         static_cast<CPStringEncoding>(to), nullptr);
  return out.size() == 1 ? static_cast<unsigned char>(out[0]) : '?';
}
