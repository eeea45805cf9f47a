#include <gtest/gtest.h>

#include "foundation/CPDates.h"
#include "foundation/CPFormule.h"
#include "foundation/CPStandardFunctions.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPRegional.h"
#include "support/VYXTestSupport.h"

namespace {

struct Outcome {
  double value = 0;
  short error = -1, position = -1, length = -1;
};

Outcome Eval(const char* utf8, CPFunctionsProvider* provider) {
  Str255 text;
  StdToP(Utf8ToMacRoman(utf8), text);
  Outcome o;
  CPEvaluateFormule(text, provider, &o.value, &o.error, &o.position, &o.length);
  return o;
}

// Knows one currency: USD (and "$"), worth 0.5 of the account's.
class Dollars : public CPFunctionsProvider {
 public:
  explicit Dollars(CPFunctionsProvider* parent) : CPFunctionsProvider(parent, 0, 1, 0) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override {
    std::string n = PToStd(name);
    if (n != "USD" && n != "$")
      return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
    *found = params->count == 1;
    if (*found) *result = params->params[0] * 0.5;
    return true;
  }
};

class FormuleTest : public ::testing::Test {
 protected:
  VYXPinnedClock clock_{15, 3, 2024};
  CPStandardFunctions standard_;
  Dollars provider_{&standard_};
};

TEST_F(FormuleTest, ValuesFollowTheSystemsOrderOfOperations) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},
      {"   ", 0},
      {"8/4/2", 4},  // combined from the right
      {"2^3^2", 512},
      {"2*-3", -1},  // the last operator written wins
      {"2 3", 5},    // side by side: added; a space ends a number
      {"2 480", 482},
      {"120*3", 360},
      {"10-2*3", 4},
      {"2/3*6", 4},
      {"2*3/6", 1},
      {"3-2^2", -1},  // the power of 2, then its sign
      {"2^-1", 1},    // "-" replaced "^": 2 + (-1)
      {"(1+2)*3", 9},
      {"-(2+3)", -5},
      {"2(3)", 5},
      {"1,5*2", 3},
      {"1.5*2", 3},
      {",5+.5", 1},
      {"0,1+0,2", 0.30000000000000004},
      {"12,", 12},
      {"1+1+1+1+1+1+1+1+1+1", 10},      // ten operands at one level
      {"(1+1+1+1+1)+1+1+1+1+1+1", 11},  // more, thanks to parentheses
      {"2+", 2},
      {"ABS(-3)", 3},
      {"abs(-3)", 3},
      {"ABS(-3)*2", 6},
      {"MIN(4;2;8)", 2},
      {"MAX(1; ;5)", 5},  // an empty parameter is not one
      {"MIN(1;;2;3;4;5;6;7;8)", 1},
      {"MIN(ABS(-5);(1+2)*2)", 5},
      {"ENT(2,7)", 2},
      {"ENT(-2,7)", -2},
      {"TVA(119,6;19,6)", 19.6},
      {"HT(119,6;19,6)", 100},
      {"ANNEE()", 2024},
      {"MOIS(1;2)", 3},
      {"JOUR()", 15},
      {"100USD", 50},
      {"100$+1", 51},
      {"USD(100)", 50},
  };
  for (const auto& c : cases) {
    Outcome o = Eval(c.text, &provider_);
    EXPECT_EQ(o.error, 0) << c.text;
    EXPECT_DOUBLE_EQ(o.value, c.value) << c.text;
  }
}

TEST_F(FormuleTest, ErrorsSayWhereTheFaultIs) {
  const struct {
    const char* text;
    short error, position, length;
  } cases[] = {
      {"1+1+1+1+1+1+1+1+1+1+1", kFormuleTooManyOperands, 21, 0},
      {"2#3", kFormuleBadChar, 2, 1},
      {"2*(3+#)", kFormuleBadChar, 6, 1},  // positions are the whole text's
      {"MIN(1;2#)", kFormuleBadChar, 8, 1},
      {"12é", kFormuleBadChar, 3, 1},
      {"(2+3", kFormuleParenthesis, 5, 1},  // one past the end
      {"2+3)", kFormuleParenthesis, 4, 1},
      {"ABS(3", kFormuleParenthesis, 6, 1},
      {"FOO(3)", kFormuleUnknownName, 1, 3},
      {"100XYZ", kFormuleUnknownName, 4, 3},
      {"100usd", kFormuleNoParenthesis, 4, 3},  // lower case is a function, not a unit
      {"ABS", kFormuleNoParenthesis, 1, 3},
      {"2+ABS", kFormuleNoParenthesis, 3, 3},
      {"MIN(1;2;3;4;5;6;7;8;9)", kFormuleTooManyParams, 21, 1},
      {"ABS(1;2)", kFormuleBadCall, 1, 3},
      {"ABS()", kFormuleBadCall, 1, 3},
      {"1+TVA(100)", kFormuleBadCall, 3, 3},
      {"MIN()", kFormuleBadCall, 1, 3},
      {"USD(1;2)", kFormuleBadCall, 1, 3},
      {"1/0", kFormuleNotANumber, 2, 1},
      {"(0-8)^0,5", kFormuleNotANumber, 6, 1},
      {"TVA(1;-100)", kFormuleNotANumber, 1, 11},
  };
  for (const auto& c : cases) {
    Outcome o = Eval(c.text, &provider_);
    EXPECT_EQ(o.error, c.error) << c.text;
    EXPECT_EQ(o.position, c.position) << c.text;
    EXPECT_EQ(o.length, c.length) << c.text;
  }
  EXPECT_EQ(Eval("ABS(1)", nullptr).error, kFormuleUnknownName);
  EXPECT_FALSE(CPFormuleErrorText(kFormuleParenthesis).empty());
}

TEST_F(FormuleTest, OtherRegionalSettingsReadTheirNumbers) {
  CPRegional r = CPRegional::French();
  r.decimalChar = '.';
  r.thousandSep = ',';
  CPRegional::Set(r);
  EXPECT_DOUBLE_EQ(Eval("1,234.5*2", &provider_).value, 2469);
  EXPECT_DOUBLE_EQ(Eval("MIN(1,000;2)", &provider_).value, 2);  // ";" still separates
  CPRegional::Set(CPRegional::French());
}

TEST(FunctionsProviderTest, EntriesGiveANameAndTwoHelpTexts) {
  CPStdDateFxDateFunctions dates;
  CPStandardFunctions standard(&dates);
  EXPECT_EQ(standard.GetNbOfFunctions(), 17);
  FunctionInfos infos;
  standard.GetFunctionsInfos(9, &infos);
  EXPECT_EQ(PToStd(infos.name), "HT");
  EXPECT_EQ(PToStd(infos.help1), "HT(ttc;taux)");
  EXPECT_EQ(PToStd(infos.help2), "Montant hors taxes");
  standard.GetFunctionsInfos(10, &infos);  // the parent's first
  EXPECT_EQ(PToStd(infos.name), "JOUR");
  standard.GetFunctionsInfos(18, &infos);
  EXPECT_EQ(infos.name[0], 0);

  // The two texts come from the 31 characters after the first "|".
  Str255 entry;
  StdToP("NOM|" + std::string(20, 'a') + "|" + std::string(20, 'b'), entry);
  CPSplitFunctionEntry(entry, &infos);
  EXPECT_EQ(PToStd(infos.help1), std::string(20, 'a'));
  EXPECT_EQ(PToStd(infos.help2), std::string(10, 'b'));
  StdToP(std::string(40, 'N'), entry);
  CPSplitFunctionEntry(entry, &infos);
  EXPECT_EQ(infos.name[0], 31);
  EXPECT_EQ(infos.help1[0], 0);
}

TEST(FunctionsProviderTest, NamesMatchWithoutCaseOrAccentsOnlyBeforeTheBar) {
  Str255 name, entry;
  StdToP(Utf8ToMacRoman("Année"), name);
  StdToP("ANNEE|ANNEE()|x", entry);
  EXPECT_TRUE(CPFunctionCompare(name, entry));
  StdToP("ANNEE", entry);  // no bar: compared exactly
  EXPECT_FALSE(CPFunctionCompare(name, entry));
  StdToP("ANNEE|", entry);
  StdToP("ANNEES", name);
  EXPECT_FALSE(CPFunctionCompare(name, entry));
}

// Date functions work in day numbers; CPEvaluateSelectionDate turns one into a date.
class DateFormuleTest : public ::testing::Test {
 protected:
  static std::string Date(const char* text) {
    Str255 t;
    StdToP(Utf8ToMacRoman(text), t);
    return CPDateToStr(CPEvaluateSelectionDate(t));
  }
};

TEST_F(DateFormuleTest, MonthAndYearEndsUnderThePinnedClock) {
  VYXPinnedClock clock(31, 1, 2024);
  const struct {
    const char* text;
    const char* date;
  } cases[] = {
      {"15/03/24", "15/03/24"},
      {"15/2", "15/02/24"},
      {"DATE()", "31/01/24"},
      {"DATE()-31", "31/12/23"},
      {"DATE()+30", "01/03/24"},
      {"DATE(15)", "15/01/24"},
      {"DATE(0;3)", "29/02/24"},
      {"DATE(1;13;23)", "01/01/24"},
      {"DATE(1;1;50)", "01/01/50"},
      {"DEBUTMOIS()", "01/01/24"},
      {"DEBUTMOIS(MOIS()-1)", "01/12/23"},
      {"FINMOIS()", "31/01/24"},
      {"FINMOIS(2)", "29/02/24"},
      {"FINMOIS(2;23)", "28/02/23"},
      {"FINMOIS(12)", "31/12/24"},
      {"FINMOIS(MOIS()-1)", "31/12/23"},
      {"DEBUTANNEE()", "01/01/24"},
      {"DEBUTANNEE(ANNEE()+1)", "01/01/25"},
      {"FINANNEE(23)", "31/12/23"},
      {"DATE(JOUR(DATE()+1);MOIS(DATE()+1))", "01/02/24"},
      {"DATE(1;2;3;4)", "31/01/24"},  // refused: today
      {"n'importe quoi", "31/01/24"},
      {"31/04/07", "31/01/24"},  // no such day: today
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Date(c.text), c.date) << c.text;
}

TEST_F(DateFormuleTest, ARelativeDateMovesWithTheClock) {
  Str255 text;
  StdToP("DEBUTMOIS()", text);
  VYXPinnedClock march(15, 3, 2024);
  CPDate first = CPEvaluateSelectionDate(text);
  VYXPinnedClock april(2, 4, 2024);
  EXPECT_EQ(CPDateToStr(first), "01/03/24");
  EXPECT_EQ(CPDateToStr(CPEvaluateSelectionDate(text)), "01/04/24");
}

}  // namespace
