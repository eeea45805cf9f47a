#include "resources/CPSubResourceSetArray.h"

#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"

void CPSubResourceSetArray::Build() {
  RemoveAll();
  for (int32_t n = 1, count = parent_.GetResourcesCount(); n <= count; ++n) {
    CPResID id = parent_.GetNthResource(n, true);
    if (id == 0 || !concerned_(id)) continue;
    CPSubResourceItem item;
    item.id = id;
    item.position = static_cast<int16_t>(n);
    Add(item);
  }
  built_ = true;
}

void CPSubResourceSetArray::Refresh() {
  // A view nobody has asked anything stays unbuilt: its first query builds it.
  if (built_ && !loading_) {
    Build();
  } else {
    built_ = false;
  }
}

int32_t CPSubResourceSetArray::GetCount() {
  BuildIfNeeded();
  return Count();
}

CPResID CPSubResourceSetArray::GetNth(int32_t n) {
  BuildIfNeeded();
  if (n < 1 || n > Count()) CPThrow(kCPErrNotFound);
  return (*this)[n - 1].id;
}

int32_t CPSubResourceSetArray::ViewIndexOf(CPResID id) {
  BuildIfNeeded();
  for (int32_t i = 0; i < Count(); ++i) {
    if ((*this)[i].id == id) return i + 1;
  }
  return 0;
}

int32_t CPSubResourceSetArray::GetIndex(CPResID id) {
  int32_t n = id ? ViewIndexOf(id) : 0;
  if (n == 0) CPThrow(kCPErrNotFound);
  return n;
}

bool CPSubResourceSetArray::Contains(CPResID id) { return id != 0 && ViewIndexOf(id) != 0; }

CPResID CPSubResourceSetArray::FindName(ConstStringPtr name) {
  BuildIfNeeded();
  for (const CPSubResourceItem& item : *this) {
    Str255 other;
    parent_.GetResourceName(item.id, other);
    if (CPEqualString(other, name, false, false)) return item.id;
  }
  CPThrow(kCPErrNotFound);
}

bool CPSubResourceSetArray::ContainsName(ConstStringPtr name) {
  BuildIfNeeded();
  for (const CPSubResourceItem& item : *this) {
    Str255 other;
    parent_.GetResourceName(item.id, other);
    if (CPEqualString(other, name, false, false)) return true;
  }
  return false;
}

int32_t CPSubResourceSetArray::ParentPosition(int32_t n) {
  BuildIfNeeded();
  if (n < 1 || n > Count()) CPThrow(kCPErrNotFound);
  return (*this)[n - 1].position;
}

std::optional<CPSubResourceSetArray::Reply> CPSubResourceSetArray::Follow(uint32_t code,
                                                                          const void* data) {
  auto value = [data](int i) -> int32_t { return data ? static_cast<const int16_t*>(data)[i] : 0; };
  switch (code) {
    case kCPResReloaded:
      Refresh();
      return Reply{kCPResReloaded};
    case kCPResStartLoading:
      loading_ = true;
      return Reply{kCPResStartLoading};
    case kCPResEndLoading:
      loading_ = false;
      Refresh();
      return Reply{kCPResEndLoading};
    case kCPResAdded: {
      CPResID id = static_cast<CPResID>(value(0));
      if (!concerned_(id)) return std::nullopt;
      Refresh();
      return Reply{kCPResAdded, 1, id};
    }
    case kCPResChanged:
    case kCPResRenamed: {
      CPResID id = static_cast<CPResID>(value(0));
      // An array never built is built now, after the change: it can only tell
      // whether the resource is in the view, not whether it was.
      int32_t was = loading_ && !built_ ? 0 : ViewIndexOf(id);
      bool now = concerned_(id);
      if (!was && !now) return std::nullopt;
      Refresh();
      if (was && now) return Reply{code, 2, id, built_ ? ViewIndexOf(id) : was};
      if (now) return Reply{kCPResAdded, 1, id};
      return Reply{kCPResRemoved, 1, was};
    }
    case kCPResRemoved: {
      // Positions are those the parent had before the removal: only an array
      // built then can tell which item went. One never built has told nobody
      // anything, so it has nothing to take back.
      if (!built_) return std::nullopt;
      int32_t position = value(0), at = 0;
      for (int32_t i = 0; i < Count(); ++i) {
        if ((*this)[i].position == position) at = i + 1;
      }
      Refresh();  // later parent positions moved up by one
      if (!at) return std::nullopt;
      return Reply{kCPResRemoved, 1, at};
    }
    case kCPResMoved:
    case kCPResSorted:
      Refresh();
      return Reply{kCPResSorted};
    default:
      return std::nullopt;  // 8, 9 and codes of other kinds
  }
}
