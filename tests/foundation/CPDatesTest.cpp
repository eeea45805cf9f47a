#include "foundation/CPDates.h"

#include <gtest/gtest.h>

#include <chrono>

#include "foundation/CPStrings.h"
#include "platform/CPRegional.h"
#include "support/VYXTestSupport.h"

namespace {

struct Ymd {
  int day, month, year;
};

Ymd FieldsOf(CPDate d) { return {CPGetDayOfMonth(d), CPGetMonth(d), CPGetYear(d)}; }

std::string Ymd_(CPDate d) {
  Ymd f = FieldsOf(d);
  return std::to_string(f.day) + "/" + std::to_string(f.month) + "/" + std::to_string(f.year);
}

std::string Text(void (*format)(CPDate, StringPtr), CPDate d) {
  Str255 out;
  format(d, out);
  return PToStd(out);
}

// Sets other regional settings for one test and puts the French ones back.
class RegionalScope {
 public:
  explicit RegionalScope(CPDateOrder order, unsigned char sep = '/') {
    CPRegional r = CPRegional::French();
    r.dateOrder = order;
    r.dateSep = sep;
    CPRegional::Set(r);
  }
  ~RegionalScope() { CPRegional::Set(CPRegional::French()); }
};

TEST(CPDates, EveryRepresentableDayMatchesTheCivilCalendar) {
  using namespace std::chrono;
  const sys_days epoch = year{1904} / January / 1;
  for (CPDate date = 0;; date += kCPSecondsPerDay) {
    year_month_day ymd{epoch + days{date / kCPSecondsPerDay}};
    Ymd f = FieldsOf(date);
    ASSERT_EQ(int(ymd.year()), f.year) << date;
    ASSERT_EQ(unsigned(ymd.month()), unsigned(f.month)) << date;
    ASSERT_EQ(unsigned(ymd.day()), unsigned(f.day)) << date;
    ASSERT_EQ(weekday{ymd}.iso_encoding(), unsigned(CPGetDayOfWeek(date))) << date;
    ASSERT_EQ(date, CPGetDate(f.day, f.month, f.year)) << date;
    if (date > 0xFFFFFFFFu - kCPSecondsPerDay) break;
  }
  EXPECT_EQ(kCPSecondsFrom1904To1970, CPGetDate(1, 1, 1970));
}

TEST(CPDates, GetDateCarriesMonthsAndDaysAndReadsShortYears) {
  struct Case {
    int day, month, year;
    std::string expected;
  } cases[] = {
      {1, 13, 2007, "1/1/2008"},  {1, 0, 2007, "1/12/2006"},  {1, 24, 2007, "1/12/2008"},
      {1, 25, 2007, "1/1/2009"},  {1, -1, 2007, "1/11/2006"}, {31, 4, 2007, "1/5/2007"},
      {29, 2, 2007, "1/3/2007"},  {0, 3, 2008, "29/2/2008"},  {1, 1, 50, "1/1/1950"},
      {15, 12, 7, "15/12/2007"},  {1, 1, 0, "1/1/2000"},      {6, 2, 2040, "6/2/2040"},
  };
  for (const Case& c : cases) {
    CPDate d = CPGetDate(c.day, c.month, c.year);
    EXPECT_EQ(c.expected, Ymd_(d)) << c.day << "/" << c.month << "/" << c.year;
    EXPECT_EQ(0u, d % kCPSecondsPerDay);
  }
  EXPECT_EQ(2049, CPFullYear(49));
  EXPECT_EQ(1950, CPFullYear(50));
  EXPECT_EQ(1999, CPFullYear(99));
  EXPECT_EQ(100, CPFullYear(100));
  // Days the 32-bit count cannot hold are no date rather than a wrapped-around day.
  EXPECT_EQ(0u, CPGetDate(1, 1, 49));
  EXPECT_EQ(0u, CPGetDate(7, 2, 2040));
  EXPECT_EQ(0u, CPGetDate(31, 12, 1903));
}

TEST(CPDates, TodayComesFromThePinnedClock) {
  VYXPinnedClock clock(15, 12, 2007, 14, 30);
  EXPECT_EQ(CPGetDate(15, 12, 2007) + 14 * 3600 + 30 * 60, CPGetDate());
  EXPECT_EQ(2007, CPGetCurrentYear());
  EXPECT_EQ(12, CPGetCurrentMonth());
  EXPECT_EQ(15, CPGetCurrentDayOfMonth());
  EXPECT_EQ(6, CPGetCurrentDayOfWeek());  // a Saturday
  CPDateTimeRec f;
  CPDateToFields(CPGetDate() + 9, f);
  EXPECT_EQ(14, f.hour);
  EXPECT_EQ(30, f.minute);
  EXPECT_EQ(9, f.second);
  EXPECT_EQ(6, f.dayOfWeek);
  EXPECT_EQ(CPGetDate() + 9, CPFieldsToDate(f));
}

TEST(CPDates, CompareIgnoresTheTimeOfDay) {
  CPDate morning = CPGetDate(29, 2, 2008) + 3600;
  CPDate evening = CPGetDate(29, 2, 2008) + 80000;
  EXPECT_EQ(0, CPCompareDates(morning, evening));
  EXPECT_TRUE(CPAreSameDates(morning, evening));
  EXPECT_EQ(1, CPCompareDates(CPGetDate(1, 3, 2008), evening));  // months differ
  EXPECT_EQ(-1, CPCompareDates(CPGetDate(31, 12, 2007), morning));  // years differ
  EXPECT_EQ(-28, CPCompareDates(CPGetDate(1, 2, 2008), morning));
  EXPECT_FALSE(CPAreSameDates(CPGetDate(29, 2, 2008), CPGetDate(29, 2, 2004)));
}

TEST(CPDates, ShiftingKeepsTheTimeAndLowersTheDay) {
  const CPDate t = 14 * 3600 + 5;
  struct Case {
    CPDate from;
    CPDate to;
  } cases[] = {
      {CPAddMonths(CPGetDate(31, 1, 2008) + t, 1), CPGetDate(29, 2, 2008) + t},
      {CPAddMonths(CPGetDate(31, 1, 2007) + t, 1), CPGetDate(28, 2, 2007) + t},
      {CPAddMonths(CPGetDate(15, 11, 2007) + t, 3), CPGetDate(15, 2, 2008) + t},
      {CPAddMonths(CPGetDate(15, 1, 2008) + t, -1), CPGetDate(15, 12, 2007) + t},
      {CPAddMonths(CPGetDate(31, 3, 2008) + t, -25), CPGetDate(28, 2, 2006) + t},
      {CPAddDays(CPGetDate(30, 12, 2007) + t, 3), CPGetDate(2, 1, 2008) + t},
      {CPAddDays(CPGetDate(1, 3, 2008) + t, -1), CPGetDate(29, 2, 2008) + t},
      {CPSetDayOfMonth(CPGetDate(10, 2, 2007) + t, 31), CPGetDate(28, 2, 2007) + t},
      {CPSetDayOfMonth(CPGetDate(10, 4, 2007) + t, 1), CPGetDate(1, 4, 2007) + t},
      {CPSetYear(CPGetDate(29, 2, 2008) + t, 2007), CPGetDate(28, 2, 2007) + t},
      {CPSetYear(CPGetDate(29, 2, 2008) + t, 12), CPGetDate(29, 2, 2012) + t},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ymd_(c.to), Ymd_(c.from));
    EXPECT_EQ(c.to, c.from);
  }
  // No date stays no date, and days past the count's range are no date.
  EXPECT_EQ(0u, CPAddDays(0, 5));
  EXPECT_EQ(0u, CPAddMonths(0, 5));
  EXPECT_EQ(0u, CPSetYear(0, 2007));
  EXPECT_EQ(0u, CPAddMonths(CPGetDate(1, 1, 2040), 2));
  EXPECT_EQ(0u, CPAddDays(CPGetDate(2, 1, 1904), -2));
  EXPECT_EQ(29, CPDaysInMonth(2, 2000));
  EXPECT_EQ(28, CPDaysInMonth(2, 1900));
  EXPECT_EQ(30, CPDaysInMonth(4, 2007));
}

TEST(CPDates, IsAValidDateRefusesDaysTheCalendarLacks) {
  struct Case {
    int day, month, year;
    bool valid;
  } cases[] = {
      {29, 2, 2008, true},  {29, 2, 2007, false}, {31, 4, 2007, false}, {30, 4, 2007, true},
      {0, 1, 2007, false},  {32, 1, 2007, false}, {1, 0, 2007, false},  {1, 13, 2007, false},
      {1, 1, 1904, false},  {1, 1, 1905, true},   {6, 2, 2040, true},   {7, 2, 2040, false},
      {1, 1, 2049, false},  {29, 2, 2000, true},  {29, 2, 1900, false},
  };
  for (const Case& c : cases) {
    CPDateTimeRec f;
    f.day = c.day;
    f.month = c.month;
    f.year = c.year;
    EXPECT_EQ(c.valid, IsAValidDate(f)) << c.day << "/" << c.month << "/" << c.year;
  }
}

struct ParseCase {
  const char* text;
  const char* expected;  // d/m/yyyy, "0" for no date, nullptr when refused
};

void ExpectParses(const ParseCase* cases, size_t n, bool previous) {
  for (size_t i = 0; i < n; ++i) {
    const ParseCase& c = cases[i];
    const CPDate untouched = 12345;
    CPDate d = untouched;
    Str255 p;
    StdToP(c.text, p);
    bool ok = CPStrToDate(p, d, previous);
    if (c.expected == nullptr) {
      EXPECT_FALSE(ok) << '"' << c.text << '"';
      EXPECT_EQ(untouched, d) << '"' << c.text << '"';
    } else if (std::string(c.expected) == "0") {
      EXPECT_TRUE(ok) << '"' << c.text << '"';
      EXPECT_EQ(0u, d) << '"' << c.text << '"';
    } else {
      EXPECT_TRUE(ok) << '"' << c.text << '"';
      EXPECT_EQ(c.expected, Ymd_(d)) << '"' << c.text << '"';
      EXPECT_EQ(0u, d % kCPSecondsPerDay) << '"' << c.text << '"';
    }
  }
}

TEST(CPDates, StrToDateReadsTypedDates) {
  VYXPinnedClock clock(15, 12, 2007, 16, 45);
  const ParseCase cases[] = {
      {"", "0"},
      {"   ", "0"},
      {"29/02/08", "29/2/2008"},
      {"29/02/07", nullptr},
      {"31/04/07", nullptr},
      {" 5/6/07 ", "5/6/2007"},
      {"15/12/2007", "15/12/2007"},
      {"120307", "12/3/2007"},
      {"12032007", "12/3/2007"},
      {"1.2.03", "1/2/2003"},
      {"12", "12/12/2007"},
      {"12a", "12/12/2007"},
      {"1/1/50", "1/1/1950"},
      {"1/1/49", nullptr},  // 2049: beyond what a date can hold
      {"1/1/0", "1/1/2000"},
      {"1/1/1904", nullptr},
      {"1/1/207", nullptr},
      {"0/1/07", nullptr},
      {"32/1/07", nullptr},
      {"1/13/07", nullptr},
      {"1/0/07", nullptr},
      {"abc", nullptr},
      {"/12/07", nullptr},
      // Without a year: within five months before and six after December 2007.
      {"10/01", "10/1/2008"},
      {"10/06", "10/6/2008"},
      {"10/07", "10/7/2007"},
      {"12/3", "12/3/2008"},
  };
  ExpectParses(cases, std::size(cases), false);
}

TEST(CPDates, StrToDatePreviousMovesTheReferenceOneMonthBack) {
  {
    VYXPinnedClock clock(15, 12, 2007);
    const ParseCase cases[] = {
        {"10", "10/11/2007"}, {"10/06", "10/6/2007"}, {"10/05", "10/5/2008"}, {"", "0"}};
    ExpectParses(cases, std::size(cases), true);
  }
  {
    // January's previous month is December of the year before.
    VYXPinnedClock clock(31, 1, 2008);
    const ParseCase previous[] = {{"10/07", "10/7/2007"}, {"5", "5/12/2007"}, {"31", "31/12/2007"}};
    ExpectParses(previous, std::size(previous), true);
    const ParseCase current[] = {{"10/07", "10/7/2008"}, {"10/08", "10/8/2007"}, {"31", "31/1/2008"}};
    ExpectParses(current, std::size(current), false);
  }
}

TEST(CPDates, OtherDateOrdersFillTheFieldsInTheirOrder) {
  VYXPinnedClock clock(15, 12, 2007);
  {
    RegionalScope us(CPDateOrder::kMDY);
    const ParseCase cases[] = {{"12/25/07", "25/12/2007"}, {"25/12/07", nullptr}, {"2/3", "3/2/2008"}};
    ExpectParses(cases, std::size(cases), false);
    EXPECT_EQ("12/25/07", CPDateToStr(CPGetDate(25, 12, 2007)));
    EXPECT_EQ("12/25/2007", Text(CPDateToShortString, CPGetDate(25, 12, 2007)));
  }
  {
    RegionalScope iso(CPDateOrder::kYMD, '-');
    const ParseCase cases[] = {{"08-02-29", "29/2/2008"}, {"07-02-29", nullptr}, {"08", "15/12/2008"}};
    ExpectParses(cases, std::size(cases), false);
    EXPECT_EQ("08-02-29", CPDateToStr(CPGetDate(29, 2, 2008)));
    EXPECT_EQ('-', CPGetDateSepChar());
  }
  {
    RegionalScope dym(CPDateOrder::kDYM);
    const ParseCase cases[] = {{"29/08/02", "29/2/2008"}};
    ExpectParses(cases, std::size(cases), false);
    EXPECT_EQ("29/08/02", CPDateToStr(CPGetDate(29, 2, 2008)));
  }
  EXPECT_EQ('/', CPGetDateSepChar());
}

TEST(CPDates, DateTexts) {
  const CPDate d = CPGetDate(3, 3, 2008) + 9 * 3600 + 5 * 60 + 7;
  EXPECT_EQ("", CPDateToStr(0));
  EXPECT_EQ("", Text(CPDateToStr, 0));
  EXPECT_EQ("", Text(CPDateToLongString, 0));
  EXPECT_EQ("03/03/08", Text(CPDateToStr, d));
  EXPECT_EQ("01/01/00", CPDateToStr(CPGetDate(1, 1, 2000)));
  EXPECT_EQ("31/12/99", CPDateToStr(CPGetDate(31, 12, 1999)));
  EXPECT_EQ("03/03/2008", Text(CPDateToShortString, d));
  EXPECT_EQ("lundi 3 mars 2008", Text(CPDateToLongString, d));
  EXPECT_EQ("samedi 15 d\x8E" "cembre 2007", Text(CPDateToLongString, CPGetDate(15, 12, 2007)));
  EXPECT_EQ("lun. 3 mars 2008", Text(CPDateToAbbrevString, d));
  EXPECT_EQ("09:05", Text([](CPDate x, StringPtr t) { CPTimeToString(x, t); }, d));
  EXPECT_EQ("09:05:07", Text([](CPDate x, StringPtr t) { CPTimeToString(x, t, true); }, d));

  Str255 s;
  CPGetMonthName(2, s);
  EXPECT_EQ("F\x8Evrier", PToStd(s));
  CPGetMonthName(8, s);
  EXPECT_EQ("Ao\x9Et", PToStd(s));
  CPGetMonthName(13, s);
  EXPECT_EQ("", PToStd(s));
  CPGetDayName(7, s);
  EXPECT_EQ("dimanche", PToStd(s));
  CPGetDayName(0, s);
  EXPECT_EQ("", PToStd(s));
  for (auto [year, text] : {std::pair{2007, "07"}, {2000, "00"}, {5, "05"}, {1999, "99"}}) {
    CPGetShortYear(year, s);
    EXPECT_EQ(text, PToStd(s));
  }
}

TEST(CPDates, IsValidDateStrAcceptsDigitsSpacesAndSlashes) {
  for (auto [text, valid] : {std::pair{"", true}, {"12/03/07", true}, {" 1 2 ", true},
                             {"12-03-07", false}, {"12/3a", false}, {"12.03", false}}) {
    Str255 p;
    StdToP(text, p);
    EXPECT_EQ(valid, CPIsValidDateStr(p)) << text;
  }
}

}  // namespace
