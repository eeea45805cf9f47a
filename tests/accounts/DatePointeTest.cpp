#include "accounts/VYXDatePointe.h"

#include <gtest/gtest.h>

#include "VYXRecordTestSupport.h"
#include "foundation/CPDates.h"

namespace {

ModeTypeInfo Deferred(int monthDay, int stopDay) {
  ModeTypeInfo rule;
  rule.Enabled = 1;
  rule.ModeType = kModeTypeDeferred;
  rule.MonthDay = int16_t(monthDay);
  rule.StopDay = int16_t(stopDay);
  return rule;
}

ModeTypeInfo Delta(int days) {
  ModeTypeInfo rule;
  rule.Enabled = 1;
  rule.ModeType = kModeTypeDelta;
  rule.DeltaDay = int16_t(days);
  return rule;
}

struct Day {
  int d, m, y;
  CPDate Date() const { return CPGetDate(d, m, y); }
};

TEST(DateToDatePointe, DeferredDebitRules) {
  struct Case {
    int monthDay, stopDay;
    Day date, expected;
  };
  const Case cases[] = {
      // Closing day 25, debit day 5.
      {5, 25, {10, 3, 2008}, {5, 4, 2008}},
      {5, 25, {25, 3, 2008}, {5, 4, 2008}},
      {5, 25, {26, 3, 2008}, {5, 5, 2008}},
      {5, 25, {28, 3, 2008}, {5, 5, 2008}},
      // Across the year end.
      {5, 25, {26, 11, 2008}, {5, 1, 2009}},
      {5, 25, {26, 12, 2008}, {5, 2, 2009}},
      {5, 25, {1, 12, 2008}, {5, 1, 2009}},
      // Closing and debit day 31: the last day of the next month.
      {31, 31, {1, 3, 2008}, {30, 4, 2008}},
      {31, 31, {31, 3, 2008}, {30, 4, 2008}},
      {31, 31, {15, 1, 2007}, {28, 2, 2007}},
      {31, 31, {15, 1, 2008}, {29, 2, 2008}},
      {31, 31, {15, 11, 2008}, {31, 12, 2008}},
      // Debit day before the closing day and after it.
      {10, 5, {3, 6, 2008}, {10, 6, 2008}},
      {10, 5, {6, 6, 2008}, {10, 7, 2008}},
      // Out-of-range debit days are brought into the month.
      {0, 25, {10, 3, 2008}, {1, 4, 2008}},
      {40, 25, {10, 3, 2008}, {31, 3, 2008}},
  };
  for (const Case& c : cases) {
    CPDate got = DateToDatePointe(c.date.Date(), Deferred(c.monthDay, c.stopDay));
    EXPECT_EQ(c.expected.Date(), got) << "debit " << c.monthDay << " closing " << c.stopDay
                                      << " on " << c.date.d << "/" << c.date.m << "/"
                                      << c.date.y;
  }
}

TEST(DateToDatePointe, ShiftsAndOtherKinds) {
  CPDate noon = CPGetDate(10, 3, 2008) + 12 * 3600;
  EXPECT_EQ(CPGetDate(8, 3, 2008) + 12 * 3600, DateToDatePointe(noon, Delta(-2)));
  EXPECT_EQ(CPGetDate(1, 4, 2008) + 12 * 3600, DateToDatePointe(noon, Delta(22)));
  EXPECT_EQ(noon, DateToDatePointe(noon, Delta(0)));

  ModeTypeInfo none;
  none.Enabled = 1;
  EXPECT_EQ(noon, DateToDatePointe(noon, none));
  ModeTypeInfo unknown = Delta(3);
  unknown.ModeType = 7;
  EXPECT_EQ(noon, DateToDatePointe(noon, unknown));

  // No date stays no date; a shift before the first date is not made.
  EXPECT_EQ(0u, DateToDatePointe(0, Delta(5)));
  EXPECT_EQ(0u, DateToDatePointe(0, Deferred(5, 25)));
  EXPECT_EQ(CPDate(86400), DateToDatePointe(86400, Delta(-2)));
}

TEST(DateToDatePointe, ModeTakesTheRuleOfTheDirectionWhenEnabled) {
  Mode mode;
  mode.debitModeType = Deferred(5, 25);
  mode.creditModeType = Delta(2);
  CPDate date = CPGetDate(26, 3, 2008);
  EXPECT_EQ(CPGetDate(5, 5, 2008), DateToDatePointe(date, mode, kMontantDebit));
  EXPECT_EQ(CPGetDate(28, 3, 2008), DateToDatePointe(date, mode, kMontantCredit));

  mode.debitModeType.Enabled = 0;
  EXPECT_EQ(date, DateToDatePointe(date, mode, kMontantDebit));
}

}  // namespace
