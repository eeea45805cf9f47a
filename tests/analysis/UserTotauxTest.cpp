// The totals of a dossier: its accounts' operations under the dossier's
// items of the same name, in the reference currency, for the accounts each
// global view includes, following accounts as they open and close.
#include <gtest/gtest.h>

#include "analysis/TotauxTestSupport.h"
#include "analysis/VYXUserTotaux.h"

namespace {

class UserTotauxTest : public TotauxTest {
 protected:
  CPResID UserID(const char* name) { return user_->GetCategories().GetResourceID(N(name)); }
  double Cat(VYXUserTotaux& totaux, const char* name, int month, int year) {
    ExtMontantSet set;
    totaux.GetCategorieTotaux(UserID(name), month, year, &set);
    return set.Total();
  }
  // A currency of the dossier: `taux` reference units for one unit.
  void AddDevise(const char* code, double taux) {
    Devise devise;
    devise.taux = taux;
    CPResID id = user_->GetDevises().GetUniqueID();
    user_->GetDevises().AddResource(id, N(code), devise);
  }
};

TEST_F(UserTotauxTest, TwoAccountsInTwoCurrenciesTotalInTheReferenceCurrency) {
  AddDevise("USD", 0.8);
  VYXSDBCompte& euros = NewCompte("Courant");
  VYXSDBCompte& dollars = NewCompte("Dollars", 'USD ');
  // Each account has its own IDs; the names meet in the dossier.
  CPResID eurosLoisirs = Categorie(euros, "Loisirs");
  Categorie(dollars, "Voyages");
  CPResID dollarsLoisirs = Categorie(dollars, "Loisirs");
  ASSERT_NE(eurosLoisirs, dollarsLoisirs);
  Add(euros, Op(-40, eurosLoisirs, 5, 6, 2024));
  Add(dollars, Op(-100, dollarsLoisirs, 7, 6, 2024));

  VYXUserTotaux totaux(*user_);
  EXPECT_NEAR(-120, Cat(totaux, "Loisirs", 6, 2024), 1e-9);
  // Kept current: an operation added in dollars counts converted.
  Add(dollars, Op(-12.5, dollarsLoisirs, 8, 6, 2024));
  EXPECT_NEAR(-130, Cat(totaux, "Loisirs", 6, 2024), 1e-9);
  // The account's own totals stay in its currency.
  ExtMontantSet own;
  VYXCompteTotaux::Of(dollars).GetCategorieTotaux(dollarsLoisirs, 6, 2024, &own);
  EXPECT_DOUBLE_EQ(-112.5, own.Total());
}

TEST_F(UserTotauxTest, AnAccountLeftOutOfTheBalanceSheetCountsNowhereThere) {
  VYXSDBCompte& courant = NewCompte("Courant");
  VYXSDBCompte& pro = NewCompte("Pro");
  Add(courant, Op(-10, Categorie(courant, "Loisirs"), 5, 6, 2024));
  Add(pro, Op(-1000, Categorie(pro, "Loisirs"), 5, 6, 2024));
  VYXUserTotaux totaux(*user_);
  EXPECT_DOUBLE_EQ(-1010, Cat(totaux, "Loisirs", 6, 2024));
  user_->CheckModule(user_->GetCompteIndex(pro), kModuleBilan, false);
  EXPECT_DOUBLE_EQ(-10, Cat(totaux, "Loisirs", 6, 2024));
  // And its changes do not reach the balance sheet's totals.
  Add(pro, Op(-5, Categorie(pro, "Loisirs"), 6, 6, 2024));
  EXPECT_DOUBLE_EQ(-10, Cat(totaux, "Loisirs", 6, 2024));
  user_->CheckModule(user_->GetCompteIndex(pro), kModuleBilan, true);
  EXPECT_DOUBLE_EQ(-1015, Cat(totaux, "Loisirs", 6, 2024));
}

TEST_F(UserTotauxTest, AccountsAreFollowedAsTheyOpenAndClose) {
  VYXSDBCompte& courant = NewCompte("Courant");
  Add(courant, Op(-10, Categorie(courant, "Loisirs"), 5, 6, 2024));
  VYXUserTotaux totaux(*user_);
  EXPECT_DOUBLE_EQ(-10, Cat(totaux, "Loisirs", 6, 2024));
  VYXSDBCompte& livret = NewCompte("Livret");
  EXPECT_EQ(2u, totaux.GetComptes().size());
  Add(livret, Op(-3, Categorie(livret, "Loisirs"), 5, 6, 2024));
  EXPECT_DOUBLE_EQ(-13, Cat(totaux, "Loisirs", 6, 2024));
  livret.Close();
  EXPECT_EQ(1u, totaux.GetComptes().size());
  EXPECT_DOUBLE_EQ(-10, Cat(totaux, "Loisirs", 6, 2024));
  Reopen(livret);
  EXPECT_DOUBLE_EQ(-13, Cat(totaux, "Loisirs", 6, 2024));
}

TEST_F(UserTotauxTest, RenamesAndMergesInTheDossierMoveTheAmounts) {
  VYXSDBCompte& courant = NewCompte("Courant");
  VYXSDBCompte& livret = NewCompte("Livret");
  Add(courant, Op(-10, Categorie(courant, "Loisirs"), 5, 6, 2024));
  Add(livret, Op(-3, Categorie(livret, "Sorties"), 5, 6, 2024));
  Add(livret, Op(-4, Categorie(livret, "Loisirs"), 5, 6, 2024));
  VYXUserTotaux totaux(*user_);
  EXPECT_DOUBLE_EQ(-14, Cat(totaux, "Loisirs", 6, 2024));
  // Renamed where only one account has it; merged where the other has both.
  user_->RenameCategorie(UserID("Sorties"), N("Cinéma").P());
  EXPECT_DOUBLE_EQ(-3, Cat(totaux, "Cinéma", 6, 2024));
  user_->RenameCategorie(UserID("Loisirs"), N("Cinéma").P());
  EXPECT_DOUBLE_EQ(-17, Cat(totaux, "Cinéma", 6, 2024));
  EXPECT_FALSE(user_->GetCategories().ResourceExists(N("Loisirs")));
  EXPECT_DOUBLE_EQ(-17, totaux.GetCategoriesTotal().Total());
}

TEST_F(UserTotauxTest, TheOpeningBalancesOfTheAccountsAddUp) {
  AddDevise("USD", 0.8);
  VYXSDBCompte& euros = NewCompte("Courant");
  VYXSDBCompte& dollars = NewCompte("Dollars", 'USD ');
  MontantSet report;
  report.montant[kOpPointee] = 100;
  euros.SetReportValues(report);
  VYXUserTotaux totaux(*user_);
  dollars.SetReportValues(report);
  EXPECT_DOUBLE_EQ(180, totaux.GetReportValues()[kOpPointee]);
}

}  // namespace
