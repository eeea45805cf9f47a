// The arguments typed on the command line, read strictly. The system's own
// parsers are forgiving (a date reads as many digits as it needs and stops,
// an amount of "," is 0), which suits a form whose fields take only digits; a
// command line takes any text, so what the parsers would silently change is
// refused here first, with a French message that says why.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/VYXCliFormat.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "platform/CPRegional.h"

namespace {

// Beyond this, a double no longer holds every cent of an amount (2^53 cents
// is a little over 90 000 billion).
constexpr double kLargestAmount = 9e13;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Each character of `utf8` in turn, as its UTF-8 bytes (a byte that starts
// no character passes alone).
template <typename F>
void ForEachChar(const std::string& utf8, F&& visit) {
  for (size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    size_t n = lead < 0x80           ? 1
               : (lead >> 5) == 0x06 ? 2
               : (lead >> 4) == 0x0E ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 1;
    n = std::min(n, utf8.size() - i);
    visit(std::string_view(utf8).substr(i, n));
    i += n;
  }
}

bool IsControl(std::string_view ch) {
  auto c = static_cast<unsigned char>(ch[0]);
  return ch.size() == 1 && (c < 0x20 || c == 0x7F);
}

// `typed` as MacRoman, composed first (a letter and its accent typed as two
// characters are one); refused, with item `item` (`controlItem`) of the
// argument texts, when it holds a character MacRoman lacks (a control character).
std::string MacRomanOf(const std::string& typed, int16_t code, int item, int controlItem) {
  std::string utf8 = CPComposeUtf8(typed), text, offending;
  if (!TryUtf8ToMacRoman(utf8, &text, &offending) && offending.empty()) {
    CPThrowList(kCPErrBadText, kCPErrorsListID, 3);
  }
  std::string bad;
  ForEachChar(utf8, [&](std::string_view ch) {
    std::string mac;
    if (bad.empty() && (IsControl(ch) || !TryUtf8ToMacRoman(ch, &mac, nullptr))) bad = ch;
  });
  if (bad.empty()) return text;
  const bool control = IsControl(bad);
  CPThrowList(control && code == kCPErrTextNotMacRoman ? paramErr : code, kVYXArgTexts,
              control ? controlItem : item, {CPShownText(utf8), Utf8ToMacRoman(CPCharName(bad))});
}

// ---- dates

// Which of the three numbers of a typed date is the year, in the regional order.
int YearPosition() {
  switch (CPRegional::Get().dateOrder) {
    case CPDateOrder::kYMD:
    case CPDateOrder::kYDM:
      return 0;
    case CPDateOrder::kMYD:
    case CPDateOrder::kDYM:
      return 1;
    default:
      return 2;
  }
}

bool IsDateSeparator(char c) {
  return c == '/' || c == '.' || c == '-' || c == ' ' ||
         c == static_cast<char>(CPRegional::Get().dateSep);
}

enum class DateShape { kSound, kMalformed, kYearDigits };

// Read as the system reads it (up to three numbers of at most 2, 2 and 4
// digits, one separator after each of the first two), a date must be all
// used up: nothing left over ("1/1/24/5", "01/01/20245"), no empty number
// ("01//24") and no other character ("1999x"). A year is written with one,
// two or four digits; "0099" or "024" would silently become 1999 or 2024.
DateShape CheckDateShape(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const int maxDigits[3] = {2, 2, 4};
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    size_t start = pos;
    while (pos < text.size() && pos - start < size_t(maxDigits[i]) && IsDigit(text[pos])) ++pos;
    size_t digits = pos - start;
    if (digits == 0) {
      if (pos == text.size() && i > 0) break;  // the month or the year left out
      return DateShape::kMalformed;
    }
    if (i == YearPosition() && (digits == 3 || (digits == 4 && text[start] == '0'))) {
      return DateShape::kYearDigits;
    }
    if (i < 2 && pos < text.size() && !IsDigit(text[pos])) {
      if (!IsDateSeparator(text[pos])) return DateShape::kMalformed;
      ++pos;
    }
  }
  return pos == text.size() ? DateShape::kSound : DateShape::kMalformed;
}

// ---- amounts

struct Literal {
  double value = 0;
  int decimals = 0;  // significant decimals typed: "1,50" has one
};

enum class AmountShape { kSound, kMalformed, kNoDigit, kTooLarge };

// An amount typed as a number: an optional sign, digits grouped or not by
// spaces or the thousands separator, and at most one decimal character ("," or
// "."); at least one digit. Read by the system's own conversion.
AmountShape ReadLiteral(const std::string& macRoman, Literal* literal) {
  const CPRegional& r = CPRegional::Get();
  std::string s;
  for (char c : macRoman) {
    const bool space = c == ' ' || c == '\xCA';  // MacRoman no-break space
    if (space || (r.thousandSep != 0 && c == static_cast<char>(r.thousandSep))) continue;
    s += c;
  }
  size_t pos = 0;
  if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) ++pos;
  int digits = 0, decimals = 0, lastSignificant = 0;
  bool point = false;
  for (; pos < s.size(); ++pos) {
    char c = s[pos];
    if (IsDigit(c)) {
      ++digits;
      if (point && c != '0')
        lastSignificant = ++decimals;
      else if (point)
        ++decimals;
    } else if ((c == static_cast<char>(r.decimalChar) || c == '.') && !point) {
      point = true;
    } else {
      return AmountShape::kMalformed;
    }
  }
  if (digits == 0) return AmountShape::kNoDigit;
  std::string system = s;
  // The system's conversion takes "." or the regional decimal character.
  for (char& c : system) {
    if (c == static_cast<char>(r.decimalChar)) c = '.';
  }
  double value = 0;
  if (!MacStrToNum(system, value)) return AmountShape::kMalformed;
  if (!(std::fabs(value) <= kLargestAmount)) return AmountShape::kTooLarge;
  literal->value = value == 0 ? 0.0 : value;  // "-0" is 0, not a negative zero
  literal->decimals = lastSignificant;
  return AmountShape::kSound;
}

}  // namespace

std::string VYXArgText(const std::string& utf8) {
  return MacRomanOf(utf8, kCPErrTextNotMacRoman, kArgTextChar, kArgTextControl);
}

std::string VYXTypedText(const std::string& utf8) { return CPShownText(utf8); }

CPDate VYXArgDate(const std::string& utf8) {
  std::string text = MacRomanOf(utf8, kCPErrBadDate, kArgDateChar, kArgDateChar);
  if (text.find_first_not_of(' ') == std::string::npos) return 0;  // no date
  switch (CheckDateShape(text)) {
    case DateShape::kMalformed:
      CPThrowList(kCPErrBadDate, kVYXArgTexts, kArgDateShape, {text});
    case DateShape::kYearDigits:
      CPThrowList(kCPErrBadDate, kVYXArgTexts, kArgDateYearDigits, {text});
    case DateShape::kSound:
      break;
  }
  CPDate date = 0;
  if (!CPStrToDate(text, date)) CPThrowList(kCPErrBadDate, kVYXCliTexts, kCliNotADate, {text});
  return date;
}

double VYXArgAmount(const std::string& utf8) {
  std::string text = MacRomanOf(utf8, kCPErrBadAmount, kArgAmountChar, kArgAmountChar);
  Literal literal;
  switch (ReadLiteral(text, &literal)) {
    case AmountShape::kMalformed:
      CPThrowList(kCPErrBadAmount, kVYXCliTexts, kCliNotAnAmount, {text});
    case AmountShape::kNoDigit:
      CPThrowList(kCPErrBadAmount, kVYXArgTexts, kArgAmountNoDigit, {text});
    case AmountShape::kTooLarge:
      CPThrowList(kCPErrBadAmount, kVYXArgTexts, kArgAmountTooLarge, {text});
    case AmountShape::kSound:
      break;
  }
  return literal.value;
}

void VYXCheckAmountDecimals(const std::string& utf8, int decimals) {
  VYXArgAmount(utf8);  // refused as it would be before
  Literal literal;
  std::string text = MacRomanOf(utf8, kCPErrBadAmount, kArgAmountChar, kArgAmountChar);
  ReadLiteral(text, &literal);
  if (literal.decimals > decimals) {
    CPThrowList(kCPErrBadAmount, kVYXArgTexts, kArgAmountDecimals,
                {text, std::to_string(decimals)});
  }
}
