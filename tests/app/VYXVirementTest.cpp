// Transfers through the real container and dossier: the twin made, kept up to
// date and deleted in the other account whether that account is open or not,
// the rules of both accounts asked before anything is written, and the
// dossier's journal finishing a change that was cut short.
#include <gtest/gtest.h>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXVirementChange.h"
#include "accounts/VYXVirementKey.h"
#include "app/VYXContainer.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace {

Operation Op(const char* label, double montant, OpStatus status = kOpEngagee) {
  Operation op;
  StdToP(Utf8ToMacRoman(label), op.libelle);
  op.montant = montant;
  op.status = status;
  op.date = op.datePointe = CPGetDate(10, 3, 2024);
  return op;
}

class VirementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    container_.Startup();
    container_.ChangeUserPreferences(Dossier(), true);
    for (const char* name : {"Courant", "Epargne", "Dollars"}) {
      VYXSDBCompte* c = nullptr;
      ASSERT_TRUE(container_.CreateCompte(File(name), &c)) << name;
    }
    container_.CloseAllComptes();
  }

  CPFileRef Dossier() const { return dir_.Ref("Maison.grp"); }
  CPFileRef File(const std::string& name) const { return VYXCompteFileIn(CPFileRef(dir_.Path()), name); }
  VYXSDBCompte& Open(const std::string& name) {
    VYXSDBCompte* c = nullptr;
    EXPECT_TRUE(container_.OpenCompte(File(name), &c)) << name;
    return *c;
  }
  bool IsOpen(const std::string& name) const {
    return container_.GetCompte(File(name), nullptr);
  }

  // Adds `op` to `from` as a transfer to the account `to` (none: a plain operation).
  VYXDataRef Add(VYXCompte& from, Operation& op, const std::string& to,
                 std::vector<SousOperation> lines = {}) {
    CPFileRef target = File(to);
    VYXVirementChange change(from);
    change.Prepare(nullptr, &op, &lines, to.empty() ? nullptr : &target);
    VYXDataRef ref = 0;
    change.Run([&](const VYXVirementChange::Half& half) {
      op.virementId = half.target;
      op.virementKey = half.key;
      from.AddOperation(op, &ref);
      for (SousOperation& line : lines) from.AddSousOperation(ref, line, nullptr);
    });
    return ref;
  }
  void Modify(VYXCompte& from, VYXDataRef& ref, const Operation& next,
              const std::string& to = "") {
    Operation old;
    from.GetOperation(ref, &old);
    CPFileRef target = File(to);
    std::vector<SousOperation> lines;
    VYXVirementChange change(from);
    change.Prepare(&old, &next, &lines, to.empty() ? nullptr : &target);
    change.Run([&](const VYXVirementChange::Half& half) {
      Operation stored = next;
      stored.virementId = half.target;
      stored.virementKey = half.key;
      from.ModifyOperation(ref, stored);
    });
  }
  void Delete(VYXCompte& from, VYXDataRef ref) {
    Operation old;
    from.GetOperation(ref, &old);
    VYXVirementChange change(from);
    change.Prepare(&old, nullptr, nullptr);
    change.Run([&](const VYXVirementChange::Half&) { from.DeleteOperation(ref); });
  }
  // The twin of `key` in the account `name` (opened for the look when closed).
  bool Twin(const std::string& name, VirementKey key, Operation* twin) {
    VYXSDBCompte& c = Open(name);
    return c.FindTargetOperation(key, nullptr, twin);
  }

  VYXPinnedClock clock_{15, 3, 2024};
  VYXTempDir dir_;
  CPScriptedInteraction user_;
  VYXContainer container_{{dir_.Path() / "prefs.json", dir_.Path() / "ex", dir_.Path() / "data"}};
};

TEST_F(VirementTest, TheTwinFollowsItsSourceIntoAClosedAccountAndLeavesItClosed) {
  VYXSDBCompte& courant = Open("Courant");
  Categorie cat;
  CPResID loisirs = courant.GetCategories().GetUniqueID();
  courant.GetCategories().AddResource(loisirs, CPString::FromStd("Loisirs"), cat);

  Operation op = Op("Vers l'épargne", -100, kOpPointee);
  op.categorie = loisirs;
  StdToP("P12", op.noPiece);
  VYXDataRef ref = Add(courant, op, "Epargne");
  EXPECT_NE(0u, VirementKey(op.virementKey));
  EXPECT_NE(0, op.virementId);
  // The other account was opened for the change, checked, and closed again.
  EXPECT_FALSE(IsOpen("Epargne"));

  Operation twin;
  ASSERT_TRUE(Twin("Epargne", op.virementKey, &twin));
  EXPECT_EQ(100.0, double(twin.montant));
  EXPECT_EQ(kOpEngagee, twin.status) << "a cleared source gives a committed twin";
  EXPECT_EQ(0, twin.virementId);
  EXPECT_EQ(0u, VirementKey(twin.virementKey));
  EXPECT_EQ("P12", PToStd(twin.noPiece));
  EXPECT_EQ(CPDate(op.datePointe), CPDate(twin.datePointe));
  VYXSDBCompte& epargne = Open("Epargne");
  Str255 name;
  epargne.GetCategories().GetResourceName(twin.categorie, name);
  EXPECT_EQ("Loisirs", PToStd(name)) << "the category is carried by name";

  // Cleared in its own account, the twin keeps its status and bank date
  // whatever the source does afterwards.
  VYXDataRef twinRef = 0;
  epargne.FindTargetOperation(op.virementKey, &twinRef, &twin);
  twin.status = kOpPointee;
  twin.datePointe = CPGetDate(12, 3, 2024);
  epargne.ModifyOperation(twinRef, twin);
  container_.CloseCompte(epargne);

  Operation next = op;
  next.montant = -150;
  next.status = kOpEngagee;
  next.datePointe = CPGetDate(11, 3, 2024);
  Modify(courant, ref, next);
  ASSERT_TRUE(Twin("Epargne", op.virementKey, &twin));
  EXPECT_EQ(150.0, double(twin.montant));
  EXPECT_EQ(kOpPointee, twin.status);
  EXPECT_EQ(CPGetDate(12, 3, 2024), CPDate(twin.datePointe));

  // Deleting the source deletes the twin, the other account being open this time.
  Delete(courant, ref);
  EXPECT_FALSE(Twin("Epargne", op.virementKey, &twin));
  EXPECT_EQ(0u, Open("Epargne").GetNbOfOperations());
}

TEST_F(VirementTest, ChangingTheAccountMovesTheTwinAndSplitLinesFollow) {
  VYXSDBCompte& courant = Open("Courant");
  Operation op = Op("Partage", -90);
  SousOperation a(op), b(op);
  a.montant = -60;
  b.montant = -30;
  VYXDataRef ref = Add(courant, op, "Epargne", {a, b});
  Operation twin;
  ASSERT_TRUE(Twin("Epargne", op.virementKey, &twin));
  EXPECT_EQ(2, twin.sousOpsNbr);
  EXPECT_EQ(90.0, double(twin.montantSousOp));

  Operation next;
  courant.GetOperation(ref, &next);
  Modify(courant, ref, next, "Dollars");
  EXPECT_FALSE(Twin("Epargne", op.virementKey, &twin)) << "the old account loses its twin";
  ASSERT_TRUE(Twin("Dollars", op.virementKey, &twin));
  EXPECT_EQ(90.0, double(twin.montant));
  EXPECT_EQ(2, twin.sousOpsNbr);

  // No longer a transfer: the twin goes.
  courant.GetOperation(ref, &next);
  next.virementId = 0;
  next.virementKey = 0;
  Modify(courant, ref, next);
  EXPECT_FALSE(Twin("Dollars", op.virementKey, &twin));
  courant.GetOperation(ref, &next);
  EXPECT_EQ(0, next.virementId);
}

TEST_F(VirementTest, ATransferInAnotherCurrencyIsConvertedAndRemembersItsEuros) {
  VYXSDBUserPreferences& dossier = *container_.GetUserPreferences();
  Devise usd;
  usd.taux = 0.8;  // one dollar is worth 0.80 euro
  dossier.GetDevises().AddResource(dossier.GetDevises().GetUniqueID(), CPString::FromStd("USD"), usd);
  Open("Dollars").SetCompteDevise('USD ');
  container_.CloseAllComptes();

  Operation op = Op("Voyage", -100);
  Add(Open("Courant"), op, "Dollars");
  Operation twin;
  ASSERT_TRUE(Twin("Dollars", op.virementKey, &twin));
  EXPECT_EQ(125.0, double(twin.montant));
  EXPECT_EQ(DeviseCode('EUR '), DeviseCode(twin.deviseOrigine));
  // The origin amount turns round with the twin's amount: +100 EUR made +125 USD.
  EXPECT_EQ(100.0, double(twin.montantOrigine));
}

TEST_F(VirementTest, ALockedTargetRefusesBeforeEitherFileIsWritten) {
  {
    VYXSDBCompte& epargne = Open("Epargne");
    epargne.SetLockDate(CPGetDate(31, 3, 2024));
    container_.CloseCompte(epargne);
  }
  VYXSDBCompte& courant = Open("Courant");
  std::string courantBytes = VYXReadFile(File("Courant").Path());
  std::string epargneBytes = VYXReadFile(File("Epargne").Path());
  std::string dossierBytes = VYXReadFile(Dossier().Path());

  Operation op = Op("Trop tôt", -10);
  EXPECT_CP_CODE(kVYXErrCompteLocked, Add(courant, op, "Epargne"));
  EXPECT_EQ(0u, courant.GetNbOfOperations());
  EXPECT_FALSE(IsOpen("Epargne"));
  EXPECT_TRUE(courantBytes == VYXReadFile(File("Courant").Path()));
  EXPECT_TRUE(epargneBytes == VYXReadFile(File("Epargne").Path()));
  EXPECT_TRUE(dossierBytes == VYXReadFile(Dossier().Path()));

  // After the lock, the transfer goes; its twin cannot then be deleted
  // while it lies in a locked period, and neither half goes.
  op = Op("Après", -10);
  op.date = op.datePointe = CPGetDate(2, 4, 2024);
  VYXDataRef ref = Add(courant, op, "Epargne");
  {
    VYXSDBCompte& epargne = Open("Epargne");
    epargne.SetLockDate(CPGetDate(30, 4, 2024));
    container_.CloseCompte(epargne);
  }
  EXPECT_CP_CODE(kVYXErrCompteLocked, Delete(courant, ref));
  EXPECT_EQ(1u, courant.GetNbOfOperations());
  Operation twin;
  EXPECT_TRUE(Twin("Epargne", op.virementKey, &twin));
}

TEST_F(VirementTest, TheNextOpeningOfTheDossierFinishesAChangeCutShort) {
  // A crash after the source was written, before its twin: the journal
  // entry and the source are all there is.
  VirementKey key = 0;
  {
    VYXSDBCompte& courant = Open("Courant");
    Operation op = Op("Coupé", -40);
    op.virementId = courant.GetVirementTarget(File("Epargne"));
    op.virementKey = key = GetNewVirementKey();
    VYXVirementJournalEntry entry;
    entry.source = File("Courant");
    entry.target = File("Epargne");
    entry.key = key;
    container_.GetUserPreferences()->GetUserDirectory().NoteVirementChange(entry);
    courant.AddOperation(op, nullptr);
  }
  container_.CloseUserPreferences();
  container_.ChangeUserPreferences(Dossier(), false);
  EXPECT_EQ(1u, user_.Alerts().size()) << "the user is told";
  Operation twin;
  ASSERT_TRUE(Twin("Epargne", key, &twin));
  EXPECT_EQ(40.0, double(twin.montant));
  EXPECT_TRUE(container_.GetUserPreferences()->GetUserDirectory().PendingVirementChanges().empty());

  // A deletion cut short after the twin went: the source goes too.
  VYXSDBCompte& courant = Open("Courant");
  VYXVirementJournalEntry entry;
  entry.kind = VYXVirementJournalEntry::kDelete;
  entry.source = File("Courant");
  entry.target = File("Epargne");
  entry.key = key;
  container_.GetUserPreferences()->GetUserDirectory().NoteVirementChange(entry);
  VYXDataRef twinRef = 0;
  Open("Epargne").FindTargetOperation(key, &twinRef, &twin);
  Open("Epargne").DeleteOperation(twinRef);
  (void)courant;
  container_.CloseUserPreferences();
  container_.ChangeUserPreferences(Dossier(), false);
  EXPECT_EQ(0u, Open("Courant").GetNbOfOperations());
  EXPECT_EQ(0u, Open("Epargne").GetNbOfOperations());
}

TEST(VirementKey, TwoKeysOfOneTickDifferInTheirLastTwoDigits) {
  VYXPinnedClock clock(15, 3, 2024);
  CPClock::PinTicks(1000, 0);
  VirementKey a = GetNewVirementKey(), b = GetNewVirementKey();
  EXPECT_NE(a % 100, b % 100);
  EXPECT_NE(0u, a);
}

}  // namespace
