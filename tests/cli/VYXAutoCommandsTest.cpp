// `vyx auto` and `vyx echeances`, and what opening an account offers.
#include "VYXCliHomeTest.h"

namespace {

class AutoCommandsTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    MakeDossier({"Courant", "Epargne"});
  }
};

TEST_F(AutoCommandsTest, ASeriesOnThe31stThroughFebruaryOfALeapYear) {
  nlohmann::json a = Json({"auto", "ajouter", "Courant", "--libelle", "Loyer", "--montant=-800",
                           "--prochaine", "31/01/24", "--tous", "1 mois", "--categorie", "loyer",
                           "--jusqua", "30/04/24"});
  EXPECT_EQ(1, a["id"]);
  EXPECT_EQ("-800", a["montant"]);
  EXPECT_EQ("Loyer", a["categorie"]);
  Json({"auto", "ajouter", "Courant", "--libelle", "Livret", "--montant=-50", "--prochaine",
        "15/11/23", "--tous", "trimestre", "--virement", "Epargne", "--nombre", "2"});

  nlohmann::json due = Json({"echeances", "--jusqua", "31/03/24"});
  std::vector<std::string> dates;
  for (const auto& e : due) dates.push_back(e["date"].get<std::string>() + " " + e["libelle"].get<std::string>());
  EXPECT_EQ((std::vector<std::string>{"2023-11-15 Livret", "2024-01-31 Loyer", "2024-02-15 Livret",
                                      "2024-02-29 Loyer", "2024-03-31 Loyer"}),
            dates);
  EXPECT_TRUE(Json({"ope", "liste", "Courant"}).empty()) << "listing makes nothing";

  Ok({"--oui", "echeances", "--jusqua", "31/03/24"});
  EXPECT_EQ(5u, Json({"ope", "liste", "Courant"}).size());
  nlohmann::json twins = Json({"ope", "liste", "Epargne"});
  ASSERT_EQ(2u, twins.size()) << "the transfers' twins";
  EXPECT_EQ(50.0, twins[0]["montant"]);
  nlohmann::json loyer = Json({"auto", "voir", "Courant", "1"});
  EXPECT_EQ("2024-04-30", loyer["prochaine"]);
  EXPECT_EQ(3, loyer["faites"]);
  EXPECT_EQ("vyx : Rien n'est à créer jusqu'au 31/03/24.\n",
            "vyx : " + Ok({"echeances", "--jusqua", "31/03/24"}).out);

  Ok({"auto", "modifier", "Courant", "1", "--montant=-850", "--mois", "1,2,3,5"});
  EXPECT_EQ("-850", Json({"auto", "voir", "Courant", "1"})["montant"]);
  EXPECT_TRUE(Json({"echeances", "--jusqua", "30/04/24"}).empty()) << "April is left out";
  Refused({"auto", "ajouter", "Courant", "--libelle", "X", "--montant", "1", "--prochaine",
           "01/01/24", "--tous", "2 siècles"},
          "vyx : « 2 siècles » n'est pas une périodicité : donnez un nombre et jours, semaines, "
          "mois, trimestres ou ans.\n");
  Ok({"auto", "supprimer", "Courant", "1"});
  Refused({"auto", "voir", "Courant", "1"},
          "vyx : Le compte « Courant » n'a pas d'opération automatique n° 1.\n");
}

TEST_F(AutoCommandsTest, OpeningAnAccountOffersWhatIsDue) {
  Json({"auto", "ajouter", "Courant", "--libelle", "Cotisation", "--montant=-12", "--prochaine",
        "01/01/24", "--tous", "1 an", "--nombre", "2"});
  // Without a terminal, the safe answer: nothing made, and said.
  VYXRunResult r = Ok({"ope", "liste", "Courant"});
  EXPECT_NE(std::string::npos, r.err.find("Cotisation")) << r.err;
  EXPECT_EQ(std::string::npos, r.out.find("Cotisation"));
  // A command that only reads cannot make them, even answered in advance:
  // it lists them and says which command will.
  r = Ok({"--oui", "ope", "liste", "Courant"});
  EXPECT_NE(std::string::npos, r.err.find("Cotisation")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("ne fait que lire")) << r.err;
  EXPECT_EQ(std::string::npos, r.out.find("Cotisation"));
  // Answered in advance, a command that writes makes them before it works.
  Ok({"--oui", "compte", "defauts", "Courant", "--mode", "Carte bancaire"});
  r = Ok({"ope", "liste", "Courant"});
  EXPECT_NE(std::string::npos, r.out.find("01/01/24  Cotisation"));
  EXPECT_NE(std::string::npos, r.out.find("01/01/25  Cotisation"));
  EXPECT_EQ(2u, Json({"ope", "liste", "Courant"}).size());
}

}  // namespace
