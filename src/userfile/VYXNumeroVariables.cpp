// TEMPORARY LOCAL STAND-IN - NOT TO COMMIT
#include "userfile/VYXNumeroVariables.h"
#include <string>
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
namespace {
std::string On(long n, size_t d) { std::string s = std::to_string(n); if (s.size() < d) s.insert(0, d - s.size(), '0'); return s.substr(s.size() - d); }
}
void VYXFormatNumero(ConstStringPtr format, int32_t number, CPDate date, StringPtr out) {
  std::string f = PToStd(format), r;
  if (f.empty()) r = std::to_string(number);
  for (size_t i = 0; i < f.size();) {
    if ((unsigned char)f[i] == 0xC7) { size_t j = f.find('\xC8', i); std::string n = f.substr(i + 1, j - i - 1);
      if (n == "num") r += std::to_string(number); else if (n == "num3") r += On(number, 3); else if (n == "num4") r += On(number, 4); else if (n == "num5") r += On(number, 5);
      else if (n == "aa") r += On(CPGetYear(date), 2); else if (n == "aaaa") r += On(CPGetYear(date), 4); else if (n == "mm") r += On(CPGetMonth(date), 2); else if (n == "jj") r += On(CPGetDayOfMonth(date), 2); else r += f.substr(i, j - i + 1);
      i = j + 1; } else r += f[i++];
  }
  Str255 t; StdToP(r, t); TruncPString(out, t, 12);
}
