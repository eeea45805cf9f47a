#include <gtest/gtest.h>

#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "foundation/CPTextVariables.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"

namespace {

// Knows "NOM" (Dupont); the standard variables above it.
class Names : public CPVariablesProvider {
 public:
  explicit Names(CPVariablesProvider* parent) : CPVariablesProvider(parent, 0, 1, 0) {}
  bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) override {
    if (PToStd(name) != "NOM")
      return CPVariablesProvider::EvaluateVariable(name, interactive, value);
    StdToP("Dupont", value);
    return true;
  }
};

class TextVariablesTest : public ::testing::Test {
 protected:
  std::string Expand(const char* utf8, bool interactive = false, unsigned char open = kCPVarOpen,
                     unsigned char close = kCPVarClose) {
    Str255 text;
    StdToP(Utf8ToMacRoman(utf8), text);
    return MacRomanToUtf8(PToStd(CPEvaluateString(text, interactive, &names_, open, close)));
  }
  std::string ExpandBlock(const std::string& utf8) {
    std::string mac = Utf8ToMacRoman(utf8);
    Handle in = NewHandleFrom(mac.data(), mac.size());
    Handle out = CPEvaluateHandle(in, false, &names_);
    std::string result(reinterpret_cast<char*>(HandlePtr(out)), GetHandleSize(out));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(HandlePtr(in)), GetHandleSize(in)), mac);
    DisposeHandle(in);
    DisposeHandle(out);
    return MacRomanToUtf8(result);
  }

  VYXPinnedClock clock_{15, 3, 2024};
  CPStandardVariables standard_;
  Names names_{&standard_};
};

TEST_F(TextVariablesTest, KnownNamesAreReplacedAndOthersStayAsTyped) {
  const struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"Loyer «MOIS EN COURS» «ANNEE EN COURS»", "Loyer Mars 2024"},
      {"Le «DATE», «NOM»", "Le 15/03/24, Dupont"},
      {"«INCONNU» et «mois en cours»", "«INCONNU» et «mois en cours»"},  // exact names only
      {"«»", "«»"},
      {"sans fin «NOM", "sans fin Dupont"},
      {"sans fin «XY", "sans fin «XY"},
      {"«A«NOM»", "«ADupont"},
      {"»NOM»", "»NOM»"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.text), c.result) << c.text;
  EXPECT_EQ(Expand("Bonjour <NOM>, «NOM»", false, '<', '>'), "Bonjour Dupont, «NOM»");
  std::string longText(250, 'x');
  EXPECT_EQ(Expand((longText + "«NOM»").c_str()), longText + "Dupon");  // cut at 255
}

TEST_F(TextVariablesTest, AQuestionIsAskedOnlyWhenInteractive) {
  CPScriptedInteraction user;
  user.PushText("Mars");
  EXPECT_EQ(Expand("Facture de «¿Quel mois ?»", true), "Facture de Mars");
  ASSERT_EQ(user.Questions().size(), 1u);
  EXPECT_EQ(MacRomanToUtf8(user.Questions()[0]), "Quel mois ?");
  user.PushCancel();
  EXPECT_EQ(Expand("«¿Quel mois ?»", true), "¿");
  EXPECT_EQ(Expand("Facture de «¿Quel mois ?»"), "Facture de «¿Quel mois ?»");
  EXPECT_EQ(user.Questions().size(), 2u);
}

TEST_F(TextVariablesTest, ABlockOfAnyLengthKeepsNamesWholeAndDropsAnUnfinishedOne) {
  std::string longText(400, 'y');
  EXPECT_EQ(ExpandBlock(longText + "«NOM»"), longText + "Dupont");
  EXPECT_EQ(ExpandBlock("«A«NOM» et «INCONNU»"), "«A«NOM» et «INCONNU»");
  EXPECT_EQ(ExpandBlock("fin «NOM"), "fin ");
  EXPECT_EQ(ExpandBlock(""), "");
}

TEST_F(TextVariablesTest, ProvidersListTheirVariablesThenTheirParents) {
  EXPECT_EQ(names_.GetNbOfVariables(), 3);
  VariablesInfos infos;
  names_.GetVariablesInfos(1, &infos);
  EXPECT_EQ(PToStd(infos.name), "DATE");
  EXPECT_EQ(MacRomanToUtf8(PToStd(infos.description)), "Date du jour");
  EXPECT_EQ(infos.flag, 1);
  names_.GetVariablesInfos(4, &infos);
  EXPECT_EQ(infos.name[0], 0);
}

}  // namespace
