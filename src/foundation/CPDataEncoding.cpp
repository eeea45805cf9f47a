#include "foundation/CPDataEncoding.h"

#include <algorithm>
#include <string>

#include "foundation/CPStrings.h"

CPDate CPDecodeDate(CPDate date, const CPDataEncoding& e) {
  if (date == 0 || e.dateEncoding != kCPDates1970) return date;
  return date + kCPSecondsFrom1904To1970;
}

CPDate CPEncodeDate(CPDate date, const CPDataEncoding& to) {
  if (date == 0 || to.dateEncoding != kCPDates1970) return date;
  return date - kCPSecondsFrom1904To1970;
}

CPDate CPEncodeDate(CPDate date, const CPDataEncoding& from, const CPDataEncoding& to) {
  return CPEncodeDate(CPDecodeDate(date, from), to);
}

void CPEncodeString(StringPtr str, int capacity, uint8_t from, uint8_t to) {
  if (from == to || from == 0 || to == 0 || str[0] == 0) return;
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
