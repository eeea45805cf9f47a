// The QIF reader and its probe, on small files written here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "exchange/VYXQIFStream.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"

namespace {

// A QIF text in memory, with its stream and tab/CR stream.
struct QIF {
  explicit QIF(std::string text) : bytes(std::move(text)), memory(bytes.data(), uint32_t(bytes.size())), stream(&memory, false) {}
  std::string bytes;
  CPPtrStream memory;
  CPTabCrStream stream;
};

struct Probe {
  bool isQIF = false;
  QIF_AccountType type = kQIFTypeUnknown;
  QIF_FormatType format = kQIFFormatStandard;
  QIF_Encoding encoding = kQIFWindows;
  bool monthFirst = false, investments = false;
};

Probe ProbeOf(QIF& q) {
  Probe p;
  p.isQIF = VYXQIFStream::IsQIFStream(q.stream, &p.type, &p.format, &p.encoding, &p.monthFirst,
                                      &p.investments);
  return p;
}

// Every transaction of the file, read as an importer reads it.
struct Read {
  std::vector<QIFTransaction> transactions;
  std::vector<std::vector<QIFSplit>> splits;
  std::vector<bool> opening;
};

Read ReadAll(QIF& q) {
  Probe p = ProbeOf(q);
  VYXQIFStream reader(&q.stream, p.format, p.encoding, p.monthFirst);
  Read r;
  QIF_AccountType type = kQIFTypeUnknown;
  QIF_DataType kind;
  while (reader.GetNextDataType(&kind)) {
    if (kind == kQIFHeaderLine) {
      Str255 argument;
      if (reader.GetHeader(argument) == 2) type = VYXQIFStream::GetAccountType(argument);
    } else if (kind == kQIFOptionLine) {
      Str255 argument;
      reader.GetOption(argument);
    } else if (type == kQIFTypeUnknown) {
      reader.SkipLine();
    } else {
      QIFTransaction t;
      bool hasSplits, isOpening;
      if (!reader.GetTransaction(type, &t, &hasSplits, &isOpening)) break;
      std::vector<QIFSplit> groups;
      QIFSplit s;
      bool more = hasSplits;
      while (more && reader.GetSplit(&s, &more)) groups.push_back(s);
      r.transactions.push_back(t);
      r.splits.push_back(groups);
      r.opening.push_back(isOpening);
    }
  }
  return r;
}

std::string S(ConstStringPtr p) { return MacRomanToUtf8(PToStd(p)); }

TEST(QIFNumberTest, TheLastSeparatorAmongTheLastFourBytesIsTheDecimalOne) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"1.234,56", 1234.56}, {"1,234.56", 1234.56}, {"1 234,56", 1234.56}, {"1234.5", 1234.5},
      {"12", 12},           {"1,234", 1.234},      {"-5,762.36", -5762.36}, {"11'373.94", 11373.94},
      {"1.234.567", 1234.567}, {"+100.00", 100},   {"0.5", 0.5},           {"$120.00", 120},
  };
  for (const Case& c : cases) {
    Str255 text;
    StdToP(c.text, text);
    double v = -1;
    EXPECT_TRUE(VYXQIFStream::GetMontant(text, &v)) << c.text;
    EXPECT_DOUBLE_EQ(c.value, v) << c.text;
  }
  for (const char* bad : {"abc", "12.5-", "1-2"}) {
    Str255 text;
    StdToP(bad, text);
    double v = 7;
    EXPECT_FALSE(VYXQIFStream::GetMontant(text, &v)) << bad;
    EXPECT_EQ(7, v) << bad;
  }
}

TEST(QIFStreamTest, ReadsTransactionsWithTheirSplitGroups) {
  QIF q(
      "!Type:Bank\r\n"
      "D15/03/2024\r\nT-120.00\r\nPConservatoire\r\nMCours\r\nN1234567\r\nLLoisirs\r\n"
      "SLoisirs:Piano\r\n$-80.00\r\nSLoisirs:Solfege\r\nESolfège\r\n$-40.00\r\n^\r\n"
      "D16/03/2024\r\nT2,480.00\r\nPEmployeur\r\n^\r\n");
  Read r = ReadAll(q);
  ASSERT_EQ(2u, r.transactions.size());
  const QIFTransaction& t = r.transactions[0];
  EXPECT_EQ(CPGetDate(15, 3, 2024), +t.date);
  EXPECT_DOUBLE_EQ(-120, t.amount);
  EXPECT_EQ("Conservatoire", S(t.payee));
  EXPECT_EQ("Cours", S(t.memo));
  EXPECT_EQ("1234567", S(t.number));
  EXPECT_EQ("Loisirs", S(t.category));
  EXPECT_EQ(2, t.line);
  ASSERT_EQ(2u, r.splits[0].size());
  EXPECT_EQ("Loisirs:Piano", S(r.splits[0][0].category));
  EXPECT_DOUBLE_EQ(-80, r.splits[0][0].amount);
  EXPECT_EQ("Solfège", S(r.splits[0][1].memo));
  EXPECT_DOUBLE_EQ(-40, r.splits[0][1].amount);
  EXPECT_DOUBLE_EQ(2480, r.transactions[1].amount);
  EXPECT_TRUE(r.splits[1].empty());
}

TEST(QIFStreamTest, SplitGroupsEndWhereALetterComesBack) {
  QIF q("!Type:Bank\nD01/02/2024\nT-10\nSA\nSB\n$-4\n$-6\n^\n");
  Probe p = ProbeOf(q);
  VYXQIFStream reader(&q.stream, p.format, p.encoding, false);
  QIF_DataType kind;
  Str255 argument;
  ASSERT_TRUE(reader.GetNextDataType(&kind));
  reader.GetHeader(argument);
  QIFTransaction t;
  bool hasSplits, opening, more;
  ASSERT_TRUE(reader.GetTransaction(kQIFTypeBank, &t, &hasSplits, &opening));
  ASSERT_TRUE(hasSplits);
  QIFSplit s;
  ASSERT_TRUE(reader.GetSplit(&s, &more));
  EXPECT_EQ("A", S(s.category));
  EXPECT_TRUE(more);
  ASSERT_TRUE(reader.GetSplit(&s, &more));
  EXPECT_EQ("B", S(s.category));
  EXPECT_DOUBLE_EQ(-4, s.amount);
  EXPECT_TRUE(more);
  ASSERT_TRUE(reader.GetSplit(&s, &more));
  EXPECT_DOUBLE_EQ(-6, s.amount);
  EXPECT_FALSE(more);
}

TEST(QIFStreamTest, APayeeWrittenAfterTheSplitLinesStillReachesTheTransaction) {
  QIF q("!Type:Cash\r\nD8/28/2008\r\nT-1,000.00\r\nSPayment Sent\r\n$-1,000.00\r\nSFee\r\n$0.00\r\n"
        "CX\r\nMYou've got a payment\r\nPVirgil Dupras\r\n^\r\n");
  Read r = ReadAll(q);
  ASSERT_EQ(1u, r.transactions.size());
  EXPECT_EQ("Virgil Dupras", S(r.transactions[0].payee));
  EXPECT_EQ("You've got a payment", S(r.transactions[0].memo));
  EXPECT_EQ(CPGetDate(28, 8, 2008), +r.transactions[0].date);
  EXPECT_EQ(2u, r.splits[0].size());
}

TEST(QIFStreamTest, AClearedOpeningBalanceRecordIsMarkedAsSuch) {
  QIF q("!Type:Bank\nD01/01/95\nT5,762.36\nCX\nPOpening Balance\nL[Compte courant]\n^\n"
        "D01/02/95\nT-1\nC*\nPOpening Balance\n^\n");
  Read r = ReadAll(q);
  ASSERT_EQ(2u, r.transactions.size());
  EXPECT_TRUE(r.opening[0]);
  EXPECT_DOUBLE_EQ(5762.36, r.transactions[0].amount);
  EXPECT_FALSE(r.opening[1]);  // not cleared
}

// The plain form is read without GetMontant's rewriting: it must give the
// very same double (sign of zero included), and leave every other form to it.
TEST(QIFNumberTest, ThePlainFormReadsAsGetMontantReadsIt) {
  for (const char* text : {"0", "-0", "-0.00", "12", "1234.5", "-1234.56", "0,07", "-99,9",
                           "999999999999999", "9999999999999.99", "0.1", "-0.3", "1.15", "-2.68"}) {
    double plain = 7, full = 8;
    ASSERT_TRUE(VYXQIFStream::GetPlainMontant(text, true, &plain)) << text;
    Str255 p;
    StdToP(text, p);
    ASSERT_TRUE(VYXQIFStream::GetMontant(p, &full)) << text;
    EXPECT_EQ(0, std::memcmp(&plain, &full, sizeof plain)) << text << ": " << plain << " " << full;
  }
  for (const char* other : {"", "-", "1,234", "1.234,56", "1 234,56", "+100.00", "$12.00", "12.",
                            ".5", "12.5-", "1-2", "1234567890123456", "99999999999999.99", "1;50"}) {
    double v = 7;
    EXPECT_FALSE(VYXQIFStream::GetPlainMontant(other, true, &v)) << other;
    EXPECT_EQ(7, v) << other;
  }
  double v = 0;
  EXPECT_FALSE(VYXQIFStream::GetPlainMontant("12,50", false, &v));
}

TEST(QIFProbeTest, FindsTheLayoutTheEncodingAndTheOrderOfDates) {
  struct Case {
    const char* name;
    std::string text;
    QIF_FormatType format;
    QIF_Encoding encoding;
    bool monthFirst;
  } cases[] = {
      {"standard, UTF-8", "!Type:Bank\nD15/03/2024\nT-1\nPLe Tiers\nMMémo\n^\n",
       kQIFFormatStandard, kQIFUTF8, false},
      {"mode in M", "!Type:Bank\nD15/03/2024\nT-1\nMCarte\nNCARREFOUR 12/03\n^\n",
       kQIFFormatModeInM, kQIFWindows, false},
      {"mode in N", "!Type:Bank\nD15/03/2024\nT-1\nM\nNPr\xC3\xA9lvmt\nPEDF\n^\n",
       kQIFFormatModeInN, kQIFUTF8, false},
      {"month first", "!Type:Bank\nD01/05/2009\nT-1\n^\nD03/25/2009\nT-1\n^\n",
       kQIFFormatStandard, kQIFWindows, true},
      {"ambiguous dates stay French", "!Type:Bank\nD01/05/2009\nT-1\n^\n", kQIFFormatStandard,
       kQIFWindows, false},
      {"Windows-1252 accents are no UTF-8", "!Type:Bank\nD01/05/2009\nPCaf\xE9 \xE0 Paris\nT-1\n^\n",
       kQIFFormatStandard, kQIFWindows, false},
      {"CR LF, a layout word in lower case", "!Type:Bank\r\nD15/03/2024\r\nT-1\r\nM  carte \r\nNX\r\n^\r\n",
       kQIFFormatModeInM, kQIFWindows, false},
      {"a layout word where it names no layout", "!Type:Bank\nD15/03/2024\nT-1\nPP\nMCarte\nN12\n^\n",
       kQIFFormatStandard, kQIFWindows, false},
      {"a month-first date in a category list", "!Type:Cat\nNLoyer\nD12/31/2020\n^\n",
       kQIFFormatStandard, kQIFWindows, true},
      {"a month-first date under no type", "!Option:AutoSwitch\nD12/31/2020\n^\n",
       kQIFFormatStandard, kQIFWindows, false},
      {"UTF-8 after a tab", "!Type:Bank\nD15/03/2024\tT-1\nPCaf\xC3\xA9\n^\n", kQIFFormatStandard,
       kQIFUTF8, false},
      {"UTF-8 after an account block", "!Account\nNCourant\n^\n!Type:Bank\nD15/03/2024\nPCaf\xC3\xA9\n^\n",
       kQIFFormatStandard, kQIFUTF8, false},
      {"UTF-8 after a balance that does not read", "!Account\nNCourant\n$abc\n^\n!Type:Bank\nPCaf\xC3\xA9\n^\n",
       kQIFFormatStandard, kQIFWindows, false},
      {"a line too long to be kept whole", "!Type:Bank\nD15/03/2024\nP" + std::string(300, 'x') + "\xC3\xA9\nT-1\n^\n",
       kQIFFormatStandard, kQIFWindows, false},
  };
  for (Case& c : cases) {
    QIF q(c.text);
    Probe p = ProbeOf(q);
    EXPECT_TRUE(p.isQIF) << c.name;
    EXPECT_EQ(c.format, p.format) << c.name;
    EXPECT_EQ(c.encoding, p.encoding) << c.name;
    EXPECT_EQ(c.monthFirst, p.monthFirst) << c.name;
    EXPECT_EQ(0u, q.stream.GetMarker()) << c.name;
    // A reader that wants neither the account type nor the investments gets
    // its verdict from the raw lines when it can: the same one.
    QIF quick(c.text);
    QIF_FormatType format = kQIFFormatStandard0;
    QIF_Encoding encoding = kQIFMacRoman;
    bool monthFirst = !c.monthFirst;
    EXPECT_TRUE(VYXQIFStream::IsQIFStream(quick.stream, nullptr, &format, &encoding, &monthFirst,
                                          nullptr))
        << c.name;
    EXPECT_EQ(c.format, format) << c.name;
    EXPECT_EQ(c.encoding, encoding) << c.name;
    EXPECT_EQ(c.monthFirst, monthFirst) << c.name;
    EXPECT_EQ(0u, quick.stream.GetMarker()) << c.name;
  }
  QIF notQIF("Date;Montant\n01/02/2024;12\n");
  EXPECT_FALSE(ProbeOf(notQIF).isQIF);
}

TEST(QIFStreamTest, LayoutsTwoAndThreeTakeTheLabelWhereTheBankPutsIt) {
  QIF inM("!Type:Bank\nD15/03/2024\nT-23.50\nMCarte\nNCARREFOUR 12/03\n^\n");
  Read r = ReadAll(inM);
  ASSERT_EQ(1u, r.transactions.size());
  EXPECT_EQ("CARREFOUR 12/03", S(r.transactions[0].memo));
  EXPECT_EQ("", S(r.transactions[0].number));

  QIF inN("!Type:Bank\nD15/03/2024\nT-60\nM\nNPr\xE9lvmt\nPEDF CLIENTS\n^\n");
  r = ReadAll(inN);
  ASSERT_EQ(1u, r.transactions.size());
  EXPECT_EQ("EDF CLIENTS", S(r.transactions[0].memo));
  EXPECT_EQ("", S(r.transactions[0].payee));
  EXPECT_EQ("", S(r.transactions[0].number));
}

TEST(QIFStreamTest, DatesInEveryFormBanksWriteThem) {
  struct Case {
    const char* text;
    CPDate date;
  } cases[] = {
      {"D03/25/2009", CPGetDate(25, 3, 2009)},  // month first: the probe says so
      {"D2024-01-25", CPGetDate(25, 1, 2024)},  {"D2024'01'02", CPGetDate(2, 1, 2024)},
      {"D20070122", CPGetDate(22, 1, 2007)},    {"D2007/01/22", CPGetDate(22, 1, 2007)},
      {"D 1/ 1'01", CPGetDate(1, 1, 2001)},
  };
  for (const Case& c : cases) {
    QIF q(std::string("!Type:Bank\n") + c.text + "\nT-1\n^\n");
    Read r = ReadAll(q);
    ASSERT_EQ(1u, r.transactions.size()) << c.text;
    EXPECT_EQ(+c.date, +r.transactions[0].date) << c.text;
  }
}

TEST(QIFStreamTest, HeadersAndListBlocks) {
  struct Case {
    const char* line;
    int kind;
    const char* argument;
  } cases[] = {
      {"!Type:Bank", 2, "Bank"},      {"!type:bank", 2, "bank"},
      {"!Option:AutoSwitch", 2, "AutoSwitch"}, {"!option:autoswitch", 2, "autoswitch"},
      {"!Account", 3, ""},            {"!compte", 3, ""},
      {"!Clear:AutoSwitch", 4, ""},   {"!", 1, ""},
  };
  for (const Case& c : cases) {
    QIF q(std::string(c.line) + "\n");
    VYXQIFStream reader(&q.stream, kQIFFormatStandard, kQIFWindows, false);
    QIF_DataType kind;
    ASSERT_TRUE(reader.GetNextDataType(&kind));
    // Only "!Option:" with its case is an option line.
    EXPECT_EQ(std::string(c.line) == "!Option:AutoSwitch" ? kQIFOptionLine : kQIFHeaderLine, kind)
        << c.line;
    Str255 argument;
    EXPECT_EQ(c.kind, reader.GetHeader(argument)) << c.line;
    EXPECT_EQ(c.argument, PToStd(argument)) << c.line;
  }
  Str255 cat;
  StdToP(" cat ", cat);
  EXPECT_EQ(kQIFTypeCat, VYXQIFStream::GetAccountType(cat));
  StdToP("Oth A", cat);
  EXPECT_EQ(kQIFTypeOthA, VYXQIFStream::GetAccountType(cat));
  StdToP("Port", cat);
  EXPECT_EQ(kQIFTypeUnknown, VYXQIFStream::GetAccountType(cat));
}

TEST(QIFStreamTest, ADateOrAnAmountThatDoesNotReadNamesItsLine) {
  QIF badDate("!Type:Bank\nD15/03/2024\nT-1\n^\nD32/13/2024\nT-1\n^\n");
  std::string message;
  try {
    ReadAll(badDate);
  } catch (const CPException& e) {
    message = e.what();
  }
  EXPECT_EQ("Ligne 5 : « 32/13/2024 » n'est pas une date.", message);
  QIF badAmount("!Type:Bank\r\nD15/03/2024\r\nT12a\r\n^\r\n");
  message.clear();
  try {
    ReadAll(badAmount);
  } catch (const CPException& e) {
    message = e.what();
  }
  EXPECT_EQ("Ligne 3 : « 12a » n'est pas un montant.", message);
}

}  // namespace
