// The cross table's totals by pair of items over a period, and one list's
// totals by month, kept current from the accounts.
#include <gtest/gtest.h>

#include "analysis/TotauxTestSupport.h"
#include "analysis/VYXTotalizer.h"
#include "analysis/VYXUserTotaux.h"

namespace {

class TotalizerTest : public TotauxTest {
 protected:
  void SetUp() override {
    TotauxTest::SetUp();
    compte_ = &NewCompte("Courant");
    loisirs_ = Categorie(*compte_, "Loisirs");
    sante_ = Categorie(*compte_, "Santé");
    maison_ = Affectation(*compte_, "Maison");
    bureau_ = Affectation(*compte_, "Bureau");
  }
  VYXDataRef AddOp(double montant, CPResID cate, CPResID affe, int day, int month, int year,
                   double tva = 0) {
    Operation op = Op(montant, cate, day, month, year, kOpEngagee, tva);
    op.affectation = affe;
    return Add(*compte_, op);
  }

  VYXSDBCompte* compte_ = nullptr;
  CPResID loisirs_ = 0, sante_ = 0, maison_ = 0, bureau_ = 0;
};

TEST_F(TotalizerTest, CrossTotalsCountThePeriodOnlyBoundsIncluded) {
  AddOp(-10, loisirs_, maison_, 1, 11, 2004);
  AddOp(-20, loisirs_, maison_, 15, 2, 2005);
  AddOp(-40, loisirs_, maison_, 1, 3, 2005);  // after the period
  AddOp(-5, sante_, bureau_, 31, 10, 2004);   // before it
  AddOp(-0.00005, sante_, maison_, 1, 12, 2004);
  VYXOperation2ResTotalizer totalizer(kVYXListCategories, kVYXListAffectations);
  totalizer.SetPeriod(11, 2004, 2, 2005);
  totalizer.AddCompte(*compte_);
  EXPECT_DOUBLE_EQ(-30, totalizer.Get(loisirs_, maison_).Total());
  EXPECT_TRUE(totalizer.Get(sante_, bureau_).IsNull());
  // The amount of 0.00005 made no item at all.
  EXPECT_EQ(-1, totalizer.GetArray().Find(sante_, maison_));
  EXPECT_EQ(1, totalizer.GetArray().Count());
}

TEST_F(TotalizerTest, SplitLinesMoveTheirPartEachInItsOwnMonth) {
  VYXOperation2ResTotalizer totalizer(kVYXListCategories, kVYXListAffectations);
  totalizer.SetPeriod(1, 2024, 3, 2024);
  totalizer.AddCompte(*compte_);
  VYXDataRef ref = AddOp(-100, loisirs_, maison_, 10, 3, 2024, -10);
  Operation op;
  compte_->GetOperation(ref, &op);
  SousOperation line(op);
  line.montant = -40;
  line.montantTva = -4;
  line.categorie = sante_;
  line.affectation = bureau_;
  VYXDataRef sousRef = 0;
  compte_->AddSousOperation(ref, line, &sousRef);
  EXPECT_DOUBLE_EQ(-54, totalizer.Get(loisirs_, maison_).Total());
  EXPECT_DOUBLE_EQ(-36, totalizer.Get(sante_, bureau_).Total());
  // A line attributed to a month outside the period leaves it.
  compte_->GetSousOperation(sousRef, &line);
  line.mois = 4;
  compte_->ModifySousOperation(ref, line, sousRef);
  EXPECT_DOUBLE_EQ(-54, totalizer.Get(loisirs_, maison_).Total());
  EXPECT_TRUE(totalizer.Get(sante_, bureau_).IsNull());
  totalizer.SetTTC(true);
  EXPECT_DOUBLE_EQ(-60, totalizer.Get(loisirs_, maison_).Total());
}

TEST_F(TotalizerTest, OneListByMonthOverTheDossier) {
  Devise dollar;
  dollar.taux = 0.5;
  user_->GetDevises().AddResource(user_->GetDevises().GetUniqueID(), N("USD"), dollar);
  VYXSDBCompte& dollars = NewCompte("Dollars", 'USD ');
  CPResID theirMaison = Affectation(dollars, "Maison");
  AddOp(-10, loisirs_, maison_, 5, 6, 2024);
  Operation op = Op(-30, 0, 6, 6, 2024);
  op.affectation = theirMaison;
  Add(dollars, op);
  VYXUserTotaux totaux(*user_);
  VYXOperationResTimeTotalizer totalizer(kVYXListAffectations, &totaux.GetMapping());
  totalizer.AddCompte(*compte_);
  totalizer.AddCompte(dollars);
  CPResID userMaison = user_->GetAffectations().GetResourceID(N("Maison"));
  EXPECT_DOUBLE_EQ(-25, totalizer.Get(userMaison, 6, 2024).Total());
  AddOp(-1, sante_, maison_, 7, 7, 2024);
  EXPECT_DOUBLE_EQ(-1, totalizer.Get(userMaison, 7, 2024).Total());
  // An account that closes leaves the totalizer.
  dollars.Close();
  EXPECT_EQ(1u, totalizer.GetComptes().size());
  EXPECT_DOUBLE_EQ(-10, totalizer.Get(userMaison, 6, 2024).Total());
}

}  // namespace
