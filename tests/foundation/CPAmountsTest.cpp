#include "foundation/CPAmounts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/CPStrings.h"
#include "platform/CPRegional.h"

namespace {

// Sets other separators for one test and puts the French ones back.
class RegionalScope {
 public:
  RegionalScope(unsigned char decimal, unsigned char thousands) {
    CPRegional r = CPRegional::French();
    r.decimalChar = decimal;
    r.thousandSep = thousands;
    CPRegional::Set(r);
  }
  ~RegionalScope() { CPRegional::Set(CPRegional::French()); }
};

struct ReadCase {
  const char* text;
  bool ok;
  double value;
};

void ExpectReads(std::initializer_list<ReadCase> cases) {
  for (const ReadCase& c : cases) {
    const double untouched = 42.25;
    double v = untouched;
    Str255 p;
    StdToP(c.text, p);
    EXPECT_EQ(c.ok, MacStrToNum(p, v)) << '"' << c.text << '"';
    EXPECT_EQ(c.ok ? c.value : untouched, v) << '"' << c.text << '"';
  }
}

TEST(CPAmounts, MacStrToNumReadsFrenchTexts) {
  ExpectReads({
      {"", true, 0},
      {"   ", true, 0},
      {"1 234,5", true, 1234.5},
      {",5", true, 0.5},
      {"-,5", true, -0.5},
      {"+12", true, 12},
      {"12,", true, 12},
      {"-1 234 567,89", true, -1234567.89},
      {"1.5", true, 1.5},  // the point is always understood
      // Decimal conversion: the nearest double to the decimal text.
      {"0,1", true, 0.1},
      {"0,3", true, 0.3},
      {"0,1000000000000000055511151231257827", true, 0.1},
      {"-", false, 0},
      {"12a", false, 0},
      {"1,2,3", false, 0},
      {"1e5", false, 0},
      {"+", false, 0},
      // One number, read whole: not 1, not a positive 5.
      {"1-2", false, 0},
      {"5-", false, 0},
      {"--1", false, 0},
      {"1,2.3", false, 0},
  });
}

TEST(CPAmounts, MacStrToNumFollowsTheRegionalSeparators) {
  {
    RegionalScope english('.', ',');
    ExpectReads({{"1,234.5", true, 1234.5}, {".25", true, 0.25}, {"1 234", true, 1234}});
  }
  {
    RegionalScope german(',', '.');
    ExpectReads({{"1.234,5", true, 1234.5}});
  }
  {
    RegionalScope none(',', 0);
    ExpectReads({{"1 234,5", true, 1234.5}});
  }
}

TEST(CPAmounts, MacNumToStrWritesFixedAndAutomaticDecimals) {
  struct Case {
    double value;
    int decimals;
    bool thousands;
    const char* text;
  } cases[] = {
      {-1234567.5, 2, true, "-1 234 567,50"},
      {-1234567.5, 2, false, "-1234567,50"},
      {1234, 2, true, "1 234,00"},
      {123456, 0, true, "123 456"},
      {-123, 0, true, "-123"},
      {-123456, 0, true, "-123 456"},
      {999.999, 2, true, "1 000,00"},
      {0.00000001, 2, false, "0,00"},
      {-0.00000001, 2, false, "0,00"},
      {-0.004, 2, false, "0,00"},  // not "-0,00"
      {-0.006, 2, false, "-0,01"},
      {0.1, 20, false, "0,10000000000000000555"},
      // Automatic: the first of 0 to 5 decimals that reads back closely enough.
      {12.0, -1, false, "12"},
      {12.5, -1, false, "12,5"},
      {0.125, -1, false, "0,125"},
      {-1234.25, -1, true, "-1 234,25"},
      {12.04, -1, false, "12"},  // within 0.1 of 12
      {1.0000001, -1, false, "1"},
      {1.234567891, -1, false, "1,23457"},  // needs more than five: five it is
      {0.00000001, -1, false, "0"},
  };
  for (const Case& c : cases) {
    Str255 p;
    MacNumToStr(c.value, p, static_cast<short>(c.decimals), c.thousands);
    EXPECT_EQ(c.text, PToStd(p)) << c.value << " " << c.decimals;
  }
}

TEST(CPAmounts, MacNumToStrFollowsTheRegionalSeparators) {
  {
    RegionalScope english('.', ',');
    EXPECT_EQ("-1,234,567.50", MacNumToStr(-1234567.5, 2, true));
  }
  {
    RegionalScope none(',', 0);
    EXPECT_EQ("1234567,50", MacNumToStr(1234567.5, 2, true));
  }
}

TEST(CPAmounts, WrittenAmountsReadBack) {
  for (double v : {0.0, 0.01, -0.07, 1234567.89, -98765.43, 0.1 + 0.2, 1e12 + 0.5}) {
    for (bool thousands : {false, true}) {
      double back = -1;
      ASSERT_TRUE(MacStrToNum(MacNumToStr(v, 2, thousands), back)) << v;
      EXPECT_EQ(CPArrondi(v, 2), back) << v;
    }
  }
}

TEST(CPAmounts, CPArrondiRoundsTheExactBinaryValue) {
  struct Case {
    double value;
    int decimals;
    double expected;
  } cases[] = {
      // Below the threshold of the decimals: exactly 0.
      {0.05, 0, 0},
      {0.0009, 2, 0},
      {0.00009, 5, 0},
      {0.0004, 3, 0},
      // Halves away from zero.
      {0.5, 0, 1},
      {-0.5, 0, -1},
      {2.5, 0, 3},
      {2.125, 2, 2.13},
      {-2.125, 2, -2.13},
      {-0.005, 2, -0.01},  // held slightly beyond the half
      {2.345, 2, 2.35},    // held slightly above
      // A decimal half held slightly below it goes down.
      {1.005, 2, 1.00},
      {0.015, 2, 0.01},
      {9.995, 2, 9.99},
      {2.675, 2, 2.67},
      // Carries.
      {9.9951, 2, 10},
      {99.5, 0, 100},
      {-0.999, 2, -1},
      {0.00051, 3, 0.001},
      {0.1 + 0.2, 2, 0.3},
      {1234567.894, 2, 1234567.89},
      {1e20, 2, 1e20},
      // More than 4 decimals: cut, not rounded.
      {1.234567, 5, 1.23456},
      {1.0000099, 5, 1.0},
      {-1.234567, 5, -1.23456},
      // Negative decimals count as none.
      {12.5, -2, 13},
  };
  for (const Case& c : cases) {
    double r = CPArrondi(c.value, static_cast<short>(c.decimals));
    EXPECT_EQ(c.expected, r) << c.value << " to " << c.decimals;
    if (r == 0) {
      EXPECT_FALSE(std::signbit(r)) << c.value;
    }
  }
  // The flag changes nothing.
  EXPECT_EQ(2.35, CPArrondi(2.345, 2, true));
  // Values too large to have a fraction come back unchanged rather than as 0.
  EXPECT_EQ(1e40, CPArrondi(1e40, 2));
  EXPECT_TRUE(std::isnan(CPArrondi(NAN, 2)));
}

TEST(CPAmounts, CentsConversionsMoveTheDecimalExponent) {
  EXPECT_EQ(29.0, FrancsToCents(0.29));  // 0.29 * 100 is 28.999999999999996
  EXPECT_EQ(-7.0, FrancsToCents(-0.07));
  EXPECT_EQ(123456.0, FrancsToCents(1234.56));
  EXPECT_EQ(0.29, CentsToFrancs(29));
  EXPECT_EQ(1234.56, CentsToFrancs(123456));
  EXPECT_EQ(0.0, FrancsToCents(0));
  EXPECT_EQ(0.125, CentsToFrancs(12.5));
  for (int cents = -20000; cents <= 20000; ++cents) {
    const double francs = cents / 100.0;  // the double nearest to the decimal value
    ASSERT_EQ(francs, CentsToFrancs(cents)) << cents;
    ASSERT_EQ(double(cents), FrancsToCents(francs)) << cents;
  }
}

TEST(CPAmounts, EuroZoneLegacyCurrencies) {
  double rate = 0;
  EXPECT_TRUE(CPIsDeviseZoneEuro('FRF ', rate));
  EXPECT_EQ(6.55957, rate);
  EXPECT_TRUE(CPIsDeviseZoneEuro('ITL ', rate));
  EXPECT_EQ(1936.27, rate);
  EXPECT_TRUE(CPIsDeviseZoneEuro('IEP ', rate));
  EXPECT_EQ(0.787564, rate);
  for (OSType other : {OSType('EUR '), OSType('USD '), OSType('CHF '), OSType('FRF')}) {
    rate = -1;
    EXPECT_FALSE(CPIsDeviseZoneEuro(other, rate));
    EXPECT_EQ(-1, rate);
  }
}

TEST(CPAmounts, RegionalCharacters) {
  EXPECT_EQ(',', CPGetDecimalChar());
  EXPECT_EQ(' ', CPGetThousandSep());
  EXPECT_TRUE(CPHasThousandSep());
  RegionalScope none('.', 0);
  EXPECT_EQ('.', CPGetDecimalChar());
  EXPECT_FALSE(CPHasThousandSep());
}

}  // namespace
