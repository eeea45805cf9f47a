#include "simpledb/CPSimpleDBFileIndex.h"

#include <algorithm>

namespace {

constexpr size_t kSliceMax = 512;

bool ByID(const CPSimpleDBFileIndexItem& item, CPSimpleDBDataID id) { return item.dataID < id; }

}  // namespace

void CPSimpleDBFileIndex::Clear() {
  slices_.clear();
  count_ = 0;
  types_.clear();
}

void CPSimpleDBFileIndex::Assign(const std::vector<CPSimpleDBFileIndexItem>& items) {
  Clear();
  for (size_t i = 0; i < items.size(); i += kSliceMax / 2) {
    size_t n = std::min(kSliceMax / 2, items.size() - i);
    slices_.emplace_back(items.begin() + i, items.begin() + i + n);
  }
  count_ = items.size();
  // Counted by runs of one type: a file's records come in long runs of one
  // type or in two types alternating, and a saved index of many thousand
  // items is assigned at every opening.
  TypeSpan* spans[2] = {nullptr, nullptr};
  for (const CPSimpleDBFileIndexItem& item : items) {
    if (!spans[0] || spans[0]->type != item.type) {
      std::swap(spans[0], spans[1]);
      if (!spans[0] || spans[0]->type != item.type) {
        spans[0] = const_cast<TypeSpan*>(SpanOf(item.type));
        if (!spans[0]) {
          types_.push_back({item.type, 0, 0});
          spans[0] = &types_.back();
          spans[1] = nullptr;  // the push may have moved it
        }
      }
    }
    ++spans[0]->count;
    spans[0]->last = std::max(spans[0]->last, item.dataID);
  }
}

void CPSimpleDBFileIndex::Append(const CPSimpleDBFileIndexItem& item) {
  if (slices_.empty() || slices_.back().size() >= kSliceMax / 2) {
    slices_.emplace_back();
    slices_.back().reserve(kSliceMax / 2);
  }
  slices_.back().push_back(item);
  ++count_;
  Counted(item);
}

// Records of two types often alternate (an account's operations and their
// split lines): the last two types found are tried first.
const CPSimpleDBFileIndex::TypeSpan* CPSimpleDBFileIndex::SpanOf(CPSimpleDBDataType type) const {
  for (size_t i : lastSpans_) {
    if (i < types_.size() && types_[i].type == type) return &types_[i];
  }
  for (size_t i = 0; i < types_.size(); ++i) {
    if (types_[i].type == type) {
      lastSpans_[1] = lastSpans_[0];
      lastSpans_[0] = i;
      return &types_[i];
    }
  }
  return nullptr;
}

void CPSimpleDBFileIndex::Counted(const CPSimpleDBFileIndexItem& item) {
  auto* span = const_cast<TypeSpan*>(SpanOf(item.type));
  if (!span) {
    types_.push_back({item.type, 0, 0});
    span = &types_.back();
  }
  ++span->count;
  span->last = std::max(span->last, item.dataID);
}

// The type's new last item is the first of that type found going back from
// where the item was.
void CPSimpleDBFileIndex::Uncounted(const CPSimpleDBFileIndexItem& item, size_t at,
                                    size_t position) {
  auto* span = const_cast<TypeSpan*>(SpanOf(item.type));
  if (!span) return;
  --span->count;
  if (span->last != item.dataID) return;
  span->last = 0;
  if (span->count == 0) return;
  for (size_t k = std::min(at + 1, slices_.size()); k-- > 0;) {
    const Slice& s = slices_[k];
    for (size_t i = (k == at ? std::min(position, s.size()) : s.size()); i-- > 0;) {
      if (s[i].type == item.type) {
        span->last = s[i].dataID;
        return;
      }
    }
  }
}

std::vector<CPSimpleDBFileIndexItem> CPSimpleDBFileIndex::Items() const {
  std::vector<CPSimpleDBFileIndexItem> all;
  all.reserve(count_);
  for (const Slice& s : slices_) all.insert(all.end(), s.begin(), s.end());
  return all;
}

// Slices are never empty: an emptied slice is removed.
size_t CPSimpleDBFileIndex::SliceFor(CPSimpleDBDataID dataID) const {
  // The first slice whose last item is not below dataID; the last slice otherwise.
  auto it =
      std::lower_bound(slices_.begin(), slices_.end(), dataID,
                       [](const Slice& s, CPSimpleDBDataID id) { return s.back().dataID < id; });
  if (it == slices_.end()) return slices_.size() - 1;
  return static_cast<size_t>(it - slices_.begin());
}

void CPSimpleDBFileIndex::Insert(const CPSimpleDBFileIndexItem& item) {
  if (slices_.empty()) {
    slices_.push_back({item});
    count_ = 1;
    Counted(item);
    return;
  }
  size_t k = SliceFor(item.dataID);
  Slice& s = slices_[k];
  auto it = std::lower_bound(s.begin(), s.end(), item.dataID, ByID);
  if (it != s.end() && it->dataID == item.dataID) {
    CPSimpleDBFileIndexItem old = *it;
    *it = item;
    if (old.type != item.type) {
      // Counted first: the walk back for the old type's last item then finds
      // the new item as what it is.
      Counted(item);
      Uncounted(old, k, static_cast<size_t>(it - s.begin()));
    }
    return;
  }
  s.insert(it, item);
  ++count_;
  Counted(item);
  if (s.size() > kSliceMax) {
    size_t at = static_cast<size_t>(&s - slices_.data());
    Slice upper(s.begin() + kSliceMax / 2, s.end());
    s.resize(kSliceMax / 2);
    slices_.insert(slices_.begin() + at + 1, std::move(upper));
  }
}

bool CPSimpleDBFileIndex::Remove(CPSimpleDBDataID dataID) {
  if (slices_.empty()) return false;
  size_t at = SliceFor(dataID);
  Slice& s = slices_[at];
  auto it = std::lower_bound(s.begin(), s.end(), dataID, ByID);
  if (it == s.end() || it->dataID != dataID) return false;
  CPSimpleDBFileIndexItem gone = *it;
  size_t position = static_cast<size_t>(it - s.begin());
  s.erase(it);
  --count_;
  if (s.empty()) {
    slices_.erase(slices_.begin() + at);
    position = at > 0 ? slices_[at - 1].size() : 0;
    at = at > 0 ? at - 1 : 0;
  }
  Uncounted(gone, at, position);
  return true;
}

const CPSimpleDBFileIndexItem* CPSimpleDBFileIndex::Find(CPSimpleDBDataID dataID) const {
  if (slices_.empty()) return nullptr;
  const Slice& s = slices_[SliceFor(dataID)];
  auto it = std::lower_bound(s.begin(), s.end(), dataID, ByID);
  return (it != s.end() && it->dataID == dataID) ? &*it : nullptr;
}

bool CPSimpleDBFileIndex::SetRefnum(CPSimpleDBDataID dataID, CPSimpleDBRefnum refnum) {
  auto* item = const_cast<CPSimpleDBFileIndexItem*>(Find(dataID));
  if (!item) return false;
  item->refnum = refnum;
  return true;
}

const CPSimpleDBFileIndexItem* CPSimpleDBFileIndex::Next(CPSimpleDBDataID after,
                                                         CPSimpleDBDataType type) const {
  if (slices_.empty()) return nullptr;
  if (type != 0) {
    const TypeSpan* span = SpanOf(type);
    if (!span || span->count == 0 || span->last <= after) return nullptr;
  }
  for (size_t k = SliceFor(after); k < slices_.size(); ++k) {
    const Slice& s = slices_[k];
    for (auto it = std::upper_bound(
             s.begin(), s.end(), after,
             [](CPSimpleDBDataID id, const CPSimpleDBFileIndexItem&i) { return id < i.dataID; });
         it != s.end(); ++it) {
      if (type == 0 || it->type == type) return &*it;
    }
  }
  return nullptr;
}

const CPSimpleDBFileIndexItem* CPSimpleDBFileIndex::Nth(size_t n, CPSimpleDBDataType type) const {
  if (n == 0 || n > CountOf(type)) return nullptr;
  for (const Slice& s : slices_) {
    if (type == 0) {
      if (n <= s.size()) return &s[n - 1];
      n -= s.size();
      continue;
    }
    for (const auto& item : s) {
      if (item.type == type && --n == 0) return &item;
    }
  }
  return nullptr;
}

size_t CPSimpleDBFileIndex::CountOf(CPSimpleDBDataType type) const {
  if (type == 0) return count_;
  const TypeSpan* span = SpanOf(type);
  return span ? span->count : 0;
}
