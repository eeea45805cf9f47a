// The container over real folders: which dossier start-up opens, the sample
// copied before it is opened, recent dossiers, the files of dossiers and
// accounts, and the version check at start-up against a real server.
#include <fstream>
#include <functional>
#include <mutex>

#include "app/VYXAppTexts.h"
#include "app/VYXContainer.h"
#include "foundation/CPDates.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestHttpServer.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

namespace fs = std::filesystem;

namespace {

class ContMessages : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void*) override {
    if (category == 'CONT') codes.push_back(code);
  }
  std::vector<uint32_t> codes;
};

// A dossier with one (empty) account file beside it, or none.
void MakeDossier(const CPFileRef& file, const std::string& compte = "Courant") {
  fs::create_directories(file.Path().parent_path());
  VYXSDBUserPreferences user(file);
  user.IUserPreferences(true);
  if (!compte.empty()) {
    CPFileRef account = VYXCompteFileIn(file.Folder(), compte);
    CPFileSystem::Create(account, 'VyxP', 'CPT5', true);
    user.AddCompte(account);
  }
  user.Close();
}

class ContainerTest : public ::testing::Test {
 protected:
  VYXContainer::Folders Folders() const {
    return {dir_.Path() / "config" / "preferences.json", dir_.Path() / "installé" / "exemples",
            dir_.Path() / "données"};
  }
  // The sample as a vyx installation holds it.
  void InstallSample() {
    MakeDossier(CPFileRef(Folders().examples / "Exemple.grp"), "Compte courant");
  }
  // The preferences as an earlier session left them.
  void WithPreferences(const std::function<void(VYXGlobalPreferences&)>& set) {
    VYXGlobalPreferences prefs(Folders().preferencesFile);
    prefs.Load();
    set(prefs);
  }

  VYXPinnedClock clock_{14, 7, 2024};
  VYXTempDir dir_;
  CPScriptedInteraction user_;
};

TEST_F(ContainerTest, TheFirstStartOpensACopyOfTheSample) {
  InstallSample();
  std::string installedBytes = VYXReadFile(Folders().examples / "Exemple.grp");
  {
    VYXContainer container(Folders());
    EXPECT_EQ(&container, gContainer);
    container.Startup();
    EXPECT_TRUE(container.IsInited());
    ASSERT_NE(nullptr, gUserPrefs);
    CPFileRef copy(Folders().data / "Exemple" / "Exemple.grp");
    EXPECT_TRUE(gUserPrefs->GetFileSpec().SameFile(copy));
    EXPECT_EQ(&container.GetGlobalPreferences(), gGlobalPrefs);
    // Its account came along and is found beside the copy.
    CPFileRef compte;
    ASSERT_TRUE(gUserPrefs->GetNthCompte(1, &compte, false));
    EXPECT_TRUE(compte.SameFile(CPFileRef(Folders().data / "Exemple" / "Compte courant.cpt")));
    // The sample is never a recent dossier.
    std::vector<CPFileRef> recent;
    container.GetRecentUserPrefs(&recent);
    EXPECT_TRUE(recent.empty());
    EXPECT_TRUE(container.GetGlobalPreferences().GetRecentDocuments().empty());
    gUserPrefs->GetCategories().AddResource(1, CPString("\x06Loyers"), Categorie());
  }
  EXPECT_EQ(nullptr, gContainer);
  EXPECT_EQ(nullptr, gUserPrefs);
  EXPECT_EQ(installedBytes, VYXReadFile(Folders().examples / "Exemple.grp"));
  // The next start opens the copy as the user left it.
  VYXContainer container(Folders());
  container.Startup();
  ASSERT_NE(nullptr, gUserPrefs);
  EXPECT_TRUE(gUserPrefs->GetCategories().ResourceExists(1));
  EXPECT_TRUE(user_.Alerts().empty());
}

TEST_F(ContainerTest, StartUpChoosesTheDossierToOpen) {
  InstallSample();
  CPFileRef asked(dir_.Path() / "a" / "Demandé.grp"), last(dir_.Path() / "b" / "Dernier.grp");
  MakeDossier(asked);
  MakeDossier(last);
  WithPreferences([&](VYXGlobalPreferences& p) { p.SetLastGroupPath(last); });
  struct Case {
    const char* what;
    bool ask;
    bool lastExists;
    fs::path expected;
  } cases[] = {
      {"the file asked for", true, true, asked.Path()},
      {"the last one", false, true, last.Path()},
      {"the sample when the last one is gone", false, false,
       Folders().data / "Exemple" / "Exemple.grp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.lastExists) fs::rename(last.Path(), dir_.Path() / "b" / "ailleurs.grp");
    WithPreferences([&](VYXGlobalPreferences& p) { p.SetLastGroupPath(last); });
    VYXContainer container(Folders());
    if (c.ask) container.SetUserFileSpec(asked);
    container.Startup();
    ASSERT_NE(nullptr, gUserPrefs);
    EXPECT_TRUE(gUserPrefs->GetFileSpec().SameFile(CPFileRef(c.expected)));
    CPFileRef recorded;
    ASSERT_TRUE(container.GetGlobalPreferences().GetLastGroupPath(&recorded));
    EXPECT_TRUE(recorded.SameFile(CPFileRef(c.expected)));
  }
}

TEST_F(ContainerTest, WithoutAnyDossierTheUserNamesOne) {
  CPFileRef mine(dir_.Path() / "Mien.grp");
  MakeDossier(mine);
  user_.PushText(Utf8ToMacRoman(mine.Path().string()));
  VYXContainer container(Folders());
  container.Startup();
  ASSERT_NE(nullptr, gUserPrefs);
  EXPECT_TRUE(gUserPrefs->GetFileSpec().SameFile(mine));
  ASSERT_EQ(1u, user_.Questions().size());
  EXPECT_EQ(CPGetListString(kVYXAppTextsList, kVYXTextWhichDossier), user_.Questions()[0]);
}

TEST_F(ContainerTest, ADossierThatCannotBeOpenedIsReported) {
  fs::create_directories(dir_.Path() / "x");
  CPFileRef notOne(dir_.Path() / "x" / "Texte.grp");
  { std::ofstream(notOne.Path()) << "pas un dossier"; }
  WithPreferences([&](VYXGlobalPreferences& p) { p.SetLastGroupPath(notOne); });
  VYXContainer container(Folders());
  container.Startup();
  EXPECT_TRUE(container.IsInited());
  EXPECT_EQ(nullptr, gUserPrefs);
  ASSERT_EQ(1u, user_.Alerts().size());
  const std::string& alert = user_.Alerts()[0];
  EXPECT_NE(std::string::npos, alert.find("Texte.grp")) << alert;
  EXPECT_NE(std::string::npos, alert.find("1001")) << alert;  // too short to be a database
  // Opening a document that is no dossier says so too, and opens nothing.
  EXPECT_FALSE(container.OpenDocument(CPFileRef(dir_.Path() / "absent.grp")));
  EXPECT_EQ(2u, user_.Alerts().size());
  EXPECT_EQ(nullptr, gUserPrefs);
}

TEST_F(ContainerTest, ChangingDossierIsAnnouncedAndRemembered) {
  CPFileRef one(dir_.Path() / "Un.grp"), two(dir_.Path() / "Deux.grp"),
      fresh(dir_.Path() / "Neuf.grp");
  MakeDossier(one);
  MakeDossier(two);
  user_.PushText(Utf8ToMacRoman(one.Path().string()));
  VYXContainer container(Folders());
  container.Startup();
  ContMessages heard;
  container.AddListener(&heard);
  container.ChangeUserPreferences(two, false);
  container.ChangeUserPreferences(fresh, true);
  EXPECT_EQ((std::vector<uint32_t>{2, 3, 2, 3}), heard.codes);
  EXPECT_TRUE(VYXIsUserFile(fresh));
  // A failure leaves vyx without a dossier.
  EXPECT_CP_CODE(dupFNErr, container.ChangeUserPreferences(one, true));
  EXPECT_EQ(nullptr, container.GetUserPreferences());
  EXPECT_EQ((std::vector<uint32_t>{2, 3, 2, 3, 2, 3}), heard.codes);
  container.CloseUserPreferences();  // nothing open: nothing said
  EXPECT_EQ(6u, heard.codes.size());

  std::vector<CPFileRef> recent;
  container.GetRecentUserPrefs(&recent);
  ASSERT_EQ(3u, recent.size());
  EXPECT_TRUE(recent[0].SameFile(fresh));
  EXPECT_TRUE(recent[2].SameFile(one));
}

TEST_F(ContainerTest, RecentDossiersAreThoseStillThere) {
  InstallSample();
  CPFileRef kept(dir_.Path() / "Gardé.grp"), gone(dir_.Path() / "Parti.grp"),
      text(dir_.Path() / "Note.grp");
  MakeDossier(kept);
  MakeDossier(gone);
  { std::ofstream(text.Path()) << "texte"; }
  VYXContainer container(Folders());
  container.Startup();  // opens the sample
  container.AddRecentUserPrefs(text);
  container.AddRecentUserPrefs(gone);
  container.AddRecentUserPrefs(kept);
  container.AddRecentUserPrefs(container.GetSampleSpec());
  container.AddRecentUserPrefs(container.GetInstalledSampleSpec());
  fs::remove(gone.Path());
  std::vector<CPFileRef> recent;
  container.GetRecentUserPrefs(&recent);
  ASSERT_EQ(1u, recent.size());
  EXPECT_TRUE(recent[0].SameFile(kept));
  container.ClearRecentUserPrefs();
  container.GetRecentUserPrefs(&recent);
  EXPECT_TRUE(recent.empty());
}

TEST_F(ContainerTest, FilesOfAccountsAnswerFalseRatherThanFail) {
  CPFileRef dossier(dir_.Path() / "Dossier.grp");
  MakeDossier(dossier, "Courant");
  CPFileRef courant = VYXCompteFileIn(dossier.Folder(), "Courant");
  { std::ofstream(courant.Path()) << "courant"; }
  user_.PushText(Utf8ToMacRoman(dossier.Path().string()));
  VYXContainer container(Folders());
  container.Startup();
  CPFileRef absent = VYXCompteFileIn(dossier.Folder(), "Absent");

  EXPECT_FALSE(container.CopyCompteFile(absent, dossier.Folder(), "Copie"));
  EXPECT_FALSE(
      container.CopyCompteFile(courant, dossier.Folder(), "Courant"));  // the name is taken
  EXPECT_FALSE(container.CopyCompteFile(courant, dossier.Folder(), "a/b"));
  ASSERT_TRUE(container.CopyCompteFile(courant, dossier.Folder(), Utf8ToMacRoman("Épargne")));
  CPFileRef epargne = VYXCompteFileIn(dossier.Folder(), "Épargne");
  EXPECT_EQ("courant", VYXReadFile(epargne.Path()));

  EXPECT_FALSE(container.RenameCompteFile(absent, "Autre"));
  EXPECT_FALSE(container.RenameCompteFile(courant, Utf8ToMacRoman("Épargne")));
  // A listed account keeps its place in the dossier under its new name.
  ASSERT_TRUE(container.RenameCompteFile(courant, "Joint"));
  CPFileRef joint = VYXCompteFileIn(dossier.Folder(), "Joint");
  EXPECT_EQ((std::vector<std::string>{"Joint"}), std::vector<std::string>{[&] {
              Str255 name;
              gUserPrefs->GetComptes().GetNthResource(1, name);
              return PToStd(name);
            }()});
  CPFileRef found;
  ASSERT_TRUE(gUserPrefs->GetNthCompte(1, &found, false));
  EXPECT_TRUE(found.SameFile(joint));

  { std::ofstream(epargne.Path()) << "épargne"; }
  EXPECT_FALSE(container.SwapCompteFiles(joint, absent));
  ASSERT_TRUE(container.SwapCompteFiles(joint, epargne));
  EXPECT_EQ("épargne", VYXReadFile(joint.Path()));
  EXPECT_EQ("courant", VYXReadFile(epargne.Path()));

  EXPECT_FALSE(container.DeleteCompteFile(absent));
  ASSERT_TRUE(container.DeleteCompteFile(joint));
  EXPECT_FALSE(joint.Exists());
  EXPECT_EQ(0, gUserPrefs->GetNbOfComptes());
}

TEST_F(ContainerTest, FilesOfDossiersTakeTheirCompanions) {
  CPFileRef open(dir_.Path() / "Ouvert.grp"), a(dir_.Path() / "A.grp"), b(dir_.Path() / "B.grp");
  MakeDossier(open);
  MakeDossier(a, "Un");
  MakeDossier(b, "Deux");
  user_.PushText(Utf8ToMacRoman(open.Path().string()));
  VYXContainer container(Folders());
  container.Startup();

  CPFileRef copy(dir_.Path() / "Copie.grp");
  ASSERT_TRUE(container.CopyUserPrefsFile(a, copy));
  EXPECT_EQ(VYXReadFile(VYXCompanionFiles(a)[0].Path()),
            VYXReadFile(VYXCompanionFiles(copy)[0].Path()));
  EXPECT_FALSE(VYXCompanionFiles(copy)[1].Exists());
  EXPECT_FALSE(container.CopyUserPrefsFile(a, copy));  // already there
  EXPECT_FALSE(container.CopyUserPrefsFile(CPFileRef(dir_.Path() / "Un.cpt"), dir_.Ref("X.grp")));
  ASSERT_TRUE(container.OpenDocument(copy));  // a dossier of its own, that opens
  EXPECT_EQ(1, gUserPrefs->GetNbOfComptes());
  ASSERT_TRUE(container.OpenDocument(open));

  std::string bytesA = VYXReadFile(a.Path()), bytesB = VYXReadFile(b.Path());
  std::string logA = VYXReadFile(VYXCompanionFiles(a)[0].Path());
  std::string logB = VYXReadFile(VYXCompanionFiles(b)[0].Path());
  EXPECT_FALSE(container.SwapUserPrefsFiles(a, open));  // the open one is left alone
  ASSERT_TRUE(container.SwapUserPrefsFiles(a, b));
  EXPECT_EQ(bytesB, VYXReadFile(a.Path()));
  EXPECT_EQ(bytesA, VYXReadFile(b.Path()));
  EXPECT_EQ(logB, VYXReadFile(VYXCompanionFiles(a)[0].Path()));
  EXPECT_EQ(logA, VYXReadFile(VYXCompanionFiles(b)[0].Path()));
  // Each opens with the log that belongs to it.
  ASSERT_TRUE(container.OpenDocument(a));
  Str255 name;
  gUserPrefs->GetComptes().GetNthResource(1, name);
  EXPECT_EQ("Deux", PToStd(name));

  EXPECT_FALSE(container.DeleteUserPrefsFile(a));  // open now
  ASSERT_TRUE(container.DeleteUserPrefsFile(b));
  EXPECT_FALSE(b.Exists());
  EXPECT_FALSE(VYXCompanionFiles(b)[0].Exists());
  EXPECT_FALSE(VYXCompanionFiles(b)[1].Exists());
  EXPECT_FALSE(container.DeleteUserPrefsFile(b));
}

// The check runs at start-up when it is due: with the default 7 days after a
// check on 1 March, not on 8 March, on 9 March.
TEST_F(ContainerTest, TheVersionCheckAtStartUpWaitsForItsDelay) {
  VYXTestHttpServer server;
  std::mutex mutex;
  int requests = 0;
  server.Server().Get("/index.php", [&](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    ++requests;
    res.set_content("UPDATE\tN\r\n", "text/plain");
  });
  CPFileRef dossier(dir_.Path() / "Dossier.grp");
  MakeDossier(dossier);
  WithPreferences([&](VYXGlobalPreferences& p) {
    p.SetWebSiteHost(server.HostAndPort());
    p.SetCheckNewVersionLastDate(CPGetDate(1, 3, 2024) + 10 * 3600);
    p.SetLastGroupPath(dossier);
  });
  struct Case {
    int day;
    int requests;
  } cases[] = {{8, 0}, {9, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.day);
    VYXPinnedClock day(c.day, 3, 2024, 8);
    VYXContainer container(Folders());
    container.Startup();
    {
      std::lock_guard<std::mutex> lock(mutex);
      EXPECT_EQ(c.requests, requests);
    }
    CPDate last = container.GetGlobalPreferences().GetCheckNewVersionLastDate();
    EXPECT_EQ(c.requests ? CPClock::Now() : CPGetDate(1, 3, 2024) + 10 * 3600, last);
  }
  EXPECT_TRUE(user_.Alerts().empty());
}

}  // namespace

namespace {

class ContainerWithComptes : public ContainerTest {
 protected:
  void SetUp() override {
    MakeDossier(dossier_, "");
    user_.PushText(Utf8ToMacRoman(dossier_.Path().string()));
    container_ = std::make_unique<VYXContainer>(Folders());
    container_->Startup();
    ASSERT_NE(nullptr, gUserPrefs);
    container_->AddListener(&heard_);
  }
  CPFileRef Compte(const std::string& name) const {
    return VYXCompteFileIn(dossier_.Folder(), name);
  }

  CPFileRef dossier_{dir_.Path() / "Dossier" / "Dossier.grp"};
  std::unique_ptr<VYXContainer> container_;
  ContMessages heard_;
};

TEST_F(ContainerWithComptes, AccountsOpenOnceAndCloseWithTheDossier) {
  VYXSDBCompte* courant = nullptr;
  ASSERT_TRUE(container_->CreateCompte(Compte("Courant"), &courant));
  ASSERT_TRUE(container_->CreateCompteFile(Compte("Livret"), nullptr));
  EXPECT_EQ(2, container_->GetNbOfComptes());
  EXPECT_EQ(courant, container_->GetNthCompte(1));
  EXPECT_EQ(nullptr, container_->GetNthCompte(3));
  // Only the account created for the dossier is listed in it.
  EXPECT_EQ((std::vector<std::string>{"Courant"}), [] {
    std::vector<std::string> names;
    for (int32_t n = 1; n <= gUserPrefs->GetNbOfComptes(); ++n) {
      Str255 name;
      gUserPrefs->GetComptes().GetNthResource(n, name);
      names.push_back(PToStd(name));
    }
    return names;
  }());
  // Opening it again gives the same account.
  VYXSDBCompte* again = nullptr;
  ASSERT_TRUE(container_->OpenCompte(Compte("Courant"), &again));
  EXPECT_EQ(courant, again);
  EXPECT_EQ(2, container_->GetNbOfComptes());
  // A file that is not open is not opened by asking for it.
  VYXSDBCompte* found = nullptr;
  EXPECT_FALSE(container_->GetCompte(Compte("Autre"), &found));
  EXPECT_EQ(2, container_->GetNbOfComptes());
  EXPECT_TRUE(container_->GetCompte(Compte("Livret"), &found));
  // The files of open accounts are left alone.
  EXPECT_FALSE(container_->RenameCompteFile(Compte("Courant"), "Autre"));
  EXPECT_FALSE(container_->DeleteCompteFile(Compte("Livret")));
  EXPECT_FALSE(container_->SwapCompteFiles(Compte("Courant"), Compte("Livret")));

  container_->CloseCompte(*found);
  EXPECT_EQ(1, container_->GetNbOfComptes());
  // Changing the dossier closes its accounts first.
  container_->ChangeUserPreferences(CPFileRef(dir_.Path() / "Autre.grp"), true);
  EXPECT_EQ(0, container_->GetNbOfComptes());
  EXPECT_EQ((std::vector<uint32_t>{4, 4, 5, 5, 2, 3}), heard_.codes);
}

TEST_F(ContainerWithComptes, AnAccountFromElsewhereJoinsTheDossier) {
  ASSERT_TRUE(container_->CreateCompteFile(CPFileRef(dir_.Path() / "Ailleurs.cpt"), nullptr));
  container_->CloseAllComptes();
  EXPECT_EQ(0, gUserPrefs->GetNbOfComptes());
  ASSERT_TRUE(container_->OpenDocument(CPFileRef(dir_.Path() / "Ailleurs.cpt")));
  EXPECT_EQ(1, gUserPrefs->GetNbOfComptes());
  EXPECT_EQ(1, container_->GetNbOfComptes());
}

TEST_F(ContainerWithComptes, FailuresAreShownAndAnswerFalse) {
  EXPECT_FALSE(container_->OpenCompte(Compte("Absent"), nullptr));
  EXPECT_EQ(fnfErr, container_->GetLastError());
  ASSERT_EQ(1u, user_.Alerts().size());
  ASSERT_TRUE(container_->CreateCompte(Compte("Courant"), nullptr));
  EXPECT_FALSE(container_->CreateCompte(Compte("Courant"), nullptr));  // it exists
  EXPECT_EQ(2u, user_.Alerts().size());
  // A user file opened as an account is refused, and stays a dossier.
  EXPECT_FALSE(container_->OpenCompte(dossier_, nullptr));
  EXPECT_TRUE(VYXIsUserFile(dossier_));
  EXPECT_EQ(1, container_->GetNbOfComptes());
  // Without a dossier there is no account.
  container_->CloseUserPreferences();
  EXPECT_FALSE(container_->CreateCompte(Compte("Livret"), nullptr));
  EXPECT_EQ(kVYXErrNoDossier, container_->GetLastError());
  EXPECT_FALSE(Compte("Livret").Exists());
}

TEST_F(ContainerWithComptes, OpeningEveryAccountOfTheDossier) {
  ASSERT_TRUE(container_->CreateCompte(Compte("Courant"), nullptr));
  ASSERT_TRUE(container_->CreateCompte(Compte("Livret"), nullptr));
  container_->CloseAllComptes();
  EXPECT_EQ(0, container_->GetNbOfComptes());
  ASSERT_TRUE(container_->OpenAllComptes());
  EXPECT_EQ(2, container_->GetNbOfComptes());
  container_->Quit();
  EXPECT_EQ(0, container_->GetNbOfComptes());
  EXPECT_EQ(nullptr, gUserPrefs);
  EXPECT_TRUE(container_->IsQuitting());
}

TEST_F(ContainerWithComptes, AMovedDossierFolderOpensEveryAccount) {
  fs::create_directories(dossier_.Path().parent_path() / "Épargne");
  ASSERT_TRUE(container_->CreateCompte(Compte("Courant"), nullptr));
  ASSERT_TRUE(container_->CreateCompte(
      CPFileRef(dossier_.Path().parent_path() / "Épargne" / "Livret A.cpt"), nullptr));
  container_.reset();
  // The whole dossier folder goes elsewhere, its log with it.
  fs::path moved = dir_.Path() / "Rangé" / "Mes comptes";
  fs::create_directories(moved.parent_path());
  fs::rename(dossier_.Path().parent_path(), moved);
  CPFileRef there(moved / "Dossier.grp");
  container_ = std::make_unique<VYXContainer>(Folders());
  container_->SetUserFileSpec(there);
  container_->Startup();
  ASSERT_TRUE(container_->OpenAllComptes());
  EXPECT_EQ(2, container_->GetNbOfComptes());
  VYXSDBCompte* livret = nullptr;
  EXPECT_TRUE(container_->GetCompte(CPFileRef(moved / "Épargne" / "Livret A.cpt"), &livret));
  EXPECT_EQ(1u, user_.Questions().size());  // the dossier asked for at the first start only
  EXPECT_TRUE(user_.Alerts().empty());
}

}  // namespace
