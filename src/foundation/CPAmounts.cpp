#include "foundation/CPAmounts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "foundation/CPStrings.h"
#include "platform/CPRegional.h"

namespace {

// Fixed notation with `decimals` decimals, from the exact binary value
// rounded to nearest. to_chars, unlike printf, never looks at the locale.
std::string Fixed(double value, int decimals) {
  std::string buf(330 + static_cast<size_t>(decimals), '\0');
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed,
                           decimals);
  buf.resize(static_cast<size_t>(res.ptr - buf.data()));
  return buf;
}

// The whole of `text` as a decimal number, or false.
bool ParseDecimal(std::string_view text, double& value) {
  double v = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  value = v;
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

bool MacStrToNum(ConstStringPtr text, double& value) {
  return MacStrToNum(std::string_view(reinterpret_cast<const char*>(text + 1), text[0]), value);
}

bool MacStrToNum(std::string_view text, double& value) {
  const CPRegional& r = CPRegional::Get();
  std::string s;
  bool blank = true;
  for (char c : text) {
    if (c != ' ') blank = false;
    if (c == ' ' || c == '+' || (r.thousandSep != 0 && c == static_cast<char>(r.thousandSep)))
      continue;
    s += c;
  }
  if (blank) {
    value = 0;
    return true;
  }
  size_t decimal = s.find(static_cast<char>(r.decimalChar));
  if (decimal != std::string::npos) s[decimal] = '.';
  if (!s.empty() && s[0] == '.') s.insert(s.begin(), '0');
  if (s == "-") return false;
  for (char c : s)
    if (!IsDigit(c) && c != '.' && c != '-') return false;
  // Only one number, read whole: "1-2" or "5-" are not 1 and 5.
  return ParseDecimal(s, value);
}

std::string MacNumToStr(double value, int decimals, bool thousands) {
  if (std::fabs(value) < 1e-7) value = 0;
  decimals = std::min(decimals, 255);
  std::string s;
  if (decimals >= 0) {
    s = Fixed(value, decimals);
  } else {
    double tolerance = 0.1;
    for (int d = 0; d <= 5; ++d, tolerance /= 10) {
      s = Fixed(value, d);
      double back;
      if (ParseDecimal(s, back) && std::fabs(back - value) < tolerance) break;
    }
  }
  // A negative value that shows as zero is shown as zero, not "-0,00".
  if (!s.empty() && s[0] == '-' &&
      std::all_of(s.begin() + 1, s.end(), [](char c) { return c == '0' || c == '.'; }))
    s.erase(s.begin());

  const CPRegional& r = CPRegional::Get();
  size_t point = s.find('.');
  if (point != std::string::npos) s[point] = static_cast<char>(r.decimalChar);
  if (thousands && r.thousandSep != 0) {
    // The digits just before the decimal character (or the end); a sign or
    // any other character before them ends the grouping.
    size_t end = point == std::string::npos ? s.size() : point;
    size_t start = end;
    while (start > 0 && IsDigit(s[start - 1])) --start;
    std::string grouped;
    for (size_t i = start; i < end; ++i) {
      if (i > start && (end - i) % 3 == 0) grouped += static_cast<char>(r.thousandSep);
      grouped += s[i];
    }
    s.replace(start, end - start, grouped);
  }
  if (s.size() > 255) s.resize(255);
  return s;
}

void MacNumToStr(double value, StringPtr text, short decimals, bool thousands) {
  StdToP(MacNumToStr(value, int{decimals}, thousands), text);
}

double CPArrondi(double value, short decimals, bool) {
  if (!std::isfinite(value)) return value;
  const int d = std::max<int>(decimals, 0);
  const double threshold = d == 0 ? 0.1 : d == 1 ? 0.01 : d == 2 ? 0.001 : 0.0001;
  if (std::fabs(value) < threshold) return 0;

  // The exact binary value, digit by digit, well past the digits kept.
  const std::string digits = Fixed(std::fabs(value), d + 36);
  const size_t point = digits.find('.');
  const std::string whole = digits.substr(0, point);
  const std::string fraction = digits.substr(point + 1);
  int before = static_cast<int>(whole.size());
  if (whole == "0") before = -static_cast<int>(fraction.find_first_not_of('0'));
  if (before + d < 0) return 0;
  // A double this large has no fraction left to round.
  if (before + d > 36) return value;

  std::string kept = whole + fraction.substr(0, d);
  if (d <= 4 && fraction[d] >= '5') Increment(kept);
  kept.insert(kept.end() - d, '.');
  double result = 0;
  ParseDecimal(kept, result);
  if (result == 0) return 0;
  return value < 0 ? -result : result;
}

namespace {

// The shortest decimal form that reads back as `value`, with its exponent
// moved by `shift` places.
double ShiftDecimal(double value, int shift) {
  if (!std::isfinite(value) || value == 0) return value;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string_view s(buf, static_cast<size_t>(res.ptr - buf));
  size_t e = s.find('e');
  int exponent = std::atoi(std::string(s.substr(e + 1)).c_str());
  std::string shifted = std::string(s.substr(0, e)) + 'e' + std::to_string(exponent + shift);
  double out = value * std::pow(10.0, shift);
  std::from_chars(shifted.data(), shifted.data() + shifted.size(), out,
                  std::chars_format::scientific);
  return out;
}

struct EuroRate {
  OSType code;
  double rate;
};

constexpr EuroRate kEuroRates[] = {
    {CPFourCC("FRF "), 6.55957},  {CPFourCC("BEF "), 40.3399},  {CPFourCC("LUF "), 40.3399},
    {CPFourCC("DEM "), 1.95583},  {CPFourCC("GRD "), 340.75},   {CPFourCC("ESP "), 166.386},
    {CPFourCC("IEP "), 0.787564}, {CPFourCC("ITL "), 1936.27},  {CPFourCC("NLG "), 2.20371},
    {CPFourCC("ATS "), 13.7603},  {CPFourCC("PTE "), 200.482},  {CPFourCC("FIM "), 5.94573},
};

}  // namespace

double CentsToFrancs(double value) { return ShiftDecimal(value, -2); }
double FrancsToCents(double value) { return ShiftDecimal(value, 2); }

bool CPIsDeviseZoneEuro(OSType code, double& rate) {
  for (const EuroRate& e : kEuroRates) {
    if (e.code == code) {
      rate = e.rate;
      return true;
    }
  }
  return false;
}

unsigned char CPGetDecimalChar() { return CPRegional::Get().decimalChar; }
unsigned char CPGetThousandSep() { return CPRegional::Get().thousandSep; }
bool CPHasThousandSep() { return CPRegional::Get().thousandSep != 0; }
