#include "online/CPAccountAccess.h"

#include <gtest/gtest.h>

#include <fstream>

#include "foundation/CPStream.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPDevisesAccess.h"
#include "online/CPOnlineErrors.h"
#include "support/VYXTestBankSite.h"
#include "support/VYXTestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(CPAccountAccess, CallBackValuesAreFiltered) {
  EXPECT_EQ("CB CARREFOUR 27/12", CPCallBackText("  CB <CARREFOUR> 27/12;  "));
  EXPECT_EQ("-1234,56", CPCallBackNumber("Solde : -1 234,56 EUR"));
  EXPECT_EQ("28/12", CPCallBackDate(" le 28/12."));
  struct Case {
    const char* text;
    double amount;
  } cases[] = {{"1234,56", 1234.56}, {"-1.234,56", -1234.56}, {"1,234.56", 1234.56},
               {"12.5", 12.5},       {"", 0},                {"-", 0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.amount, CPCallBackAmount(c.text)) << c.text;
}

TEST(CPAccountAccess, ADateInTheFutureIsMovedBackAYear) {
  VYXPinnedClock clock(3, 1, 2027);
  EXPECT_EQ(CPGetDate(28, 12, 2026), CPCallBackDateValue("28/12"));
  EXPECT_EQ(CPGetDate(28, 12, 2026), CPCallBackDateValue("28/12/2027"));
  EXPECT_EQ(CPGetDate(2, 1, 2027), CPCallBackDateValue("02/01/2027"));
  EXPECT_EQ(CPGetDate(3, 1, 2027), CPCallBackDateValue("03/01/27"));
  EXPECT_EQ(0u, CPCallBackDateValue("31/02"));
}

class BankScriptTest : public ::testing::Test {
 protected:
  VYXPinnedClock clock{3, 1, 2027};
  VYXTestBankSite site;
  VYXTempDir dir;
  std::vector<CPComptaReleveItem> items;
  std::string error;
  std::vector<std::string> webErrors;
  CPHandleStream log;

  bool Run(const std::string& password, const std::string& script = "banque-exemple.txt",
           const CPFileContainer& scripts = CPFileContainer::Folder(VYX_SCRIPTS_DIR)) {
    std::vector<CPReleveInternetParam> params = {{"URL", site.Base(), false},
                                                 {"IDENTIFIANT", "jean", false},
                                                 {"MOTDEPASSE", Utf8ToMacRoman(password), true}};
    return CPGetReleveInternet(
        scripts, script, params,
        [this](long refcon, CPComptaReleveItem& item) {
          EXPECT_EQ(7, refcon);
          items.push_back(item);
          return false;
        },
        7, &error, &log, [](CPAccountAccess& a) { a.Settings().timeoutMs = 700; }, &webErrors);
  }
  std::string Log() const { return std::string(reinterpret_cast<const char*>(log.Data()), log.GetLength()); }
};

TEST_F(BankScriptTest, TheExampleScriptReadsTheSite) {
  ASSERT_TRUE(Run(VYXTestBankSite::kPassword)) << error << "\n" << Log();
  ASSERT_EQ(5u, items.size()) << Log();
  EXPECT_EQ(CPComptaReleveItem::kOperation, items[0].kind);
  EXPECT_EQ(CPGetDate(28, 12, 2026), items[0].date);
  EXPECT_EQ("CB CARREFOUR 27/12", items[0].libelle);
  EXPECT_DOUBLE_EQ(-45.20, items[0].montant);
  EXPECT_EQ(Utf8ToMacRoman("VIR SALAIRE DÉCEMBRE"), items[1].libelle);
  EXPECT_DOUBLE_EQ(1850.00, items[1].montant);
  EXPECT_EQ("1234567", items[2].noPiece);
  EXPECT_EQ(CPComptaReleveItem::kSolde, items[3].kind);
  EXPECT_EQ(CPGetDate(3, 1, 2027), items[3].date);
  EXPECT_DOUBLE_EQ(2345.67, items[3].montant);
  EXPECT_EQ(CPComptaReleveItem::kFichier, items[4].kind);
  EXPECT_NE(std::string::npos, items[4].fichier.find("<CCSTMTRS>"));
  EXPECT_EQ(std::string::npos, Log().find("p@ss"));
  EXPECT_NE(std::string::npos, Log().find("motdepasse=********"));
}

TEST_F(BankScriptTest, ErrorsOfTheBankAndHostilePagesEndTheScript) {
  EXPECT_FALSE(Run("faux"));
  EXPECT_EQ("La banque signale l'erreur 2 : Identifiant ou mot de passe incorrect.", MacRomanToUtf8(error));
  EXPECT_TRUE(items.empty());

  struct Case {
    VYXTestBankSite::Mode mode;
    int code;
    const char* web;
  } cases[] = {{VYXTestBankSite::Mode::kHuge, 1, "trop volumineuse"},
               {VYXTestBankSite::Mode::kEndless, 1, "pas répondu à temps"},
               {VYXTestBankSite::Mode::kBroken, 4, nullptr}};
  for (const Case& c : cases) {
    site.SetMode(c.mode);
    items.clear();
    EXPECT_FALSE(Run(VYXTestBankSite::kPassword));
    EXPECT_TRUE(items.empty());
    EXPECT_NE(std::string::npos, MacRomanToUtf8(error).find("l'erreur " + std::to_string(c.code))) << error;
    if (c.web) {
      ASSERT_EQ(1u, webErrors.size());
      EXPECT_NE(std::string::npos, MacRomanToUtf8(webErrors[0]).find(c.web)) << webErrors[0];
    }
  }
}

TEST_F(BankScriptTest, HostileScriptsAreStopped) {
  std::ofstream(dir.Path() / "boucle.txt") << "SCRIPT\tVERS=1.0\nLABEL\tNAME=a\nGOTO\tLABEL=a\n";
  std::ofstream(dir.Path() / "passwd.txt") << "SCRIPT\tVERS=1.0\nINCLUDE\tFILE=../../etc/passwd\n";
  CPFileContainer scripts = CPFileContainer::Folder(dir.Path());
  EXPECT_CP_CODE(kCPErrScriptLimit, Run("x", "boucle.txt", scripts));
  EXPECT_CP_CODE(kCPErrScriptConfined, Run("x", "passwd.txt", scripts));
  EXPECT_CP_CODE(kCPErrScriptNotFound, Run("x", "absent.txt", scripts));
  EXPECT_TRUE(items.empty());
}

TEST(CPDevisesAccess, RatesComeFromCallBacks) {
  VYXTempDir dir;
  std::ofstream(dir.Path() / "devises.txt")
      << "SCRIPT\tVERS=1.0\nCALLBACK\tDEVISE=USD,TAUX=\"0,9231\"\nCALLBACK\tDEVISE=GBP,TAUX=117,BASE=100\n"
         "CALLBACK\tDEVISE=XXX,TAUX=0\nCALLBACK\tACTION=ERREUR,ERREUR=5,MESSAGE=fini\nCALLBACK\tDEVISE=JPY,TAUX=1\n";
  std::vector<CPDeviseRate> rates;
  CPDevisesAccess access(CPFileContainer::Folder(dir.Path()), [&](const CPDeviseRate& r) {
    rates.push_back(r);
    return false;
  });
  access.ExecuteScript(std::string("devises.txt"));
  ASSERT_EQ(2u, rates.size());
  EXPECT_EQ("USD", rates[0].code);
  EXPECT_DOUBLE_EQ(0.9231, rates[0].taux);
  EXPECT_DOUBLE_EQ(100, rates[1].base);
  EXPECT_EQ("La banque signale l'erreur 5 : fini", access.ErrorText());
}

}  // namespace
