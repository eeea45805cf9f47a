// `vyx banque` and `vyx devises actualiser` end to end: the real program in a
// temporary home, the example script shipped with vyx, a bank site on
// 127.0.0.1.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>

#include "VYXCliHomeTest.h"
#include "support/VYXTestBankSite.h"
#include "support/VYXTestPack.h"

namespace {

namespace fs = std::filesystem;

// The value of a row of a printed report: what ends the line that begins with `label`.
std::string Row(const std::string& out, const std::string& label) {
  size_t at = out.find("\n" + label);
  if (at == std::string::npos) return "<none>";
  size_t end = out.find('\n', at + 1);
  std::string line = out.substr(at + 1, end - at - 1);
  return line.substr(line.find_last_of(' ') + 1);
}

class BanqueCommandsTest : public VYXCliHomeTest {
 protected:
  VYXTestBankSite site;
  std::vector<std::string> Telecharger(std::initializer_list<std::string> more) {
    std::vector<std::string> args = {"banque", "telecharger", "Courant", "--script", "banque-exemple",
                                     "--param", "URL=" + site.Base(), "--param", "IDENTIFIANT=jean",
                                     "--delai", "1"};
    args.insert(args.end(), more);
    return args;
  }
};

TEST_F(BanqueCommandsTest, TheExampleScriptIsListed) {
  VYXRunResult r = Ok({"banque", "scripts"});
  EXPECT_NE(std::string::npos, r.out.find("banque-exemple.txt")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("Banque d'exemple")) << r.out;
  fs::create_directories(Folder());
  EXPECT_NE(std::string::npos, Ok({"banque", "scripts", "--dossier-scripts", Folder().string()}).out.find("Aucun script"));
}

TEST_F(BanqueCommandsTest, ADownloadLoadsTheBankLinesIntoTheStatementFile) {
  MakeDossier({"Courant"});
  std::string journal = (home_.Path() / "journal.txt").string();
  VYXRunResult r = Ok(Telecharger({"--param", std::string("MOTDEPASSE=") + VYXTestBankSite::kPassword, "--journal", journal}));
  EXPECT_EQ("4", Row(r.out, "Lignes nouvelles")) << r.out;
  EXPECT_EQ("1", Row(r.out, "Lignes des fichiers")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("2 345,67")) << r.out;

  nlohmann::json lines = Json({"releve", "liste", "Courant", "--tout"});
  std::string all = lines.dump();
  for (const char* text : {"CB CARREFOUR 27/12", "VIR SALAIRE DÉCEMBRE", "CHEQUE", "1234567"})
    EXPECT_NE(std::string::npos, all.find(text)) << text << "\n" << all;
  // The card statement the script downloaded in OFX went in as card lines.
  std::string file = VYXReadFile(Folder() / "Courant.releves");
  EXPECT_NE(std::string::npos, file.find("ECCB\t")) << file;
  EXPECT_NE(std::string::npos, file.find("BOULANGERIE")) << file;

  std::string log = VYXReadFile(journal);
  EXPECT_NE(std::string::npos, log.find("SCRIPT: DOWNLOAD"));
  EXPECT_EQ(std::string::npos, log.find("p@ss"));

  // Loaded again, the statement lines are already there; the card's
  // outstanding line is replaced by the new card statement, not doubled.
  r = Ok(Telecharger({"--param", std::string("MOTDEPASSE=") + VYXTestBankSite::kPassword}));
  EXPECT_EQ("3", Row(r.out, "Lignes déjà chargées")) << r.out;
  file = VYXReadFile(Folder() / "Courant.releves");
  for (const char* once : {"CB CARREFOUR", "BOULANGERIE"})
    EXPECT_EQ(file.find(once), file.rfind(once)) << once << "\n" << file;
}

TEST_F(BanqueCommandsTest, FailuresWriteNothing) {
  MakeDossier({"Courant"});
  fs::path scripts = home_.Path() / "scripts";
  fs::create_directories(scripts);
  std::ofstream(scripts / "boucle.txt") << "SCRIPT\tVERS=1.0\nLABEL\tNAME=a\nGOTO\tLABEL=a\n";
  std::ofstream(scripts / "passwd.txt") << "SCRIPT\tVERS=1.0\nINCLUDE\tFILE=../../etc/passwd\n";
  auto before = Snapshot();
  struct Case {
    VYXTestBankSite::Mode mode;
    const char* password;
    const char* message;
  } cases[] = {
      {VYXTestBankSite::Mode::kNormal, "faux", "La banque signale l'erreur 2 : Identifiant ou mot de passe incorrect.\n"},
      {VYXTestBankSite::Mode::kHuge, VYXTestBankSite::kPassword, "trop volumineuse"},
      {VYXTestBankSite::Mode::kEndless, VYXTestBankSite::kPassword, "pas répondu à temps"},
      {VYXTestBankSite::Mode::kBroken, VYXTestBankSite::kPassword, "la page des opérations est illisible"},
  };
  for (const Case& c : cases) {
    site.SetMode(c.mode);
    VYXRunResult r = Refused(Telecharger({"--param", std::string("MOTDEPASSE=") + c.password}));
    EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
    EXPECT_TRUE(before == Snapshot());
  }

  EXPECT_NE(std::string::npos,
            Refused({"banque", "telecharger", "Courant", "--script", "boucle", "--dossier-scripts", scripts.string()})
                .err.find("boucle sans fin"));
  EXPECT_NE(std::string::npos,
            Refused({"banque", "telecharger", "Courant", "--script", "passwd", "--dossier-scripts", scripts.string()})
                .err.find("« ../../etc/passwd »"));
  Refused({"banque", "telecharger", "Courant", "--script", "../passwd", "--dossier-scripts", scripts.string()});
  EXPECT_TRUE(before == Snapshot());
}

// A real Secret Service for the test alone: a D-Bus session bus and
// gnome-keyring-daemon, its keyring under the temporary home, unlocked.
class KeyringTest : public BanqueCommandsTest {
 protected:
  void SetUp() override {
    BanqueCommandsTest::SetUp();
    for (const char* program : {"/usr/bin/dbus-daemon", "/usr/bin/gnome-keyring-daemon"})
      if (!fs::exists(program)) GTEST_SKIP() << program << " absent: scripts/setup.sh installs it";
    fs::path runtime = home_.Path() / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    VYXRunResult bus = VYXRunProgram("/usr/bin/dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
    ASSERT_EQ(0, bus.exitCode) << bus.err;
    size_t line = bus.out.find('\n');
    address_ = bus.out.substr(0, line);
    busPid_ = std::stoi(bus.out.substr(line + 1));
    session_.env = {{"DBUS_SESSION_BUS_ADDRESS", address_}, {"XDG_RUNTIME_DIR", runtime.string()}};
    // The keyring's password comes on its input; the daemon leaves with the bus.
    VYXRunResult keyring = VYXRunProgram(
        "/bin/sh", {"-c", "printf essai | gnome-keyring-daemon --daemonize --unlock --components=secrets >/dev/null 2>&1"},
        session_);
    ASSERT_EQ(0, keyring.exitCode) << keyring.err;
  }
  void TearDown() override {
    if (busPid_ > 0) ::kill(busPid_, SIGTERM);
    BanqueCommandsTest::TearDown();
  }
  VYXRunResult Run(const std::vector<std::string>& args) { return VYXRunVyx(args, session_); }

  std::string address_;
  int busPid_ = -1;
  VYXRunOptions session_;
};

TEST_F(KeyringTest, APasswordKeptIsTakenBackUntilForgotten) {
  MakeDossier({"Courant"});
  // A password the bank refused is not kept.
  VYXRunResult r = Run(Telecharger({"--param", "MOTDEPASSE=faux", "--trousseau"}));
  EXPECT_EQ(1, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, Run(Telecharger({"--param", "MOTDEPASSE", "--trousseau"})).err.find("MOTDEPASSE"));

  r = Run(Telecharger({"--param", std::string("MOTDEPASSE=") + VYXTestBankSite::kPassword, "--trousseau"}));
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("4", Row(r.out, "Lignes nouvelles")) << r.out;
  // Taken back without a question (the test has no terminal to answer one).
  r = Run(Telecharger({"--param", "MOTDEPASSE", "--trousseau"}));
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("3", Row(r.out, "Lignes déjà chargées")) << r.out;
  // Kept under the login: another one has none.
  std::vector<std::string> other = Telecharger({"--param", "MOTDEPASSE", "--trousseau"});
  std::replace(other.begin(), other.end(), std::string("IDENTIFIANT=jean"), std::string("IDENTIFIANT=paul"));
  EXPECT_NE(0, Run(other).exitCode);
  for (const auto& entry : fs::recursive_directory_iterator(home_.Path() / "compta")) {
    if (!entry.is_regular_file()) continue;
    EXPECT_EQ(std::string::npos, VYXReadFile(entry.path()).find("p@ss")) << entry.path();
  }

  r = Run({"banque", "oublier", "--script", "banque-exemple", "--identifiant", "jean"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("oubliés")) << r.out;
  r = Run(Telecharger({"--param", "MOTDEPASSE", "--trousseau"}));
  EXPECT_NE(0, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("MOTDEPASSE")) << r.err;
  EXPECT_NE(std::string::npos, Run({"banque", "oublier", "--script", "banque-exemple"}).out.find("aucun mot de passe"));
}

TEST_F(BanqueCommandsTest, WithoutAKeyringNothingGoesOnTheWeb) {
  MakeDossier({"Courant"});
  auto before = Snapshot();
  VYXRunOptions headless;
  headless.env = {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home_.Path() / "pas-de-bus").string()},
                  {"DISPLAY", ""}};
  VYXRunResult r = VYXRunVyx(Telecharger({"--param", "MOTDEPASSE", "--trousseau"}), headless);
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("Aucun trousseau n'est disponible")) << r.err;
  EXPECT_TRUE(site.Requests().empty());
  EXPECT_TRUE(before == Snapshot());
  EXPECT_NE(std::string::npos, Refused(Telecharger({"--trousseau"})).err.find("--param MOTDEPASSE"));
}

TEST_F(BanqueCommandsTest, ScriptsComeFromAFilesPack) {
  MakeDossier({"Courant"});
  fs::path pack = home_.Path() / "ma-banque.tar.gz";
  VYXWritePack(pack, VYXTestPackFormat::kTarGz,
               {{"releve.txt", "SCRIPT\tVERS=1.0,NOM=Paquet\nINCLUDE\tFOLDER=lib,FILE=lignes.txt\n"},
                {"lib/lignes.txt", "CALLBACK\tACTION=OPER,DATE=15/06,LIBELLE=PRLV EDF,MONTANT=-42\n"},
                {"notes.md", "pas un script"}});
  VYXRunResult r = Ok({"banque", "scripts", "--dossier-scripts", pack.string()});
  EXPECT_NE(std::string::npos, r.out.find("releve.txt")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("Paquet")) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find("notes.md")) << r.out;
  r = Ok({"banque", "telecharger", "Courant", "--script", "releve", "--dossier-scripts", pack.string()});
  EXPECT_EQ("1", Row(r.out, "Lignes nouvelles")) << r.out;
  EXPECT_NE(std::string::npos, Json({"releve", "liste", "Courant", "--tout"}).dump().find("PRLV EDF"));

  fs::path hostile = home_.Path() / "piege.zip";
  VYXWritePack(hostile, VYXTestPackFormat::kZip,
               {{"releve.txt", "SCRIPT\tVERS=1.0\n"}, {"../../.profile", "echo piege"}});
  auto before = Snapshot();
  r = Refused({"banque", "telecharger", "Courant", "--script", "releve", "--dossier-scripts", hostile.string()});
  EXPECT_NE(std::string::npos, r.err.find("« ../../.profile » en sortirait")) << r.err;
  EXPECT_TRUE(before == Snapshot());
}

TEST_F(BanqueCommandsTest, RatesUpdateTheDossierCurrencies) {
  MakeDossier({"Courant"});
  Ok({"liste", "devises", "ajouter", "USD"});
  fs::path scripts = home_.Path() / "scripts";
  fs::create_directories(scripts);
  std::ofstream(scripts / "devises.txt") << "SCRIPT\tVERS=1.0\nCALLBACK\tDEVISE=USD,TAUX=\"0,9231\"\nCALLBACK\tDEVISE=ZZZ,TAUX=2\n";
  VYXRunResult r = Ok({"devises", "actualiser", "--script", "devises", "--dossier-scripts", scripts.string()});
  EXPECT_NE(std::string::npos, r.out.find("0,923100")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("1 taux mis à jour, 1 devises inconnues")) << r.out;
}

}  // namespace
