// What the tests of the totals and the reports share: a dossier in a
// temporary folder with real account files opened under it, operations and
// split lines made in one line, and the categories the tests name.
#ifndef VYX_TESTS_ANALYSIS_TOTAUXTESTSUPPORT_H_
#define VYX_TESTS_ANALYSIS_TOTAUXTESTSUPPORT_H_

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "accounts/VYXSDBCompte.h"
#include "analysis/VYXCompteTotaux.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

inline CPString N(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

// A dossier "Dossier.grp" and its accounts, all closed at the end.
class TotauxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    user_ = std::make_unique<VYXSDBUserPreferences>(dossier_);
    user_->IUserPreferences(true);
  }
  void TearDown() override {
    for (auto& compte : comptes_) {
      if (compte->IsOpen()) compte->Close();
    }
    comptes_.clear();
    if (user_) user_->Close();
  }

  // A new account of the dossier, open; `devise` 0 is the reference currency.
  VYXSDBCompte& NewCompte(const std::string& name, DeviseCode devise = 0) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), name);
    auto compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(true, true, false);
    if (devise) compte->SetCompteDevise(devise);
    user_->AddCompte(file);
    user_->CompteOpened(*compte);
    comptes_.push_back(std::move(compte));
    return *comptes_.back();
  }
  // Closes the account and opens it again from its file.
  VYXSDBCompte& Reopen(VYXSDBCompte& compte) {
    for (auto& c : comptes_) {
      if (c.get() != &compte) continue;
      CPFileRef file;
      c->GetCompteIdentifier(&file);
      c->Close();
      c = std::make_unique<VYXSDBCompte>(*user_, file);
      c->ICompte(false, true, false);
      user_->CompteOpened(*c);
      return *c;
    }
    throw std::logic_error("not an account of the test");
  }

  // A category of the account (and, once the account is checked, of the dossier).
  static CPResID Categorie(VYXCompte& compte, const char* name, uint8_t kind = kCategorieDepense,
                           double objectif = 0) {
    CPResourceSet_T<::Categorie>& set = compte.GetCategories();
    CPString n = N(name);
    if (set.ResourceExists(n)) return set.GetResourceID(n);
    ::Categorie c;
    c.type = kind;
    c.objectif = objectif;
    CPResID id = set.GetUniqueID();
    set.AddResource(id, n, c);
    return id;
  }
  static CPResID Tiers(VYXCompte& compte, const char* name) {
    CPString n = N(name);
    if (compte.GetTiers().ResourceExists(n)) return compte.GetTiers().GetResourceID(n);
    CPResID id = compte.GetTiers().GetUniqueID();
    compte.GetTiers().AddResource(id, n, UserTiers());
    return id;
  }
  static CPResID Affectation(VYXCompte& compte, const char* name) {
    CPString n = N(name);
    auto& set = compte.GetAffectations();
    if (set.ResourceExists(n)) return set.GetResourceID(n);
    CPResID id = set.GetUniqueID();
    set.AddResource(id, n, ::Affectation());
    return id;
  }

  // An operation dated `day`/`month`/`year`, attributed to its own month.
  static Operation Op(double montant, CPResID categorie, int day, int month, int year,
                      OpStatus status = kOpEngagee, double tva = 0) {
    Operation op;
    op.date = CPGetDate(day, month, year);
    op.mois = CPMonth(month);
    op.montant = montant;
    op.montantTva = tva;
    op.categorie = categorie;
    op.status = status;
    return op;
  }
  static VYXDataRef Add(VYXCompte& compte, Operation op) {
    VYXDataRef ref = 0;
    compte.AddOperation(op, &ref);
    return ref;
  }
  static VYXDataRef Split(VYXCompte& compte, VYXDataRef& ref, double montant, CPResID categorie,
                          double tva = 0) {
    Operation op;
    compte.GetOperation(ref, &op);
    SousOperation line(op);
    line.montant = montant;
    line.montantTva = tva;
    line.categorie = categorie;
    VYXDataRef sousRef = 0;
    compte.AddSousOperation(ref, line, &sousRef);
    return sousRef;
  }

  VYXPinnedClock clock_{15, 3, 2024};
  VYXTempDir dir_;
  CPFileRef dossier_ = dir_.Ref("Dossier.grp");
  std::unique_ptr<VYXSDBUserPreferences> user_;
  std::vector<std::unique_ptr<VYXSDBCompte>> comptes_;
  CPScriptedInteraction interaction_;
};

// Every item of two arrays agrees within a cent's hundredth.
inline void ExpectSameTotals(const VYXMonthTotalArray& expected, const VYXMonthTotalArray& got) {
  auto describe = [](const VYXMonthTotalItem& i) {
    return std::to_string(i.id) + " " + std::to_string(i.month) + "/" + std::to_string(i.year);
  };
  // Items that sum to nothing may remain after changes: only non-null ones count.
  std::vector<VYXMonthTotalItem> a, b;
  for (const VYXMonthTotalItem& i : expected) {
    if (!i.montants.IsNull()) a.push_back(i);
  }
  for (const VYXMonthTotalItem& i : got) {
    if (!i.montants.IsNull()) b.push_back(i);
  }
  ASSERT_EQ(a.size(), b.size());
  for (size_t n = 0; n < a.size(); ++n) {
    SCOPED_TRACE(describe(a[n]));
    EXPECT_EQ(describe(a[n]), describe(b[n]));
    for (int s = 0; s < kOpStatusCount; ++s) {
      EXPECT_NEAR(double(a[n].montants.debits.montant[s]), double(b[n].montants.debits.montant[s]),
                  1e-6);
      EXPECT_NEAR(double(a[n].montants.credits.montant[s]),
                  double(b[n].montants.credits.montant[s]), 1e-6);
    }
  }
}

#endif  // VYX_TESTS_ANALYSIS_TOTAUXTESTSUPPORT_H_
