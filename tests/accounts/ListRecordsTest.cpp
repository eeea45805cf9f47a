// The records of the lists that an account and the user file share, through
// their encodings.
#include <gtest/gtest.h>

#include "VYXRecordTestSupport.h"
#include "accounts/Affectation.h"
#include "accounts/Categorie.h"
#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"

namespace {

const CPDataEncoding kEncodings[] = {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding};

template <typename T>
void ExpectRoundTrip(const T& record) {
  for (const CPDataEncoding& e : kEncodings) {
    T copy = record;
    copy.Encode(e);
    copy.Decode(e);
    EXPECT_EQ(BytesOf(record), BytesOf(copy)) << int(e.integerEncoding) << int(e.stringEncoding);
  }
}

TEST(ListRecords, DefaultsAreThoseOfANewItem) {
  Categorie c;
  EXPECT_EQ(kCategorieDepense, c.type);
  EXPECT_EQ(0.0, V(c.objectif));
  TauxTVA t;
  EXPECT_EQ(19.6, V(t.taux));
  EXPECT_EQ(1, t.utilisation);
  EXPECT_EQ(1, t.typeTaux);
  EXPECT_EQ(1, t.typeTVA);
  EXPECT_EQ(0, t.immo);
  EXPECT_TRUE(t.IsVente());
  UserTiers tiers;
  EXPECT_EQ(0, tiers.type);
  EXPECT_FALSE(tiers.HasLivraison());
  EXPECT_EQ(std::vector<unsigned char>(1464, 0), BytesOf(tiers));
}

TEST(ListRecords, EveryRecordComesBackUnchangedFromEachEncoding) {
  Categorie c;
  c.type = kCategorieRecette;
  c.objectif = 1234.5;
  c.colorID = -3;
  SetText(c.noCompte, "706000");
  c.noti = 1;
  ExpectRoundTrip(c);
  Affectation a;
  a.objectif = -2.5;
  a.colorID = 4;
  ExpectRoundTrip(a);
  UserAffaire affaire;
  affaire.objectif = 7;
  ExpectRoundTrip(affaire);
  TauxTVA t;
  SetText(t.noCompte, "445710");
  ExpectRoundTrip(t);
  UserTiers tiers;
  tiers.type = kTiersClient;
  tiers.objectif = 99.99;
  tiers.remise = 5;
  SetText(tiers.facturation.societe, "Caf\x8E du Port");
  SetText(tiers.livraison.ville, "Saint-\x83tienne");
  SetText(tiers.conditions, std::string(255, 'c'));
  SetText(tiers.banqueCle, "42");
  ExpectRoundTrip(tiers);
}

TEST(ListRecords, BigEndianImagesPutFieldsWhereTheFilesHaveThem) {
  BigEndianImage img(38);
  img.U8(0, kCategorieEpargne);
  img.F64(10, 500.25);
  img.U16(18, 7);
  img.Str(20, "512");
  img.U8(36, 1);
  Categorie c = img.As<Categorie>();
  c.Decode(CPMacPowerPCEncoding);
  EXPECT_EQ(kCategorieEpargne, c.type);
  EXPECT_EQ(500.25, V(c.objectif));
  EXPECT_EQ(7, V(c.colorID));
  EXPECT_EQ("512", Text(c.noCompte));
  EXPECT_EQ(1, c.noex);

  BigEndianImage tiersImg(1464);
  tiersImg.U8(0, kTiersAssocie);
  tiersImg.F64(18, 10.0);
  tiersImg.U16(28, 15);
  tiersImg.Str(378, "Entrep\x99t");
  tiersImg.Str(1160, "a@b.fr");
  tiersImg.Str(1458, "07");
  tiersImg.U8(1461, 1);
  UserTiers tiers = tiersImg.As<UserTiers>();
  tiers.Decode(CPMacPowerPCEncoding);
  EXPECT_EQ(kTiersAssocie, tiers.type);
  EXPECT_EQ(10.0, V(tiers.objectif));
  EXPECT_EQ(15, V(tiers.remise));
  EXPECT_TRUE(tiers.HasLivraison());
  EXPECT_EQ("Entrep\x99t", Text(tiers.livraison.societe));
  EXPECT_EQ("a@b.fr", Text(tiers.email));
  EXPECT_EQ("07", Text(tiers.banqueCle));
  EXPECT_EQ(1, tiers.option);
}

TEST(ListRecords, WindowsTextIsConvertedBothWays) {
  TauxTVA t;
  SetText(t.noCompte, "\x8E");  // é in MacRoman
  t.Encode(CPWindowsEncoding);
  EXPECT_EQ("\xE9", Text(t.noCompte));
  t.Decode(CPWindowsEncoding);
  EXPECT_EQ("\x8E", Text(t.noCompte));
}

}  // namespace
