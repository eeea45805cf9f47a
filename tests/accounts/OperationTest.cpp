#include "accounts/Operation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "accounts/SousOperation.h"
#include "accounts/VYXCompteDefaultValues.h"
#include "accounts/VYXMonthRule.h"
#include "foundation/CPDates.h"
#include "support/VYXTestSupport.h"
#include "VYXRecordTestSupport.h"

namespace {

TEST(Operation, NewOperationIsDatedTodayCommittedWithNothingElse) {
  VYXPinnedClock clock(15, 3, 2008, 14, 30);
  Operation op;
  EXPECT_EQ(CPGetDate(15, 3, 2008), V(op.date));  // the day, without the time
  EXPECT_EQ(kOpEngagee, op.status);
  EXPECT_EQ(1.0, V(op.quantity));
  EXPECT_EQ(1, V(op.mois));
  EXPECT_EQ(kCompteDataMarker, V(op.header.marker));
  EXPECT_EQ(kOperationData, op.header.type);
  EXPECT_EQ(CPGetDate(), V(op.header.creation));
  EXPECT_EQ(0u, V(op.header.dataID));
  EXPECT_EQ(0, V(op.virementId));
  EXPECT_EQ(0u, V(op.virementKey));
  EXPECT_EQ(0u, V(op.virementTargetKey));
  EXPECT_EQ(0, V(op.sousOpsNbr));
  EXPECT_EQ(0.0, V(op.montantSousOp));
  EXPECT_EQ(0.0, V(op.montant));
  EXPECT_EQ(0, op.libelle[0]);
  EXPECT_EQ(0u, V(op.datePointe));
}

TEST(SousOperation, ThirdLineIsNumberedAfterTheTwoAndInheritsTheItems) {
  Operation op;
  op.header.dataID = 41;
  op.sousOpsNbr = 2;
  op.tva = 3;
  op.categorie = 12;
  op.mois = 7;
  op.tiers = 5;
  op.affaire = 6;
  op.affectation = 8;
  op.montant = -120.0;
  op.note = 9;
  op.pj = 10;
  op.deviseOrigine = 'USD ';
  SetText(op.libelle, "Courses");

  SousOperation line(op);
  EXPECT_EQ(3u, V(line.header.dataID));
  EXPECT_EQ(41, V(line.operation));
  EXPECT_EQ(kSousOperationData, line.header.type);
  EXPECT_EQ(3, V(line.tva));
  EXPECT_EQ(12, V(line.categorie));
  EXPECT_EQ(7, V(line.mois));
  EXPECT_EQ(5, V(line.tiers));
  EXPECT_EQ(6, V(line.affaire));
  EXPECT_EQ(8, V(line.affectation));
  // Not inherited: label, amounts, currency, note and attachment.
  EXPECT_EQ(0, line.libelle[0]);
  EXPECT_EQ(0.0, V(line.montant));
  EXPECT_EQ(0.0, V(line.montantTva));
  EXPECT_EQ(0u, V(line.deviseOrigine));
  EXPECT_EQ(0, V(line.note));
  EXPECT_EQ(0, V(line.pj));
  EXPECT_EQ(0, line.pieceJointe);

  SousOperation free;
  EXPECT_EQ(1, V(free.mois));
  EXPECT_EQ(0u, V(free.header.dataID));
  EXPECT_EQ(0, V(free.operation));
  EXPECT_EQ(0, V(free.categorie));
}

TEST(Operation, SenseOfAnAmountAndBankDate) {
  Operation op;
  SousOperation line;
  struct Case {
    double montant;
    MontantType sense;
  };
  for (Case c : {Case{0.0, kMontantCredit}, Case{-0.0, kMontantCredit}, Case{0.01, kMontantCredit},
                 Case{-0.01, kMontantDebit}, Case{-1e9, kMontantDebit}}) {
    op.montant = c.montant;
    line.montant = c.montant;
    EXPECT_EQ(c.sense, op.GetMontantType()) << c.montant;
    EXPECT_EQ(c.sense, line.GetMontantType()) << c.montant;
  }

  op.date = CPGetDate(10, 3, 2008);
  op.datePointe = 0;
  EXPECT_EQ(V(op.date), op.GetDatePointe());
  op.datePointe = CPGetDate(5, 4, 2008);
  EXPECT_EQ(CPGetDate(5, 4, 2008), op.GetDatePointe());
}

TEST(VYXCompteDefaultValues, NewOperationTakesTheAccountDefaults) {
  VYXPinnedClock clock(20, 6, 2009);
  VYXCompteDefaultValues defaults;
  EXPECT_EQ(kMontantDebit, defaults.debCred);
  EXPECT_EQ(kOpEngagee, defaults.status);
  EXPECT_EQ(65534, V(defaults.mois));

  defaults.status = kOpPrevue;
  defaults.mode = 4;
  defaults.categorie = 11;
  defaults.affectation = 13;
  defaults.tvaDep = 2;
  defaults.tvaRec = 3;

  Operation debit(defaults, false);
  EXPECT_EQ(kOpPrevue, debit.status);
  EXPECT_EQ(4, V(debit.mode));
  EXPECT_EQ(11, V(debit.categorie));
  EXPECT_EQ(13, V(debit.affectation));
  EXPECT_EQ(2, V(debit.tva));  // expenses' rate
  EXPECT_EQ(6, V(debit.mois));
  EXPECT_EQ(0, debit.isATitre);
  EXPECT_EQ(1.0, V(debit.quantity));
  EXPECT_EQ(CPGetDate(20, 6, 2009), V(debit.date));

  defaults.debCred = kMontantCredit;
  Operation credit(defaults, true);
  EXPECT_EQ(3, V(credit.tva));  // receipts' rate
  EXPECT_EQ(1, credit.isATitre);
}

TEST(VYXMonthRule, MonthsAndRelativeRules) {
  struct Case {
    CPMonth rule;
    int day, month, year;
    CPMonth expected;
  };
  const Case cases[] = {
      {1, 15, 6, 2009, 1},   {12, 15, 6, 2009, 12},
      {65534, 15, 6, 2009, 6}, {65535, 15, 6, 2009, 7}, {65533, 15, 6, 2009, 5},
      {65535, 31, 12, 2009, 1}, {65533, 1, 1, 2010, 12},
      {0, 15, 6, 2009, 6},     {13, 15, 6, 2009, 6},  // damaged rules: the date's month
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, VYXMonthFromRule(c.rule, CPGetDate(c.day, c.month, c.year)))
        << c.rule << " on " << c.day << "/" << c.month;
  }

  VYXPinnedClock clock(3, 12, 2007);
  VYXCompteDefaultValues defaults;
  defaults.mois = kVYXMoisSuivant;
  EXPECT_EQ(1, V(Operation(defaults, false).mois));
}

TEST(Operation, FilledChequeAndStatementNumbers) {
  struct Case {
    const char* stored;
    const char* cheque;
    const char* releve;
  };
  const Case cases[] = {
      {"", "", ""},
      {"42", "0000042", "00042"},
      {"12345", "0012345", "12345"},
      {"1234567", "1234567", "12345"},  // a statement number holds 5 characters
      {"A000012", "A000012", "A0000"},
      {"12 3", "12 3", "12 3"},
  };
  for (const Case& c : cases) {
    Operation op;
    SetText(op.noCheque, c.stored);
    SetText(op.releve, c.stored);
    Str255 text;
    op.GetFilledNoCheque(text);
    EXPECT_EQ(c.cheque, Text(text)) << c.stored;
    op.GetFilledReleve(text);
    EXPECT_EQ(c.releve, Text(text)) << c.stored;
  }

  // A typed criterion is brought to the same form as the stored numbers.
  Str255 typed;
  StdToP("999", typed);
  Operation::FillNoCheque(typed);
  EXPECT_EQ("0000999", Text(typed));
}

TEST(Operation, sCompareOrdersDebitsByMagnitudeThenCredits) {
  std::vector<double> amounts = {5.0, -10.0, 0.0, -100.0, 12.5, -0.5, 0.0};
  std::sort(amounts.begin(), amounts.end(),
            [](double a, double b) { return Operation::sCompare(a, b) < 0; });
  EXPECT_EQ((std::vector<double>{-100.0, -10.0, -0.5, 0.0, 0.0, 5.0, 12.5}), amounts);
  EXPECT_EQ(0, Operation::sCompare(3.0, 3.0));
  EXPECT_GT(Operation::sCompare(-1.0, -2.0), 0);
  EXPECT_LT(Operation::sCompare(-1.0, 0.0), 0);
}

}  // namespace
