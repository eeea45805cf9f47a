#include "online/CPFileContainer.h"

#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPFilesPack.h"
#include "online/CPOnlineErrors.h"
#include "online/CPSimpleScriptRef.h"
#include "platform/CPHttp.h"

namespace fs = std::filesystem;

CPFileContainer CPFileContainer::Folder(const fs::path& folder) {
  CPFileContainer c;
  c.kind_ = kFolder;
  c.folder_ = folder;
  return c;
}

CPFileContainer CPFileContainer::Url(const std::string& baseUrl) {
  CPFileContainer c;
  c.kind_ = kUrl;
  c.baseUrl_ = baseUrl;
  while (!c.baseUrl_.empty() && c.baseUrl_.back() == '/') c.baseUrl_.pop_back();
  return c;
}

CPFileContainer CPFileContainer::Pack(const fs::path& packFile) {
  CPFileContainer c;
  c.kind_ = kFilesPack;
  c.pack_ = CPFilesPack::Open(packFile);
  c.folder_ = packFile;
  return c;
}

void CPCheckRelativeName(const std::string& relative) {
  bool bad = relative.empty() || relative[0] == '/' || relative[0] == '\\' ||
             relative.find("://") != std::string::npos || relative.find('\\') != std::string::npos;
  for (unsigned char c : relative)
    if (c < 0x20 || c == 0x7F) bad = true;
  for (const auto& part : fs::path(relative))
    if (part == "..") bad = true;
  if (bad) CPThrowList(kCPErrScriptConfined, kCPOnlineTextsList, kCPTextScriptConfined, {relative});
}

bool CPPathIsInside(const fs::path& path, const fs::path& root) {
  std::error_code ec;
  fs::path r = fs::weakly_canonical(root, ec);
  if (ec) return false;
  fs::path p = fs::weakly_canonical(path, ec);
  if (ec) return false;
  auto [rootEnd, pathIt] = std::mismatch(r.begin(), r.end(), p.begin(), p.end());
  // A final empty element comes from a trailing separator of the root.
  return rootEnd == r.end() || (std::next(rootEnd) == r.end() && rootEnd->empty());
}

CPSimpleScriptRef CPFileContainer::Ref(const std::string& subFolder, const std::string& fileName) const {
  std::string relative = subFolder.empty() ? fileName : subFolder + "/" + fileName;
  CPCheckRelativeName(relative);
  std::string utf8 = MacRomanToUtf8(relative);
  if (kind_ == kFilesPack) return CPSimpleScriptRef::PackEntry(pack_, utf8);
  if (kind_ == kUrl) {
    std::string url = baseUrl_;
    for (const auto& part : fs::path(utf8)) url += "/" + CPHttpEscape(part.string());
    return CPSimpleScriptRef::Url(url);
  }
  fs::path path = folder_ / fs::path(utf8);
  if (!CPPathIsInside(path, folder_))
    CPThrowList(kCPErrScriptConfined, kCPOnlineTextsList, kCPTextScriptConfined, {relative});
  return CPSimpleScriptRef::File(path);
}
