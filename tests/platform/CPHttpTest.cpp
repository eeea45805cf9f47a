#include "platform/CPHttp.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"
#include "support/VYXTestHttpServer.h"
#include "support/VYXTestSupport.h"

namespace {

class CPHttpTest : public ::testing::Test {
 protected:
  CPHttpTest() {
    auto& s = server_->Server();
    s.Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("X-Vyx", "oui");
      res.set_content("<html>bonjour</html>", "text/html; charset=utf-8");
    });
    // Echoes what it received, so that tests see what was sent.
    auto echo = [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(req.method + " " + req.path);
      res.set_content(req.method + "|" + req.get_header_value("Cookie") + "|" +
                          req.get_header_value("User-Agent") + "|" + req.body,
                      "text/plain");
    };
    s.Get("/echo", echo);
    s.Post("/echo", echo);
    s.Put("/echo", echo);
    s.Post("/login", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(req.method + " " + req.path);
      res.set_header("Set-Cookie", "session=abc; Path=/");
      res.set_redirect("echo", 302);  // relative to the folder
    });
    s.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    s.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("file:///etc/passwd");
    });
    s.Get("/big", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(1000, 'x'), "text/plain");
    });
    s.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      std::unique_lock<std::mutex> lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(10), [this] { return release_; });
      res.set_content("enfin", "text/plain");
    });
  }
  ~CPHttpTest() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
    server_.reset();  // waits for the handlers still running
  }

  CPHttpRequest Request(const std::string& path) {
    CPHttpRequest r;
    r.url = server_->Url(path);
    r.timeoutMs = 10000;
    return r;
  }

  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::vector<std::string> seen_;
  std::unique_ptr<VYXTestHttpServer> server_ = std::make_unique<VYXTestHttpServer>();
};

TEST_F(CPHttpTest, GetReadsStatusHeadersAndBody) {
  CPHttpResponse r = CPHttpPerform(Request("/page"));
  ASSERT_EQ(noErr, r.error) << r.errorDetail;
  EXPECT_TRUE(r.IsSuccess());
  EXPECT_EQ(200, r.status);
  EXPECT_EQ("<html>bonjour</html>", r.body);
  EXPECT_EQ(server_->Url("/page"), r.finalUrl);
  EXPECT_EQ("text/html; charset=utf-8", r.contentType);
  EXPECT_EQ("oui", r.header.Field("x-VYX"));  // names compared ignoring case
  EXPECT_EQ("HTTP/1.1 200 OK", r.header.statusLine);
  EXPECT_NE(std::string::npos, r.header.raw.find("X-Vyx: oui\r\n"));
  EXPECT_TRUE(r.redirects.empty());
}

TEST_F(CPHttpTest, MethodHeadersAndBodyAreSent) {
  CPHttpRequest req = Request("/echo");
  req.method = "POST";
  req.body = "nom=Dupont&ville=Saint+Malo";
  req.AddHeader("Cookie", "$Version=\"1\"; a=\"b\"");
  req.userAgent = "vyx/test";
  CPHttpResponse r = CPHttpPerform(req);
  ASSERT_EQ(noErr, r.error) << r.errorDetail;
  EXPECT_EQ("POST|$Version=\"1\"; a=\"b\"|vyx/test|nom=Dupont&ville=Saint+Malo", r.body);

  req.method = "PUT";
  r = CPHttpPerform(req);
  EXPECT_EQ("PUT|$Version=\"1\"; a=\"b\"|vyx/test|nom=Dupont&ville=Saint+Malo", r.body);
}

// A form posted to a page that redirects: the next page is fetched with GET, as
// browsers do; the final address is the one reached, and the redirecting answer
// is kept with its cookie.
TEST_F(CPHttpTest, RedirectionsAreFollowedAndKept) {
  CPHttpRequest req = Request("/login");
  req.method = "POST";
  req.body = "user=anne";
  CPHttpResponse r = CPHttpPerform(req);
  ASSERT_EQ(noErr, r.error) << r.errorDetail;
  EXPECT_EQ(200, r.status);
  EXPECT_EQ(server_->Url("/echo"), r.finalUrl);
  EXPECT_EQ(0u, r.body.find("GET|"));
  ASSERT_EQ(1u, r.redirects.size());
  EXPECT_EQ(302, r.redirects[0].status);
  EXPECT_EQ(server_->Url("/login"), r.redirects[0].url);
  EXPECT_EQ(std::vector<std::string>{"session=abc; Path=/"}, r.redirects[0].Fields("Set-Cookie"));
  EXPECT_EQ(server_->Url("/echo"), r.header.url);
  EXPECT_EQ((std::vector<std::string>{"POST /login", "GET /echo"}), seen_);

  req.followRedirects = false;
  r = CPHttpPerform(req);
  ASSERT_EQ(noErr, r.error);
  EXPECT_EQ(302, r.status);
  EXPECT_EQ("echo", r.header.Field("Location"));
  EXPECT_FALSE(r.IsSuccess());
}

// An HTTP error is an answer, not a failure of the exchange.
TEST_F(CPHttpTest, ErrorStatusIsAnAnswer) {
  CPHttpResponse r = CPHttpPerform(Request("/nowhere"));
  EXPECT_EQ(noErr, r.error);
  EXPECT_EQ(404, r.status);
  EXPECT_FALSE(r.IsSuccess());
}

TEST_F(CPHttpTest, FailuresAnswerTheirCodes) {
  CPHttpRequest slow = Request("/slow");
  slow.timeoutMs = 300;
  EXPECT_EQ(kCPErrHttpTimeout, CPHttpPerform(slow).error);

  CPHttpRequest loop = Request("/loop");
  loop.maxRedirects = 3;
  EXPECT_EQ(kCPErrHttpTooManyRedirects, CPHttpPerform(loop).error);

  CPHttpRequest big = Request("/big");
  big.maxResponseBytes = 100;
  CPHttpResponse r = CPHttpPerform(big);
  EXPECT_EQ(kCPErrHttpTooLarge, r.error);
  EXPECT_TRUE(r.body.empty());

  CPHttpRequest cancelled = Request("/big");
  cancelled.progress = [](uint64_t, uint64_t) { return false; };
  EXPECT_EQ(userCanceledErr, CPHttpPerform(cancelled).error);

  // A redirection may not lead out of the web.
  EXPECT_EQ(kCPErrHttpBadURL, CPHttpPerform(Request("/to-file")).error);
}

TEST(CPHttp, NobodyListening) {
  std::string url;
  {
    VYXTestHttpServer gone;
    url = gone.Url("/");
  }
  CPHttpRequest req;
  req.url = url;
  EXPECT_EQ(kCPErrHttpCannotConnect, CPHttpPerform(req).error);
}

// Requests that must not leave the machine as they are.
TEST(CPHttp, UnsafeRequestsAreRefusedBeforeSending) {
  struct Case {
    const char* url;
    const char* method;
    const char* header;
    OSErr error;
  } cases[] = {
      {"", "GET", "", kCPErrHttpBadURL},
      {"file:///etc/passwd", "GET", "", kCPErrHttpBadURL},
      {"ftp://127.0.0.1/x", "GET", "", kCPErrHttpBadURL},
      {"http://", "GET", "", kCPErrHttpBadURL},
      {"http://127.0.0.1:1/", "GET /admin HTTP/1.0\r\n", "", kCPErrHttpBadRequest},
      {"http://127.0.0.1:1/", "", "", kCPErrHttpBadRequest},
      {"http://127.0.0.1:1/", "GET", "X-A: b\r\nX-Injected: c", kCPErrHttpBadRequest},
      {"http://127.0.0.1:1/", "GET", "no colon", kCPErrHttpBadRequest},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " " + c.method + " " + c.header);
    CPHttpRequest req;
    req.url = c.url;
    req.method = c.method;
    if (*c.header) req.headers.push_back(c.header);
    EXPECT_EQ(c.error, CPHttpPerform(req).error);
  }
}

TEST(CPHttp, EscapeKeepsOnlyUnreservedBytes) {
  EXPECT_EQ("abc-XYZ_0.9~", CPHttpEscape("abc-XYZ_0.9~"));
  EXPECT_EQ("a%20b%26c%3Dd%2F%25", CPHttpEscape("a b&c=d/%"));
  EXPECT_EQ("caf%C3%A9", CPHttpEscape("café"));
}

}  // namespace
