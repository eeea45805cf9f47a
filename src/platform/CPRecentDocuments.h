// The list of recently opened documents, most recent first, kept in the
// preference store under one key. It only records paths: whether an entry
// still exists or is of the right kind is for its reader to judge. Changes are
// made in the store; the caller saves it.
#ifndef VYX_PLATFORM_CPRECENTDOCUMENTS_H_
#define VYX_PLATFORM_CPRECENTDOCUMENTS_H_

#include <cstddef>
#include <vector>

#include "platform/CPFileRef.h"
#include "platform/CPPreferenceStore.h"

class CPRecentDocuments {
 public:
  static constexpr const char* kKey = "VYXRecentDocuments";
  static constexpr size_t kDefaultMax = 10;

  // `store` must outlive the list.
  explicit CPRecentDocuments(CPPreferenceStore& store, size_t max = kDefaultMax)
      : store_(store), max_(max) {}

  std::vector<CPFileRef> Get() const { return Read(store_); }
  static std::vector<CPFileRef> Read(const CPPreferenceStore& store);
  // Puts the file first (made absolute), dropping an older entry of the same
  // file and the oldest ones past the maximum. kCPErrPrefsBadValue when the
  // path is not a UTF-8 name.
  OSErr Add(const CPFileRef& file);
  void Remove(const CPFileRef& file);
  // The entry of `from` (a file that may no longer be there) becomes `to`
  // (made absolute), in its place; nothing when it is not listed.
  OSErr Rename(const CPFileRef& from, const CPFileRef& to);
  void Clear();

 private:
  OSErr Put(const std::vector<CPFileRef>& list);

  CPPreferenceStore& store_;
  size_t max_;
};

#endif  // VYX_PLATFORM_CPRECENTDOCUMENTS_H_
