// The readers of the bank text formats: CFONB 120 and CSV.
#include <gtest/gtest.h>

#include "exchange/VYXStatementReaders.h"
#include "foundation/CPDates.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"

namespace {

// A CFONB record: fields put at their places in 120 blanks.
std::string Record(const std::string& code, const std::string& date, const std::string& label,
                   const std::string& amount, const std::string& reference = "") {
  std::string r(120, ' ');
  auto put = [&](size_t at, const std::string& s) { r.replace(at, s.size(), s); };
  put(0, code);
  put(2, "30004");
  put(11, "00123");
  put(16, "EUR");
  put(19, "2");
  put(21, "00012345678");
  put(34, date);
  if (code == "05") {
    put(48, label);
  } else {
    put(48, label);
    put(90, amount);
    put(104, reference);
  }
  return r;
}

std::string Failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const CPException& e) {
    return e.what();
  }
  return {};
}

TEST(CFONBTest, StatementsOperationsComplementsAndBalances) {
  // Amounts: 13 digits, then the last digit and the sign in one letter.
  std::string file = Record("01", "290224", "", "0000000012345F") + "\r\n" +
                     Record("04", "010324", "PRLV SEPA EDF", "0000000000453}", "REF123") + "\r\n" +
                     Record("05", "010324", "CONTRAT 4455", "") + "\r\n" +
                     Record("04", "020324", "VIR SALAIRE", "0000000015000{") + "\r\n" +
                     Record("04", "030324", "CHEQUE 1234567", "0000000000012J") + "\r\n" +
                     Record("07", "050324", "", "0000000026880E") + "\r\n";
  ASSERT_TRUE(VYXIsCFONBFile(file));
  VYXParsedStatement p;
  VYXReadCFONB(file, &p);
  ASSERT_EQ(5u, p.entries.size());
  EXPECT_EQ(kVYXLineBalance, p.entries[0].kind);
  EXPECT_DOUBLE_EQ(1234.56, p.entries[0].montant);
  EXPECT_EQ(CPGetDate(29, 2, 2024), +p.entries[0].date);
  EXPECT_EQ("PRLV SEPA EDF", p.entries[1].libelle);
  EXPECT_DOUBLE_EQ(-45.30, p.entries[1].montant);
  EXPECT_EQ("REF123", p.entries[1].reference);
  EXPECT_EQ("CONTRAT 4455", p.entries[1].complement);
  EXPECT_DOUBLE_EQ(1500, p.entries[2].montant);
  EXPECT_DOUBLE_EQ(-1.21, p.entries[3].montant);
  EXPECT_EQ(kVYXLineBalance, p.entries[4].kind);
  EXPECT_DOUBLE_EQ(2688.05, p.entries[4].montant);
  // The same records run together without line ends read the same.
  std::string joined;
  for (size_t i = 0; i < file.size(); ++i)
    if (file[i] != '\r' && file[i] != '\n') joined += file[i];
  VYXParsedStatement q;
  VYXReadCFONB(joined, &q);
  EXPECT_EQ(p.entries.size(), q.entries.size());
}

TEST(CFONBTest, ARecordThatIsWrongIsNamed) {
  std::string good = Record("01", "290224", "", "0000000000000{");
  EXPECT_EQ("Ligne 2 : l'enregistrement CFONB fait 90 caractères au lieu de 120.",
            Failure([&] {
              VYXParsedStatement p;
              VYXReadCFONB(good + "\n" + good.substr(0, 90) + "\n", &p);
            }));
  EXPECT_EQ("Ligne 2 : « 310224 » n'est pas une date CFONB (JJMMAA).", Failure([&] {
              VYXParsedStatement p;
              VYXReadCFONB(good + "\n" + Record("04", "310224", "X", "0000000000010{") + "\n", &p);
            }));
  EXPECT_EQ("Ligne 2 : « 00000000000A0{ » n'est pas un montant CFONB.", Failure([&] {
              VYXParsedStatement p;
              VYXReadCFONB(good + "\n" + Record("04", "010324", "X", "00000000000A0{") + "\n", &p);
            }));
  EXPECT_FALSE(VYXIsCFONBFile("01 trop court\n"));
}

VYXParsedStatement CSV(const std::string& text, const std::vector<VYXCSVColumn>& columns = {}) {
  VYXParsedStatement p;
  VYXReadCSV(text, columns, "banque.csv", &p);
  return p;
}

TEST(CSVTest, ColumnsSeparatorsDecimalsAndDateOrdersAreFound) {
  struct Case {
    const char* name;
    std::string text;
    double amount;
    CPDate date;
    const char* label;
  } cases[] = {
      {"French, semicolons, one amount",
       "Date;Libellé;Montant\r\n15/03/2024;CB CARREFOUR;-1 234,56\r\n", -1234.56,
       CPGetDate(15, 3, 2024), "CB CARREFOUR"},
      {"debit and credit columns, points",
       "Date,Description,Debit,Credit\n03/25/2024,COFFEE,4.50,\n03/26/2024,REFUND,,1.00\n", -4.5,
       CPGetDate(25, 3, 2024), "COFFEE"},
      {"tabs, ISO dates, quoted label with the separator",
       "Date opération\tLibellé\tMontant (EUR)\n2024-03-15\t\"VIR\tDUPONT\"\t+50,00\n", 50,
       CPGetDate(15, 3, 2024), "VIR\tDUPONT"},
      {"a preamble before the header",
       "Compte courant n° 123\nPériode du 01/03 au 31/03\n\nDate;Libellé;Débit;Crédit\n"
       "05/03/2024;PRLV;12,30;\n",
       -12.3, CPGetDate(5, 3, 2024), "PRLV"},
      {"thousands with points, decimal comma", "Date;Libelle;Montant\n05/03/24;X;1.234,50\n",
       1234.5, CPGetDate(5, 3, 2024), "X"},
  };
  for (const Case& c : cases) {
    VYXParsedStatement p = CSV(c.text);
    ASSERT_FALSE(p.entries.empty()) << c.name;
    EXPECT_DOUBLE_EQ(c.amount, p.entries[0].montant) << c.name;
    EXPECT_EQ(+c.date, +p.entries[0].date) << c.name;
    EXPECT_EQ(Utf8ToMacRoman(c.label), p.entries[0].libelle) << c.name;
    EXPECT_TRUE(VYXIsCSVFile(c.text)) << c.name;
  }
}

TEST(CSVTest, BalancesReferencesAndTotals) {
  VYXParsedStatement p = CSV(
      "Date;Libellé;Référence;Débit;Crédit;Solde\n"
      "06/03/2024;VIR;R2;;100,00;1 100,00\n"
      "05/03/2024;CHEQUE;1234567;50,00;;1 000,00\n"
      ";Total;;50,00;100,00;\n");
  ASSERT_EQ(3u, p.entries.size());
  EXPECT_EQ("1234567", p.entries[1].reference);
  EXPECT_EQ(kVYXLineBalance, p.entries[2].kind);
  EXPECT_DOUBLE_EQ(1100, p.entries[2].montant);  // the latest line's balance
  EXPECT_EQ(CPGetDate(6, 3, 2024), +p.entries[2].date);
  EXPECT_EQ(1, p.ignored);
}

TEST(CSVTest, ColumnsGivenForAFileWithoutHeader) {
  std::vector<VYXCSVColumn> columns = VYXParseCSVColumns("date,-,libelle,montant");
  VYXParsedStatement p = CSV("15/03/2024;x;CB FNAC;-23,40\n16/03/2024;y;VIR;10\n", columns);
  ASSERT_EQ(2u, p.entries.size());
  EXPECT_EQ("CB FNAC", p.entries[0].libelle);
  EXPECT_DOUBLE_EQ(-23.4, p.entries[0].montant);
  EXPECT_EQ("Colonnes incomprises : « date,quoi ». Donnez-les dans l'ordre du fichier, séparées par "
            "des virgules, parmi date, valeur, libelle, complement, montant, debit, credit, "
            "reference, solde, et « - » pour une colonne à laisser.",
            Failure([] { VYXParseCSVColumns("date,quoi"); }));
}

TEST(CSVTest, ARowThatDoesNotReadIsNamed) {
  EXPECT_EQ("Ligne 3, colonne « Date » : « 32/03/2024 » n'est pas une date.", Failure([] {
              CSV("Date;Libellé;Montant\n15/03/2024;A;1\n32/03/2024;B;2\n");
            }));
  EXPECT_EQ("Ligne 2, colonne « Montant » : « 12a » n'est pas un montant.",
            Failure([] { CSV("Date;Libellé;Montant\n15/03/2024;A;12a\n"); }));
  EXPECT_EQ("Le fichier CSV « banque.csv » n'a pas de ligne d'en-tête où vyx reconnaisse ses "
            "colonnes (Date, Libellé, Montant, ou Débit et Crédit) : donnez-les avec --colonnes.",
            Failure([] { CSV("15/03/2024;A;12\n16/03/2024;B;13\n"); }));
}

}  // namespace
