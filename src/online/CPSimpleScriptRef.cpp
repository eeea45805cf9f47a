#include "online/CPSimpleScriptRef.h"

#include <fstream>
#include <iterator>

#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "platform/CPHttp.h"
#include "platform/CPPlatformErrors.h"

CPSimpleScriptRef CPSimpleScriptRef::File(const std::filesystem::path& path) {
  CPSimpleScriptRef r;
  r.kind_ = kLocalFile;
  r.path_ = path;
  return r;
}

CPSimpleScriptRef CPSimpleScriptRef::Url(const std::string& url) {
  CPSimpleScriptRef r;
  r.kind_ = kUrl;
  r.url_ = url;
  return r;
}

std::string CPSimpleScriptRef::Name() const {
  return CPShownText(kind_ == kUrl ? url_ : path_.filename().string());
}

std::string CPSimpleScriptRef::GetStream() const {
  if (kind_ == kUrl) {
    CPHttpRequest request;
    request.url = url_;
    request.maxResponseBytes = kCPScriptMaxBytes;
    request.timeoutMs = 60000;
    CPHttpResponse response = CPHttpPerform(request);
    if (response.error == kCPErrHttpTooLarge)
      CPThrowList(kCPErrScriptTooLarge, kCPOnlineTextsList, kCPTextScriptTooLarge, {Name()});
    if (!response.IsSuccess())
      CPThrowList(kCPErrScriptNotFound, kCPOnlineTextsList, kCPTextScriptNotFound, {Name()});
    return response.body;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path_, ec))
    CPThrowList(kCPErrScriptNotFound, kCPOnlineTextsList, kCPTextScriptNotFound, {Name()});
  if (std::filesystem::file_size(path_, ec) > kCPScriptMaxBytes)
    CPThrowList(kCPErrScriptTooLarge, kCPOnlineTextsList, kCPTextScriptTooLarge, {Name()});
  std::ifstream in(path_, std::ios::binary);
  if (!in) CPThrowList(kCPErrScriptNotFound, kCPOnlineTextsList, kCPTextScriptNotFound, {Name()});
  return std::string(std::istreambuf_iterator<char>(in), {});
}
