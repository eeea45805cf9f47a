// `vyx dossier`: the lists a new dossier starts with, and refusals that name
// what the user typed.
#include "VYXCliHomeTest.h"

namespace {

class DossierCommandsTest : public VYXCliHomeTest {
 protected:
  // A list as `liste TYPE --json` gives it: each item's name and one field.
  std::map<std::string, nlohmann::json> Field(const std::string& liste, const std::string& field) {
    std::map<std::string, nlohmann::json> items;
    for (const nlohmann::json& item : Json({"liste", liste})) items[item["nom"]] = item[field];
    return items;
  }
};

TEST_F(DossierCommandsTest, ANewDossierStartsWithTheUsualLists) {
  MakeDossier({"Courant"});
  using Items = std::map<std::string, nlohmann::json>;
  EXPECT_EQ((Items{{"Chèque", 1},
                   {"Carte bancaire", 3},
                   {"Virement", 4},
                   {"Prélèvement", 0},
                   {"Espèces", 0},
                   {"Remise de chèques", 5}}),
            Field("modes", "type"));
  EXPECT_EQ((Items{{"Taux normal", 19.6},
                   {"Taux réduit", 5.5},
                   {"Taux particulier", 2.1},
                   {"Exonéré", 0.0}}),
            Field("tva", "taux"));
  Items familles = Field("categories", "famille");
  EXPECT_EQ(24u, familles.size());
  EXPECT_EQ("Logement", familles["Loyer"]);
  EXPECT_EQ(nullptr, familles["Salaire"]);
  Items types = Field("categories", "type");
  EXPECT_EQ(2, types["Salaire"]);
  EXPECT_EQ(3, types["Épargne"]);
  // The currency is the only thing the dossier has of its own.
  EXPECT_EQ((Items{{"EUR", true}}), Field("devises", "reference"));

  // A cheque works at once; once the account has a book, it takes its next
  // number. Cheques paid in reach the bank the next day.
  nlohmann::json first = Json(
      {"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", "-30", "--mode", "cheque"});
  EXPECT_EQ("Chèque", first["mode"]);
  EXPECT_EQ("", first["noCheque"]);
  Ok({"chequier", "ajouter", "Courant", "Chéquier 1", "--premier", "1000000", "--nombre", "25"});
  for (const char* number : {"1000000", "1000001"}) {
    nlohmann::json op = Json({"ope", "ajouter", "Courant", "--date", "03/01/24", "--montant",
                              "-12,50", "--mode", "Chèque"});
    EXPECT_EQ(number, op["noCheque"]);
  }
  nlohmann::json remise = Json({"ope", "ajouter", "Courant", "--date", "05/01/24", "--montant",
                                "200", "--mode", "remise de cheques"});
  EXPECT_EQ("2024-01-06", remise["datePointe"]);
}

TEST_F(DossierCommandsTest, AnEmptyDossierHasNoLists) {
  emptyLists_ = true;
  MakeDossier({"Courant"});
  for (const char* liste : {"modes", "tva", "categories"}) {
    EXPECT_EQ(nlohmann::json::array(), Json({"liste", liste})) << liste;
  }
  EXPECT_EQ(1u, Json({"liste", "devises"}).size());
  VYXRunResult r = Refused(
      {"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", "-30", "--mode", "Chèque"});
  EXPECT_NE(std::string::npos, r.err.find("modes de paiement")) << r.err;
}

TEST_F(DossierCommandsTest, OuvrirNamesADossierAsCreerDoesAndDossierServesOneCommand) {
  std::string maison = MakeDossier({"Courant"});
  std::string autre = (Folder() / "Autre.grp").string();
  Ok({"dossier", "creer", autre, "--vide"});
  EXPECT_EQ(0u, Ok({"dossier", "ouvrir", (Folder() / "Maison").string()})
                    .out.find("Dossier ouvert : " + maison + "\n"));

  // --dossier is the dossier of its command, not of the next ones.
  EXPECT_EQ(nlohmann::json::array(), Json({"--dossier", autre, "compte", "liste"}));
  EXPECT_EQ(1u, Json({"compte", "liste"}).size());
  EXPECT_EQ(maison, Json({"dossier", "info"})["fichier"]);
}

TEST_F(DossierCommandsTest, AMissingFileOrFolderIsNamedAndNothingIsMade) {
  std::string absent = (Folder() / "nulle-part" / "Maison.grp").string();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"dossier", "ouvrir", absent}, "vyx : Le dossier « " + absent + " » est introuvable.\n"},
      {{"dossier", "creer", absent},
       "vyx : Le dossier « " + absent + " » ne peut pas être créé : le répertoire « " +
           (Folder() / "nulle-part").string() + " » n'existe pas.\n"},
  };
  for (const Case& c : cases) {
    auto before = Snapshot();
    VYXRunResult r = Refused(c.args);
    EXPECT_EQ(c.message, r.err) << Joined(c.args);
    EXPECT_EQ(before, Snapshot()) << Joined(c.args);
  }
}

}  // namespace
