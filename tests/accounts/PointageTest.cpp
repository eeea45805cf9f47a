// Reconciliation over a real account file: the last reconciliation date and
// the questions other features ask of it, clearing a selection (and undoing
// it) under the lock date, bank dates put back in order after a card's rule
// changed, and the statements the cleared operations form.
#include "VYXCompteTestSupport.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXPointage.h"

namespace {

class Pointage : public CompteFixture {
 protected:
  void SetUp() override { compte_ = Create(); }

  DataID Add(const char* label, double montant, OpStatus status, CPDate date, CPDate bank = 0,
             CPResID mode = 0, const char* releve = "") {
    Operation op = MakeOp(label, montant, status, date);
    op.datePointe = bank;
    op.mode = mode;
    StdToP(releve, op.releve);
    VYXDataRef ref = 0;
    compte_->AddOperation(op, &ref);
    return op.header.dataID;
  }
  Operation Get(DataID key) {
    Operation op;
    VYXDataRef ref;
    EXPECT_TRUE(compte_->FindOperation(key, &op, &ref));
    return op;
  }
  CPResID AddMode(const char* name, const Mode& mode) {
    CPResID id = compte_->GetModes().GetUniqueID();
    compte_->GetModes().AddResource(id, P(name), mode);
    return id;
  }

  std::unique_ptr<VYXSDBCompte> compte_;
};

TEST_F(Pointage, TheLastReconciliationDateAnswersForThePendingOperations) {
  CPDate may9 = CPGetDate(9, 5, 2024), may10 = CPGetDate(10, 5, 2024),
         may11 = CPGetDate(11, 5, 2024);
  CPDate last = 0;
  EXPECT_FALSE(compte_->GetLastDatePointe(&last));
  EXPECT_TRUE(compte_->DatesPointageAjustees()) << "nothing cleared: nothing out of order";
  Add("Pointée", -10, kOpPointee, CPGetDate(2, 5, 2024), may10);
  Add("En attente", -20, kOpEngagee, CPGetDate(8, 5, 2024), may9);
  ASSERT_TRUE(compte_->GetLastDatePointe(&last));
  EXPECT_EQ(may10, last);
  EXPECT_FALSE(compte_->DatesPointageAjustees());
  EXPECT_TRUE(compte_->PointageFaitEnDateDu(may9));
  EXPECT_TRUE(compte_->PointageFaitEnDateDu(may10));
  EXPECT_FALSE(compte_->PointageFaitEnDateDu(may11));
}

TEST_F(Pointage, ClearingASelectionAndUndoingIt) {
  TauxTVA normal;  // 19.6 %
  CPResID tva = compte_->GetTVAs().GetUniqueID();
  compte_->GetTVAs().AddResource(tva, P("Taux normal"), normal);
  Operation achat = MakeOp("Achat", -100, kOpEngagee, CPGetDate(3, 2, 2024));
  achat.tva = tva;
  achat.montantTva = -16.39;
  achat.datePointe = CPGetDate(4, 2, 2024);
  compte_->AddOperation(achat, nullptr);

  // One operation: the amount the statement shows replaces its own, and its
  // VAT follows at its rate.
  PointageInfos infos;
  StdToP("12", infos.releve);
  infos.date = CPGetDate(29, 2, 2024);
  VYXCompteListPointerAction one(*compte_, {achat.header.dataID}, infos, -119.60, 2);
  ASSERT_TRUE(one.DoAction());
  Operation cleared = Get(achat.header.dataID);
  EXPECT_EQ(kOpPointee, cleared.status);
  EXPECT_EQ(-119.60, double(cleared.montant));
  EXPECT_NEAR(-19.60, double(cleared.montantTva), 1e-9);
  EXPECT_EQ("12", PToStd(cleared.releve));
  EXPECT_EQ(CPGetDate(29, 2, 2024), CPDate(cleared.datePointe));
  EXPECT_NEAR(-119.60, compte_->GetSoldesValues().montant[kOpPointee], 1e-9);

  // Undone, it is as it was, sums included.
  ASSERT_TRUE(one.UndoAction());
  Operation back = Get(achat.header.dataID);
  EXPECT_EQ(kOpEngagee, back.status);
  EXPECT_EQ(-100.0, double(back.montant));
  EXPECT_EQ(CPGetDate(4, 2, 2024), CPDate(back.datePointe));
  EXPECT_EQ(0.0, compte_->GetSoldesValues().montant[kOpPointee]);

  // Several: no amount is taken; an operation whose bank date would move
  // out of the locked period is refused and stays, the others go on.
  DataID ancienne = Add("Ancienne", -5, kOpEngagee, CPGetDate(10, 1, 2024), CPGetDate(10, 1, 2024));
  DataID recente = Add("Récente", -7, kOpEngagee, CPGetDate(10, 3, 2024), CPGetDate(11, 3, 2024));
  compte_->SetLockDate(CPGetDate(31, 1, 2024));
  PointageInfos march;
  StdToP("13", march.releve);
  march.date = CPGetDate(15, 3, 2024);
  VYXCompteListPointerAction many(*compte_, {ancienne, recente}, march, -1.0, 2);
  ASSERT_TRUE(many.DoAction());
  EXPECT_EQ(std::vector<DataID>{recente}, many.Changed());
  ASSERT_EQ(1u, many.Refused().size());
  EXPECT_EQ(ancienne, many.Refused()[0].first);
  EXPECT_EQ(kOpEngagee, Get(ancienne).status);
  EXPECT_EQ(CPGetDate(15, 3, 2024), CPDate(Get(recente).datePointe));
  EXPECT_EQ(-7.0, double(Get(recente).montant));

  // Without a date, each keeps its own bank date.
  PointageInfos own;
  VYXCompteListPointerAction keep(*compte_, {achat.header.dataID}, own, std::nullopt, 2);
  ASSERT_TRUE(keep.DoAction());
  EXPECT_EQ(CPGetDate(4, 2, 2024), CPDate(Get(achat.header.dataID).datePointe));
  EXPECT_EQ(-100.0, double(Get(achat.header.dataID).montant));
}

TEST_F(Pointage, BankDatesOfADeferredCardFollowItsNewRule) {
  Mode carte;
  carte.debitModeType.Enabled = 1;
  carte.debitModeType.ModeType = kModeTypeDeferred;
  carte.debitModeType.MonthDay = 5;
  carte.debitModeType.StopDay = 25;
  CPResID mode = AddMode("Carte", carte);
  Mode virement;
  CPResID autre = AddMode("Virement", virement);
  // Booked under an old rule (the 10th): before the last reconciliation.
  DataID achat = Add("Achat", -30, kOpEngagee, CPGetDate(10, 3, 2024), CPGetDate(10, 3, 2024), mode);
  DataID plain = Add("Virement", -40, kOpEngagee, CPGetDate(10, 3, 2024), CPGetDate(10, 3, 2024), autre);
  Add("Pointée", -1, kOpPointee, CPGetDate(1, 4, 2024), CPGetDate(2, 4, 2024));
  DataID later = Add("Plus tard", -3, kOpEngagee, CPGetDate(20, 4, 2024), CPGetDate(20, 4, 2024), mode);
  EXPECT_FALSE(compte_->DatesPointageAjustees());

  VYXCompteAdjustDatesPointageAction adjust(*compte_, true);
  user_.PushYes();
  ASSERT_TRUE(adjust.DoAction());
  EXPECT_EQ(std::vector<DataID>{achat}, adjust.Changed());
  EXPECT_EQ(CPGetDate(5, 4, 2024), CPDate(Get(achat).datePointe));
  EXPECT_EQ(CPGetDate(10, 3, 2024), CPDate(Get(plain).datePointe)) << "no deferred rule";
  EXPECT_EQ(CPGetDate(20, 4, 2024), CPDate(Get(later).datePointe)) << "after the last reconciliation";

  // Refused, it changes nothing.
  VYXCompteAdjustDatesPointageAction again(*compte_, true);
  user_.PushNo();
  EXPECT_CP_CODE(0, again.DoAction());
}

TEST_F(Pointage, StatementsGroupClearedOperationsBySeriesAndNumber) {
  Mode carte;
  carte.releveSepare = 1;
  CPResID mode = AddMode("Carte", carte);
  CPDate d = CPGetDate(5, 2, 2024);
  Add("a", -10, kOpPointee, d, CPGetDate(6, 2, 2024), 0, "10");
  Add("b", 25, kOpPointee, d, CPGetDate(8, 2, 2024), 0, "00010");
  Add("c", -3, kOpPointee, d, CPGetDate(3, 2, 2024), 0, "2");
  Add("d", -4, kOpPointee, d, d, mode, "2");
  Add("e", -5, kOpPointee, d, d, 0, "");
  Add("fictive", -6, kOpPointee, d, d, 0, "2");
  // A fictitious operation is on no statement.
  {
    Operation op;
    VYXDataRef at;
    for (bool more = compte_->GetFirstOperation(&op, &at); more;
         more = compte_->GetNextOperation(&op, &at)) {
      if (PToStd(op.libelle) == "fictive") {
        op.fictive = 1;
        compte_->ModifyOperation(at, op);
      }
    }
  }
  Add("pending", -7, kOpEngagee, d, d, 0, "");

  std::vector<VYXReleve> r = VYXGetReleves(*compte_);
  ASSERT_EQ(4u, r.size());
  EXPECT_EQ("", r[0].numero);
  EXPECT_EQ(1, r[0].count);
  EXPECT_EQ("2", r[1].numero) << "2 before 10: numbers of digits order by value";
  EXPECT_EQ(1, r[1].count);
  EXPECT_EQ("10", r[2].numero);
  EXPECT_EQ(2, r[2].count) << "10 and 00010 are one statement";
  EXPECT_EQ(-10.0, r[2].debits);
  EXPECT_EQ(25.0, r[2].credits);
  EXPECT_EQ(CPGetDate(6, 2, 2024), r[2].first);
  EXPECT_EQ(CPGetDate(8, 2, 2024), r[2].last);
  EXPECT_EQ(mode, r[3].series) << "the card's statements form a series of their own";
  EXPECT_EQ("2", r[3].numero);
}

}  // namespace
