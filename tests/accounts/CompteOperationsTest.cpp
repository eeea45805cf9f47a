// The account document over a real account file: the lock-date rules, the
// sums and balances, split lines and their figures, refusals of bad input,
// and the messages listeners hear.
#include <cmath>
#include <limits>

#include "VYXCompteTestSupport.h"
#include "accounts/VYXCompteErrors.h"
#include "foundation/CPErrors.h"

namespace {

class CompteOperations : public CompteFixture {
 protected:
  void SetUp() override { compte_ = Create(); }

  VYXDataRef Add(Operation op) {
    VYXDataRef ref = 0;
    compte_->AddOperation(op, &ref);
    return ref;
  }
  std::string RefusalText(const std::function<void()>& f, int16_t* code = nullptr) {
    try {
      f();
    } catch (const CPException& e) {
      if (code) *code = e.Code();
      return MacRomanToUtf8(e.Message());
    }
    return "(accepted)";
  }

  std::unique_ptr<VYXSDBCompte> compte_;
};

// ---- lock date

TEST_F(CompteOperations, LockDateOfThirtyFirstJanuary) {
  CPDate jan15 = CPGetDate(15, 1, 2024), jan31 = CPGetDate(31, 1, 2024),
         feb1 = CPGetDate(1, 2, 2024), feb15 = CPGetDate(15, 2, 2024);
  Operation locked = MakeOp("Loyer", -500, kOpPointee, jan15);
  locked.datePointe = jan15;
  VYXDataRef lockedRef = Add(locked);
  compte_->SetLockDate(jan31);
  MontantSet sumsBefore = compte_->GetSumsValues();

  struct Case {
    const char* what;
    CPDate date, datePointe;
    bool accepted;
  };
  const Case adds[] = {
      {"dated and booked on the lock day", jan31, jan31, false},
      {"dated and booked the day after", feb1, feb1, true},
      {"booked date not known", feb1, 0, false},
      {"booked before the lock", feb1, jan31, false},
  };
  for (const Case& c : adds) {
    Operation op = MakeOp("Essai", -1, kOpEngagee, c.date);
    op.datePointe = c.datePointe;
    VYXDataRef ref = 0;
    int16_t code = 0;
    std::string text = RefusalText([&] { compte_->AddOperation(op, &ref); }, &code);
    if (c.accepted) {
      EXPECT_EQ("(accepted)", text) << c.what;
      compte_->DeleteOperation(ref);
    } else {
      EXPECT_EQ(kVYXErrCompteLocked, code) << c.what;
      EXPECT_NE(std::string::npos, text.find("« Essai »")) << text;
      EXPECT_NE(std::string::npos, text.find("verrouillée")) << text;
    }
  }

  // Without a label the refusal names the operation by its date, never « ».
  Operation unlabelled = MakeOp("", -1, kOpEngagee, jan31);
  unlabelled.datePointe = jan31;
  VYXDataRef unusedRef = 0;
  std::string text = RefusalText([&] { compte_->AddOperation(unlabelled, &unusedRef); });
  EXPECT_NE(std::string::npos, text.find("L'opération du 31/01/24 ne peut pas")) << text;

  // The operation of 15 January: what it weighs is locked, its words are not.
  Operation op;
  compte_->GetOperation(lockedRef, &op);
  Operation relabelled = op;
  SetText(relabelled.libelle, "Loyer de janvier");
  relabelled.categorie = 0;
  compte_->ModifyOperation(lockedRef, relabelled);

  Operation richer = relabelled;
  richer.montant = -600;
  Operation moved = relabelled;
  moved.date = feb15;
  for (const Operation* change : {&richer, &moved}) {
    int16_t code = 0;
    std::string text = RefusalText([&] { compte_->ModifyOperation(lockedRef, *change); }, &code);
    EXPECT_EQ(kVYXErrCompteLocked, code);
    EXPECT_NE(std::string::npos, text.find("ne peut pas être modifiée")) << text;
  }
  EXPECT_EQ(kVYXErrCompteLocked,
            VYXCaughtCode([&] { compte_->DeleteOperation(lockedRef); }).value_or(0));

  Operation stored;
  compte_->GetOperation(lockedRef, &stored);
  EXPECT_EQ("Loyer de janvier", Text(stored.libelle));
  EXPECT_EQ(-500.0, V(stored.montant));
  EXPECT_EQ(jan15, V(stored.date));
  EXPECT_EQ(1u, compte_->GetNbOfOperations());
  EXPECT_EQ(V(sumsBefore.montant[kOpPointee]), V(compte_->GetSumsValues().montant[kOpPointee]));
}

TEST_F(CompteOperations, LockedOperationKeepsItsSplitFigures) {
  CPDate jan15 = CPGetDate(15, 1, 2024);
  Operation op = MakeOp("Courses", -80, kOpEngagee, jan15);
  op.datePointe = jan15;
  VYXDataRef ref = Add(op);
  compte_->SetLockDate(CPGetDate(31, 1, 2024));
  compte_->GetOperation(ref, &op);
  SousOperation line(op);
  line.montant = -30;
  EXPECT_EQ(kVYXErrCompteLocked,
            VYXCaughtCode([&] { compte_->AddSousOperation(ref, line, nullptr); }).value_or(0));
  EXPECT_EQ(0u, compte_->GetNbOfSousOperations());
}

// ---- sums and balances

TEST_F(CompteOperations, BalancesAreCumulativeByStatus) {
  Add(MakeOp("Boulangerie", -10, kOpEngagee));
  Add(MakeOp("Salaire", 100, kOpPointee));
  Add(MakeOp("Assurance", -5, kOpPrevue));
  MontantSet soldes = compte_->GetSoldesValues();
  EXPECT_DOUBLE_EQ(100, V(soldes.montant[kOpPointee]));
  EXPECT_DOUBLE_EQ(90, V(soldes.montant[kOpEngagee]));
  EXPECT_DOUBLE_EQ(85, V(soldes.montant[kOpPrevue]));

  MontantSet report;
  report.montant[kOpPointee] = 1000;
  compte_->SetReportValues(report);
  soldes = compte_->GetSoldesValues();
  EXPECT_DOUBLE_EQ(1100, V(soldes.montant[kOpPointee]));
  EXPECT_DOUBLE_EQ(1085, V(soldes.montant[kOpPrevue]));
  EXPECT_DOUBLE_EQ(85, MontantSet_Total(compte_->GetSumsValues()));
}

TEST_F(CompteOperations, StatusChangeMovesTheAmountBetweenSums) {
  VYXDataRef ref = Add(MakeOp("Virement", -42.5, kOpPrevue));
  EXPECT_DOUBLE_EQ(-42.5, V(compte_->GetSumsValues().montant[kOpPrevue]));
  compte_->ClearEditionTotal();

  Operation op;
  compte_->GetOperation(ref, &op);
  op.status = kOpPointee;
  compte_->ModifyOperation(ref, op);
  MontantSet sums = compte_->GetSumsValues();
  EXPECT_DOUBLE_EQ(0, V(sums.montant[kOpPrevue]));
  EXPECT_DOUBLE_EQ(0, V(sums.montant[kOpEngagee]));
  EXPECT_DOUBLE_EQ(-42.5, V(sums.montant[kOpPointee]));
  EXPECT_DOUBLE_EQ(-42.5, compte_->GetPointageTotal().Total());
  EXPECT_DOUBLE_EQ(0, compte_->GetEditionTotal().Total());

  compte_->DeleteOperation(ref);
  EXPECT_DOUBLE_EQ(0, V(compte_->GetSumsValues().montant[kOpPointee]));
  EXPECT_EQ(0u, compte_->GetNbOfOperations());
  // The stored record agrees after every change.
  compte_->Close();
  EXPECT_DOUBLE_EQ(0, V(StoredInfos().total.montant[kOpPointee]));
  EXPECT_EQ(0, V(StoredInfos().nbOfOperations));
}

TEST_F(CompteOperations, OutstandingCardPaymentsFollowTheirMode) {
  Mode carte;
  carte.type = 2;
  carte.debitModeType.Enabled = 1;
  carte.debitModeType.ModeType = kModeTypeDeferred;
  carte.debitModeType.MonthDay = 5;
  carte.debitModeType.StopDay = 25;
  compte_->GetModes().AddResource(7, P("Carte"), carte);
  Operation op = MakeOp("Librairie", -30);
  op.mode = 7;
  VYXDataRef ref = Add(op);
  Add(MakeOp("Espèces", -20));
  EXPECT_DOUBLE_EQ(-30, compte_->GetEncoursCartes());
  compte_->GetOperation(ref, &op);
  op.status = kOpPointee;
  compte_->ModifyOperation(ref, op);
  EXPECT_DOUBLE_EQ(0, compte_->GetEncoursCartes());
}

// ---- split lines

TEST_F(CompteOperations, ThirdSplitLineIsNumberedThreeAndInheritsTheOperationsItems) {
  compte_->GetCategories().AddResource(11, P("Alimentation"), Categorie());
  compte_->GetTiers().AddResource(12, P("Marché"), UserTiers());
  compte_->GetAffaires().AddResource(13, P("Maison"), UserAffaire());
  compte_->GetAffectations().AddResource(14, P("Famille"), Affectation());
  compte_->GetTVAs().AddResource(15, P("Normal"), TauxTVA());
  Operation op = MakeOp("Marché du samedi", -60);
  op.categorie = 11;
  op.tiers = 12;
  op.affaire = 13;
  op.affectation = 14;
  op.tva = 15;
  op.mois = 4;
  VYXDataRef ref = Add(op);

  for (double amount : {-10.0, -20.0}) {
    compte_->GetOperation(ref, &op);
    SousOperation line(op);
    line.montant = amount;
    compte_->AddSousOperation(ref, line, nullptr);
  }
  compte_->GetOperation(ref, &op);
  SousOperation third(op);
  third.montant = -5;
  third.montantTva = -0.82;
  VYXDataRef sousRef = 0;
  compte_->AddSousOperation(ref, third, &sousRef);

  SousOperation stored;
  compte_->GetSousOperation(sousRef, &stored);
  EXPECT_EQ(3u, V(stored.header.dataID));
  EXPECT_EQ(V(op.header.dataID), V(stored.operation));
  EXPECT_EQ(11, V(stored.categorie));
  EXPECT_EQ(12, V(stored.tiers));
  EXPECT_EQ(13, V(stored.affaire));
  EXPECT_EQ(14, V(stored.affectation));
  EXPECT_EQ(15, V(stored.tva));
  EXPECT_EQ(4, V(stored.mois));

  compte_->GetOperation(ref, &op);
  EXPECT_EQ(3, V(op.sousOpsNbr));
  EXPECT_DOUBLE_EQ(-35, V(op.montantSousOp));
  EXPECT_DOUBLE_EQ(-0.82, V(op.montantTvaSousOp));
  // Split lines share the operation's amount out: the sums do not move.
  EXPECT_DOUBLE_EQ(-60, V(compte_->GetSumsValues().montant[kOpEngagee]));
}

TEST_F(CompteOperations, DeletedSplitLinesLeaveTheFileAndNumbersStayUnique) {
  VYXDataRef ref = Add(MakeOp("Courses", -90));
  std::vector<VYXDataRef> lines;
  Operation op;
  for (double amount : {-10.0, -20.0, -30.0}) {
    compte_->GetOperation(ref, &op);
    SousOperation line(op);
    line.montant = amount;
    VYXDataRef sousRef;
    compte_->AddSousOperation(ref, line, &sousRef);
    lines.push_back(sousRef);
  }
  compte_->DeleteSousOperation(ref, lines[0]);
  compte_->GetOperation(ref, &op);
  SousOperation line(op);
  line.montant = -1;
  compte_->AddSousOperation(ref, line, nullptr);  // numbered after 3, not 3 again

  compte_->Close();
  compte_ = Open();
  compte_->GetFirstOperation(&op, &ref);
  std::vector<DataID> numbers;
  double total = 0;
  SousOperation l;
  VYXDataRef at;
  for (bool more = compte_->GetFirstSousOperation(op, &l, &at); more;
       more = compte_->GetNextSousOperation(op, &l, &at)) {
    numbers.push_back(V(l.header.dataID));
    total += l.montant;
  }
  EXPECT_EQ((std::vector<DataID>{2, 3, 4}), numbers);
  EXPECT_EQ(3, V(op.sousOpsNbr));
  EXPECT_DOUBLE_EQ(total, V(op.montantSousOp));

  // Deleting the operation takes its lines with it.
  compte_->DeleteOperation(ref);
  EXPECT_EQ(0u, compte_->GetNbOfSousOperations());
}

// The operation's split figures are those of the lines the table holds,
// whatever a caller puts in a line's header, and stay so once reopened.
TEST_F(CompteOperations, SplitFiguresFollowTheLinesAfterEveryChange) {
  VYXDataRef ref = Add(MakeOp("Travaux", -100));
  auto expectAgree = [&](const char* step, int count, double amount, double tva) {
    Operation op;
    compte_->GetOperation(ref, &op);
    int found = 0;
    double sum = 0, sumTva = 0;
    SousOperation l;
    VYXDataRef at;
    for (bool more = compte_->GetFirstSousOperation(op, &l, &at); more;
         more = compte_->GetNextSousOperation(op, &l, &at)) {
      ++found;
      sum += l.montant;
      sumTva += l.montantTva;
    }
    EXPECT_EQ(count, found) << step;
    EXPECT_EQ(count, V(op.sousOpsNbr)) << step;
    EXPECT_DOUBLE_EQ(amount, sum) << step;
    EXPECT_DOUBLE_EQ(amount, V(op.montantSousOp)) << step;
    EXPECT_DOUBLE_EQ(tva, sumTva) << step;
    EXPECT_DOUBLE_EQ(tva, V(op.montantTvaSousOp)) << step;
  };

  std::vector<VYXDataRef> lines;
  for (double amount : {-30.0, -200.0, 0.0}) {
    Operation op;
    compte_->GetOperation(ref, &op);
    SousOperation line(op);
    line.montant = amount;
    line.montantTva = amount / 10;
    VYXDataRef sousRef;
    compte_->AddSousOperation(ref, line, &sousRef);
    lines.push_back(sousRef);
  }
  expectAgree("added", 3, -230, -23);

  SousOperation line;
  compte_->GetSousOperation(lines[1], &line);
  line.montant = -50;
  line.montantTva = -5;
  compte_->ModifySousOperation(ref, line, lines[1]);
  expectAgree("amount changed", 3, -80, -8);

  // A deleted mark on a modified line cannot be stored: the line stays, and counts.
  compte_->GetSousOperation(lines[0], &line);
  line.header.deleted = 1;
  line.montant = -40;
  line.montantTva = -4;
  compte_->ModifySousOperation(ref, line, lines[0]);
  expectAgree("marked deleted", 3, -90, -9);

  compte_->DeleteSousOperation(ref, lines[2]);
  expectAgree("deleted", 2, -90, -9);

  compte_->Close();
  compte_ = Open();
  Operation op;
  compte_->GetFirstOperation(&op, &ref);
  expectAgree("reopened", 2, -90, -9);
}

// ---- bad input

TEST_F(CompteOperations, BadInputIsRefusedInFrenchAndChangesNothing) {
  compte_->GetCategories().AddResource(11, P("Loisirs"), Categorie());
  VYXDataRef ref = Add(MakeOp("Cinéma", -12));
  compte_->Close();
  compte_ = Open();
  std::string open = FileBytes();

  struct Case {
    const char* what;
    std::function<void(Operation&)> spoil;
    const char* says;
  };
  const Case cases[] = {
      {"amount not a number", [](Operation& o) { o.montant = std::nan(""); },
       "n'est pas un nombre"},
      {"infinite VAT", [](Operation& o) { o.montantTva = std::numeric_limits<double>::infinity(); },
       "n'est pas un nombre"},
      {"no date", [](Operation& o) { o.date = 0; }, "n'existe pas"},
      {"unknown category", [](Operation& o) { o.categorie = 99; }, "liste des catégories"},
      {"unknown payee", [](Operation& o) { o.tiers = 98; }, "liste des tiers"},
      {"month 13", [](Operation& o) { o.mois = 13; }, "entre 1 et 12"},
      {"status 3", [](Operation& o) { o.status = 3; }, "ni prévue"},
  };
  for (const Case& c : cases) {
    Operation op = MakeOp("Théâtre", -30);
    c.spoil(op);
    int16_t code = 0;
    std::string text = RefusalText([&] { compte_->AddOperation(op, nullptr); }, &code);
    EXPECT_EQ(kVYXErrCompteBadData, code) << c.what;
    EXPECT_NE(std::string::npos, text.find(c.says)) << c.what << ": " << text;
    EXPECT_NE(std::string::npos, text.find("Théâtre")) << text;

    compte_->GetFirstOperation(&op, &ref);
    c.spoil(op);
    text = RefusalText([&] { compte_->ModifyOperation(ref, op); }, &code);
    EXPECT_EQ(kVYXErrCompteBadData, code) << c.what;
    EXPECT_NE(std::string::npos, text.find("Cinéma")) << text;
  }
  Operation op;
  compte_->GetFirstOperation(&op, &ref);
  SousOperation line(op);
  line.categorie = 99;
  EXPECT_CP_CODE(kVYXErrCompteBadData, compte_->AddSousOperation(ref, line, nullptr));
  EXPECT_CP_CODE(kVYXErrCompteNoOperation, compte_->GetOperation(ref + 1000, &op));

  EXPECT_EQ(1u, compte_->GetNbOfOperations());
  EXPECT_DOUBLE_EQ(-12, V(compte_->GetSumsValues().montant[kOpEngagee]));
  // Every change is written at once: a refused one left the file as it was.
  EXPECT_EQ(open, FileBytes());
}

// ---- messages

TEST_F(CompteOperations, ListenersHearEveryChangeWithItsRecords) {
  CompteSpy spy;
  compte_->AddListener(&spy);
  VYXDataRef ref = Add(MakeOp("Pharmacie", -15));
  Operation op;
  compte_->GetOperation(ref, &op);
  SetText(op.libelle, "Pharmacie du centre");
  compte_->ModifyOperation(ref, op);
  SousOperation line(op);
  VYXDataRef sousRef;
  compte_->AddSousOperation(ref, line, &sousRef);
  line.montant = -5;
  compte_->ModifySousOperation(ref, line, sousRef);
  compte_->DeleteSousOperation(ref, sousRef);
  compte_->DeleteOperation(ref);
  compte_->SetLockDate(CPGetDate(1, 1, 2024));
  compte_->GetCategories().AddResource(3, P("Santé"), Categorie());

  EXPECT_EQ((std::vector<uint32_t>{kVYXCompteOpAdded, kVYXCompteOpModified, kVYXCompteSousOpAdded,
                                   kVYXCompteSousOpModified, kVYXCompteSousOpDeleted,
                                   kVYXCompteStartBulk, kVYXCompteOpDeleted, kVYXCompteEndBulk,
                                   kVYXCompteLockDateSet, kVYXCompteCategorieAdded}),
            spy.codes);
  EXPECT_EQ("Pharmacie", spy.oldLabels.at(0));
  EXPECT_EQ("Pharmacie du centre", spy.labels.at(1));

  compte_->Close();
  EXPECT_EQ(kVYXCompteBeingClosed, spy.codes.back());
  EXPECT_EQ(1, supervisor_.closings);
}

}  // namespace
