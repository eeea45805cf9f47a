#include "app/VYXVendorSite.h"

#include <cctype>

#include "app/VYXGlobalPreferences.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPHttp.h"

#ifndef VYX_VERSION
#error "VYX_VERSION must be defined by the build"
#endif

namespace {

bool StartsWithIgnoringCase(const std::string& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

// Fills "^1".."^4" of the query template.
void Fill(std::string& text, int n, const std::string& value) {
  std::string marker = "^" + std::to_string(n);
  size_t pos = text.find(marker);
  if (pos != std::string::npos) text.replace(pos, marker.size(), CPHttpEscape(value));
}

bool ServiceURL(const VYXGlobalPreferences& prefs, const char* query, std::string* url) {
  std::string base;
  if (!VYXGetWebSiteBase(prefs, &base)) return false;
  *url = VYXServiceURL(base, query, VYXApplicationVersion());
  return true;
}

}  // namespace

std::string VYXApplicationVersion() { return VYX_VERSION; }

bool VYXWebSiteBaseFromHost(const std::string& host, std::string* base) {
  size_t first = host.find_first_not_of(" \t");
  size_t last = host.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  std::string value = host.substr(first, last - first + 1);
  std::string scheme = "http://";
  if (StartsWithIgnoringCase(value, "https://")) {
    scheme = "https://";
    value.erase(0, 8);
  } else if (StartsWithIgnoringCase(value, "http://")) {
    value.erase(0, 7);
  }
  while (!value.empty() && value.back() == '/') value.pop_back();
  // Another scheme is not a web server.
  if (value.empty() || value[0] == '/' || value[0] == ':' || value.find("://") != std::string::npos) return false;
  for (unsigned char c : value) {
    // Credentials, queries and fragments have no place in a server setting, and
    // would change what the built addresses mean.
    if (c <= 0x20 || c >= 0x7F || c == '@' || c == '?' || c == '#' || c == '\\' || c == '"' || c == '<' ||
        c == '>') {
      return false;
    }
  }
  *base = scheme + value;
  return true;
}

bool VYXGetWebSiteBase(const VYXGlobalPreferences& prefs, std::string* base) {
  std::string host;
  return prefs.GetWebSiteHost(&host) && VYXWebSiteBaseFromHost(host, base);
}

std::string VYXServiceURL(const std::string& base, const std::string& query, const std::string& version) {
  std::string tail = "&product=^1&version=^2&platform=^3&loc=^4";
  Fill(tail, 1, kVYXProductCode);
  Fill(tail, 2, version);
  Fill(tail, 3, kVYXPlatformCode);
  Fill(tail, 4, kVYXLocationCode);
  return base + "/index.php?query=" + query + tail;
}

bool VYXGetCheckUpdatesURL(const VYXGlobalPreferences& prefs, std::string* url) {
  return ServiceURL(prefs, "checkUpdates", url);
}

bool VYXGetDevisesUpdateScriptURL(const VYXGlobalPreferences& prefs, std::string* url) {
  return ServiceURL(prefs, "devisesUpdateScript", url);
}

bool VYXGetTitreUpdateScriptURL(const VYXGlobalPreferences& prefs, std::string* url) {
  return ServiceURL(prefs, "titreUpdateScript", url);
}

bool VYXGetTitreInfosScriptURL(const VYXGlobalPreferences& prefs, std::string* url) {
  return ServiceURL(prefs, "titreInfosScript", url);
}

bool VYXGetScriptURL(const VYXGlobalPreferences& prefs, std::string* url) {
  std::string base;
  if (!VYXGetWebSiteBase(prefs, &base)) return false;
  *url = base + kVYXScriptsFolder;
  return true;
}

bool VYXGetScriptURL(const VYXGlobalPreferences& prefs, const std::string& scriptName, std::string* url) {
  if (!VYXGetScriptURL(prefs, url)) return false;
  *url += CPHttpEscape(MacRomanToUtf8(scriptName));
  return true;
}
