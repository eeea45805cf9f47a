#include "app/VYXGlobalPreferences.h"

#include <fstream>

#include "app/VYXVendorSite.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPPlatformErrors.h"
#include "support/VYXTestSupport.h"

namespace fs = std::filesystem;

namespace {

class VYXGlobalPreferencesTest : public ::testing::Test {
 protected:
  void WritePrefs(const std::string& json) {
    fs::create_directories(file_.parent_path());
    std::ofstream(file_, std::ios::binary) << json;
  }

  VYXTempDir dir_;
  fs::path file_ = dir_.Path() / "vyx" / "preferences.json";
  CPScriptedInteraction user_;
};

TEST_F(VYXGlobalPreferencesTest, EveryKeyHasItsDefault) {
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  CPFileRef last;
  EXPECT_FALSE(prefs.GetLastGroupPath(&last));
  EXPECT_TRUE(prefs.GetShowViewEnabled());
  EXPECT_TRUE(prefs.GetShowViewTheme().IsEmpty());
  EXPECT_EQ(200, prefs.GetLeftSplitterPositionV());
  EXPECT_EQ(220, prefs.GetLeftSplitterPositionH());
  EXPECT_TRUE(prefs.GetLeftViewVisible());
  VYXWindowFrame frame{1, 2, 3, 4};
  EXPECT_FALSE(prefs.GetMainWindowPosition(&frame));
  EXPECT_EQ((VYXWindowFrame{1, 2, 3, 4}), frame);
  EXPECT_EQ((VYXWindowFrame{10, 10, 500, 800}), VYXWindowFrame());
  VYXSMTPSettings smtp = prefs.GetSMTPSettings();
  EXPECT_TRUE(smtp.server.IsEmpty());
  EXPECT_EQ(0, smtp.port);
  EXPECT_FALSE(smtp.hasAuthentification);
  EXPECT_TRUE(smtp.login.IsEmpty() && smtp.password.IsEmpty());
  EXPECT_TRUE(prefs.GetWelcomeSound());
  EXPECT_TRUE(prefs.GetLoadOnlineWebPages());
  EXPECT_FALSE(prefs.GetWebViewHasUserAgent());
  EXPECT_EQ("Mozilla/5.0 (Macintosh; U; Intel Mac OS X 10_5_5; fr-fr) AppleWebKit/525.18 (KHTML, like Gecko) "
            "Version/3.1.2 Safari/525.20.1",
            prefs.GetWebViewUserAgent().Std());
  EXPECT_TRUE(prefs.GetCheckNewVersionDoIt());
  EXPECT_EQ(7, prefs.GetCheckNewVersionDelay());
  EXPECT_EQ(0u, prefs.GetCheckNewVersionLastDate());
  std::string host;
  EXPECT_FALSE(prefs.GetWebSiteHost(&host));
  EXPECT_TRUE(prefs.GetRecentDocuments().empty());
  EXPECT_TRUE(user_.Alerts().empty());
  EXPECT_FALSE(fs::exists(file_));  // reading creates nothing
}

// The keys as a file holds them: a misspelt key would read as its default.
TEST_F(VYXGlobalPreferencesTest, EveryKeyIsReadUnderItsName) {
  WritePrefs(R"({
    "VYXLastGroup:Path": "/home/anne/Famille.grp",
    "VYXShowView:Enabled": false, "VYXShowView:Theme": "Été",
    "VYXLeftSplitter:Position:V": 150, "VYXLeftSplitter:Position:H": 160,
    "VYXLeftView:Visible": false,
    "VYXMainWindow:Position:Top": 20, "VYXMainWindow:Position:Left": 30,
    "VYXMainWindow:Position:Bottom": 600, "VYXMainWindow:Position:Right": 900,
    "VYXSMTP:Server": "smtp.example.fr", "VYXSMTP:Port": 587, "VYXSMTP:HasAuthentification": true,
    "VYXSMTP:Login": "anne", "VYXSMTP:Password": "secret",
    "VYXWelcomeSound": false, "VYXLoadOnlineWebPages": false,
    "VYXWebViewHasUserAgent": true, "VYXWebViewUserAgent": "vyx",
    "VYXCheckNewVersion:DoIt": false, "VYXCheckNewVersion:Delay": 30,
    "VYXCheckNewVersion:LastDate": 3786825600,
    "VYXWebSite:Host": "maj.example.fr"
  })");
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  CPFileRef last;
  EXPECT_TRUE(prefs.GetLastGroupPath(&last));
  EXPECT_EQ(fs::path("/home/anne/Famille.grp"), last.Path());
  EXPECT_FALSE(prefs.GetShowViewEnabled());
  EXPECT_EQ(Utf8ToMacRoman("Été"), prefs.GetShowViewTheme().Std());
  EXPECT_EQ(150, prefs.GetLeftSplitterPositionV());
  EXPECT_EQ(160, prefs.GetLeftSplitterPositionH());
  EXPECT_FALSE(prefs.GetLeftViewVisible());
  VYXWindowFrame frame;
  EXPECT_TRUE(prefs.GetMainWindowPosition(&frame));
  EXPECT_EQ((VYXWindowFrame{20, 30, 600, 900}), frame);
  VYXSMTPSettings smtp = prefs.GetSMTPSettings();
  EXPECT_EQ("smtp.example.fr", smtp.server.Std());
  EXPECT_EQ(587, smtp.port);
  EXPECT_TRUE(smtp.hasAuthentification);
  EXPECT_EQ("anne", smtp.login.Std());
  EXPECT_EQ("secret", smtp.password.Std());
  EXPECT_FALSE(prefs.GetWelcomeSound());
  EXPECT_FALSE(prefs.GetLoadOnlineWebPages());
  EXPECT_TRUE(prefs.GetWebViewHasUserAgent());
  EXPECT_EQ("vyx", prefs.GetWebViewUserAgent().Std());
  EXPECT_FALSE(prefs.GetCheckNewVersionDoIt());
  EXPECT_EQ(30, prefs.GetCheckNewVersionDelay());
  EXPECT_EQ(3786825600u, prefs.GetCheckNewVersionLastDate());
  std::string host;
  EXPECT_TRUE(prefs.GetWebSiteHost(&host));
  EXPECT_EQ("maj.example.fr", host);
}

TEST_F(VYXGlobalPreferencesTest, MainWindowPositionNeedsAllFourKeys) {
  WritePrefs(R"({"VYXMainWindow:Position:Top": 20, "VYXMainWindow:Position:Left": 30,
                 "VYXMainWindow:Position:Bottom": 600})");
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  VYXWindowFrame frame{1, 2, 3, 4};
  EXPECT_FALSE(prefs.GetMainWindowPosition(&frame));
  EXPECT_EQ((VYXWindowFrame{1, 2, 3, 4}), frame);
  prefs.SetMainWindowPosition({5, 6, 700, 800});
  EXPECT_TRUE(prefs.GetMainWindowPosition(&frame));
  EXPECT_EQ((VYXWindowFrame{5, 6, 700, 800}), frame);
}

// Values that a hand-edited file may hold but that the program cannot use give
// the default rather than a surprise.
TEST_F(VYXGlobalPreferencesTest, UnusableValuesGiveTheDefault) {
  WritePrefs(R"({"VYXCheckNewVersion:Delay": -3, "VYXShowView:Theme": "neige ❄",
                 "VYXWelcomeSound": "non", "VYXLeftSplitter:Position:V": 70000000000})");
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  EXPECT_EQ(7, prefs.GetCheckNewVersionDelay());
  EXPECT_TRUE(prefs.GetShowViewTheme().IsEmpty());
  EXPECT_TRUE(prefs.GetWelcomeSound());
  EXPECT_EQ(200, prefs.GetLeftSplitterPositionV());
  WritePrefs(R"({"VYXCheckNewVersion:Delay": 40000})");
  prefs.Load();
  EXPECT_EQ(7, prefs.GetCheckNewVersionDelay());
}

// Every change reaches the file at once, texts converted from MacRoman to UTF-8.
TEST_F(VYXGlobalPreferencesTest, ChangesAreWrittenThrough) {
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  prefs.SetShowViewTheme(CPString::FromStd(Utf8ToMacRoman("Forêt d'été")));
  prefs.SetCheckNewVersionDelay(14);
  prefs.SetLastGroupPath(dir_.Ref("Famille.grp"));
  VYXSMTPSettings smtp;
  smtp.server = CPString("smtp.example.fr");
  smtp.port = 465;
  prefs.SetSMTPSettings(smtp);
  prefs.AddRecentDocument(dir_.Ref("Famille.grp"));
  prefs.AddRecentDocument(dir_.Ref("Asso.grp"));
  EXPECT_NE(std::string::npos, VYXReadFile(file_).find("Forêt d'été"));

  VYXGlobalPreferences again(file_);
  again.Load();
  EXPECT_EQ(Utf8ToMacRoman("Forêt d'été"), again.GetShowViewTheme().Std());
  EXPECT_EQ(14, again.GetCheckNewVersionDelay());
  CPFileRef last;
  ASSERT_TRUE(again.GetLastGroupPath(&last));
  EXPECT_EQ(dir_.Path() / "Famille.grp", last.Path());
  EXPECT_EQ(465, again.GetSMTPSettings().port);
  ASSERT_EQ(2u, again.GetRecentDocuments().size());
  EXPECT_EQ(dir_.Path() / "Asso.grp", again.GetRecentDocuments()[0].Path());
  again.ClearRecentDocuments();
  again.SetWebSiteHost("maj.example.fr");
  again.SetWebSiteHost("");  // removes the setting
  VYXGlobalPreferences third(file_);
  third.Load();
  EXPECT_TRUE(third.GetRecentDocuments().empty());
  std::string host;
  EXPECT_FALSE(third.GetWebSiteHost(&host));
}

TEST_F(VYXGlobalPreferencesTest, DamagedFileIsSetAsideAndTheUserTold) {
  WritePrefs("{\"VYXWelcomeSound\": fals");
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  ASSERT_EQ(1u, user_.Alerts().size());
  EXPECT_NE(std::string::npos, user_.Alerts()[0].find("preferences.json.bak"));
  EXPECT_TRUE(prefs.GetWelcomeSound());
  EXPECT_EQ("{\"VYXWelcomeSound\": fals", VYXReadFile(file_.string() + ".bak"));
  prefs.SetWelcomeSound(false);
  VYXGlobalPreferences again(file_);
  again.Load();
  EXPECT_FALSE(again.GetWelcomeSound());
  EXPECT_EQ(1u, user_.Alerts().size());
}

// A file that cannot be read is left alone: the session goes on with its
// changes in memory and nothing raises.
TEST_F(VYXGlobalPreferencesTest, UnreadableFileIsLeftAlone) {
  fs::create_directories(file_);
  VYXGlobalPreferences prefs(file_);
  prefs.Load();
  ASSERT_EQ(1u, user_.Alerts().size());
  prefs.SetWelcomeSound(false);
  EXPECT_FALSE(prefs.GetWelcomeSound());
  EXPECT_TRUE(fs::is_directory(file_));
}

TEST(VYXVendorSite, HostSettingGivesTheServerAddress) {
  struct Case {
    const char* host;
    const char* base;  // nullptr: refused
  } cases[] = {
      {"maj.example.fr", "http://maj.example.fr"},
      {"  127.0.0.1:8080/ ", "http://127.0.0.1:8080"},
      {"HTTPS://maj.example.fr/vyx/", "https://maj.example.fr/vyx"},
      {"http://[::1]:8080", "http://[::1]:8080"},
      {"", nullptr},
      {"   ", nullptr},
      {"http://", nullptr},
      {"ftp://maj.example.fr", nullptr},
      {"maj.example.fr/?x=1", nullptr},
      {"anne:secret@maj.example.fr", nullptr},
      {"maj example.fr", nullptr},
      {"maj.example.fr\r\nX: y", nullptr},
      {"maj.éxample.fr", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    std::string base = "untouched";
    EXPECT_EQ(c.base != nullptr, VYXWebSiteBaseFromHost(c.host, &base));
    EXPECT_EQ(c.base ? c.base : "untouched", base);
  }
}

TEST(VYXVendorSite, AddressesOnTheServer) {
  EXPECT_EQ("http://h/index.php?query=checkUpdates&product=VYX_ENT&version=1.2.3&platform=MAC&loc=FR",
            VYXServiceURL("http://h", "checkUpdates", "1.2.3"));
  EXPECT_EQ("http://h/index.php?query=q&product=VYX_ENT&version=1.0%20b%262&platform=MAC&loc=FR",
            VYXServiceURL("http://h", "q", "1.0 b&2"));

  VYXTempDir dir;
  VYXGlobalPreferences prefs(dir.Path() / "p.json");
  prefs.Load();
  std::string url = "untouched";
  EXPECT_FALSE(VYXGetCheckUpdatesURL(prefs, &url));
  EXPECT_FALSE(VYXGetDevisesUpdateScriptURL(prefs, &url));
  EXPECT_FALSE(VYXGetScriptURL(prefs, &url));
  EXPECT_EQ("untouched", url);

  prefs.SetWebSiteHost("maj.example.fr");
  std::string tail = "&product=VYX_ENT&version=" + VYXApplicationVersion() + "&platform=MAC&loc=FR";
  ASSERT_TRUE(VYXGetCheckUpdatesURL(prefs, &url));
  EXPECT_EQ("http://maj.example.fr/index.php?query=checkUpdates" + tail, url);
  ASSERT_TRUE(VYXGetDevisesUpdateScriptURL(prefs, &url));
  EXPECT_EQ("http://maj.example.fr/index.php?query=devisesUpdateScript" + tail, url);
  ASSERT_TRUE(VYXGetTitreUpdateScriptURL(prefs, &url));
  EXPECT_EQ("http://maj.example.fr/index.php?query=titreUpdateScript" + tail, url);
  ASSERT_TRUE(VYXGetTitreInfosScriptURL(prefs, &url));
  EXPECT_EQ("http://maj.example.fr/index.php?query=titreInfosScript" + tail, url);
  ASSERT_TRUE(VYXGetScriptURL(prefs, &url));
  EXPECT_EQ("http://maj.example.fr/vyx/scripts/3.1.0/", url);
  ASSERT_TRUE(VYXGetScriptURL(prefs, Utf8ToMacRoman("Société Générale.txt"), &url));
  EXPECT_EQ("http://maj.example.fr/vyx/scripts/3.1.0/Soci%C3%A9t%C3%A9%20G%C3%A9n%C3%A9rale.txt", url);
}

}  // namespace
