// The views of an account's lists and the matching of its lists with the
// user file's, over real resource sets in a stream storage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VYXRecordTestSupport.h"
#include "accounts/VYXCategoriesViews.h"
#include "accounts/VYXListMapping.h"
#include "accounts/VYXModesViews.h"
#include "foundation/CPTextEncoding.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPStreamResourceStorage.h"
#include "support/VYXTestSupport.h"

namespace {

using Strings = std::vector<std::string>;

CPString N(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

std::string NameIn(CPResourceSet& set, CPResID id) {
  Str255 name;
  set.GetResourceName(id, name);
  return MacRomanToUtf8(PToStd(name));
}

template <typename T>
Strings Names(CPResourceSet_T<T>& set) {
  Strings out;
  for (int32_t n = 1; n <= set.GetResourcesCount(); ++n) out.push_back(NameIn(set, set.GetNthResource(n, true)));
  return out;
}

// Writes down the 'RSRC' codes (and first value) a view announces.
class Heard : public CPListener {
 public:
  explicit Heard(CPBroadcaster& b) { b.AddListener(this); }
  Strings codes;
  void ListenTo(CPBroadcaster*, OSType, uint32_t code, void* data) override {
    std::string s = std::to_string(code);
    if (data) s += ":" + std::to_string(*static_cast<int16_t*>(data));
    codes.push_back(s);
  }
};

class AccountLists : public ::testing::Test {
 protected:
  Categorie Cat(uint8_t kind, double objectif = 0) {
    Categorie c;
    c.type = kind;
    c.objectif = objectif;
    return c;
  }

  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet orders_{storage_, 'HIER', kCPVariableSize};
  CPSortableResourceSet_T<Categorie> categories_{storage_, 'CATE', orders_, 1001};
};

TEST_F(AccountLists, ACategoryChangingKindLeavesOneViewForTheOther) {
  categories_.AddResource(1, N("Loyer"), Cat(kCategorieDepense));
  categories_.AddResource(2, N("Salaire"), Cat(kCategorieRecette));
  categories_.AddResource(3, N("Remboursement"), Cat(kCategorieDepense));
  VYXCompteDepensesCategoriesSet depenses(categories_);
  VYXCompteRecettesCategoriesSet recettes(categories_);
  VYXCompteEpargneCategoriesSet epargne(categories_);
  EXPECT_EQ((Strings{"Loyer", "Remboursement"}), Names(depenses));
  EXPECT_EQ((Strings{"Salaire"}), Names(recettes));
  EXPECT_EQ(0, epargne.GetResourcesCount());
  Heard heardDepenses(depenses), heardRecettes(recettes), heardEpargne(epargne);

  Categorie c;
  categories_.GetResource(3, &c);
  c.type = kCategorieRecette;
  categories_.SetResource(3, c);
  EXPECT_EQ((Strings{"7:2"}), heardDepenses.codes);
  EXPECT_EQ((Strings{"4:3"}), heardRecettes.codes);
  EXPECT_TRUE(heardEpargne.codes.empty());
  EXPECT_EQ(1, depenses.GetResourcesCount());
  EXPECT_EQ(2, recettes.GetResourcesCount());

  // Removing what a view does not hold says nothing to it.
  heardEpargne.codes.clear();
  categories_.RemoveResource(1);
  EXPECT_TRUE(heardEpargne.codes.empty());
}

TEST_F(AccountLists, TheKindFilterShowsAllOrOneKind) {
  categories_.AddResource(1, N("Loyer"), Cat(kCategorieDepense));
  categories_.AddResource(2, N("Salaire"), Cat(kCategorieRecette));
  categories_.AddResource(3, N("Livret"), Cat(kCategorieEpargne));
  VYXCompteTypeOfCategorieFilterAddOn filter(categories_);
  VYXCompteSubBilan bilan(categories_, kCategorieEpargne);
  EXPECT_EQ(3, filter.GetResourcesCount());
  EXPECT_EQ((Strings{"Livret"}), Names(bilan));
  Heard heard(filter);
  filter.SetKind(kCategorieRecette);
  EXPECT_EQ((Strings{"1"}), heard.codes);
  EXPECT_EQ((Strings{"Salaire"}), Names(filter));
}

TEST_F(AccountLists, PaymentModeViewsFollowTheirBytes) {
  CPSortableResourceSet_T<Mode> modes(storage_, 'MODE', orders_, 1002);
  auto add = [&](CPResID id, const char* name, uint8_t type, bool separe, bool askChequier,
                 CPResID chequier) {
    Mode m;
    m.type = type;
    m.releveSepare = separe;
    m.askForChequier = askChequier;
    m.chequierID = chequier;
    modes.AddResource(id, N(name), m);
  };
  add(1, "Chèque", 1, false, true, 0);
  add(2, "Carte immédiate", 3, false, false, 0);
  add(3, "Carte différée", 2, true, false, 0);
  add(4, "Prélèvement", 5, true, false, 0);
  add(5, "Chéquier 2", 1, false, false, 7);
  VYXCartesResourceSet cartes(modes);
  VYXCartesSepareesResourceSet cartesSeparees(modes);
  VYXCompteRelevesSeparesModes separes(modes);
  VYXModeWithChequierSet chequiers(modes);
  EXPECT_EQ((Strings{"Carte immédiate", "Carte différée"}), Names(cartes));
  EXPECT_EQ((Strings{"Carte différée"}), Names(cartesSeparees));
  EXPECT_EQ((Strings{"Carte différée", "Prélèvement"}), Names(separes));
  EXPECT_EQ((Strings{"Chèque", "Chéquier 2"}), Names(chequiers));
}

class Mapping : public AccountLists {
 protected:
  CPHandleStream userStream_;
  CPStreamResourceStorage userStorage_{userStream_};
  CPResourceSet userOrders_{userStorage_, 'HIER', kCPVariableSize};
  CPSortableResourceSet_T<Categorie> user_{userStorage_, 'CATE', userOrders_, 1001};
};

TEST_F(Mapping, CategoriesAreMatchedByName) {
  user_.AddResource(10, N("Loyer"), Cat(kCategorieDepense, 650));
  user_.AddResource(11, N("Électricité"), Cat(kCategorieDepense, 80));
  categories_.AddResource(-5, N("electricite"), Cat(kCategorieDepense, 1));
  categories_.AddResource(11, N("Divers"), Cat(kCategorieDepense, 2));
  struct Case {
    CPResID userID;
    bool create, update;
    CPResID expected;  // -1: a new ID
    double objectif;   // of the account's record afterwards
  };
  const Case cases[] = {
      {0, true, true, 0, 0},
      {99, true, true, 0, 0},          // not in the user file
      {11, false, false, -5, 1},       // a namesake, in other letters
      {11, false, true, -5, 80},       // refreshed from the user file
      {10, false, false, 0, 0},        // no namesake: the user ID means nothing here
      {10, true, false, -1, 650},      // created under a new ID
  };
  for (const Case& c : cases) {
    CPResID got = UserToCompteCategorie(user_, categories_, c.userID, c.create, c.update);
    if (c.expected == -1) {
      EXPECT_NE(0, got);
      EXPECT_NE(10, got);
      EXPECT_EQ("Loyer", NameIn(categories_, got));
    } else {
      EXPECT_EQ(c.expected, got) << c.userID << c.create << c.update;
    }
    if (got) {
      Categorie record;
      categories_.GetResource(got, &record);
      EXPECT_EQ(c.objectif, V(record.objectif));
    }
  }
  EXPECT_EQ(3, categories_.GetResourcesCount());
  // And back: the account's "electricite" is the user's 11.
  EXPECT_EQ(11, CompteToUserCategorie(categories_, user_, -5, false, false));
  EXPECT_EQ(0, CompteToUserCategorie(categories_, user_, 11, false, false));  // Divers
}

TEST_F(Mapping, ModesCopiedBetweenFilesLoseWhatBelongsToOneAccount) {
  CPSortableResourceSet_T<Mode> compte(storage_, 'MODE', orders_, 1002);
  CPSortableResourceSet_T<Mode> user(userStorage_, 'MODE', userOrders_, 1002);
  Mode card;
  card.type = 2;
  card.chequierID = 3;
  card.virementID = 4;
  card.colorID = 9;
  SetText(card.noCarte, "4970 0000");
  card.expirationCarte = 123456;
  SetText(card.titulaireCarte, "Dupont");
  SetText(card.noAppelCarte, "0800");
  compte.AddResource(7, N("Visa"), card);
  EXPECT_EQ(0, CompteToUserMode(compte, user, 7, false));
  CPResID id = CompteToUserMode(compte, user, 7, true);
  ASSERT_NE(0, id);
  Mode copy;
  user.GetResource(id, &copy);
  EXPECT_EQ(0, V(copy.chequierID));
  EXPECT_EQ(0, V(copy.virementID));
  EXPECT_EQ("", Text(copy.noCarte));
  EXPECT_EQ(0u, V(copy.expirationCarte));
  EXPECT_EQ("", Text(copy.titulaireCarte));
  EXPECT_EQ(9, V(copy.colorID));  // the rest is kept
  EXPECT_EQ(2, copy.type);
  EXPECT_EQ("0800", Text(copy.noAppelCarte));
  // A namesake is answered without being written over.
  card.colorID = 1;
  compte.SetResource(7, card);
  EXPECT_EQ(id, CompteToUserMode(compte, user, 7, true));
  user.GetResource(id, &copy);
  EXPECT_EQ(9, V(copy.colorID));
  EXPECT_EQ(7, UserToCompteMode(user, compte, id, false));
}

}  // namespace
