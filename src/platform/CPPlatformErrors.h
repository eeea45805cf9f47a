// Error codes that vyx's platform stand-ins answer beyond the system's own
// (CPOSErr.h): web requests and the preference store. The platform only returns
// them; the layers above raise them, and their French texts are in the string
// table under "err". Stored or shown codes keep their meaning: never renumber.
#ifndef VYX_PLATFORM_CPPLATFORMERRORS_H_
#define VYX_PLATFORM_CPPLATFORMERRORS_H_

#include "platform/CPMacTypes.h"

enum : OSErr {
  // Web requests (CPHttp.h). A cancelled request answers userCanceledErr.
  kCPErrHttpBadURL = 3101,            // empty, malformed, or a scheme other than http(s)
  kCPErrHttpBadRequest = 3102,        // a method or header that cannot be sent as it is
  kCPErrHttpHostNotFound = 3103,      // the name (or the proxy's) does not resolve
  kCPErrHttpCannotConnect = 3104,     // nobody answers at that address and port
  kCPErrHttpTimeout = 3105,           // connection or transfer took longer than allowed
  kCPErrHttpTooManyRedirects = 3106,
  kCPErrHttpSecureFailed = 3107,      // TLS handshake or certificate refused
  kCPErrHttpTooLarge = 3108,          // the answer passed the request's size limit
  kCPErrHttpTransfer = 3109,          // the connection broke or the answer was malformed
  kCPErrHttpStatus = 3110,            // an answer came, with an HTTP error status
  // The preference store (CPPreferenceStore.h).
  kCPErrPrefsDamaged = 3150,          // the file is not a JSON object: it was set aside
  kCPErrPrefsBadValue = 3151,         // a text or path that the file cannot hold
};

#endif  // VYX_PLATFORM_CPPLATFORMERRORS_H_
