// Formulas, `vyx calcul`, `vyx filtre` and the criteria of `vyx ope liste`,
// end to end: the real program in a temporary home.
#include "VYXCliHomeTest.h"

namespace {

class FormulesTest : public VYXCliHomeTest {
 protected:
  std::string Add(std::vector<std::string> options, const std::string& compte = "Courant") {
    std::vector<std::string> args{"ope", "ajouter", compte};
    args.insert(args.end(), options.begin(), options.end());
    return std::to_string(Json(args)["dataID"].get<uint32_t>());
  }
};

TEST_F(FormulesTest, CalculShowsAFormulaADateAndAText) {
  MakeDossier({"Courant"});
  const struct {
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {{"calcul", "120*3"}, "360,00\n"},
      {{"calcul", "8/4/2"}, "4,00\n"},
      {{"calcul", "2^3^2"}, "512,00\n"},
      {{"calcul", "2 3"}, "5,00\n"},
      {{"calcul", "2*-3"}, "-1,00\n"},
      {{"calcul", "--", "-3*2"}, "-6,00\n"},
      {{"calcul", "HT(119,6;19,6)"}, "100,00\n"},
      {{"calcul", "100€+1"}, "101,00\n"},
      {{"calcul", "1/3"}, "0,33\n"},
      {{"calcul", "12500"}, "12 500,00\n"},
      {{"calcul", "--date", "FINMOIS(2;24)"}, "29/02/24\n"},
      {{"calcul", "--date", "DATE(31;12;23)+1"}, "01/01/24\n"},
      {{"calcul", "--date", "15/3/2024"}, "15/03/24\n"},
      {{"calcul", "--texte", "«COMPTE» n° «NUMERO DE COMPTE»", "--compte", "courant"},
       "Courant n° \n"},
      {{"calcul", "--texte", "«INCONNU» et «¿Quel mois ?»"}, "«INCONNU» et ¿\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.out, Ok(c.args).out) << Joined(c.args);
  EXPECT_EQ(0.25, Json({"calcul", "1/4"}).get<double>());
  EXPECT_EQ("2024-03-01", Json({"calcul", "--date", "DATE(1;3;2024)"}).get<std::string>());

  std::string key = Add({"--date", "02/03/24", "--montant", "-40"});
  Add({"--date", "03/03/24", "--montant", "100", "--statut", "pointee"});
  EXPECT_EQ("60,00\n", Ok({"calcul", "PREVU()", "--compte", "Courant"}).out);
  EXPECT_EQ("-80,00\n", Ok({"calcul", "MONTANT()*2", "--compte", "Courant", "--ope", key}).out);
  EXPECT_EQ("Débit\n",
            Ok({"calcul", "--texte", "«SENS»", "--compte", "Courant", "--ope", key}).out);

  nlohmann::json functions = Json({"calcul", "--fonctions"});
  ASSERT_EQ(9u, functions.size());
  EXPECT_EQ("HT(ttc;taux)", functions[8]["syntaxe"]);
  EXPECT_EQ(13u, Json({"calcul", "--fonctions", "--compte", "Courant"}).size());
  EXPECT_EQ(6u, Json({"calcul", "--variables", "--compte", "Courant"}).size());
}

TEST_F(FormulesTest, AFormulaRefusedIsPointedAtAndNothingIsWritten) {
  MakeDossier({"Courant"});
  Refused({"calcul", "2*(3+"},
          "vyx : FORMULE : formule refusée, parenthèses mal équilibrées (caractère 6) :\n"
          "  2*(3+\n"
          "       ^\n");
  Refused({"calcul", "100XYZ+1"},
          "vyx : FORMULE : formule refusée, fonction ou devise inconnue (caractère 4) :\n"
          "  100XYZ+1\n"
          "     ^^^\n");
  Refused({"calcul", "--date", "31/02/24"}, "vyx : « 31/02/24 » n'est pas une date.\n");
  Refused({"calcul", "--date", "FINMOIS(1;2;3)"},
          "vyx : --date : formule refusée, nombre de paramètres incorrect (caractère 1) :\n"
          "  FINMOIS(1;2;3)\n"
          "  ^^^^^^^\n");

  std::string key = Add({"--date", "02/03/24", "--montant", "-40"});
  // A formula that does not read is refused before any file is opened.
  auto before = Snapshot();
  Refused({"ope", "ajouter", "Courant", "--date", "02/03/24", "--montant", "12*(3"},
          "vyx : --montant : formule refusée, parenthèses mal équilibrées (caractère 6) :\n"
          "  12*(3\n"
          "       ^\n");
  Refused({"ope", "modifier", "Courant", key, "--montant-tva", "TVA(MONTANT();#)"});
  EXPECT_EQ(before, Snapshot());
  // One whose names only the account can answer is refused before anything changes.
  nlohmann::json contents = {Json({"ope", "liste", "Courant"}),
                             Json({"compte", "reports", "Courant"})};
  Refused({"ventil", "ajouter", "Courant", key, "--montant", "FOO()"},
          "vyx : --montant : formule refusée, fonction ou devise inconnue (caractère 1) :\n"
          "  FOO()\n"
          "  ^^^\n");
  Refused({"compte", "reports", "Courant", "--pointe", "1/0"});
  EXPECT_EQ(contents, nlohmann::json({Json({"ope", "liste", "Courant"}),
                                      Json({"compte", "reports", "Courant"})}));
}

TEST_F(FormulesTest, EveryAmountOptionTakesAFormula) {
  MakeDossier({"Courant"});
  std::string key = Add({"--date", "02/03/24", "--montant", "-12*3", "--libelle", "Essence"});
  nlohmann::json op = Json({"ope", "liste", "Courant"})[0];
  EXPECT_EQ(-36.0, op["montant"]);
  Ok({"ventil", "ajouter", "Courant", key, "--montant", "RESTE()/3"});
  Ok({"ventil", "ajouter", "Courant", key, "--montant", "RESTE()"});
  op = Json({"ope", "liste", "Courant"})[0];
  EXPECT_EQ(-12.0, op["sousOperations"][0]["montant"]);
  EXPECT_EQ(-24.0, op["sousOperations"][1]["montant"]);
  Ok({"ope", "modifier", "Courant", key, "--montant", "MONTANT()+1/3", "--montant-tva",
      "TVA(35,67;19,6)"});
  op = Json({"ope", "liste", "Courant"})[0];
  EXPECT_EQ(-35.67, op["montant"]);
  EXPECT_EQ(5.85, op["montantTva"]);
  nlohmann::json reports =
      Json({"compte", "reports", "Courant", "--pointe", "1000+500,5", "--engage=-10*2"})["reports"];
  EXPECT_EQ(1500.5, reports["pointe"]);
  EXPECT_EQ(-20.0, reports["engage"]);
}

class FiltreTest : public FormulesTest {
 protected:
  void SetUp() override {
    FormulesTest::SetUp();
    MakeDossier({"Courant", "Livret"});
    Add({"--date", "02/03/24", "--montant", "-52,30", "--libelle", "Carrefour courses",
         "--categorie", "alimentation", "--mode", "carte bancaire"});
    Add({"--date", "05/03/24", "--montant", "2480", "--libelle", "Salaire", "--categorie",
         "Salaire", "--statut", "pointee"});
    Add({"--date", "12/03/24", "--montant", "-60", "--libelle", "Cinéma", "--categorie", "loisirs",
         "--mois", "4"});
    Add({"--date", "20/03/24", "--montant", "-350", "--libelle", "Train", "--categorie", "Voyages",
         "--statut", "prevue"});
    Add({"--date", "04/03/24", "--montant", "100", "--libelle", "Virement courses"}, "Livret");
  }
  std::vector<std::string> Labels(std::vector<std::string> args) {
    std::vector<std::string> labels;
    for (const nlohmann::json& op : Json(args)) labels.push_back(op["libelle"]);
    return labels;
  }
  using L = std::vector<std::string>;
};

TEST_F(FiltreTest, CriteriaPickTheOperationsOfAList) {
  const struct {
    std::vector<std::string> criteria;
    L labels;
  } cases[] = {
      {{"--libelle", "COURSES"}, {"Carrefour courses"}},
      {{"--libelle", "cinema", "--libelle", "train"}, {"Cinéma", "Train"}},
      {{"--libelle", "cinéma", "--libelle-exact"}, {"Cinéma"}},
      {{"--montant", "-60"}, {"Cinéma"}},
      {{"--montant", "60"}, {"Cinéma"}},  // either sense
      {{"--montant-min", "100"}, {"Salaire", "Train"}},
      {{"--debits", "--montant-max", "60"}, {"Carrefour courses", "Cinéma"}},
      {{"--debits", "--montant-min", "100"}, {"Train"}},
      {{"--credits"}, {"Salaire"}},
      {{"--du", "05/03/24", "--au", "12/3/24"}, {"Salaire", "Cinéma"}},
      {{"--au", "DATE(4;3;2024)"}, {"Carrefour courses"}},
      {{"--statut", "prévue,pointée"}, {"Salaire", "Train"}},
      {{"--categorie", "Loisirs et vacances"}, {"Cinéma", "Train"}},
      {{"--categorie", "salaire", "--categorie", "alimentation"}, {"Carrefour courses", "Salaire"}},
      {{"--mode", "Carte bancaire"}, {"Carrefour courses"}},
      {{"--mois", "avril"}, {"Cinéma"}},
      {{"--mois", "3,4", "--debits", "--montant-max", "100"}, {"Carrefour courses", "Cinéma"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"ope", "liste", "Courant"};
    args.insert(args.end(), c.criteria.begin(), c.criteria.end());
    EXPECT_EQ(c.labels, Labels(args)) << Joined(args);
  }

  EXPECT_EQ(
      "Clé  Date      Valeur    Libellé  Catégorie  Tiers  Mode  Chèque  Montant  Statut   "
      "Relevé     Solde\n"
      "5    12/03/24  12/03/24  Cinéma   Loisirs                          -60,00  engagée  "
      "        2 367,70\n"
      "7    20/03/24  20/03/24  Train    Voyages                         -350,00  prévue   "
      "        2 017,70\n"
      "2 opérations, total -410,00 EUR\n",
      Ok({"ope", "liste", "Courant", "--debits", "--montant-min", "60"}).out);
  EXPECT_EQ("Aucune opération ne répond à ces critères.\n",
            Ok({"ope", "liste", "Courant", "--libelle", "loyer"}).out);
  EXPECT_EQ(
      "Compte;Clé;Date;Valeur;Libellé;Catégorie;Tiers;Mode;Chèque;Montant;Statut;Relevé;Solde\r\n"
      "Courant;1;02/03/24;02/03/24;Carrefour courses;Alimentation;;Carte bancaire;;-52,30;"
      "engagée;;-52,30\r\n"
      "Livret;1;04/03/24;04/03/24;Virement courses;;;;;100,00;engagée;;100,00\r\n",
      Ok({"ope", "liste", "--tous", "--libelle", "courses", "--csv"}).out);
  nlohmann::json all = Json({"ope", "liste", "--tous", "--libelle", "courses"});
  ASSERT_EQ(2u, all.size());
  EXPECT_EQ("Livret", all[1]["compte"]);
  EXPECT_NE(std::string::npos,
            Ok({"ope", "liste", "--tous"}).out.find("5 opérations, total 2 117,70 EUR\n"));

  Refused({"ope", "liste", "Courant", "--mois", "13"}, "vyx : « 13 » n'est pas un mois.\n");
  Refused({"ope", "liste", "Courant", "--categorie", "Jeux"},
          "vyx : La liste des catégories du dossier n'a pas d'élément « Jeux ».\n");
  Refused({"ope", "liste"},
          "vyx : Donnez un compte, ou --tous pour tous les comptes du dossier, mais pas les "
          "deux.\n");
  VYXRunResult r = VYXRunVyx({"ope", "liste", "Courant", "--du", "DEBUTMOIS("});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("--du : formule refusée")) << r.err;
}

TEST_F(FiltreTest, ASavedFilterFollowsItsItemsAndCombinesWithCriteria) {
  EXPECT_EQ("Filtre « Sorties » enregistré.\n",
            Ok({"filtre", "ajouter", "Sorties", "--categorie", "loisirs", "--categorie", "voyages",
                "--debits", "--du", "01/03/24"})
                .out);
  Refused({"filtre", "ajouter", "sorties"}, "vyx : Le dossier a déjà un filtre « sorties ».\n");
  EXPECT_EQ(
      "Montant     débits\n"
      "Date        à partir du 01/03/24\n"
      "Catégories  Loisirs, Voyages\n",
      Ok({"filtre", "voir", "sorties"}).out);
  EXPECT_EQ((L{"Cinéma", "Train"}), Labels({"ope", "liste", "Courant", "--filtre", "Sorties"}));
  EXPECT_EQ((L{"Train"}),
            Labels({"ope", "liste", "Courant", "--filtre", "Sorties", "--statut", "prevue"}));

  // The category renamed: the filter names it still; merged into another: it follows.
  Ok({"liste", "categories", "renommer", "Loisirs", "Cinéma et concerts"});
  EXPECT_EQ((L{"Cinéma", "Train"}), Labels({"ope", "liste", "Courant", "--filtre", "Sorties"}));
  EXPECT_NE(std::string::npos,
            Ok({"filtre", "voir", "Sorties"}).out.find("Cinéma et concerts, Voyages"));
  Ok({"--oui", "liste", "categories", "supprimer", "Voyages"});
  EXPECT_NE(std::string::npos,
            Ok({"filtre", "voir", "Sorties"}).out.find("Catégories  Cinéma et concerts\n"));

  Ok({"filtre", "modifier", "Sorties", "--du", "", "--ventilees", "--libelle", "a"});
  EXPECT_EQ(
      "Libellé       contient « a »\n"
      "Montant       débits\n"
      "Catégories    Cinéma et concerts\n"
      "Ventilations  comprises\n",
      Ok({"filtre", "voir", "Sorties"}).out);
  EXPECT_EQ("Filtre « Sorties » renommé en « Loisirs ».\n",
            Ok({"filtre", "renommer", "sorties", "Loisirs"}).out);
  Ok({"filtre", "ajouter", "Tout"});
  EXPECT_EQ(
      "Filtre   Critères\n"
      "Loisirs  Libellé contient « a » ; Montant débits ; Catégories Cinéma et concerts ; "
      "Ventilations comprises\n"
      "Tout     Aucun critère : toutes les opérations\n",
      Ok({"filtre", "liste"}).out);
  EXPECT_EQ("Filtre « Tout » supprimé.\n", Ok({"filtre", "supprimer", "tout"}).out);
  Refused({"filtre", "voir", "Tout"}, "vyx : Le dossier n'a pas de filtre « Tout ».\n");
  Refused({"ope", "liste", "Courant", "--filtre", "Tout"},
          "vyx : Le dossier n'a pas de filtre « Tout ».\n");
}

}  // namespace
