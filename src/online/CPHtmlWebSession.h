// One web session of a script: the address it asks for next, the folder of
// the page it came from (for relative addresses), the form values it posts,
// and the cookie jar it shares with the script's other sessions. Get and Post
// send through the platform's HTTP layer (TLS always verified), following
// redirections themselves so that cookies set on the way are kept and sent
// only where they belong.
//
// A failed exchange raises kCPErrWebAccess with "Impossible de se connecter
// à ..." (or "Impossible de télécharger ..." for a GET) and the reason; a
// request the user cancels answers false and stores nothing.
#ifndef VYX_ONLINE_CPHTMLWEBSESSION_H_
#define VYX_ONLINE_CPHTMLWEBSESSION_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "online/CPHtmlCookie.h"
#include "online/CPHtmlWebPage.h"

struct CPHtmlInputItem {
  std::string type;  // "text", "hidden", "image"...
  std::string name;
  std::string value;
};

// How far an exchange may go, and where it reports what it sends (the log).
struct CPWebSettings {
  long connectTimeoutMs = 15000;
  long timeoutMs = 60000;             // the whole exchange
  size_t maxResponseBytes = 8u << 20;  // a bank's page is far smaller
  long maxRedirects = 10;
  std::string userAgent;
  // Called before each request with its address, cookie header and body.
  std::function<void(const std::string& url, const std::string& header, const std::string& body)> onRequest;
};

// The address a request R means from the base folder B: B itself when R is
// empty, R when it is absolute, the host of B and R when R starts with "/",
// B less one folder for each leading "../", else B, "/" and R.
std::string CPResolveUrl(const std::string& base, const std::string& request);
// The folder of an address: up to its last "/" (query left out).
std::string CPUrlFolder(const std::string& url);
// A form value as the body carries it: every byte but letters, digits and
// "-._~" percent-encoded, a blank as "+"; a value in double quotes as it stands.
std::string CPFormEncode(const std::string& value);

class CPHtmlWebSession {
 public:
  explicit CPHtmlWebSession(std::shared_ptr<CPHtmlCookieJar> jar);
  // A session from an item of `page` (from 1): a form (its action and its
  // fields), a link (its address and the parameters of its query) or a frame.
  CPHtmlWebSession(const CPHtmlWebPage& page, int itemIndex, std::shared_ptr<CPHtmlCookieJar> jar);

  std::string GetRequestUrl() const { return CPResolveUrl(baseUrl_, requestUrl_); }
  void SetRequestUrl(const std::string& url) { requestUrl_ = url; }
  void SetBaseUrl(const std::string& url) { baseUrl_ = url; }
  const std::string& GetBaseUrl() const { return baseUrl_; }
  std::string GetRequestBody() const;
  // The cookie header of a request to `url`, or empty.
  std::string GetCookiesHeader(const std::string& url) const;

  void SetFormClicPos(long x, long y);
  void AddFormValue(const std::string& name, const std::string& value, const std::string& type = "text");
  void SetFormValue(const std::string& name, const std::string& value);
  bool GetFormValue(const std::string& name, std::string* value) const;
  const std::vector<CPHtmlInputItem>& FormValues() const { return form_; }
  void SetFormValues(const std::vector<CPHtmlInputItem>& values) { form_ = values; }

  std::shared_ptr<CPHtmlCookieJar> Cookies() const { return jar_; }
  void SetCookies(std::shared_ptr<CPHtmlCookieJar> jar) { jar_ = std::move(jar); }

  // False when the user cancelled; raises on failure.
  bool Get(CPHtmlWebPage& page, const CPWebSettings& settings) { return Send(false, page, settings); }
  bool Post(CPHtmlWebPage& page, const CPWebSettings& settings) { return Send(true, page, settings); }

 private:
  bool Send(bool post, CPHtmlWebPage& page, const CPWebSettings& settings);

  std::string requestUrl_;
  std::string baseUrl_;
  std::vector<CPHtmlInputItem> form_;
  long clickX_ = 0;
  long clickY_ = 0;
  std::shared_ptr<CPHtmlCookieJar> jar_;
};

#endif  // VYX_ONLINE_CPHTMLWEBSESSION_H_
