#include "simpledb/CPSimpleDBIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string_view>

#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

CPDataSize FitKeySize(CPSimpleDBIndexKeyType keyType, CPDataSize requested) {
  if (keyType == kSDBKeyLong) return 4;
  if (keyType == kSDBKeyChar || keyType == kSDBKeyCustom)
    return requested >= 1 && requested <= 8 ? requested : 8;
  return 8;
}

int Sign(int c) { return (c > 0) - (c < 0); }

}  // namespace

CPSimpleDBIndex::CPSimpleDBIndex(CPSimpleDBDataHandler* handler, CPSimpleDBIndexKey key,
                                 CPSimpleDBIndexKeyType keyType, CPDataSize keySize, bool load,
                                 bool save)
    : CPSimpleDBSession(handler->GetProvider(), 0, true),
      handler_(handler),
      load_(load),
      save_(save) {
  indexInfo_.type = handler->GetType();
  indexInfo_.key = key;
  indexInfo_.keyType = keyType;
  indexInfo_.keySize = FitKeySize(keyType, keySize);
}

CPSimpleDBIndex::~CPSimpleDBIndex() {
  if (!save_) return;
  try {
    Save();
  } catch (...) {
    // A file closed or read-only: the next opening rebuilds the index.
  }
}

bool CPSimpleDBIndex::UsesRecords() const {
  const CPSimpleDBIndexKeyType t = indexInfo_.keyType;
  return t != kSDBKeyLong && t != kSDBKeyChar && t != kSDBKeyReal && t != kSDBKeyCustom;
}

void CPSimpleDBIndex::EnsureLoaded() {
  if (!loaded_ && load_) Load();
}

uint32_t CPSimpleDBIndex::GetCount() {
  EnsureLoaded();
  return static_cast<uint32_t>(items_.size() / indexInfo_.GetItemSize());
}

CPSimpleDBDataID CPSimpleDBIndex::GetNthDataID(uint32_t n) {
  return n < GetCount() ? ItemID(n) : 0;
}

CPSimpleDBDataID CPSimpleDBIndex::ItemID(uint32_t n) const {
  CPSimpleDBDataID id;
  std::memcpy(&id, items_.data() + size_t(n) * indexInfo_.GetItemSize(), 4);
  return id;
}

CPSimpleDBIndexKeyValue CPSimpleDBIndex::ItemKey(uint32_t n) const {
  CPSimpleDBIndexKeyValue key{};
  std::memcpy(key.bytes, items_.data() + size_t(n) * indexInfo_.GetItemSize() + 4,
              indexInfo_.keySize);
  return key;
}

// ---- keys and their order

CPSimpleDBIndexKeyValue CPSimpleDBIndex::DataToKey(const CPSimpleDBDataInfo&, const void* data,
                                                   CPDataSize size) {
  CPSimpleDBIndexKeyValue key{};
  std::memcpy(key.bytes, data, std::min<CPDataSize>(size, indexInfo_.keySize));
  return key;
}

// Stored bytes in this machine's layout serve as they are; streamed records
// and records of another encoding are first brought to the layout.
CPSimpleDBIndexKeyValue CPSimpleDBIndex::GetDataKey(const CPSimpleDBDataInfo& info,
                                                    const void* data, CPDataSize size) {
  if (!handler_->IsStreamed(info) && info.GetEncoding() == CPHostEncoding)
    return DataToKey(info, data, size);
  std::vector<unsigned char> layout = handler_->ToLayout(info, data, size);
  return DataToKey(info, layout.data(), static_cast<CPDataSize>(layout.size()));
}

int CPSimpleDBIndex::CompareKeys(const CPSimpleDBIndexKeyValue& a,
                                 const CPSimpleDBIndexKeyValue& b) {
  return std::memcmp(a.bytes, b.bytes, indexInfo_.keySize);
}

int CPSimpleDBIndex::CompareData(CPSimpleDBDataID, const void* dataA, CPDataSize sizeA,
                                 CPSimpleDBDataID, const void* dataB, CPDataSize sizeB) {
  int c = std::memcmp(dataA, dataB, std::min(sizeA, sizeB));
  return c ? c : (sizeA > sizeB) - (sizeA < sizeB);
}

int CPSimpleDBIndex::SearchData(const void* dataA, CPDataSize sizeA, const void* dataB,
                                CPDataSize sizeB) {
  return CompareData(0, dataA, sizeA, 0, dataB, sizeB);
}

// Longs compare by value: the plain difference a - b, which the order was once
// defined by, overflows for keys far apart and would misplace them.
int CPSimpleDBIndex::CompareByKeyType(const CPSimpleDBIndexKeyValue& a,
                                      const CPSimpleDBIndexKeyValue& b) {
  const CPSimpleDBIndexKeyType t = indexInfo_.keyType;
  if (t == kSDBKeyLong) return (a.l > b.l) - (a.l < b.l);
  if (t == kSDBKeyReal) {
    // NaN sorts after every number, so that the order stays total.
    if (std::isnan(a.r) || std::isnan(b.r)) return std::isnan(a.r) - std::isnan(b.r);
    return (a.r > b.r) - (a.r < b.r);
  }
  if (t == kSDBKeyChar) {
    const size_t n = indexInfo_.keySize;
    return CPCompareString(std::string_view(a.c, strnlen(a.c, n)),
                           std::string_view(b.c, strnlen(b.c, n)));
  }
  return CompareKeys(a, b);
}

std::vector<unsigned char> CPSimpleDBIndex::ItemLayout(uint32_t n) {
  CPSimpleDBRefnum refnum = 0;
  if (!GetDataRefnum(ItemID(n), &refnum)) return {};
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  std::vector<unsigned char> stored(CPSimpleDBSession::GetDataSize(refnum));
  CPSimpleDBSession::GetData(refnum, &info, &encoding, stored.data(),
                             static_cast<CPDataSize>(stored.size()));
  info.SetEncoding(encoding);
  return handler_->ToLayout(info, stored.data(), static_cast<CPDataSize>(stored.size()));
}

int CPSimpleDBIndex::CompareToItem(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                                   const std::vector<unsigned char>& layout, uint32_t n,
                                   bool withID) {
  const CPSimpleDBDataID other = ItemID(n);
  if (withID && dataID == other) return 0;
  int c;
  if (!UsesRecords()) {
    c = CompareByKeyType(key, ItemKey(n));
  } else {
    std::vector<unsigned char> b = ItemLayout(n);
    const auto sizeA = static_cast<CPDataSize>(layout.size());
    const auto sizeB = static_cast<CPDataSize>(b.size());
    c = withID ? CompareData(dataID, layout.data(), sizeA, other, b.data(), sizeB)
               : SearchData(layout.data(), sizeA, b.data(), sizeB);
  }
  c = Sign(c);
  if (c == 0 && withID) c = (dataID > other) - (dataID < other);
  return c;
}

uint32_t CPSimpleDBIndex::LowerBound(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                                     const std::vector<unsigned char>& layout, bool withID) {
  uint32_t lo = 0, hi = static_cast<uint32_t>(items_.size() / indexInfo_.GetItemSize());
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (CompareToItem(dataID, key, layout, mid, withID) > 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

void CPSimpleDBIndex::Insert(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                             const std::vector<unsigned char>& layout) {
  const uint32_t itemSize = indexInfo_.GetItemSize();
  uint32_t at = LowerBound(dataID, key, layout, true);
  unsigned char item[12] = {};
  std::memcpy(item, &dataID, 4);
  std::memcpy(item + 4, key.bytes, indexInfo_.keySize);
  items_.insert(items_.begin() + size_t(at) * itemSize, item, item + itemSize);
}

bool CPSimpleDBIndex::Remove(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                             const std::vector<unsigned char>& layout) {
  const uint32_t itemSize = indexInfo_.GetItemSize();
  const uint32_t count = static_cast<uint32_t>(items_.size() / itemSize);
  uint32_t at = LowerBound(dataID, key, layout, true);
  if (at >= count || ItemID(at) != dataID) {
    // Not where its key says: an old version read in another encoding than it
    // was written in (a log does not keep it). The record's own item, if the
    // index holds one, is still the one to remove.
    for (at = 0; at < count && ItemID(at) != dataID; ++at) {
    }
    if (at == count) return false;
  }
  auto first = items_.begin() + size_t(at) * itemSize;
  items_.erase(first, first + itemSize);
  return true;
}

// ---- hooks

void CPSimpleDBIndex::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const void* data,
                                CPDataSize size, bool) {
  if (!loaded_) return;
  std::vector<unsigned char> layout;
  if (UsesRecords()) layout = handler_->ToLayout(info, data, size);
  Insert(info.dataID, GetDataKey(info, data, size), layout);
}

void CPSimpleDBIndex::DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                   const void* oldData, CPDataSize oldSize, CPSimpleDBRefnum,
                                   const void* newData, CPDataSize newSize, bool) {
  if (!loaded_) return;
  CPSimpleDBDataInfo oldInfo = info;
  oldInfo.SetEncoding(GetProvider()->GetOldDataEncoding(info));
  std::vector<unsigned char> before, after;
  if (UsesRecords()) {
    before = handler_->ToLayout(oldInfo, oldData, oldSize);
    after = handler_->ToLayout(info, newData, newSize);
  }
  if (!Remove(info.dataID, GetDataKey(oldInfo, oldData, oldSize), before))
    CPThrow(kSDBErrIndexItemMissing);
  Insert(info.dataID, GetDataKey(info, newData, newSize), after);
}

// A record that cannot be found, or anything failing on the way, leaves an
// index that can no longer be trusted: it is rebuilt, and the deletion itself
// went through, so nothing is reported.
void CPSimpleDBIndex::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                  const void* data, CPDataSize size, bool) {
  if (!loaded_) return;
  try {
    std::vector<unsigned char> layout;
    if (UsesRecords()) layout = handler_->ToLayout(info, data, size);
    if (Remove(info.dataID, GetDataKey(info, data, size), layout)) return;
  } catch (...) {
    // Rebuilt below.
  }
  try {
    Rebuild();
  } catch (...) {
    items_.clear();
    loaded_ = false;  // asked again, it loads or rebuilds from the file
  }
}

// ---- finding

bool CPSimpleDBIndex::Find(const void* data, CPDataSize size, CPSimpleDBDataID* dataID,
                           bool* found) {
  EnsureLoaded();
  const CPSimpleDBIndexKeyValue key = DataToKey(handler_->NewInfo(), data, size);
  std::vector<unsigned char> layout;
  if (UsesRecords()) {
    const auto* p = static_cast<const unsigned char*>(data);
    layout.assign(p, p + size);
  }
  uint32_t at = LowerBound(0, key, layout, false);
  if (at >= items_.size() / indexInfo_.GetItemSize()) return false;
  *dataID = ItemID(at);
  *found = CompareToItem(0, key, layout, at, false) == 0;
  return true;
}

// ---- rebuilding, loading, saving

void CPSimpleDBIndex::Rebuild() {
  struct Entry {
    CPSimpleDBDataID id;
    CPSimpleDBIndexKeyValue key;
    std::vector<unsigned char> layout;
  };
  std::vector<Entry> entries;
  GetProvider()->ForEachData(this, indexInfo_.type,
                             [&](const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                 const unsigned char* data, CPDataSize size) {
                               Entry e{info.dataID, GetDataKey(info, data, size), {}};
                               if (UsesRecords()) e.layout = handler_->ToLayout(info, data, size);
                               entries.push_back(std::move(e));
                               return true;
                             });
  // One sort of everything read, rather than an insertion per record.
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    int c;
    if (!UsesRecords()) {
      c = CompareByKeyType(a.key, b.key);
    } else {
      c = CompareData(a.id, a.layout.data(), static_cast<CPDataSize>(a.layout.size()), b.id,
                      b.layout.data(), static_cast<CPDataSize>(b.layout.size()));
    }
    return c != 0 ? c < 0 : a.id < b.id;
  });
  const uint32_t itemSize = indexInfo_.GetItemSize();
  items_.assign(entries.size() * itemSize, 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    unsigned char* p = items_.data() + i * itemSize;
    std::memcpy(p, &entries[i].id, 4);
    std::memcpy(p + 4, entries[i].key.bytes, indexInfo_.keySize);
  }
  loaded_ = true;
  fromFile_ = false;
}

void CPSimpleDBIndex::Load() {
  CPSimpleDBRefnum refnum = 0;
  if (FindIndex(indexInfo_, &refnum)) {
    CPSimpleDBDataIndexInfo stored;
    CPDataEncoding encoding;
    GetIndexInfos(refnum, &stored, nullptr, &encoding);
    // An index written on a machine of the other byte order is rebuilt: its
    // "real" and "cust" keys cannot be converted without knowing their fields.
    if (stored.eventID == GetProvider()->GetEventID() && stored.keyType == indexInfo_.keyType &&
        stored.keySize == indexInfo_.keySize && encoding == CPHostEncoding) {
      // A damaged one is replaced like a stale one: the records are all there.
      try {
        Load(refnum);
        return;
      } catch (const CPException& e) {
        if (e.Code() != kSDBErrBadIndexRecord) throw;
      }
    }
  }
  Rebuild();
}

void CPSimpleDBIndex::Load(CPSimpleDBRefnum refnum) {
  CPSimpleDBAccessLocker lock(GetProvider());
  CPSimpleDBDataIndexInfo stored;
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  GetIndexInfos(refnum, &stored, &info, &encoding);
  const uint32_t itemSize = stored.keySize + 4;
  const CPDataSize size = GetIndexSize(refnum);
  if (info.format != kSDBIndexFormat || stored.keySize > 8 || size % itemSize)
    CPSimpleDBThrowAt(kSDBErrBadIndexRecord, refnum);
  std::vector<unsigned char> items(size);
  GetIndex(refnum, nullptr, items.data(), size);
  if (CPNeedByteSwapping(encoding) || encoding.stringEncoding == kCPWindowsLatin1) {
    for (size_t at = 0; at < size; at += itemSize) {
      unsigned char* p = items.data() + at;
      if (CPNeedByteSwapping(encoding)) {
        std::reverse(p, p + 4);
        if (stored.keyType == kSDBKeyLong) std::reverse(p + 4, p + 8);
      }
      // Characters follow the record's character set, not its byte order.
      if (stored.keyType == kSDBKeyChar) {
        for (uint32_t k = 0; k < stored.keySize && p[4 + k]; ++k)
          p[4 + k] = CPDecodeChar(p[4 + k], encoding);
      }
    }
  }
  indexInfo_.keySize = stored.keySize;
  indexInfo_.eventID = stored.eventID;
  items_ = std::move(items);
  if ((CPNeedByteSwapping(encoding) || encoding.stringEncoding == kCPWindowsLatin1) &&
      !UsesRecords()) {
    SortItems();  // converted keys may order otherwise
  }
  loaded_ = true;
  fromFile_ = true;
}

void CPSimpleDBIndex::SortItems() {
  const uint32_t itemSize = indexInfo_.GetItemSize();
  const uint32_t count = static_cast<uint32_t>(items_.size() / itemSize);
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    int c = CompareByKeyType(ItemKey(a), ItemKey(b));
    return c != 0 ? c < 0 : ItemID(a) < ItemID(b);
  });
  std::vector<unsigned char> sorted(items_.size());
  for (uint32_t i = 0; i < count; ++i)
    std::memcpy(sorted.data() + size_t(i) * itemSize, items_.data() + size_t(order[i]) * itemSize,
                itemSize);
  items_ = std::move(sorted);
}

void CPSimpleDBIndex::Save() {
  if (!loaded_) return;
  CPSimpleDBRefnum refnum = 0;
  if (!FindIndex(indexInfo_, &refnum)) {
    Save(0, &refnum);
    return;
  }
  CPSimpleDBDataIndexInfo stored;
  CPDataEncoding encoding;
  GetIndexInfos(refnum, &stored, nullptr, &encoding);
  if (stored.eventID != GetProvider()->GetEventID() || stored.keyType != indexInfo_.keyType ||
      stored.keySize != indexInfo_.keySize || !(encoding == CPHostEncoding)) {
    Save(refnum, &refnum);
  }
}

void CPSimpleDBIndex::Save(CPSimpleDBRefnum refnum, CPSimpleDBRefnum* newRefnum) {
  CPSimpleDBAccessLocker lock(GetProvider());
  indexInfo_.eventID = GetProvider()->GetEventID();
  const auto size = static_cast<CPDataSize>(items_.size());
  if (refnum == 0) {
    CPSimpleDBDataInfo info(kSDBIndexType, kSDBIndexFormat, 0);
    AddIndex(&info, indexInfo_, items_.data(), size, newRefnum);
  } else {
    CPSimpleDBDataInfo info;
    GetDataInfos(refnum, &info, nullptr);
    ModifyIndex(refnum, &info, indexInfo_, items_.data(), size, newRefnum);
  }
}
