// Damaged and lost files of a dossier, mended with `vyx db`: an account that
// one damaged operation keeps shut is salvaged, and a dossier is rebuilt from
// its log named as the README names it.
#include <fstream>

#include "VYXCliHomeTest.h"

namespace {

namespace fs = std::filesystem;

class RepairTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    MakeDossier({"Courant"});
    for (const char* amount : {"-10", "-20", "-40"}) {
      Ok({"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", amount, "--categorie",
          "Loisirs"});
    }
  }
  std::string Path(const char* name) const { return (Folder() / name).string(); }
};

TEST_F(RepairTest, AnAccountThatOneDamagedOperationKeepsShutIsSalvaged) {
  // The second operation's data, one byte changed.
  nlohmann::json records = Json({"db", "lister", Path("Courant.cpt")})["enregistrements"];
  int seen = 0;
  uint32_t block = 0;
  for (const nlohmann::json& r : records) {
    if (r["type"] == "CPTO" && ++seen == 2) block = r["bloc"];
  }
  ASSERT_NE(0u, block);
  {
    std::fstream f(Path("Courant.cpt"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(5120 + (block - 1) * 128 + 44 + 6);
    f.put('\x7f');
  }
  VYXRunResult shut = VYXRunVyx({"soldes"});
  EXPECT_EQ(1, shut.exitCode);
  EXPECT_NE(std::string::npos, shut.err.find("Bloc " + std::to_string(block))) << shut.err;

  VYXRunResult salvaged = Ok({"db", "recuperer", Path("Courant.cpt")});
  EXPECT_NE(std::string::npos, salvaged.out.find("de type « CPTO »")) << salvaged.out;
  fs::rename(Path("Courant (récupéré).cpt"), Path("Courant.cpt"));
  // What is left reads; the stored sums no longer match it, which a reader
  // shows as found and a writer stores once the user agrees.
  EXPECT_EQ(
      "Compte    Prévu  Engagé  Pointé  Devise\n"
      "Courant  -50,00  -50,00    0,00  EUR\n",
      Ok({"soldes"}).out);
  EXPECT_EQ(2u, Json({"ope", "liste", "Courant"}).size());
  Ok({"--oui", "ope", "ajouter", "Courant", "--date", "03/01/24", "--montant", "-5"});
  EXPECT_EQ(3u, Json({"ope", "liste", "Courant"}).size());
  EXPECT_EQ(0, VYXRunVyx({"db", "verifier", Path("Courant.cpt")}).exitCode);
}

TEST_F(RepairTest, ADossierIsRebuiltFromItsLogNamedAsTheReadmeNamesIt) {
  const nlohmann::json categories = Json({"liste", "categories"});
  VYXRunOptions here;
  here.cwd = Folder().string();
  // Beside its log lies the dossier, and its share file, which is not one.
  for (const std::string& log : {std::string("Maison.evt"), Path("Maison.evt")}) {
    VYXRunResult r = VYXRunVyx({"db", "reconstruire", log}, here);
    EXPECT_EQ(0, r.exitCode) << log << "\n" << r.err;
    EXPECT_NE(std::string::npos, r.out.find(Path("Maison.grp"))) << r.out;
  }
  fs::remove(Path("Maison.grp"));
  VYXRunResult lost = VYXRunVyx({"db", "reconstruire", "Maison.evt", "Maison.grp"}, here);
  EXPECT_EQ(0, lost.exitCode) << lost.err;
  EXPECT_EQ(categories, Json({"liste", "categories"}));
  EXPECT_EQ(1u, Json({"soldes"}).size());
}

}  // namespace
