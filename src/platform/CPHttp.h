// Web requests: one HTTP(S) exchange, downloaded into memory while following
// redirections, made synchronously on the calling thread. Nothing here throws:
// the response carries a code (noErr, userCanceledErr, a system code or one of
// CPPlatformErrors.h) and the layers above decide what to raise or show.
//
// A response with an HTTP error status (404, 500...) is still an answer: its
// status, headers and body are returned with the code noErr, as a browser shows
// the server's error page; IsSuccess() tells the two apart.
#ifndef VYX_PLATFORM_CPHTTP_H_
#define VYX_PLATFORM_CPHTTP_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CPMacTypes.h"

struct CPHttpRequest {
  std::string url;             // http:// or https:// only, also after redirections
  std::string method = "GET";  // HEAD sends no body back; other names are sent as they are
  // Header fields as "Name: value" lines (no line ends inside).
  std::vector<std::string> headers;
  std::string body;            // sent when not empty
  std::string userAgent;       // none sent when empty

  long connectTimeoutMs = 15000;
  long timeoutMs = 120000;     // the whole exchange, redirections included
  bool followRedirects = true;
  long maxRedirects = 10;
  size_t maxResponseBytes = 64u << 20;

  // Called while the exchange waits, with the bytes received so far and the
  // announced total (0 when unknown); answering false cancels (userCanceledErr).
  std::function<bool(uint64_t received, uint64_t total)> progress;

  void AddHeader(std::string_view name, std::string_view value);
};

// The header of one HTTP answer.
struct CPHttpHeader {
  std::string url;        // the address that gave it
  long status = 0;
  std::string statusLine;  // "HTTP/1.1 200 OK"
  std::string raw;         // every line as received, each ended by CR LF
  std::vector<std::pair<std::string, std::string>> fields;  // in order, names as sent

  // The first value of a field, names compared ignoring case; empty when absent.
  std::string Field(std::string_view name) const;
  // Every value of a field (Set-Cookie comes several times).
  std::vector<std::string> Fields(std::string_view name) const;
};

struct CPHttpResponse {
  OSErr error = 0;
  std::string errorDetail;  // the transport's own words, for logs; not for the user

  std::string finalUrl;     // after redirections
  long status = 0;
  CPHttpHeader header;      // the final answer's
  // The answers that redirected to the next one, in order: cookies may be set there.
  std::vector<CPHttpHeader> redirects;
  std::string contentType;
  std::string body;

  bool IsSuccess() const { return error == 0 && status >= 200 && status < 300; }
};

CPHttpResponse CPHttpPerform(const CPHttpRequest& request);

// Percent-encodes every byte but unreserved ones (letters, digits, "-._~"), for
// values put in a query.
std::string CPHttpEscape(std::string_view text);

#endif  // VYX_PLATFORM_CPHTTP_H_
