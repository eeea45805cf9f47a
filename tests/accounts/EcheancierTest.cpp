// The schedule over a real account file: the dates of a series, what opening
// offers and what it makes of the answers, and occurrences never made twice.
#include <cmath>

#include "VYXCompteTestSupport.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXMonthRule.h"

namespace {

struct Day {
  int d, m, y;
  CPDate Date() const { return CPGetDate(d, m, y); }
};

TEST(Schedule, NextDatesKeepTheSeriesDay) {
  struct Case {
    const char* what;
    Day start;
    int periode;
    TimeUnit unit;
    std::vector<Day> expected;
  };
  const Case cases[] = {
      {"the 31st, leap year", {31, 1, 2024}, 1, kTimeMonths,
       {{29, 2, 2024}, {31, 3, 2024}, {30, 4, 2024}, {31, 5, 2024}}},
      {"the 31st, common year", {31, 1, 2023}, 1, kTimeMonths, {{28, 2, 2023}, {31, 3, 2023}}},
      {"the 30th", {30, 12, 2023}, 2, kTimeMonths, {{29, 2, 2024}, {30, 4, 2024}}},
      {"quarterly from 15 November", {15, 11, 2023}, 1, kTimeQuarters, {{15, 2, 2024}, {15, 5, 2024}}},
      {"the 31st quarterly", {31, 8, 2023}, 1, kTimeQuarters,
       {{30, 11, 2023}, {29, 2, 2024}, {31, 5, 2024}}},
      {"29 February yearly", {29, 2, 2024}, 1, kTimeYears,
       {{28, 2, 2025}, {28, 2, 2026}, {28, 2, 2027}, {29, 2, 2028}}},
      {"every two weeks", {20, 12, 2023}, 2, kTimeWeeks, {{3, 1, 2024}, {17, 1, 2024}}},
      {"every 10 days", {25, 2, 2024}, 10, kTimeDays, {{6, 3, 2024}}},
  };
  for (const Case& c : cases) {
    OperationAuto a;
    a.next = c.start.Date();
    a.periode = int16_t(c.periode);
    a.periodeUnit = c.unit;
    for (const Day& want : c.expected) {
      a.SetNextDate();
      EXPECT_EQ(CPDateToStr(want.Date()), CPDateToStr(a.next)) << c.what;
    }
  }
  EXPECT_EQ(CPGetDate(31, 12, 2023), DateOffset(CPGetDate(31, 3, 2024), -1, kTimeQuarters));
  EXPECT_EQ(CPGetDate(15, 3, 2024), DateOffset(CPGetDate(15, 3, 2024), 3, 9)) << "unknown unit";
}

class Echeancier : public CompteFixture {
 protected:
  void SetUp() override { compte_ = Create(); }

  CPResID AddAuto(const char* label, const char* montant, Day next,
                  const std::function<void(OperationAuto&)>& set = {}) {
    OperationAuto a;
    a.next = next.Date();
    SetText(a.libelle, M(label));
    SetText(a.montant, M(montant));
    if (set) set(a);
    CPResID id = compte_->GetOpAutomatiques().GetUniqueID();
    compte_->GetOpAutomatiques().AddResource(id, P(label), a);
    return id;
  }
  std::vector<VYXOpenEvent> Build(Day today) {
    std::vector<VYXOpenEvent> events;
    compte_->BuildOpenEventsArray(true, today.Date(), &events);
    return events;
  }
  static std::vector<std::string> Dates(const std::vector<VYXOpenEvent>& events) {
    std::vector<std::string> dates;
    for (const VYXOpenEvent& e : events) dates.push_back(CPDateToStr(e.date));
    return dates;
  }
  OperationAuto Auto(CPResID id) {
    OperationAuto a;
    EXPECT_TRUE(compte_->GetOpAutomatiques().ReadResource(id, &a));
    return a;
  }

  std::unique_ptr<VYXSDBCompte> compte_;
};

TEST_F(Echeancier, WhatOpeningOffersFollowsLimitsFilterAndAdvance) {
  // Monthly on the 31st from January, due up to 15 April: three occurrences.
  AddAuto("Loyer", "800", {31, 1, 2024});
  // At most three in all, one made already.
  AddAuto("Abonnement", "10", {5, 1, 2024}, [](OperationAuto& a) {
    a.hasNbrLimit = 1;
    a.numberLimit = 3;
    a.number = 1;
  });
  // Not in March.
  AddAuto("Cantine", "40", {10, 1, 2024}, [](OperationAuto& a) { a.SetMonthFilter(3, false); });
  // Two weeks ahead, planned: due 20 April, offered from 6 April.
  AddAuto("Impôts", "300", {20, 4, 2024}, [](OperationAuto& a) {
    a.createBefore = 1;
    a.before = 2;
    a.beforeUnit = kTimeWeeks;
    a.hasDateLimit = 1;
    a.dateLimit = CPGetDate(1, 5, 2024);
  });

  std::vector<VYXOpenEvent> early = Build({5, 4, 2024});
  for (const VYXOpenEvent& e : early) EXPECT_NE("Impôts", MacRomanToUtf8(e.libelle));
  std::vector<VYXOpenEvent> events = Build({6, 4, 2024});
  std::vector<std::string> loyer, abonnement, cantine, impots;
  for (const VYXOpenEvent& e : events) {
    std::string label = MacRomanToUtf8(e.libelle);
    std::string date = CPDateToStr(e.date);
    if (label == "Loyer") loyer.push_back(date);
    if (label == "Abonnement") abonnement.push_back(date);
    if (label == "Cantine") cantine.push_back(date);
    if (label == "Impôts") {
      impots.push_back(date);
      EXPECT_EQ(VYXOpenEvent::kCreateBefore, e.kind);
    } else {
      EXPECT_EQ(VYXOpenEvent::kDue, e.kind);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"31/01/24", "29/02/24", "31/03/24"}), loyer);
  EXPECT_EQ((std::vector<std::string>{"05/01/24", "05/02/24"}), abonnement);
  EXPECT_EQ((std::vector<std::string>{"10/01/24", "10/02/24"}), cantine);
  EXPECT_EQ(std::vector<std::string>{"20/04/24"}, impots);
  EXPECT_TRUE(std::is_sorted(events.begin(), events.end(), sCompareOpenEventsArrayItems));
  EXPECT_EQ(0u, compte_->GetNbOfOperations()) << "building writes nothing";
}

TEST_F(Echeancier, MakingWhatWasAcceptedAndConfirmingItLater) {
  CPResID loyer = AddAuto("Loyer", "800", {31, 1, 2024}, [](OperationAuto& a) {
    a.mois = kVYXMoisSuivant;
  });
  CPResID salaire = AddAuto("Salaire", "2000", {25, 12, 2023}, [](OperationAuto& a) {
    a.debCred = kMontantCredit;
    a.mois = kVYXMoisSuivant;
  });
  CPResID impots = AddAuto("Impôts", "300", {20, 3, 2024}, [](OperationAuto& a) {
    a.createBefore = 1;
    a.before = 1;
    a.beforeUnit = kTimeMonths;
    a.hasNbrLimit = 1;
    a.numberLimit = 1;
  });
  std::vector<VYXOpenEvent> events = Build({29, 2, 2024});
  // Salaire 25/12, 25/01, 25/02; Loyer 31/01, 29/02; Impôts 20/03 ahead.
  ASSERT_EQ(6u, events.size());
  EXPECT_EQ(6, compte_->ApplyOpenEventsArray(&events));
  EXPECT_EQ(6u, compte_->GetNbOfOperations());
  EXPECT_EQ(CPGetDate(31, 3, 2024), Auto(loyer).next);
  EXPECT_EQ(2, Auto(loyer).number);
  EXPECT_EQ(CPGetDate(25, 3, 2024), Auto(salaire).next);
  EXPECT_FALSE(Auto(impots).CanBeGenerated());
  EXPECT_TRUE(Build({29, 2, 2024}).empty()) << "nothing is offered twice";

  Operation op;
  VYXDataRef ref;
  bool december = false;
  for (bool more = compte_->GetFirstOperation(&op, &ref); more;
       more = compte_->GetNextOperation(&op, &ref)) {
    std::string label = MacRomanToUtf8(PToStd(op.libelle));
    if (label == "Salaire" && CPGetMonth(op.date) == 12) {
      december = true;
      EXPECT_EQ(1, op.mois) << "the month after December is January";
      EXPECT_EQ(2000.0, double(op.montant));
    }
    if (label == "Loyer") {
      EXPECT_EQ(-800.0, double(op.montant));
    }
    if (label == "Impôts") {
      EXPECT_EQ(kOpPrevue, op.status);
    }
  }
  EXPECT_TRUE(december);
  ASSERT_EQ(1, compte_->GetOpAutoGenerates().GetResourcesCount());

  // Its date come, the planned operation made ahead is offered for
  // confirmation, and becomes committed.
  std::vector<VYXOpenEvent> later = Build({20, 3, 2024});
  auto confirm = std::find_if(later.begin(), later.end(),
                              [](const VYXOpenEvent& e) { return e.kind == VYXOpenEvent::kConfirm; });
  ASSERT_NE(later.end(), confirm);
  user_.PushYes();
  compte_->HandleOpenEvents(true, CPGetDate(20, 3, 2024));
  EXPECT_EQ(0, compte_->GetOpAutoGenerates().GetResourcesCount());
  for (bool more = compte_->GetFirstOperation(&op, &ref); more;
       more = compte_->GetNextOperation(&op, &ref)) {
    EXPECT_NE(kOpPrevue, op.status) << MacRomanToUtf8(PToStd(op.libelle));
  }
}

TEST_F(Echeancier, AnOccurrenceACutShortRunMadeIsNotMadeAgain) {
  CPResID loyer = AddAuto("Loyer", "800", {31, 1, 2024});
  // The operation of 31 January was written, the automatic operation not moved on.
  Operation made;
  compte_->AutoToOperation(Auto(loyer), loyer, &made, kOpEngagee, true);
  compte_->AddOperation(made, nullptr);
  std::vector<VYXOpenEvent> events = Build({15, 2, 2024});
  EXPECT_TRUE(events.empty());
  events = Build({29, 2, 2024});
  ASSERT_EQ(1u, events.size());
  compte_->ApplyOpenEventsArray(&events);
  EXPECT_EQ(2u, compte_->GetNbOfOperations());
  EXPECT_EQ(CPGetDate(31, 3, 2024), Auto(loyer).next);
}

TEST_F(Echeancier, AmountsAreFormulasAndLabelsTakeTheirVariables) {
  // Read as a bare number, « 700+20 » once made 70 020.
  CPResID loyer = AddAuto("Loyer «NO MOIS»/«ANNEE»", "700+20", {31, 1, 2024});
  CPResID prime = AddAuto("Prime", "HT(119,6;19,6)*2", {31, 1, 2024});
  Operation op;
  compte_->AutoToOperation(Auto(loyer), loyer, &op, kOpEngagee, true);
  EXPECT_EQ(720.0, std::fabs(double(op.montant)));
  std::string label = MacRomanToUtf8(PToStd(op.libelle));
  EXPECT_EQ(std::string::npos, label.find("«")) << label;
  EXPECT_NE(std::string::npos, label.find("2024")) << label;
  compte_->AutoToOperation(Auto(prime), prime, &op, kOpEngagee, true);
  EXPECT_EQ(200.0, std::fabs(double(op.montant)));
}

TEST_F(Echeancier, RefusalsAndFailuresMakeNothing) {
  AddAuto("Loyer", "800", {31, 1, 2024});
  CPResID bad = AddAuto("Formule", "12a", {1, 2, 2024});
  // Refused at opening: nothing made, offered again next time.
  user_.PushNo();
  compte_->HandleOpenEvents(true, CPGetDate(15, 2, 2024));
  EXPECT_EQ(0u, compte_->GetNbOfOperations());
  // The account does not generate at opening.
  compte_->SetGenerateOpAuto(false);
  compte_->HandleOpenEvents(true, CPGetDate(15, 2, 2024));
  EXPECT_EQ(1u, user_.Questions().size());
  // An amount that is no number is said, and its automatic operation gives nothing.
  Operation op;
  EXPECT_CP_CODE(kVYXErrFormule, compte_->AutoToOperation(Auto(bad), bad, &op, kOpEngagee, true));
  EXPECT_EQ(0.0, double(op.montant));
  std::vector<VYXOpenEvent> events = Build({15, 2, 2024});
  EXPECT_EQ(1u, events.size());
}

}  // namespace
