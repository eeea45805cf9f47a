// The views of the user file's lists over real resource sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CPTextEncoding.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPStreamResourceStorage.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXUserViews.h"

namespace {

using Strings = std::vector<std::string>;

CPString N(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

Strings Names(CPResourceSet& set) {
  Strings out;
  for (int32_t n = 1; n <= set.GetResourcesCount(); ++n) {
    Str255 name;
    set.GetResourceName(set.GetNthResource(n, true), name);
    out.push_back(MacRomanToUtf8(PToStd(name)));
  }
  return out;
}

class UserViews : public ::testing::Test {
 protected:
  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet orders_{storage_, 'HIER', kCPVariableSize};
};

TEST_F(UserViews, ThirdPartiesByKind) {
  CPSortableResourceSet_T<UserTiers> tiers(storage_, 'CLFO', orders_, 1016);
  const std::pair<const char*, uint8_t> cards[] = {
      {"Durand SA", kTiersClient},  {"EDF", kTiersFournisseur}, {"Martin", kTiersEmploye},
      {"Dupont", kTiersAssocie},    {"Banque", 4},              {"Inconnu", 0},
      {"Bricolage", kTiersClient},
  };
  for (const auto& [name, kind] : cards) {
    UserTiers t;
    t.type = kind;
    tiers.AddResource(tiers.GetUniqueID(), N(name), t);
  }
  VYXUserClientsSet clients(tiers);
  VYXUserFournisseursSet fournisseurs(tiers);
  VYXUserEmployesSet employes(tiers);
  VYXUserAssociesSet associes(tiers);
  VYXUserSubTiersResourceSet kind4(tiers, 4);
  VYXUserTypeOfTiersFilterAddOn all(tiers);
  EXPECT_EQ((Strings{"Durand SA", "Bricolage"}), Names(clients));
  EXPECT_EQ((Strings{"EDF"}), Names(fournisseurs));
  EXPECT_EQ((Strings{"Martin"}), Names(employes));
  EXPECT_EQ((Strings{"Dupont"}), Names(associes));
  EXPECT_EQ((Strings{"Banque"}), Names(kind4));
  EXPECT_EQ(7, all.GetResourcesCount());
  all.SetKind(kTiersFournisseur);
  EXPECT_EQ((Strings{"EDF"}), Names(all));
}

TEST_F(UserViews, SalesRatesCategoriesAndCurrencies) {
  CPSortableResourceSet_T<TauxTVA> rates(storage_, 'TVA ', orders_, 1004);
  for (uint8_t use = 0; use <= 4; ++use) {
    TauxTVA t;
    t.utilisation = use;
    rates.AddResource(CPResID(use + 1), N("taux " + std::to_string(use)), t);
  }
  VYXVenteTauxTVASubResourceSet ventes(rates);
  EXPECT_EQ((Strings{"taux 1", "taux 2", "taux 3"}), Names(ventes));

  CPSortableResourceSet_T<Categorie> categories(storage_, 'CATE', orders_, 1001);
  Categorie c;
  c.type = kCategorieEpargne;
  categories.AddResource(1, N("Livret A"), c);
  c.type = kCategorieRecette;
  categories.AddResource(2, N("Salaire"), c);
  VYXUserEpargneCategoriesSet epargne(categories);
  VYXUserRecettesCategoriesSet recettes(categories);
  VYXUserDepensesCategoriesSet depenses(categories);
  EXPECT_EQ((Strings{"Livret A"}), Names(epargne));
  EXPECT_EQ((Strings{"Salaire"}), Names(recettes));
  EXPECT_EQ(0, depenses.GetResourcesCount());

  CPSortableResourceSet_T<Devise> devises(storage_, 'DEVI', orders_, 1005);
  Devise euro;
  StdToP("Euro", euro.monnaie);
  devises.AddResource(1, N("EUR"), euro);
  Devise franc;
  franc.taux = 6.55957;
  devises.AddResource(2, N("FRF"), franc);
  VYXUserMonnaiesSet monnaies(devises);
  EXPECT_EQ((Strings{"EUR", "FRF"}), Names(monnaies));
  Devise read;
  monnaies.GetResource(2, &read);
  EXPECT_EQ(6.55957, double(read.taux));
}

TEST(Devise, ComesBackUnchangedFromEachEncoding) {
  Devise d;
  d.taux = 0.15;
  d.base = 100;
  StdToP(Utf8ToMacRoman("Franc français"), d.monnaie, 31);
  StdToP("F", d.symbole, 4);
  for (const CPDataEncoding& e : {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding}) {
    Devise copy = d;
    copy.Encode(e);
    if (e == CPMacPowerPCEncoding) {
      const unsigned char* b = reinterpret_cast<const unsigned char*>(&copy);
      EXPECT_EQ(0x3F, b[0]);  // 0.15 big-endian: 3F C3 33 33 ...
      EXPECT_EQ(0xC3, b[1]);
    }
    copy.Decode(e);
    EXPECT_EQ(0, std::memcmp(&copy, &d, sizeof d));
  }
}

}  // namespace
