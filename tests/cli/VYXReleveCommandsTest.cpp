// `vyx releve`, `vyx regle` and `vyx importer` end to end: the real program
// in a temporary home, on a new dossier, with statements written here.
#include <filesystem>
#include <fstream>

#include "VYXCliHomeTest.h"

namespace {

namespace fs = std::filesystem;

const char* kMars =
    "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nCHARSET:1252\n\n<OFX>\n"
    "<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS></SONRS></SIGNONMSGSRSV1>\n"
    "<BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF>EUR\n"
    "<BANKACCTFROM><ACCTID>00012345678</BANKACCTFROM>\n<BANKTRANLIST>\n"
    "<STMTTRN><DTPOSTED>20240308<TRNAMT>-45.30<FITID>F1<NAME>PRLV SEPA EDF</STMTTRN>\n"
    "<STMTTRN><DTPOSTED>20240309<TRNAMT>300.00<FITID>F2<NAME>REMISE CHEQUES<CHECKNUM>R42</STMTTRN>\n"
    "<STMTTRN><DTPOSTED>20240310<TRNAMT>-23.50<FITID>F3<NAME>CB CARREFOUR 07/03</STMTTRN>\n"
    "<STMTTRN><DTPOSTED>20240311<TRNAMT>-9.99<FITID>F4<NAME>PRLV FREE MOBILE</STMTTRN>\n"
    "</BANKTRANLIST>\n<LEDGERBAL><BALAMT>1221.21<DTASOF>20240311</LEDGERBAL>\n"
    "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";

class ReleveCommandsTest : public VYXCliHomeTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    fs::path p = Folder() / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }
};

TEST_F(ReleveCommandsTest, LoadMatchValidateAndAdd) {
  MakeDossier({"Courant"});
  Ok({"ope", "ajouter", "Courant", "--date", "02/03/24", "--montant", "-45,25", "--libelle", "Électricité"});
  for (const char* day : {"04/03/24", "05/03/24", "06/03/24"}) {
    Ok({"--oui", "ope", "ajouter", "Courant", "--date", day, "--montant", "100", "--cheque", "R42"});
  }
  std::string mars = Write("mars.ofx", kMars);
  EXPECT_EQ(
      "Relevé « mars.ofx » (OFX) chargé dans le compte « Courant » :\n"
      "Lignes lues                   4\n"
      "Nouvelles lignes              4\n"
      "Déjà chargées                 0\n"
      "Soldes enregistrés            1\n"
      "Dernière date chargée  11/03/24\n",
      Ok({"releve", "charger", "Courant", mars}).out);
  EXPECT_EQ(
      "Ligne  Date      Libellé             Montant  Clé  Date opé.  Libellé de l'opération  Montant opé.\n"
      "    1  08/03/24  PRLV SEPA EDF        -45,30    1  02/03/24   Électricité                   -45,25\n"
      "    2  09/03/24  REMISE CHEQUES       300,00    3  04/03/24                                 100,00\n"
      "                                                5  05/03/24                                 100,00\n"
      "                                                7  06/03/24                                 100,00\n"
      "    3  10/03/24  CB CARREFOUR 07/03   -23,50                  (aucune)\n"
      "    4  11/03/24  PRLV FREE MOBILE      -9,99                  (aucune)\n",
      Ok({"releve", "proposer", "Courant"}).out);

  Ok({"regle", "ajouter", "Courant", "PRLV\\FREE", "--libelle", "Téléphone", "--categorie",
      "téléphone et internet"});
  EXPECT_EQ(
      "Motif      Libellé    Catégorie              Tiers  Mode  Autres\n"
      "PRLV\\FREE  Téléphone  Téléphone et Internet\n",
      Ok({"regle", "liste", "Courant"}).out);

  // -45,30 against -45,25 asks first; with nobody to answer, nothing is done.
  VYXRunResult r = VYXRunVyx({"releve", "valider", "Courant", "1", "2"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(4u, Json({"releve", "liste", "Courant"}).size());
  EXPECT_EQ(
      "Ligne 1 validée avec l'opération 1.\n"
      "Ligne 2 validée avec l'opération 3+5+7.\n",
      Ok({"--oui", "releve", "valider", "Courant", "1", "2"}).out);
  EXPECT_EQ(
      "Ligne 3 ajoutée : opération 9.\n"
      "Ligne 4 ajoutée : opération 11.\n",
      Ok({"releve", "ajouter", "Courant", "--restantes"}).out);
  EXPECT_EQ(
      "Clé  Date      Valeur    Libellé             Catégorie              Tiers  Mode  Chèque  "
      "Montant  Statut   Relevé   Solde\n"
      "1    02/03/24  08/03/24  Électricité                                                      "
      "-45,30  pointée  @       -45,30\n"
      "3    04/03/24  09/03/24                                                          R42      "
      "100,00  pointée  @        54,70\n"
      "5    05/03/24  09/03/24                                                          R42      "
      "100,00  pointée  @       154,70\n"
      "7    06/03/24  09/03/24                                                          R42      "
      "100,00  pointée  @       254,70\n"
      "9    07/03/24  10/03/24  CB CARREFOUR 07/03                                               "
      "-23,50  pointée  @       231,20\n"
      "11   11/03/24  11/03/24  Téléphone           Téléphone et Internet                         "
      "-9,99  pointée  @       221,21\n"
      "6 opérations, total 221,21 EUR\n",
      Ok({"ope", "liste", "Courant"}).out);
  EXPECT_EQ("Aucune ligne de relevé n'attend de décision dans le compte « Courant ».\n",
            Ok({"releve", "liste", "Courant"}).out);
  EXPECT_EQ(
      "Solde de la banque au 11/03/24  1 221,21\n"
      "Solde pointé du compte            221,21\n"
      "Écart                           1 000,00\n",
      Ok({"releve", "solde", "Courant"}).out);
  Refused({"releve", "ignorer", "Courant", "3"}, "vyx : La ligne 3 a déjà été traitée.\n");

  // The same statement again adds nothing; a day back, its last day comes again.
  nlohmann::json again = Json({"releve", "charger", "Courant", mars});
  EXPECT_EQ(0, again["nouvelles"]);
  EXPECT_EQ(4, again["dejaChargees"]);
  EXPECT_EQ("La dernière date chargée du compte « Courant » est reculée au 10/03/24.\n",
            Ok({"releve", "date", "Courant", "--reculer"}).out);
  EXPECT_EQ(1, Json({"releve", "charger", "Courant", mars})["nouvelles"]);
  nlohmann::json lines = Json({"releve", "liste", "Courant"});
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(6, lines[0]["ligne"]);
  Ok({"releve", "ignorer", "Courant", "6"});
  EXPECT_EQ("ignoree", Json({"releve", "liste", "Courant", "--tout"})[4]["etat"]);
  EXPECT_NE(std::string::npos, VYXReadFile(Folder() / "Courant.releves").find("\t(PRLV FREE MOBILE)\t"));
}

TEST_F(ReleveCommandsTest, StatementsThatDoNotReadChangeNothing) {
  MakeDossier({"Courant"});
  std::string bad = Write("mauvais.ofx", std::string(kMars).replace(std::string(kMars).find("-9.99"), 5, "-9,9x"));
  std::string prose = Write("lettre.txt", "Cher client,\nvoici votre relevé.\n");
  std::string csv = Write("banque.csv", "15/03/2024;A;12\n16/03/2024;B;13\n");
  const auto before = Snapshot();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"releve", "charger", "Courant", bad}, "vyx : Ligne 14 : « -9,9x » n'est pas un montant.\n"},
      {{"releve", "charger", "Courant", prose},
       "vyx : Le fichier « lettre.txt » n'est pas un relevé que vyx sait lire (QIF, OFX, CFONB 120 "
       "ou CSV).\n"},
      {{"releve", "charger", "Courant", (Folder() / "absent.ofx").string()},
       "vyx : Le fichier « absent.ofx » est introuvable.\n"},
      {{"releve", "charger", "Courant", csv},
       "vyx : Le fichier CSV « banque.csv » n'a pas de ligne d'en-tête où vyx reconnaisse ses "
       "colonnes (Date, Libellé, Montant, ou Débit et Crédit) : donnez-les avec --colonnes.\n"},
      {{"releve", "charger", "Courant", csv, "--colonnes", "date,libelle,prix"},
       "vyx : Colonnes incomprises : « date,libelle,prix ». Donnez-les dans l'ordre du fichier, "
       "séparées par des virgules, parmi date, valeur, libelle, complement, montant, debit, credit, "
       "reference, solde, et « - » pour une colonne à laisser.\n"},
      {{"releve", "charger", "Courant", prose, "--format", "qif"},
       "vyx : Le fichier « lettre.txt » n'est pas au format QIF.\n"},
      {{"importer", "Courant", prose}, "vyx : Le fichier « lettre.txt » n'est pas un fichier QIF : sa "
                                       "première ligne ne commence pas par « ! ».\n"},
      {{"importer", "Courant", Write("sans-date.qif", "!Type:Bank\nT-1\nPX\n^\n")},
       "vyx : Ligne 2 : l'opération n'a pas de date.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.message, Refused(c.args).err);
    auto after = Snapshot();
    for (const auto& [path, bytes] : before) {
      EXPECT_EQ(bytes, after[path]) << Joined(c.args) << " changed " << path;
    }
  }
  // Columns said for the file without a header: it loads.
  EXPECT_EQ(2, Json({"releve", "charger", "Courant", csv, "--colonnes", "date,libelle,montant"})["nouvelles"]);
}

TEST_F(ReleveCommandsTest, ImportAQIFFileOrSeeWhatItWouldDo) {
  MakeDossier({"Courant"});
  std::string qif = Write("export.qif",
                          "!Type:Bank\n"
                          "D01/01/24\nT1,500.00\nCX\nPOpening Balance\n^\n"
                          "D05/01/24\nT-45.30\nPEDF\nLÉlectricité\nMFacture janvier\n^\n"
                          "D08/01/24\nT-120.00\nPConservatoire\nLEnfants\n"
                          "SEnfants\nEPiano\n$-80.00\nSLoisirs\nESolfège\n$-40.00\n^\n");
  EXPECT_EQ(
      "Import simulé de « export.qif » dans le compte « Courant » (rien n'a été écrit) :\n"
      "Opérations              2\n"
      "Ventilations            2\n"
      "Catégories créées       0\n"
      "Tiers créés             2 (EDF, Conservatoire)\n"
      "Solde de départ pointé  1 500,00\n",
      Ok({"importer", "Courant", qif, "--simuler"}).out);
  EXPECT_TRUE(Json({"ope", "liste", "Courant"}).empty());
  EXPECT_EQ(std::string::npos, Ok({"liste", "tiers"}).out.find("Conservatoire"));
  nlohmann::json done = Json({"importer", "Courant", qif});
  EXPECT_EQ(2, done["operations"]);
  EXPECT_EQ(2, done["ventilations"]);
  EXPECT_EQ(1500, done["soldeDepart"]);
  nlohmann::json ops = Json({"ope", "liste", "Courant"});
  ASSERT_EQ(2u, ops.size());
  EXPECT_EQ("Facture janvier", ops[0]["libelle"]);
  EXPECT_EQ("Électricité", ops[0]["categorie"]);
  EXPECT_EQ("EDF", ops[0]["tiers"]);
  EXPECT_EQ(2, ops[0]["status"]);
  EXPECT_EQ("2024-01-05", ops[0]["date"]);
  ASSERT_EQ(2u, ops[1]["sousOperations"].size());
  EXPECT_EQ("Solfège", ops[1]["sousOperations"][1]["libelle"]);
  EXPECT_EQ(1334.70, Json({"soldes", "Courant"})[0]["soldes"]["pointe"]);
  // The payees are the dossier's too.
  EXPECT_NE(std::string::npos, Ok({"liste", "tiers"}).out.find("Conservatoire"));
}

}  // namespace
