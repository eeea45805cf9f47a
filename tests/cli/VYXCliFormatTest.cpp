// Arguments read and values written the way the system reads and writes them.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/VYXCliFormat.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"

namespace {

TEST(CliFormatTest, DatesAreReadTheFrenchWayAndRefusedWithAMessage) {
  VYXPinnedClock clock(15, 6, 2024);
  EXPECT_EQ(CPGetDate(28, 2, 2007), VYXArgDate("28/02/07"));
  EXPECT_EQ(CPGetDate(29, 2, 2024), VYXArgDate("29/2/2024"));
  EXPECT_EQ(0u, VYXArgDate(""));  // no date: a lock taken off
  for (const char* bad : {"29/02/07", "32/01/24", "demain", "1/13/24"}) {
    try {
      VYXArgDate(bad);
      ADD_FAILURE() << bad;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadDate, e.Code());
      EXPECT_EQ("« " + std::string(bad) + " » n'est pas une date.", std::string(e.what()));
    }
  }
}

TEST(CliFormatTest, AmountsAreReadStrictly) {
  EXPECT_EQ(-1234.5, VYXArgAmount("-1 234,50"));
  EXPECT_EQ(12.5, VYXArgAmount("12,5"));
  EXPECT_EQ(100.0, VYXArgAmount("+100"));
  for (const char* bad : {"12a", "1,2,3", "-", "1-2", "dix"}) {
    try {
      VYXArgAmount(bad);
      ADD_FAILURE() << bad;
    } catch (const CPException& e) {
      EXPECT_EQ(kCPErrBadAmount, e.Code());
      EXPECT_EQ("« " + std::string(bad) + " » n'est pas un montant.", std::string(e.what()));
    }
  }
}

TEST(CliFormatTest, TextsMacRomanCannotHoldAreRefused) {
  EXPECT_EQ(Utf8ToMacRoman("Épargne €"), VYXArgText("Épargne €"));
  EXPECT_CP_CODE(kCPErrTextNotMacRoman, VYXArgText("Łódź"));
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
