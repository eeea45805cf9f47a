// The totals of one account, kept current from the account's own messages:
// what each operation and split line brings, and that after any sequence of
// changes they equal a count made afresh from the operations.
#include <gtest/gtest.h>

#include <random>

#include "analysis/TotauxTestSupport.h"
#include "analysis/VYXAnalysisErrors.h"
#include "analysis/VYXSelectionMask.h"
#include "analysis/VYXUserTotaux.h"

namespace {

// Writes down the 'TOTO' messages a totals object sends.
class TotauxSpy : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    if (category != kVYXTotauxMessage) return;
    codes.push_back(code);
    if (code == kTotauxCategorieChanged) keys.push_back(*static_cast<VYXTotauxKey*>(data));
  }
  std::vector<uint32_t> codes;
  std::vector<VYXTotauxKey> keys;
};

class CompteTotauxTest : public TotauxTest {
 protected:
  void SetUp() override {
    TotauxTest::SetUp();
    VYXCompteTotaux::Install();
    compte_ = &NewCompte("Courant");
    a_ = Categorie(*compte_, "Alimentation");
    b_ = Categorie(*compte_, "Loisirs");
    c_ = Categorie(*compte_, "Santé");
    // Saved filters of the dossier, so that every change below also moves
    // their totals: by category (split lines tested on their own), by
    // amount, by status without the split lines, by month.
    VYXSelectionMask loisirs;
    loisirs.categories = {user_->GetCategories().GetResourceID(N("Loisirs"))};
    VYXAddSavedMask(*user_, N("Loisirs").P(), loisirs);
    VYXSelectionMask gros;
    gros.montantKind = kRangeAtLeast;
    gros.montantSign = kSignDebits;
    gros.montant1 = 50;
    VYXAddSavedMask(*user_, N("Gros débits").P(), gros);
    VYXSelectionMask pointees;
    pointees.status[kOpPrevue] = pointees.status[kOpEngagee] = false;
    pointees.sousOperations = false;
    VYXAddSavedMask(*user_, N("Pointées").P(), pointees);
    VYXSelectionMask mai;
    for (bool& m : mai.months) m = false;
    mai.months[4] = true;
    VYXAddSavedMask(*user_, N("Mai").P(), mai);
  }
  void TearDown() override {
    TotauxTest::TearDown();
    VYXSetCompteTotauxMaker(nullptr);
  }
  VYXCompteTotaux& Totaux() { return VYXCompteTotaux::Of(*compte_); }
  ExtMontantSet Cat(CPResID id, int month, int year) {
    ExtMontantSet set;
    Totaux().GetCategorieTotaux(id, month, year, &set);
    return set;
  }
  // The engine's arrays against an engine that counts the account afresh.
  void ExpectEqualsRecount() {
    VYXCompteTotaux fresh(*compte_);
    fresh.Preload();
    VYXCompteTotaux& kept = Totaux();
    ExpectSameTotals(fresh.GetCategoriesArray(), kept.GetCategoriesArray());
    ExpectSameTotals(fresh.GetTiersArray(), kept.GetTiersArray());
    ExpectSameTotals(fresh.GetAffairesArray(), kept.GetAffairesArray());
    ExpectSameTotals(fresh.GetPostesArray(), kept.GetPostesArray());
    ExpectSameTotals(fresh.GetFiltresArray(), kept.GetFiltresArray());
    EXPECT_NEAR(fresh.GetTresorCumul(kTresorFinal).SoldeAu(CPGetDate(1, 1, 2030)),
                kept.GetTresorCumul(kTresorFinal).SoldeAu(CPGetDate(1, 1, 2030)), 1e-6);
    EXPECT_NEAR(fresh.GetTresorCumul(kTresorEnBanque).SoldeAu(CPGetDate(1, 1, 2030)),
                kept.GetTresorCumul(kTresorEnBanque).SoldeAu(CPGetDate(1, 1, 2030)), 1e-6);
  }

  VYXSDBCompte* compte_ = nullptr;
  CPResID a_ = 0, b_ = 0, c_ = 0;
};

TEST_F(CompteTotauxTest, TheAccountBuildsItsEngineAsItOpens) {
  ASSERT_NE(nullptr, compte_->GetTotaux());
  EXPECT_NE(nullptr, dynamic_cast<VYXCompteTotaux*>(compte_->GetTotaux()));
  VYXSDBCompte& again = Reopen(*compte_);
  EXPECT_NE(nullptr, again.GetTotaux());
  // What the opening read is counted on the way; the rest waits until asked for.
  VYXCompteTotaux& totaux = VYXCompteTotaux::Of(again);
  EXPECT_TRUE(totaux.IsLoaded(kTotauxCategories));
  EXPECT_TRUE(totaux.IsLoaded(kTotauxTiers));
  EXPECT_TRUE(totaux.IsLoaded(kTotauxAffaires));
  EXPECT_FALSE(totaux.IsLoaded(kTotauxPostes));
  EXPECT_FALSE(totaux.IsLoaded(kTotauxFiltres));
  EXPECT_FALSE(totaux.IsLoaded(kTotauxTresor));
}

TEST_F(CompteTotauxTest, AnOperationCountsItsNetAmountInTheSlotOfItsStatusAndMonth) {
  Add(*compte_, Op(-100.00, a_, 10, 3, 2024, kOpPointee, -19.60));
  ExtMontantSet set = Cat(a_, 3, 2024);
  EXPECT_NEAR(-80.40, double(set.debits.montant[kOpPointee]), 1e-9);
  EXPECT_EQ(0.0, double(set.debits.montant[kOpEngagee]));
  EXPECT_TRUE(set.credits.IsNull());
  EXPECT_TRUE(Cat(a_, 4, 2024).IsNull());
  EXPECT_NEAR(-80.40, Totaux().GetCategoriesTotal().Total(), 1e-9);
  // A zero amount makes no item.
  Add(*compte_, Op(0, b_, 10, 3, 2024));
  EXPECT_EQ(1, Totaux().GetCategoriesArray().Count());
}

TEST_F(CompteTotauxTest, AMonthOfAttributionCountsInTheNearestYear) {
  Operation op = Op(-60, a_, 5, 1, 2024);
  op.mois = 12;  // January's payment for last December
  Add(*compte_, op);
  EXPECT_DOUBLE_EQ(-60, Cat(a_, 12, 2023).Total());
  EXPECT_TRUE(Cat(a_, 12, 2024).IsNull());
}

TEST_F(CompteTotauxTest, SplitLinesMoveTheirPartToTheirOwnCategory) {
  VYXDataRef ref = Add(*compte_, Op(-100, a_, 10, 3, 2024));
  VYXDataRef line = Split(*compte_, ref, -30, b_);
  EXPECT_DOUBLE_EQ(-70, Cat(a_, 3, 2024).Total());
  EXPECT_DOUBLE_EQ(-30, Cat(b_, 3, 2024).Total());
  // The grand total counts the operation once.
  EXPECT_DOUBLE_EQ(-100, Totaux().GetCategoriesTotal().Total());
  compte_->DeleteSousOperation(ref, line);
  EXPECT_DOUBLE_EQ(-100, Cat(a_, 3, 2024).Total());
  EXPECT_TRUE(Cat(b_, 3, 2024).IsNull());
}

TEST_F(CompteTotauxTest, ThirdPartiesWithVATMoveTheVATWithTheSplitLine) {
  CPResID dupont = Tiers(*compte_, "Dupont"), martin = Tiers(*compte_, "Martin");
  Operation op = Op(-120, a_, 10, 3, 2024, kOpEngagee, -20);
  op.tiers = dupont;
  VYXDataRef ref = Add(*compte_, op);
  Operation stored;
  compte_->GetOperation(ref, &stored);
  SousOperation line(stored);
  line.montant = -60;
  line.montantTva = -10;
  line.tiers = martin;
  VYXDataRef sousRef = 0;
  compte_->AddSousOperation(ref, line, &sousRef);

  auto tiers = [&](CPResID id) {
    ExtMontantSet set;
    Totaux().GetTiersTotaux(id, 3, 2024, &set);
    return set.Total();
  };
  // Net of VAT: -100 on the operation, of which -50 moves.
  EXPECT_DOUBLE_EQ(-50, tiers(dupont));
  EXPECT_DOUBLE_EQ(-50, tiers(martin));
  Totaux().SetTiersTTC(true);
  EXPECT_DOUBLE_EQ(-60, tiers(dupont));
  EXPECT_DOUBLE_EQ(-60, tiers(martin));
  // Cases keep their own setting.
  EXPECT_FALSE(Totaux().GetAffairesTTC());
}

TEST_F(CompteTotauxTest, ChangesAreAnnouncedWithTheKeyTheyTouched) {
  VYXCompteTotaux& totaux = Totaux();
  totaux.PreloadModule(kTotauxCategories);
  TotauxSpy spy;
  totaux.AddListener(&spy);
  VYXDataRef ref = Add(*compte_, Op(-10, a_, 31, 1, 2024));
  ASSERT_EQ(1u, spy.keys.size());
  EXPECT_EQ(1, spy.keys[0].month);
  EXPECT_EQ(2024, spy.keys[0].year);
  EXPECT_EQ(a_, spy.keys[0].id);
  EXPECT_EQ(kTotauxOperationChanged, spy.codes.back());
  spy.keys.clear();
  Operation op;
  compte_->GetOperation(ref, &op);
  op.date = CPGetDate(1, 2, 2024);
  op.mois = 2;
  compte_->ModifyOperation(ref, op);
  ASSERT_EQ(2u, spy.keys.size());  // out of January, into February
  EXPECT_EQ(1, spy.keys[0].month);
  EXPECT_EQ(2, spy.keys[1].month);
  totaux.RemoveListener(&spy);
}

TEST_F(CompteTotauxTest, EveryChangeKeepsTheTotalsEqualToAFreshCount) {
  CPResID dupont = Tiers(*compte_, "Dupont");
  Totaux().Preload();
  VYXDataRef r1 = Add(*compte_, Op(-100, a_, 10, 3, 2024));
  VYXDataRef r2 = Add(*compte_, Op(250, c_, 28, 2, 2024, kOpPrevue, 41));
  VYXDataRef r3 = Add(*compte_, Op(-80, b_, 30, 4, 2024, kOpPointee));
  VYXDataRef l1 = Split(*compte_, r1, -30, b_);
  Split(*compte_, r1, -20, c_, -3);
  ExpectEqualsRecount();
  ASSERT_FALSE(Totaux().GetFiltresArray().IsEmpty());

  struct Change {
    const char* what;
    std::function<void(Operation&)> edit;
  } changes[] = {
      {"amount", [](Operation& op) { op.montant = -140; }},
      {"date across months",
       [](Operation& op) {
         op.date = CPGetDate(2, 5, 2024);
         op.mois = 5;
       }},
      {"status", [](Operation& op) { op.status = kOpPointee; }},
      {"category", [&](Operation& op) { op.categorie = c_; }},
      {"third party", [&](Operation& op) { op.tiers = dupont; }},
      {"sign", [](Operation& op) { op.montant = 55; }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    for (VYXDataRef* ref : {&r1, &r2, &r3}) {
      Operation op;
      compte_->GetOperation(*ref, &op);
      change.edit(op);
      compte_->ModifyOperation(*ref, op);
    }
    ExpectEqualsRecount();
  }

  SousOperation line;
  compte_->GetSousOperation(l1, &line);
  line.montant = -45;
  line.categorie = a_;
  line.mois = 6;
  compte_->ModifySousOperation(r1, line, l1);
  ExpectEqualsRecount();
  compte_->DeleteSousOperation(r1, l1);
  ExpectEqualsRecount();
  compte_->DeleteOperation(r1);  // its last line goes with it
  compte_->DeleteOperation(r3);
  ExpectEqualsRecount();
  // What remains: r2 alone, modified by every change above.
  Operation left;
  compte_->GetOperation(r2, &left);
  EXPECT_DOUBLE_EQ(55 - 41, Cat(c_, 5, 2024).Total());
}

TEST_F(CompteTotauxTest, ARandomSequenceOfChangesEqualsAFreshCount) {
  std::mt19937 random(20240315);
  CPResID categories[] = {0, a_, b_, c_};
  std::vector<VYXDataRef> refs;
  Totaux().Preload();
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  for (int step = 0; step < 300; ++step) {
    int what = refs.empty() ? 0 : pick(5);
    if (what == 0) {
      Operation op = Op(pick(2) ? -(pick(20000) / 100.0) : pick(20000) / 100.0, categories[pick(4)],
                        1 + pick(28), 1 + pick(12), 2023 + pick(2), OpStatus(pick(3)),
                        pick(3) == 0 ? -(pick(500) / 100.0) : 0);
      op.mois = CPMonth(1 + pick(12));
      refs.push_back(Add(*compte_, op));
    } else if (what == 1) {
      VYXDataRef& ref = refs[size_t(pick(int(refs.size())))];
      Operation op;
      compte_->GetOperation(ref, &op);
      op.montant = double(op.montant) + pick(1000) / 100.0 - 5;
      op.categorie = categories[pick(4)];
      op.status = OpStatus(pick(3));
      op.date = CPGetDate(1 + pick(28), 1 + pick(12), 2023 + pick(2));
      compte_->ModifyOperation(ref, op);
    } else if (what == 2) {
      VYXDataRef& ref = refs[size_t(pick(int(refs.size())))];
      Split(*compte_, ref, -(pick(5000) / 100.0), categories[pick(4)], -(pick(100) / 100.0));
    } else if (what == 3) {
      VYXDataRef& ref = refs[size_t(pick(int(refs.size())))];
      Operation op;
      compte_->GetOperation(ref, &op);
      SousOperation line;
      VYXDataRef sousRef = 0;
      if (compte_->GetFirstSousOperation(op, &line, &sousRef)) {
        if (pick(2)) {
          compte_->DeleteSousOperation(ref, sousRef);
        } else {
          line.montant = -(pick(5000) / 100.0);
          line.mois = CPMonth(1 + pick(12));
          line.categorie = categories[pick(4)];
          compte_->ModifySousOperation(ref, line, sousRef);
        }
      }
    } else {
      size_t at = size_t(pick(int(refs.size())));
      compte_->DeleteOperation(refs[at]);
      refs.erase(refs.begin() + long(at));
    }
  }
  ExpectEqualsRecount();
  // The same operations counted while the account opens again, from its
  // records as they lie in the file, lines before or after their operation.
  compte_ = &Reopen(*compte_);
  ASSERT_TRUE(Totaux().IsLoaded(kTotauxCategories));
  ExpectEqualsRecount();
}

TEST_F(CompteTotauxTest, TheOpeningCountsEveryOperationAndLineAsAFreshCountDoes) {
  CPResID dupont = Tiers(*compte_, "Dupont"), martin = Tiers(*compte_, "Martin");
  CPResID chantier = 0;
  {
    auto& affaires = compte_->GetAffaires();
    chantier = affaires.GetUniqueID();
    affaires.AddResource(chantier, N("Chantier"), UserAffaire());
  }
  Operation january = Op(-60, a_, 5, 1, 2024, kOpPointee, -10);
  january.mois = 12;  // counts for December 2023
  january.tiers = dupont;
  VYXDataRef r1 = Add(*compte_, january);
  Operation sale = Op(300, c_, 20, 6, 2024, kOpPrevue, 49.16);
  sale.affaire = chantier;
  VYXDataRef r2 = Add(*compte_, sale);
  Add(*compte_, Op(0, b_, 1, 2, 2024));   // no item
  Add(*compte_, Op(-12, 0, 1, 2, 2024));  // the row without a category
  // Lines of other items and months; one deleted, one credit within a debit.
  Split(*compte_, r1, -20, b_, -2);
  VYXDataRef gone = Split(*compte_, r1, -5, c_);
  VYXDataRef moved = Split(*compte_, r2, 100, a_);
  SousOperation line;
  compte_->GetSousOperation(moved, &line);
  line.mois = 7;
  line.tiers = martin;
  compte_->ModifySousOperation(r2, line, moved);
  compte_->DeleteSousOperation(r1, gone);
  Split(*compte_, r1, 4, c_);
  // An operation rewritten after its lines were added.
  Operation op;
  compte_->GetOperation(r1, &op);
  op.status = kOpEngagee;
  compte_->ModifyOperation(r1, op);

  // Counted while the account opens, then by the engine when first asked (as
  // for the commands that show no totals): the same figures.
  for (bool countAtOpening : {true, false}) {
    SCOPED_TRACE(countAtOpening);
    VYXCompteTotaux::Install(countAtOpening);
    compte_ = &Reopen(*compte_);
    EXPECT_NEAR(-60 + 10 + 18 - 4, Cat(a_, 12, 2023).Total(), 1e-9);
    EXPECT_NEAR(-12, Cat(0, 2, 2024).Total(), 1e-9);
    EXPECT_NEAR(-18, Cat(b_, 12, 2023).Total(), 1e-9);
    EXPECT_NEAR(100, Cat(a_, 7, 2024).Total(), 1e-9);
    ExpectEqualsRecount();
  }
}

TEST_F(CompteTotauxTest, TheDossierSumsItsAccountsTotalsAsACountOfTheirOperationsWould) {
  Devise usd;
  usd.taux = 0.8;
  user_->GetDevises().AddResource(user_->GetDevises().GetUniqueID(), N("USD"), usd);
  VYXSDBCompte& dollars = NewCompte("Dollars", 'USD ');
  VYXSDBCompte& livret = NewCompte("Livret");
  VYXUserPostesSet& postes = user_->GetPostes();
  CPResID maison = postes.GetUniqueID();
  postes.AddResource(maison, N("Maison"), Poste(), CPArray_T<BudgetItem>());
  std::mt19937 random(20240612);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  for (VYXSDBCompte* compte : {compte_, &dollars, &livret}) {
    // Each account has its own IDs, in another order; the names meet in the dossier.
    const char* names[] = {"Santé", "Loisirs", "Alimentation", "Voyages"};
    CPResID ids[] = {0, 0, 0, 0, 0};
    for (int n = 0; n < 4; ++n) ids[n + 1] = Categorie(*compte, names[n]);
    CPResID tiers[] = {0, Tiers(*compte, "Dupont"), Tiers(*compte, "Martin")};
    for (int i = 0; i < 60; ++i) {
      Operation op = Op(pick(2) ? -(pick(20000) / 100.0) : pick(20000) / 100.0, ids[pick(5)],
                        1 + pick(28), 1 + pick(12), 2023 + pick(2), OpStatus(pick(3)));
      op.tiers = tiers[pick(3)];
      VYXDataRef ref = Add(*compte, op);
      if (pick(4) == 0) Split(*compte, ref, -(pick(5000) / 100.0), ids[pick(5)]);
    }
  }
  user_->SetCategoriePoste(user_->GetCategories().GetResourceID(N("Loisirs")), maison);
  user_->SetCategoriePoste(user_->GetCategories().GetResourceID(N("Voyages")), maison);
  compte_ = &Reopen(*compte_);
  Reopen(livret);

  VYXUserTotaux summed(*user_);
  summed.Preload();
  // Accounts without an engine of their own: the dossier counts their operations.
  for (auto& compte : comptes_) compte->SetTotaux(nullptr);
  VYXUserTotaux counted(*user_);
  counted.Preload();
  ExpectSameTotals(counted.GetCategoriesArray(), summed.GetCategoriesArray());
  ExpectSameTotals(counted.GetPostesArray(), summed.GetPostesArray());
  ExpectSameTotals(counted.GetTiersArray(), summed.GetTiersArray());
  ExpectSameTotals(counted.GetAffairesArray(), summed.GetAffairesArray());
  EXPECT_NEAR(counted.GetCategoriesTotal().Total(), summed.GetCategoriesTotal().Total(), 1e-6);
  ASSERT_FALSE(summed.GetPostesArray().IsEmpty());
}

TEST_F(CompteTotauxTest, AListItemDeletedTakesItsItemsAwayAndARenameChangesNothing) {
  Add(*compte_, Op(-10, b_, 10, 3, 2024));
  Add(*compte_, Op(-5, a_, 10, 3, 2024));
  VYXCompteTotaux& totaux = Totaux();
  totaux.PreloadModule(kTotauxCategories);
  compte_->RenameCategorie(b_, N("Sorties").P());
  EXPECT_DOUBLE_EQ(-10, Cat(b_, 3, 2024).Total());
  // Renaming into another item's name merges the two: the amounts follow.
  compte_->RenameCategorie(b_, N("Alimentation").P());
  EXPECT_DOUBLE_EQ(-15, Cat(a_, 3, 2024).Total());
  EXPECT_TRUE(Cat(b_, 3, 2024).IsNull());
  EXPECT_EQ(-1, totaux.GetCategoriesArray().Find(3, 2024, b_));
}

TEST_F(CompteTotauxTest, PostsGatherTheirCategoriesFromTheDossier) {
  VYXUserPostesSet& postes = user_->GetPostes();
  CPResID maison = postes.GetUniqueID();
  postes.AddResource(maison, N("Maison"), Poste(), CPArray_T<BudgetItem>());
  CPResID userA = user_->GetCategories().GetResourceID(N("Alimentation"));
  CPResID userC = user_->GetCategories().GetResourceID(N("Santé"));
  user_->SetCategoriePoste(userA, maison);
  Add(*compte_, Op(-10, a_, 10, 3, 2024));
  Add(*compte_, Op(-7, b_, 10, 3, 2024));
  ExtMontantSet set;
  Totaux().GetPosteTotaux(maison, 3, 2024, &set);
  EXPECT_DOUBLE_EQ(-10, set.Total());
  // Filing another category under the post counts it from then on.
  user_->SetCategoriePoste(userC, maison);
  Add(*compte_, Op(-4, c_, 11, 3, 2024));
  Totaux().GetPosteTotaux(maison, 3, 2024, &set);
  EXPECT_DOUBLE_EQ(-14, set.Total());
}

TEST_F(CompteTotauxTest, CashFlowSeparatesWhatTheBankBookedFromTheRest) {
  Operation cleared = Op(-50, a_, 10, 3, 2024, kOpPointee);
  cleared.datePointe = CPGetDate(12, 3, 2024);
  Add(*compte_, cleared);
  Add(*compte_, Op(1000, c_, 1, 3, 2024, kOpEngagee));
  Add(*compte_, Op(-30, b_, 20, 3, 2024, kOpPrevue));
  VYXCompteTotaux& totaux = Totaux();
  EXPECT_DOUBLE_EQ(0, totaux.GetTresorCumul(kTresorEnBanque).SoldeAu(CPGetDate(11, 3, 2024)));
  EXPECT_DOUBLE_EQ(-50, totaux.GetTresorCumul(kTresorEnBanque).SoldeAu(CPGetDate(12, 3, 2024)));
  EXPECT_DOUBLE_EQ(970, totaux.GetTresorCumul(kTresorReel).SoldeAu(CPGetDate(31, 3, 2024)));
  EXPECT_DOUBLE_EQ(950, totaux.GetTresorCumul(kTresorFinal).SoldeAu(CPGetDate(19, 3, 2024)));
  EXPECT_DOUBLE_EQ(920, totaux.GetTresorCumul(kTresorFinal).SoldeAu(CPGetDate(20, 3, 2024)));
  EXPECT_DOUBLE_EQ(1000, totaux.GetTresorCumul(kTresorFinal).SoldeAu(CPGetDate(9, 3, 2024)));
}

TEST_F(CompteTotauxTest, TheSavedFormReadsBackAndRefusesWhatIsNotIt) {
  VYXDataRef ref = Add(*compte_, Op(-100, a_, 10, 3, 2024, kOpPointee, -19.6));
  Split(*compte_, ref, -30, b_);
  Operation titre = Op(-500, 0, 12, 3, 2024);
  titre.isATitre = 1;
  titre.quantity = 10;
  Add(*compte_, titre);
  VYXCompteTotaux& totaux = Totaux();
  totaux.Preload();
  CPArray preload(4);
  int32_t item = 77;
  preload.AddItem(&item);
  totaux.SetPreloadListArray(preload);

  for (CPDataEncoding encoding : {CPMacIntelEncoding, CPMacPowerPCEncoding}) {
    CPHandleStream stream;
    totaux.PutTo(stream, encoding);
    stream.SetMarker(0, kCPFromStart);
    VYXCompteTotaux back(*compte_);
    back.GetFrom(stream, encoding);
    EXPECT_TRUE(back.IsLoaded(kTotauxCategories));
    ExpectSameTotals(totaux.GetCategoriesArray(), back.GetCategoriesArray());
    EXPECT_NEAR(-580.4, back.GetCategoriesTotal().Total(), 1e-9);
    ASSERT_EQ(1, back.GetTitresArray().Count());
    EXPECT_DOUBLE_EQ(10, double(back.GetTitresArray()[0].quantity));
    CPArray list(1);
    EXPECT_TRUE(back.GetPreloadListArray(&list));
    EXPECT_EQ(1, list.Count());
    EXPECT_FALSE(back.GetPreloadListArray(&list));  // handed out once
  }

  CPHandleStream stream;
  totaux.PutTo(stream, CPMacIntelEncoding);
  VYXCompteTotaux other(*compte_);
  // Another version: a bare code; a marker that does not match: the message.
  stream.Data()[0] = 4;
  stream.SetMarker(0, kCPFromStart);
  EXPECT_CP_CODE(kVYXErrTotauxVersion, other.GetFrom(stream, CPMacIntelEncoding));
  stream.Data()[0] = 3;
  stream.Data()[4 + 48] ^= 0xFF;
  stream.SetMarker(0, kCPFromStart);
  EXPECT_CP_CODE(kVYXErrTotauxDamaged, other.GetFrom(stream, CPMacIntelEncoding));
  EXPECT_FALSE(other.IsLoaded(kTotauxCategories));
  // Read in the wrong byte order, the version itself does not match.
  stream.Data()[4 + 48] ^= 0xFF;
  stream.SetMarker(0, kCPFromStart);
  EXPECT_CP_CODE(kVYXErrTotauxVersion, other.GetFrom(stream, CPMacPowerPCEncoding));
}

}  // namespace
