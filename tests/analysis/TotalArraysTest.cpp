// The values under the engine: which year a month of attribution belongs
// to, the sorted arrays and their range queries, amounts by status and sense.
#include <gtest/gtest.h>

#include "analysis/MonthDateToYear.h"
#include "analysis/VYXTotalArrays.h"
#include "foundation/CPDates.h"
#include "foundation/CPStream.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

TEST(MonthDateToYear, NearestOccurrenceFromFiveMonthsBeforeToSixAfter) {
  struct Case {
    int month, day, dateMonth, dateYear, expected;
  } cases[] = {
      {12, 15, 1, 2005, 2004},  // attributed to the December just gone
      {7, 15, 1, 2005, 2005},   // six months after: still this year
      {8, 15, 1, 2005, 2004},   // seven after is five before
      {1, 20, 12, 2004, 2005},  // a December payment for next January
      {6, 20, 12, 2004, 2005},  // six after December
      {7, 20, 12, 2004, 2004},  // five before December
      {3, 1, 3, 2024, 2024},    // its own month
      {13, 1, 3, 2024, 2024},   // no month: the date's year
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.month) + " for " + std::to_string(c.dateMonth) + "/" +
                 std::to_string(c.dateYear));
    EXPECT_EQ(c.expected, MonthDateToYear(c.month, CPGetDate(c.day, c.dateMonth, c.dateYear)));
  }
}

TEST(ExtMontantSet, HalvesByStatusAndTheirViews) {
  ExtMontantSet set;
  set.Add(kOpPrevue, -10, false);
  set.Add(kOpPointee, 100, true);
  set.Add(kOpPointee, -40, false);
  set.Add(kOpEngagee, 5, true);
  EXPECT_DOUBLE_EQ(-10, set.Prevu());
  EXPECT_DOUBLE_EQ(5, set.Engage());
  EXPECT_DOUBLE_EQ(60, set.Pointe());
  EXPECT_DOUBLE_EQ(55, double(set));
  MontantSet byStatus(set);
  EXPECT_DOUBLE_EQ(60, byStatus[kOpPointee]);
  EXPECT_DOUBLE_EQ(-40, double(set.debits.montant[kOpPointee]));
  set.Filter(false, true, false);
  EXPECT_DOUBLE_EQ(5, set.Total());
  EXPECT_FALSE(set.IsNull());
  set.Add(kOpEngagee, -4.99995, false);
  EXPECT_FALSE(set.IsNull());  // 5 credit and -4.99995 debit are two halves
  ExtMontantSet tiny;
  tiny.Add(kOpEngagee, 0.00009, true);
  EXPECT_TRUE(tiny.IsNull());
  ExtMontantSet built(MontantSet{{1, 2, 3}}, MontantSet{{-1, -2, -3}});
  EXPECT_DOUBLE_EQ(3, double(built.credits.montant[2]));
  EXPECT_DOUBLE_EQ(-1, double(built.debits.montant[0]));
}

TEST(MonthTotalArray, KeptInOrderOfIDYearMonthWithNegativeIDsFirst) {
  VYXMonthTotalArray array;
  array.Add(3, 2024, 5, kOpEngagee, -10, false);
  array.Add(1, 2025, 5, kOpEngagee, -1, false);
  array.Add(12, 2024, -2, kOpEngagee, 7, true);
  array.Add(11, 2024, 5, kOpEngagee, -3, false);
  array.Add(3, 2024, 5, kOpPointee, -20, false);  // same key: added into it
  array.Add(1, 2024, 0, kOpPrevue, 1, true);
  ASSERT_EQ(5, array.Count());
  std::vector<std::tuple<int, int, int>> keys;
  for (const VYXMonthTotalItem& item : array) keys.emplace_back(item.id, item.year, item.month);
  EXPECT_EQ((std::vector<std::tuple<int, int, int>>{
                {-2, 2024, 12}, {0, 2024, 1}, {5, 2024, 3}, {5, 2024, 11}, {5, 2025, 1}}),
            keys);
  EXPECT_DOUBLE_EQ(-30, array.Get(3, 2024, 5).Total());
  EXPECT_TRUE(array.Get(4, 2024, 5).IsNull());  // an absent key: cleared, nothing added
  EXPECT_EQ(5, array.Count());
  EXPECT_EQ((std::vector<CPResID>{-2, 0, 5}), array.GetIDs());
  EXPECT_DOUBLE_EQ(-33, array.Sum(5, {1, 2024}, {12, 2024}).Total());
}

TEST(MonthTotalArray, RangeHasOneEntryPerMonthAcrossTheYearEnd) {
  VYXMonthTotalArray array;
  array.Add(12, 2004, 7, kOpEngagee, -50, false);
  array.Add(2, 2005, 7, kOpEngagee, -25, false);
  array.Add(1, 2005, 8, kOpEngagee, -99, false);  // another ID
  CPArray_T<VYXMonthTotalItem> months;
  months.Add(VYXMonthTotalItem(1, 1, 1));  // cleared first
  ExtMontantSet sum;
  array.ToArray(7, {11, 2004}, {2, 2005}, months, &sum);
  ASSERT_EQ(4, months.Count());
  int expectedMonths[] = {11, 12, 1, 2};
  int expectedYears[] = {2004, 2004, 2005, 2005};
  double expectedTotals[] = {0, -50, 0, -25};
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(expectedMonths[n], months[n].month);
    EXPECT_EQ(expectedYears[n], months[n].year);
    EXPECT_EQ(7, months[n].id);
    EXPECT_DOUBLE_EQ(expectedTotals[n], months[n].montants.Total());
  }
  EXPECT_DOUBLE_EQ(-75, sum.Total());
}

TEST(MonthTotalArray, SavedInEitherByteOrderReadsBackTheSame) {
  VYXMonthTotalArray array;
  array.Add(6, 2023, -4, kOpPointee, -12.5, false);
  array.Add(7, 2023, 9, kOpPrevue, 1234.56, true);
  for (CPDataEncoding encoding : {CPMacIntelEncoding, CPMacPowerPCEncoding}) {
    CPHandleStream stream;
    array.PutTo(stream, encoding);
    EXPECT_EQ(4u + 2 * 54u, stream.GetLength());
    stream.SetMarker(0, kCPFromStart);
    VYXMonthTotalArray back;
    back.GetFrom(stream, encoding);
    ASSERT_EQ(2, back.Count());
    EXPECT_EQ(-4, back[0].id);
    EXPECT_DOUBLE_EQ(-12.5, double(back[0].montants.debits.montant[kOpPointee]));
    EXPECT_DOUBLE_EQ(1234.56, back.Get(7, 2023, 9).Prevu());
  }
  // The first bytes of a big-endian array: its count, then month 6 of 2023.
  CPHandleStream stream;
  array.PutTo(stream, CPMacPowerPCEncoding);
  const unsigned char* bytes = static_cast<const unsigned char*>(stream.Data());
  EXPECT_EQ(std::vector<int>({0, 0, 0, 2, 0, 6, 0x07, 0xE7, 0xFF, 0xFC}),
            std::vector<int>(bytes, bytes + 10));
}

TEST(MonthTotalArray, ShortStreamRaisesAndLeavesItEmpty) {
  VYXMonthTotalArray array;
  array.Add(6, 2023, 1, kOpPointee, -12.5, false);
  CPHandleStream stream;
  array.PutTo(stream, CPMacIntelEncoding);
  stream.SetLength(stream.GetLength() - 1);
  stream.SetMarker(0, kCPFromStart);
  VYXMonthTotalArray back;
  back.Add(1, 2000, 1, kOpPointee, 1, true);
  EXPECT_CP_CODE(eofErr, back.GetFrom(stream, CPMacIntelEncoding));
  EXPECT_EQ(0, back.Count());
}

TEST(TwoResTotalArray, PairsInOrderOfBothIDs) {
  VYX2ResTotalArray array;
  array.Add(2, 1, kOpEngagee, -10, false);
  array.Add(1, 3, kOpEngagee, -5, false);
  array.Add(1, -1, kOpEngagee, -1, false);
  array.Add(2, 1, kOpEngagee, 4, true);
  ASSERT_EQ(3, array.Count());
  EXPECT_EQ(1, array[0].first);
  EXPECT_EQ(-1, array[0].second);
  EXPECT_EQ(3, array[1].second);
  EXPECT_DOUBLE_EQ(-6, array.Get(2, 1).Total());
  EXPECT_TRUE(array.Get(3, 3).IsNull());
}

}  // namespace
