// The list of the user's accounts: files found again wherever the dossier
// went, the user asked when they cannot be, the global views each takes part in.
#include <gtest/gtest.h>

#include "foundation/CPErrors.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CompteNames(VYXUserPreferences& user) { return Names(user.GetComptes()); }

TEST_F(UserFileTest, AccountsAreListedOnceUnderTheirName) {
  UserMessages heard;
  user_->AddListener(&heard);
  CPFileRef courant = MakeCompteFile("Courant.cpt");
  CPFileRef livret = MakeCompteFile("Épargne/Livret A.cpt");
  EXPECT_EQ(1, user_->AddCompte(courant));
  EXPECT_EQ(2, user_->AddCompte(livret));
  EXPECT_EQ(1, user_->AddCompte(CPFileRef(dir_.Path() / "." / "Courant.cpt")));
  EXPECT_EQ((std::vector<uint32_t>{5, 5}), heard.codes);
  EXPECT_EQ((std::vector<std::string>{"Courant", "Livret A"}), CompteNames(*user_));
  EXPECT_EQ(2, user_->GetCompteIndex(livret));
  EXPECT_EQ(0, user_->GetCompteIndex(dir_.Ref("Autre.cpt")));

  // A name MacRoman cannot hold is refused, and nothing is left behind.
  CPFileRef odd = MakeCompteFile("Compte \xE2\x9C\x93.cpt");
  EXPECT_CP_CODE(kCPErrTextNotMacRoman, user_->AddCompte(odd));
  EXPECT_EQ(2, user_->GetNbOfComptes());
  EXPECT_EQ(2, user_->GetAliases().GetResourcesCount());

  Reopen();
  CPFileRef found;
  ASSERT_TRUE(user_->GetNthCompte(2, &found, false));
  EXPECT_TRUE(found.SameFile(livret));
  EXPECT_FALSE(user_->GetNthCompte(3, &found, false));
}

TEST_F(UserFileTest, RemovingAnAccountTakesItsAliasAndEvents) {
  user_->AddCompte(MakeCompteFile("Courant.cpt"));
  user_->AddCompte(MakeCompteFile("Livret.cpt"));
  CPResID id = 0;
  ASSERT_TRUE(user_->GetNthCompte(1, &id));
  const unsigned char event[40] = {1};
  user_->GetComptesEvents().AddResource(id, N(""), event, 40);
  UserMessages heard;
  user_->AddListener(&heard);
  user_->RemoveCompte(id, false);
  user_->RemoveCompte(id, false);  // already gone: nothing
  EXPECT_EQ((std::vector<uint32_t>{6}), heard.codes);
  EXPECT_EQ((std::vector<std::string>{"Livret"}), CompteNames(*user_));
  EXPECT_EQ(1, user_->GetAliases().GetResourcesCount());
  EXPECT_FALSE(user_->GetComptesEvents().ResourceExists(id));
}

TEST_F(UserFileTest, AMovedDossierFolderKeepsItsAccounts) {
  user_->AddCompte(MakeCompteFile("Courant.cpt"));
  user_->AddCompte(MakeCompteFile("Épargne/Livret A.cpt"));
  user_->Close();
  user_.reset();
  // The whole folder goes elsewhere; the old paths lead nowhere.
  VYXTempDir elsewhere;
  fs::path moved = elsewhere.Path() / "Mes comptes";
  fs::rename(dir_.Path(), moved);
  fs::create_directories(dir_.Path());  // for the fixture's clean-up
  VYXSDBUserPreferences user(CPFileRef(moved / "Dossier.grp"));
  user.IUserPreferences(false);
  CPScriptedInteraction nobody;
  const fs::path expected[] = {moved / "Courant.cpt", moved / "Épargne" / "Livret A.cpt"};
  for (int32_t n = 1; n <= 2; ++n) {
    CPFileRef found;
    ASSERT_TRUE(user.GetNthCompte(n, &found, true));
    EXPECT_TRUE(found.SameFile(CPFileRef(expected[n - 1]))) << found.Path();
  }
  EXPECT_TRUE(nobody.Questions().empty());
  user.Close();
}

// The accounts stayed where they were, outside the user file's new folder:
// they are used once the user agreed, and found at once from then on. Until
// then they are only shown.
TEST_F(UserFileTest, AUserFileMovedAloneFindsItsAccountsWhereTheyStayedOnceTheUserAgrees) {
  CPFileRef courant = MakeCompteFile("Courant.cpt");
  user_->AddCompte(courant);
  user_->Close();
  user_.reset();
  VYXTempDir elsewhere;
  CPFileRef moved = elsewhere.Ref("Dossier.grp");
  fs::rename(fileRef_.Path(), moved.Path());
  // Its log goes with it; its share file is made again where it is opened.
  fs::rename(VYXCompanionFiles(fileRef_)[0].Path(), VYXCompanionFiles(moved)[0].Path());
  auto aliasOf = [](VYXSDBUserPreferences& user) {
    UserCompte infos;
    VYXFileAlias alias;
    EXPECT_TRUE(user.GetCompteInfos(1, &infos));
    EXPECT_TRUE(user.GetAliases().ReadAlias(infos.aliasID, &alias));
    return alias.relative;
  };
  VYXSDBUserPreferences user(moved);
  user.IUserPreferences(false);
  const std::string relative = aliasOf(user);
  CPFileRef found;
  {
    CPScriptedInteraction nobody;
    ASSERT_TRUE(user.GetNthCompte(1, &found, false));
    EXPECT_TRUE(found.SameFile(courant));
    EXPECT_EQ(VYXUserPreferences::CompteFileState::kOutside,
              user.LocateCompte(1, &found, false, false));
    EXPECT_TRUE(nobody.Questions().empty());
    EXPECT_EQ(relative, aliasOf(user));  // looking writes nothing
  }
  {
    CPScriptedInteraction no;
    no.PushNo();
    CPFileRef expected;
    EXPECT_EQ(VYXUserPreferences::CompteFileState::kRefused,
              user.LocateCompte(1, &found, true, true, &expected));
    ASSERT_EQ(1u, no.Questions().size());
    EXPECT_NE(std::string::npos, no.Questions()[0].find(Utf8ToMacRoman(courant.Path().string())));
    EXPECT_TRUE(expected.Path() == elsewhere.Path() / "Courant.cpt") << expected.Path();
    EXPECT_FALSE(user.GetNthCompte(1, &found, true));  // the safe answer: no
  }
  {
    CPScriptedInteraction yes;
    yes.PushYes();
    ASSERT_TRUE(user.GetNthCompte(1, &found, true));
    EXPECT_TRUE(found.SameFile(courant));
  }
  // The alias was brought up to date: its relative path now leads from the
  // user file's new place, and nothing is asked any more.
  EXPECT_EQ(fs::path(aliasOf(user)), courant.Path().lexically_relative(elsewhere.Path()));
  CPScriptedInteraction nobody;
  ASSERT_TRUE(user.GetNthCompte(1, &found, true));
  EXPECT_TRUE(nobody.Questions().empty());
  user.Close();
}

TEST_F(UserFileTest, TheUserSaysWhereALostAccountIs) {
  CPFileRef courant = MakeCompteFile("Courant.cpt");
  user_->AddCompte(courant);
  VYXTempDir elsewhere;
  fs::path now = elsewhere.Path() / "rangé" / "Courant.cpt";
  fs::create_directories(now.parent_path());
  fs::rename(courant.Path(), now);

  CPFileRef found;
  EXPECT_FALSE(user_->GetNthCompte(1, &found, false));
  {
    CPScriptedInteraction user;
    user.PushText(Utf8ToMacRoman((elsewhere.Path() / "nulle part.cpt").string()));
    user.PushText(Utf8ToMacRoman(now.string()));
    ASSERT_TRUE(user_->GetNthCompte(1, &found, true));
    EXPECT_TRUE(found.SameFile(CPFileRef(now)));
    ASSERT_EQ(2u, user.Questions().size());
    EXPECT_NE(std::string::npos, user.Questions()[0].find("Courant"));
    EXPECT_EQ(1u, user.Alerts().size());
  }
  // Remembered: found without asking from now on.
  CPScriptedInteraction nobody;
  ASSERT_TRUE(user_->GetNthCompte(1, &found, true));
  EXPECT_TRUE(nobody.Questions().empty());

  fs::remove(now);
  nobody.PushCancel();
  EXPECT_FALSE(user_->GetNthCompte(1, &found, true));
}

TEST_F(UserFileTest, WhichAccountsTakePartInEachGlobalView) {
  user_->AddCompte(MakeCompteFile("Courant.cpt"));
  for (int m = 0; m <= 25; ++m) EXPECT_TRUE(user_->ModuleIsChecked(1, ModuleGlobal(m))) << m;
  EXPECT_FALSE(user_->ModuleIsChecked(1, 26));
  EXPECT_FALSE(user_->ModuleIsChecked(2, kModuleSoldes));  // no such account

  UserMessages heard;
  user_->AddListener(&heard);
  user_->CheckModule(1, kModuleBilan, false);
  user_->CheckModule(1, kModuleBilan, false);  // unchanged
  user_->CheckModule(1, 2, false);             // module 2 always takes every account
  user_->CheckModule(1, 11, false);
  EXPECT_EQ((std::vector<uint32_t>{9, 9}), heard.codes);
  Reopen();
  // The modules that follow the balance sheet's flag, and those that do not.
  for (ModuleGlobal m : {5, 14, 15, 16, 17, 21, 23, 24, 0, 11}) {
    EXPECT_FALSE(user_->ModuleIsChecked(1, m)) << int(m);
  }
  for (ModuleGlobal m : {1, 2, 3, 4, 6, 7, 8, 9, 10, 12, 13, 18, 19, 20, 22, 25}) {
    EXPECT_TRUE(user_->ModuleIsChecked(1, m)) << int(m);
  }
  UserCompte infos;
  ASSERT_TRUE(user_->GetCompteInfos(1, &infos));
  EXPECT_EQ(0, infos.gBil);
  EXPECT_EQ(0, infos.included);
  EXPECT_EQ(1, infos.flag89);
  EXPECT_EQ(1, infos.gEch);
}

}  // namespace
