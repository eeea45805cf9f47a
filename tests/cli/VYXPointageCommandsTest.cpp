// `vyx pointer`, `depointer`, `releves` and `rapprocher` on a real dossier.
#include "VYXCliHomeTest.h"

namespace {

class PointageCommandsTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    MakeDossier({"Courant"});
  }
  std::string Add(std::vector<std::string> args) {
    std::vector<std::string> all{"ope", "ajouter", "Courant"};
    all.insert(all.end(), args.begin(), args.end());
    return std::to_string(Json(all)["dataID"].get<int>());
  }
  nlohmann::json Op(const std::string& key) {
    for (const auto& op : Json({"ope", "liste", "Courant"})) {
      if (std::to_string(op["dataID"].get<int>()) == key) return op;
    }
    return nullptr;
  }
};

TEST_F(PointageCommandsTest, ClearingStatementsAndReconcilingThem) {
  std::string loyer = Add({"--date", "02/03/24", "--montant", "-800", "--date-pointe", "03/03/24"});
  std::string salaire = Add({"--date", "28/02/24", "--montant", "2500"});
  std::string achat = Add({"--date", "10/03/24", "--montant", "-100", "--tva", "taux normal"});
  std::string tard = Add({"--date", "02/04/24", "--montant", "-5"});

  EXPECT_EQ("2 opération(s) du compte « Courant » pointée(s) sur le relevé 3 (total 1 700,00).\n",
            Ok({"pointer", "Courant", loyer, salaire, "--releve", "3"}).out);
  EXPECT_EQ("2024-03-03", Op(loyer)["datePointe"]) << "its own bank date";
  EXPECT_EQ("3", Op(salaire)["releve"]);
  // One operation may take the statement's amount: its VAT follows.
  Ok({"pointer", "Courant", achat, "--releve", "3", "--date", "31/03/24", "--montant", "-119,60"});
  nlohmann::json a = Op(achat);
  EXPECT_EQ(2, a["status"]);
  EXPECT_EQ(-119.6, a["montant"]);
  EXPECT_EQ(-19.6, a["montantTva"]);
  EXPECT_EQ("2024-03-31", a["datePointe"]);
  Refused({"pointer", "Courant", loyer, tard, "--montant", "1"},
          "vyx : Un montant ne se donne que pour une seule opération.\n");
  Refused({"pointer", "Courant", "999"}, "vyx : Le compte « Courant » n'a pas d'opération de clé 999.\n");

  nlohmann::json releves = Json({"releves", "Courant"});
  ASSERT_EQ(1u, releves.size());
  EXPECT_EQ("3", releves[0]["releve"]);
  EXPECT_EQ(3, releves[0]["operations"]);
  EXPECT_EQ(-919.6, releves[0]["debits"]);
  EXPECT_EQ(2500.0, releves[0]["credits"]);
  EXPECT_EQ("2024-02-28", releves[0]["du"]);
  EXPECT_EQ("2024-03-31", releves[0]["au"]);

  EXPECT_EQ(
      "Relevé 3 du 31/03/24\n"
      "Solde du relevé         1 580,40\n"
      "Solde pointé du compte  1 580,40\n"
      "Écart                       0,00\n"
      "Le relevé 3 est rapproché : le solde pointé du compte est celui du relevé.\n",
      Ok({"rapprocher", "Courant", "--releve", "3", "--solde", "1 580,40"}).out);
  nlohmann::json off = Json({"rapprocher", "Courant", "--releve", "3", "--solde", "1575,40",
                             "--date", "05/04/24"});
  EXPECT_EQ(-5.0, off["ecart"]);
  ASSERT_EQ(1u, off["nonPointees"].size()) << "the operation that explains the difference";
  EXPECT_EQ(std::stoi(tard), off["nonPointees"][0]["dataID"]);
  Refused({"rapprocher", "Courant", "--releve", "4", "--solde", "0"},
          "vyx : Le compte « Courant » n'a pas de relevé 4.\n");

  EXPECT_EQ("1 opération(s) du compte « Courant » dépointée(s).\n",
            Ok({"depointer", "Courant", loyer}).out);
  nlohmann::json back = Op(loyer);
  EXPECT_EQ(1, back["status"]);
  EXPECT_EQ("", back["releve"]);
}

}  // namespace
