// Arguments read and values written the way the system reads and writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/VYXCliFormat.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

TEST(CliFormatTest, DatesAreReadTheFrenchWayAndRefusedWithAMessage) {
  VYXPinnedClock clock(15, 6, 2024);
  EXPECT_EQ(CPGetDate(28, 2, 2007), VYXArgDate("28/02/07"));
  EXPECT_EQ(CPGetDate(29, 2, 2024), VYXArgDate("29/2/2024"));
  EXPECT_EQ(0u, VYXArgDate(""));  // no date: a lock taken off
  for (const char* bad : {"29/02/07", "32/01/24", "1/13/24"}) {
    try {
      VYXArgDate(bad);
      ADD_FAILURE() << bad;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadDate, e.Code());
      EXPECT_EQ("« " + std::string(bad) + " » n'est pas une date.", std::string(e.what()));
    }
  }
}

TEST(CliFormatTest, DatesTheSystemWouldReadAsAnotherDateAreRefused) {
  VYXPinnedClock clock(15, 6, 2024);
  struct {
    const char* typed;
    CPDate date;
  } accepted[] = {
      {"150324", CPGetDate(15, 3, 2024)},  {"15032024", CPGetDate(15, 3, 2024)},
      {"15/3", CPGetDate(15, 3, 2024)},    {"15", CPGetDate(15, 6, 2024)},
      {"15/03/", CPGetDate(15, 3, 2024)},  {" 1-2-39 ", CPGetDate(1, 2, 2039)},
      {"1.2.1905", CPGetDate(1, 2, 1905)}, {"31/12/99", CPGetDate(31, 12, 1999)},
      {"5/1/7", CPGetDate(5, 1, 2007)},
  };
  for (const auto& c : accepted) EXPECT_EQ(c.date, VYXArgDate(c.typed)) << c.typed;

  const std::string shape =
      " » n'est pas une date : elle s'écrit jj/mm/aa ou jj/mm/aaaa, le mois et l'année pouvant "
      "manquer.";
  const std::string year =
      " » n'est pas une date : l'année s'écrit sur deux chiffres (24) ou sur "
      "quatre (2024).";
  struct {
    const char* typed;
    std::string message;
  } refused[] = {
      {"01/01/20245", "« 01/01/20245" + shape},
      {"01/01/1999x", "« 01/01/1999x" + shape},
      {"01/01/19999", "« 01/01/19999" + shape},
      {"1/1/24/5", "« 1/1/24/5" + shape},
      {"01//24", "« 01//24" + shape},
      {"/01/24", "« /01/24" + shape},
      {"15,03,24", "« 15,03,24" + shape},
      {"01/01/00024", "« 01/01/00024" + year},
      {"31/12/0099", "« 31/12/0099" + year},
      {"1/1/024", "« 1/1/024" + year},
      {"1/1/1904", "« 1/1/1904 » n'est pas une date."},
      {"1/1/2041", "« 1/1/2041 » n'est pas une date."},
      {"５",
       "« <U+FF15> » n'est pas une date : le caractère U+FF15 FULLWIDTH DIGIT FIVE n'y a "
       "pas sa place."},
  };
  for (const auto& c : refused) {
    try {
      VYXArgDate(c.typed);
      ADD_FAILURE() << c.typed;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadDate, e.Code()) << c.typed;
      EXPECT_EQ(c.message, std::string(e.what()));
    }
  }
}

TEST(CliFormatTest, AmountsAreReadStrictly) {
  EXPECT_EQ(-1234.5, VYXArgAmount("-1 234,50"));
  EXPECT_EQ(-1234.5, VYXArgAmount("-1\u00A0234,50"));  // a no-break space between thousands
  EXPECT_EQ(12.5, VYXArgAmount("12,5"));
  EXPECT_EQ(12.5, VYXArgAmount("12.5"));
  EXPECT_EQ(0.5, VYXArgAmount(",5"));
  EXPECT_EQ(100.0, VYXArgAmount("+100"));
  EXPECT_EQ(90000000000000.0, VYXArgAmount("90 000 000 000 000"));
  double zero = VYXArgAmount("-0");
  EXPECT_EQ(0.0, zero);
  EXPECT_FALSE(std::signbit(zero));  // shown as 0,00, never as -0,00

  const std::string notOne = " » n'est pas un montant.";
  const std::string noDigit = " » n'est pas un montant : il n'a aucun chiffre.";
  const std::string tooLarge =
      " » est un montant trop grand : vyx tient les montants au centime près jusqu'à 90 000 "
      "milliards.";
  struct {
    const char* typed;
    std::string message;
  } refused[] = {
      {"12a", "« 12a" + notOne},
      {"1,2,3", "« 1,2,3" + notOne},
      {"1-2", "« 1-2" + notOne},
      {"--5", "« --5" + notOne},
      {"5-", "« 5-" + notOne},
      {"dix", "« dix" + notOne},
      {"", "« " + noDigit},
      {",", "« ," + noDigit},
      {"-", "« -" + noDigit},
      {"-,", "« -," + noDigit},
      {"999999999999999999999", "« 999999999999999999999" + tooLarge},
      {"92233720368547758,07", "« 92233720368547758,07" + tooLarge},
      {"−12",
       "« <U+2212>12 » n'est pas un montant : le caractère U+2212 MINUS SIGN n'y a pas sa "
       "place."},
  };
  for (const auto& c : refused) {
    try {
      VYXArgAmount(c.typed);
      ADD_FAILURE() << c.typed;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadAmount, e.Code()) << c.typed;
      EXPECT_EQ(c.message, std::string(e.what()));
    }
  }
}

TEST(CliFormatTest, AnAmountWithMoreDecimalsThanTheDossierIsRefused) {
  for (const char* fits : {"12", "0,01", "1,50", "1,500", "-3,2"}) {
    EXPECT_NO_THROW(VYXCheckAmountDecimals(fits, 2)) << fits;
  }
  // Rounded, 0,015 and 0,025 would not even go the same way.
  for (const char* typed : {"0,015", "0,025", "1,001"}) {
    try {
      VYXCheckAmountDecimals(typed, 2);
      ADD_FAILURE() << typed;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadAmount, e.Code());
      EXPECT_EQ("« " + std::string(typed) +
                    " » a trop de décimales : les montants de ce dossier en ont 2 au plus.",
                std::string(e.what()));
    }
  }
  EXPECT_NO_THROW(VYXCheckAmountDecimals("0,015", 3));
  EXPECT_CP_CODE(kCPErrBadAmount, VYXCheckAmountDecimals("5,5", 0));
}

TEST(CliFormatTest, TextsAreComposedAndWhatCannotBeStoredIsNamed) {
  EXPECT_EQ(Utf8ToMacRoman("Épargne €"), VYXArgText("Épargne €"));
  // "café" with its accent typed apart (as some systems spell file names).
  EXPECT_EQ(Utf8ToMacRoman("café"), VYXArgText("cafe\u0301"));
  struct {
    const char* typed;
    int16_t code;
    std::string message;
  } refused[] = {
      {"a−b", kCPErrTextNotMacRoman,
       "« a<U+2212>b » contient le caractère U+2212 MINUS SIGN, que vyx ne peut pas enregistrer "
       ": ses textes sont en MacRoman."},
      {"Łódź", kCPErrTextNotMacRoman,
       "« <U+0141>ód<U+017A> » contient le caractère U+0141 LATIN CAPITAL LETTER L WITH STROKE, "
       "que vyx ne peut pas enregistrer : ses textes sont en MacRoman."},
      {"ab\tc", paramErr,
       "« ab<U+0009>c » contient un caractère de contrôle (U+0009) : un nom ou un libellé n'en "
       "prend pas."},
  };
  for (const auto& c : refused) {
    try {
      VYXArgText(c.typed);
      ADD_FAILURE() << c.typed;
    } catch (const CPException& e) {
      EXPECT_EQ(c.code, e.Code()) << c.typed;
      EXPECT_EQ(c.message, std::string(e.what()));
    }
  }
  EXPECT_CP_CODE(kCPErrBadText, VYXArgText("\xC3("));
}

TEST(CliFormatTest, ValuesAreWrittenAsTheSystemShowsThem) {
  EXPECT_EQ("-1 234,50", VYXAmountText(-1234.5));
  EXPECT_EQ("0,00", VYXAmountText(-0.001));
  EXPECT_EQ("1234,500", VYXAmountText(1234.5, 3, false));
  EXPECT_EQ("31/03/24", VYXDateText(CPGetDate(31, 3, 2024)));
  EXPECT_EQ("", VYXDateText(0));
  EXPECT_EQ("EUR", VYXCodeText('EUR '));
}

TEST(CliFormatTest, JsonHasIsoDatesAndNumbers) {
  EXPECT_EQ("2024-03-31", VYXDateJson(CPGetDate(31, 3, 2024)));
  EXPECT_TRUE(VYXDateJson(0).is_null());
  EXPECT_EQ("2024-03-31T09:05:07", VYXDateTimeJson(CPGetDate(31, 3, 2024) + 9 * 3600 + 307));
  nlohmann::json amount = VYXAmountJson(0.1 + 0.2);
  ASSERT_TRUE(amount.is_number());
  EXPECT_EQ("0.3", amount.dump());
  EXPECT_EQ("0.0", VYXAmountJson(-0.001).dump());
}

TEST(CliFormatTest, TablesAlignCharactersNotBytes) {
  VYXTable table;
  table.AddColumn("Compte");
  table.AddColumn("Prévu", VYXTable::kRight);
  table.AddColumn("Note");
  table.AddRow({"Épargne", "1 234,50", "à voir"});
  table.AddRow({"Courant", "-5,00"});
  std::ostringstream out;
  table.Print(out);
  EXPECT_EQ(
      "Compte      Prévu  Note\n"
      "Épargne  1 234,50  à voir\n"
      "Courant     -5,00\n",
      out.str());
  std::ostringstream rows;
  table.Print(rows, false);
  EXPECT_EQ("Épargne  1 234,50  à voir\nCourant     -5,00\n", rows.str());
}

}  // namespace
