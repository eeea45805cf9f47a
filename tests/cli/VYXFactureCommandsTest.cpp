// `vyx article`, `vyx facture` and `vyx numerotation` end to end: the real
// program in a temporary home, a dossier with an account, a customer and
// articles, documents made, moved on, settled in the account and printed.
#include "VYXCliHomeTest.h"

namespace {

using Args = std::vector<std::string>;

class FactureCommandsTest : public VYXCliHomeTest {
 protected:
  // A dossier with the usual lists, an account, a customer and two articles.
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    MakeDossier({"Banque"});
    Ok({"liste", "tiers", "ajouter", "Dupont", "--type", "client"});
    Ok({"liste", "categories", "ajouter", "Prestations", "--type", "recette"});
    Ok({"article", "ajouter", "Taille de haie", "--reference", "TH", "--prix", "40", "--tva",
        "taux normal", "--categorie", "prestations"});
    Ok({"article", "ajouter", "Engrais", "--reference", "ENG", "--prix", "12", "--eco", "2",
        "--tva", "Taux réduit"});
  }
  nlohmann::json Voir(const std::string& document) { return Json({"facture", "voir", document}); }
};

TEST_F(FactureCommandsTest, AnInvoiceMadeFilledSettledAndUnsettled) {
  EXPECT_TRUE(Ok({"facture", "creer", "--client", "dupont", "--date", "14/07/24", "--libelle",
                  "Entretien du jardin", "--modalite", "2"})
                  .out.starts_with("Facture F2024-0001 créée (clé "));
  Ok({"facture", "ligne", "ajouter", "F2024-0001", "--article", "taille de haie", "--quantite",
      "2"});
  EXPECT_EQ("Ligne 2 ajoutée au document F2024-0001.\n",
            Ok({"facture", "ligne", "ajouter", "f2024-0001", "--libelle", "Déplacement",
                "--prix", "15", "--tva", "Taux normal"})
                .out);
  Ok({"facture", "ligne", "special", "F2024-0001", "=sstot"});
  Ok({"facture", "ligne", "ajouter", "F2024-0001", "--article", "Engrais", "--remise", "10"});
  nlohmann::json f = Voir("F2024-0001");
  // 2 x 40 + 15 at 19.6 %, then (2 + 10 x 0.9) at 5.5 %.
  EXPECT_EQ(106.0, f["totalHT"]);
  EXPECT_EQ(19.22, f["totalTVA"]);  // 18.62 + 0.605 rounded once
  EXPECT_EQ(125.22, f["totalTTC"]);
  EXPECT_EQ("=SSTOT", f["lignes"][2]["reference"]);
  EXPECT_EQ(95.0, f["lignes"][2]["totalHT"]);
  EXPECT_EQ("2024-08-13", f["echeance"]);  // 30 days
  ASSERT_EQ(2u, f["tva"].size());

  // A deposit, then the rest: the invoice is settled.
  EXPECT_EQ(
      "Règlement de 50,00 ajouté au compte « Banque » (opération 1).\n"
      "Il reste 75,22 à régler sur la facture F2024-0001.\n",
      Ok({"facture", "regler", "F2024-0001", "Banque", "--montant", "50", "--date", "20/07/24"})
          .out);
  EXPECT_EQ(1u, Json({"facture", "liste", "--non-soldees"}).size());
  EXPECT_EQ(
      "Règlement de 75,22 ajouté au compte « Banque » (opération 3).\n"
      "La facture F2024-0001 est soldée.\n",
      Ok({"facture", "regler", "F2024-0001", "banque", "--date", "25/07/24"}).out);
  EXPECT_TRUE(Voir("F2024-0001")["soldee"]);
  EXPECT_EQ(0u, Json({"facture", "liste", "--non-soldees"}).size());
  Refused({"facture", "regler", "F2024-0001", "Banque"},
          "vyx : La facture F2024-0001 est déjà soldée : donnez --montant pour un règlement de "
          "plus.\n");
  // The deposit paid part of the first group (the service, in its category);
  // the balance the rest of it, the travel and the product: a split operation.
  nlohmann::json ops = Json({"ope", "liste", "Banque"});
  ASSERT_EQ(2u, ops.size());
  EXPECT_EQ("Facture F2024-0001 – Dupont", ops[1]["libelle"]);
  EXPECT_EQ("Dupont", ops[1]["tiers"]);
  EXPECT_EQ("Prestations", ops[0]["categorie"]);
  nlohmann::json lines = ops[1]["sousOperations"];
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(45.68, lines[0]["montant"]);
  EXPECT_EQ("Prestations", lines[0]["categorie"]);
  EXPECT_EQ(17.94, lines[1]["montant"]);
  EXPECT_EQ(11.6, lines[2]["montant"]);

  // Deleting the payment in the account shows the invoice unsettled again.
  Ok({"ope", "supprimer", "Banque", "3"});
  f = Voir("F2024-0001");
  EXPECT_FALSE(f["soldee"]);
  EXPECT_EQ(50.0, f["regle"]);
  // An operation typed in the account, linked as the payment.
  Ok({"ope", "ajouter", "Banque", "--date", "30/07/24", "--montant", "75,22", "--libelle",
      "Chèque Dupont"});
  EXPECT_EQ(
      "L'opération 5 du compte « Banque » règle maintenant la facture F2024-0001.\n"
      "La facture F2024-0001 est soldée.\n",
      Ok({"facture", "regler", "F2024-0001", "Banque", "--operation", "5"}).out);
  EXPECT_EQ("Banque", Voir("F2024-0001")["compte"]);
  // The account deleted: the invoice keeps what it was paid, not the link.
  Ok({"--oui", "compte", "supprimer", "Banque"});
  f = Voir("F2024-0001");
  EXPECT_EQ("", f["compte"]);
  EXPECT_EQ(0, f["operation"]);
  EXPECT_EQ(125.22, f["regle"]);
  EXPECT_TRUE(f["soldee"]);
}

TEST_F(FactureCommandsTest, AQuoteBecomesADeliveryNoteThenAnInvoiceKeepingItsNumbers) {
  Ok({"facture", "creer", "--client", "Dupont", "--devis", "--date", "01/07/24"});
  EXPECT_EQ("Devis D2024-0001 : accepté.\n",
            Ok({"facture", "etat", "D2024-0001", "accepte"}).out);
  EXPECT_EQ("Le devis D2024-0001 devient le bon de livraison L2024-0001.\n",
            Ok({"facture", "etat", "D2024-0001", "bl", "--date", "05/07/24"}).out);
  Refused({"facture", "regler", "L2024-0001", "Banque", "--montant", "10"},
          "vyx : Le document L2024-0001 n'est pas une facture : seule une facture se règle.\n");
  EXPECT_EQ("Le bon de livraison L2024-0001 devient la facture F2024-0001.\n",
            Ok({"facture", "etat", "D2024-0001", "facture", "--date", "10/07/24"}).out);
  nlohmann::json f = Voir("F2024-0001");
  EXPECT_EQ("facture", f["etat"]);
  EXPECT_EQ("D2024-0001", f["devis"]["numero"]);
  EXPECT_EQ("2024-07-01", f["devis"]["date"]);
  EXPECT_EQ("L2024-0001", f["bl"]["numero"]);
  EXPECT_EQ("2024-07-05", f["bl"]["date"]);
  EXPECT_EQ("2024-07-10", f["date"]);
  Refused({"facture", "etat", "F2024-0001", "bl"},
          "vyx : Impossible de revenir en arrière : la facture F2024-0001 est déjà à l'étape « "
          "facture ».\n");
  Refused({"facture", "etat", "F2024-0001", "accepte"},
          "vyx : Seul un devis est accepté ou refusé : la facture F2024-0001 n'en est pas un.\n");
  Refused({"facture", "creer", "--client", "Inconnu"},
          "vyx : La liste des tiers du dossier n'a pas d'élément « Inconnu ».\n");
  Refused({"facture", "ligne", "ajouter", "F2024-0001", "--libelle", "Sans taux", "--prix", "3"},
          "vyx : Une ligne libre a un prix (--prix) et un taux de TVA (--tva).\n");
  Refused({"facture", "voir", "F2099"},
          "vyx : Aucun document du dossier n'a le numéro ou la clé « F2099 ».\n");
  // Arguments refused before the dossier opens leave every file as it was.
  auto snapshot = Snapshot();
  Refused({"facture", "creer", "--client", "Dupont", "--date", "31/02/24"},
          "vyx : « 31/02/24 » n'est pas une date.\n");
  Refused({"facture", "creer", "--client", "Dupont", "--modalite", "9"},
          "vyx : « 9 » n'est pas une modalité de règlement : de 1 à 6.\n");
  Refused({"facture", "ligne", "special", "F2024-0001", "=REMISE"},
          "vyx : « =REMISE » n'est pas un mot de ligne spéciale : =SSTOT, =TOTAL ou =ZERO.\n");
  Refused({"facture", "ligne", "ajouter", "F2024-0001", "--article", "Engrais", "--remise", "120"},
          "vyx : Une remise va de 0 à 100 % : « 120 » n'en est pas une.\n");
  EXPECT_EQ(snapshot, Snapshot());
}

TEST_F(FactureCommandsTest, NumbersFollowTheirFormatAndNumbersTypedByHand) {
  Ok({"numerotation", "modifier", "facture", "--prochain", "7", "--format", "FA«num4»"});
  EXPECT_EQ("FA0007", Json({"facture", "creer", "--client", "Dupont", "--date", "02/08/24"})["numero"]);
  // Typed by hand: the counter only follows its own next number.
  EXPECT_EQ("FA0100",
            Json({"facture", "creer", "--client", "Dupont", "--date", "02/08/24", "--numero", "FA0100"})["numero"]);
  EXPECT_EQ(8, Json({"numerotation", "voir"})[2]["prochain"]);
  EXPECT_EQ("FA0008",
            Json({"facture", "creer", "--client", "Dupont", "--date", "02/08/24", "--numero", "FA0008"})["numero"]);
  EXPECT_EQ(9, Json({"numerotation", "voir"})[2]["prochain"]);
  Refused({"facture", "creer", "--client", "Dupont", "--numero", "fa0100"},
          "vyx : Le numéro « fa0100 » est déjà celui d'un autre document : chaque document a le "
          "sien.\n");
  // The counter passes over a number typed ahead of it.
  Ok({"numerotation", "modifier", "facture", "--prochain", "100"});
  EXPECT_EQ("FA0101", Json({"facture", "creer", "--client", "Dupont", "--date", "02/08/24"})["numero"]);
  EXPECT_EQ(
      "Numérotation  Prochain  Format    Exemple\n"
      "Factures           102  FA«num4»  FA0102\n",
      Ok({"numerotation", "modifier", "facture", "--prochain", "102"})
          .out.substr(std::string("Numérotation « Factures » modifiée.\n").size()));
}

TEST_F(FactureCommandsTest, ArticlesListedChangedAndDeleted) {
  EXPECT_EQ(
      "Article         Réf.  Prix HT  TVA          Catégorie    Éco-part.\n"
      "Taille de haie  TH      40,00  Taux normal  Prestations\n"
      "Engrais         ENG     12,00  Taux réduit                    2,00\n",
      Ok({"article", "liste"}).out);
  Ok({"article", "modifier", "engrais", "--prix", "13,5", "--nom", "Engrais bio"});
  nlohmann::json list = Json({"article", "liste"});
  EXPECT_EQ("Engrais bio", list[1]["nom"]);
  EXPECT_EQ(13.5, list[1]["prixUnitaire"]);
  Ok({"facture", "creer", "--client", "Dupont", "--date", "02/08/24"});
  Ok({"facture", "ligne", "ajouter", "F2024-0001", "--article", "engrais bio"});
  // In use: asked first; refused, the article stays.
  Refused({"--non", "article", "supprimer", "Engrais bio"});
  EXPECT_EQ(2u, Json({"article", "liste"}).size());
  Ok({"--oui", "article", "supprimer", "Engrais bio"});
  nlohmann::json line = Voir("F2024-0001")["lignes"][0];
  EXPECT_EQ("", line["article"]);
  EXPECT_EQ("Engrais bio", line["libelle"]);
  EXPECT_EQ(13.5, line["prixUnitaire"]);
}

TEST_F(FactureCommandsTest, DocumentsWrittenToPrint) {
  Ok({"facture", "vendeur", "--societe", "Jardins d'Élise", "--siret", "12345678900012",
      "--forme", "EURL", "--capital", "5 000 €"});
  EXPECT_EQ("Jardins d'Élise", Json({"facture", "vendeur"})["societe"]);
  Ok({"facture", "creer", "--client", "Dupont", "--date", "02/08/24"});
  Ok({"facture", "ligne", "ajouter", "F2024-0001", "--article", "Taille de haie"});
  std::string pdf = (Folder() / "F2024-0001.pdf").string();
  std::string html = (Folder() / "F2024-0001.html").string();
  EXPECT_EQ("Document F2024-0001 écrit dans " + pdf + " (pages : 1).\nDocument F2024-0001 écrit dans " +
                html + ".\n",
            Ok({"facture", "document", "F2024-0001", "--pdf", pdf, "--html", html}).out);
  EXPECT_EQ("%PDF-", VYXReadFile(pdf).substr(0, 5));
  EXPECT_NE(std::string::npos, VYXReadFile(html).find("EURL au capital de 5 000 €"));
  Refused({"facture", "document", "F2024-0001"},
          "vyx : Précisez le fichier à écrire : --pdf FICHIER, --html FICHIER, ou les deux.\n");
}

}  // namespace
