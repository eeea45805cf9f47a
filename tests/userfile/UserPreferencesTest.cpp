// A user file as a database file: its identity, its sets, its settings and
// preference records, the display orders of its lists.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBFile.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

namespace {

TEST_F(UserFileTest, ANewFileIsAUserFileWithEverySetInItsOrder) {
  EXPECT_EQ(kVYXUserFileType, user_->GetDataBase().GetHeader().type);
  EXPECT_EQ(0, std::memcmp(user_->GetDataBase().GetHeader().signature, "\x08vyx_grp1", 9));
  std::vector<OSType> types;
  for (CPResourceSet* set : user_->GetAllSets()) types.push_back(set->GetType());
  const std::vector<OSType> expected = {
      'HIER', 'PREF', 'CPTE', 'CEVT', 'DEVI', 'MODE', 'CATE', 'AFFE', 'PBDG', 'PBDX',
      'FLTR', 'FLTS', 'TIER', 'SEL ', 'UCOL', 'LCOL', 'MODD', 'CALC', 'WPOS', 'DPOS',
      'FMTX', 'NotT', 'NotS', 'NotI', 'CLFO', 'AFFA', 'TVA ', 'CFAM', 'alis', 'ARTI',
      'VREC'};
  EXPECT_EQ(expected, types);
  user_->Close();
  EXPECT_TRUE(VYXIsUserFile(fileRef_));
}

TEST_F(UserFileTest, OnlyUserFilesOpen) {
  user_->Close();
  // Another database of vyx (an account's) is not a user file.
  CPFileRef other = dir_.Ref("Courant.cpt");
  {
    CPSimpleDBFile db(other);
    Str255 signature = "\x08vyx_cpt1";
    db.Create('VyxP', 'CPT5', signature, 1, false);
    db.Close();
  }
  EXPECT_FALSE(VYXIsUserFile(other));
  VYXSDBUserPreferences wrong(other);
  EXPECT_CP_CODE(kVYXErrNotUserFile, wrong.IUserPreferences(false));
  EXPECT_FALSE(wrong.IsOpen());
  // A missing file says so, rather than a code of the lists.
  VYXSDBUserPreferences missing(dir_.Ref("Absent.grp"));
  EXPECT_CP_CODE(fnfErr, missing.IUserPreferences(false));
  // An existing file is not created over.
  VYXSDBUserPreferences again(fileRef_);
  EXPECT_CP_CODE(dupFNErr, again.IUserPreferences(true));
  EXPECT_TRUE(VYXIsUserFile(fileRef_));
}

TEST_F(UserFileTest, PreferenceRecordsByIDAndName) {
  // Never written: zeros of the record's size.
  unsigned char body[406];
  std::memset(body, 0xAA, sizeof body);
  ASSERT_TRUE(user_->GetPreferenceRecord(kPrefIdentite, body, sizeof body));
  EXPECT_EQ(std::vector<unsigned char>(406, 0), std::vector<unsigned char>(body, body + 406));
  EXPECT_FALSE(user_->GetPreferenceRecord(999, body, sizeof body));
  EXPECT_FALSE(user_->SetPreferenceRecord(999, body, sizeof body));

  // The business records are announced to their windows.
  UserMessages heard;
  user_->AddListener(&heard);
  for (CPResID id : {kPrefAchats, kPrefFactures, kPrefImmobilisations, kPrefTiers}) {
    ASSERT_TRUE(user_->SetPreferenceRecord(id, body, sizeof body));
  }
  EXPECT_EQ((std::vector<uint32_t>{15, 16, 22}), heard.codes);

  // A longer write is cut to the record's size.
  const unsigned char budget[24] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                    13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  ASSERT_TRUE(user_->SetPreferenceRecord(kPrefBudget, budget, sizeof budget));
  Reopen();
  unsigned char read[24] = {};
  ASSERT_TRUE(user_->GetPreferenceRecord(kPrefBudget, read, sizeof read));
  EXPECT_EQ(0, std::memcmp(read, budget, 20));
  EXPECT_EQ(0, read[20]);

  // Closing wrote every record the file lacked, under its ID and name.
  for (const VYXUserPrefsRecordInfo& r : VYXUserPrefsRecords()) {
    SCOPED_TRACE(r.name);
    ASSERT_TRUE(user_->GetPreferences().ResourceExists(r.id));
    EXPECT_EQ(r.size, user_->GetPreferences().GetResourceSize(r.id));
    Str255 name;
    user_->GetPreferences().GetResourceName(r.id, name);
    EXPECT_EQ(std::string(r.name), MacRomanToUtf8(PToStd(name)));
  }
  EXPECT_TRUE(user_->GetPreferences().ResourceExists(N("Trésorerie globale")));
}

TEST_F(UserFileTest, SettingsAreWrittenAtOnceAndAnnounced) {
  UserMessages heard;
  user_->AddListener(&heard);
  EXPECT_EQ(2, user_->GetDecimals(kDecimalsMontants));
  user_->SetDecimals(kDecimalsMontants, 3);
  user_->SetDecimals(kDecimalsMontants, 3);  // unchanged: not announced
  user_->SetDecimals(kDecimalsQuantites, 99);
  user_->SetThousandsSeparator(false);
  user_->SetColumnSeparator(';');
  user_->SetLineSeparator('\n');
  user_->SetListingLines(false);
  EXPECT_EQ((std::vector<uint32_t>{10, 10, 11, 12, 13, 14}), heard.codes);
  user_->SetDialogPosition(kDialogPosOperation, 40, 80);
  user_->AddListener(&heard);
  Reopen();
  EXPECT_EQ(3, user_->GetDecimals(kDecimalsMontants));
  EXPECT_EQ(10, user_->GetDecimals(kDecimalsQuantites));
  EXPECT_FALSE(user_->GetProPrefs().separateurMilliers);
  EXPECT_EQ(';', user_->GetProPrefs().separateurColonnes);
  int16_t top = 0, left = 0;
  ASSERT_TRUE(user_->GetDialogPosition(kDialogPosOperation, &top, &left));
  EXPECT_EQ(40, top);
  EXPECT_EQ(80, left);
  EXPECT_FALSE(user_->GetDialogPosition(kDialogPosPreferences, &top, &left));
}

TEST_F(UserFileTest, ClosingIsAnnouncedOnce) {
  UserMessages heard;
  user_->AddListener(&heard);
  user_->Close();
  user_->Close();
  EXPECT_EQ((std::vector<uint32_t>{1}), heard.codes);
}

TEST_F(UserFileTest, CategoriesAndThirdPartiesSortByKindThenName) {
  const std::pair<const char*, uint8_t> categories[] = {{"Salaire", kCategorieRecette},
                                                        {"Loyer", kCategorieDepense},
                                                        {"Livret", kCategorieEpargne},
                                                        {"Divers", kCategorieAucune},
                                                        {"Étrange", 9},
                                                        {"Alimentation", kCategorieDepense},
                                                        {"Allocations", kCategorieRecette}};
  for (const auto& [name, kind] : categories) {
    Categorie c;
    c.type = kind;
    user_->GetCategories().AddResource(user_->GetCategories().GetUniqueID(), N(name), c);
  }
  user_->GetCategories().SortResources();
  EXPECT_EQ((std::vector<std::string>{"Étrange", "Allocations", "Salaire", "Alimentation", "Loyer",
                                      "Livret", "Divers"}),
            Names(user_->GetCategories()));

  const std::pair<const char*, uint8_t> tiers[] = {{"Zoé", 0},
                                                   {"EDF", kTiersFournisseur},
                                                   {"Martin", kTiersEmploye},
                                                   {"Durand", kTiersClient},
                                                   {"Dupont", kTiersAssocie},
                                                   {"Banque", 4},
                                                   {"Albert", kTiersClient}};
  for (const auto& [name, kind] : tiers) {
    UserTiers t;
    t.type = kind;
    user_->GetTiers().AddResource(user_->GetTiers().GetUniqueID(), N(name), t);
  }
  user_->GetTiers().SortResources();
  EXPECT_EQ(
      (std::vector<std::string>{"Martin", "Albert", "Durand", "EDF", "Dupont", "Banque", "Zoé"}),
      Names(user_->GetTiers()));

  // The order is the file's: it survives closing.
  Reopen();
  EXPECT_EQ("Étrange", Names(user_->GetCategories()).front());
  EXPECT_EQ("Zoé", Names(user_->GetTiers()).back());
}

TEST_F(UserFileTest, FamiliesAndBudgetPostsHoldCategories) {
  VYXUserCategoriesSet& cats = user_->GetCategories();
  CPResID loyer = cats.GetUniqueID();
  cats.AddResource(loyer, N("Loyer"), Categorie());
  CPResID edf = cats.GetUniqueID();
  cats.AddResource(edf, N("Électricité"), Categorie());
  CPResID logement = user_->GetCatFamilies().GetUniqueID();
  user_->GetCatFamilies().AddResource(logement, N("Logement"), UserCatFamily());
  CPResID poste = user_->GetPostes().GetUniqueID();
  CPArray_T<BudgetItem> lines;
  lines.Add(BudgetItem(1, 2024));
  user_->GetPostes().AddResource(poste, N("Maison"), Poste(), lines);

  user_->SetCategorieFamily(loyer, logement);
  user_->SetCategorieFamily(edf, logement);
  user_->SetCategoriePoste(edf, poste);
  Reopen();
  EXPECT_EQ(logement, user_->GetCategorieFamily(loyer));
  EXPECT_EQ(logement, user_->GetCategorieFamily(edf));
  EXPECT_EQ(poste, user_->GetCategoriePoste(edf));
  EXPECT_EQ(0, user_->GetCategoriePoste(loyer));
  // A category that is not one gives none.
  EXPECT_EQ(0, user_->GetCategorieFamily(12345));
  Poste header;
  CPArray_T<BudgetItem> read;
  user_->GetPostes().GetResource(poste, &header, &read);
  ASSERT_EQ(1, read.Count());
  EXPECT_EQ(2024, read[0].key2);

  // A removed post lets its categories go; its extra record follows it.
  const unsigned char extra[20] = {7};
  user_->GetPostesExtra().AddResource(poste, N(""), extra, 20);
  user_->GetPostes().RemoveResource(poste);
  EXPECT_EQ(0, user_->GetCategoriePoste(edf));
  EXPECT_FALSE(user_->GetPostesExtra().ResourceExists(poste));
}

TEST_F(UserFileTest, RenamingASharedItemInTheUserFile) {
  VYXUserCategoriesSet& cats = user_->GetCategories();
  CPResID loisirs = cats.GetUniqueID();
  cats.AddResource(loisirs, N("Loisirs"), Categorie());
  CPResID voyages = cats.GetUniqueID();
  cats.AddResource(voyages, N("Voyages"), Categorie());

  // Its own name, or an unknown ID: nothing happens.
  user_->RenameCategorie(loisirs, N("Loisirs"));
  user_->RenameCategorie(4321, N("Sport"));
  EXPECT_EQ((std::vector<std::string>{"Loisirs", "Voyages"}), Names(cats));
  // The same name spelt otherwise is taken as it is typed.
  user_->RenameCategorie(loisirs, N("LOISIRS"));
  EXPECT_EQ((std::vector<std::string>{"LOISIRS", "Voyages"}), Names(cats));
  user_->RenameCategorie(loisirs, N("Sorties"));
  EXPECT_EQ((std::vector<std::string>{"Sorties", "Voyages"}), Names(cats));
  // To another item's name: the two merge into that one.
  user_->RenameCategorie(loisirs, N("voyages"));
  EXPECT_EQ((std::vector<std::string>{"Voyages"}), Names(cats));
  EXPECT_TRUE(cats.ResourceExists(voyages));
}

}  // namespace
