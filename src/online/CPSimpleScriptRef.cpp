#include "online/CPSimpleScriptRef.h"

#include <fstream>
#include <iterator>

#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPFilesPack.h"
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

CPSimpleScriptRef CPSimpleScriptRef::PackEntry(std::shared_ptr<const CPFilesPack> pack, const std::string& name) {
  CPSimpleScriptRef r;
  r.kind_ = kFilesPack;
  r.pack_ = std::move(pack);
  r.entry_ = name;
  return r;
}

std::string CPSimpleScriptRef::Name() const {
  if (kind_ == kFilesPack) return CPShownText(entry_);
  return CPShownText(kind_ == kUrl ? url_ : path_.filename().string());
}

std::string CPSimpleScriptRef::GetStream() const {
  if (kind_ == kFilesPack) {
    size_t index = pack_ ? pack_->Find(entry_) : CPFilesPack::npos;
    if (index == CPFilesPack::npos)
      CPThrowList(kCPErrScriptNotFound, kCPOnlineTextsList, kCPTextScriptNotFound, {Name()});
    return pack_->GetEntry(index);
  }
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
