#include "online/CPFilesPack.h"

#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "online/CPSimpleScriptRef.h"
#include "platform/CPArchive.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Unreadable(const fs::path& path, const std::string& why) {
  CPThrowList(kCPErrScriptNotFound, kCPOnlineTextsList, kCPTextPackUnreadable,
              {CPShownText(path.filename().string()), CPShownText(why)});
}

}  // namespace

std::string CPFilesPackEntryName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name.find('\\') != std::string::npos) return {};
  std::string out;
  size_t start = 0;
  while (start <= name.size()) {
    size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    std::string part = name.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    out += (out.empty() ? "" : "/") + part;
  }
  return out;
}

std::shared_ptr<const CPFilesPack> CPFilesPack::Open(const fs::path& path) {
  std::shared_ptr<CPFilesPack> pack(new CPFilesPack(path));
  std::vector<CPArchiveEntry> headers;
  std::string why;
  if (!CPArchiveList(path, kMaxEntries, &headers, &why)) Unreadable(path, why);
  std::string shown = CPShownText(path.filename().string());
  uint64_t total = 0;
  for (size_t position = 0; position < headers.size(); ++position) {
    const CPArchiveEntry& header = headers[position];
    // Checked whatever the kind: a link or folder named "../x" says the pack is hostile.
    std::string clean = CPFilesPackEntryName(header.name);
    if (clean.empty() && CPFilesPackEntryName(header.name + "/x") != "x")
      CPThrowList(kCPErrScriptConfined, kCPOnlineTextsList, kCPTextPackConfined, {shown, CPShownText(header.name)});
    total += header.size;
    if (position >= kMaxEntries || total > kMaxUnpackedBytes)
      CPThrowList(kCPErrScriptTooLarge, kCPOnlineTextsList, kCPTextPackTooLarge,
                  {shown, std::to_string(kMaxEntries), std::to_string(kMaxUnpackedBytes >> 20)});
    if (header.regular) pack->entries_.push_back({clean, position, header.size});
  }
  return pack;
}

size_t CPFilesPack::Find(const std::string& name) const {
  std::string clean = CPFilesPackEntryName(name);
  if (clean.empty()) return npos;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == clean) return i;
  return npos;
}

std::string CPFilesPack::GetEntry(size_t index) const {
  const Entry& wanted = entries_.at(index);
  std::string shown = CPShownText(wanted.name);
  if (wanted.size > kCPScriptMaxBytes)
    CPThrowList(kCPErrScriptTooLarge, kCPOnlineTextsList, kCPTextScriptTooLarge, {shown});
  std::string bytes, why;
  bool tooLarge = false;
  if (!CPArchiveRead(path_, wanted.position, kCPScriptMaxBytes, &bytes, &tooLarge, &why)) Unreadable(path_, why);
  if (tooLarge) CPThrowList(kCPErrScriptTooLarge, kCPOnlineTextsList, kCPTextScriptTooLarge, {shown});
  return bytes;
}
