#include "online/CPWebAccess.h"

#include <gtest/gtest.h>

#include "foundation/CPStream.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestBankSite.h"
#include "support/VYXTestSupport.h"

namespace {

class TestAccess : public CPWebAccess {
 public:
  TestAccess() : CPWebAccess(CPFileContainer::Folder("/nonexistent")) {}
  void Run(const std::string& utf8) { ExecuteScript(Utf8ToMacRoman(utf8), NextScriptNumber(), "test"); }
  std::string Var(const std::string& name) {
    std::string value;
    return GetVar(name, &value) ? value : "<unset>";
  }
};

TEST(CPWebAccess, RequestUrlsFromTheBaseFolder) {
  struct Case {
    const char* base;
    const char* request;
    const char* expected;
  } cases[] = {
      {"http://h/a/b", "", "http://h/a/b"},
      {"http://h/a/b", "HTTPS://x/y", "HTTPS://x/y"},
      {"http://h/a/b", "page.html", "http://h/a/b/page.html"},
      {"http://h/a/b/", "page.html", "http://h/a/b/page.html"},
      {"http://h:8080/a/b", "/racine.html", "http://h:8080/racine.html"},
      {"http://h/a/b", "../c.html", "http://h/a/c.html"},
      {"http://h/a/b", "../../../c.html", "http://h/c.html"},
      {"http://h/a/b", "./c.html", "http://h/a/b/c.html"},
      {"https://h/a", "//cdn/x.js", "https://cdn/x.js"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, CPResolveUrl(c.base, c.request)) << c.base << " " << c.request;
  EXPECT_EQ("http://h/a/b", CPUrlFolder("http://h/a/b/page.html?x=/y"));
  EXPECT_EQ("http://h", CPUrlFolder("http://h"));
}

TEST(CPWebAccess, FormBodyIsFullyEncoded) {
  CPHtmlWebSession session(nullptr);
  session.AddFormValue("nom", "deux mots");
  session.AddFormValue("chemin", "a/b");
  session.AddFormValue("injecte", "x&admin=1");
  session.AddFormValue("brut", "\"tel quel\"");
  session.AddFormValue("accent", Utf8ToMacRoman("é"));
  session.AddFormValue("bouton", "", "image");
  session.SetFormClicPos(12, 7);
  EXPECT_EQ("nom=deux+mots&chemin=a%2Fb&injecte=x%26admin%3D1&brut=\"tel quel\"&accent=%C3%A9&bouton.x=12&bouton.y=7",
            session.GetRequestBody());
}

TEST(CPWebAccess, CookiesAreScopedReplacedAndRemoved) {
  VYXPinnedClock clock(3, 1, 2027);
  CPHtmlCookieJar jar;
  EXPECT_TRUE(jar.ReadCookie("SID=1; Path=/banque", "http://bank.fr/banque/login"));
  EXPECT_TRUE(jar.ReadCookie("lang=fr", "http://bank.fr/"));
  EXPECT_TRUE(jar.ReadCookie("sec=1; Secure; Domain=.bank.fr", "https://www.bank.fr/"));
  EXPECT_FALSE(jar.ReadCookie("evil=1; Domain=other.fr", "http://bank.fr/"));
  EXPECT_EQ("Cookie: $Version=\"1\";SID=\"1\";$Path=/banque;lang=\"fr\";$Path=/",
            CPCookiesHeader(jar.CookiesFor("http://bank.fr/banque/comptes")));
  EXPECT_EQ("Cookie: $Version=\"1\";lang=\"fr\";$Path=/", CPCookiesHeader(jar.CookiesFor("http://bank.fr/banquex")));
  EXPECT_EQ("", CPCookiesHeader(jar.CookiesFor("http://localhost/banque/")));
  EXPECT_EQ(1u, jar.CookiesFor("https://bank.fr/x").size() - 1);  // lang and the domain's secure one
  EXPECT_EQ(0u, jar.CookiesFor("http://notbank.fr/").size());

  jar.ReadCookie("SID=2; Path=/banque", "http://bank.fr/banque/");
  EXPECT_EQ(3u, jar.Cookies().size());
  EXPECT_EQ("2", jar.Cookies()[0].value);
  jar.ReadCookie("sid=x; path=/BANQUE; Max-Age=0", "http://BANK.fr/banque/");
  EXPECT_TRUE(jar.ReadCookie("tard=1; Expires=Fri, 01 Jan 2100 00:00:00 GMT", "http://bank.fr/"));
  jar.ReadCookie("tard=; Expires=Thu, 01-Jan-1970 00:00:01 GMT", "http://bank.fr/");
  jar.ReadCookie("lang=; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "http://bank.fr/");
  EXPECT_EQ(1u, jar.Cookies().size());
  jar.ReadCookie("court=1; Max-Age=60", "http://bank.fr/");
  EXPECT_EQ(1u, jar.CookiesFor("http://bank.fr/").size());
  CPClock::PinDate(CPClock::Now() + 61);
  EXPECT_EQ(0u, jar.CookiesFor("http://bank.fr/").size());
}

TEST(CPWebAccess, PagesAreParsedIntoItemsAndWalkedByMarker) {
  CPHtmlWebPage page;
  page.SetContent("http://h/x/p.html", "",
                  "<html><head><title>T</title></head><body><form name=f action=go.php>"
                  "<input name=a value=1><input type=radio name=r value=1><input type=radio name=r value=2 checked>"
                  "<select name=s><option value=u>Un<option value=d selected>Deux</select></form>"
                  "<table id=t><tr><td>a<td>b<tr><td>c</table><a href=\"l.html?k=v%20w&z\">Lien</a>",
                  "utf-8");
  ASSERT_GT(page.GetNbOfItems(), 10);
  EXPECT_EQ("T", page.GetItem(1).name);
  ASSERT_TRUE(page.SetMarker(kCPHtmlForm, 1, kCPMoveAny));
  CPHtmlWebSession form(page, page.GetMarker(), nullptr);
  EXPECT_EQ("http://h/x/go.php", form.GetRequestUrl());
  EXPECT_EQ("a=1&r=2&s=d", form.GetRequestBody());
  ASSERT_TRUE(page.SetMarker(kCPHtmlTable, kCPFindEqual, "T", true, kCPMoveAny));
  ASSERT_TRUE(page.SetMarker(kCPHtmlTableRow, 1, kCPMoveSub));
  ASSERT_TRUE(page.SetMarker(kCPHtmlTableRow, 1, kCPMoveSame));
  EXPECT_FALSE(page.SetMarker(kCPHtmlTableRow, 1, kCPMoveSame));
  ASSERT_TRUE(page.SetMarker(kCPHtmlLink, kCPFindContains, "lie", true, kCPMoveAny));
  CPHtmlWebSession link(page, page.GetMarker(), nullptr);
  EXPECT_EQ("http://h/x/l.html?k=v%20w&z", link.GetRequestUrl());
  std::string v;
  EXPECT_TRUE(link.GetFormValue("k", &v));
  EXPECT_EQ("v w", v);
}

// UNTIL ends a search at the next item of its type: a search within one table.
TEST(CPWebAccess, UntilEndsTheSearchAtAnItemOfItsType) {
  TestAccess access;
  auto page = std::make_shared<CPHtmlWebPage>();
  page->SetContent("http://h/p.html", "",
                   "<table id=comptes><tr><td>Courant<td>12,00</table>"
                   "<table id=cartes><tr><td>Total<td>99,00</table>",
                   "utf-8");
  access.SetPage(0, "p", page);
  access.Run(
      "SETMARKER\tPAGE=p,ACTION=FINDNEXT,TARGET=TABLE,NAME=comptes\n"
      "GETMARKER\tPAGE=p,MARKER=AVANT\n"
      "SETMARKER\tPAGE=p,ACTION=FINDNEXT,TARGET=TEXT,VALUE=Total,UNTIL=TABLE,VAR=T,ONERROR=absent\n"
      "SET\tNAME=R,VALUE=trouve\n"
      "GOTO\tLABEL=fin\n"
      "LABEL\tNAME=absent\n"
      "SET\tNAME=R,VALUE=absent\n"
      "GETMARKER\tPAGE=p,MARKER=APRES\n"
      "SETMARKER\tPAGE=p,ACTION=FINDNEXT,TARGET=TEXT,INDEX=2,UNTIL=TABLE,VAR=T\n"
      "SETMARKER\tPAGE=p,ACTION=FINDNEXT,TARGET=TABLE,UNTIL=TABLE,VAR=U\n"
      "LABEL\tNAME=fin\n");
  EXPECT_EQ("absent", access.Var("R"));
  EXPECT_EQ(access.Var("AVANT"), access.Var("APRES"));  // left where it was
  EXPECT_EQ("12,00", access.Var("T"));
  // The end type may be the one looked for: the next table itself is found.
  EXPECT_NE("<unset>", access.Var("U"));
  // Without UNTIL, the same search goes on into the next table.
  access.Run("SETMARKER\tPAGE=p,ACTION=SET,MARKER=AVANT\n"
             "SETMARKER\tPAGE=p,ACTION=FINDNEXT,TARGET=TEXT,VALUE=Total,VAR=T2\n");
  EXPECT_EQ("Total", access.Var("T2"));
}

class WebSiteTest : public ::testing::Test {
 protected:
  VYXTestBankSite site;
  TestAccess access;
  CPHandleStream log;
  void SetUp() override {
    access.SetLogStream(&log);
    access.SetVar(0, "URL", site.Base());
    access.SetVar(0, "MOTDEPASSE", Utf8ToMacRoman(VYXTestBankSite::kPassword));
    access.Settings().timeoutMs = 2000;
  }
  std::string Log() { return std::string(reinterpret_cast<const char*>(log.Data()), log.GetLength()); }
  // Logs in and reads the page of operations.
  std::string Login() {
    return "DOWNLOAD\tSESSION=s,PAGE=accueil,URL=<URL>/index.html,ONERROR=echec\n"
           "SETMARKER\tPAGE=accueil,ACTION=FINDNEXT,TARGET=FORM,NAME=connexion,ONERROR=echec\n"
           "NEWSESSION\tNAME=login,PAGE=accueil\n"
           "SETINPUT\tSESSION=login,NAME=identifiant,VALUE=jean\n"
           "SETINPUT\tSESSION=login,NAME=motdepasse,VALUE=<MOTDEPASSE>\n"
           "GETINPUT\tSESSION=login,NAME=jeton,VAR=JETON\n"
           "DOWNLOAD\tMETHOD=POST,SESSION=login,PAGE=comptes,ONERROR=echec\n";
  }
};

TEST_F(WebSiteTest, LoginCookieRedirectTableAndOfxLink) {
  access.Run(Login() +
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TABLE,NAME=operations,ONERROR=echec\n"
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TABLEROW,LEVEL=SUB\n"
             "SET\tNAME=N,VALUE=0\n"
             "LABEL\tNAME=ligne\n"
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TABLEROW,LEVEL=SAME,ARRAY=L,ONERROR=fin\n"
             "SET\tNAME=N,VALUE=<N>,INCREMENT=1\n"
             "SET\tNAME=LIGNE;N,VALUE=<L;2>\n"
             "GOTO\tLABEL=ligne\n"
             "LABEL\tNAME=fin\n"
             "GETMARKER\tPAGE=comptes,MARKER=M\n"
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=LINK,TEST=CONTAINS,NAME=ofx,VAR=LIEN,GET=HREF\n"
             "DOWNLOAD\tSESSION=login,PAGE=ofx,URL=<LIEN>\n"
             "SET\tNAME=OK,VALUE=oui\n"
             "GOTO\tLABEL=sortie\n"
             "LABEL\tNAME=echec\n"
             "SET\tNAME=OK,VALUE=non\n"
             "LABEL\tNAME=sortie\n");
  EXPECT_EQ("oui", access.Var("OK")) << Log();
  EXPECT_EQ("3", access.Var("N"));
  EXPECT_EQ(Utf8ToMacRoman("VIR SALAIRE DÉCEMBRE"), access.Var("LIGNE;2"));
  EXPECT_EQ("a/b c", access.Var("JETON"));
  EXPECT_EQ("releve.ofx?carte=1", access.Var("LIEN"));
  CPHtmlWebPage* ofx = access.GetPage("OFX");
  ASSERT_NE(nullptr, ofx);
  EXPECT_NE(std::string::npos, ofx->GetContent().find("<CCSTMTRS>"));
  EXPECT_EQ(site.Base() + "/releve.ofx?carte=1", ofx->GetUrl());
  EXPECT_EQ(site.Base() + "/comptes.html", access.GetPage("comptes")->GetUrl());

  // The password went whole in the body and never to the log.
  std::vector<std::string> requests = site.Requests();
  ASSERT_EQ(3u, requests.size());
  EXPECT_EQ("POST /banque/login.php |  | identifiant=jean&motdepasse=p%40ss+w%2Frd%26x%3D1%2B&jeton=a%2Fb+c&ok=Valider",
            requests[0]);
  EXPECT_EQ("GET /banque/comptes.html | $Version=\"1\";SID=\"s123\";$Path=/banque | ", requests[1]);
  std::string text = Log();
  EXPECT_EQ(std::string::npos, text.find("p@ss")) << text;
  EXPECT_EQ(std::string::npos, text.find("p%40ss")) << text;
  EXPECT_NE(std::string::npos, text.find("\rURL: " + site.Base() + "/comptes.html\rHEADER: Cookie:"));
  EXPECT_NE(std::string::npos, text.find("\rITEMS:\r"));
  EXPECT_NE(std::string::npos, text.find("\rRESULT: Marker="));
}

TEST_F(WebSiteTest, CookiesStayWithTheirSite) {
  VYXTestHttpServer other;
  std::string seen = "none";
  other.Server().Get("/pub.html", [&](const httplib::Request& req, httplib::Response& res) {
    seen = req.get_header_value("Cookie");
    res.set_content("<p>pub</p>", "text/html");
  });
  access.SetVar(0, "AUTRE", "http://localhost:" + std::to_string(other.Port()) + "/pub.html");
  access.Run(Login() + "DOWNLOAD\tSESSION=login,PAGE=pub,URL=<AUTRE>\n");
  ASSERT_NE(nullptr, access.GetPage("pub")) << Log();
  EXPECT_EQ("", seen);
}

TEST_F(WebSiteTest, WrongPasswordGivesTheErrorPage) {
  access.SetVar(0, "MOTDEPASSE", "faux");
  access.Run(Login() +
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TABLE,NAME=operations,ONERROR=refus\n"
             "GOTO\tLABEL=fin\n"
             "LABEL\tNAME=refus\n"
             "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TEXT,TEST=CONTAINS,VALUE=INCORRECT,VAR=MSG\n"
             "LABEL\tNAME=fin\n");
  EXPECT_EQ("Identifiant ou mot de passe incorrect.", access.Var("MSG"));
  EXPECT_EQ(std::string::npos, Log().find("faux"));
}

TEST_F(WebSiteTest, HostilePagesEndWithAClearMessage) {
  struct Case {
    VYXTestBankSite::Mode mode;
    const char* message;
  } cases[] = {
      {VYXTestBankSite::Mode::kHuge, "trop volumineuse"},
      {VYXTestBankSite::Mode::kEndless, "pas répondu à temps"},
  };
  for (const Case& c : cases) {
    TestAccess fresh;
    fresh.SetVar(0, "URL", site.Base());
    fresh.SetVar(0, "MOTDEPASSE", Utf8ToMacRoman(VYXTestBankSite::kPassword));
    fresh.Settings().timeoutMs = 700;
    site.SetMode(c.mode);
    fresh.Run(Login() + "SET\tNAME=APRES,VALUE=1\nLABEL\tNAME=echec\n");
    ASSERT_EQ(1u, fresh.Errors().size());
    EXPECT_NE(std::string::npos, MacRomanToUtf8(fresh.Errors()[0]).find(c.message)) << MacRomanToUtf8(fresh.Errors()[0]);
    EXPECT_NE(std::string::npos, MacRomanToUtf8(fresh.Errors()[0]).find("Impossible de se connecter à http://127.0.0.1"));
    EXPECT_EQ("<unset>", fresh.Var("APRES"));
    EXPECT_EQ(nullptr, fresh.GetPage("comptes"));
  }
  site.SetMode(VYXTestBankSite::Mode::kBroken);
  access.Run(Login() + "SETMARKER\tPAGE=comptes,ACTION=FINDNEXT,TARGET=TABLE,NAME=operations,ONERROR=RETURN\n"
                       "SET\tNAME=APRES,VALUE=1\n");
  EXPECT_EQ("<unset>", access.Var("APRES"));
  EXPECT_TRUE(access.Errors().empty());
}

TEST_F(WebSiteTest, RequestsAndUnreachableHostsAreBounded) {
  access.Limits().maxRequests = 5;
  EXPECT_CP_CODE(kCPErrScriptLimit,
                 access.Run("LABEL\tNAME=a\nDOWNLOAD\tSESSION=s,PAGE=p,URL=<URL>/index.html\nGOTO\tLABEL=a\n"));
  TestAccess other;
  other.Run("DOWNLOAD\tSESSION=s,PAGE=p,URL=http://127.0.0.1:1/x\nSET\tNAME=APRES,VALUE=1\n");
  EXPECT_EQ("1", other.Var("APRES"));  // without ONERROR the script goes on
  ASSERT_EQ(1u, other.Errors().size());
  EXPECT_EQ(nullptr, other.GetPage("p"));
}

TEST(CPWebAccess, BrowserWithoutADesktopShowsTheAddress) {
  CPScriptedInteraction user;
  std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  std::string wayland = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  TestAccess access;
  access.Run("BROWSER\tURL=https://banque.example/aide\n");
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  if (!wayland.empty()) setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
  ASSERT_EQ(1u, user.Alerts().size());
  EXPECT_NE(std::string::npos, user.Alerts()[0].find("https://banque.example/aide"));
}

TEST(CPWebAccess, StandardVariablesGiveToday) {
  VYXPinnedClock clock(3, 1, 2027);
  TestAccess access;
  access.SetStandardVar();
  EXPECT_EQ("03/01/27", access.Var("_DATE"));
  EXPECT_EQ("3", access.Var("_JOUR"));
  EXPECT_EQ("1", access.Var("_MOIS"));
  EXPECT_EQ("2027", access.Var("_ANNEE"));
}

}  // namespace
