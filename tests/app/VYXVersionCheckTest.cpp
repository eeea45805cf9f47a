#include "app/VYXVersionCheck.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "app/VYXAppTexts.h"
#include "app/VYXGlobalPreferences.h"
#include "foundation/CPDates.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPPlatformErrors.h"
#include "support/VYXTestHttpServer.h"
#include "support/VYXTestSupport.h"

namespace {

std::string MR(const char* utf8) { return Utf8ToMacRoman(utf8); }

const char kUpdateAnswer[] =
    "UPDATE\tY\r\n"
    "MESSAGE\t<p>La version <b>2.0</b> est disponible&nbsp;!</p><p>Nouveaut&eacute;s : 12 &euro;</p>\r\n"
    "DOWNLOAD\thttp://maj.example.fr/vyx-2.0.tar.gz\r\n"
    "web\thttp://maj.example.fr/nouveautes\r\n";
const char kNoUpdateAnswer[] = "UPDATE\tN\r\nMESSAGE\tVous êtes à jour.\r\n";

// The vendor's server, played by a real server on 127.0.0.1. "/index.php"
// answers what `answer_` holds and records the queries it was sent; "/old/..."
// redirects there, "/slow/..." waits until the test ends.
class VYXVersionCheckTest : public ::testing::Test {
 protected:
  VYXVersionCheckTest() {
    auto& s = server_->Server();
    s.Get("/index.php", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      queries_.push_back(req.params);
      agent_ = req.get_header_value("User-Agent");
      res.set_content(answer_, "text/plain; charset=utf-8");
    });
    s.Get("/old/index.php", [](const httplib::Request& req, httplib::Response& res) {
      std::string query;
      for (const auto& [k, v] : req.params) query += (query.empty() ? "?" : "&") + k + "=" + v;
      res.set_redirect("/index.php" + query, 301);
    });
    s.Get("/slow/index.php", [this](const httplib::Request&, httplib::Response& res) {
      std::unique_lock<std::mutex> lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(10), [this] { return release_; });
      res.set_content(kUpdateAnswer, "text/plain");
    });
    prefs_.Load();
  }
  ~VYXVersionCheckTest() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
    server_.reset();
  }

  void UseServer(const std::string& folder = "") { prefs_.SetWebSiteHost(server_->HostAndPort() + folder); }
  size_t Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queries_.size();
  }

  VYXTempDir dir_;
  VYXGlobalPreferences prefs_{dir_.Path() / "preferences.json"};
  CPScriptedInteraction user_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::string answer_;
  std::vector<httplib::Params> queries_;
  std::string agent_;
  std::unique_ptr<VYXTestHttpServer> server_ = std::make_unique<VYXTestHttpServer>();
};

TEST_F(VYXVersionCheckTest, NewVersionIsOfferedAndItsPageReturned) {
  VYXPinnedClock clock(15, 6, 2024);
  UseServer();
  answer_ = kUpdateAnswer;
  user_.PushYes();
  VYXVersionCheckOptions options;
  options.version = "1.4.2";
  VYXVersionCheckResult r = VYXCheckApplicationVersion(prefs_, false, options);

  EXPECT_EQ(VYXVersionCheckOutcome::kUpdateAvailable, r.outcome);
  EXPECT_EQ("http://maj.example.fr/nouveautes", r.pageToOpen);
  EXPECT_EQ("http://maj.example.fr/vyx-2.0.tar.gz", r.answer.download);
  ASSERT_EQ(1u, user_.Questions().size());
  EXPECT_EQ(MR("La version 2.0 est disponible !\rNouveautés : 12 €\r") +
                CPGetListString(kVYXAppTextsList, kVYXTextOpenUpdatePage),
            user_.Questions()[0]);
  EXPECT_EQ(CPClock::Now(), prefs_.GetCheckNewVersionLastDate());

  ASSERT_EQ(1u, queries_.size());
  httplib::Params expected{{"query", "checkUpdates"}, {"product", "VYX_ENT"}, {"version", "1.4.2"},
                           {"platform", "MAC"},       {"loc", "FR"}};
  EXPECT_EQ(expected, queries_[0]);
  EXPECT_EQ("vyx/1.4.2", agent_);
}

TEST_F(VYXVersionCheckTest, DecliningOpensNothing) {
  UseServer();
  answer_ = kUpdateAnswer;
  user_.PushNo();
  VYXVersionCheckResult r = VYXCheckApplicationVersion(prefs_, false);
  EXPECT_EQ(VYXVersionCheckOutcome::kUpdateAvailable, r.outcome);
  EXPECT_TRUE(r.pageToOpen.empty());
  EXPECT_NE(0u, prefs_.GetCheckNewVersionLastDate());
}

// Without a newer version the automatic check says nothing; the user who asked
// is told, with the server's message or ours.
TEST_F(VYXVersionCheckTest, NoNewVersion) {
  UseServer();
  answer_ = kNoUpdateAnswer;
  VYXVersionCheckResult r = VYXCheckApplicationVersion(prefs_, false);
  EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, r.outcome);
  EXPECT_TRUE(user_.Alerts().empty());
  EXPECT_TRUE(user_.Questions().empty());
  EXPECT_NE(0u, prefs_.GetCheckNewVersionLastDate());

  r = VYXCheckApplicationVersion(prefs_, true);
  EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, r.outcome);
  ASSERT_EQ(1u, user_.Alerts().size());
  EXPECT_EQ(MR("Vous êtes à jour."), user_.Alerts()[0]);

  answer_ = "UPDATE\tN\r\n";
  VYXCheckApplicationVersion(prefs_, true);
  ASSERT_EQ(2u, user_.Alerts().size());
  EXPECT_EQ(CPGetListString(kVYXAppTextsList, kVYXTextUpToDate), user_.Alerts()[1]);
}

TEST_F(VYXVersionCheckTest, RedirectedServerIsFollowed) {
  UseServer("/old");
  answer_ = kNoUpdateAnswer;
  VYXVersionCheckResult r = VYXCheckApplicationVersion(prefs_, true);
  EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, r.outcome);
  ASSERT_EQ(1u, Requests());
  EXPECT_EQ("checkUpdates", queries_[0].find("query")->second);
}

// A failed exchange ends the automatic check quietly and is not recorded as a
// check, so the next start tries again; the user who asked hears why.
TEST_F(VYXVersionCheckTest, FailuresEndTheCheck) {
  struct Case {
    const char* folder;
    OSErr error;
  } cases[] = {
      {"/missing", kCPErrHttpStatus},  // 404
      {"/slow", kCPErrHttpTimeout},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    CPScriptedInteraction user;
    UseServer(c.folder);
    VYXVersionCheckOptions options;
    options.timeoutMs = 300;
    VYXVersionCheckResult r = VYXCheckApplicationVersion(prefs_, false, options);
    EXPECT_EQ(VYXVersionCheckOutcome::kFailed, r.outcome);
    EXPECT_EQ(c.error, r.error);
    EXPECT_TRUE(user.Alerts().empty());
    EXPECT_EQ(0u, prefs_.GetCheckNewVersionLastDate());

    r = VYXCheckApplicationVersion(prefs_, true, options);
    EXPECT_EQ(c.error, r.error);
    ASSERT_EQ(1u, user.Alerts().size());
    std::string expected = CPGetListString(kVYXAppTextsList, kVYXTextCheckFailed);
    CPReplaceVar(expected, 1, CPGetErrorText(c.error));
    EXPECT_EQ(expected, user.Alerts()[0]);
    EXPECT_EQ(0u, prefs_.GetCheckNewVersionLastDate());
  }
}

TEST_F(VYXVersionCheckTest, NothingIsSentWithoutAServer) {
  answer_ = kUpdateAnswer;
  EXPECT_EQ(VYXVersionCheckOutcome::kNoWebSite, VYXCheckApplicationVersion(prefs_, false).outcome);
  EXPECT_TRUE(user_.Alerts().empty());
  EXPECT_EQ(VYXVersionCheckOutcome::kNoWebSite, VYXCheckApplicationVersion(prefs_, true).outcome);
  EXPECT_EQ(std::vector<std::string>{CPGetListString(kVYXAppTextsList, kVYXTextNoWebSite)}, user_.Alerts());
  EXPECT_EQ(0u, Requests());
  EXPECT_EQ(0u, prefs_.GetCheckNewVersionLastDate());
}

// Delay 7 days and a last check on 1 March: not on 8 March, on 9 March; a
// check the user asks for runs whatever the date, and DoIt off stops only the
// automatic one.
TEST_F(VYXVersionCheckTest, DelayBetweenAutomaticChecks) {
  UseServer();
  answer_ = kNoUpdateAnswer;
  prefs_.SetCheckNewVersionDelay(7);
  prefs_.SetCheckNewVersionLastDate(CPGetDate(1, 3, 2024) + 9 * 3600);
  {
    VYXPinnedClock clock(8, 3, 2024, 23, 59);
    EXPECT_EQ(VYXVersionCheckOutcome::kNotDue, VYXCheckApplicationVersion(prefs_, false).outcome);
    EXPECT_EQ(0u, Requests());
  }
  {
    VYXPinnedClock clock(9, 3, 2024, 0, 1);
    EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, VYXCheckApplicationVersion(prefs_, false).outcome);
    EXPECT_EQ(1u, Requests());
    EXPECT_EQ(CPClock::Now(), prefs_.GetCheckNewVersionLastDate());
    // Just checked: the next automatic check waits again.
    EXPECT_EQ(VYXVersionCheckOutcome::kNotDue, VYXCheckApplicationVersion(prefs_, false).outcome);
    EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, VYXCheckApplicationVersion(prefs_, true).outcome);
    EXPECT_EQ(2u, Requests());
  }
  {
    VYXPinnedClock clock(1, 6, 2024);
    prefs_.SetCheckNewVersionDoIt(false);
    EXPECT_EQ(VYXVersionCheckOutcome::kNotDue, VYXCheckApplicationVersion(prefs_, false).outcome);
    EXPECT_EQ(VYXVersionCheckOutcome::kUpToDate, VYXCheckApplicationVersion(prefs_, true).outcome);
    EXPECT_EQ(3u, Requests());
  }
}

TEST(VYXVersionCheckDue, CalendarDaysAfterTheLastCheck) {
  VYXTempDir dir;
  VYXGlobalPreferences prefs(dir.Path() / "p.json");
  prefs.Load();
  struct Case {
    int delay;
    CPDate last;
    CPDate today;
    bool due;
  } cases[] = {
      {7, CPGetDate(1, 3, 2024) + 3600, CPGetDate(8, 3, 2024) + 86399, false},
      {7, CPGetDate(1, 3, 2024) + 86399, CPGetDate(9, 3, 2024), true},
      {7, CPGetDate(25, 12, 2023), CPGetDate(1, 1, 2024), false},  // across the year
      {7, CPGetDate(25, 12, 2023), CPGetDate(2, 1, 2024), true},
      {0, CPGetDate(1, 3, 2024) + 60, CPGetDate(1, 3, 2024) + 7200, false},  // same day
      {0, CPGetDate(1, 3, 2024), CPGetDate(2, 3, 2024), true},
      {7, 0, CPGetDate(1, 3, 2024), true},                             // never checked
      {7, CPGetDate(1, 3, 2030), CPGetDate(1, 3, 2024), true},         // a clock that was wrong
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CPDateToStr(c.last) + " -> " + CPDateToStr(c.today));
    prefs.SetCheckNewVersionDelay(static_cast<int16_t>(c.delay));
    prefs.SetCheckNewVersionLastDate(c.last);
    EXPECT_EQ(c.due, VYXVersionCheckIsDue(prefs, c.today));
  }
}

TEST(VYXVersionAnswer, KeysLinesAndCharacterSets) {
  struct Case {
    std::string bytes;
    bool update;
    std::string message;  // UTF-8
    std::string web;
  } cases[] = {
      {"UPDATE\tY\r\nMESSAGE\tok\r\nWEB\thttp://w\r\n", true, "ok", "http://w"},
      {"update\tY\nmessage\tok\nweb\thttp://w\n", true, "ok", "http://w"},  // LF only, lower case
      {"Update\tY\rMessage\tok\rWeb\thttp://w", true, "ok", "http://w"},    // CR only, no final end
      {"UPDATE\tN\r\nWEB\thttp://w\r\n", false, "", "http://w"},
      {"UPDATE\ty\r\n", false, "", ""},  // the value is "Y"
      {"VERSION\t2.0\r\nUPDATE\tY\textra\r\n\r\nOTHER\r\n", true, "", ""},
      {"MESSAGE\tMise \xC3\xA0 jour\r\n", false, "Mise à jour", ""},  // UTF-8
      {"MESSAGE\tMise \xE0 jour\r\n", false, "Mise à jour", ""},      // Windows Latin-1
      {"<html><body>Erreur interne</body></html>", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    VYXVersionAnswer a = VYXReadVersionAnswer(c.bytes);
    EXPECT_EQ(c.update, a.update);
    EXPECT_EQ(MR(c.message.c_str()), a.message);
    EXPECT_EQ(c.web, a.web);
  }
}

TEST(VYXVersionAnswer, HtmlBecomesPlainText) {
  struct Case {
    const char* html;
    const char* text;  // UTF-8, CR for line ends
  } cases[] = {
      {"simple", "simple"},
      {"<b>Gras</b>  et   <i>italique</i>", "Gras et italique"},
      {"ligne 1<br>ligne 2<BR/>ligne 3", "ligne 1\rligne 2\rligne 3"},
      {"<p>un</p><p>deux</p>", "un\rdeux"},
      {"<div><ul><li>a</li><li>b</li></ul></div>", "a\rb"},
      {"&lt;tag&gt; &amp; &quot;x&quot; &#233;t&#xE9; &oelig;uvre &hellip;", "<tag> & \"x\" été œuvre …"},
      {"&inconnu; & seul; 3 < 4", "&inconnu; & seul; 3 < 4"},
      {"<style>p{color:red}</style>texte<script>alert(1)</script>", "texte"},
      {"coupé <a href=\"http://ex", "coupé"},
      {"&#128512;", "?"},  // no such character in MacRoman
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(MR(c.text), VYXHtmlToText(MR(c.html)));
  }
}

}  // namespace
