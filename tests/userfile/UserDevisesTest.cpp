// The currencies of a user file: the reference currency and the euro set up
// at every opening, and conversions cut to the user's decimals.
#include <gtest/gtest.h>

#include "foundation/CPStrings.h"
#include "userfile/UserFileTestSupport.h"

namespace {

Devise Rates(double taux, double base) {
  Devise d;
  d.taux = taux;
  d.base = base;
  return d;
}

TEST_F(UserFileTest, ANewFileHasOnlyItsReferenceCurrencyTheEuro) {
  for (int pass = 0; pass < 2; ++pass) {
    VYXUserDevisesSet& devises = user_->GetDevises();
    ASSERT_EQ(1, devises.GetResourcesCount());
    ASSERT_TRUE(devises.ResourceExists(1));
    Devise euro;
    devises.GetResource(1, &euro);
    EXPECT_EQ(1.0, double(euro.taux));
    EXPECT_EQ(1.0, double(euro.base));
    EXPECT_EQ("Euro", MacRomanToUtf8(PToStd(euro.monnaie)));
    EXPECT_EQ("€", MacRomanToUtf8(PToStd(euro.symbole)));
    EXPECT_EQ(OSType('EUR '), user_->GetReferenceDevise());
    EXPECT_EQ(1, user_->DeviseCodeToId('EUR '));
    Reopen();  // opening again adds nothing
  }
}

TEST_F(UserFileTest, TheReferenceIsSetRightAtEveryOpening) {
  VYXUserDevisesSet& devises = user_->GetDevises();
  // Rates of the reference that are not 1.
  devises.SetResource(1, Rates(2.0, 3.0));
  Reopen();
  Devise ref;
  user_->GetDevises().GetResource(1, &ref);
  EXPECT_EQ(1.0, double(ref.taux));
  EXPECT_EQ(1.0, double(ref.base));

  // A reference that is not the euro gets a euro beside it: at the fixed rate
  // for a currency the euro replaced, at par for another.
  struct Case {
    const char* reference;
    double euroRate;
  } cases[] = {{"FRF", 6.55957}, {"USD", 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    VYXUserDevisesSet& d = user_->GetDevises();
    if (d.ResourceExists(N("EUR")) && d.GetResourceID(N("EUR")) != 1)
      d.RemoveResource(d.GetResourceID(N("EUR")));
    d.SetResourceName(1, N(c.reference));
    Reopen();
    VYXUserDevisesSet& after = user_->GetDevises();
    EXPECT_EQ(2, after.GetResourcesCount());
    ASSERT_TRUE(after.ResourceExists(N("EUR")));
    Devise euro;
    after.GetResource(after.GetResourceID(N("EUR")), &euro);
    EXPECT_DOUBLE_EQ(c.euroRate, double(euro.taux));
    EXPECT_EQ(1.0, double(euro.base));
  }
}

TEST_F(UserFileTest, AnOldEuroBecomesTheReference) {
  // A file whose reference went missing and whose euro is still called XEU,
  // under another ID, named by an account.
  CPFileRef compte = MakeCompteFile("Courant.cpt");
  user_->AddCompte(compte);
  VYXUserDevisesSet& devises = user_->GetDevises();
  Devise xeu = Rates(1.0, 1.0);
  StdToP("Ecu", xeu.monnaie, 31);
  devises.AddResource(77, N("XEU"), xeu);
  devises.RemoveResource(1);
  UserCompte infos;
  user_->GetCompteInfos(1, &infos);
  infos.deviseID = 77;
  user_->SetCompteInfos(1, infos);

  Reopen();
  VYXUserDevisesSet& after = user_->GetDevises();
  EXPECT_EQ((std::vector<std::string>{"EUR"}), Names(after));
  ASSERT_TRUE(after.ResourceExists(1));
  Devise ref;
  after.GetResource(1, &ref);
  EXPECT_EQ("Ecu", PToStd(ref.monnaie));
  CPResID id = 0;
  user_->GetNthCompte(1, &id);
  EXPECT_EQ(1, user_->GetCompteDeviseID(id));
}

TEST_F(UserFileTest, ConversionsAreCutToTheUsersDecimals) {
  VYXUserDevisesSet& devises = user_->GetDevises();
  devises.AddResource(devises.GetUniqueID(), N("USD"), Rates(0.9, 1.0));
  devises.AddResource(devises.GetUniqueID(), N("CHF"), Rates(1.07, 0.0));  // base 0: the rate alone
  devises.AddResource(devises.GetUniqueID(), N("GBP"), Rates(0.5, 1.0));

  struct Case {
    OSType code;
    int16_t decimals;
    double amount, toReference, fromReference;
  } cases[] = {
      {'EUR ', 2, 12.345, 12.345, 12.345},  // the reference: unchanged, not cut
      {0, 2, 12.345, 12.345, 12.345},       // no currency: the reference
      {'FRF ', 2, 100.0, 15.24, 655.96},    // fixed rates of the euro zone
      {'DEM ', 2, 100.0, 51.13, 195.58},   {'USD ', 2, 10.0, 9.0, 11.11},
      {'CHF ', 2, 10.0, 10.7, 9.35},       {'XYZ ', 2, 10.0, 10.0, 10.0},  // unknown: at par
      {'USD ', 2, 0.00005, 0.0, 0.0},                                      // too small to count
      {'GBP ', 0, 5.0, 3.0, 10.0},  // 2.5 rounds away from zero
      {'GBP ', 0, -5.0, -3.0, -10.0},      {'GBP ', 1, 0.35, 0.2, 0.7},  // 0.175 gives 0.2
      {'USD ', 6, 1.0, 0.9, 1.111111},                                   // beyond 4 decimals: cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CPString::FromType(c.code).Std() + " " + std::to_string(c.decimals));
    user_->SetDecimals(kDecimalsMontants, c.decimals);
    EXPECT_NEAR(c.toReference, user_->DeviseToMontant(c.code, c.amount), 1e-9);
    EXPECT_NEAR(c.fromReference, user_->MontantToDevise(c.code, c.amount), 1e-9);
  }
}

TEST_F(UserFileTest, TheEuroAgainstALegacyReference) {
  user_->GetDevises().SetResourceName(1, N("FRF"));
  Reopen();
  EXPECT_DOUBLE_EQ(6.55957, user_->GetDeviseCoeff('EUR '));
  EXPECT_NEAR(655.96, user_->DeviseToMontant('EUR ', 100.0), 1e-9);
  // Another currency of the zone is not the euro: it needs its own rate.
  EXPECT_EQ(1.0, user_->GetDeviseCoeff('DEM '));
}

}  // namespace
