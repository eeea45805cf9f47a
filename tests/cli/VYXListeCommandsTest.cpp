// `vyx liste` and `vyx chequier` end to end: the real program, its preferences
// and data folders in a temporary home, working in dossiers made there or in
// the sample dossier.
#include "VYXCliHomeTest.h"

namespace {

using Args = std::vector<std::string>;

class ListeCommandsTest : public VYXCliHomeTest {
 protected:
  // The tests build the lists themselves: their dossiers start with none.
  ListeCommandsTest() { emptyLists_ = true; }

  // The item named `name` in a list printed as JSON, or null.
  static nlohmann::json Item(const nlohmann::json& list, const std::string& name) {
    for (const nlohmann::json& item : list) {
      if (item["nom"] == name) return item;
    }
    return nullptr;
  }
};

TEST_F(ListeCommandsTest, ItemsAddedWithTheirKindAndTakenNamesNumbered) {
  MakeDossier({"Courant"});
  EXPECT_EQ("La liste des affaires est vide.\n", Ok({"liste", "affaires"}).out);

  EXPECT_EQ("Élément « Loisirs » ajouté à la liste des catégories.\n",
            Ok({"liste", "categories", "ajouter", "Loisirs", "--type", "recette"}).out);
  // A name the list has, whatever its case and accents, gets a number, as
  // every list of the system gives one.
  EXPECT_EQ("Élément « loisirs 1 » ajouté à la liste des catégories (elle a déjà « Loisirs »).\n",
            Ok({"liste", "categories", "ajouter", "loisirs"}).out);
  nlohmann::json added = Json({"liste", "categories", "ajouter", "Sport", "--type", "3"});
  EXPECT_EQ("Sport", added["nom"]);
  EXPECT_EQ(3, added["type"]);

  nlohmann::json categories = Json({"liste", "categories"});
  ASSERT_EQ(3u, categories.size());
  EXPECT_EQ(2, Item(categories, "Loisirs")["type"]);
  EXPECT_EQ(1, Item(categories, "loisirs 1")["type"]);  // an expense unless told
  EXPECT_TRUE(Item(categories, "Sport")["famille"].is_null());
  EXPECT_EQ(
      "Nom        Type\n"
      "Loisirs    recette\n"
      "loisirs 1  dépense\n"
      "Sport      épargne\n",
      Ok({"liste", "categories"}).out);

  Ok({"liste", "tiers", "ajouter", "EDF", "--type", "Fournisseur"});
  Ok({"liste", "tva", "ajouter", "Taux normal", "--taux", "20"});
  Ok({"liste", "tva", "ajouter", "Taux par défaut"});
  Ok({"liste", "affectations", "ajouter", "Maison"});
  EXPECT_EQ(2, Item(Json({"liste", "tiers"}), "EDF")["type"]);
  nlohmann::json tva = Json({"liste", "tva"});
  EXPECT_EQ(20.0, Item(tva, "Taux normal")["taux"]);
  EXPECT_EQ(19.6, Item(tva, "Taux par défaut")["taux"]);
  EXPECT_EQ(
      "Nom                Taux\n"
      "Taux normal        20 %\n"
      "Taux par défaut  19,6 %\n",
      Ok({"liste", "tva"}).out);

  // Currencies are named by their code: in capitals, and never numbered.
  EXPECT_EQ("USD", Json({"liste", "devises", "ajouter", "usd"})["nom"]);
  nlohmann::json devises = Json({"liste", "devises"});
  EXPECT_TRUE(Item(devises, "EUR")["reference"]);
  EXPECT_EQ(1.0, Item(devises, "USD")["taux"]);

  Refused({"liste", "devises", "ajouter", "USD"}, "vyx : La liste des devises a déjà « USD ».\n");
  EXPECT_EQ(devises, Json({"liste", "devises"}));

  // Arguments refused before the dossier is opened leave every file as it was.
  const auto before = Snapshot();
  Refused({"liste", "devises", "ajouter", "Dollar"},
          "vyx : « Dollar » ne peut pas être le nom d'une devise : c'est son code, de 4 caractères "
          "au plus, sans espace.\n");
  Refused({"liste", "categories", "ajouter", "Jeux", "--type", "loisir"},
          "vyx : « loisir » n'est pas un type de cette liste.\n");
  Refused({"liste", "tva", "ajouter", "Réduit", "--taux", "5,5a"},
          "vyx : « 5,5a » n'est pas un montant.\n");
  Refused({"liste", "tiers", "ajouter", ""}, "vyx : Un élément de liste doit avoir un nom.\n");
  EXPECT_TRUE(before == Snapshot());
}

TEST_F(ListeCommandsTest, CategoryRenamedToAnotherMergesThemInEveryAccount) {
  MakeDossier({"Courant", "Joint", "Vacances"});
  Ok({"liste", "categories", "ajouter", "Loisirs"});
  Ok({"liste", "categories", "ajouter", "Sport"});
  struct Op {
    const char* compte;
    const char* libelle;
    const char* categorie;
  } ops[] = {{"Courant", "Cinéma", "Loisirs"},
             {"Courant", "Piscine", "Sport"},
             {"Joint", "Concert", "Loisirs"},
             {"Joint", "Tennis", "Sport"},
             {"Vacances", "Musée", "Loisirs"}};
  for (const Op& op : ops) {
    Ok({"ope", "ajouter", op.compte, "--date", "10/02/24", "--montant", "-10", "--libelle",
        op.libelle, "--categorie", op.categorie});
  }
  // A split line in Loisirs, under an operation of no category.
  nlohmann::json split =
      Json({"ope", "ajouter", "Courant", "--date", "12/02/24", "--montant", "-30"});
  Ok({"ventil", "ajouter", "Courant", std::to_string(split["dataID"].get<int>()), "--montant",
      "-30", "--categorie", "loisirs"});
  // Each operation's category, and its split lines', by label.
  auto categories = [&](const char* compte) {
    std::map<std::string, nlohmann::json> found;
    for (const nlohmann::json& op : Json({"ope", "liste", compte})) {
      found[op["libelle"]] = op["categorie"];
      for (const nlohmann::json& line : op["sousOperations"])
        found["ventilation"] = line["categorie"];
    }
    return found;
  };
  const auto courant = categories("Courant");
  ASSERT_EQ("Loisirs", courant.at("Cinéma"));
  ASSERT_EQ("Loisirs", courant.at("ventilation"));

  // The merge is asked first; without a terminal the safe answer keeps both.
  VYXRunResult asked = VYXRunVyx({"liste", "categories", "renommer", "Loisirs", "sport"});
  EXPECT_EQ(1, asked.exitCode);
  EXPECT_NE(std::string::npos, asked.err.find("La liste des catégories a déjà « Sport » : "
                                              "« Loisirs » va y être fusionné"))
      << asked.err;
  EXPECT_EQ(courant, categories("Courant"));

  EXPECT_EQ("Élément « Loisirs » fusionné avec « Sport », dans le dossier et dans ses comptes.\n",
            Ok({"--oui", "liste", "categories", "renommer", "Loisirs", "sport"}).out);
  using Found = std::map<std::string, nlohmann::json>;
  EXPECT_EQ(
      (Found{{"Cinéma", "Sport"}, {"Piscine", "Sport"}, {"", nullptr}, {"ventilation", "Sport"}}),
      categories("Courant"));
  EXPECT_EQ((Found{{"Concert", "Sport"}, {"Tennis", "Sport"}}), categories("Joint"));
  // An account that had only Loisirs has it renamed, with the spelling kept.
  EXPECT_EQ((Found{{"Musée", "Sport"}}), categories("Vacances"));
  nlohmann::json list = Json({"liste", "categories"});
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ("Sport", list[0]["nom"]);

  // A plain rename reaches every account as well.
  EXPECT_EQ(nlohmann::json::parse(R"({"nom": "Sports", "ancien": "Sport", "fusion": false})"),
            Json({"liste", "categories", "renommer", "SPORT", "Sports"}));
  EXPECT_EQ("Sports", categories("Joint").at("Tennis"));
  EXPECT_EQ("Sports", categories("Courant").at("ventilation"));
}

TEST_F(ListeCommandsTest, CategoriesShownUnderTheirFamilies) {
  // The sample dossier files its categories under families.
  VYXRunResult r = Ok({"liste", "categories"});
  EXPECT_NE(std::string::npos, r.out.find("Logement\n"
                                          "  Loyer                  dépense\n"
                                          "  Électricité            dépense\n"))
      << r.out;
  // Categories of no family come after the families.
  EXPECT_NE(std::string::npos, r.out.find("\nSalaire                  recette\n")) << r.out;
  EXPECT_LT(r.out.find("  Loyer"), r.out.find("\nSalaire"));
  nlohmann::json categories = Json({"liste", "categories"});
  EXPECT_EQ("Logement", Item(categories, "Loyer")["famille"]);
  EXPECT_TRUE(Item(categories, "Salaire")["famille"].is_null());
}

TEST_F(ListeCommandsTest, ItemInUseDeletedOnlyWhenConfirmedAndKeptByItsAccount) {
  // In the sample, the current account has operations in "Restaurants"; a
  // new category is used by no account.
  Ok({"liste", "categories", "ajouter", "Inutile"});
  Ok({"soldes"});  // every account opened once
  EXPECT_EQ("Élément « Inutile » supprimé de la liste des catégories.\n",
            Ok({"liste", "categories", "supprimer", "INUTILE"}).out);

  // Without a terminal nobody answers, and the safe answer keeps the item.
  VYXRunResult asked = VYXRunVyx({"liste", "categories", "supprimer", "restaurants"});
  EXPECT_EQ(1, asked.exitCode);
  EXPECT_NE(
      std::string::npos,
      asked.err.find("L'élément « Restaurants » est utilisé par le compte « Compte courant »"))
      << asked.err;
  EXPECT_FALSE(Item(Json({"liste", "categories"}), "Restaurants").is_null());
  EXPECT_EQ(1, VYXRunVyx({"--non", "liste", "categories", "supprimer", "Restaurants"}).exitCode);

  EXPECT_EQ(nlohmann::json::parse(
                R"({"nom": "Restaurants", "supprime": true, "gardePar": ["Compte courant"]})"),
            Json({"--oui", "liste", "categories", "supprimer", "Restaurants"}));
  EXPECT_TRUE(Item(Json({"liste", "categories"}), "Restaurants").is_null());
  // The account kept its copy: the next time a command opens it to write,
  // the dossier takes it in again (a command that only reads writes nothing).
  Ok({"soldes"});
  EXPECT_TRUE(Item(Json({"liste", "categories"}), "Restaurants").is_null());
  Ok({"compte", "defauts", "Compte courant", "--statut", "engagee"});
  EXPECT_FALSE(Item(Json({"liste", "categories"}), "Restaurants").is_null());
}

TEST_F(ListeCommandsTest, UnknownItemsAndReferenceCurrencyRefusedWithoutChange) {
  MakeDossier({"Courant"});
  Ok({"liste", "devises", "ajouter", "USD"});
  Ok({"compte", "creer", "Dollars", "--devise", "usd"});
  Ok({"liste", "modes", "ajouter", "Chèque", "--type", "1"});
  // Every command writes the dossier as it closes it; what matters is its lists.
  auto lists = [&] {
    return std::vector<nlohmann::json>{Json({"liste", "categories"}), Json({"liste", "modes"}),
                                       Json({"liste", "devises"}), Json({"compte", "liste"})};
  };
  const auto before = lists();
  Refused({"liste", "categories", "renommer", "Bidule", "Truc"},
          "vyx : La liste des catégories n'a pas d'élément « Bidule ».\n");
  Refused({"liste", "modes", "supprimer", "Virement"},
          "vyx : La liste des modes de paiement n'a pas d'élément « Virement ».\n");
  Refused({"liste", "devises", "supprimer", "eur"},
          "vyx : La devise de référence « EUR » ne peut être ni renommée ni supprimée.\n");
  Refused({"liste", "devises", "renommer", "EUR", "FRF"},
          "vyx : La devise de référence « EUR » ne peut être ni renommée ni supprimée.\n");
  Refused({"liste", "devises", "supprimer", "USD"},
          "vyx : La devise « USD » est celle du compte « Dollars » : elle ne peut pas être "
          "supprimée.\n");
  EXPECT_EQ(before, lists());
  EXPECT_EQ("L'élément « Chèque » porte déjà ce nom.\n",
            Ok({"liste", "modes", "renommer", "chèque", "Chèque"}).out);

  // A currency renamed is renamed in the accounts that use it.
  Ok({"liste", "devises", "renommer", "usd", "dol"});
  nlohmann::json comptes = Json({"compte", "liste"});
  EXPECT_EQ("DOL", comptes[1]["devise"]);
  EXPECT_FALSE(Item(Json({"liste", "devises"}), "DOL").is_null());
  EXPECT_TRUE(Item(Json({"liste", "devises"}), "USD").is_null());
  // Merged into the reference currency, it leaves its accounts in that one.
  Ok({"--oui", "liste", "devises", "renommer", "DOL", "eur"});
  EXPECT_EQ("EUR", Json({"compte", "liste"})[1]["devise"]);
  EXPECT_EQ(1u, Json({"liste", "devises"}).size());
}

TEST_F(ListeCommandsTest, UsageErrorsExitTwo) {
  for (const Args& args : {Args{"liste"}, Args{"liste", "categories", "ajouter"},
                           Args{"liste", "affaires", "ajouter", "X", "--type", "1"},
                           Args{"liste", "couleurs"}, Args{"chequier", "ajouter", "A", "B"}}) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(2, r.exitCode) << Joined(args);
    EXPECT_EQ(0u, r.err.find("vyx : erreur d'usage : ")) << r.err;
  }
}

TEST_F(ListeCommandsTest, ChequeBooksAddedAndListed) {
  MakeDossier({"Courant"});
  EXPECT_EQ("Le compte « Courant » n'a aucun chéquier.\n",
            Ok({"chequier", "liste", "Courant"}).out);
  EXPECT_EQ(
      "Chéquier « Chéquier 1 » ajouté au compte « Courant » : chèques 1000000 à 1000049.\n",
      Ok({"chequier", "ajouter", "courant", "Chéquier 1", "--premier", "1000000", "--nombre", "50"})
          .out);
  nlohmann::json added = Json({"chequier", "ajouter", "Courant", "Chéquier A", "--premier",
                               "1000000", "--nombre", "25", "--prefixe", "A"});
  EXPECT_EQ("A", added["prefix"]);
  EXPECT_EQ(1, added["next"]);

  EXPECT_EQ(
      "Chéquier    Premier  Dernier  Prochain  Utilisés  Restants\n"
      "Chéquier 1  1000000  1000049  1000000          0        50\n"
      "Chéquier A  A000000  A000024  A000000          0        25\n",
      Ok({"chequier", "liste", "Courant"}).out);
  nlohmann::json books = Json({"chequier", "liste", "Courant"});
  ASSERT_EQ(2u, books.size());
  EXPECT_EQ(1000000, books[0]["first"]);
  EXPECT_EQ(50, books[0]["number"]);
  EXPECT_EQ("1000049", books[0]["dernier"]);

  const auto before = Snapshot();
  Args add = {"chequier", "ajouter", "Courant", "B"};
  auto with = [&](std::initializer_list<std::string> more) {
    Args a = add;
    a.insert(a.end(), more);
    return a;
  };
  Refused(with({"--premier", "1x", "--nombre", "5"}),
          "vyx : « 1x » n'est pas un numéro de chèque : 7 chiffres au plus.\n");
  Refused(with({"--premier", "1", "--nombre", "0"}),
          "vyx : « 0 » n'est pas un nombre de chèques : de 1 à 32767.\n");
  Refused(with({"--premier", "9999990", "--nombre", "20"}),
          "vyx : Un numéro de chèque a 7 chiffres au plus : ce chéquier irait jusqu'à 10000009.\n");
  Refused(with({"--premier", "1", "--nombre", "5", "--prefixe", "ABCDEFG"}),
          "vyx : Le préfixe « ABCDEFG » est trop long : 6 caractères au plus.\n");
  EXPECT_TRUE(before == Snapshot());
}

TEST_F(ListeCommandsTest, ChequesWrittenCountAsUsed) {
  // The sample's current account wrote cheques from its book, in order.
  nlohmann::json books = Json({"chequier", "liste", "Compte courant"});
  ASSERT_EQ(1u, books.size());
  EXPECT_GT(books[0]["utilises"].get<int>(), 0);
  EXPECT_EQ(books[0]["next"].get<int>() - 1, books[0]["utilises"].get<int>());
  EXPECT_EQ(books[0]["number"].get<int>() - books[0]["utilises"].get<int>(),
            books[0]["restants"].get<int>());
}

}  // namespace
