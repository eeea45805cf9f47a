// The check for a newer version of the program on the vendor's web server:
// whether it is due, the request, the reading of the server's answer and what
// the user is told or asked. Failures of the exchange end the check quietly
// unless the user asked for it; opening a web page is left to the caller, which
// receives the address.
#ifndef VYX_APP_VYXVERSIONCHECK_H_
#define VYX_APP_VYXVERSIONCHECK_H_

#include <string>
#include <string_view>

#include "app/VYXVendorSite.h"
#include "platform/CPMacTypes.h"

class VYXGlobalPreferences;

// The server's answer: lines of a key, a tab and a value. Texts in MacRoman.
struct VYXVersionAnswer {
  bool update = false;   // "UPDATE" is "Y"
  std::string message;   // "MESSAGE", as plain text (lines ended by CR)
  std::string download;  // "DOWNLOAD": the new version itself
  std::string web;       // "WEB": a page about it
};

// Reads an answer as the server sends it (UTF-8, or Windows Latin-1 when it is
// not UTF-8). Keys are compared ignoring case; other keys are ignored; the
// last line of a key wins.
VYXVersionAnswer VYXReadVersionAnswer(std::string_view bytes);

// Plain text of an HTML fragment (MacRoman in and out): tags dropped, line
// breaks and paragraphs as CR, runs of blanks as one, entities decoded
// (characters MacRoman lacks become "?").
std::string VYXHtmlToText(std::string_view html);

// Whether the automatic check should run `today`: "VYXCheckNewVersion:DoIt" is
// set and today is a later calendar day than the last check plus the delay. A
// last check dated after today (a clock that was wrong) does not hold the
// check back.
bool VYXVersionCheckIsDue(const VYXGlobalPreferences& prefs, CPDate today);

enum class VYXVersionCheckOutcome {
  kNotDue,        // automatic check, not due or switched off
  kNoWebSite,     // no server is set: nothing was sent
  kFailed,        // no answer, or an HTTP error: see `error`
  kUpToDate,
  kUpdateAvailable,
};

struct VYXVersionCheckResult {
  VYXVersionCheckOutcome outcome = VYXVersionCheckOutcome::kNotDue;
  OSErr error = 0;
  VYXVersionAnswer answer;
  // The "WEB" address when the user agreed to see it: the caller opens it.
  std::string pageToOpen;
};

struct VYXVersionCheckOptions {
  std::string version = VYXApplicationVersion();
  long connectTimeoutMs = 10000;
  long timeoutMs = 30000;
};

// The check itself. `force` (the user asked) skips the delay rule and reports
// every outcome; the automatic check tells the user only of a new version.
// Records today as the last check whenever the server answered.
VYXVersionCheckResult VYXCheckApplicationVersion(VYXGlobalPreferences& prefs, bool force,
                                                 const VYXVersionCheckOptions& options = {});

#endif  // VYX_APP_VYXVERSIONCHECK_H_
