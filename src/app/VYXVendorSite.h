// Addresses on the vendor's web server: the version check, the scripts that
// update currency rates and security quotes, and the folder of bank scripts.
// The server is the user's "VYXWebSite:Host" setting; without it there is no
// address and nothing is sent anywhere.
#ifndef VYX_APP_VYXVENDORSITE_H_
#define VYX_APP_VYXVENDORSITE_H_

#include <string>

class VYXGlobalPreferences;

// What the server is told about the program asking. The platform code stays
// "MAC": it is the only one the server's answers are written for, and an
// unknown code could be refused; the program behaves the same on every system.
constexpr const char* kVYXProductCode = "VYX_ENT";
constexpr const char* kVYXPlatformCode = "MAC";
constexpr const char* kVYXLocationCode = "FR";
constexpr const char* kVYXScriptsFolder = "/vyx/scripts/3.1.0/";

// The program's version, as "0.1.0".
std::string VYXApplicationVersion();

// The server's base address from a host setting: "host" or "host:port" are
// reached over http; an address that begins with "http://" or "https://" is
// taken as it is. A final "/" is dropped. False for an empty setting or one
// that is not a plain web address (blanks, control or non-ASCII characters,
// credentials, a query or a fragment).
bool VYXWebSiteBaseFromHost(const std::string& host, std::string* base);
bool VYXGetWebSiteBase(const VYXGlobalPreferences& prefs, std::string* base);

// base + "/index.php?query=<query>&product=^1&version=^2&platform=^3&loc=^4",
// the four values filled in and escaped.
std::string VYXServiceURL(const std::string& base, const std::string& query, const std::string& version);

// The addresses themselves; false when no server is set.
bool VYXGetCheckUpdatesURL(const VYXGlobalPreferences& prefs, std::string* url);
bool VYXGetDevisesUpdateScriptURL(const VYXGlobalPreferences& prefs, std::string* url);
bool VYXGetTitreUpdateScriptURL(const VYXGlobalPreferences& prefs, std::string* url);
bool VYXGetTitreInfosScriptURL(const VYXGlobalPreferences& prefs, std::string* url);
// The folder of bank scripts, or one script in it (its MacRoman name sent as
// UTF-8, escaped).
bool VYXGetScriptURL(const VYXGlobalPreferences& prefs, std::string* url);
bool VYXGetScriptURL(const VYXGlobalPreferences& prefs, const std::string& scriptName, std::string* url);

#endif  // VYX_APP_VYXVENDORSITE_H_
