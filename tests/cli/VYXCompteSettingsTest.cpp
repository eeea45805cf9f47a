// `vyx compte defauts` and `vyx compte reports --suivre` end to end: an
// account's default values shown, changed field by field and taken by new
// operations; opening balances that follow another account of the dossier.
#include "VYXCliHomeTest.h"

namespace {

class CompteSettingsTest : public VYXCliHomeTest {};

TEST_F(CompteSettingsTest, DefaultsAreShownChangedAndTakenByNewOperations) {
  MakeDossier({"Courant"});
  EXPECT_EQ(
      "Valeurs par défaut des opérations du compte « Courant » :\n"
      "Sens              débit\n"
      "État              engagée\n"
      "Mode              aucun\n"
      "Catégorie         aucun\n"
      "Affectation       aucun\n"
      "TVA des dépenses  aucun\n"
      "TVA des recettes  aucun\n"
      "Mois              courant\n",
      Ok({"compte", "defauts", "Courant"}).out);

  nlohmann::json d = Json({"compte", "defauts", "courant", "--mode", "carte bancaire", "--statut",
                           "prevue", "--tva-depense", "taux normal", "--mois", "suivant",
                           "--categorie", "Alimentation"})["defauts"];
  EXPECT_EQ("Carte bancaire", d["mode"]);
  EXPECT_EQ(0, d["status"]);
  EXPECT_EQ("Taux normal", d["tvaDepense"]);
  EXPECT_TRUE(d["tvaRecette"].is_null());
  EXPECT_EQ("suivant", d["mois"]);
  EXPECT_EQ("Alimentation", d["categorie"]);

  nlohmann::json op =
      Json({"ope", "ajouter", "Courant", "--date", "15/03/24", "--montant", "-119,60"});
  EXPECT_EQ("Carte bancaire", op["mode"]);
  EXPECT_EQ("Alimentation", op["categorie"]);
  EXPECT_EQ(0, op["status"]);
  EXPECT_EQ(4, op["mois"]);
  EXPECT_EQ(-19.6, op["montantTva"]);

  // Only the fields given change; "" clears an item.
  d = Json({"compte", "defauts", "Courant", "--categorie", "", "--mois", "7"})["defauts"];
  EXPECT_TRUE(d["categorie"].is_null());
  EXPECT_EQ("Carte bancaire", d["mode"]);
  EXPECT_EQ(7, d["mois"]);

  // Refusals name what was typed, before anything is written.
  auto before = Snapshot();
  EXPECT_EQ("vyx : « de côté » n'est pas un sens : debit ou credit.\n",
            Refused({"compte", "defauts", "Courant", "--sens", "de côté"}).err);
  EXPECT_EQ(
      "vyx : « 13 » n'est pas un mois : donnez un nombre de 1 à 12, ou courant, suivant, "
      "precedent.\n",
      Refused({"compte", "defauts", "Courant", "--mois", "13"}).err);
  EXPECT_EQ(before, Snapshot());
  VYXRunResult r =
      Refused({"compte", "defauts", "Courant", "--mode", "Chèque", "--categorie", "Bidule"});
  EXPECT_NE(std::string::npos, r.err.find("« Bidule »")) << r.err;
  EXPECT_EQ("Carte bancaire", Json({"compte", "defauts", "Courant"})["defauts"]["mode"]);
}

TEST_F(CompteSettingsTest, OpeningBalancesFollowAnotherAccount) {
  MakeDossier({"Epargne 2023", "Epargne 2024"});
  Ok({"compte", "reports", "Epargne 2023", "--pointe", "1000"});
  Ok({"ope", "ajouter", "Epargne 2023", "--date", "31/12/23", "--montant", "25,50", "--statut",
      "pointee"});
  EXPECT_EQ(
      "Reports du compte « Epargne 2024 » :\n"
      "Prévu       0,00\n"
      "Engagé      0,00\n"
      "Pointé  1 025,50\n"
      "Ils suivent les soldes du compte « Epargne 2023 », repris à chaque ouverture.\n",
      Ok({"compte", "reports", "Epargne 2024", "--suivre", "epargne 2023"}).out);

  Ok({"ope", "ajouter", "Epargne 2023", "--date", "31/12/23", "--montant", "-5,50", "--statut",
      "pointee"});
  nlohmann::json soldes = Json({"soldes", "Epargne 2024"});
  EXPECT_EQ(1020.0, soldes[0]["soldes"]["pointe"]);
  EXPECT_EQ("Epargne 2023", Json({"compte", "reports", "Epargne 2024"})["suit"]);

  // Following, the balances are not typed; unlinked, they are the account's own.
  EXPECT_EQ(
      "vyx : Les reports du compte « Epargne 2024 » suivent les soldes du compte « Epargne "
      "2023 » : donnez d'abord --suivre \"\" pour les fixer vous-même.\n",
      Refused({"compte", "reports", "Epargne 2024", "--pointe", "3"}).err);
  EXPECT_EQ(
      "vyx : Les reports du compte « Epargne 2024 » suivent déjà le compte « Epargne 2023 » : "
      "deux comptes ne peuvent pas se suivre l'un l'autre.\n",
      Refused({"compte", "reports", "Epargne 2023", "--suivre", "Epargne 2024"}).err);
  nlohmann::json own = Json({"compte", "reports", "Epargne 2024", "--suivre", "", "--pointe", "3"});
  EXPECT_TRUE(own["suit"].is_null());
  EXPECT_EQ(3.0, own["reports"]["pointe"]);
}

}  // namespace
