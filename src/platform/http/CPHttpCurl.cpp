// The web exchange itself, through libcurl: built as the module vyx-http,
// which the program loads the first time a command goes on the web, so that
// libcurl and the thirty libraries it pulls in (TLS, Kerberos, LDAP, IDN...)
// cost nothing to the commands that never do.
#include "platform/CPHttp.h"

#include <curl/curl.h>

#include <cctype>
#include <mutex>

#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

// A method is a token: what the protocol allows, and nothing that could end
// the request line early.
bool IsToken(std::string_view s) {
  static constexpr std::string_view kExtra = "!#$%&'*+-.^_`|~";
  if (s.empty()) return false;
  for (char c : s) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && kExtra.find(c) == std::string_view::npos) return false;
  }
  return true;
}

// A header line must not carry a line end, which would let a value smuggle
// further headers or a body into the request.
bool IsSafeHeaderLine(std::string_view line) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return false;
  return line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The response headers as libcurl hands them over, line by line, for every
// answer of the exchange (interim 1xx answers and redirections included).
struct Exchange {
  const CPHttpRequest* request = nullptr;
  CPHttpResponse* response = nullptr;
  std::vector<CPHttpHeader> blocks;
  bool tooLarge = false;
  bool cancelled = false;
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  size_t n = size * count;
  std::string_view line(data, n);
  if (line.substr(0, 5) == "HTTP/") {
    // An interim answer (100 Continue) says nothing about the final one.
    if (!ex->blocks.empty() && ex->blocks.back().status >= 100 && ex->blocks.back().status < 200) {
      ex->blocks.pop_back();
    }
    CPHttpHeader block;
    block.statusLine = std::string(Trim(line));
    size_t sp = block.statusLine.find(' ');
    if (sp != std::string::npos) block.status = std::strtol(block.statusLine.c_str() + sp + 1, nullptr, 10);
    block.raw.append(line);
    ex->blocks.push_back(std::move(block));
    return n;
  }
  if (ex->blocks.empty()) return n;
  CPHttpHeader& block = ex->blocks.back();
  block.raw.append(line);
  std::string_view content = Trim(line);
  if (content.empty()) return n;
  if ((line[0] == ' ' || line[0] == '\t') && !block.fields.empty()) {
    // An old-style continuation of the previous field's value.
    block.fields.back().second.append(" ").append(content);
    return n;
  }
  size_t colon = content.find(':');
  if (colon == std::string_view::npos) return n;
  block.fields.emplace_back(std::string(Trim(content.substr(0, colon))),
                            std::string(Trim(content.substr(colon + 1))));
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  size_t n = size * count;
  if (ex->response->body.size() + n > ex->request->maxResponseBytes) {
    ex->tooLarge = true;
    return 0;  // libcurl stops with a write error
  }
  ex->response->body.append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto* ex = static_cast<Exchange*>(user);
  if (ex->request->progress(static_cast<uint64_t>(received), static_cast<uint64_t>(total))) return 0;
  ex->cancelled = true;
  return 1;
}

OSErr FromCurl(CURLcode code, const Exchange& ex) {
  switch (code) {
    case CURLE_OK: return noErr;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: return kCPErrHttpBadURL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return kCPErrHttpHostNotFound;
    case CURLE_COULDNT_CONNECT: return kCPErrHttpCannotConnect;
    case CURLE_OPERATION_TIMEDOUT: return kCPErrHttpTimeout;
    case CURLE_TOO_MANY_REDIRECTS: return kCPErrHttpTooManyRedirects;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return kCPErrHttpSecureFailed;
    case CURLE_OUT_OF_MEMORY: return memFullErr;
    case CURLE_ABORTED_BY_CALLBACK: return ex.cancelled ? userCanceledErr : OSErr(kCPErrHttpTransfer);
    case CURLE_WRITE_ERROR: return ex.tooLarge ? kCPErrHttpTooLarge : kCPErrHttpTransfer;
    case CURLE_FILESIZE_EXCEEDED: return kCPErrHttpTooLarge;
    default: return kCPErrHttpTransfer;
  }
}

// Where a redirection's Location leads, resolved against the address that gave it.
std::string Resolve(const std::string& base, const std::string& location) {
  CURLU* u = curl_url();
  std::string result = location;
  if (curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(u, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK) {
    char* full = nullptr;
    if (curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK) {
      result = full;
      curl_free(full);
    }
  }
  curl_url_cleanup(u);
  return result;
}

}  // namespace

static CPHttpResponse CPHttpCurlPerform(const CPHttpRequest& request) {
  CPHttpResponse response;
  if (request.url.empty()) {
    response.error = kCPErrHttpBadURL;
    return response;
  }
  if (!IsToken(request.method)) {
    response.error = kCPErrHttpBadRequest;
    return response;
  }
  for (const std::string& line : request.headers) {
    if (!IsSafeHeaderLine(line)) {
      response.error = kCPErrHttpBadRequest;
      return response;
    }
  }
  if (request.userAgent.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
    response.error = kCPErrHttpBadRequest;
    return response;
  }

  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) {
    response.error = memFullErr;
    return response;
  }
  Exchange ex;
  ex.request = &request;
  ex.response = &response;
  char errorBuffer[CURL_ERROR_SIZE] = {0};

  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  // Neither the first address nor a redirection may lead to a file, a mail
  // server or anything but the web.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, request.maxRedirects);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &ex);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ex);
  if (request.progress) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &ex);
  }
  if (!request.userAgent.empty()) curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent.c_str());

  if (request.method == "GET") {
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  } else if (request.method == "HEAD") {
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  } else if (request.method == "POST") {
    // Plain POST rather than a custom method, so that a 302 or 303 answer is
    // followed with a GET, as browsers and the sites written for them expect.
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
  } else {
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }
  if (request.method != "GET" && request.method != "HEAD" && (!request.body.empty() || request.method == "POST")) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
  }

  curl_slist* headers = nullptr;
  bool hasExpect = false;
  for (const std::string& line : request.headers) {
    headers = curl_slist_append(headers, line.c_str());
    hasExpect = hasExpect || EqualsIgnoringCase(std::string_view(line).substr(0, line.find(':')), "Expect");
  }
  // Some servers never answer "100 Continue": send bodies at once.
  if (!hasExpect) headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

  CURLcode code = curl_easy_perform(curl);
  response.error = FromCurl(code, ex);
  if (code != CURLE_OK) response.errorDetail = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);

  char* effective = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
    response.finalUrl = effective;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  response.status = status;
  char* contentType = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
    response.contentType = contentType;
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);

  if (!ex.blocks.empty() && ex.blocks.back().status >= 100 && ex.blocks.back().status < 200) {
    ex.blocks.pop_back();
  }
  std::string url = request.url;
  for (size_t i = 0; i < ex.blocks.size(); ++i) {
    ex.blocks[i].url = url;
    if (i + 1 < ex.blocks.size()) url = Resolve(url, ex.blocks[i].Field("Location"));
  }
  if (!ex.blocks.empty()) {
    response.header = std::move(ex.blocks.back());
    ex.blocks.pop_back();
    response.redirects = std::move(ex.blocks);
  }
  if (response.error != noErr) response.body.clear();
  return response;
}

// What the program looks up once it has loaded the module.
extern "C" {
__attribute__((visibility("default"))) CPHttpResponse (*vyx_http_perform)(const CPHttpRequest&) =
    &CPHttpCurlPerform;
}
