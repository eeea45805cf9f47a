// Error codes that vyx's platform stand-ins answer beyond the system's own
// (CPOSErr.h): web requests and pages, drawing and the preference store. The platform only returns
// them; the layers above raise them, and their French texts are in the string
// table under "err". Stored or shown codes keep their meaning: never renumber.
#ifndef VYX_PLATFORM_CPPLATFORMERRORS_H_
#define VYX_PLATFORM_CPPLATFORMERRORS_H_

#include "platform/CPMacTypes.h"

// The resource layer holds 3101 onwards; these start at 3167.
enum : OSErr {
  // Web requests (CPHttp.h). A cancelled request answers userCanceledErr.
  kCPErrHttpBadURL = 3170,            // empty, malformed, or a scheme other than http(s)
  kCPErrHttpBadRequest = 3171,        // a method or header that cannot be sent as it is
  kCPErrHttpHostNotFound = 3172,      // the name (or the proxy's) does not resolve
  kCPErrHttpCannotConnect = 3173,     // nobody answers at that address and port
  kCPErrHttpTimeout = 3174,           // connection or transfer took longer than allowed
  kCPErrHttpTooManyRedirects = 3175,
  kCPErrHttpSecureFailed = 3176,      // TLS handshake or certificate refused
  kCPErrHttpTooLarge = 3177,          // the answer passed the request's size limit
  kCPErrHttpTransfer = 3178,          // the connection broke or the answer was malformed
  kCPErrHttpStatus = 3179,            // an answer came, with an HTTP error status
  kCPErrHttpUnavailable = 3169,       // the module that goes on the web cannot be loaded
  // Drawing (CPDraw.h).
  kCPErrDrawUnavailable = 3168,       // the module that draws charts and documents cannot be loaded
  // Web pages (the online layer's CPHtmlWebPage).
  kCPErrHtmlUnavailable = 3167,       // the module that reads web pages cannot be loaded
  // The preference store (CPPreferenceStore.h).
  kCPErrPrefsDamaged = 3180,          // the file is not a JSON object: it was set aside
  kCPErrPrefsBadValue = 3181,         // a text or path that the file cannot hold
};

#endif  // VYX_PLATFORM_CPPLATFORMERRORS_H_
