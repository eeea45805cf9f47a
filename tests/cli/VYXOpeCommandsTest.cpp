// `vyx ope` and `vyx ventil` end to end: the real program in a temporary
// home, on new dossiers and on the sample dossier (whose current account has
// lists, defaults, a cheque book and a first quarter locked).
#include <set>

#include "VYXCliHomeTest.h"

namespace {

constexpr const char* kCourant = "compte courant";  // the sample's, named as a user would

class OpeCommandsTest : public VYXCliHomeTest {
 protected:
  // Adds an operation and answers its key.
  std::string Add(const std::string& compte, std::vector<std::string> options) {
    std::vector<std::string> args{"ope", "ajouter", compte};
    args.insert(args.end(), options.begin(), options.end());
    return Key(Json(args));
  }
  static std::string Key(const nlohmann::json& op) {
    return std::to_string(op["dataID"].get<uint32_t>());
  }
  // The operation of that key, as `ope liste --json` shows it, less the
  // balance after it, which only the list gives.
  nlohmann::json Find(const std::string& compte, const std::string& key) {
    for (nlohmann::json op : Json({"ope", "liste", compte})) {
      op.erase("solde");
      if (Key(op) == key) return op;
    }
    ADD_FAILURE() << "no operation " << key;
    return nullptr;
  }
  // What the account holds: its operations and its balances.
  nlohmann::json Contents(const std::string& compte) {
    return {Json({"ope", "liste", compte}), Json({"soldes", compte})};
  }
};

TEST_F(OpeCommandsTest, BalancesByStatusFollowTheOperations) {
  MakeDossier({"Courant"});
  Add("Courant", {"--date", "02/01/24", "--montant", "-10", "--libelle", "Courses"});
  Add("Courant", {"--date", "03/01/24", "--montant", "100", "--statut", "pointée"});
  std::string planned =
      Add("Courant", {"--date", "04/01/24", "--montant=-5", "--statut", "PREVUE"});

  EXPECT_EQ(
      "Compte   Prévu  Engagé  Pointé  Devise\n"
      "Courant  85,00   90,00  100,00  EUR\n",
      Ok({"soldes"}).out);
  auto soldes = [&] { return Json({"soldes", "Courant"})[0]["soldes"]; };
  EXPECT_EQ(nlohmann::json::parse(R"({"prevu": 85.0, "engage": 90.0, "pointe": 100.0})"), soldes());

  // Cleared now: its amount moves from the planned sum to the cleared one.
  Ok({"ope", "modifier", "Courant", planned, "--statut", "pointee"});
  EXPECT_EQ(nlohmann::json::parse(R"({"prevu": 85.0, "engage": 85.0, "pointe": 95.0})"), soldes());
  Ok({"ope", "supprimer", "Courant", planned});
  EXPECT_EQ(nlohmann::json::parse(R"({"prevu": 90.0, "engage": 90.0, "pointe": 100.0})"), soldes());
}

// Several accounts: a total line, in the reference currency.
TEST_F(OpeCommandsTest, BalancesOfSeveralAccountsEndWithTheirTotal) {
  MakeDossier({"Courant"});
  Ok({"liste", "devises", "ajouter", "USD", "--taux", "0,5"});
  Ok({"compte", "creer", "Dollars", "--devise", "USD"});
  Add("Courant", {"--date", "02/01/24", "--montant", "-10"});
  Add("Dollars", {"--date", "02/01/24", "--montant", "100", "--statut", "pointee"});
  EXPECT_EQ(
      "Compte    Prévu  Engagé  Pointé  Devise\n"
      "Courant  -10,00  -10,00    0,00  EUR\n"
      "Dollars  100,00  100,00  100,00  USD\n"
      "Total     40,00   40,00   50,00  EUR\n",
      Ok({"soldes"}).out);
  // One account alone has no total.
  EXPECT_EQ(std::string::npos, Ok({"soldes", "Dollars"}).out.find("Total"));
}

TEST_F(OpeCommandsTest, ListShowsOperationsByDateWithTheirLines) {
  MakeDossier({"Courant"});
  std::string loyer = Add(
      "Courant", {"--date", "20/03/24", "--montant", "-1 234,5", "--libelle", "Loyer", "--piece",
                  "P12", "--releve", "3", "--statut", "pointee", "--date-pointe", "21/03/24"});
  std::string salaire = Add("Courant", {"--date", "05/03/24", "--montant", "2000", "--libelle",
                                        "Salaire", "--mois", "2"});
  std::string courses = Add("Courant", {"--date", "25/03/24", "--montant", "-60", "--libelle",
                                        "Courses", "--statut", "prevue"});
  Ok({"ventil", "ajouter", "Courant", courses, "--montant", "-40", "--libelle", "Épicerie"});
  Ok({"ventil", "ajouter", "Courant", courses, "--montant", "-20", "--libelle", "Maison"});

  // The bank date, the statement as lists show it, and the balance after
  // each operation, from the opening balances.
  EXPECT_EQ(
      "Clé  Date      Valeur    Libellé   Catégorie  Tiers  Mode  Chèque    Montant  Statut   "
      "Relevé     Solde\n" +
          salaire +
          "    05/03/24  05/03/24  Salaire                                    2 000,00  engagée  "
          "        2 000,00\n" +
          loyer +
          "    20/03/24  21/03/24  Loyer                                     -1 234,50  pointée  "
          "00003     765,50\n" +
          courses +
          "    25/03/24  25/03/24  Courses                                      -60,00  prévue   "
          "          705,50\n" +
          courses + ".1                      Épicerie                                     -40,00\n" +
          courses + ".2                      Maison                                       -20,00\n"
          "3 opérations, total 705,50 EUR\n",
      Ok({"ope", "liste", "Courant"}).out);

  nlohmann::json all = Json({"ope", "liste", "Courant"});
  ASSERT_EQ(3u, all.size());
  nlohmann::json expected = nlohmann::json::parse(R"({
      "date": "2024-03-20", "datePointe": "2024-03-21", "libelle": "Loyer",
      "montant": -1234.5, "montantTva": 0.0, "tva": null, "categorie": null, "tiers": null,
      "affaire": null, "affectation": null, "mode": null, "noCheque": "", "noPiece": "P12",
      "releve": "3", "mois": 3, "status": 2, "fictive": false, "sousOpsNbr": 0,
      "montantSousOp": 0.0, "montantTvaSousOp": 0.0, "sousOperations": [], "virement": null,
      "montantNonVentile": -1234.5, "solde": 765.5})");
  expected["dataID"] = std::stoi(loyer);
  EXPECT_EQ(expected, all[1]);
  EXPECT_EQ(2, all[0]["mois"]);
  EXPECT_EQ(nlohmann::json::parse(R"([
      {"dataID": 1, "libelle": "Épicerie", "montant": -40.0, "montantTva": 0.0, "tva": null,
       "categorie": null, "tiers": null, "affaire": null, "affectation": null, "mois": 3},
      {"dataID": 2, "libelle": "Maison", "montant": -20.0, "montantTva": 0.0, "tva": null,
       "categorie": null, "tiers": null, "affaire": null, "affectation": null, "mois": 3}])"),
            all[2]["sousOperations"]);

  // A period, its two days included; the balance still counts what came before.
  nlohmann::json period = Json({"ope", "liste", "Courant", "--du", "06/03/24", "--au", "20/3/24"});
  ASSERT_EQ(1u, period.size());
  EXPECT_EQ("Loyer", period[0]["libelle"]);
  EXPECT_EQ(765.5, period[0]["solde"]);
  Ok({"compte", "reports", "Courant", "--prevu", "10", "--pointe", "100"});
  EXPECT_EQ(875.5, Json({"ope", "liste", "Courant", "--du", "20/03/24"})[0]["solde"]);
  EXPECT_EQ(1u, Json({"ope", "liste", "Courant", "--du", "21/03/24"}).size());
  EXPECT_EQ(2u, Json({"ope", "liste", "Courant", "--du", "05/03/24", "--au", "20/3/24"}).size());
  EXPECT_EQ("Aucune opération ne répond à ces critères.\n",
            Ok({"ope", "liste", "Courant", "--au", "04/03/24"}).out);
}

TEST_F(OpeCommandsTest, NewOperationsTakeTheAccountsDefaultsAndItsNamedItems) {
  // Names are matched whatever their case and accents; what is not given
  // comes from the account's defaults (mode Carte bancaire, category
  // Alimentation in the sample) and the month from the date.
  nlohmann::json op =
      Json({"ope", "ajouter", kCourant, "--date", "02/12/24", "--montant", "-25", "--libelle",
            "Pharmacie", "--categorie", "sante", "--tiers", "PHARMACIE DES HALLES"});
  EXPECT_EQ("Santé", op["categorie"]);
  EXPECT_EQ("Pharmacie des Halles", op["tiers"]);
  EXPECT_EQ("Carte bancaire", op["mode"]);
  EXPECT_EQ(12, op["mois"]);
  EXPECT_EQ(1, op["status"]);
  EXPECT_EQ("2024-12-02", op["datePointe"]);
  EXPECT_EQ(op, Find(kCourant, Key(op)));

  // A VAT rate only the dossier has is taken into the account as it is
  // used; the VAT included in the amount comes from it.
  nlohmann::json facture = Json({"ope", "ajouter", kCourant, "--date", "03/12/24", "--montant",
                                 "119,60", "--tva", "taux normal"});
  EXPECT_EQ("Taux normal", facture["tva"]);
  EXPECT_EQ(19.6, facture["montantTva"]);
  EXPECT_EQ("Alimentation", facture["categorie"]);

  // A split line starts as its operation: category, payee, month.
  nlohmann::json split =
      Json({"ventil", "ajouter", kCourant, Key(op), "--montant", "-10", "--libelle", "Crème"});
  ASSERT_EQ(1u, split["sousOperations"].size());
  nlohmann::json line = split["sousOperations"][0];
  EXPECT_EQ("Santé", line["categorie"]);
  EXPECT_EQ("Pharmacie des Halles", line["tiers"]);
  EXPECT_EQ(12, line["mois"]);

  // Items nobody has are refused, and nothing is made.
  const nlohmann::json before = Contents(kCourant);
  struct Case {
    const char* option;
    const char* list;
  } cases[] = {
      {"--categorie", "catégories"},   {"--tiers", "tiers"},
      {"--affaire", "affaires"},       {"--affectation", "affectations"},
      {"--mode", "modes de paiement"}, {"--tva", "taux de TVA"},
  };
  for (const Case& c : cases) {
    VYXRunResult r = Refused({"ope", "ajouter", kCourant, "--date", "04/12/24", "--montant", "-1",
                              c.option, "Ski à Tignes"});
    EXPECT_EQ(std::string("vyx : La liste des ") + c.list +
                  " n'a pas d'élément « Ski à Tignes » : ajoutez-le d'abord (vyx liste).\n",
              r.err);
  }
  EXPECT_EQ(before, Contents(kCourant));
}

TEST_F(OpeCommandsTest, ModifyChangesOnlyWhatIsGivenAndWhatFollowsFromIt) {
  std::string key =
      Add(kCourant, {"--date", "02/12/24", "--montant", "-50", "--libelle", "Départ", "--tva",
                     "Taux réduit", "--tiers", "Carrefour", "--piece", "A1"});
  struct Step {
    std::vector<std::string> options;
    std::set<std::string> changed;
  } steps[] = {
      {{"--libelle", "Arrivée"}, {"libelle"}},
      {{"--categorie", ""}, {"categorie"}},
      {{"--tiers", "edf"}, {"tiers"}},
      // The VAT follows the amount at the operation's rate; without lines,
      // the whole amount is left to the operation's category.
      {{"--montant", "-100"}, {"montant", "montantTva", "montantNonVentile"}},
      // The bank date the mode gave follows the date...
      {{"--date", "10/12/24"}, {"date", "datePointe"}},
      // ...one typed stays.
      {{"--date-pointe", "12/12/24"}, {"datePointe"}},
      {{"--date", "11/12/24"}, {"date"}},
      {{"--statut", "pointée", "--releve", "12"}, {"status", "releve"}},
      {{"--tva", ""}, {"tva", "montantTva"}},
      {{"--montant-tva", "3"}, {"montantTva"}},
      {{"--mois", "1", "--piece", ""}, {"mois", "noPiece"}},
  };
  for (const Step& step : steps) {
    nlohmann::json before = Find(kCourant, key);
    std::vector<std::string> args{"ope", "modifier", kCourant, key};
    args.insert(args.end(), step.options.begin(), step.options.end());
    nlohmann::json after = Json(args);
    EXPECT_EQ(after, Find(kCourant, key));
    std::set<std::string> changed;
    for (const auto& [field, value] : after.items()) {
      if (before[field] != value) changed.insert(field);
    }
    EXPECT_EQ(step.changed, changed) << Joined(args);
  }
  nlohmann::json last = Find(kCourant, key);
  EXPECT_EQ("Arrivée", last["libelle"]);
  EXPECT_EQ("EDF", last["tiers"]);
  EXPECT_EQ("2024-12-11", last["date"]);
  EXPECT_EQ("2024-12-12", last["datePointe"]);
  EXPECT_EQ(3.0, last["montantTva"]);
  EXPECT_EQ("Carte bancaire", last["mode"]);
}

TEST_F(OpeCommandsTest, TheLockDateRefusesChangesToTheLockedPeriod) {
  MakeDossier({"Courant"});
  std::string old =
      Add("Courant", {"--date", "15/01/24", "--montant", "-20", "--libelle", "Ancienne"});
  Ok({"compte", "verrou", "Courant", "31/01/24"});
  const nlohmann::json before = Contents("Courant");

  std::vector<std::string> refused[] = {
      {"ope", "ajouter", "Courant", "--date", "31/01/24", "--montant", "-1"},
      {"ope", "ajouter", "Courant", "--date", "01/02/24", "--date-pointe", "31/01/24", "--montant",
       "-1"},
      {"ope", "modifier", "Courant", old, "--montant", "-25"},
      {"ope", "modifier", "Courant", old, "--date", "15/02/24"},
      {"ope", "supprimer", "Courant", old},
      {"ventil", "ajouter", "Courant", old, "--montant", "-5"},
  };
  for (const auto& args : refused) {
    VYXRunResult r = Refused(args);
    EXPECT_NE(std::string::npos, r.err.find("période verrouillée du compte")) << r.err;
    EXPECT_EQ(before, Contents("Courant")) << Joined(args);
  }
  EXPECT_EQ(
      "vyx : L'opération « Trop tôt » ne peut pas être ajoutée : sa date ou sa date de valeur "
      "tombe dans la période verrouillée du compte.\n",
      Refused({"ope", "ajouter", "Courant", "--date", "31/01/24", "--montant", "-1", "--libelle",
               "Trop tôt"})
          .err);
  EXPECT_EQ(
      "vyx : L'opération « Ancienne » ne peut pas être supprimée : elle appartient à la période "
      "verrouillée du compte.\n",
      Refused({"ope", "supprimer", "Courant", old}).err);

  // What the lock leaves open: the label of a locked operation, and the days after the lock.
  Ok({"ope", "modifier", "Courant", old, "--libelle", "Corrigée"});
  Add("Courant", {"--date", "01/02/24", "--montant", "-1"});
  nlohmann::json ops = Json({"ope", "liste", "Courant"});
  ASSERT_EQ(2u, ops.size());
  EXPECT_EQ("Corrigée", ops[0]["libelle"]);
}

TEST_F(OpeCommandsTest, RefusedArgumentsLeaveEveryFileAsItWas) {
  MakeDossier({"Courant"});
  std::string key = Add("Courant", {"--date", "15/01/24", "--montant", "-20"});
  const auto before = Snapshot();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"ope", "ajouter", "Courant", "--date", "29/02/07", "--montant", "1"},
       "vyx : « 29/02/07 » n'est pas une date.\n"},
      {{"ope", "ajouter", "Courant", "--date", "01/02/24", "--montant", "12a"},
       "vyx : « 12a » n'est pas un montant.\n"},
      {{"ope", "modifier", "Courant", key, "--date-pointe", "29/02/07"},
       "vyx : « 29/02/07 » n'est pas une date.\n"},
      {{"ventil", "ajouter", "Courant", key, "--montant", "12a"},
       "vyx : « 12a » n'est pas un montant.\n"},
      {{"ope", "liste", "Courant", "--du", "32/01/24"}, "vyx : « 32/01/24 » n'est pas une date.\n"},
      {{"ope", "modifier", "Courant", key, "--statut", "rapprochée"},
       "vyx : « rapprochée » n'est pas un état : prevue, engagee ou pointee.\n"},
      {{"ope", "modifier", "Courant", key, "--mois", "13"},
       "vyx : « 13 » n'est pas un mois : donnez un nombre de 1 à 12.\n"},
      {{"ope", "modifier", "Courant", key, "--libelle", std::string(100, 'x')},
       "vyx : Le libellé « " + std::string(100, 'x') +
           " » est trop long : 99 caractères au plus.\n"},
      {{"ope", "modifier", "Courant", key, "--cheque", "12345678"},
       "vyx : Le numéro de chèque « 12345678 » est trop long : 7 caractères au plus.\n"},
      {{"ope", "modifier", "Courant", key, "--libelle", "Łódź"},
       "vyx : « <U+0141>ód<U+017A> » contient le caractère U+0141 LATIN CAPITAL LETTER L WITH "
       "STROKE, que vyx ne peut pas enregistrer : ses textes sont en MacRoman.\n"},
      {{"ope", "supprimer", "Courant", "douze"},
       "vyx : « douze » n'est pas une clé d'opération.\n"},
      {{"ventil", "supprimer", "Courant", key, "0"},
       "vyx : « 0 » n'est pas un numéro de ligne de ventilation.\n"},
      {{"ope", "modifier", "Courant", key},
       "vyx : Rien à modifier : donnez au moins un champ (vyx ope modifier --help).\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.message, Refused(c.args).err);
    EXPECT_TRUE(before == Snapshot()) << Joined(c.args) << " changed a file";
  }
}

TEST_F(OpeCommandsTest, ChequesComeFromTheBookAndGoBackToIt) {
  // The sample's cheque mode takes its numbers from the account's one book.
  nlohmann::json a = Json({"ope", "ajouter", kCourant, "--date", "02/12/24", "--montant", "-10",
                           "--mode", "cheque", "--libelle", "Chèque A"});
  std::string first = a["noCheque"];
  ASSERT_EQ(7u, first.size());
  std::string second = std::to_string(std::stol(first) + 1);
  nlohmann::json b = Json(
      {"ope", "ajouter", kCourant, "--date", "02/12/24", "--montant", "-11", "--mode", "Chèque"});
  EXPECT_EQ(second, b["noCheque"]);
  // A cheque deleted was not written after all: the book gives it again.
  Ok({"ope", "supprimer", kCourant, Key(b)});
  nlohmann::json c = Json(
      {"ope", "ajouter", kCourant, "--date", "03/12/24", "--montant", "-12", "--mode", "Chèque"});
  EXPECT_EQ(second, c["noCheque"]);

  // A number another operation has is asked about; nobody answers here, and
  // the safe answer gives the operation up.
  size_t count = Json({"ope", "liste", kCourant}).size();
  VYXRunResult r = Refused(
      {"ope", "ajouter", kCourant, "--date", "03/12/24", "--montant", "-13", "--cheque", first});
  EXPECT_NE(std::string::npos,
            r.err.find("Le chèque n° " + first + " est déjà celui de l'opération " + Key(a) +
                       " (« Chèque A »)"))
      << r.err;
  EXPECT_NE(std::string::npos, r.err.find("vyx répond « non »")) << r.err;
  EXPECT_EQ(count, Json({"ope", "liste", kCourant}).size());
  nlohmann::json kept = Json({"--oui", "ope", "ajouter", kCourant, "--date", "03/12/24",
                              "--montant", "-13", "--cheque", first});
  EXPECT_EQ(first, kept["noCheque"]);
  // Changing a number asks the same.
  EXPECT_EQ(1,
            VYXRunVyx({"--non", "ope", "modifier", kCourant, Key(c), "--cheque", first}).exitCode);
  EXPECT_EQ(second, Find(kCourant, Key(c))["noCheque"]);
}

// With several books, or a book used up beside a new one, the next cheque
// comes from the first book that has one left; when none has, the user is told.
TEST_F(OpeCommandsTest, ChequesComeFromTheFirstBookWithOneLeft) {
  MakeDossier({"Courant"});
  Ok({"chequier", "ajouter", "Courant", "Ancien", "--premier", "100", "--nombre", "2"});
  Ok({"chequier", "ajouter", "Courant", "Nouveau", "--premier", "500", "--nombre", "2"});
  std::vector<std::string> numbers;
  std::string lastErr;
  for (int i = 0; i < 5; ++i) {
    VYXRunResult r = VYXRunVyx({"--json", "ope", "ajouter", "Courant", "--date", "02/02/24",
                                "--montant", "-10", "--mode", "Chèque"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    numbers.push_back(nlohmann::json::parse(r.out)["noCheque"]);
    lastErr = r.err;
  }
  EXPECT_EQ((std::vector<std::string>{"0000100", "0000101", "0000500", "0000501", ""}), numbers);
  EXPECT_EQ(
      "vyx : Aucun chéquier du compte « Courant » n'a de chèque à donner : l'opération est "
      "enregistrée sans numéro de chèque (--cheque pour en donner un).\n",
      lastErr);
  // A mode that takes no cheques says nothing of books.
  EXPECT_EQ("", VYXRunVyx({"ope", "ajouter", "Courant", "--date", "02/02/24", "--montant", "-1",
                           "--mode", "Espèces"})
                    .err);
}

TEST_F(OpeCommandsTest, SplitLinesKeepTheirOperationsFiguresRight) {
  MakeDossier({"Courant"});
  std::string key =
      Add("Courant", {"--date", "02/02/24", "--montant", "-100", "--libelle", "Courses"});
  Ok({"ventil", "ajouter", "Courant", key, "--montant", "-60", "--libelle", "A"});
  nlohmann::json op =
      Json({"ventil", "ajouter", "Courant", key, "--montant", "-40", "--libelle", "B"});
  EXPECT_EQ(2, op["sousOpsNbr"]);
  EXPECT_EQ(-100.0, op["montantSousOp"]);
  ASSERT_EQ(2u, op["sousOperations"].size());
  EXPECT_EQ(2, op["sousOperations"][1]["dataID"]);

  EXPECT_EQ("Ligne 1 de l'opération " + key + " supprimée du compte « Courant ».\n",
            Ok({"ventil", "supprimer", "Courant", key, "1"}).out);
  op = Find("Courant", key);
  EXPECT_EQ(1, op["sousOpsNbr"]);
  EXPECT_EQ(-40.0, op["montantSousOp"]);
  EXPECT_EQ("B", op["sousOperations"][0]["libelle"]);
  EXPECT_EQ("vyx : L'opération " + key + " n'a pas de ligne de ventilation 1.\n",
            Refused({"ventil", "supprimer", "Courant", key, "1"}).err);
  // A new line is numbered after those still there.
  op = Json({"ventil", "ajouter", "Courant", key, "--montant", "-10"});
  EXPECT_EQ(3, op["sousOperations"][1]["dataID"]);
  EXPECT_EQ(-50.0, op["montantSousOp"]);
  // Lines split the operation's amount; the balances count the operation once.
  EXPECT_EQ(-100.0, Json({"soldes", "Courant"})[0]["soldes"]["engage"]);

  Ok({"ope", "supprimer", "Courant", key});
  EXPECT_EQ("Le compte « Courant » n'a aucune opération.\n", Ok({"ope", "liste", "Courant"}).out);
  EXPECT_EQ("vyx : Le compte « Courant » n'a pas d'opération de clé " + key + ".\n",
            Refused({"ventil", "ajouter", "Courant", key, "--montant", "-1"}).err);
}

// Lines beyond their operation's amount are kept, as the account allows, but
// the user hears of it; what the lines leave shows under them.
TEST_F(OpeCommandsTest, SplitLinesBeyondTheAmountAreKeptWithAWarning) {
  MakeDossier({"Courant"});
  std::string key =
      Add("Courant", {"--date", "02/02/24", "--montant", "-100", "--libelle", "Travaux"});
  EXPECT_EQ("", Ok({"ventil", "ajouter", "Courant", key, "--montant", "-30"}).err);
  VYXRunResult r =
      Ok({"ventil", "ajouter", "Courant", key, "--montant", "-200", "--libelle", "Gros œuvre"});
  const std::string beyond =
      "vyx : Attention : les lignes de ventilation de l'opération " + key +
      " vont au-delà de son montant (-230,00 pour -100,00) ; ce qu'elles laissent à sa propre "
      "catégorie : 130,00.\n";
  EXPECT_EQ(beyond, r.err);
  EXPECT_EQ(beyond, Ok({"ventil", "ajouter", "Courant", key, "--montant", "0"}).err);
  std::string list = Ok({"ope", "liste", "Courant"}).out;
  size_t rest = list.find("(non ventilé)");
  ASSERT_NE(std::string::npos, rest) << list;
  std::string restLine = list.substr(rest, list.find('\n', rest) - rest);
  EXPECT_EQ("130,00", restLine.substr(restLine.find_last_of(' ') + 1)) << list;

  // ventil modifier changes only the fields given.
  r = Ok({"ventil", "modifier", "Courant", key, "2", "--montant", "-50"});
  EXPECT_EQ("", r.err);
  EXPECT_EQ("Ligne 2 de l'opération " + key + " du compte « Courant » modifiée.\n", r.out);
  nlohmann::json op = Json({"ventil", "modifier", "Courant", key, "1", "--libelle", "Plâtre"});
  EXPECT_EQ(-80.0, op["montantSousOp"]);
  EXPECT_EQ(3, op["sousOpsNbr"]);
  EXPECT_EQ("Plâtre", op["sousOperations"][0]["libelle"]);
  EXPECT_EQ(-30.0, op["sousOperations"][0]["montant"]);
  EXPECT_EQ("Gros œuvre", op["sousOperations"][1]["libelle"]);

  // The amount brought under its lines: the same word.
  r = Ok({"ope", "modifier", "Courant", key, "--montant", "-50"});
  EXPECT_NE(std::string::npos, r.err.find("(-80,00 pour -50,00)")) << r.err;

  EXPECT_EQ("vyx : Rien à modifier : donnez au moins un champ (vyx ventil modifier --help).\n",
            Refused({"ventil", "modifier", "Courant", key, "1"}).err);
  EXPECT_EQ("vyx : L'opération " + key + " n'a pas de ligne de ventilation 9.\n",
            Refused({"ventil", "modifier", "Courant", key, "9", "--montant", "1"}).err);
}

}  // namespace
