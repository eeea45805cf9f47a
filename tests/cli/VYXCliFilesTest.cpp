// Files that move, are copied, lose their log or are not what they seem,
// with the real `vyx` in child processes: a copied dossier never writes the
// original's accounts behind the user's back, a dossier opens without a log it
// can use, a dossier is renamed with its companions, messages name the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "VYXCliHomeTest.h"
#include "userfile/DossierStation.h"

namespace fs = std::filesystem;

namespace {

class CliFilesTest : public VYXCliHomeTest {
 protected:
  // Every file under `folder`, with its bytes.
  static std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) files[entry.path().string()] = VYXReadFile(entry.path());
    }
    return files;
  }
  // The files of `folder` whose name contains `part`.
  static std::vector<fs::path> Named(const fs::path& folder, const std::string& part) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().find(part) != std::string::npos) {
        found.push_back(entry.path());
      }
    }
    return found;
  }
  static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  // The dossier "Maison" with an account "Courant" holding one operation.
  fs::path MakeHousehold() {
    fs::path dossier = MakeDossier({"Courant"});
    Ok({"ope", "ajouter", "courant", "--date", "03/01/24", "--montant", "-42,80"});
    return dossier;
  }
  // A copy of the dossier's folder beside it.
  fs::path CopyFolder() {
    fs::path copy = home_.Path() / "copie";
    fs::copy(Folder(), copy, fs::copy_options::recursive);
    return copy;
  }
};

// ---- Accounts looked for beside their dossier

TEST_F(CliFilesTest, ACopiedDossierMissingAnAccountNeverWritesTheOriginalsWithoutAsking) {
  MakeHousehold();
  fs::path copy = CopyFolder();
  fs::remove(copy / "Courant.cpt");
  const std::string dossier = (copy / "Maison.grp").string();
  const auto original = Files(Folder());

  // Nobody to answer, or --non: refused, naming where the file should be and
  // where the other one is.
  for (const char* answer : {"", "--non"}) {
    std::vector<std::string> args{"--dossier", dossier};
    if (*answer) args.push_back(answer);
    for (std::vector<std::string> command : {
             std::vector<std::string>{"ope", "ajouter", "courant", "--date", "04/01/24",
                                      "--montant", "5"},
             std::vector<std::string>{"compte", "supprimer", "courant"},
         }) {
      std::vector<std::string> all = args;
      all.insert(all.end(), command.begin(), command.end());
      VYXRunResult r = Refused(all);
      EXPECT_TRUE(Has(r.err, "n'est pas à côté du dossier (« " + (copy / "Courant.cpt").string() +
                                 " » est introuvable)"))
          << r.err;
      EXPECT_TRUE(Has(r.err, (Folder() / "Courant.cpt").string())) << r.err;
    }
  }
  EXPECT_EQ(original, Files(Folder()));
  EXPECT_FALSE(fs::exists(copy / "Courant.cpt"));

  // Once the user agreed, the account is that file, and is found at once.
  Ok({"--dossier", dossier, "--oui", "ope", "ajouter", "courant", "--date", "04/01/24", "--montant",
      "5"});
  VYXRunResult r = Ok({"--dossier", dossier, "ope", "liste", "courant"});
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(Has(r.out, "5,00"));
}

// A transfer's other half is written in the other account: in a copy that
// lacks that account, never in the original's file without the user's word.
TEST_F(CliFilesTest, ATransferOfACopiedDossierNeverWritesTheOriginalsOtherAccount) {
  MakeDossier({"Courant", "Epargne"});
  const std::string key =
      std::to_string(Json({"ope", "ajouter", "courant", "--date", "03/01/24", "--montant", "-100",
                           "--virement", "epargne"})["dataID"]
                         .get<int>());
  fs::path copy = CopyFolder();
  fs::remove(copy / "Epargne.cpt");
  const std::string dossier = (copy / "Maison.grp").string();
  const auto original = Files(Folder());
  // Changing the transfer changes its other half, found through the copied
  // account's own link to it.
  for (const char* answer : {"", "--non"}) {
    std::vector<std::string> args{"--dossier", dossier};
    if (*answer) args.push_back(answer);
    for (const char* part : {"ope", "modifier", "courant"}) args.push_back(part);
    args.push_back(key);
    for (const char* part : {"--montant", "-50"}) args.push_back(part);
    VYXRunVyx(args);
    EXPECT_EQ(original, Files(Folder())) << answer;
  }
  // Agreed to: the original's account is the one the copy uses.
  Ok({"--dossier", dossier, "--oui", "ope", "modifier", "courant", key, "--montant", "-50"});
  EXPECT_NE(original.at((Folder() / "Epargne.cpt").string()),
            VYXReadFile(Folder() / "Epargne.cpt"));
}

TEST_F(CliFilesTest, ADossierFolderMovedOrCopiedWholeKeepsItsOwnAccounts) {
  MakeHousehold();
  fs::path copy = CopyFolder();
  const auto original = Files(Folder());
  Ok({"--dossier", (copy / "Maison.grp").string(), "ope", "ajouter", "courant", "--date",
      "04/01/24", "--montant", "5"});
  EXPECT_EQ(original, Files(Folder()));  // the copy wrote its own account

  fs::path moved = home_.Path() / "ailleurs";
  fs::rename(Folder(), moved);
  VYXRunResult r = Ok({"--dossier", (moved / "Maison.grp").string(), "ope", "liste", "courant"});
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(Has(r.out, "-42,80"));
}

TEST_F(CliFilesTest, AnAccountFileThatIsADirectoryIsRefused) {
  MakeHousehold();
  fs::path copy = CopyFolder();
  fs::remove(copy / "Courant.cpt");
  fs::create_directory(copy / "Courant.cpt");
  const auto original = Files(Folder());
  Refused({"--dossier", (copy / "Maison.grp").string(), "--oui", "ope", "liste", "courant"},
          "vyx : « " + (copy / "Courant.cpt").string() +
              " », où doit se trouver le fichier du compte « Courant », est un répertoire et non "
              "un fichier.\n");
  EXPECT_EQ(original, Files(Folder()));
}

// ---- The dossier's event log

TEST_F(CliFilesTest, AMissingLogIsStartedAgainFromTheDossier) {
  fs::path dossier = MakeHousehold();
  fs::path log = Folder() / "Maison.evt";
  fs::remove(log);
  VYXRunResult v = VYXRunVyx({"db", "verifier", dossier.string()});
  EXPECT_EQ(1, v.exitCode);
  EXPECT_TRUE(Has(v.out, "le journal d'événements « " + log.string() + " » ne peut pas servir"))
      << v.out;

  // A command that only reads reads the dossier as it is and writes nothing.
  VYXRunResult r = Ok({"soldes"});
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(Has(r.out, "-42,80"));
  EXPECT_FALSE(fs::exists(log));

  // The first change starts a new log, and says so.
  r = Ok({"liste", "tiers", "ajouter", "Boulangerie"});
  EXPECT_EQ("vyx : Le journal d'événements du dossier, « " + log.string() +
                " », est introuvable : un nouveau journal part de l'état actuel du dossier.\n",
            r.err);
  EXPECT_TRUE(Has(Ok({"db", "verifier", dossier.string()}).out, "Base saine"));
  EXPECT_EQ("", Ok({"liste", "tiers", "ajouter", "Primeur"}).err);
}

TEST_F(CliFilesTest, ADossierRenamedByHandOpensWithANewLog) {
  MakeHousehold();
  const std::string oldLog = VYXReadFile(Folder() / "Maison.evt");
  fs::rename(Folder() / "Maison.grp", Folder() / "Foyer.grp");
  const std::string foyer = (Folder() / "Foyer.grp").string();
  EXPECT_TRUE(Has(Ok({"--dossier", foyer, "ope", "liste", "courant"}).out, "-42,80"));
  VYXRunResult r = Ok({"--dossier", foyer, "liste", "tiers", "ajouter", "Boulangerie"});
  EXPECT_TRUE(Has(r.err, "« " + (Folder() / "Foyer.evt").string() + " », est introuvable"))
      << r.err;
  EXPECT_TRUE(fs::exists(Folder() / "Foyer.evt"));
  EXPECT_EQ(oldLog, VYXReadFile(Folder() / "Maison.evt"));  // another file's: left alone
}

TEST_F(CliFilesTest, ALogThatCannotServeIsSetAsideNeverDeleted) {
  fs::path dossier = MakeHousehold();
  fs::path log = Folder() / "Maison.evt";
  // Another dossier's log.
  fs::path other = home_.Path() / "autre";
  fs::create_directories(other);
  Ok({"dossier", "creer", (other / "Autre.grp").string(), "--vide"});
  Ok({"dossier", "ouvrir", dossier.string()});
  const std::string full = VYXReadFile(log);
  struct {
    const char* what;
    std::string bytes;
    const char* why;
  } cases[] = {
      {"foreign", VYXReadFile(other / "Autre.evt"), "n'est pas celui de cette base"},
      // Read from its end, a cut log looks damaged or short of the last
      // change, depending on where the cut falls: either way it cannot serve.
      {"cut in an event", full.substr(0, full.size() - 100), "ne peut pas servir : Le journal"},
      {"garbage", std::string(64, 'x'), "est endommagé"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const fs::path& aside : Named(Folder(), ".abime")) fs::remove(aside);
    { std::ofstream(log, std::ios::binary | std::ios::trunc) << c.bytes; }
    EXPECT_EQ(1, VYXRunVyx({"db", "verifier", dossier.string()}).exitCode);

    EXPECT_TRUE(Has(Ok({"ope", "liste", "courant"}).out, "-42,80"));
    EXPECT_TRUE(Named(Folder(), ".abime").empty()) << "a command that only reads sets nothing aside";
    VYXRunResult r = Ok({"liste", "tiers", "ajouter", std::string("Tiers ") + c.what});
    std::vector<fs::path> aside = Named(Folder(), ".abime");
    ASSERT_EQ(1u, aside.size());
    EXPECT_EQ(c.bytes, VYXReadFile(aside[0]));
    EXPECT_TRUE(Has(aside[0].filename().string(), "Maison.evt.20"));
    EXPECT_TRUE(Has(r.err, c.why)) << r.err;
    EXPECT_TRUE(Has(r.err, "mis de côté sous le nom « " + aside[0].filename().string() + " »"))
        << r.err;
    EXPECT_TRUE(Has(Ok({"db", "verifier", dossier.string()}).out, "Base saine"));
  }
}

TEST_F(CliFilesTest, ALogIsNotRestartedUnderAnotherStation) {
  fs::path dossier = MakeHousehold();
  DossierStation station;
  ASSERT_EQ("ok", station.Ask("ouvrir " + dossier.string()));
  fs::path log = Folder() / "Maison.evt";
  fs::remove(log);
  VYXRunResult r = Refused({"liste", "tiers", "ajouter", "Boulangerie"});
  EXPECT_TRUE(Has(r.err, "introuvable")) << r.err;
  EXPECT_TRUE(Named(Folder(), ".abime").empty());
  EXPECT_FALSE(fs::exists(log));
}

// ---- Renaming a dossier

TEST_F(CliFilesTest, ADossierIsRenamedWithItsLogAndShareFile) {
  MakeHousehold();
  const auto before = Files(Folder());
  VYXRunResult r = Ok({"dossier", "renommer", "Foyer"});
  EXPECT_EQ("Dossier « " + (Folder() / "Maison.grp").string() +
                " » renommé : " + (Folder() / "Foyer.grp").string() + "\n",
            r.out);
  for (const char* ext : {".grp", ".evt", ".shr"}) {
    EXPECT_EQ(before.at((Folder() / ("Maison" + std::string(ext))).string()),
              VYXReadFile(Folder() / ("Foyer" + std::string(ext))))
        << ext;
    EXPECT_FALSE(fs::exists(Folder() / ("Maison" + std::string(ext)))) << ext;
  }
  // The current dossier and the recent ones follow; its log is its own.
  nlohmann::json info = Json({"dossier", "info"});
  EXPECT_EQ((Folder() / "Foyer.grp").string(), info["fichier"]);
  EXPECT_EQ(nlohmann::json::array({(Folder() / "Foyer.grp").string()}), info["recents"]);
  VYXRunResult liste = Ok({"ope", "liste", "courant"});
  EXPECT_EQ("", liste.err);
  EXPECT_TRUE(Has(liste.out, "-42,80"));

  // Another dossier named by its file; the current one stays.
  fs::path other = home_.Path() / "autre";
  fs::create_directories(other);
  Ok({"dossier", "creer", (other / "Autre.grp").string(), "--vide"});
  Ok({"dossier", "ouvrir", (Folder() / "Foyer.grp").string()});
  Ok({"dossier", "renommer", (other / "Autre.grp").string(), "Second.grp"});
  EXPECT_TRUE(fs::exists(other / "Second.grp"));
  EXPECT_TRUE(fs::exists(other / "Second.evt"));
  EXPECT_EQ((Folder() / "Foyer.grp").string(), Json({"dossier", "info"})["fichier"]);
}

TEST_F(CliFilesTest, ARenamingThatCannotBeDoneChangesNothing) {
  fs::path dossier = MakeHousehold();
  { std::ofstream(Folder() / "Foyer.evt") << "x"; }  // a stray file with the new name
  const auto before = Files(Folder());
  Refused({"dossier", "renommer", "Foyer"},
          "vyx : Le dossier « " + dossier.string() +
              " » n'est pas renommé : « Foyer.grp », son fichier de journal ou de partage "
              "existe déjà à côté.\n");
  EXPECT_TRUE(Has(Refused({"dossier", "renommer", "../Foyer"}).err, "sans « / »"));
  EXPECT_EQ(before, Files(Folder()));
  fs::remove(Folder() / "Foyer.evt");

  DossierStation station;
  ASSERT_EQ("ok", station.Ask("ouvrir " + dossier.string()));
  const auto shared = Files(Folder());
  Refused({"dossier", "renommer", "Autre"},
          "vyx : Le dossier « " + dossier.string() +
              " » est ouvert par un autre programme vyx : il n'est pas renommé.\n");
  EXPECT_EQ(shared, Files(Folder()));
  ASSERT_EQ("ok", station.Ask("fermer"));
  Ok({"dossier", "renommer", "Foyer"});
}

// ---- Messages name the file they are about

TEST_F(CliFilesTest, MessagesNameTheFile) {
  MakeHousehold();
  fs::path folder = home_.Path() / "rep";
  fs::create_directories(folder);
  fs::path junk = home_.Path() / "junk.grp";
  { std::ofstream(junk) << "pas une base"; }
  Refused({"dossier", "ouvrir", folder.string()},
          "vyx : « " + folder.string() +
              " » est un répertoire, pas un dossier vyx (un fichier "
              ".grp).\n");
  Refused({"dossier", "ouvrir", junk.string()},
          "vyx : « " + junk.string() + " » n'est pas un dossier vyx.\n");
  Refused({"--dossier", folder.string(), "soldes"},
          "vyx : Impossible d'ouvrir le dossier « " + folder.string() +
              " » : C'est un répertoire, pas un fichier. (erreur n° -1302)\n");
  Refused({"db", "info", junk.string()},
          "vyx : « " + junk.string() +
              " » : Ce fichier n'est pas une base de données vyx : il est trop court pour "
              "contenir un en-tête. (erreur n° 1001)\n");

  // A damaged record of an account: the block, and the account's file.
  fs::path courant = Folder() / "Courant.cpt";
  int bloc = 0;
  const nlohmann::json records = Json({"db", "lister", courant.string()})["enregistrements"];
  for (const auto& record : records) {
    if (record["type"] == "CPTO") bloc = record["bloc"];
  }
  ASSERT_NE(0, bloc);
  {
    std::fstream f(courant, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(5120 + (bloc - 1) * 128 + 44 + 20);  // inside the operation's data
    f.put('\x5A');
  }
  VYXRunResult r = Refused({"ope", "liste", "courant"});
  EXPECT_EQ(0u,
            r.err.find("vyx : Impossible d'ouvrir le compte « " + courant.string() + " » : Bloc "))
      << r.err;

  // A long label: its message keeps its reason.
  r = Refused({"ope", "ajouter", "courant", "--date", "04/01/24", "--montant", "1", "--libelle",
               std::string(250, 'x')});
  EXPECT_TRUE(Has(r.err, "est trop long : 99 caractères au plus.\n")) << r.err;
}

// ---- Input that the system would silently change

TEST_F(CliFilesTest, RefusedInputLeavesEveryFileAsItWas) {
  MakeHousehold();
  const auto before = Files(Folder());
  const std::vector<std::vector<std::string>> refused = {
      {"--date", "01/01/20245", "--montant", "1"},
      {"--date", "01/01/1999x", "--montant", "1"},
      {"--date", "01/01/19999", "--montant", "1"},
      {"--date", "1/1/24/5", "--montant", "1"},
      {"--date", "01/01/00024", "--montant", "1"},
      {"--date", "31/12/0099", "--montant", "1"},
      {"--date", "01//24", "--montant", "1"},
      {"--date", "５", "--montant", "1"},
      {"--date", "01/01/24", "--montant", ","},
      {"--date", "01/01/24", "--montant=-"},
      {"--date", "01/01/24", "--montant", "999999999999999999999"},
      {"--date", "01/01/24", "--montant", "92233720368547758,07"},
      {"--date", "01/01/24", "--montant", "−5"},
      {"--date", "01/01/24", "--montant", "1", "--libelle", "a\tb"},
      {"--date", "01/01/24", "--montant", "1", "--libelle", "a−b"},
  };
  for (const auto& options : refused) {
    std::vector<std::string> args{"ope", "ajouter", "courant"};
    args.insert(args.end(), options.begin(), options.end());
    VYXRunResult r = Refused(args);
    EXPECT_FALSE(Has(r.err, "« »")) << r.err;
    EXPECT_FALSE(Has(r.err, "?")) << r.err;
  }
  EXPECT_EQ(before, Files(Folder()));
  // Decomposed letters are composed, not refused.
  Ok({"ope", "ajouter", "courant", "--date", "05/01/24", "--montant", "1", "--libelle",
      "cafe\u0301"});
  EXPECT_TRUE(Has(Ok({"ope", "liste", "courant"}).out, "café"));
}

TEST_F(CliFilesTest, AnAmountWithMoreDecimalsThanTheDossierIsRefused) {
  MakeHousehold();
  Refused({"ope", "ajouter", "courant", "--date", "04/01/24", "--montant", "0,015"},
          "vyx : « 0,015 » a trop de décimales : les montants de ce dossier en ont 2 au plus.\n");
  Refused({"compte", "reports", "courant", "--prevu", "1,005"});
  Ok({"ope", "ajouter", "courant", "--date", "04/01/24", "--montant", "0,010"});
}

}  // namespace
