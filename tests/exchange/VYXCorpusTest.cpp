// Real statements of other projects' test suites (the corpus beside the
// project, absent on some machines): what each file gives, checked by hand
// against the file (lines counted, amounts added up, balances read), and
// what each malformed one is refused with. Then every file goes through a
// real account.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>

#include "VYXTelTestSupport.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXStatementReaders.h"

namespace {

namespace fs = std::filesystem;

struct Expected {
  const char* file;
  // What the file gives: its format, statement lines and card lines, their
  // total, the bank balances and the last of them, the records left aside
  // (investment lines, lists, totals).
  VYXStatementFormat format;
  int lines, cards;
  double total;
  int balances;
  double lastBalance;
  long ignored;
  // Or the message it is refused with.
  const char* refused = nullptr;
};

constexpr auto kQIF = VYXStatementFormat::kQIF;
constexpr auto kOFX = VYXStatementFormat::kOFX;
constexpr auto kCSV = VYXStatementFormat::kCSV;
constexpr auto kNone = VYXStatementFormat::kAuto;

const Expected kCorpus[] = {
    {"csv/csv2ofx__ubs-ch-fr_trimmed.csv", kCSV, 3, 0, 30.00, 1, 11413.94, 0},
    {"ofx/actual__1252.qfx", kOFX, 1, 0, -20.00, 1, 9999.99, 0},
    {"ofx/actual__html-vals.qfx", kOFX, 2, 0, -2.00, 1, 1111.11, 0},
    {"ofx/beancount-import__amex.ofx", kOFX, 0, 3, -190.75, 0, 0, 0},
    {"ofx/beangulp__2013-12-03.bofa.ofx", kOFX, 0, 27, -989.26, 0, 0, 0},
    {"ofx/csv2ofx__ingesp.ofx", kOFX, 10, 0, 350.21, 0, 0, 0},
    {"ofx/gnucash__cibc_visa.qfx", kOFX, 0, 15, -189.44, 0, 0, 0},
    {"ofx/jgnash__File_with_Accents.ofx", kOFX, 3, 0, -135.00, 1, 1000.00, 0},
    {"ofx/jgnash__bank1-commas.ofx", kOFX, 4, 0, 210.51, 1, 524.10, 0},
    {"ofx/jgnash__comptes.ofx", kOFX, 3, 0, -124.54, 1, 917.15, 0},
    {"ofx/jgnash__uglyFormat.ofx", kOFX, 5, 0, 2592.57, 1, 123457.78, 0},
    {"ofx/kresus__checking.ofx", kOFX, 5, 0, -173.11, 1, 4225.79, 0},
    {"ofx/ledger-autosync__comments.ofx", kOFX, 2, 0, 123.45, 1, 100.99, 0},
    {"ofx/libofx__heap-buffer-overflow-1.ofx", kOFX, 0, 0, 0, 0, 0, 0},
    {"ofx/libofx__ofx-2.1.1-sect-16.5.3.2.ofx", kOFX, 1, 2, 247.00, 1, 2156.56, 0},
    {"ofx/libofx__ofx-2.1.1-sect-16.5.4.2.ofx", kOFX, 1, 0, -80.32, 2, 3452.00, 0},
    {"ofx/moneyguru__blank_first_line.ofx", kOFX, 5, 0, 1133.87, 1, 779.53, 0},
    {"ofx/moneyguru__ccstmtrs.ofx", kOFX, 0, 5, -313.23, 0, 0, 0},
    {"ofx/moneyguru__desjardins.qfx", kOFX, 20, 0, 2334.09, 3, 3046.90, 0},
    {"ofx/moneyguru__fortis.ofx", kOFX, 1, 0, -2.60, 1, 7490.73, 0},
    {"ofx/oca-bank-statement-import__test_ofx.ofx", kOFX, 4, 0, -360.00, 1, 2156.56, 0},
    {"ofx/oca-bank-statement-import__test_ofx_wrong.ofx", kNone, 0, 0, 0, 0, 0, 0,
     "Ligne 42 : l'opération n'a pas de montant (<TRNAMT>)."},
    {"ofx/ofx4j__pag-seguro.ofx", kOFX, 3, 0, 119.00, 1, 5326.43, 0},
    {"ofx/ofxgo__401k_v203.ofx", kOFX, 0, 0, 0, 0, 0, 0},
    {"ofx/ofxgo__moneymrkt1_v103_TYPE1.ofx", kOFX, 3, 0, 2863.25, 1, 2607.1664944585727, 0},
    {"ofx/ofxgo__wellsfargo.qfx", kOFX, 1, 0, -12.34, 1, 123.45, 0},
    {"ofx/ofxparse__anzcc.ofx", kOFX, 0, 1, -5.50, 0, 0, 0},
    {"ofx/ofxparse__bank_small.ofx", kOFX, 0, 0, 0, 0, 0, 0},
    {"ofx/ofxparse__date_missing.ofx", kNone, 0, 0, 0, 0, 0, 0,
     "Ligne 33 : l'opération n'a pas de date (<DTPOSTED>)."},
    {"ofx/ofxparse__decimal_error.ofx", kNone, 0, 0, 0, 0, 0, 0,
     "Ligne 37 : « $120 » n'est pas un montant."},
    {"ofx/ofxparse__ofx-v102-empty-tags.ofx", kOFX, 1, 0, 12.34, 0, 0, 0},
    {"ofx/ofxparse__signon_fail.ofx", kNone, 0, 0, 0, 0, 0, 0,
     "La banque a refusé la connexion : Your request could not be processed because you supplied "
     "an invalid identification code or your password was incorrect"},
    {"ofx/ofxtools__br_nubank_cc.ofx", kOFX, 0, 6, -1280.91, 0, 0, 0},
    {"ofx/ofxtools__stmtrs_euro.ofx", kOFX, 2, 0, -500.00, 1, 200.29, 0},
    {"ofx/php-ofxparser__ofxdata-bb-two-stmtrs.ofx", kOFX, 36, 0, -3648.66, 2, 4555.28, 0},
    {"ofx/php-ofxparser__ofxdata-bpbfc.ofx", kOFX, 6, 0, -53.49, 1, 10000.00, 0},
    {"ofx/php-ofxparser__ofxdata-credit-card.ofx", kOFX, 0, 1, -100.00, 0, 0, 0},
    {"ofx/php-ofxparser__ofxdata-emptyDateTime.ofx", kOFX, 2, 0, 487.50, 0, 0, 0},
    {"ofx/php-ofxparser__ofxdata-oneline.ofx", kOFX, 8, 0, -1977.10, 1, 100.00, 0},
    {"ofx/php-ofxparser__ofxdata-selfclose.ofx", kOFX, 5, 0, 585.00, 0, 0, 0},
    {"ofx/ruby-ofx__bb.ofx", kOFX, 81, 0, 6592.75, 1, 6529.19, 0},
    {"ofx/ruby-ofx__bradesco.ofx", kOFX, 6, 0, -2166.81, 1, 0, 0},
    {"ofx/ruby-ofx__dtsof_balance_issue.ofx", kOFX, 1, 0, -836.30, 1, 0, 0},
    {"ofx/ruby-ofx__invalid_version.ofx", kOFX, 36, 0, -3896.56, 1, 598.44, 0},
    {"ofx/ruby-ofx__utf8.ofx", kOFX, 36, 0, -3896.56, 1, 598.44, 0},
    {"ofx/tryton__OFX.txt", kOFX, 1, 0, 100.00, 1, 500.00, 0},
    {"qif/csv2ofx__ubs-ch-fr.qif", kQIF, 3, 0, 30.00, 0, 0, 0},
    // 143 records with an amount, the first of them the opening balance.
    {"qif/gnucash__Money95bank_fr.qif", kQIF, 142, 0, 3060.04, 1, 5762.36, 0},
    {"qif/gnucash__Money95invst_fr.qif", kQIF, 9, 0, 19000.00, 1, 145608.32, 0},
    {"qif/gnucash__cbb-export.qif", kQIF, 9, 0, -507.59, 0, 0, 0},
    {"qif/gnucash__inconsistent-per-record-formats.qif", kQIF, 2, 0, 30.00, 0, 0, 0},
    {"qif/gnucash__ymd-apostrophe.qif", kQIF, 1, 0, 10.00, 0, 0, 0},
    {"qif/jgnash__bank1.qif", kQIF, 6, 0, -166.74, 0, 0, 0},
    {"qif/moneyguru__accountless_with_splits.qif", kQIF, 2, 0, -981.05, 0, 0, 0},
    {"qif/moneyguru__ambiguous_date.qif", kQIF, 1, 0, 42.32, 0, 0, 0},
    {"qif/moneyguru__chr13_line_sep.qif", kQIF, 1, 0, 17036.59, 0, 0, 0},
    {"qif/moneyguru__credit_card.qif", kQIF, 1, 0, 42.32, 0, 0, 0},
    {"qif/moneyguru__empty_accounts.qif", kQIF, 8, 0, 3034.12, 0, 0, 0},
    {"qif/moneyguru__extra_dline.qif", kNone, 0, 0, 0, 0, 0, 0,
     "Le fichier « moneyguru__extra_dline.qif » n'est pas un relevé que vyx sait lire (QIF, OFX, "
     "CFONB 120 ou CSV)."},
    {"qif/moneyguru__invalid.qif", kNone, 0, 0, 0, 0, 0, 0,
     "Le fichier « moneyguru__invalid.qif » n'est pas un relevé que vyx sait lire (QIF, OFX, CFONB "
     "120 ou CSV)."},
    {"qif/moneyguru__missing_fields.qif", kQIF, 0, 0, 0, 0, 0, 0},
    {"qif/moneyguru__only_accounts.qif", kQIF, 0, 0, 0, 0, 0, 0},
    {"qif/moneyguru__other_sections.qif", kQIF, 3, 0, -723.31, 0, 0, 3},
    {"qif/moneyguru__same_date_same_amount_transfer.qif", kQIF, 6, 0, 0, 0, 0, 0},
    {"qif/moneyguru__transfer_splits.qif", kQIF, 3, 0, 0, 0, 0, 0},
    {"qif/moneyguru__yyyymmdd_with_sep.qif", kQIF, 1, 0, 42.32, 0, 0, 0},
    {"qif/moneyguru__yyyymmdd_without_sep.qif", kQIF, 1, 0, 42.32, 0, 0, 0},
    {"qif/qif2json__memorizedList.qif", kQIF, 0, 0, 0, 0, 0, 2},
    {"qif/qif2json__utf8.qif", kQIF, 1, 0, -379.00, 0, 0, 0},
    {"qif/qifparse__file.qif", kQIF, 3, 0, -23.50, 0, 0, 7},
    {"qif/quiffen__empty.qif", kNone, 0, 0, 0, 0, 0, 0, "Le fichier « quiffen__empty.qif » est vide."},
    {"qif/quiffen__test_option_autoswitch.qif", kQIF, 0, 0, 0, 0, 0, 0},
    {"qif/quiffen__test_oth_a.qif", kQIF, 5, 0, -35.50, 1, 0, 5},
    {"qif/quiffen__test_transaction_before_account_definition_1.qif", kQIF, 2, 0, -197.96, 0, 0, 0},
    {"qif/quiffen__test_unknown_account_type.qif", kQIF, 0, 0, 0, 0, 0, 1},
    {"qif/ruby-qif__3_records_invalid_header.qif", kQIF, 3, 0, 0, 0, 0, 0},
    {"qif/ruby-qif__3_records_mmddyy.qif", kQIF, 3, 0, 0, 0, 0, 0},
    {"qif/ruby-qif__3_records_spaced.qif", kQIF, 3, 0, 0, 0, 0, 0},
    {"qif/ruby-qif__quicken_non_investement_account.qif", kQIF, 3, 0, -935.00, 0, 0, 0},
};

TEST(CorpusTest, EachFileGivesWhatItHolds) {
  fs::path corpus = VYXCorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus on this machine";
  size_t files = 0;
  for (const auto& dir : fs::directory_iterator(corpus))
    if (dir.is_directory())
      for (const auto& f : fs::directory_iterator(dir.path())) files += f.is_regular_file();
  EXPECT_EQ(std::size(kCorpus), files) << "a file of the corpus has no expectations here";
  for (const Expected& e : kCorpus) {
    SCOPED_TRACE(e.file);
    std::optional<VYXParsedStatement> p;
    std::string refused;
    try {
      p = VYXReadStatementFile(CPFileRef(corpus / e.file));
    } catch (const CPException& x) {
      refused = x.what();
    }
    if (e.refused) {
      EXPECT_EQ(e.refused, refused);
      continue;
    }
    ASSERT_TRUE(p) << refused;
    int lines = 0, cards = 0, balances = 0;
    double total = 0, last = 0;
    for (const VYXStatementEntry& x : p->entries) {
      if (x.kind == kVYXLineBalance) {
        ++balances;
        last = x.montant;
        continue;
      }
      (x.kind == kVYXLineCard ? cards : lines)++;
      total += x.montant;
    }
    EXPECT_EQ(e.format, p->format);
    EXPECT_EQ(e.lines, lines);
    EXPECT_EQ(e.cards, cards);
    EXPECT_NEAR(e.total, total, 0.005);
    EXPECT_EQ(e.balances, balances);
    EXPECT_NEAR(e.lastBalance, last, 0.005);
    EXPECT_EQ(e.ignored, p->ignored);
  }
}

// What a statement gives, every field of every line, or the message it is
// refused with.
std::string Dump(const std::string& bytes) {
  std::ostringstream out;
  try {
    VYXParsedStatement p = VYXReadStatementBytes(bytes, "f");
    out << int(p.format) << ' ' << p.replacedTexts << ' ' << p.ignored << '\n';
    for (const std::string& a : p.bankAccounts) out << a << '\n';
    for (const VYXStatementEntry& x : p.entries) {
      uint64_t bits;
      std::memcpy(&bits, &x.montant, sizeof bits);
      out << x.kind << ' ' << x.date << ' ' << bits << ' ' << x.line << '|' << x.libelle << '|'
          << x.reference << '|' << x.complement << '|' << x.fitid << '|' << x.account << '\n';
    }
  } catch (const CPException& x) {
    out << x.what();
  }
  return out.str();
}

// Files plain enough are read by shorter ways (a QIF's layout, encoding and
// order of dates judged on its raw lines, an OFX read where it lies): the
// same file made a little less plain at its end, which sends it the long
// way, must give the very same lines.
void ExpectTheSameBothWays(const std::string& bytes, bool ofx) {
  std::string longWay = bytes + (ofx ? "\n<!-- -->\n" : "\n\t\n");
  EXPECT_EQ(Dump(longWay), Dump(bytes));
}

TEST(CorpusTest, EachFileReadsTheSameTheShortAndTheLongWay) {
  fs::path corpus = VYXCorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus on this machine";
  for (const Expected& e : kCorpus) {
    std::string file = e.file;
    if (file.compare(0, 4, "csv/") == 0) continue;
    SCOPED_TRACE(file);
    ExpectTheSameBothWays(VYXReadForeignFile(CPFileRef(corpus / file)), file[0] == 'o');
  }
}

TEST(CorpusTest, ALongStatementReadsTheSameTheShortAndTheLongWay) {
  const char* payees[] = {"Caf\xC3\xA9 de la Gare", "EDF", "Salaire Dupont & Fils", "Fnac"};
  std::string qif = "!Type:Bank\n", ofx =
      "OFXHEADER:100\nDATA:OFXSGML\nCHARSET:1252\n\n<OFX>\n<SIGNONMSGSRSV1>\n<SONRS>\n"
      "</SONRS>\n</SIGNONMSGSRSV1>\n<BANKMSGSRSV1>\n<STMTTRNRS>\n<STMTRS>\n<BANKACCTFROM>\n"
      "<ACCTID>123\n</BANKACCTFROM>\n<BANKTRANLIST>\n";
  for (int i = 0; i < 400; ++i) {
    std::string date = std::to_string(10 + i % 18) + "/0" + std::to_string(1 + i % 9) + "/2024";
    std::string amount = (i % 3 ? "-" : "") + std::to_string(i * 7 % 1000) + (i % 5 ? ".5" : ".05");
    std::string payee = payees[i % 4];
    qif += "D" + date + "\nT" + amount + "\nP" + payee + "\n" + (i % 2 ? "MCB " + std::to_string(i) + "\n" : "") +
           (i % 7 ? "" : "N" + std::to_string(1000 + i) + "\n") + "LLoisirs\n^\n";
    std::string name = i % 4 == 0 ? "Caf\xE9 de la Gare" : i % 4 == 2 ? "Dupont &amp; Fils" : payee;
    ofx += "<STMTTRN>\n<TRNTYPE>DEBIT\n<DTPOSTED>202401" + std::to_string(10 + i % 18) +
           "\n<TRNAMT>" + amount + "\n<FITID>" + std::to_string(i) + "\n<NAME>" + name +
           (i % 2 ? "\n<MEMO>CB " + std::to_string(i) : "") + "\n</STMTTRN>\n";
  }
  ofx += "</BANKTRANLIST>\n<LEDGERBAL>\n<BALAMT>12.34\n<DTASOF>20240131\n</LEDGERBAL>\n"
         "</STMTRS>\n</STMTTRNRS>\n</BANKMSGSRSV1>\n</OFX>\n";
  auto crlf = [](const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  };
  for (const std::string& text : {qif, crlf(qif)}) ExpectTheSameBothWays(text, false);
  for (const std::string& text : {ofx, crlf(ofx)}) ExpectTheSameBothWays(text, true);
  EXPECT_NE(std::string::npos, Dump(ofx).find("|Caf\x8E de la Gare|"));
  EXPECT_NE(std::string::npos, Dump(qif).find("|Salaire Dupont & Fils|"));
}

// Every file that reads goes into one account, twice: the second time adds
// nothing (a card's outstanding statement replaces itself); files that hold several bank accounts' statements are refused
// until the account's number is given.
TEST_F(TelFixture, EveryFileOfTheCorpusGoesIntoAnAccount) {
  fs::path corpus = VYXCorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus on this machine";
  for (const Expected& e : kCorpus) {
    if (e.refused) continue;
    SCOPED_TRACE(e.file);
    VYXParsedStatement p = VYXReadStatementFile(CPFileRef(corpus / e.file));
    tel_->DoUserInitLastDate();
    VYXLoadOptions options;
    VYXCompteInternetPrefs prefs = VYXCompteInternetPrefs::Get(*compte_);
    prefs.numeroCompte[0] = 0;
    VYXCompteInternetPrefs::Set(*compte_, prefs);
    if (p.bankAccounts.size() > 1) {
      EXPECT_CP_CODE(kVYXErrNotAStatement, tel_->Load(p, options));
      options.accountId = p.bankAccounts.front();
    }
    tel_->Load(p, options);
    size_t held = tel_->Items().size();
    // A card's outstanding lines are replaced by the new ones: as many.
    VYXLoadReport second = tel_->Load(p, options);
    EXPECT_EQ(second.cardsCleared, second.added);
    EXPECT_EQ(held, tel_->Items().size());
  }
  tel_->ReadData();  // and the data file reads back
}

}  // namespace
