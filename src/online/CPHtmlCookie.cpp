#include "online/CPHtmlCookie.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "online/CPScriptText.h"
#include "platform/CPClock.h"

namespace {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool DomainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath.rfind(cookiePath, 0) != 0) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
         requestPath[cookiePath.size()] == '/';
}

// An Expires date as servers write it ("Thu, 01 Jan 1970 00:00:00 GMT", or
// with dashes as older servers do), in Unix time; -1 when it does not read.
long long HttpDate(const std::string& text) {
  for (const char* format : {"%a, %d %b %Y %H:%M:%S", "%a, %d-%b-%Y %H:%M:%S", "%A, %d-%b-%y %H:%M:%S"}) {
    std::tm tm{};
    const char* end = strptime(text.c_str(), format, &tm);
    if (end) return static_cast<long long>(timegm(&tm));
  }
  return -1;
}

bool Expired(const CPHtmlCookie& c, long long now) { return c.expires != 0 && c.expires <= now; }

}  // namespace

long long CPUnixNow() {
  constexpr long long kMacToUnix = 2082844800LL;  // 1904 to 1970
  long long local = static_cast<long long>(CPClock::Now()) - kMacToUnix;
  return local - CPClock::LocalOffset(local);
}

CPUrlParts CPSplitUrl(std::string_view url) {
  CPUrlParts parts;
  size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return parts;
  parts.scheme = Lower(std::string(url.substr(0, scheme)));
  std::string_view rest = url.substr(scheme + 3);
  size_t slash = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, slash);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);
  if (!authority.empty() && authority[0] == '[') {
    parts.host = Lower(std::string(authority.substr(0, authority.find(']') + 1)));
  } else {
    parts.host = Lower(std::string(authority.substr(0, authority.find(':'))));
  }
  std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  path = path.substr(0, path.find_first_of("?#"));
  parts.path = path.empty() ? "/" : std::string(path);
  return parts;
}

bool CPHtmlCookieJar::ReadCookie(std::string_view setCookie, std::string_view url) {
  CPUrlParts from = CPSplitUrl(url);
  CPHtmlCookie cookie;
  size_t semi = setCookie.find(';');
  std::string pair = Trim(setCookie.substr(0, semi));
  size_t eq = pair.find('=');
  if (eq == std::string::npos) return false;
  cookie.name = Trim(pair.substr(0, eq));
  cookie.value = Trim(pair.substr(eq + 1));
  if (cookie.name.empty()) return false;
  cookie.domain = from.host;
  bool hasMaxAge = false;
  while (semi != std::string_view::npos) {
    setCookie = setCookie.substr(semi + 1);
    semi = setCookie.find(';');
    std::string attribute = Trim(setCookie.substr(0, semi));
    size_t aeq = attribute.find('=');
    std::string name = Trim(attribute.substr(0, aeq));
    std::string value = aeq == std::string::npos ? std::string() : Trim(attribute.substr(aeq + 1));
    if (CPScriptSameName(name, "Domain")) {
      std::string domain = Lower(value);
      while (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
      if (domain.empty()) continue;
      if (!DomainMatches(from.host, domain)) return false;  // another site's cookie
      cookie.domain = domain;
      cookie.hostOnly = domain == from.host;
    } else if (CPScriptSameName(name, "Path")) {
      if (!value.empty() && value[0] == '/') cookie.path = value;
    } else if (CPScriptSameName(name, "Max-Age")) {
      hasMaxAge = true;
      cookie.maxAge = static_cast<int32_t>(std::clamp(CPScriptLong(value), -1L, 400L * 86400));
      cookie.expires = cookie.maxAge <= 0 ? 1 : CPUnixNow() + cookie.maxAge;
    } else if (CPScriptSameName(name, "Expires")) {
      if (hasMaxAge) continue;  // Max-Age wins
      long long t = HttpDate(value);
      if (t != -1) cookie.expires = t <= 0 ? 1 : t;
    } else if (CPScriptSameName(name, "Secure")) {
      cookie.secure = 1;
    } else if (CPScriptSameName(name, "Version")) {
      cookie.version = static_cast<uint32_t>(std::max(0L, CPScriptLong(value)));
    }
  }
  if (cookie.expires != 0 && cookie.expires <= CPUnixNow()) cookie.maxAge = 0;
  AddCookie(cookie);
  return true;
}

void CPHtmlCookieJar::AddCookie(const CPHtmlCookie& cookie) {
  bool gone = cookie.maxAge == 0 || Expired(cookie, CPUnixNow());
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const CPHtmlCookie& c) {
    return CPScriptSameName(c.name, cookie.name) && CPScriptSameName(c.domain, cookie.domain) &&
           CPScriptSameName(c.path, cookie.path);
  });
  if (same != cookies_.end()) {
    if (gone) cookies_.erase(same);
    else *same = cookie;
  } else if (!gone) {
    cookies_.push_back(cookie);
  }
}

std::vector<CPHtmlCookie> CPHtmlCookieJar::CookiesFor(std::string_view url) const {
  CPUrlParts to = CPSplitUrl(url);
  long long now = CPUnixNow();
  std::vector<CPHtmlCookie> out;
  for (const CPHtmlCookie& c : cookies_) {
    if (Expired(c, now)) continue;
    if (c.hostOnly ? to.host != c.domain : !DomainMatches(to.host, c.domain)) continue;
    if (!PathMatches(to.path, c.path)) continue;
    if (c.secure && to.scheme != "https") continue;
    out.push_back(c);
  }
  return out;
}

std::string CPCookiesHeader(const std::vector<CPHtmlCookie>& cookies) {
  if (cookies.empty()) return {};
  std::string header = "Cookie: $Version=\"1\"";
  for (const CPHtmlCookie& c : cookies) {
    header += ";" + c.name + "=";
    bool quoted = c.value.size() >= 2 && ((c.value.front() == '"' && c.value.back() == '"') ||
                                          (c.value.front() == '\'' && c.value.back() == '\''));
    header += quoted ? c.value : "\"" + c.value + "\"";
    if (!c.path.empty()) header += ";$Path=" + c.path;
    if (!c.hostOnly && !c.domain.empty()) header += ";$Domain=" + c.domain;
  }
  return header;
}
