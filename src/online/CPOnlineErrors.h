// What the script interpreter, the web access and the statement download
// raise, and the string lists their texts come from (res/strings.fr).
#ifndef VYX_ONLINE_CPONLINEERRORS_H_
#define VYX_ONLINE_CPONLINEERRORS_H_

#include <cstdint>

enum : int16_t {
  kCPErrScriptNotFound = 3500,   // a script file that is not there
  kCPErrScriptConfined = 3501,   // INCLUDE or DO outside the folders a script may read
  kCPErrScriptLimit = 3502,      // too many commands, requests or nested scripts
  kCPErrScriptTooLarge = 3503,   // a script file too large to be one
  kCPErrWebAccess = 3504,        // a request that failed (message names the address)
  kCPErrBankError = 3505,        // the bank script reported an error (ACTION=ERREUR)
  kCPErrNoCredentials = 3506,    // no keyring to keep a password in
};

// Messages with variables (^1...).
constexpr int kCPOnlineTextsList = 30800;
enum : int {
  kCPTextScriptNotFound = 1,      // ^1 the script
  kCPTextScriptConfined = 2,      // ^1 the file asked for
  kCPTextTooManyCommands = 3,     // ^1 the limit
  kCPTextTooManyRequests = 4,     // ^1 the limit
  kCPTextTooDeep = 5,             // ^1 the limit
  kCPTextScriptTooLarge = 6,      // ^1 the script
  kCPTextCannotConnect = 7,       // ^1 the address, ^2 the reason
  kCPTextCannotDownload = 8,      // ^1 the address, ^2 the reason
  kCPTextBankError = 9,           // ^1 the code, ^2 the message
  kCPTextHttpStatus = 10,         // ^1 the status line
  kCPTextNoKeyring = 12,          // ^1 the keyring's reason
  kCPTextPackUnreadable = 13,     // ^1 the pack, ^2 the reason
  kCPTextPackConfined = 14,       // ^1 the pack, ^2 the entry
  kCPTextPackTooLarge = 15,       // ^1 the pack, ^2 the entries, ^3 the megabytes
};

#endif  // VYX_ONLINE_CPONLINEERRORS_H_
