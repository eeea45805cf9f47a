// vyx bilan, croise and totaux: their tables on a terminal, in CSV and in
// JSON, checked against sums the tests make themselves; their charts; what
// they refuse, before anything is opened.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <map>

#include "cli/VYXCliHomeTest.h"

namespace {

class ReportCommandsTest : public VYXCliHomeTest {
 protected:
  // A dossier with one account and a quarter of operations.
  void MakeQuarter() {
    MakeDossier({"Courant"});
    Ok({"liste", "affectations", "ajouter", "Maison"});
    Ok({"liste", "affectations", "ajouter", "Voiture"});
    Add({"--date", "05/01/24", "--montant=-120", "--categorie", "Alimentation", "--tiers", "",
         "--affectation", "Maison"});
    Add({"--date", "20/01/24", "--montant=-1234,5", "--categorie", "Loyer"});
    Add({"--date", "15/02/24", "--montant=-80", "--categorie", "Alimentation", "--statut",
         "prevue"});
    Add({"--date", "28/02/24", "--montant", "2500", "--categorie", "Salaire"});
    Add({"--date", "03/03/24", "--montant=-60", "--categorie", "Carburant", "--affectation",
         "Voiture", "--montant-tva=-10"});
    Add({"--date", "10/03/24", "--montant=-15", "--categorie", ""});
  }
  void Add(std::vector<std::string> options) {
    std::vector<std::string> args{"ope", "ajouter", "Courant"};
    args.insert(args.end(), options.begin(), options.end());
    Ok(args);
  }
};

// Which year a month of attribution falls in: the occurrence of that month
// nearest to the date, from five months before it to six after.
int YearOf(int month, int dateMonth, int dateYear) {
  for (int year : {dateYear - 1, dateYear, dateYear + 1}) {
    int offset = (year - dateYear) * 12 + month - dateMonth;
    if (offset >= -5 && offset <= 6) return year;
  }
  return dateYear;
}

TEST_F(ReportCommandsTest, TheSampleDossiers2024ExpensesAreTheSumsOfItsOperations) {
  // The expense categories, then every operation and split line of every account.
  std::map<std::string, int> kinds;
  for (const auto& c : Json({"liste", "categories"})) kinds[c["nom"]] = c["type"];
  std::map<std::string, std::map<int, double>> expected;  // category, month of 2024
  auto count = [&](const nlohmann::json& categorie, int month, int year, double amount) {
    if (year != 2024 || categorie.is_null() || kinds[categorie] != 1) return;
    expected[categorie][month] += amount;
  };
  for (const auto& compte : Json({"compte", "liste"})) {
    for (const auto& op : Json({"ope", "liste", compte["nom"]})) {
      std::string date = op["date"];
      int dateYear = std::stoi(date.substr(0, 4)), dateMonth = std::stoi(date.substr(5, 2));
      int month = op["mois"];
      double net = double(op["montant"]) - double(op["montantTva"]);
      count(op["categorie"], month, YearOf(month, dateMonth, dateYear), net);
      for (const auto& line : op["sousOperations"]) {
        double part = double(line["montant"]) - double(line["montantTva"]);
        int lineMonth = line["mois"];
        count(op["categorie"], month, YearOf(month, dateMonth, dateYear), -part);
        count(line["categorie"], lineMonth, YearOf(lineMonth, dateMonth, dateYear), part);
      }
    }
  }
  ASSERT_GE(expected.size(), 10u);

  nlohmann::json bilan = Json({"bilan", "--du", "01/24", "--mois", "12"});
  EXPECT_TRUE(bilan["compte"].is_null());
  EXPECT_EQ("depenses", bilan["type"]);
  EXPECT_EQ("2024-01", bilan["mois"][0]);
  EXPECT_EQ(12u, bilan["mois"].size());
  double grand = 0;
  size_t seen = 0;
  for (const auto& line : bilan["lignes"]) {
    if (line["categorie"].is_null()) continue;
    std::string name = line["categorie"];
    SCOPED_TRACE(name);
    ++seen;
    for (int m = 1; m <= 12; ++m) {
      EXPECT_NEAR(expected[name][m], double(line["valeurs"][m - 1]), 0.005) << "month " << m;
      grand += expected[name][m];
    }
  }
  size_t withAmounts = 0;
  for (const auto& [name, months] : expected) {
    bool any = false;
    for (const auto& [m, v] : months) any |= std::fabs(v) >= 0.005;
    withAmounts += any;
  }
  EXPECT_EQ(withAmounts, seen);
  EXPECT_NEAR(grand, double(bilan["total"]["total"]), 0.01);
}

TEST_F(ReportCommandsTest, BalanceOfAnAccountOnTheTerminalInCsvAndInJson) {
  MakeQuarter();
  VYXRunResult r = Ok({"bilan", "Courant", "--du", "01/24", "--mois", "3"});
  EXPECT_EQ(
      "Dépenses du compte « Courant », de janv. 24 à mars 24 (EUR)\n"
      "\n"
      "Catégorie        janv. 24    fév. 24    mars 24      Total\n"
      "Alimentation      -120,00     -80,00               -200,00\n"
      "Loyer           -1 234,50                        -1 234,50\n"
      "Carburant                                -50,00     -50,00\n"
      "Sans catégorie                           -15,00     -15,00\n"
      "Total           -1 354,50     -80,00     -65,00  -1 499,50\n"
      "Cumul           -1 354,50  -1 434,50  -1 499,50\n",
      r.out);

  r = Ok({"bilan", "Courant", "--du", "01/24", "--mois", "3", "--csv", "--statuts",
          "engagee,pointee"});
  EXPECT_EQ(
      "\xEF\xBB\xBF"
      "Catégorie;janv. 24;fév. 24;mars 24;Total\r\n"
      "Alimentation;-120,00;0,00;0,00;-120,00\r\n"
      "Loyer;-1234,50;0,00;0,00;-1234,50\r\n"
      "Carburant;0,00;0,00;-50,00;-50,00\r\n"
      "Sans catégorie;0,00;0,00;-15,00;-15,00\r\n"
      "Total;-1354,50;0,00;-65,00;-1419,50\r\n"
      "Cumul;-1354,50;-1354,50;-1419,50;\r\n",
      r.out);

  nlohmann::json j = Json({"bilan", "Courant", "--du", "01/24", "--mois", "3", "--type", "recettes",
                           "--affichage", "pourcentages"});
  EXPECT_EQ("Courant", j["compte"]);
  EXPECT_EQ("recettes", j["type"]);
  EXPECT_EQ("pourcentages", j["affichage"]);
  EXPECT_EQ((nlohmann::json{{"debut", "2024-01"}, {"fin", "2024-03"}, {"mois", 3}}), j["periode"]);
  ASSERT_EQ(1u, j["lignes"].size());
  EXPECT_EQ("Salaire", j["lignes"][0]["categorie"]);
  EXPECT_EQ((nlohmann::json{nullptr, 100.0, nullptr}), j["lignes"][0]["valeurs"]);
  EXPECT_EQ((nlohmann::json{0.0, 2500.0, 2500.0}), j["cumul"]);
}

TEST_F(ReportCommandsTest, WhatAReportShowsOnceIsNotKept) {
  MakeQuarter();
  Ok({"bilan", "Courant", "--du", "11/04", "--mois", "14", "--affichage", "ecarts"});
  nlohmann::json j = Json({"bilan", "Courant"});
  std::time_t now = std::time(nullptr);
  int year = std::localtime(&now)->tm_year + 1900;
  EXPECT_EQ(std::to_string(year) + "-01", j["periode"]["debut"]);
  EXPECT_EQ(12, j["periode"]["mois"]);
  EXPECT_EQ("montants", j["affichage"]);
}

TEST_F(ReportCommandsTest, CrossTableOfCategoriesAndAllocations) {
  MakeQuarter();
  VYXRunResult r = Ok({"croise", "Courant", "--du", "01/24", "--mois", "3"});
  EXPECT_EQ(
      "Catégories et affectations du compte « Courant », de janv. 24 à mars 24 (EUR)\n"
      "\n"
      "Catégorie        Maison  Voiture  Sans affectation      Total\n"
      "Alimentation    -120,00                     -80,00    -200,00\n"
      "Loyer                                    -1 234,50  -1 234,50\n"
      "Salaire                                   2 500,00   2 500,00\n"
      "Carburant                 -50,00                       -50,00\n"
      "Sans catégorie                              -15,00     -15,00\n"
      "Total           -120,00   -50,00          1 170,50   1 000,50\n",
      r.out);
  nlohmann::json j = Json({"croise", "Courant", "--du", "01/24", "--mois", "3", "--ttc"});
  EXPECT_TRUE(j["ttc"]);
  EXPECT_EQ((nlohmann::json{"Maison", "Voiture", nullptr}), j["affectations"]);
  EXPECT_EQ(990.5, j["total"]["total"]);
}

TEST_F(ReportCommandsTest, TotalsOfAListOneLinePerItem) {
  MakeQuarter();
  VYXRunResult r = Ok({"totaux", "categories", "Courant", "--du", "02/24", "--au", "03/24"});
  EXPECT_EQ(
      "Totaux par catégorie du compte « Courant », de fév. 24 à mars 24 (EUR)\n"
      "\n"
      "Catégorie        Débits   Crédits     Solde\n"
      "Alimentation     -80,00      0,00    -80,00\n"
      "Salaire            0,00  2 500,00  2 500,00\n"
      "Carburant        -50,00      0,00    -50,00\n"
      "Sans catégorie   -15,00      0,00    -15,00\n"
      "Total           -145,00  2 500,00  2 355,00\n",
      r.out);
  nlohmann::json j = Json({"totaux", "affectations", "--statuts", "pointee,engagee"});
  EXPECT_TRUE(j["compte"].is_null());
  EXPECT_EQ("affectations", j["liste"]);
  ASSERT_EQ(3u, j["lignes"].size());
  EXPECT_EQ("Maison", j["lignes"][0]["nom"]);
  EXPECT_EQ(-120.0, j["lignes"][0]["debits"]);
  EXPECT_TRUE(j["lignes"][2]["nom"].is_null());
  EXPECT_EQ(-1249.5, j["lignes"][2]["debits"]);  // the planned -80 is left out
  EXPECT_EQ(2500.0, j["total"]["credits"]);
}

TEST_F(ReportCommandsTest, TotalsOfTheSavedFiltersEveryFilterOnALine) {
  MakeQuarter();
  Ok({"filtre", "ajouter", "Courses", "--categorie", "Alimentation"});
  Ok({"filtre", "ajouter", "Gros débits", "--debits", "--montant-min", "100"});
  Ok({"filtre", "ajouter", "Rien", "--libelle", "introuvable"});
  VYXRunResult r = Ok({"totaux", "filtres", "Courant"});
  EXPECT_EQ(
      "Totaux par filtre enregistré du compte « Courant », sur toute la période (EUR)\n"
      "\n"
      "Filtre          Débits  Crédits      Solde\n"
      "Courses        -200,00     0,00    -200,00\n"
      "Gros débits  -1 354,50     0,00  -1 354,50\n"
      "Rien              0,00     0,00       0,00\n",
      r.out);
  nlohmann::json j = Json({"totaux", "filtres", "--du", "02/24"});
  EXPECT_EQ("filtres", j["liste"]);
  EXPECT_TRUE(j["total"].is_null());  // filters overlap: no total
  ASSERT_EQ(3u, j["lignes"].size());
  EXPECT_EQ(-80.0, j["lignes"][0]["debits"]);
  EXPECT_EQ(0.0, j["lignes"][1]["solde"]);
  j = Json({"totaux", "filtres", "Courant", "--statuts", "engagee,pointee"});
  EXPECT_EQ(-120.0, j["lignes"][0]["solde"]);
  EXPECT_EQ(-1354.5, j["lignes"][1]["solde"]);
  r = Ok({"totaux", "filtres", "Courant", "--csv"});
  EXPECT_EQ(
      "\xEF\xBB\xBF"
      "Filtre;Débits;Crédits;Solde\r\n"
      "Courses;-200,00;0,00;-200,00\r\n"
      "Gros débits;-1354,50;0,00;-1354,50\r\n"
      "Rien;0,00;0,00;0,00\r\n",
      r.out);
}

TEST_F(ReportCommandsTest, ChartsAreDrawnIntoTheFileNamed) {
  MakeQuarter();
  std::string svg = (Folder() / "bilan.svg").string(), png = (Folder() / "totaux.png").string();
  Ok({"bilan", "Courant", "--du", "01/24", "--mois", "3", "--graphique", svg});
  Ok({"totaux", "categories", "Courant", "--graphique", png});
  std::string svgBytes = VYXReadFile(svg), pngBytes = VYXReadFile(png);
  EXPECT_EQ(0u, svgBytes.find("<?xml"));
  EXPECT_NE(std::string::npos, svgBytes.find("<svg"));
  EXPECT_EQ(std::string("\x89PNG\r\n\x1A\n", 8), pngBytes.substr(0, 8));
  // Nothing is left behind by a chart that cannot be written.
  std::string nowhere = (Folder() / "absent" / "x.png").string();
  Refused({"totaux", "tiers", "Courant", "--graphique", nowhere},
          "vyx : Le graphique n'a pas pu être écrit dans « " + nowhere + " ».\n");
  EXPECT_FALSE(std::filesystem::exists(Folder() / "absent"));
  for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
    EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp"));
  }
}

TEST_F(ReportCommandsTest, WhatIsNotUnderstoodIsRefusedBeforeAnythingIsOpened) {
  MakeQuarter();
  std::map<std::string, std::string> before = Snapshot();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"bilan", "--du", "13/24"},
       "« 13/24 » n'est pas un mois : donnez-le sous la forme mm/aa (03/24) ou mm/aaaa."},
      {{"bilan", "--mois", "0"},
       "« 0 » n'est pas un nombre de mois : donnez un nombre entier de 1 à 120."},
      {{"bilan", "--type", "loisirs"},
       "« loisirs » n'est pas un type de catégories : depenses, recettes, epargne ou autres."},
      {{"bilan", "--statuts", "prevue,payee"},
       "« payee » n'est pas un statut : prevue, engagee ou pointee, séparés par des virgules."},
      {{"bilan", "--affichage", "camembert"},
       "« camembert » n'est pas un affichage : montants, pourcentages, cumuls, objectifs ou ecarts "
       "(ou leur numéro, 1 à 5)."},
      {{"bilan", "--graphique", "bilan.pdf"},
       "Le graphique « bilan.pdf » doit être un fichier .svg ou .png."},
      {{"bilan", "--csv", "--json"},
       "--csv et --json ne vont pas ensemble : choisissez l'un des deux."},
      {{"croise", "--du", "2024"},
       "« 2024 » n'est pas un mois : donnez-le sous la forme mm/aa (03/24) ou mm/aaaa."},
      {{"totaux", "comptes"},
       "« comptes » n'est pas une liste dont vyx fait les totaux : categories, tiers, affaires, "
       "affectations ou filtres."},
      {{"totaux", "tiers", "--du", "03/24", "--au", "01/24"},
       "03/24 (le premier mois) vient après 01/24 (le dernier)."},
  };
  for (const Case& c : cases) {
    Refused(c.args, "vyx : " + c.message + "\n");
  }
  EXPECT_EQ(before, Snapshot());
  Refused({"bilan", "--devise", "XYZ"},
          "vyx : Le dossier n'a pas de devise « XYZ » (vyx liste devises).\n");
}

}  // namespace
