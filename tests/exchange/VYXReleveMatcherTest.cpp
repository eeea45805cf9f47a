// The search of the operations a statement line stands for.
#include <gtest/gtest.h>

#include "VYXTelTestSupport.h"
#include "exchange/VYXReleveMatcher.h"
#include "foundation/CPDates.h"
#include "platform/CPClock.h"

namespace {

class Matcher : public TelFixture {
 protected:
  // The key of the operation proposed alone for the line, 0 for none.
  DataID One(const VYXInternetDataItem& line, bool strict = false) {
    VYXReleveMatcher m(*compte_, false);
    m.BuildCandidates();
    int i = m.FindOperation(line, strict, 0);
    return i < 0 ? 0 : m.Candidates()[size_t(i)].op.header.dataID;
  }
  std::vector<DataID> Group(const VYXInternetDataItem& line, bool strict = false) {
    VYXReleveMatcher m(*compte_, false);
    m.BuildCandidates();
    std::vector<size_t> found;
    std::vector<DataID> keys;
    if (!m.FindOperations(line, strict, 0, &found)) return keys;
    for (size_t i : found) keys.push_back(DataID(m.Candidates()[i].op.header.dataID));
    return keys;
  }
  CPDate D(int day) { return CPGetDate(day, 3, 2024); }
  // Every operation of the account deleted, for the next case of a table.
  void Clear() {
    Operation op;
    VYXDataRef ref = 0;
    while (compte_->GetFirstOperation(&op, &ref)) compte_->DeleteOperation(ref);
  }
};

TEST_F(Matcher, TheTolerancePassesThenTheNearestDate) {
  struct Case {
    const char* name;
    std::vector<std::pair<double, int>> ops;  // amount, day of March
    int expected;                             // index into ops, -1 for none
    bool strict = false;
  } cases[] = {
      {"exact wins over one cent", {{-45.30, 2}, {-45.31, 10}}, 0},
      {"within ten cents", {{-45.25, 2}, {-46.00, 10}}, 0},
      {"two within a euro: the nearest date", {{-45.80, 1}, {-44.90, 9}}, 1},
      {"within a euro, not when strict", {{-45.80, 1}}, -1, true},
      {"nothing near", {{-50.00, 10}}, -1},
      {"equally near: the last", {{-45.30, 6}, {-45.30, 10}}, 1},
  };
  for (const Case& c : cases) {
    Clear();
    std::vector<DataID> keys;
    for (const auto& [amount, day] : c.ops) keys.push_back(Add("op", amount, D(day)));
    DataID found = One(Line(-45.30, D(8)), c.strict);
    EXPECT_EQ(c.expected < 0 ? 0 : keys[size_t(c.expected)], found) << c.name;
  }
}

TEST_F(Matcher, TheBanksChequeNumberAndCommittedOperationsComeFirst) {
  DataID a = Add("Chèque fleuriste", -35, D(1), kOpEngagee, "1000001");
  DataID b = Add("Chèque garage", -35, D(8), kOpEngagee, "1000002");
  EXPECT_EQ(a, One(Line(-35, D(9), "CHEQUE", "1000001")));
  EXPECT_EQ(b, One(Line(-35, D(9), "CHEQUE", "")));
  // A planned operation of the same amount gives way to a committed one.
  Clear();
  Add("prévue", -35, D(9), kOpPrevue);
  DataID committed = Add("engagée", -35, D(1), kOpEngagee);
  EXPECT_EQ(committed, One(Line(-35, D(9))));
  // Cleared operations are no candidates.
  Clear();
  Add("pointée", -35, D(9), kOpPointee);
  EXPECT_EQ(0u, One(Line(-35, D(9))));
}

TEST_F(Matcher, ADepositSlipOfThreeChequesIsProposedWhole) {
  CPResID tiers = 0;
  Add("Loyer", -700, D(1));
  DataID c1 = Add("Chèque Dupont", 100, D(2), kOpEngagee, "R0042", tiers);
  Add("Autre remise", 100, D(2), kOpEngagee, "R0043", tiers);
  DataID c2 = Add("Chèque Martin", 100, D(3), kOpEngagee, "r0042", tiers);
  DataID c3 = Add("Chèque Durand", 100, D(4), kOpEngagee, "R0042", tiers);
  EXPECT_EQ((std::vector<DataID>{c1, c2, c3}), Group(Line(300, D(6), "REMISE", "R0042"), true));
  EXPECT_EQ((std::vector<DataID>{c1, c2, c3}), Group(Line(300, D(6), "REMISE CHEQUES"), true));
  EXPECT_TRUE(Group(Line(250, D(6)), true).empty());
}

TEST_F(Matcher, GroupedDebitsOfOnePayee) {
  CPResID edf = 0, sncf = 0;
  {
    CPResourceSet_T<UserTiers>& tiers = compte_->GetTiers();
    edf = tiers.GetUniqueID();
    tiers.AddResource(edf, P("EDF"), UserTiers());
    sncf = tiers.GetUniqueID();
    tiers.AddResource(sncf, P("SNCF"), UserTiers());
  }
  DataID train = Add("Train", -40, D(1), kOpEngagee, "", sncf);
  DataID a = Add("Électricité", -61.20, D(2), kOpEngagee, "", edf);
  Add("Gaz", -30, D(3), kOpEngagee, "", edf);
  DataID c = Add("Abonnement", -8.80, D(4), kOpEngagee, "", edf);
  DataID retour = Add("Retour", -20, D(5), kOpEngagee, "", sncf);
  EXPECT_EQ((std::vector<DataID>{a, c}), Group(Line(-70, D(10))));
  // Only when not strict.
  EXPECT_TRUE(Group(Line(-70, D(10)), true).empty());
  // One payee's operations follow each other, whenever they were entered.
  EXPECT_EQ((std::vector<DataID>{train, retour}), Group(Line(-60, D(10))));
  // Never across payees: -20 (SNCF) and -30 (EDF) make no -50.
  EXPECT_TRUE(Group(Line(-50, D(10))).empty());
}

TEST_F(Matcher, TheGroupSearchGivesUpWhenItsTimeIsOut) {
  // Whole amounts of both signs, which no bound rules out, and five lines of
  // cents at the end of the list: the only group of 0,07 is those five.
  for (int i = 1; i <= 35; ++i) Add("op", i % 2 ? i : -i, D(1));
  DataID last = 0;
  for (double cents : {0.01, 0.01, 0.01, 0.02, 0.02}) last = Add("centimes", cents, D(2));
  VYXReleveMatcher m(*compte_, false);
  m.BuildCandidates();
  std::vector<size_t> found;
  ASSERT_TRUE(m.FindOperations(Line(0.07, D(5)), false, 0, &found));
  EXPECT_EQ(last, DataID(m.Candidates()[found.back()].op.header.dataID));
  // With a clock that moves a tick at each look, ten ticks end the search first.
  CPClock::PinTicks(0, 1);
  m.SetTimeLimit(10);
  EXPECT_FALSE(m.FindOperations(Line(0.07, D(5)), false, 0, &found));
  CPClock::Unpin();
  CPClock::PinDate(CPGetDate(15, 3, 2024) + 12 * 3600);
}

}  // namespace
