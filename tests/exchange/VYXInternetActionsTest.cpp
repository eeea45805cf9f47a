// Validating statement lines against operations, adding them as operations,
// setting them aside, and undoing each.
#include <gtest/gtest.h>

#include "VYXTelTestSupport.h"
#include "accounts/VYXCompteErrors.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXLabelReading.h"
#include "exchange/VYXLabelRules.h"
#include "foundation/CPDates.h"

namespace {

class Actions : public TelFixture {
 protected:
  void SetUp() override {
    TelFixture::SetUp();
    LoadText("mars.ofx", OFXStatement({{"20240308", "50.00", "VIR M DUPONT", "F1"},
                                       {"20240309", "-45.30", "PRLV SEPA EDF CLIENTS PARTICULIERS", "F2"},
                                       {"20240312", "-23.50", "CB CARREFOUR 10/03", "F3"},
                                       {"20240313", "-30.00", "PRLV SEPA GDF SUEZ", "F4"}}));
  }
  VYXTelContext ctx_;
  CPDate D(int day) { return CPGetDate(day, 3, 2024); }
};

TEST_F(Actions, ALineOfFiftyAgainstAnOperationOfFortyNineAsksFirst) {
  DataID key = Add("Remboursement Dupont", 49, D(5));
  // "No": nothing changes.
  user_.PushNo();
  EXPECT_CP_CODE(0, VYXInternetValidateAction(*tel_, {1}, {key}, ctx_).DoAction());
  EXPECT_EQ(kOpEngagee, Op(key).status);
  EXPECT_TRUE(tel_->FindLine(1)->NeedsDecision());
  ASSERT_EQ(1u, user_.Questions().size());
  EXPECT_EQ("Le montant de la ligne du relevé (50,00) n'est pas celui de l'opération « Remboursement "
            "Dupont » (49,00). Voulez-vous pointer l'opération et lui donner le montant du relevé ?",
            MacRomanToUtf8(user_.Questions()[0]));
  // "Yes": cleared at the bank's date with the bank's amount.
  user_.PushYes();
  VYXInternetValidateAction action(*tel_, {1}, {key}, ctx_);
  ASSERT_TRUE(action.DoAction());
  Operation op = Op(key);
  EXPECT_EQ(kOpPointee, +op.status);
  EXPECT_DOUBLE_EQ(50, op.montant);
  EXPECT_EQ(D(8), +op.datePointe);
  EXPECT_EQ("@", PToStd(op.releve));
  EXPECT_FALSE(tel_->FindLine(1)->NeedsDecision());
  EXPECT_NE(std::string::npos, DataFile().find("{VIR M DUPONT}"));
  EXPECT_DOUBLE_EQ(50, compte_->GetSoldesValues()[kOpPointee]);
  // Undone: the operation and the line as they were.
  ASSERT_TRUE(action.UndoAction());
  op = Op(key);
  EXPECT_EQ(kOpEngagee, +op.status);
  EXPECT_DOUBLE_EQ(49, op.montant);
  EXPECT_TRUE(tel_->FindLine(1)->NeedsDecision());
  EXPECT_EQ(std::string::npos, DataFile().find("{VIR M DUPONT}"));
  EXPECT_DOUBLE_EQ(0, compte_->GetSoldesValues()[kOpPointee]);
}

TEST_F(Actions, TotalsThatDifferWithSeveralOperationsAreRefused) {
  DataID a = Add("a", -20, D(5)), b = Add("b", -20, D(6)), c = Add("c", -5.30, D(7));
  const std::string before = DataFile();
  EXPECT_CP_CODE(kVYXErrValidation, VYXInternetValidateAction(*tel_, {2}, {a, b}, ctx_).DoAction());
  EXPECT_CP_CODE(kVYXErrValidation,
                 VYXInternetValidateAction(*tel_, {2, 4}, {a, b}, ctx_).DoAction());
  EXPECT_EQ(before, DataFile());
  EXPECT_EQ(kOpEngagee, Op(a).status);
  EXPECT_TRUE(user_.Questions().empty());
  // Equal totals need no question.
  ASSERT_TRUE(VYXInternetValidateAction(*tel_, {2}, {a, b, c}, ctx_).DoAction());
  for (DataID k : {a, b, c}) EXPECT_EQ(kOpPointee, Op(k).status) << k;
  EXPECT_TRUE(user_.Questions().empty());
  // A line already validated is not validated twice.
  EXPECT_CP_CODE(kVYXErrNoSuchLine, VYXInternetValidateAction(*tel_, {2}, {a}, ctx_).DoAction());
}

TEST_F(Actions, ValidatingRespectsTheLockDate) {
  DataID key = Add("EDF", -45.30, D(1));
  compte_->SetLockDate(D(5));
  const std::string before = DataFile();
  EXPECT_CP_CODE(kVYXErrCompteLocked, VYXInternetValidateAction(*tel_, {2}, {key}, ctx_).DoAction());
  EXPECT_EQ(kOpEngagee, Op(key).status);
  EXPECT_EQ(before, DataFile());
}

TEST_F(Actions, LabelRulesGiveTheNewOperationItsValues) {
  CPResourceSet_T<Categorie>& cats = compte_->GetCategories();
  CPResID energie = cats.GetUniqueID();
  cats.AddResource(energie, P("Énergie"), Categorie());
  CPResourceSet_T<LibelleTelematique>& rules = compte_->GetLibelles();
  LibelleTelematique rule;
  StdToP(Utf8ToMacRoman("Électricité"), rule.libelle);
  rule.categorie = energie;
  rules.AddResource(rules.GetUniqueID(), P("PRLV\\EDF"), rule);

  EXPECT_TRUE(VYXLabelRuleMatches("PRLV\\EDF", "PRLV SEPA EDF CLIENTS", ""));
  EXPECT_TRUE(VYXLabelRuleMatches("prlv\\EDF", "PRLV SEPA", "REF EDF 1234"));
  EXPECT_FALSE(VYXLabelRuleMatches("PRLV\\EDF", "PRLV SEPA GDF SUEZ", ""));
  EXPECT_FALSE(VYXLabelRuleMatches("PRLV\\edf", "PRLV SEPA EDF", ""));
  EXPECT_TRUE(VYXLabelRuleMatches("cb carref", "CB CARREFOUR 10/03", ""));

  VYXInternetAddDataAction action(*tel_, {2, 4}, ctx_);
  ASSERT_TRUE(action.DoAction());
  ASSERT_EQ(2u, action.Added().size());
  Operation edf = Op(action.Added()[0]);
  EXPECT_EQ(Utf8ToMacRoman("Électricité"), PToStd(edf.libelle));
  EXPECT_EQ(energie, edf.categorie);
  EXPECT_EQ(kOpPointee, +edf.status);
  EXPECT_DOUBLE_EQ(-45.30, edf.montant);
  Operation gdf = Op(action.Added()[1]);
  EXPECT_EQ("PRLV SEPA GDF SUEZ", PToStd(gdf.libelle));
  EXPECT_EQ(0, gdf.categorie);
  EXPECT_FALSE(tel_->FindLine(2)->NeedsDecision());
  ASSERT_TRUE(action.UndoAction());
  EXPECT_EQ(0u, compte_->GetNbOfOperations());
  EXPECT_TRUE(tel_->FindLine(2)->NeedsDecision());
}

TEST_F(Actions, ACardLineTakesTheDayItsLabelGives) {
  VYXInternetAddDataAction action(*tel_, {3}, ctx_);
  ASSERT_TRUE(action.DoAction());
  Operation op = Op(action.Added()[0]);
  EXPECT_EQ(D(10), +op.date);
  EXPECT_EQ(D(12), +op.datePointe);
  EXPECT_EQ(3, op.mois);
  struct Case {
    const char* label;
    CPDate line;
    CPDate found;
  } cases[] = {
      {"CB CARREFOUR 12/03", D(15), D(12)},
      {"CARTE 28.12 FNAC", CPGetDate(3, 1, 2024), CPGetDate(28, 12, 2023)},
      {"PAIEMENT 12/03/24 SNCF", D(15), D(12)},
      {"REF 12/0345", D(15), 0},
      {"TOTAL 1234,50", D(15), 0},
      {"CB 31/02", D(15), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.found, FindDate(c.label, c.line)) << c.label;
}

TEST_F(Actions, AChequeLineTakesItsBooksModeAndMovesTheBookOn) {
  CPResourceSet_T<Chequier>& books = compte_->GetChequiers();
  CPResID book = books.GetUniqueID();
  Chequier chequier;
  books.AddResource(book, P("Chéquier"), chequier);
  CPResourceSet_T<Mode>& modes = compte_->GetModes();
  CPResID cheque = modes.GetUniqueID();
  Mode mode;
  mode.chequierID = book;
  modes.AddResource(cheque, P("Chèque"), mode);
  LoadText("cheques.qif", "!Type:Bank\nD14/03/2024\nT-80\nPCHEQUE N 1000000\n^\n");
  VYXInternetDataItem* line = tel_->FindLine(5);
  ASSERT_NE(nullptr, line);
  EXPECT_EQ("1000000", PToStd(line->reference));
  // The bank gave no reference: the data file keeps none.
  EXPECT_NE(std::string::npos, DataFile().find("OPER\t14/03/24\tCHEQUE N 1000000\t-80,00\t\t\r"));
  VYXInternetAddDataAction action(*tel_, {5}, ctx_);
  ASSERT_TRUE(action.DoAction());
  Operation op = Op(action.Added()[0]);
  EXPECT_EQ(cheque, +op.mode);
  EXPECT_EQ("1000000", PToStd(op.noCheque));
  books.ReadResource(book, &chequier);
  EXPECT_EQ(2, chequier.next);
  ASSERT_TRUE(action.UndoAction());
  books.ReadResource(book, &chequier);
  EXPECT_EQ(1, chequier.next);
}

TEST_F(Actions, PiecesNamedInLabels) {
  struct Case {
    const char* label;
    const char* piece;
  } cases[] = {
      {"CHEQUE N 1234567", "1234567"}, {"CHQ. 0012345", "0012345"},
      {"REMISE CHEQUES NO 88012", "88012"}, {"CHQ0012345", "0012345"},
      {"CH 1234567", "1234567"},       {"CH 12", ""},
      {"PRLV SEPA EDF 123456", ""},    {"CARTE 12/03", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.piece, FindNoPiece(c.label)) << c.label;
}

TEST_F(Actions, SettingLinesAsideAndBack) {
  VYXInternetDeleteDataAction action(*tel_, {1, 3}, ctx_);
  ASSERT_TRUE(action.DoAction());
  EXPECT_EQ(2u, tel_->LoadData(false).size());
  EXPECT_NE(std::string::npos, DataFile().find("(VIR M DUPONT)"));
  ASSERT_TRUE(action.UndoAction());
  EXPECT_EQ(4u, tel_->LoadData(false).size());
  EXPECT_CP_CODE(kVYXErrNoSuchLine, VYXInternetDeleteDataAction(*tel_, {9}, ctx_).DoAction());
}

}  // namespace
