#include "foundation/CPDateForms.h"

#include <cstring>

#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One number of a typed date: where its digits start and end, and its value.
struct Number {
  size_t begin = 0, end = 0;
  int value = -1;
};

// The numbers of `text` as CPStrToDate cuts them.
int CutNumbers(std::string_view text, Number out[3]) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  const int widths[3] = {2, 2, 4};
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    Number n;
    n.begin = pos;
    int digits = 0, value = 0;
    while (pos < text.size() && digits < widths[i] && IsDigit(text[pos])) {
      value = value * 10 + (text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0) break;
    n.end = pos;
    n.value = value;
    out[count++] = n;
    if (pos < text.size() && !IsDigit(text[pos])) ++pos;
  }
  return count;
}

bool IsDay(int day, int month, int year) {
  if (month < 1 || month > 12 || day < 1) return false;
  return day <= CPDaysInMonth(month, year);
}

bool MayBe(std::string_view text, bool monthFirst) {
  Number n[3];
  int count = CutNumbers(text, n);
  if (count < 2) return false;
  int year = count == 3 ? CPFullYear(n[2].value) : 2000;
  int day = monthFirst ? n[1].value : n[0].value;
  int month = monthFirst ? n[0].value : n[1].value;
  return IsDay(day, month, year);
}

}  // namespace

bool CPDateMayBeFrenchFormat(std::string_view text) { return MayBe(text, false); }
bool CPDateMayBeAmericanFormat(std::string_view text) { return MayBe(text, true); }

void CPDateSwithFrenchAmericanFormat(StringPtr text) {
  std::string_view view(reinterpret_cast<const char*>(text + 1), text[0]);
  Number n[3];
  if (CutNumbers(view, n) < 2) return;
  std::string s(view);
  std::string first = s.substr(n[0].begin, n[0].end - n[0].begin);
  std::string between = s.substr(n[0].end, n[1].begin - n[0].end);
  std::string second = s.substr(n[1].begin, n[1].end - n[1].begin);
  s = s.substr(0, n[0].begin) + second + between + first + s.substr(n[1].end);
  StdToP(s, text);
}

bool CPYearFirstStrToDate(std::string_view text, CPDate& date) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() < 8 || !IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[2]) ||
      !IsDigit(text[3])) {
    return false;
  }
  int year = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
  size_t pos = 4;
  int fields[2] = {0, 0};
  for (int& f : fields) {
    bool separated = pos < text.size() && !IsDigit(text[pos]);
    if (separated) ++pos;
    int digits = 0;
    while (pos < text.size() && digits < 2 && IsDigit(text[pos])) {
      f = f * 10 + (text[pos] - '0');
      ++pos;
      ++digits;
    }
    // Without separators each field has its two digits ("20090325").
    if (digits == 0 || (!separated && digits != 2)) return false;
  }
  // Whatever follows the day (a time, a time zone) is not part of the day.
  if (pos < text.size() && IsDigit(text[pos])) return false;
  CPDateTimeRec f;
  f.year = year;
  f.month = fields[0];
  f.day = fields[1];
  if (!IsAValidDate(f)) return false;
  date = CPGetDate(f.day, f.month, f.year);
  return date != 0;
}
