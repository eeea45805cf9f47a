// The totals of the saved filters: what an operation and its split lines
// bring to each filter, filters that come, change, are renamed and go, and
// the dossier's totals of them over accounts in two currencies.
#include <gtest/gtest.h>

#include "analysis/TotauxTestSupport.h"
#include "analysis/VYXSelectionMask.h"
#include "analysis/VYXUserTotaux.h"
#include "userfile/VYXUserSets.h"

namespace {

class FiltresTotauxTest : public TotauxTest {
 protected:
  void SetUp() override {
    TotauxTest::SetUp();
    VYXCompteTotaux::Install();
  }
  void TearDown() override {
    TotauxTest::TearDown();
    VYXSetCompteTotauxMaker(nullptr);
  }
  // A saved filter of the dossier on one of its categories.
  CPResID FiltreCategorie(const char* name, const char* categorie, bool lines = true) {
    VYXSelectionMask mask;
    mask.categories = {user_->GetCategories().GetResourceID(N(categorie))};
    mask.sousOperations = lines;
    return VYXAddSavedMask(*user_, N(name).P(), mask);
  }
  static ExtMontantSet Month(VYXTotaux& totaux, CPResID filtre, int month, int year) {
    ExtMontantSet set;
    totaux.GetFiltreMonthTotaux(filtre, month, year, &set);
    return set;
  }
};

TEST_F(FiltresTotauxTest, AnOperationCountsWhereItsOwnFieldsPassAndItsLinesMoveTheirPart) {
  VYXSDBCompte& compte = NewCompte("Courant");
  CPResID alimentation = Categorie(compte, "Alimentation");
  CPResID loisirs = Categorie(compte, "Loisirs");
  CPResID fAlim = FiltreCategorie("Courses", "Alimentation");
  CPResID fLoisirs = FiltreCategorie("Sorties", "Loisirs");
  CPResID fLoisirsSeuls = FiltreCategorie("Sorties sans lignes", "Loisirs", false);
  CPResID tout = VYXAddSavedMask(*user_, N("Tout").P(), VYXSelectionMask());

  // -100 with its VAT, of which -30 go to leisure in April.
  VYXDataRef ref = Add(compte, Op(-100, alimentation, 10, 3, 2024, kOpPointee, -16.4));
  VYXDataRef line = Split(compte, ref, -30, loisirs);
  SousOperation l;
  compte.GetSousOperation(line, &l);
  l.mois = 4;
  compte.ModifySousOperation(ref, l, line);
  Add(compte, Op(45, loisirs, 12, 3, 2024, kOpPrevue));

  VYXCompteTotaux& totaux = VYXCompteTotaux::Of(compte);
  ExtMontantSet courses = Month(totaux, fAlim, 3, 2024);
  EXPECT_DOUBLE_EQ(-70, courses.debits.montant[kOpPointee]);  // VAT included
  EXPECT_DOUBLE_EQ(-70, courses.Total());
  EXPECT_DOUBLE_EQ(45, Month(totaux, fLoisirs, 3, 2024).credits.montant[kOpPrevue]);
  EXPECT_DOUBLE_EQ(-30, Month(totaux, fLoisirs, 4, 2024).debits.montant[kOpPointee]);
  // Without its split lines a filter sees only the operations' own fields.
  EXPECT_DOUBLE_EQ(45, Month(totaux, fLoisirsSeuls, 3, 2024).Total());
  EXPECT_TRUE(Month(totaux, fLoisirsSeuls, 4, 2024).IsNull());
  CPArray_T<VYXMonthTotalItem> months;
  ExtMontantSet sum;
  totaux.FiltreTotauxToArray(tout, 2, 2024, 5, 2024, months, &sum);
  ASSERT_EQ(4, months.Count());
  EXPECT_DOUBLE_EQ(-25, double(months[1].montants));
  EXPECT_DOUBLE_EQ(-30, double(months[2].montants));
  EXPECT_DOUBLE_EQ(-55, double(sum));

  // The walk over the filters that have amounts.
  size_t cursor = 0;
  CPResID id = 0;
  std::vector<CPResID> seen;
  for (bool more = totaux.GetFirstFiltreTotaux(&cursor, &id, &sum); more;
       more = totaux.GetNextFiltreTotaux(&cursor, &id, &sum)) {
    seen.push_back(id);
  }
  EXPECT_EQ(4u, seen.size());

  // Removing the line gives its part back to the operation.
  compte.DeleteSousOperation(ref, line);
  EXPECT_DOUBLE_EQ(-100, Month(totaux, fAlim, 3, 2024).Total());
  EXPECT_TRUE(Month(totaux, fLoisirs, 4, 2024).IsNull());
}

TEST_F(FiltresTotauxTest, FiltersThatComeChangeAreRenamedAndGoAreFollowed) {
  VYXSDBCompte& compte = NewCompte("Courant");
  CPResID alimentation = Categorie(compte, "Alimentation");
  CPResID loisirs = Categorie(compte, "Loisirs");
  Add(compte, Op(-20, alimentation, 10, 3, 2024));
  Add(compte, Op(-8, loisirs, 11, 3, 2024));
  VYXCompteTotaux& totaux = VYXCompteTotaux::Of(compte);
  totaux.PreloadModule(kTotauxFiltres);
  EXPECT_TRUE(totaux.GetFiltresArray().IsEmpty());

  CPResID filtre = FiltreCategorie("Courses", "Alimentation");
  EXPECT_DOUBLE_EQ(-20, Month(totaux, filtre, 3, 2024).Total());
  VYXSelectionMask mask;
  ASSERT_TRUE(VYXReadSavedMask(*user_, N("Courses").P(), &mask));
  mask.categories.push_back(user_->GetCategories().GetResourceID(N("Loisirs")));
  VYXWriteSavedMask(*user_, filtre, mask);
  EXPECT_DOUBLE_EQ(-28, Month(totaux, filtre, 3, 2024).Total());

  user_->GetSelections().SetResourceName(filtre, N("Dépenses").P());
  EXPECT_DOUBLE_EQ(-28, Month(totaux, filtre, 3, 2024).Total());
  // A category renamed on both sides keeps its operations in the filter.
  user_->RenameCategorie(user_->GetCategories().GetResourceID(N("Loisirs")), N("Sorties").P());
  Add(compte, Op(-2, compte.GetCategories().GetResourceID(N("Sorties")), 12, 3, 2024));
  EXPECT_DOUBLE_EQ(-30, Month(totaux, filtre, 3, 2024).Total());

  user_->GetSelections().RemoveResource(filtre);
  EXPECT_TRUE(Month(totaux, filtre, 3, 2024).IsNull());
}

TEST_F(FiltresTotauxTest, TheDossierCountsItsFiltersOverItsAccountsInTheReferenceCurrency) {
  Devise usd;
  usd.taux = 0.8;
  user_->GetDevises().AddResource(user_->GetDevises().GetUniqueID(), N("USD"), usd);
  VYXSDBCompte& euros = NewCompte("Courant");
  VYXSDBCompte& dollars = NewCompte("Dollars", 'USD ');
  Categorie(dollars, "Voyages");  // the two accounts' IDs differ
  CPResID dollarsLoisirs = Categorie(dollars, "Loisirs");
  CPResID eurosLoisirs = Categorie(euros, "Loisirs");
  CPResID filtre = FiltreCategorie("Sorties", "Loisirs");
  Add(euros, Op(-40, eurosLoisirs, 5, 6, 2024));
  Add(dollars, Op(-100, dollarsLoisirs, 7, 6, 2024));

  VYXUserTotaux totaux(*user_);
  EXPECT_NEAR(-120, Month(totaux, filtre, 6, 2024).Total(), 1e-9);
  Add(dollars, Op(-12.5, dollarsLoisirs, 8, 6, 2024));
  EXPECT_NEAR(-130, Month(totaux, filtre, 6, 2024).Total(), 1e-9);
  // An account left out of the filters' global view counts nowhere there.
  user_->CheckModule(user_->GetCompteIndex(dollars), kModuleFiltres, false);
  EXPECT_NEAR(-40, Month(totaux, filtre, 6, 2024).Total(), 1e-9);
}

}  // namespace
