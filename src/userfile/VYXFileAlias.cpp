#include "userfile/VYXFileAlias.h"

#include <cstring>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "userfile/VYXUserTexts.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kHeaderSize = 6;

fs::path Absolute(const fs::path& p) {
  std::error_code ec;
  fs::path a = fs::absolute(p, ec);
  return (ec ? p : a).lexically_normal();
}

void Put16(unsigned char* p, uint16_t v) { std::memcpy(p, &v, 2); }
uint16_t Get16(const unsigned char* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void Swap16At(unsigned char* p) { std::swap(p[0], p[1]); }

void SwapHeader(void* data, uint32_t size) {
  if (size < kHeaderSize) return;
  auto* p = static_cast<unsigned char*>(data);
  Swap16At(p);
  Swap16At(p + 2);
  Swap16At(p + 4);
}

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return !p.empty() && fs::is_regular_file(p, ec);
}

}  // namespace

VYXFileAlias VYXFileAlias::Make(const CPFileRef& target, const CPFileRef& from) {
  VYXFileAlias alias;
  fs::path abs = Absolute(target.Path());
  alias.absolute = abs.string();
  alias.relative = abs.lexically_relative(Absolute(from.Path()).parent_path()).generic_string();
  return alias;
}

std::vector<unsigned char> VYXFileAlias::Write() const {
  size_t rel = std::min<size_t>(relative.size(), 0xFFFF),
         absl = std::min<size_t>(absolute.size(), 0xFFFF);
  std::vector<unsigned char> body(kHeaderSize + rel + absl);
  Put16(body.data(), kVYXAliasVersion);
  Put16(body.data() + 2, uint16_t(rel));
  Put16(body.data() + 4, uint16_t(absl));
  std::memcpy(body.data() + kHeaderSize, relative.data(), rel);
  std::memcpy(body.data() + kHeaderSize + rel, absolute.data(), absl);
  return body;
}

bool VYXFileAlias::Read(const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  if (size < kHeaderSize || Get16(p) != kVYXAliasVersion) return false;
  size_t rel = Get16(p + 2), absl = Get16(p + 4);
  if (kHeaderSize + rel + absl > size) return false;
  relative.assign(reinterpret_cast<const char*>(p + kHeaderSize), rel);
  absolute.assign(reinterpret_cast<const char*>(p + kHeaderSize + rel), absl);
  return true;
}

VYXAliasResolution VYXResolveAlias(const VYXFileAlias& alias, const CPFileRef& from,
                                   const std::string& name, bool ask, CPFileRef* found,
                                   CPFileRef* expected) {
  const fs::path folder = Absolute(from.Path()).parent_path();
  std::vector<fs::path> beside;
  if (!alias.relative.empty()) beside.push_back((folder / alias.relative).lexically_normal());
  fs::path fileName = fs::path(alias.relative.empty() ? alias.absolute : alias.relative).filename();
  if (!fileName.empty() && (beside.empty() || beside.front() != folder / fileName)) {
    beside.push_back(folder / fileName);
  }
  if (expected && !beside.empty()) *expected = CPFileRef(beside.front());
  for (size_t i = 0; i < beside.size(); ++i) {
    std::error_code ec;
    fs::file_status status = fs::status(beside[i], ec);
    if (ec || !fs::exists(status)) continue;
    *found = CPFileRef(beside[i]);
    // Something else stands where the account's file should be: looking
    // further would find another dossier's file in its place.
    if (!fs::is_regular_file(status)) return VYXAliasResolution::kNotAFile;
    return i == 0 && !alias.relative.empty() ? VYXAliasResolution::kRelative
                                             : VYXAliasResolution::kBeside;
  }
  if (IsFile(alias.absolute)) {
    fs::path absolute = Absolute(alias.absolute);
    *found = CPFileRef(absolute);
    fs::path inside = absolute.lexically_relative(folder);
    const bool outside = inside.empty() || *inside.begin() == "..";
    return outside ? VYXAliasResolution::kOutside : VYXAliasResolution::kAbsolute;
  }
  if (!ask) return VYXAliasResolution::kNotFound;
  std::string prompt = CPGetListString(kVYXUserTextsList, kVYXTextWhereIsCompte);
  CPReplaceVar(prompt, 1, name);
  std::string answer;
  while (CPGetInteraction().AskText(prompt, &answer, false)) {
    fs::path p = Absolute(MacRomanToUtf8(answer));
    if (IsFile(p)) {
      *found = CPFileRef(p);
      return VYXAliasResolution::kAsked;
    }
    std::string again = CPGetListString(kVYXUserTextsList, kVYXTextNoSuchFile);
    CPReplaceVar(again, 1, answer);
    CPGetInteraction().Alert(again);
    answer.clear();
  }
  return VYXAliasResolution::kNotFound;
}

void VYXUserAliasesSet::EncodeResource(CPResID, void* data, uint32_t size,
                                       const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) SwapHeader(data, size);
}

void VYXUserAliasesSet::DecodeResource(CPResID, void* data, uint32_t size,
                                       const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) SwapHeader(data, size);
}

bool VYXUserAliasesSet::ReadAlias(CPResID id, VYXFileAlias* alias) {
  Handle h = nullptr;
  if (!ReadResource(id, &h)) return false;
  bool ok = alias->Read(HandlePtr(h), GetHandleSize(h));
  DisposeHandle(h);
  return ok;
}

void VYXUserAliasesSet::WriteAlias(CPResID id, const VYXFileAlias& alias) {
  std::vector<unsigned char> body = alias.Write();
  Str255 name = {0};
  if (ResourceExists(id)) {
    SetResource(id, body.data(), uint32_t(body.size()));
  } else {
    AddResource(id, name, body.data(), uint32_t(body.size()));
  }
}
