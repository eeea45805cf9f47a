// The OFX reader on statements written here, in both its forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/VYXOFXStream.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"

namespace {

struct Text {
  explicit Text(std::string text)
      : bytes(std::move(text)), memory(bytes.data(), uint32_t(bytes.size())), stream(&memory, false) {}
  std::string bytes;
  CPPtrStream memory;
  CPTabCrStream stream;
};

std::string S(ConstStringPtr p) { return MacRomanToUtf8(PToStd(p)); }

const char* kHeader =
    "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nENCODING:USASCII\r\nCHARSET:1252\r\n\r\n";

std::string Sgml(const std::string& transactions, const std::string& balance = "") {
  return std::string(kHeader) +
         "<OFX>\r\n<SIGNONMSGSRSV1>\r\n<SONRS>\r\n<STATUS>\r\n<CODE>0\r\n<SEVERITY>INFO\r\n"
         "</STATUS>\r\n</SONRS>\r\n</SIGNONMSGSRSV1>\r\n<BANKMSGSRSV1>\r\n<STMTTRNRS>\r\n"
         "<STMTRS>\r\n<CURDEF>EUR\r\n<BANKACCTFROM>\r\n<BANKID>30004\r\n<ACCTID>00012345678\r\n"
         "<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n" +
         transactions + "</BANKTRANLIST>\r\n" + balance + "</STMTRS>\r\n</STMTTRNRS>\r\n" +
         "</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

std::string Trn(const std::string& inside) { return "<STMTTRN>\r\n" + inside + "</STMTTRN>\r\n"; }

VYXParsedStatement Parse(const std::string& text) {
  Text t(text);
  VYXParsedStatement out;
  VYXReadOFXStatement(t.stream, &out);
  return out;
}

std::string Failure(const std::string& text) {
  try {
    Parse(text);
  } catch (const CPException& e) {
    return e.what();
  }
  return {};
}

TEST(OFXStreamTest, ReadsAccountsTransactionsAndTheLedgerBalance) {
  Text t(Sgml(Trn("<TRNTYPE>DEBIT\r\n<DTPOSTED>20090315120000.000[-5:EST]\r\n<TRNAMT>-12.50\r\n"
                  "<FITID>A1\r\n<NAME>CARREFOUR\r\n<MEMO>CARTE 1234\r\n") +
                  Trn("<DTPOSTED>20090316\r\n<TRNAMT>1500\r\n<FITID>A2\r\n<CHECKNUM>1234567\r\n"
                      "<NAME>SALAIRE</NAME>\r\n"),
              "<LEDGERBAL>\r\n<BALAMT>917.15\r\n<DTASOF>20090317\r\n</LEDGERBAL>\r\n"));
  VYXOFXStream ofx(&t.stream);
  OFXHeader header;
  ASSERT_TRUE(ofx.GetHeader(&header));
  EXPECT_FALSE(header.refused);
  OFX_SegmentType segment;
  ASSERT_TRUE(ofx.GetSegment(&segment));
  EXPECT_EQ(kOFXSegmentBank, segment);
  OFXAccount account;
  ASSERT_TRUE(ofx.GetAccount(segment, &account));
  EXPECT_EQ("00012345678", S(account.id));
  EXPECT_EQ("CHECKING", S(account.type));
  OFXEcriture e;
  ASSERT_TRUE(ofx.GetEcriture(&e));
  EXPECT_EQ(CPGetDate(15, 3, 2009), +e.date);
  EXPECT_DOUBLE_EQ(-12.5, e.amount);
  EXPECT_EQ("CARREFOUR", S(e.name));
  EXPECT_EQ("CARTE 1234", S(e.memo));
  EXPECT_EQ("A1", S(e.fitid));
  ASSERT_TRUE(ofx.GetEcriture(&e));
  EXPECT_EQ("SALAIRE", S(e.name));
  EXPECT_EQ("", S(e.memo));  // not the memo of anything after it
  EXPECT_EQ("1234567", S(e.checkNum));
  EXPECT_DOUBLE_EQ(1500, e.amount);
  EXPECT_FALSE(ofx.GetEcriture(&e));
  double balance = 0;
  CPDate asOf = 0;
  ASSERT_TRUE(ofx.GetSolde(&balance, &asOf));
  EXPECT_DOUBLE_EQ(917.15, balance);
  EXPECT_EQ(CPGetDate(17, 3, 2009), asOf);
  EXPECT_TRUE(ofx.GoToNextAccount(segment));
  EXPECT_FALSE(ofx.GetAccount(segment, &account));
  EXPECT_FALSE(ofx.GetSegment(&segment));
}

TEST(OFXStreamTest, AVersionTwoFileOnOneLineReadsLikeOneTagPerLine) {
  std::string lines = Sgml(Trn("<DTPOSTED>20240301\r\n<TRNAMT>-45.30\r\n<FITID>X\r\n<NAME>EDF\r\n"));
  std::string oneLine = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?OFX OFXHEADER=\"200\" VERSION=\"211\"?>\n";
  // The body of the same statement, every end tag written, on one line.
  oneLine +=
      "<OFX><SIGNONMSGSRSV2><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>"
      "</SONRS></SIGNONMSGSRSV2><BANKMSGSRSV2><STMTTRNRS><STMTRS><CURDEF>EUR</CURDEF>"
      "<BANKACCTFROM><BANKID>30004</BANKID><ACCTID>00012345678</ACCTID><ACCTTYPE>CHECKING"
      "</ACCTTYPE></BANKACCTFROM><BANKTRANLIST><STMTTRN><DTPOSTED>20240301</DTPOSTED>"
      "<TRNAMT>-45.30</TRNAMT><FITID>X</FITID><NAME>EDF</NAME></STMTTRN></BANKTRANLIST>"
      "</STMTRS></STMTTRNRS></BANKMSGSRSV2></OFX>";
  VYXParsedStatement a = Parse(lines), b = Parse(oneLine);
  ASSERT_EQ(1u, a.entries.size());
  ASSERT_EQ(1u, b.entries.size());
  for (const VYXParsedStatement* p : {&a, &b}) {
    EXPECT_EQ(CPGetDate(1, 3, 2024), p->entries[0].date);
    EXPECT_DOUBLE_EQ(-45.3, p->entries[0].montant);
    EXPECT_EQ("EDF", p->entries[0].libelle);
    EXPECT_EQ("X", p->entries[0].fitid);
    EXPECT_EQ(std::vector<std::string>{"00012345678"}, p->bankAccounts);
  }
}

TEST(OFXStreamTest, ValuesInEveryFormWritersGiveThem) {
  struct Case {
    const char* name;
    std::string transaction;
    double amount;
    const char* label;
  } cases[] = {
      {"memo before name", "<DTPOSTED>20240301\r\n<TRNAMT>-1\r\n<MEMO>ECHEANCE\r\n<NAME>PRET\r\n",
       -1, "PRET ECHEANCE"},
      {"one decimal", "<DTPOSTED>20240301\r\n<TRNAMT>-12.5\r\n<NAME>A\r\n", -12.5, "A"},
      {"decimal comma", "<DTPOSTED>20240301\r\n<TRNAMT>-200,00\r\n<NAME>A\r\n", -200, "A"},
      {"plus sign", "<DTPOSTED>20240301\r\n<TRNAMT>+100.00\r\n<NAME>A\r\n", 100, "A"},
      {"entities", "<DTPOSTED>20240301\r\n<TRNAMT>-6.19\r\n<NAME>AT&amp;T &lt;1&gt;\r\n", -6.19,
       "AT&T <1>"},
      {"indented, tabs", "\t\t<DTPOSTED>20240301\r\n\t\t<TRNAMT>  -3.00  \r\n\t\t<NAME>  B  \r\n", -3,
       "B"},
      {"values below their tags", "<DTPOSTED>\r\n20240301\r\n<TRNAMT>\r\n\r\n  -7.50\r\n<NAME>C\r\n",
       -7.5, "C"},
      {"comments", "<DTPOSTED>20240301<!-- posted\r\n on the 1st -->\r\n<TRNAMT>-2<!--x-->\r\n<NAME>D\r\n",
       -2, "D"},
  };
  for (const Case& c : cases) {
    VYXParsedStatement p = Parse(Sgml(Trn(c.transaction)));
    ASSERT_EQ(1u, p.entries.size()) << c.name;
    EXPECT_DOUBLE_EQ(c.amount, p.entries[0].montant) << c.name;
    EXPECT_EQ(c.label, p.entries[0].libelle) << c.name;
  }
}

TEST(OFXStreamTest, TheFileSaysItsCharacterSet) {
  // "Échéance" in Windows-1252, then in UTF-8 under a header that still says 1252.
  VYXParsedStatement latin = Parse(Sgml(Trn("<DTPOSTED>20240301\r\n<TRNAMT>-1\r\n<NAME>\xC9\x63h\xE9\x61nce\r\n")));
  VYXParsedStatement utf8 = Parse(Sgml(Trn("<DTPOSTED>20240301\r\n<TRNAMT>-1\r\n<NAME>\xC3\x89\x63h\xC3\xA9\x61nce\r\n")));
  EXPECT_EQ(Utf8ToMacRoman("Échéance"), latin.entries[0].libelle);
  EXPECT_EQ(Utf8ToMacRoman("Échéance"), utf8.entries[0].libelle);
}

TEST(OFXStreamTest, CreditCardStatementsGiveCardLines) {
  std::string text = std::string(kHeader) +
                     "<OFX>\n<CREDITCARDMSGSRSV1>\n<CCSTMTTRNRS>\n<CCSTMTRS>\n<CCACCTFROM>\n"
                     "<ACCTID>4970101234561234\n</CCACCTFROM>\n<BANKTRANLIST>\n" +
                     "<STMTTRN>\n<DTPOSTED>20240305\n<TRNAMT>-23.40\n<NAME>FNAC\n</STMTTRN>\n"
                     "</BANKTRANLIST>\n<LEDGERBAL>\n<BALAMT>-23.40\n</LEDGERBAL>\n</CCSTMTRS>\n"
                     "</CCSTMTTRNRS>\n</CREDITCARDMSGSRSV1>\n</OFX>\n";
  Text t(text);
  VYXOFXStream ofx(&t.stream);
  OFXHeader header;
  ofx.GetHeader(&header);
  OFX_SegmentType segment;
  ASSERT_TRUE(ofx.GetSegment(&segment));
  EXPECT_EQ(kOFXSegmentCreditCard, segment);
  OFXAccount account;
  ASSERT_TRUE(ofx.GetAccount(segment, &account));
  EXPECT_EQ("4970101234561234", S(account.id));
  EXPECT_EQ("", S(account.type));
  VYXParsedStatement p = Parse(text);
  ASSERT_EQ(1u, p.entries.size());  // a card's balance is not the account's
  EXPECT_EQ(kVYXLineCard, p.entries[0].kind);
  EXPECT_EQ("4970101234561234", p.entries[0].reference);
  EXPECT_TRUE(p.bankAccounts.empty());
}

TEST(OFXStreamTest, ATransactionThatDoesNotReadNamesItsLine) {
  // Header lines 1 to 6, <OFX> on line 7: the transaction starts on line 26.
  EXPECT_EQ("Ligne 28 : « douze » n'est pas un montant.",
            Failure(Sgml(Trn("<DTPOSTED>20240301\r\n<TRNAMT>douze\r\n<NAME>A\r\n"))));
  EXPECT_EQ("Ligne 27 : « 20120231 » n'est pas une date.",
            Failure(Sgml(Trn("<DTPOSTED>20120231\r\n<TRNAMT>-1\r\n<NAME>A\r\n"))));
  // A value below its tag, after a comment over two lines: the tag's line.
  EXPECT_EQ("Ligne 29 : « douze » n'est pas un montant.",
            Failure(Sgml(Trn("<DTPOSTED>20240301<!-- a\r\nb -->\r\n<TRNAMT>\r\ndouze\r\n<NAME>A\r\n"))));
  // A value moved up to its tag leaves the lines below where they were.
  EXPECT_EQ("Ligne 30 : « douze » n'est pas un montant.",
            Failure(Sgml(Trn("<DTPOSTED>\r\n\r\n20240301\r\n<TRNAMT>douze\r\n<NAME>A\r\n"))));
  EXPECT_EQ("Ligne 26 : l'opération n'a pas de date (<DTPOSTED>).",
            Failure(Sgml(Trn("<TRNAMT>-1\r\n<NAME>A\r\n"))));
  std::string refused =
      "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>15500<SEVERITY>ERROR<MESSAGE>Mot de passe "
      "incorrect</STATUS></SONRS></SIGNONMSGSRSV1></OFX>";
  EXPECT_EQ("La banque a refusé la connexion : Mot de passe incorrect", Failure(refused));
}

}  // namespace
