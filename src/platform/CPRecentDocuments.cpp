#include "platform/CPRecentDocuments.h"

#include <string>
#include <system_error>

#include "platform/CPOSErr.h"

namespace fs = std::filesystem;

std::vector<CPFileRef> CPRecentDocuments::Read(const CPPreferenceStore& store) {
  std::vector<std::string> paths;
  std::vector<CPFileRef> list;
  if (!store.GetStringList(kKey, &paths)) return list;
  for (const std::string& path : paths) {
    if (!path.empty()) list.emplace_back(fs::path(path));
  }
  return list;
}

OSErr CPRecentDocuments::Put(const std::vector<CPFileRef>& list) {
  std::vector<std::string> paths;
  for (const CPFileRef& fileRef : list) {
    if (paths.size() == max_) break;
    paths.push_back(fileRef.Path().string());
  }
  return store_.SetStringList(kKey, paths);
}

OSErr CPRecentDocuments::Add(const CPFileRef& file) {
  std::error_code ec;
  fs::path absolute = fs::absolute(file.Path(), ec).lexically_normal();
  if (ec) absolute = file.Path();
  CPFileRef entry(absolute);
  std::vector<CPFileRef> list{entry};
  for (const CPFileRef& old : Get()) {
    if (!old.SameFile(entry)) list.push_back(old);
  }
  return Put(list);
}

void CPRecentDocuments::Remove(const CPFileRef& file) {
  std::vector<CPFileRef> list;
  for (const CPFileRef& old : Get()) {
    if (!old.SameFile(file)) list.push_back(old);
  }
  Put(list);  // paths read back from the store are valid UTF-8 already
}

OSErr CPRecentDocuments::Rename(const CPFileRef& from, const CPFileRef& to) {
  std::error_code ec;
  fs::path absolute = fs::absolute(to.Path(), ec).lexically_normal();
  if (ec) absolute = to.Path();
  std::vector<CPFileRef> list = Get();
  bool listed = false;
  for (CPFileRef& entry : list) {
    if (entry.SameFile(from)) {
      entry = CPFileRef(absolute);
      listed = true;
    }
  }
  return listed ? Put(list) : noErr;
}

void CPRecentDocuments::Clear() { store_.Remove(kKey); }
