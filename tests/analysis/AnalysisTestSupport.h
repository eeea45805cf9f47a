// A dossier and one of its accounts, opened for real in a temporary folder,
// with a few operations that the selection tests pick from: their labels say
// which is which.
#ifndef VYX_TESTS_ANALYSIS_ANALYSISTESTSUPPORT_H_
#define VYX_TESTS_ANALYSIS_ANALYSISTESTSUPPORT_H_

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "accounts/VYXSDBCompte.h"
#include "analysis/VYXOperationSelection.h"
#include "foundation/CPDates.h"
#include "platform/CPInteraction.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

class AccountSelectionTest : public UserFileTest {
 protected:
  void SetUp() override {
    UserFileTest::SetUp();
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), "Courant");
    compte_ = std::make_unique<VYXSDBCompte>(*user_, file);
    compte_->ICompte(true, true, false);
    user_->AddCompte(file);
    user_->CompteOpened(*compte_);
    for (const char* name : {"Alimentation", "Loisirs", "Salaire", "Divers"}) {
      Add(compte_->GetCategories(), name, Categorie());
    }
    Add(compte_->GetModes(), "Carte", Mode());
    Add(compte_->GetModes(), "Chèque", Mode());
    Add(compte_->GetTiers(), "Carrefour", UserTiers());
    Add(compte_->GetTVAs(), "Taux normal", TauxTVA());

    Op("Carrefour courses", -52.30, 1, 3, 2024, [&](Operation& o) {
      o.categorie = Id(compte_->GetCategories(), "Alimentation");
      o.mode = Id(compte_->GetModes(), "Carte");
      o.tiers = Id(compte_->GetTiers(), "Carrefour");
      o.tva = Id(compte_->GetTVAs(), "Taux normal");
      o.montantTva = -8.57;
    });
    Op("Salaire mars", 2480, 5, 3, 2024, [&](Operation& o) {
      o.categorie = Id(compte_->GetCategories(), "Salaire");
      o.status = kOpPointee;
      StdToP("12", o.releve, 5);
      o.datePointe = CPGetDate(6, 3, 2024);
    });
    Op("Chèque dentiste", -60, 10, 3, 2024, [&](Operation& o) {
      o.mode = Id(compte_->GetModes(), "Chèque");
      StdToP("123", o.noCheque, 7);
      o.status = kOpPrevue;
    });
    VYXDataRef ref = Op("Courses et cinéma", -100, 15, 3, 2024, [&](Operation& o) {
      o.categorie = Id(compte_->GetCategories(), "Divers");
      StdToP("F-2024-01", o.noPiece, 12);
    });
    Line(ref, "Courses", -70, "Alimentation");
    Line(ref, "Cinéma", -30, "Loisirs");
    Op("Cinéma", -12, 2, 4, 2024, [&](Operation& o) {
      o.categorie = Id(compte_->GetCategories(), "Loisirs");
      o.mois = 4;
    });
  }
  void TearDown() override {
    if (compte_) compte_->Close();
    compte_.reset();
  }

  template <class T>
  static CPResID Add(CPResourceSet_T<T>& set, const char* name, const T& record) {
    CPResID id = set.GetUniqueID();
    set.AddResource(id, N(name), record);
    return id;
  }
  static CPResID Id(CPResourceSet& set, const char* name) { return set.GetResourceID(N(name)); }

  template <class F>
  VYXDataRef Op(const char* label, double montant, int day, int month, int year, F fill) {
    Operation op;
    StdToP(Utf8ToMacRoman(label), op.libelle, 99);
    op.montant = montant;
    op.date = CPGetDate(day, month, year);
    op.datePointe = op.date;
    op.mois = CPMonth(month);
    fill(op);
    VYXDataRef ref = 0;
    compte_->AddOperation(op, &ref);
    return ref;
  }
  void Line(VYXDataRef& ref, const char* label, double montant, const char* categorie) {
    Operation op;
    compte_->GetOperation(ref, &op);
    SousOperation line(op);
    StdToP(Utf8ToMacRoman(label), line.libelle, 99);
    line.montant = montant;
    line.categorie = Id(compte_->GetCategories(), categorie);
    VYXDataRef sousRef = 0;
    compte_->AddSousOperation(ref, line, &sousRef);
  }

  // The labels (UTF-8) of the operations the selection takes.
  std::set<std::string> Selected(Handle selection, const CPDataEncoding& e) {
    std::set<std::string> labels;
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte_->GetFirstOperation(&op, &ref); more;
         more = compte_->GetNextOperation(&op, &ref)) {
      if (OperationIsSelected(*compte_, op, selection, e)) {
        labels.insert(MacRomanToUtf8(PToStd(op.libelle)));
      }
    }
    return labels;
  }

  CPScriptedInteraction nobody_;
  std::unique_ptr<VYXSDBCompte> compte_;
};

#endif  // VYX_TESTS_ANALYSIS_ANALYSISTESTSUPPORT_H_
