#include "foundation/CPDates.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPRegional.h"

namespace {

// 1 January 1904 as a count of days from 1 January 1970.
constexpr int64_t kEpochDays = -24107;
constexpr int64_t kLastDay = 0xFFFFFFFFu / kCPSecondsPerDay;  // 6 February 2040

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days from 1 January 1970 of a proleptic Gregorian date (month 1-12).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Days from 1 January 1904, with the month carried into the year and the day
// carried from the first of the month.
int64_t DayNumber(int day, int month, int year) {
  int64_t m0 = static_cast<int64_t>(month) - 1;
  int64_t y = year + FloorDiv(m0, 12);
  int m = static_cast<int>(m0 - FloorDiv(m0, 12) * 12) + 1;
  return DaysFromCivil(y, m, 1) + (static_cast<int64_t>(day) - 1) - kEpochDays;
}

// Seconds to a date, or 0 when the count cannot hold them.
CPDate FromSeconds(int64_t seconds) {
  if (seconds < 0 || seconds > 0xFFFFFFFFll) return 0;
  return static_cast<CPDate>(seconds);
}

void Fields(CPDate date, int& day, int& month, int& year) {
  CivilFromDays(date / kCPSecondsPerDay + kEpochDays, year, month, day);
}

CPDate ReferenceDate(bool previous) {
  CPDate today = CPGetDate();
  return previous ? CPAddMonths(today, -1) : today;
}

// Reads at most `maxDigits` digits at `pos`, then one separator after them.
// -1 when no digit stands at `pos` (nothing is consumed then).
int ReadNumber(std::string_view text, size_t& pos, int maxDigits) {
  int value = 0, digits = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0) return -1;
  if (pos < text.size() && !(text[pos] >= '0' && text[pos] <= '9')) ++pos;
  return value;
}

enum Field { kDay, kMonth, kYear };

std::array<Field, 3> FieldOrder(CPDateOrder order) {
  switch (order) {
    case CPDateOrder::kDMY: return {kDay, kMonth, kYear};
    case CPDateOrder::kMDY: return {kMonth, kDay, kYear};
    case CPDateOrder::kYMD: return {kYear, kMonth, kDay};
    case CPDateOrder::kMYD: return {kMonth, kYear, kDay};
    case CPDateOrder::kDYM: return {kDay, kYear, kMonth};
    case CPDateOrder::kYDM: return {kYear, kDay, kMonth};
  }
  return {kDay, kMonth, kYear};
}

std::string TwoDigits(int n) {
  n = std::abs(n) % 100;
  return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

// The fields in regional order, each given by `text(field)`, joined by the separator.
template <typename F>
std::string NumericDate(F text) {
  const CPRegional& r = CPRegional::Get();
  std::string out;
  for (Field f : FieldOrder(r.dateOrder)) {
    if (!out.empty()) out += static_cast<char>(r.dateSep);
    out += text(f);
  }
  return out;
}

std::string Name(const std::string* names, int count, int n) {
  return n >= 1 && n <= count ? names[n - 1] : std::string();
}

}  // namespace

void CPDateToFields(CPDate date, CPDateTimeRec& f) {
  Fields(date, f.day, f.month, f.year);
  CPDate secs = date % kCPSecondsPerDay;
  f.hour = static_cast<int>(secs / 3600);
  f.minute = static_cast<int>(secs / 60 % 60);
  f.second = static_cast<int>(secs % 60);
  f.dayOfWeek = CPGetDayOfWeek(date);
}

CPDate CPFieldsToDate(const CPDateTimeRec& f) {
  int64_t days = DayNumber(f.day, f.month, f.year);
  return FromSeconds(days * kCPSecondsPerDay + int64_t{f.hour} * 3600 + int64_t{f.minute} * 60 +
                     f.second);
}

CPDate CPGetDate() { return CPClock::Now(); }

int CPFullYear(int year) {
  if (year >= 0 && year < 50) return 2000 + year;
  if (year >= 50 && year <= 99) return 1900 + year;
  return year;
}

CPDate CPGetDate(int day, int month, int year) {
  return FromSeconds(DayNumber(day, month, CPFullYear(year)) * kCPSecondsPerDay);
}

int CPGetYear(CPDate date) {
  int d, m, y;
  Fields(date, d, m, y);
  return y;
}

int CPGetMonth(CPDate date) {
  int d, m, y;
  Fields(date, d, m, y);
  return m;
}

int CPGetDayOfMonth(CPDate date) {
  int d, m, y;
  Fields(date, d, m, y);
  return d;
}

int CPGetDayOfWeek(CPDate date) {
  // 1 January 1904 was a Friday (5).
  return static_cast<int>((date / kCPSecondsPerDay + 4) % 7) + 1;
}

int CPGetCurrentYear() { return CPGetYear(CPGetDate()); }
int CPGetCurrentMonth() { return CPGetMonth(CPGetDate()); }
int CPGetCurrentDayOfMonth() { return CPGetDayOfMonth(CPGetDate()); }
int CPGetCurrentDayOfWeek() { return CPGetDayOfWeek(CPGetDate()); }

CPDate CPSetYear(CPDate date, int year) {
  if (date == 0) return 0;
  int d, m, y;
  Fields(date, d, m, y);
  year = CPFullYear(year);
  d = std::min(d, CPDaysInMonth(m, year));
  return FromSeconds(DayNumber(d, m, year) * kCPSecondsPerDay + date % kCPSecondsPerDay);
}

int CPCompareDates(CPDate a, CPDate b) {
  int da, ma, ya, db, mb, yb;
  Fields(a, da, ma, ya);
  Fields(b, db, mb, yb);
  if (ya != yb) return ya - yb;
  if (ma != mb) return ma - mb;
  return da - db;
}

bool CPAreSameDates(CPDate a, CPDate b) { return CPCompareDates(a, b) == 0; }

bool CPIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int CPDaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && CPIsLeapYear(year) ? 29 : kDays[month - 1];
}

CPDate CPAddDays(CPDate date, int days) {
  if (date == 0) return 0;
  return FromSeconds(int64_t{date} + int64_t{days} * kCPSecondsPerDay);
}

CPDate CPAddMonths(CPDate date, int months) {
  if (date == 0) return 0;
  int d, m, y;
  Fields(date, d, m, y);
  int64_t m0 = int64_t{m} - 1 + months;
  int year = static_cast<int>(y + FloorDiv(m0, 12));
  int month = static_cast<int>(m0 - FloorDiv(m0, 12) * 12) + 1;
  d = std::min(d, CPDaysInMonth(month, year));
  return FromSeconds(DayNumber(d, month, year) * kCPSecondsPerDay + date % kCPSecondsPerDay);
}

CPDate CPSetDayOfMonth(CPDate date, int day) {
  if (date == 0) return 0;
  int d, m, y;
  Fields(date, d, m, y);
  day = std::clamp(day, 1, CPDaysInMonth(m, y));
  return FromSeconds(DayNumber(day, m, y) * kCPSecondsPerDay + date % kCPSecondsPerDay);
}

bool IsAValidDate(const CPDateTimeRec& f) {
  if (f.day < 1 || f.day > 31 || f.month < 1 || f.month > 12 || f.year < 1905) return false;
  int64_t days = DayNumber(f.day, f.month, f.year);
  if (days < 0 || days > kLastDay) return false;
  int d, m, y;
  Fields(static_cast<CPDate>(days * kCPSecondsPerDay), d, m, y);
  return d == f.day && m == f.month && y == f.year;
}

bool CPStrToDate(ConstStringPtr text, CPDate& date, bool previous) {
  return CPStrToDate(std::string_view(reinterpret_cast<const char*>(text + 1), text[0]), date,
                     previous);
}

bool CPStrToDate(std::string_view text, CPDate& date, bool previous) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) {
    date = 0;
    return true;
  }

  size_t pos = 0;
  const int numbers[3] = {ReadNumber(text, pos, 2), ReadNumber(text, pos, 2),
                          ReadNumber(text, pos, 4)};
  // A text without a single number would otherwise silently become today.
  if (numbers[0] < 0) return false;
  int value[3] = {-1, -1, -1};  // by Field
  std::array<Field, 3> order = FieldOrder(CPRegional::Get().dateOrder);
  for (int i = 0; i < 3; ++i) value[order[i]] = numbers[i];

  // Today is asked only for a missing field: a statement of a hundred
  // thousand full dates would otherwise read the clock for each.
  int refDay = 0, refMonth = 0, refYear = 0;
  if (value[kDay] < 0 || value[kMonth] < 0 || value[kYear] < 0) {
    Fields(ReferenceDate(previous), refDay, refMonth, refYear);
  }

  CPDateTimeRec f;
  if (value[kDay] < 0) {
    f.day = refDay;
  } else if (value[kDay] < 1 || value[kDay] > 31) {
    return false;
  } else {
    f.day = value[kDay];
  }
  if (value[kMonth] < 0) {
    f.month = refMonth;
  } else if (value[kMonth] < 1 || value[kMonth] > 12) {
    return false;
  } else {
    f.month = value[kMonth];
  }
  if (value[kYear] >= 0) {
    f.year = CPFullYear(value[kYear]);
  } else {
    // The year that puts the month within five months before and six after
    // the reference month.
    int k = refMonth + (f.month - refMonth + 17) % 12 - 5;
    f.year = refYear + (k > 12 ? 1 : 0) - (k <= 0 ? 1 : 0);
  }
  if (!IsAValidDate(f)) return false;
  date = CPGetDate(f.day, f.month, f.year);
  return true;
}

std::string CPDateToStr(CPDate date) {
  if (date == 0) return {};
  int d, m, y;
  Fields(date, d, m, y);
  return NumericDate([&](Field f) { return TwoDigits(f == kDay ? d : f == kMonth ? m : y); });
}

void CPDateToStr(CPDate date, StringPtr text) { StdToP(CPDateToStr(date), text); }

void CPDateToShortString(CPDate date, StringPtr text) {
  if (date == 0) {
    text[0] = 0;
    return;
  }
  int d, m, y;
  Fields(date, d, m, y);
  StdToP(NumericDate([&](Field f) {
           return f == kDay ? TwoDigits(d) : f == kMonth ? TwoDigits(m) : std::to_string(y);
         }),
         text);
}

void CPDateToLongString(CPDate date, StringPtr text) {
  if (date == 0) {
    text[0] = 0;
    return;
  }
  const CPRegional& r = CPRegional::Get();
  int d, m, y;
  Fields(date, d, m, y);
  StdToP(r.dayNames[CPGetDayOfWeek(date) - 1] + ' ' + std::to_string(d) + ' ' +
             r.monthNames[m - 1] + ' ' + std::to_string(y),
         text);
}

void CPDateToAbbrevString(CPDate date, StringPtr text) {
  if (date == 0) {
    text[0] = 0;
    return;
  }
  const CPRegional& r = CPRegional::Get();
  int d, m, y;
  Fields(date, d, m, y);
  StdToP(r.dayAbbrevs[CPGetDayOfWeek(date) - 1] + ' ' + std::to_string(d) + ' ' +
             r.monthAbbrevs[m - 1] + ' ' + std::to_string(y),
         text);
}

void CPTimeToString(CPDate date, StringPtr text, bool withSeconds) {
  CPDate secs = date % kCPSecondsPerDay;
  std::string s = TwoDigits(static_cast<int>(secs / 3600)) + ':' +
                  TwoDigits(static_cast<int>(secs / 60 % 60));
  if (withSeconds) s += ':' + TwoDigits(static_cast<int>(secs % 60));
  StdToP(s, text);
}

void CPGetMonthName(int month, StringPtr text) {
  std::string name = Name(CPRegional::Get().monthNames.data(), 12, month);
  if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 32);
  StdToP(name, text);
}

void CPGetDayName(int day, StringPtr text) {
  StdToP(Name(CPRegional::Get().dayNames.data(), 7, day), text);
}

void CPGetShortYear(int year, StringPtr text) { StdToP(TwoDigits(year), text); }

bool CPIsValidDateStr(ConstStringPtr text) {
  for (int i = 1; i <= text[0]; ++i) {
    unsigned char c = text[i];
    if (!((c >= '0' && c <= '9') || c == ' ' || c == '/')) return false;
  }
  return true;
}

bool CPDateStrIsComplete(ConstStringPtr text) {
  std::string_view t(reinterpret_cast<const char*>(text + 1), text[0]);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.empty()) return true;
  // Read as CPStrToDate reads it.
  size_t pos = 0;
  return ReadNumber(t, pos, 2) >= 0 && ReadNumber(t, pos, 2) >= 0 && ReadNumber(t, pos, 4) >= 0;
}

unsigned char CPGetDateSepChar() { return CPRegional::Get().dateSep; }
