// Selections decoded once against the same selections walked at each test:
// a few hundred selections made at random from the subjects, comparators,
// operators, parameter types and shapes a block can hold, well formed or
// damaged, must select the same operations and split lines both ways; and the
// programs kept between calls must notice what changes their answers.
#include <gtest/gtest.h>

#include <random>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/VYXSelectionCriteria.h"
#include "analysis/VYXSelectionProgram.h"
#include "app/VYXContainer.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

using Labels = std::set<std::string>;

class SelectionProgramTest : public AccountSelectionTest {
 protected:
  using Rng = std::mt19937;

  static int Pick(Rng& rng, int n) { return int(rng() % unsigned(n)); }

  // Texts a criterion on `subject` may hold; any of them for another subject.
  static std::vector<const char*> Texts(CPSelectionSubject subject) {
    switch (subject) {
      case kSubjectLibelle:
        return {"ciné", "COURSES", " courses ", "Carrefour courses", "mars", ""};
      case kSubjectCheque:
        return {"123", "0000123", "12", "", "1234567"};
      case kSubjectReleve:
        return {"12", "00012", "1", ""};
      case kSubjectPiece:
        return {"F-2024", "F-2024-01", "2024", ""};
      case kSubjectDate:
      case kSubjectDatePointe:
        return {"05/03/24", "15/03", "DEBUTMOIS()", "DATE()-30", "", "mars"};
      default:
        return {"Alimentation", "Loisirs", "Carte", "Chèque", "Carrefour", "Taux normal",
                "Salaire",      "",        "ciné",  "123",    "12",        "15/03"};
    }
  }

  // A value of any type, or most of the time of the type that `subject` takes.
  CPOwnedHandle Value(Rng& rng, const CPDataEncoding& e, int depth, CPSelectionSubject subject) {
    static const double kAmounts[] = {-60, 52.30, 52.304, -100, 0, 12, 2480, -8.57, 30, -70};
    int kind = Pick(rng, depth < 2 ? 10 : 9);
    if (Pick(rng, 3)) kind = Fitting(subject, kind);
    switch (kind) {
      case 0:
        return NewSelectionParamBoolean(Pick(rng, 2) != 0, e);
      case 1:
        return NewSelectionParamStatus(uint8_t(Pick(rng, 3)), e);
      case 2:
        return NewSelectionParamMonth(int16_t(Pick(rng, 13)), e);
      case 3:
        return NewSelectionParamDate(CPGetDate(1 + Pick(rng, 28), 3 + Pick(rng, 2), 2024), e);
      case 4:
        return NewSelectionParamCents(kAmounts[Pick(rng, 10)], e);
      case 5:
        return NewSelectionParamDouble(kAmounts[Pick(rng, 10)], e);
      case 6:
        return NewSelectionParamResID(int16_t(Pick(rng, 7)), e);
      case 7:
      case 8: {
        std::vector<const char*> texts = Texts(subject);
        CPString text = N(texts[Pick(rng, int(texts.size()))]);
        return NewSelectionParamString(text, e, Pick(rng, 3) ? 0 : 1 + Pick(rng, 12));
      }
      default: {
        CPOwnedHandle nested = Selection(rng, e, depth + 1);
        return NewSelectionParam(kParamSelection, nested.get(), e);
      }
    }
  }

  // The kind of value (as Value numbers them) that `subject` takes.
  static int Fitting(CPSelectionSubject subject, int otherwise) {
    switch (subject) {
      case kSubjectDate:
      case kSubjectDatePointe:
        return otherwise % 2 ? 3 : 7;
      case kSubjectStatus:
        return 1;
      case kSubjectMois:
        return 2;
      case kSubjectMontant:
      case kSubjectMontantAbs:
      case kSubjectMontantTva:
      case kSubjectMontantTvaAbs:
        return otherwise % 2 ? 4 : 5;
      case kSubjectLibelle:
      case kSubjectCheque:
      case kSubjectReleve:
      case kSubjectPiece:
        return 7;
      case kSubjectSousOperations:
        return otherwise;
      default:
        return otherwise % 2 ? 6 : 7;
    }
  }

  CPOwnedHandle Param(Rng& rng, const CPDataEncoding& e, int depth, CPSelectionSubject subject) {
    switch (Pick(rng, 4)) {
      case 0: {
        CPOwnedHandle list = NewSelectionList(CPSelectionListOperator(Pick(rng, 3)), e);
        for (int n = Pick(rng, 4); n > 0; --n) {
          AddSelectionParamToList(list.get(), e, Value(rng, e, depth, subject).get());
        }
        return NewSelectionParam(kParamList, list.get(), e);
      }
      case 1: {
        CPOwnedHandle range = NewSelectionRange(Pick(rng, 2) != 0, e);
        AddSelectionParamToRange(range.get(), e, Value(rng, e, depth, subject).get());
        AddSelectionParamToRange(range.get(), e, Value(rng, e, depth, subject).get());
        return NewSelectionParam(kParamRange, range.get(), e);
      }
      default:
        return Value(rng, e, depth, subject);
    }
  }

  CPOwnedHandle Selection(Rng& rng, const CPDataEncoding& e, int depth = 0) {
    static const CPSelectionSubject kSubjects[] = {
        kSubjectDate,       kSubjectLibelle,     kSubjectMontant,        kSubjectMode,
        kSubjectCheque,     kSubjectStatus,      kSubjectDatePointe,     kSubjectReleve,
        kSubjectMontantAbs, kSubjectTva,         kSubjectMontantTva,     kSubjectMontantTvaAbs,
        kSubjectPiece,      kSubjectCategorie,   kSubjectMois,           kSubjectTiers,
        kSubjectAffaire,    kSubjectAffectation, kSubjectSousOperations, 4242};
    CPOwnedHandle s = NewSelection(e);
    for (int n = Pick(rng, 5); n > 0; --n) {
      CPSelectionSubject subject = kSubjects[Pick(rng, int(std::size(kSubjects)))];
      CPOwnedHandle param = Param(rng, e, depth, subject);
      CPOwnedHandle c =
          NewSelectionCriteria(CPSelectionOperator(Pick(rng, 4)), subject, Pick(rng, 3) == 0,
                               CPSelectionComparator(Pick(rng, 8)), param.get(), e);
      AddCriteriaToSelection(s.get(), e, c.get());
    }
    return s;
  }

  // What the walk and the programs answer for each operation and each split
  // line, as "walk/program/filter/free function" letters.
  std::string Answers(Handle s, const CPDataEncoding& e) {
    int16_t decimals = gUserPrefs ? gUserPrefs->GetDecimals(kDecimalsMontants) : 2;
    VYXSelectionProgram program(*compte_, s, e, decimals);
    VYXOperationFilter filter(*compte_, s, e);
    std::string out;
    auto mark = [&](bool walk, bool a, bool b, bool c) {
      out += walk ? 'o' : 'n';
      if (a != walk || b != walk || c != walk) out += "≠";
    };
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte_->GetFirstOperation(&op, &ref); more;
         more = compte_->GetNextOperation(&op, &ref)) {
      mark(OperationIsSelectedByWalk(*compte_, op, s, e, decimals), program.Selects(op),
           filter.IsSelected(op), OperationIsSelected(*compte_, op, s, e));
      SousOperation line;
      VYXDataRef lineRef = 0;
      for (bool l = compte_->GetFirstSousOperation(op, &line, &lineRef); l;
           l = compte_->GetNextSousOperation(op, &line, &lineRef)) {
        mark(SousOperationIsSelectedByWalk(*compte_, op, line, s, e, decimals),
             program.Selects(op, line), filter.IsSelected(op, line),
             SousOperationIsSelected(*compte_, op, line, s, e));
      }
    }
    return out;
  }

  VYXPinnedClock clock_{20, 3, 2024};
};

TEST_F(SelectionProgramTest, ProgramsAnswerAsTheWalkOnRandomSelections) {
  Rng rng(20240320);
  int selecting = 0, rejecting = 0;
  for (int i = 0; i < 400; ++i) {
    for (const CPDataEncoding& e : {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding}) {
      CPOwnedHandle s = Selection(rng, e);
      std::string answers = Answers(s.get(), e);
      ASSERT_EQ(answers.find("≠"), std::string::npos) << "sélection " << i << " : " << answers;
      if (answers.find('o') != std::string::npos) ++selecting;
      if (answers.find('n') != std::string::npos) ++rejecting;

      // Cut short and with a byte changed, as a block read from a damaged file.
      size_t size = GetHandleSize(s.get());
      if (size > 4) {
        HandlePtr(s.get())[4 + Pick(rng, int(size - 4))] ^= uint8_t(1 << Pick(rng, 8));
        SetHandleSize(s.get(), size_t(Pick(rng, int(size))));
        answers = Answers(s.get(), e);
        ASSERT_EQ(answers.find("≠"), std::string::npos) << "sélection abîmée " << i;
      }
    }
  }
  // The table is worth something only if it both takes and leaves operations.
  EXPECT_GT(selecting, 100);
  EXPECT_GT(rejecting, 100);
}

TEST_F(SelectionProgramTest, AKeptProgramFollowsTheBlockTheListsAndTheAccount) {
  CPOwnedHandle s = NewSelection(CPMacIntelEncoding);
  AddResNameListCriteria(s.get(), CPMacIntelEncoding, kSubjectCategorie, compte_->GetCategories(),
                         {Id(compte_->GetCategories(), "Loisirs")});
  EXPECT_EQ(Selected(s.get(), CPMacIntelEncoding), Labels({"Cinéma"}));

  // The same block changed in place.
  CPOwnedHandle other = NewSelection(CPMacIntelEncoding);
  AddResNameListCriteria(other.get(), CPMacIntelEncoding, kSubjectCategorie,
                         compte_->GetCategories(), {Id(compte_->GetCategories(), "Salaire")});
  SetHandleSize(s.get(), GetHandleSize(other.get()));
  std::memcpy(HandlePtr(s.get()), HandlePtr(other.get()), GetHandleSize(other.get()));
  EXPECT_EQ(Selected(s.get(), CPMacIntelEncoding), Labels({"Salaire mars"}));

  // An item renamed, then another one given the name asked for.
  compte_->GetCategories().SetResourceName(Id(compte_->GetCategories(), "Salaire"), N("Paie"));
  EXPECT_EQ(Selected(s.get(), CPMacIntelEncoding), Labels{});
  compte_->GetCategories().SetResourceName(Id(compte_->GetCategories(), "Loisirs"), N("Salaire"));
  EXPECT_EQ(Selected(s.get(), CPMacIntelEncoding), Labels({"Cinéma"}));

  // Another account opened where this one lived: its own names count.
  compte_->Close();
  compte_.reset();
  CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), "Épargne");
  compte_ = std::make_unique<VYXSDBCompte>(*user_, file);
  compte_->ICompte(true, true, false);
  CPResID salaire = Add(compte_->GetCategories(), "Salaire", Categorie());
  Op("Virement", 100, 1, 3, 2024, [&](Operation& o) { o.categorie = salaire; });
  EXPECT_EQ(Selected(s.get(), CPMacIntelEncoding), Labels({"Virement"}));
}

}  // namespace
