// The user file and its open accounts, real account files on both sides:
// the check of an account as it opens, and renames, merges and deletions of
// shared items carried to every account open at the time.
#include <gtest/gtest.h>

#include "accounts/VYXSDBCompte.h"
#include "platform/CPInteraction.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace {

Operation Op(const char* label, double montant, CPResID categorie) {
  Operation op;
  StdToP(Utf8ToMacRoman(label), op.libelle, 99);
  op.montant = montant;
  op.status = kOpEngagee;
  op.categorie = categorie;
  return op;
}

class UserWithComptes : public UserFileTest {
 protected:
  // An account of the dossier, open under the user file.
  std::unique_ptr<VYXSDBCompte> NewCompte(const std::string& name) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), name);
    auto compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(true, true, false);
    user_->AddCompte(file);
    user_->CompteOpened(*compte);
    return compte;
  }
  std::unique_ptr<VYXSDBCompte> Reopen(std::unique_ptr<VYXSDBCompte> compte) {
    CPFileRef file;
    compte->GetCompteIdentifier(&file);
    compte->Close();
    compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(false, true, false);
    user_->CompteOpened(*compte);
    return compte;
  }
  static CPResID AddCategorie(CPResourceSet_T<Categorie>& set, const char* name) {
    CPResID id = set.GetUniqueID();
    set.AddResource(id, N(name), Categorie());
    return id;
  }
  static std::vector<CPResID> CategoriesOfOperations(VYXCompte& compte) {
    std::vector<CPResID> out;
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte.GetFirstOperation(&op, &ref); more;
         more = compte.GetNextOperation(&op, &ref)) {
      out.push_back(op.categorie);
      SousOperation line;
      VYXDataRef sousRef = 0;
      for (bool l = compte.GetFirstSousOperation(op, &line, &sousRef); l;
           l = compte.GetNextSousOperation(op, &line, &sousRef)) {
        out.push_back(line.categorie);
      }
    }
    return out;
  }

  CPScriptedInteraction nobody_;
};

TEST_F(UserWithComptes, OpeningAnAccountTakesInWhatTheUserFileLacks) {
  auto compte = NewCompte("Courant");
  UserMessages heard;
  user_->AddListener(&heard);
  // Made while the account was away from this dossier: a category of its
  // own, a nameless one used by an operation, a mode with its cheque book.
  CPResourceSet_T<Categorie>& cats = compte->GetCategories();
  CPResID jardin = AddCategorie(cats, "Jardinage");
  CPResID nameless = AddCategorie(cats, "");
  VYXDataRef ref = 0;
  Operation op = Op("Graines", -12.5, nameless);
  compte->AddOperation(op, &ref);
  Mode cheque;
  cheque.askForChequier = 1;
  cheque.chequierID = 77;
  compte->GetModes().AddResource(compte->GetModes().GetUniqueID(), N("Chèque"), cheque);
  // While the account is open, what it adds is taken in at once.
  EXPECT_TRUE(user_->GetCategories().ResourceExists(N("Jardinage")));
  user_->GetCategories().RemoveResource(user_->GetCategories().GetResourceID(N("Jardinage")));
  user_->GetModes().RemoveResource(user_->GetModes().GetResourceID(N("Chèque")));

  compte = Reopen(std::move(compte));
  EXPECT_EQ((std::vector<uint32_t>{8, 3, 4, 7}), heard.codes);
  EXPECT_TRUE(user_->GetCategories().ResourceExists(N("Jardinage")));
  EXPECT_FALSE(compte->GetCategories().ResourceExists(nameless));
  EXPECT_TRUE(compte->GetCategories().ResourceExists(jardin));
  EXPECT_EQ((std::vector<CPResID>{0}), CategoriesOfOperations(*compte));
  // The user file's mode names no cheque book of one account.
  Mode mode;
  ASSERT_TRUE(user_->GetModes().ReadResource(N("Chèque"), nullptr, &mode));
  EXPECT_EQ(1, mode.askForChequier);
  EXPECT_EQ(0, mode.chequierID);
  EXPECT_EQ(1, user_->GetCategories().GetResourcesCount());
}

TEST_F(UserWithComptes, RenamingToAnExistingNameMergesEverywhere) {
  CPResID uLoisirs = AddCategorie(user_->GetCategories(), "Loisirs");
  CPResID uVoyages = AddCategorie(user_->GetCategories(), "Voyages");
  // Both items, operations and split lines on Loisirs.
  auto both = NewCompte("Courant");
  CPResID aLoisirs = AddCategorie(both->GetCategories(), "Loisirs");
  CPResID aVoyages = AddCategorie(both->GetCategories(), "Voyages");
  VYXDataRef ref = 0;
  Operation cinema = Op("Cinéma", -20, aLoisirs);
  both->AddOperation(cinema, &ref);
  Operation train = Op("Train", -80, aVoyages);
  VYXDataRef trainRef = 0;
  both->AddOperation(train, &trainRef);
  SousOperation line;
  line.montant = -30;
  line.categorie = aLoisirs;
  VYXDataRef sousRef = 0;
  both->AddSousOperation(trainRef, line, &sousRef);
  // Loisirs only.
  auto loisirsOnly = NewCompte("Livret");
  CPResID bLoisirs = AddCategorie(loisirsOnly->GetCategories(), "Loisirs");
  Operation concert = Op("Concert", -45, bLoisirs);
  loisirsOnly->AddOperation(concert, &ref);
  // Voyages only.
  auto voyagesOnly = NewCompte("Joint");
  CPResID cVoyages = AddCategorie(voyagesOnly->GetCategories(), "Voyages");

  user_->RenameCategorie(uLoisirs, N("Voyages"));

  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(user_->GetCategories()));
  EXPECT_TRUE(user_->GetCategories().ResourceExists(uVoyages));
  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(both->GetCategories()));
  EXPECT_EQ((std::vector<CPResID>{aVoyages, aVoyages, aVoyages}), CategoriesOfOperations(*both));
  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(loisirsOnly->GetCategories()));
  EXPECT_EQ((std::vector<CPResID>{bLoisirs}), CategoriesOfOperations(*loisirsOnly));
  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(voyagesOnly->GetCategories()));
  EXPECT_TRUE(voyagesOnly->GetCategories().ResourceExists(cVoyages));

  // As the files keep it.
  both = Reopen(std::move(both));
  EXPECT_EQ((std::vector<CPResID>{aVoyages, aVoyages, aVoyages}), CategoriesOfOperations(*both));
  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(user_->GetCategories()));
}

TEST_F(UserWithComptes, AnItemStillUsedKeepsItsCopyInThatAccount) {
  CPResID uLoisirs = AddCategorie(user_->GetCategories(), "Loisirs");
  auto uses = NewCompte("Courant");
  CPResID aLoisirs = AddCategorie(uses->GetCategories(), "Loisirs");
  VYXDataRef ref = 0;
  Operation op = Op("Cinéma", -20, aLoisirs);
  uses->AddOperation(op, &ref);
  auto unused = NewCompte("Livret");
  CPResID bLoisirs = AddCategorie(unused->GetCategories(), "Loisirs");
  // Named by the account's default values only: not a use, but the
  // reference must not outlive the item.
  VYXCompteDefaultValues defaults = unused->GetDefaultValues();
  defaults.categorie = bLoisirs;
  unused->SetDefaultValues(defaults);

  Str255 who;
  EXPECT_TRUE(user_->CategorieIsUsed(uLoisirs, who));
  EXPECT_EQ("Courant", PToStd(who));
  user_->CategorieToBeDeleted(uLoisirs);
  user_->GetCategories().RemoveResource(uLoisirs);

  EXPECT_TRUE(uses->GetCategories().ResourceExists(aLoisirs));
  EXPECT_FALSE(unused->GetCategories().ResourceExists(bLoisirs));
  EXPECT_EQ(0, unused->GetDefaultValues().categorie);
  EXPECT_FALSE(user_->GetCategories().ResourceExists(N("Loisirs")));
  // The account that keeps it brings it back when it next opens.
  uses = Reopen(std::move(uses));
  EXPECT_TRUE(user_->GetCategories().ResourceExists(N("Loisirs")));
  EXPECT_FALSE(user_->CategorieIsUsed(4321, who));
}

TEST_F(UserWithComptes, EveryListFollowsTheSameRules) {
  auto compte = NewCompte("Courant");
  struct Case {
    VYXSharedList list;
    CPResourceSet& theirs;
  } cases[] = {
      {VYXSharedList::kAffectation, compte->GetAffectations()},
      {VYXSharedList::kTiers, compte->GetTiers()},
      {VYXSharedList::kAffaire, compte->GetAffaires()},
      {VYXSharedList::kMode, compte->GetModes()},
      {VYXSharedList::kTauxTVA, compte->GetTVAs()},
  };
  for (const Case& c : cases) {
    CPResourceSet& ours = user_->GetSharedList(c.list);
    SCOPED_TRACE(CPString::FromType(ours.GetType()).Std());
    std::vector<unsigned char> body(ours.GetResourceSize(), 0);
    // Added in the account: taken in by name.
    CPResID theirs = c.theirs.GetUniqueID();
    c.theirs.AddResource(theirs, N("Premier"), body.data(), uint32_t(body.size()));
    ASSERT_TRUE(ours.ResourceExists(N("Premier")));
    CPResID id = ours.GetResourceID(N("Premier"));
    // Renamed in the user file: renamed in the account.
    user_->Rename(c.list, id, N("Second"));
    EXPECT_EQ((std::vector<std::string>{"Second"}), Names(c.theirs));
    // Deleted, unused: gone from both.
    EXPECT_FALSE(user_->IsUsed(c.list, id, nullptr));
    user_->ToBeDeleted(c.list, id);
    ours.RemoveResource(id);
    EXPECT_EQ(0, c.theirs.GetResourcesCount());
  }
}

TEST_F(UserWithComptes, AnAccountInAnotherCurrencyIsNoted) {
  auto compte = NewCompte("Dollars");
  compte->SetCompteDevise('USD ');
  CPResID usd = user_->DeviseCodeToId('USD ');
  ASSERT_NE(0, usd);
  CPResID id = 0;
  ASSERT_TRUE(user_->GetNthCompte(1, &id));
  EXPECT_EQ(usd, user_->GetCompteDeviseID(id));
  VYXCompte* open = nullptr;
  ASSERT_TRUE(user_->GetNthCompte(1, &open));
  EXPECT_EQ(compte.get(), open);
  compte->Close();
  EXPECT_FALSE(user_->GetNthCompte(1, &open));
  EXPECT_TRUE(user_->GetOpenComptes().empty());
}

}  // namespace
