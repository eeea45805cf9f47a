// Cookies of the web sessions of one script run, kept as a browser keeps
// them: each belongs to the host (or domain) that set it, to a path and, when
// secure, to https; it goes only with requests to them and is forgotten when
// its server says so (Max-Age, Expires). A cookie whose Domain is not the
// setting host's own is refused, so that one site cannot plant or read
// another's.
#ifndef VYX_ONLINE_CPHTMLCOOKIE_H_
#define VYX_ONLINE_CPHTMLCOOKIE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CPHtmlCookie {
  std::string name;
  std::string value;
  std::string domain;       // lower case, without a leading "."
  std::string path = "/";
  uint32_t version = 1;
  int32_t maxAge = -1;      // seconds; -1 when the server gave none
  uint32_t secure = 0;
  bool hostOnly = true;     // no Domain attribute: this very host only
  long long expires = 0;    // Unix time; 0 for a cookie of the session
};

// The parts of an address that cookies depend on.
struct CPUrlParts {
  std::string scheme;  // lower case
  std::string host;    // lower case, without the port
  std::string path;    // "/" at least, without query
};
CPUrlParts CPSplitUrl(std::string_view url);

class CPHtmlCookieJar {
 public:
  // Reads one Set-Cookie value received from `url` and stores it (AddCookie).
  // False when it was refused (no name, another site's domain).
  bool ReadCookie(std::string_view setCookie, std::string_view url);
  // Stores a cookie: one of the same name, domain and path (case ignored) is
  // replaced, or removed when the new one has expired (Max-Age 0).
  void AddCookie(const CPHtmlCookie& cookie);
  // The cookies that go with a request to `url`, in the order stored.
  std::vector<CPHtmlCookie> CookiesFor(std::string_view url) const;
  const std::vector<CPHtmlCookie>& Cookies() const { return cookies_; }

 private:
  std::vector<CPHtmlCookie> cookies_;
};

// The request's cookie header ("Cookie: ..."), or empty without cookies: the
// cookies each with its path and, when set by a Domain attribute, its domain.
std::string CPCookiesHeader(const std::vector<CPHtmlCookie>& cookies);

// Now, in Unix time, from the system's clock (CPClock).
long long CPUnixNow();

#endif  // VYX_ONLINE_CPHTMLCOOKIE_H_
