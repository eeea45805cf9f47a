// Masks: their conversion to selections and back, their stored form, and the
// saved masks of a dossier following its lists.
#include <gtest/gtest.h>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/VYXSelectionMask.h"
#include "foundation/CPErrors.h"
#include "userfile/VYXUserSelections.h"

namespace {

using Labels = std::set<std::string>;

class SelectionMaskTest : public AccountSelectionTest {
 protected:
  Labels Selects(const VYXSelectionMask& mask, const CPDataEncoding& e = CPMacIntelEncoding) {
    CPOwnedHandle s;
    EXPECT_TRUE(ConvertMaskToSelection(mask, s, e, *user_));
    return Selected(s.get(), e);
  }
  CPResID UserId(CPResourceSet& set, const char* name) { return set.GetResourceID(N(name)); }
};

std::vector<unsigned char> Bytes(Handle h) {
  return std::vector<unsigned char>(HandlePtr(h), HandlePtr(h) + GetHandleSize(h));
}

TEST_F(SelectionMaskTest, ADefaultMaskSelectsEverythingWithoutACriterion) {
  VYXSelectionMask mask;
  CPOwnedHandle s;
  ASSERT_TRUE(ConvertMaskToSelection(mask, s, CPMacIntelEncoding, *user_));
  EXPECT_EQ(Bytes(s.get()), (std::vector<unsigned char>{0, 0, 0, 0}));
  EXPECT_EQ(Selects(mask).size(), 5u);
  mask.status[0] = mask.status[1] = mask.status[2] = false;  // no flag: no condition either
  EXPECT_EQ(Selects(mask).size(), 5u);
}

TEST_F(SelectionMaskTest, ConditionsOfTheMask) {
  auto with = [](auto change) {
    VYXSelectionMask m;
    m.sousOperations = false;
    change(m);
    return m;
  };
  const struct {
    const char* what;
    VYXSelectionMask mask;
    Labels expected;
  } cases[] = {
      {"libellé : courses ou dentiste",
       with([](auto& m) { StdToP(Utf8ToMacRoman("courses¬dentiste"), m.libelle); }),
       {"Carrefour courses", "Courses et cinéma", "Chèque dentiste"}},
      {"libellé : courses et cinéma",
       with([](auto& m) {
         StdToP(Utf8ToMacRoman("courses¬cinéma"), m.libelle);
         m.libelleListOp = kListAll;
       }),
       {"Courses et cinéma"}},
      {"libellé d'espaces", with([](auto& m) { StdToP("   ", m.libelle); }), {}},
      {"débits, au plus 60",
       with([](auto& m) {
         m.montantSign = kSignDebits;
         m.montantKind = kRangeAtMost;
         m.montant1 = -60;
       }),
       {"Carrefour courses", "Chèque dentiste", "Cinéma"}},
      {"deux statuts sur trois",
       with([](auto& m) { m.status[2] = false; }),
       {"Carrefour courses", "Chèque dentiste", "Courses et cinéma", "Cinéma"}},
      {"mars seulement",
       with([](auto& m) {
         std::fill(m.months, m.months + 12, false);
         m.months[2] = true;
       }),
       {"Carrefour courses", "Salaire mars", "Chèque dentiste", "Courses et cinéma"}},
      {"date : jusqu'au 05/03",
       with([](auto& m) {
         m.dateKind = kRangeAtMost;
         StdToP("05/03/24", m.date1);
       }),
       {"Carrefour courses", "Salaire mars"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Selects(c.mask), c.expected) << c.what;
    EXPECT_EQ(Selects(c.mask, CPMacPowerPCEncoding), c.expected) << c.what;
  }
}

TEST_F(SelectionMaskTest, AMaskComesBackFromItsSelection) {
  auto with = [](auto change) {
    VYXSelectionMask m;
    change(m);
    return m;
  };
  VYXSelectionMask full = with([this](auto& m) {
    StdToP(Utf8ToMacRoman("courses¬cinéma"), m.libelle);
    m.libelleListOp = kListAll;
    m.montantKind = kRangeBetween;
    m.montant1 = -100;
    m.montant2 = 50.25;
    m.tvaKind = kRangeAtLeast;
    m.tva1 = 1.5;
    m.dateKind = kRangeBetween;
    StdToP("01/03/24", m.date1);
    StdToP("FINMOIS()", m.date2);
    m.status[0] = false;
    m.modes = {UserId(user_->GetModes(), "Carte")};
    m.categories = {UserId(user_->GetCategories(), "Loisirs"),
                    UserId(user_->GetCategories(), "Salaire")};
    m.tiers = {UserId(user_->GetTiers(), "Carrefour")};
    m.tauxTVA = {UserId(user_->GetTauxTVA(), "Taux normal")};
    m.months[0] = m.months[11] = false;
    m.chequeKind = kRangeBetween;
    StdToP("0000100", m.cheque1);
    StdToP("0000200", m.cheque2);
    m.datePointeKind = kRangeEqual;
    StdToP("06/03/24", m.datePointe1);
    m.releveKind = kRangeAtLeast;
    StdToP("12", m.releve1);
    m.pieceKind = kRangeDifferent;
    StdToP("F-1", m.piece1);
  });
  const VYXSelectionMask masks[] = {
      VYXSelectionMask(),
      full,
      with([](auto& m) { m.montantSign = kSignDebits; }),
      with([](auto& m) {
        m.montantSign = kSignCredits;
        m.montantKind = kRangeAtMost;
        m.montant1 = 80;
      }),
      with([](auto& m) {
        m.montantSign = kSignDebits;
        m.montantKind = kRangeAtMost;
        m.montant1 = -80;
      }),
      with([](auto& m) {
        m.montantKind = kRangeOutside;
        m.montant1 = 10;
        m.montant2 = 20;
      }),
      with([](auto& m) {
        StdToP("Cinéma", m.libelle);
        m.libelleExact = true;
        m.sousOperations = false;
      }),
  };
  for (const CPDataEncoding& e : {CPMacIntelEncoding, CPMacPowerPCEncoding}) {
    for (const VYXSelectionMask& mask : masks) {
      CPOwnedHandle s;
      ASSERT_TRUE(ConvertMaskToSelection(mask, s, e, *user_));
      VYXSelectionMask back;
      ASSERT_TRUE(ConvertSelectionToMask(s.get(), e, *user_, &back));
      EXPECT_TRUE(back == mask) << PToStd(back.libelle);
    }
  }
  // Masks that another mask stands for give back that one, which makes the same selection.
  const VYXSelectionMask others[] = {
      with([](auto& m) {
        m.montantSign = kSignDebits;
        m.montantKind = kRangeAtLeast;
        m.montant1 = -30;
      }),
      with([](auto& m) {
        m.montantSign = kSignCredits;
        m.montantKind = kRangeEqual;
        m.montant1 = 30;
      }),
      with([](auto& m) {
        m.montantKind = kRangeBetween;
        m.montant1 = -30;
        m.montant2 = 0;
      }),
  };
  for (const VYXSelectionMask& mask : others) {
    CPOwnedHandle s, again;
    ASSERT_TRUE(ConvertMaskToSelection(mask, s, CPMacIntelEncoding, *user_));
    VYXSelectionMask back;
    ASSERT_TRUE(ConvertSelectionToMask(s.get(), CPMacIntelEncoding, *user_, &back));
    ASSERT_TRUE(ConvertMaskToSelection(back, again, CPMacIntelEncoding, *user_));
    EXPECT_EQ(Bytes(again.get()), Bytes(s.get()));
  }
}

TEST_F(SelectionMaskTest, TheStoredFormReadsBackInEitherByteOrder) {
  VYXSelectionMask mask;
  StdToP(Utf8ToMacRoman("Électricité"), mask.libelle);
  mask.montantKind = kRangeEqual;
  mask.montant1 = -42.5;
  StdToP("DEBUTMOIS()", mask.date1);
  mask.categories = {3, 7};
  mask.affaires = {2};
  mask.libelleExact = true;
  for (const CPDataEncoding& e : {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding}) {
    std::vector<unsigned char> body = VYXEncodeSelectionMask(mask, e);
    EXPECT_EQ(body.size(), kVYXMaskImageSize + 3 * 2 + 2);
    VYXSelectionMask back;
    ASSERT_TRUE(VYXDecodeSelectionMask(body.data(), body.size(), e, &back));
    EXPECT_TRUE(back == mask);
    EXPECT_FALSE(VYXDecodeSelectionMask(body.data(), kVYXMaskImageSize + 3, e, &back));
  }
  std::vector<unsigned char> big = VYXEncodeSelectionMask(mask, CPMacPowerPCEncoding);
  EXPECT_EQ(big[0], 0);  // the version, 4, most significant byte first
  EXPECT_EQ(big[1], 4);
  EXPECT_EQ(big[377], 2);  // two categories
}

TEST_F(SelectionMaskTest, ASavedMaskFollowsRenamesAndDeletionsOfItsItems) {
  CPResID loisirs = UserId(user_->GetCategories(), "Loisirs");
  CPResID salaire = UserId(user_->GetCategories(), "Salaire");
  CPResID divers = UserId(user_->GetCategories(), "Divers");
  VYXSelectionMask mask;
  mask.categories = {loisirs, salaire};
  mask.sousOperations = false;
  VYXAddSavedMask(*user_, N("Revenus et loisirs"), mask);
  EXPECT_CP_CODE(kCPErrAlreadyExists, VYXAddSavedMask(*user_, N("revenus et loisirs"), mask));
  auto saved = [&] {
    VYXSelectionMask m;
    EXPECT_TRUE(VYXReadSavedMask(*user_, N("Revenus et loisirs"), &m));
    return m;
  };
  EXPECT_EQ(Selects(saved()), (Labels{"Salaire mars", "Cinéma"}));

  user_->RenameCategorie(loisirs, N("Sorties"));  // a new name: same item
  EXPECT_EQ(saved().categories, (std::vector<CPResID>{loisirs, salaire}));
  EXPECT_EQ(Selects(saved()), (Labels{"Salaire mars", "Cinéma"}));

  user_->RenameCategorie(divers, N("Sorties"));  // merged into Sorties: named once
  EXPECT_EQ(saved().categories, (std::vector<CPResID>{loisirs, salaire}));
  EXPECT_EQ(Selects(saved()), (Labels{"Salaire mars", "Courses et cinéma", "Cinéma"}));

  user_->RenameCategorie(loisirs, N("Salaire"));  // merged into Salaire
  EXPECT_EQ(saved().categories, std::vector<CPResID>{salaire});

  user_->CategorieToBeDeleted(salaire);
  user_->GetCategories().RemoveResource(salaire);
  EXPECT_TRUE(saved().categories.empty());
  EXPECT_EQ(Selects(saved()).size(), 5u);
}

}  // namespace
