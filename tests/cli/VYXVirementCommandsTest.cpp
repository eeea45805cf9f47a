// `vyx ope … --virement`: the twin made in the other account and kept in step
// by every later command, whichever half the user names.
#include "VYXCliHomeTest.h"

namespace {

class VirementCommandsTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    emptyLists_ = true;
    MakeDossier({"Courant", "Epargne"});
  }
  std::string Add(std::vector<std::string> args) {
    std::vector<std::string> all{"ope", "ajouter", "Courant"};
    all.insert(all.end(), args.begin(), args.end());
    return std::to_string(Json(all)["dataID"].get<int>());
  }
};

// The list is written as it goes; it must still read exactly as the tree of
// the same value would be printed, with the fields a list adds in their place.
TEST_F(VirementCommandsTest, StreamedListIsLaidOutAsTheTreeOfTheSameValue) {
  std::string key = Add({"--date", "10/03/24", "--montant", "-100", "--libelle", "Livret \"A\"",
                         "--virement", "epargne"});
  Ok({"ventil", "ajouter", "Courant", key, "--montant", "-20", "--libelle", "Frais"});
  Add({"--date", "11/03/24", "--montant", "-5,5", "--libelle", "Café"});
  for (std::vector<std::string> args : {std::vector<std::string>{"ope", "liste", "--tous"},
                                        std::vector<std::string>{"ope", "liste", "Epargne"}}) {
    args.push_back("--json");
    std::string out = Ok(args).out;
    nlohmann::json tree = nlohmann::json::parse(out);
    EXPECT_EQ(tree.dump(2) + "\n", out) << Joined(args);
    EXPECT_FALSE(tree.empty());
  }
  nlohmann::json all = Json({"ope", "liste", "--tous"});
  ASSERT_EQ(3u, all.size());
  EXPECT_EQ("Courant", all[0]["compte"]);
  EXPECT_EQ(nlohmann::json::parse(R"({"compte": "Epargne", "source": true})"), all[0]["virement"]);
  EXPECT_EQ(nlohmann::json::parse(R"({"compte": "Courant", "source": false})"), all[1]["virement"]);
  EXPECT_EQ(-105.5, all[2]["solde"]);
  EXPECT_EQ(1u, all[0]["sousOperations"].size());
}

TEST_F(VirementCommandsTest, BothHalvesStayInStepWhicheverOneIsNamed) {
  std::string key = Add({"--date", "10/03/24", "--montant", "-100", "--libelle", "Livret",
                         "--virement", "epargne"});
  EXPECT_EQ(
      "Clé  Date      Valeur    Libellé  Catégorie  Tiers  Mode  Chèque  Montant  Statut   "
      "Relevé    Solde  Virement\n" +
          key +
          "    10/03/24  10/03/24  Livret                                   -100,00  engagée  "
          "        -100,00  vers Epargne\n"
          "1 opération, total -100,00 EUR\n",
      Ok({"ope", "liste", "Courant"}).out);
  nlohmann::json twins = Json({"ope", "liste", "Epargne"});
  ASSERT_EQ(1u, twins.size());
  EXPECT_EQ(100.0, twins[0]["montant"]);
  EXPECT_EQ(nlohmann::json::parse(R"({"compte": "Courant", "source": false})"), twins[0]["virement"]);
  std::string twin = std::to_string(twins[0]["dataID"].get<int>());

  // The twin's own fields change on its side; the rest only from the source.
  Ok({"ope", "modifier", "Epargne", twin, "--statut", "pointee", "--releve", "7"});
  Refused({"ope", "modifier", "Epargne", twin, "--montant", "120"},
          "vyx : L'opération « Livret » est la contrepartie d'un virement du compte « Courant » : "
          "changez-la dans ce compte. Ici, seuls son état, sa date de valeur, son relevé et son "
          "numéro de chèque se modifient.\n");
  Ok({"ope", "modifier", "Courant", key, "--montant", "-120", "--libelle", "Livret A"});
  nlohmann::json twinNow = Json({"ope", "liste", "Epargne"})[0];
  EXPECT_EQ(120.0, twinNow["montant"]);
  EXPECT_EQ("Livret A", twinNow["libelle"]);
  EXPECT_EQ(2, twinNow["status"]) << "cleared on its own statement, it stays cleared";
  EXPECT_EQ("7", twinNow["releve"]);

  // A split line of the source reaches the twin.
  Ok({"ventil", "ajouter", "Courant", key, "--montant", "-20", "--libelle", "Frais"});
  EXPECT_EQ(20.0, Json({"ope", "liste", "Epargne"})[0]["sousOperations"][0]["montant"]);

  // Deleting the twin deletes the transfer, both halves.
  EXPECT_EQ("Opération " + twin +
                " supprimée du compte « Epargne », avec le virement dont elle est la "
                "contrepartie dans le compte « Courant ».\n",
            Ok({"ope", "supprimer", "Epargne", twin}).out);
  EXPECT_TRUE(Json({"ope", "liste", "Courant"}).empty());
  EXPECT_TRUE(Json({"ope", "liste", "Epargne"}).empty());
}

TEST_F(VirementCommandsTest, ATransferTheOtherAccountRefusesLeavesThatAccountAsItWas) {
  Ok({"compte", "verrou", "Epargne", "31/03/24"});
  std::string plain = Add({"--date", "20/04/24", "--montant", "-5"});
  // The account the session opens is written as any opened account is; the
  // other one, which a refused transfer must not even open, is compared whole.
  const std::string epargne = VYXReadFile(Folder() / "Epargne.cpt");
  Refused({"ope", "ajouter", "Courant", "--date", "10/03/24", "--montant", "-100", "--virement",
           "Epargne"},
          "vyx : Le virement ne peut pas être reporté dans le compte « Epargne » : L'opération du "
          "10/03/24 ne peut pas être ajoutée : sa date ou sa date de valeur tombe dans la période "
          "verrouillée du compte.\n");
  Refused({"ope", "ajouter", "Courant", "--date", "10/04/24", "--montant", "-1", "--virement",
           "Courant"},
          "vyx : Un virement du compte « Courant » ne peut pas aller vers lui-même.\n");
  Refused({"ope", "ajouter", "Courant", "--date", "10/04/24", "--montant", "-1", "--virement",
           "Livret"});
  Refused({"ope", "modifier", "Courant", plain, "--date", "10/03/24", "--virement", "Epargne"});
  EXPECT_TRUE(epargne == VYXReadFile(Folder() / "Epargne.cpt"));
  EXPECT_EQ(1u, Json({"ope", "liste", "Courant"}).size());
}

}  // namespace
