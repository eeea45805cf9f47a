// Commands that change nothing write nothing: every file of the dossier keeps
// its bytes and its modification time through commands that only read,
// through refusals made after the files were opened, and through a change
// that ends up changing nothing.
#include <sys/stat.h>

#include <map>

#include "VYXCliHomeTest.h"

namespace {

namespace fs = std::filesystem;

struct FileState {
  std::string bytes;
  struct timespec modified;
  bool operator==(const FileState& o) const {
    return bytes == o.bytes && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec;
  }
};

class NoWriteTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    dossier_ = MakeDossier({"Courant", "Livret"});
    for (const char* amount : {"-10", "250", "-42,50"}) {
      Ok({"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", amount});
    }
    Ok({"ope", "ajouter", "Livret", "--date", "03/01/24", "--montant", "1000", "--statut",
        "pointee"});
    Ok({"chequier", "ajouter", "Courant", "Chéquier", "--premier", "100", "--nombre", "25"});
    Ok({"compte", "verrou", "Livret", "31/01/24"});
  }
  // Every file beside the dossier: its bytes and when it was last written.
  std::map<std::string, FileState> Files() const {
    std::map<std::string, FileState> files;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      struct stat st;
      if (::stat(entry.path().c_str(), &st) != 0) continue;
      files[entry.path().filename().string()] = {VYXReadFile(entry.path()), st.st_mtim};
    }
    return files;
  }
  void ExpectUnchanged(const std::map<std::string, FileState>& before,
                       const std::vector<std::string>& args) {
    auto after = Files();
    ASSERT_EQ(before.size(), after.size()) << Joined(args) << " made or removed a file";
    for (const auto& [name, state] : before) {
      EXPECT_TRUE(state == after[name]) << Joined(args) << " wrote " << name;
    }
  }

  std::string dossier_;
};

TEST_F(NoWriteTest, CommandsThatOnlyReadWriteNothing) {
  const std::string cpt = (Folder() / "Courant.cpt").string();
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"soldes"},
      {"soldes", "Livret", "--json"},
      {"ope", "liste", "Courant"},
      {"ope", "liste", "Livret", "--json"},
      {"compte", "liste"},
      {"compte", "verrou", "Livret"},
      {"compte", "reports", "Courant"},
      {"dossier", "info"},
      {"liste", "categories"},
      {"liste", "tiers", "--json"},
      {"liste", "modes"},
      {"chequier", "liste", "Courant"},
      {"db", "info", cpt},
      {"db", "lister", dossier_},
      {"db", "verifier", cpt},
      {"db", "verifier", dossier_},
  };
  // The first command of a new dossier may settle what creating it left to do.
  Ok({"soldes"});
  const auto before = Files();
  for (const auto& args : commands) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(0, r.exitCode) << Joined(args) << "\n" << r.err;
    ExpectUnchanged(before, args);
  }
}

TEST_F(NoWriteTest, RefusalsWriteNothing) {
  Ok({"soldes"});
  const auto before = Files();
  const std::vector<std::vector<std::string>> refusals = {
      // a question answered no
      {"--non", "compte", "supprimer", "Courant"},
      {"--non", "liste", "categories", "renommer", "Loisirs", "Salaire"},
      // an argument refused once the account is open
      {"ope", "ajouter", "Courant", "--date", "04/01/24", "--montant", "5", "--categorie",
       "Inconnue"},
      {"ope", "modifier", "Courant", "999", "--libelle", "X"},
      {"ventil", "ajouter", "Courant", "999", "--montant", "1"},
      // the locked period
      {"ope", "ajouter", "Livret", "--date", "15/01/24", "--montant", "5"},
      {"ope", "supprimer", "Livret", "1"},
      // a name already taken
      {"compte", "renommer", "Courant", "Livret"},
      {"liste", "devises", "ajouter", "EUR"},
  };
  for (const auto& args : refusals) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(1, r.exitCode) << Joined(args) << "\n" << r.out;
    ExpectUnchanged(before, args);
  }
}

TEST_F(NoWriteTest, AChangeThatChangesNothingWritesNothing) {
  Ok({"soldes"});
  const auto before = Files();
  const std::vector<std::vector<std::string>> commands = {
      {"liste", "categories", "renommer", "Loisirs", "Loisirs"},
      {"compte", "verrou", "Livret", "31/01/24"},
      {"compte", "reports", "Courant", "--prevu", "0"},
  };
  for (const auto& args : commands) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(0, r.exitCode) << Joined(args) << "\n" << r.err;
    ExpectUnchanged(before, args);
  }
}

}  // namespace
