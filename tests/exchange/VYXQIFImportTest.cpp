// A QIF file imported straight into an account's operations.
#include <gtest/gtest.h>

#include "accounts/VYXCompteTestSupport.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXQIFImport.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPDates.h"

namespace {

class Import : public CompteFixture {
 protected:
  void SetUp() override { compte_ = Create(); }
  void TearDown() override { compte_->Close(); }

  VYXQIFImportPlan Plan(const std::string& text, VYXQIFImportOptions options = {}) {
    text_ = text;
    CPPtrStream memory(text_.data(), uint32_t(text_.size()));
    CPTabCrStream stream(&memory, false);
    return VYXCompteListImportAction::Plan(stream, options);
  }
  VYXQIFImportReport Import_(const std::string& text) {
    VYXCompteListImportAction action(*compte_, nullptr, 2);
    return action.Apply(Plan(text), false);
  }
  std::vector<Operation> Ops() {
    std::vector<Operation> ops;
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte_->GetFirstOperation(&op, &ref); more;
         more = compte_->GetNextOperation(&op, &ref)) {
      ops.push_back(op);
    }
    return ops;
  }
  std::string Name(CPResourceSet& set, CPResID id) {
    Str255 name;
    set.GetResourceName(id, name);
    return MacRomanToUtf8(PToStd(name));
  }

  std::string text_;
  std::unique_ptr<VYXSDBCompte> compte_;
};

const char* kBank =
    "!Type:Bank\n"
    "D01/01/95\nT5,762.36\nCX\nPOpening Balance\nL[Compte courant]\n^\n"
    "D01/03/95\nCX\nMRetrait distributeur\nT-500.00\nPCash\nLLoisirs:Livres\n"
    "SLoisirs:Livres\n$-68.00\nSLoisirs:Disques\nEDisquettes\n$-75.00\nSDivers\n$-357.00\n^\n"
    "D01/05/95\nT-837.61\nN6351\nPMACIF\nLAssurance\n^\n"
    "D01/26/95\nMEconomies\nT-2,500.00\nL[Livret bleu]\n^\n"
    "D02/01/95\nT-12.00\nPcash\nLloisirs:livres\n^\n";

TEST_F(Import, OperationsSplitLinesListItemsAndTheOpeningBalance) {
  VYXQIFImportReport r = Import_(kBank);
  EXPECT_EQ(4, r.operations);
  EXPECT_EQ(3, r.splits);
  EXPECT_TRUE(r.hasOpening);
  EXPECT_DOUBLE_EQ(5762.36, r.opening);
  EXPECT_EQ((std::vector<std::string>{"Cash", "MACIF"}), r.newPayees);
  EXPECT_EQ((std::vector<std::string>{"Loisirs:Livres", "Loisirs:Disques", "Divers", "Assurance"}),
            r.newCategories);
  std::vector<Operation> ops = Ops();
  ASSERT_EQ(4u, ops.size());
  const Operation& retrait = ops[0];
  EXPECT_EQ(CPGetDate(3, 1, 1995), +retrait.date);  // the file's dates are month first
  EXPECT_EQ(+retrait.date, +retrait.datePointe);
  EXPECT_EQ(1, retrait.mois);
  EXPECT_EQ(kOpPointee, +retrait.status);
  EXPECT_DOUBLE_EQ(-500, retrait.montant);
  EXPECT_EQ("Retrait distributeur", PToStd(retrait.libelle));
  EXPECT_EQ("Cash", Name(compte_->GetTiers(), retrait.tiers));
  EXPECT_EQ("Loisirs:Livres", Name(compte_->GetCategories(), retrait.categorie));
  EXPECT_EQ(3, retrait.sousOpsNbr);
  EXPECT_DOUBLE_EQ(-500, retrait.montantSousOp);
  EXPECT_EQ("6351", PToStd(ops[1].noCheque));
  // A transfer stays a plain operation without a category.
  EXPECT_EQ(0, ops[2].categorie);
  EXPECT_EQ("Economies", PToStd(ops[2].libelle));
  // Names come back as the lists have them, letter case aside.
  EXPECT_EQ(retrait.tiers, ops[3].tiers);
  EXPECT_EQ(retrait.categorie, ops[3].categorie);
  EXPECT_DOUBLE_EQ(5762.36, compte_->GetReportValues()[kOpPointee]);
  EXPECT_DOUBLE_EQ(5762.36 - 500 - 837.61 - 2500 - 12, compte_->GetSoldesValues()[kOpPointee]);
}

TEST_F(Import, TheBalanceOfTheAccountBlockGivesTheClearedBalance) {
  compte_->SetReportValues(MontantSet{{0, 0, 100}});
  Import_("!Account\nNCourant\nTBank\n$1000.00\n^\n!Type:Bank\nD15/03/2024\nT-200\n^\n");
  EXPECT_DOUBLE_EQ(1000, compte_->GetSoldesValues()[kOpPointee]);
  EXPECT_DOUBLE_EQ(1200, compte_->GetReportValues()[kOpPointee]);
}

TEST_F(Import, AFileWrongAtSomeLineWritesNothing) {
  const std::string before = FileBytes();
  std::string message;
  try {
    Import_("!Type:Bank\nD15/03/2024\nT-1\n^\nD15/03/2024\nT-2\n^\nMSans date\nT-3\n^\n");
  } catch (const CPException& e) {
    message = e.what();
  }
  EXPECT_EQ("Ligne 8 : l'opération n'a pas de date.", message);
  EXPECT_EQ(0u, compte_->GetNbOfOperations());
  EXPECT_EQ(before, FileBytes());
  EXPECT_CP_CODE(kVYXErrNotAStatement, Plan("Date;Montant\n01/01/2024;1\n"));
}

TEST_F(Import, ListBlocksNameCategoriesAndAreNoOperations) {
  VYXQIFImportReport r = Import_(
      "!Type:Cat\nNfood\nE\n^\nNfood:lunch\nDLunch\nE\n^\n!Type:Class\nNmy class\nDexample\n^\n"
      "!Type:Memorized\nT-50.00\nPJoe\n^\n!Type:Cash\nD23/10/2013\nT-6.50\nLfood:lunch\n^\n");
  EXPECT_EQ(1, r.operations);
  EXPECT_EQ((std::vector<std::string>{"food", "food:lunch"}), r.newCategories);
  EXPECT_EQ(2, r.ignored);
  EXPECT_EQ(5, compte_->GetType());  // a cash account
}

TEST_F(Import, APreviewWritesNothing) {
  const std::string before = FileBytes();
  VYXCompteListImportAction action(*compte_, nullptr, 2);
  VYXQIFImportReport r = action.Preview(Plan(kBank));
  EXPECT_EQ(4, r.operations);
  EXPECT_EQ(3, r.splits);
  EXPECT_EQ(2u, r.newPayees.size());
  EXPECT_EQ(4u, r.newCategories.size());
  EXPECT_DOUBLE_EQ(5762.36, r.opening);
  EXPECT_EQ(before, FileBytes());
  EXPECT_EQ(0u, compte_->GetNbOfOperations());
}

TEST_F(Import, ForcedDateOrderAndEncoding) {
  VYXQIFImportOptions options;
  options.monthFirst = true;
  options.encoding = kQIFUTF8;
  VYXQIFImportPlan plan = Plan("!Type:Bank\nD01/02/2024\nT-1\nMCaf\xC3\xA9\n^\n", options);
  ASSERT_EQ(1u, plan.ops.size());
  EXPECT_EQ(CPGetDate(2, 1, 2024), CPDate(+plan.ops[0].op.date));
  EXPECT_EQ(Utf8ToMacRoman("Café"), PToStd(plan.ops[0].op.libelle));
}

}  // namespace
