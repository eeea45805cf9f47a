// An account's operations through selections: each subject, split lines,
// encodings, date formulas, and the filter that keeps names between calls.
#include <gtest/gtest.h>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/VYXSelectionCriteria.h"
#include "analysis/VYXSelectionMask.h"

namespace {

using Labels = std::set<std::string>;

class OperationSelectionTest : public AccountSelectionTest {
 protected:
  // A selection of one condition made by `build` in encoding `e`.
  template <class F>
  Labels With(F build, const CPDataEncoding& e = CPMacIntelEncoding) {
    CPOwnedHandle s = NewSelection(e);
    build(s.get(), e);
    EXPECT_TRUE(IsValidSelection(s.get(), e));
    return Selected(s.get(), e);
  }
  static CPString T(const char* utf8) { return N(utf8); }
};

TEST_F(OperationSelectionTest, EachSubjectTestsItsField) {
  auto names = [](CPResourceSet& set, std::vector<const char*> items) {
    std::vector<CPResID> ids;
    for (const char* n : items) ids.push_back(set.GetResourceID(N(n)));
    return ids;
  };
  const Labels all = {"Carrefour courses", "Salaire mars", "Chèque dentiste", "Courses et cinéma",
                      "Cinéma"};
  struct Case {
    const char* what;
    std::function<void(Handle, const CPDataEncoding&)> build;
    Labels expected;
  };
  const Case cases[] = {
      {"montant = -60",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeEqual,
                                  kSignEither, -60, 0);
       },
       {"Chèque dentiste"}},
      {"|montant| = 52,304, arrondi",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeEqual,
                                  kSignEither, 52.304, 0);
       },
       {"Carrefour courses"}},
      {"|montant| entre 12 et 60",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeBetween,
                                  kSignEither, 12, 60);
       },
       {"Carrefour courses", "Chèque dentiste", "Cinéma"}},
      {"crédits",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeNone,
                                  kSignCredits, 0, 0);
       },
       {"Salaire mars"}},
      {"débits d'au plus 52,30",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeAtMost,
                                  kSignDebits, -52.30, 0);
       },
       {"Carrefour courses", "Cinéma"}},
      {"montant au plus -60",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeAtMost,
                                  kSignEither, -60, 0);
       },
       {"Chèque dentiste", "Courses et cinéma"}},
      {"TVA",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantTvaAbs, kSubjectMontantTva, kRangeAtLeast,
                                  kSignEither, 8, 0);
       },
       {"Carrefour courses"}},
      {"date du 05/03 au 15/03",
       [](Handle s, auto& e) {
         AddDateRangeCriteria(s, e, kSelAnd, kSubjectDate, kRangeBetween, T("05/03/24"),
                              T("15/03/24"));
       },
       {"Salaire mars", "Chèque dentiste", "Courses et cinéma"}},
      {"date de valeur le 06/03",
       [](Handle s, auto& e) {
         AddDateRangeCriteria(s, e, kSelAnd, kSubjectDatePointe, kRangeEqual, T("06/03/24"), T(""));
       },
       {"Salaire mars"}},
      {"libellé contient « COURSES »",
       [](Handle s, auto& e) {
         AddStringCriteria(s, e, kSelAnd, kSubjectLibelle, T("COURSES"), kListAny);
       },
       {"Carrefour courses", "Courses et cinéma"}},
      {"libellé égal à « cinema »",
       [](Handle s, auto& e) {
         AddStringCriteria(s, e, kSelAnd, kSubjectLibelle, T("cinema"), kListAny, true);
       },
       {"Cinéma"}},
      {"libellé commence par « Ch »",
       [](Handle s, auto& e) {
         AddStringRangeCriteria(s, e, kSelAnd, kSubjectLibelle, kRangeAtLeast, T("ch"), T(""), 100);
       },
       {"Chèque dentiste"}},
      {"chèque 0000123",
       [](Handle s, auto& e) {
         AddStringRangeCriteria(s, e, kSelAnd, kSubjectCheque, kRangeEqual, T("0000123"), T(""), 8);
       },
       {"Chèque dentiste"}},
      {"relevé 00012",
       [](Handle s, auto& e) {
         AddStringRangeCriteria(s, e, kSelAnd, kSubjectReleve, kRangeEqual, T("00012"), T(""), 6);
       },
       {"Salaire mars"}},
      {"pièce différente de F-2024-01",
       [](Handle s, auto& e) {
         AddStringRangeCriteria(s, e, kSelAnd, kSubjectPiece, kRangeDifferent, T("F-2024-01"),
                                T(""), 13);
       },
       {"Carrefour courses", "Salaire mars", "Chèque dentiste", "Cinéma"}},
      {"statut pointée ou prévue",
       [](Handle s, auto& e) { AddStatusOpCriteria(s, e, kSubjectStatus, true, false, true); },
       {"Salaire mars", "Chèque dentiste"}},
      {"mois d'avril",
       [](Handle s, auto& e) {
         bool m[12] = {};
         m[3] = true;
         AddMonthCriteria(s, e, kSubjectMois, m);
       },
       {"Cinéma"}},
      {"mode Carte par son nom",
       [this, names](Handle s, auto& e) {
         AddResNameListCriteria(s, e, kSubjectMode, compte_->GetModes(),
                                names(compte_->GetModes(), {"Carte"}));
       },
       {"Carrefour courses"}},
      {"mode Chèque par son ID",
       [this, names](Handle s, auto& e) {
         AddResListCriteria(s, e, kSubjectMode, names(compte_->GetModes(), {"Chèque"}));
       },
       {"Chèque dentiste"}},
      {"catégorie Salaire ou Loisirs",
       [this, names](Handle s, auto& e) {
         AddResNameListCriteria(s, e, kSubjectCategorie, compte_->GetCategories(),
                                names(compte_->GetCategories(), {"Salaire", "Loisirs"}));
       },
       {"Salaire mars", "Cinéma"}},
      {"tiers Carrefour",
       [this, names](Handle s, auto& e) {
         AddResNameListCriteria(s, e, kSubjectTiers, compte_->GetTiers(),
                                names(compte_->GetTiers(), {"Carrefour"}));
       },
       {"Carrefour courses"}},
      {"taux de TVA",
       [this, names](Handle s, auto& e) {
         AddResNameListCriteria(s, e, kSubjectTva, compte_->GetTVAs(),
                                names(compte_->GetTVAs(), {"Taux normal"}));
       },
       {"Carrefour courses"}},
      {"affaire sans nom",
       [](Handle s, auto& e) { AddResListCriteria(s, e, kSubjectAffaire, {0}); }, all},
      {"sujet inconnu : passe", [](Handle s, auto& e) { AddBoolCriteria(s, e, 4242, true, false); },
       all},
      {"type refusé : échoue",
       [](Handle s, auto& e) { AddBoolCriteria(s, e, kSubjectMontant, true, false); },
       {}},
      {"catégorie Alimentation, lignes comprises",
       [this, names](Handle s, auto& e) {
         AddResNameListCriteria(s, e, kSubjectCategorie, compte_->GetCategories(),
                                names(compte_->GetCategories(), {"Alimentation"}));
         AddSousOpCriteria(s, e, true);
       },
       {"Carrefour courses", "Courses et cinéma"}},
      {"ligne de 30 du mois de mars : sa date est celle de l'opération",
       [](Handle s, auto& e) {
         AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, kRangeEqual,
                                  kSignEither, 30, 0);
         AddDateRangeCriteria(s, e, kSelAnd, kSubjectDate, kRangeEqual, T("15/03/24"), T(""));
         AddSousOpCriteria(s, e, true);
       },
       {"Courses et cinéma"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(With(c.build), c.expected) << c.what;
    // Written big-endian, the same block selects the same operations.
    EXPECT_EQ(With(c.build, CPMacPowerPCEncoding), c.expected) << c.what << " (gros-boutiste)";
    EXPECT_EQ(With(c.build, CPWindowsEncoding), c.expected) << c.what << " (Windows)";
  }
}

TEST_F(OperationSelectionTest, ASplitLineIsTestedOnItsOwnFields) {
  Operation op;
  VYXDataRef ref = 0;
  ASSERT_TRUE(compte_->FindOperation(7, &op, &ref));  // "Courses et cinéma"
  CPOwnedHandle s = NewSelection(CPMacIntelEncoding);
  AddStringCriteria(s.get(), CPMacIntelEncoding, kSelAnd, kSubjectLibelle, T("ciné"), kListAny);
  std::vector<bool> lines;
  SousOperation line;
  VYXDataRef sousRef = 0;
  for (bool more = compte_->GetFirstSousOperation(op, &line, &sousRef); more;
       more = compte_->GetNextSousOperation(op, &line, &sousRef)) {
    lines.push_back(SousOperationIsSelected(*compte_, op, line, s.get(), CPMacIntelEncoding));
  }
  EXPECT_EQ(lines, (std::vector<bool>{false, true}));
  EXPECT_FALSE(OperationIsSelected(*compte_, op, nullptr, CPMacIntelEncoding));
}

TEST_F(OperationSelectionTest, ADateFormulaFollowsTheClock) {
  auto build = [](Handle s, const CPDataEncoding& e) {
    AddDateRangeCriteria(s, e, kSelAnd, kSubjectDate, kRangeAtLeast, T("DEBUTMOIS()"), T(""));
  };
  {
    VYXPinnedClock march(20, 3, 2024);
    EXPECT_EQ(With(build).size(), 5u);
  }
  VYXPinnedClock april(20, 4, 2024);
  EXPECT_EQ(With(build), Labels{"Cinéma"});
}

TEST_F(OperationSelectionTest, AFilterAnswersAsOperationIsSelectedAndForgetsRenamedNames) {
  VYXSelectionMask mask;
  mask.categories = {Id(user_->GetCategories(), "Alimentation")};
  mask.sousOperations = true;
  StdToP("c", mask.libelle);
  CPOwnedHandle s;
  ASSERT_TRUE(ConvertMaskToSelection(mask, s, CPMacIntelEncoding, *user_));
  VYXOperationFilter filter(*compte_, s.get(), CPMacIntelEncoding);
  auto passing = [&] {
    Labels byFilter;
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte_->GetFirstOperation(&op, &ref); more;
         more = compte_->GetNextOperation(&op, &ref)) {
      if (filter.IsSelected(op)) byFilter.insert(MacRomanToUtf8(PToStd(op.libelle)));
    }
    EXPECT_EQ(byFilter, Selected(s.get(), CPMacIntelEncoding));
    return byFilter;
  };
  EXPECT_EQ(passing(), (Labels{"Carrefour courses", "Courses et cinéma"}));
  // The account's item takes another name: its operations no longer carry the one asked for.
  compte_->GetCategories().SetResourceName(Id(compte_->GetCategories(), "Alimentation"),
                                           N("Épicerie"));
  EXPECT_EQ(passing(), Labels{});
}

}  // namespace
