#include "platform/CPRecentDocuments.h"

#include <string>
#include <system_error>

#include "platform/CPOSErr.h"

namespace fs = std::filesystem;

std::vector<CPFileSpec> CPRecentDocuments::Read(const CPPreferenceStore& store) {
  std::vector<std::string> paths;
  std::vector<CPFileSpec> list;
  if (!store.GetStringList(kKey, &paths)) return list;
  for (const std::string& path : paths) {
    if (!path.empty()) list.emplace_back(fs::path(path));
  }
  return list;
}

OSErr CPRecentDocuments::Put(const std::vector<CPFileSpec>& list) {
  std::vector<std::string> paths;
  for (const CPFileSpec& spec : list) {
    if (paths.size() == max_) break;
    paths.push_back(spec.Path().string());
  }
  return store_.SetStringList(kKey, paths);
}

OSErr CPRecentDocuments::Add(const CPFileSpec& file) {
  std::error_code ec;
  fs::path absolute = fs::absolute(file.Path(), ec).lexically_normal();
  if (ec) absolute = file.Path();
  CPFileSpec entry(absolute);
  std::vector<CPFileSpec> list{entry};
  for (const CPFileSpec& old : Get()) {
    if (!old.SameFile(entry)) list.push_back(old);
  }
  return Put(list);
}

void CPRecentDocuments::Remove(const CPFileSpec& file) {
  std::vector<CPFileSpec> list;
  for (const CPFileSpec& old : Get()) {
    if (!old.SameFile(file)) list.push_back(old);
  }
  Put(list);  // paths read back from the store are valid UTF-8 already
}

void CPRecentDocuments::Clear() { store_.Remove(kKey); }
