// `vyx liste TYPE exporter` and `importer` end to end: the text they write
// (UTF-8, tabs, LF), a round trip between two dossiers, what an import does
// with taken names, and the files it refuses before writing anything.
#include <fstream>

#include "VYXCliHomeTest.h"

namespace {

namespace fs = std::filesystem;

class ListeImExTest : public VYXCliHomeTest {
 protected:
  ListeImExTest() { emptyLists_ = true; }

  std::string Write(const std::string& name, const std::string& text) {
    fs::path path = home_.Path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
};

TEST_F(ListeImExTest, AListExportedIsImportedIntoAnotherDossierAsItWas) {
  MakeDossier({"Courant"});
  Ok({"liste", "categories", "ajouter", "Électricité", "--famille", "Logement"});
  Ok({"liste", "categories", "ajouter", "Salaire", "--type", "recette"});
  std::string file = (home_.Path() / "categories.txt").string();
  EXPECT_EQ("2 éléments de la liste des catégories écrits dans « " + file + " ».\n",
            Ok({"liste", "categories", "exporter", file}).out);
  EXPECT_EQ(
      "Nom\tType\tFamille\tObjectif\tCouleur\tN° de compte\n"
      "Électricité\tdépense\tLogement\t0\t0\t\n"
      "Salaire\trecette\t\t0\t0\t\n",
      VYXReadFile(file));
  // The same to the standard output; an existing file is never replaced.
  EXPECT_EQ(VYXReadFile(file), Ok({"liste", "categories", "exporter", "-"}).out);
  EXPECT_EQ("vyx : Le fichier « " + file + " » existe déjà : vyx ne le remplace pas.\n",
            Refused({"liste", "categories", "exporter", file}).err);

  std::string other = (Folder() / "Autre.grp").string();
  Ok({"dossier", "creer", other, "--vide"});
  EXPECT_EQ("Liste des catégories : 2 ajoutés, 0 renommés, 0 modifiés, 0 déjà là, 0 refusés.\n",
            Ok({"liste", "categories", "importer", file}).out);
  nlohmann::json imported = Json({"liste", "categories"});
  ASSERT_EQ(2u, imported.size());
  EXPECT_EQ("Logement", imported[0]["famille"]);
  EXPECT_EQ(2, imported[1]["type"]);
  // Imported again, nothing changes.
  EXPECT_EQ("Liste des catégories : 0 ajoutés, 0 renommés, 0 modifiés, 2 déjà là, 0 refusés.\n",
            Ok({"liste", "categories", "importer", file}).out);
  EXPECT_EQ(imported, Json({"liste", "categories"}));
}

TEST_F(ListeImExTest, TakenNamesAreNumberedOrReplacedAndBadLinesReported) {
  MakeDossier({"Courant"});
  Ok({"liste", "tva", "ajouter", "Normal", "--taux", "19,6"});
  // The account has its copy of the rate, which --remplacer brings up to date.
  Ok({"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", "-10", "--tva", "Normal"});
  std::string file = Write("tva.txt",
                           "taux\tNom\r\n"        // titles by key or heading, CR LF lines
                           "20\tNormal\r\n"
                           "5,5\tRéduit\r\n"
                           "beaucoup\tSpécial\r\n"
                           "1\t\r\n");

  VYXRunResult numbered = VYXRunVyx({"liste", "tva", "importer", file});
  EXPECT_EQ(1, numbered.exitCode);  // some lines were refused
  EXPECT_EQ(
      "Liste des taux de TVA : 1 ajoutés, 1 renommés, 0 modifiés, 0 déjà là, 2 refusés.\n"
      "Ligne 2 : « Normal » ajouté sous le nom « Normal 1 », la liste ayant déjà un élément de ce "
      "nom.\n"
      "Ligne 4 : « Spécial » refusé : colonne « Taux » : « beaucoup » n'est pas un nombre.\n"
      "Ligne 5 refusée : pas de nom.\n",
      numbered.out);

  VYXRunResult again = VYXRunVyx({"liste", "tva", "importer", file, "--remplacer", "--json"});
  EXPECT_EQ(1, again.exitCode);
  nlohmann::json replaced = nlohmann::json::parse(again.out);
  EXPECT_EQ(1, replaced["modifies"]);
  EXPECT_EQ(1, replaced["inchanges"]);
  EXPECT_EQ("modifie", replaced["lignes"][0]["resultat"]);
  nlohmann::json tva = Json({"liste", "tva"});
  EXPECT_EQ(20.0, tva[0]["taux"]);
  // The account's copy took the new rate: a new operation's VAT follows it.
  nlohmann::json op = Json(
      {"ope", "ajouter", "Courant", "--date", "03/01/24", "--montant", "-120", "--tva", "Normal"});
  EXPECT_EQ(-20.0, op["montantTva"]);
}

TEST_F(ListeImExTest, FilesThatCannotBeReadChangeNothing) {
  MakeDossier({"Courant"});
  Ok({"liste", "devises", "ajouter", "USD", "--taux", "0,9"});
  struct Case {
    std::string text;
    const char* says;
  } cases[] = {
      {"Nom\tTaux\nCHF\t1,1\nJPY\t\xE9\n", "ligne 3 : Ce texte n'est pas un texte UTF-8 valide."},
      {"Nom\tTaux\nCHF\t1,1\nUAH\t₴\n", "ligne 3 : Ce texte contient le caractère U+20B4 HRYVNIA SIGN"},
      {"Code\tTaux\nCHF\t1\n", "n'a pas de colonne « Nom »"},
      {"Nom\tTaux\tTaux\nCHF\t1\t2\n", "deux fois la colonne « Taux »"},
  };
  std::map<std::string, std::string> before = Snapshot();
  for (const Case& c : cases) {
    std::string file = Write("devises.txt", c.text);
    std::string err = Refused({"liste", "devises", "importer", file}).err;
    EXPECT_NE(std::string::npos, err.find(c.says)) << err;
  }
  Refused({"liste", "devises", "importer", (home_.Path() / "absent.txt").string()});
  for (const auto& [path, bytes] : before) {
    if (path.ends_with(".grp") || path.ends_with(".cpt")) {
      EXPECT_EQ(bytes, VYXReadFile(path)) << path;
    }
  }

  // Currencies: codes in capitals, never numbered; the reference keeps its rate.
  std::string file = Write("devises.txt", "Nom\tTaux\nchf\t1,05\nusd\t0,95\nEUR\t2\nDOLLAR\t1\n");
  VYXRunResult imported = VYXRunVyx({"liste", "devises", "importer", file, "--remplacer", "--json"});
  EXPECT_EQ(1, imported.exitCode);  // two lines refused
  nlohmann::json report = nlohmann::json::parse(imported.out);
  EXPECT_EQ("ajoute", report["lignes"][0]["resultat"]);
  EXPECT_EQ("CHF", report["lignes"][0]["donne"]);
  EXPECT_EQ("modifie", report["lignes"][1]["resultat"]);
  EXPECT_EQ("refuse", report["lignes"][2]["resultat"]);
  EXPECT_EQ("refuse", report["lignes"][3]["resultat"]);
  nlohmann::json devises = Json({"liste", "devises"});
  EXPECT_EQ(1.0, devises[0]["taux"]);
}

}  // namespace
