#include <gtest/gtest.h>

#include <string>

#include "foundation/CPCompare.h"
#include "foundation/CPTextEncoding.h"

namespace {

std::string M(const char* utf8) { return Utf8ToMacRoman(utf8); }

struct EqualCase {
  const char* a;
  const char* b;
  bool caseSensitive;
  bool diacSensitive;
  bool equal;
};

TEST(CPCompare, EqualityFollowsItsTwoSwitches) {
  const EqualCase cases[] = {
      {"Loyer", "Loyer", true, true, true},
      {"Loyer", "loyer", false, false, true},
      {"Loyer", "loyer", false, true, true},
      {"Loyer", "loyer", true, false, false},
      {"Loyer", "loyer", true, true, false},
      {"Été", "Ete", false, false, true},
      {"Été", "Ete", true, false, true},
      {"Été", "Ete", false, true, false},
      {"Été", "ete", false, false, true},
      {"Été", "ete", true, false, false},
      {"Été", "été", false, true, true},
      {"Loyer 1", "Loyer1", false, false, false},  // spaces count
      {"Loyer", "Loyers", false, false, false},
      {"", "", false, false, true},
      {"ça", "CA", false, false, true},
  };
  for (const EqualCase& c : cases) {
    EXPECT_EQ(c.equal, CPEqualString(M(c.a), M(c.b), c.caseSensitive, c.diacSensitive))
        << c.a << " / " << c.b << " case " << c.caseSensitive << " diac " << c.diacSensitive;
  }
}

TEST(CPCompare, LengthPrefixedFormsCompareTheirTextOnly) {
  unsigned char a[] = {5, 'L', 'o', 'y', 'e', 'r', 'X'};
  unsigned char b[] = {5, 'l', 'o', 'y', 'e', 'r', 'Y'};
  EXPECT_TRUE(CPEqualString(a, b, false, false));
  EXPECT_EQ(0, CPCompareString(a, a));
  EXPECT_LT(CPCompareString(b, a), 0);  // lower case first
}

TEST(CPCompare, OrderIsAFrenchReaders) {
  // Each text sorts strictly before the next. Digits compare as characters.
  const char* ordered[] = {"", "a", "A", "à", "abricot", "cote", "coté", "côte", "côté",
                           "e", "é", "Eté", "été", "f", "Loyer", "Loyer 10", "Loyer 2", "zèbre"};
  for (size_t i = 0; i + 1 < std::size(ordered); ++i) {
    EXPECT_LT(CPCompareString(M(ordered[i]), M(ordered[i + 1])), 0) << ordered[i] << " < " << ordered[i + 1];
    EXPECT_GT(CPCompareString(M(ordered[i + 1]), M(ordered[i])), 0) << ordered[i + 1] << " > " << ordered[i];
  }
}

}  // namespace
