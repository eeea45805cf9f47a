// Dates: seconds since 1 January 1904, local time, as every record stores them.
// They are "naive" local counts, so all arithmetic here is plain civil-calendar
// arithmetic (days x 86400); only CPClock knows about time zones. The value 0
// means "no date": it formats as an empty text and shifting leaves it at 0.
//
// A date outside what the 32-bit count can hold (before 1904 or after
// 6 February 2040) is never wrapped around into a wrong day: the functions that
// build dates answer 0 for it, and validation refuses it.
#ifndef VYX_FOUNDATION_CPDATES_H_
#define VYX_FOUNDATION_CPDATES_H_

#include <string>
#include <string_view>

#include "platform/CPMacTypes.h"

constexpr CPDate kCPSecondsPerDay = 86400;

// The calendar fields of a date. dayOfWeek is 1 = Monday ... 7 = Sunday.
struct CPDateTimeRec {
  int year = 1904;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 5;
};

void CPDateToFields(CPDate date, CPDateTimeRec& fields);
// Day, month and year are taken as they are (no two-digit years) and carried
// like CPGetDate carries them; dayOfWeek is ignored. 0 when out of range.
CPDate CPFieldsToDate(const CPDateTimeRec& fields);

// Now, from the one clock.
CPDate CPGetDate();
// Midnight of a day. Years below 50 are 20xx and 50 to 99 are 19xx; month 0 is
// December of the year before and months past 12 carry into the next years; a
// day past the end of its month carries into the next month (31 April is
// 1 May), day 0 is the last day of the month before.
CPDate CPGetDate(int day, int month, int year);
// The full year of a year typed with two digits (0-49 -> 20xx, 50-99 -> 19xx).
int CPFullYear(int year);

int CPGetYear(CPDate date);
int CPGetMonth(CPDate date);       // 1 to 12
int CPGetDayOfMonth(CPDate date);  // 1 to 31
int CPGetDayOfWeek(CPDate date);   // 1 = Monday ... 7 = Sunday
int CPGetCurrentYear();
int CPGetCurrentMonth();
int CPGetCurrentDayOfMonth();
int CPGetCurrentDayOfWeek();

// Same day, month and time in `year` (two-digit years as in CPGetDate). 29
// February becomes 28 February in a common year rather than slipping into March.
CPDate CPSetYear(CPDate date, int year);

// Compares calendar days, ignoring the time: the difference of the years, else
// of the months, else of the days. Negative when `a` is earlier.
int CPCompareDates(CPDate a, CPDate b);
bool CPAreSameDates(CPDate a, CPDate b);

// Calendar helpers.
bool CPIsLeapYear(int year);
int CPDaysInMonth(int month, int year);
// Whole days later (or earlier when negative), keeping the time.
CPDate CPAddDays(CPDate date, int days);
// Whole months later (or earlier), keeping the time and the day of the month,
// lowered to the last day of a shorter target month (31 January + 1 month is
// 28 or 29 February).
CPDate CPAddMonths(CPDate date, int months);
// The same month with another day, lowered to the month's last day.
CPDate CPSetDayOfMonth(CPDate date, int day);

// Day 1-31, month 1-12, year 1905 or later, and a real day of the calendar.
bool IsAValidDate(const CPDateTimeRec& fields);

// Reads a typed date: up to three numbers of at most 2, 2 and 4 digits, each
// followed by at most one separator, filling the fields in the regional order.
// Missing day or month come from the reference date (today, or a month back
// when `previous`); a missing year puts the date within five months before and
// six months after the reference month. An empty text is the date 0. Answers
// false, leaving `date` untouched, when the text is no date.
bool CPStrToDate(ConstStringPtr text, CPDate& date, bool previous = false);
bool CPStrToDate(std::string_view text, CPDate& date, bool previous = false);

// dd/mm/yy in the regional order and separator; empty for the date 0.
void CPDateToStr(CPDate date, StringPtr text);
std::string CPDateToStr(CPDate date);
// dd/mm/yyyy in the regional order and separator.
void CPDateToShortString(CPDate date, StringPtr text);
// "samedi 15 décembre 2007".
void CPDateToLongString(CPDate date, StringPtr text);
// "sam. 15 déc. 2007".
void CPDateToAbbrevString(CPDate date, StringPtr text);
// "14:05", or "14:05:09" with seconds.
void CPTimeToString(CPDate date, StringPtr text, bool withSeconds = false);

// Month 1-12 with its first letter upper case ("Février"); empty out of range.
void CPGetMonthName(int month, StringPtr text);
// Day 1 = Monday ... 7 = Sunday, as the system writes it; empty out of range.
void CPGetDayName(int day, StringPtr text);
// The last two digits of the year, always two characters.
void CPGetShortYear(int year, StringPtr text);
// True when every character is a digit, a space or '/'.
bool CPIsValidDateStr(ConstStringPtr text);
// True when the text is blank or gives a day, a month and a year, so that
// what CPStrToDate makes of it does not depend on today's date.
bool CPDateStrIsComplete(ConstStringPtr text);

unsigned char CPGetDateSepChar();

#endif  // VYX_FOUNDATION_CPDATES_H_
