#include "resources/CPStreamResourceStorage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "resources/CPResourceErrors.h"

namespace {

bool Less(const CPStreamResourceStorage::Entry& a, const CPStreamResourceStorage::Entry& b) {
  if (a.type != b.type) return a.type < b.type;
  return a.id < b.id;
}

template <typename T>
void Put(unsigned char* p, T v) {
  std::memcpy(p, &v, sizeof v);
}
template <typename T>
T Get(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void EncodeEntry(const CPStreamResourceStorage::Entry& e, unsigned char* p) {
  std::memset(p, 0, CPStreamResourceStorage::kEntrySize);
  Put<uint32_t>(p, CPStreamResourceStorage::kEntryMarker);
  Put<uint32_t>(p + 4, e.creation);
  Put<uint32_t>(p + 8, e.modification);
  CPWriteCode(p + 12, e.type);
  Put<int16_t>(p + 16, e.id);
  std::memcpy(p + 18, e.name, e.name[0] + 1u);
  Put<uint32_t>(p + 118, e.offset);
  Put<uint32_t>(p + 122, e.size);
  Put<uint32_t>(p + 126, e.allocated);
  p[130] = e.written ? 1 : 0;
}

bool DecodeEntry(const unsigned char* p, CPStreamResourceStorage::Entry* e) {
  if (Get<uint32_t>(p) != CPStreamResourceStorage::kEntryMarker) return false;
  e->creation = Get<uint32_t>(p + 4);
  e->modification = Get<uint32_t>(p + 8);
  e->type = CPReadCode(p + 12);
  e->id = Get<int16_t>(p + 16);
  TruncPString(e->name, p + 18, CPStreamResourceStorage::kMaxNameLength);
  e->offset = Get<uint32_t>(p + 118);
  e->size = Get<uint32_t>(p + 122);
  e->allocated = Get<uint32_t>(p + 126);
  e->written = p[130] != 0;
  return true;
}

// Names are kept to 99 characters, so a longer name is looked up by what was kept.
void StoredName(ConstStringPtr name, Str99 out) {
  TruncPString(out, name, CPStreamResourceStorage::kMaxNameLength);
}

[[noreturn]] void Damaged() { CPThrow(kCPErrResourceStorageDamaged); }

}  // namespace

CPStreamResourceStorage::CPStreamResourceStorage(CPStream& stream) : stream_(stream) {
  if (stream_.GetLength() < 9) {
    Save();
  } else {
    Read();
  }
}

void CPStreamResourceStorage::Read() {
  uint32_t length = stream_.GetLength();
  if (length < kHeaderSize) Damaged();
  unsigned char header[kHeaderSize];
  ReadAt(0, header, kHeaderSize);
  uint32_t version = Get<uint32_t>(header);
  uint32_t count = Get<uint32_t>(header + 8);
  uint32_t entrySize = Get<uint32_t>(header + 12);
  if (version > kVersion) CPThrow(kCPErrNewerVersion);
  if (entrySize != kEntrySize || count > (length - kHeaderSize) / kEntrySize) Damaged();

  std::vector<unsigned char> index(size_t(count) * kEntrySize);
  if (count) ReadAt(kHeaderSize, index.data(), uint32_t(index.size()));
  uint32_t indexEnd = kHeaderSize + count * kEntrySize;
  entries_.clear();
  entries_.reserve(count);
  dataEnd_ = indexEnd;
  for (uint32_t i = 0; i < count; ++i) {
    Entry e;
    if (!DecodeEntry(index.data() + size_t(i) * kEntrySize, &e)) Damaged();
    // A body must lie after the index and within the stream; an area may
    // reserve bytes past the end of the stream, which new bodies then avoid.
    if (e.offset < indexEnd || e.size > e.allocated || e.offset > length ||
        e.size > length - e.offset || e.allocated > UINT32_MAX - e.offset) {
      Damaged();
    }
    if (e.type == 0) e.id = 0;
    dataEnd_ = std::max(dataEnd_, e.offset + e.allocated);
    entries_.push_back(e);
  }
  // Another writer may have ordered its entries differently.
  std::stable_sort(entries_.begin(), entries_.end(), Less);
  for (size_t i = 1; i < entries_.size(); ++i) {
    if (entries_[i].type != 0 && !Less(entries_[i - 1], entries_[i])) Damaged();
  }
  firstDataOffset_ = entries_.empty() ? indexEnd : UINT32_MAX;
  for (const Entry& e : entries_) firstDataOffset_ = std::min(firstDataOffset_, e.offset);
}

void CPStreamResourceStorage::Save() {
  // Growing the index covers the bodies that lie just after it: move them to the
  // end, lowest first, before the index is written over them. A free area in the
  // way gives up what the index covers.
  for (;;) {
    uint32_t indexEnd = kHeaderSize + uint32_t(entries_.size()) * kEntrySize;
    auto lowest = std::min_element(entries_.begin(), entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
    if (lowest == entries_.end() || lowest->offset >= indexEnd) break;
    if (lowest->type == 0) {
      uint32_t end = lowest->offset + lowest->allocated;
      if (end <= indexEnd) {
        entries_.erase(lowest);
      } else {
        lowest->allocated = end - indexEnd;
        lowest->size = std::min(lowest->size, lowest->allocated);
        lowest->offset = indexEnd;
      }
      continue;
    }
    std::vector<unsigned char> body(lowest->size);
    if (lowest->size) ReadAt(lowest->offset, body.data(), lowest->size);
    uint32_t target = std::max(EndOfData(), indexEnd);
    WriteAt(target, body.data(), lowest->size);
    lowest->offset = target;
    // Only the body went along: the area reserved is what was written, so that
    // nothing claims bytes past the end of the stream.
    lowest->allocated = lowest->size;
    dataEnd_ = std::max(dataEnd_, target + lowest->size);
  }

  uint32_t count = uint32_t(entries_.size());
  uint32_t indexEnd = kHeaderSize + count * kEntrySize;
  firstDataOffset_ = entries_.empty() ? indexEnd : UINT32_MAX;
  for (const Entry& e : entries_) firstDataOffset_ = std::min(firstDataOffset_, e.offset);
  dataEnd_ = std::max(dataEnd_, indexEnd);

  std::vector<unsigned char> bytes(indexEnd);
  Put<uint32_t>(bytes.data(), kVersion);
  Put<uint32_t>(bytes.data() + 4, firstDataOffset_);
  Put<uint32_t>(bytes.data() + 8, count);
  Put<uint32_t>(bytes.data() + 12, kEntrySize);
  for (uint32_t i = 0; i < count; ++i) {
    EncodeEntry(entries_[i], bytes.data() + kHeaderSize + size_t(i) * kEntrySize);
  }
  WriteAt(0, bytes.data(), indexEnd);
}

uint32_t CPStreamResourceStorage::EndOfData() const {
  return std::max(stream_.GetLength(), dataEnd_);
}

void CPStreamResourceStorage::WriteAt(uint32_t offset, const void* data, uint32_t size) {
  stream_.SetMarker(int32_t(offset), kCPFromStart);
  long n = long(size);
  if (n) stream_.WriteData(data, &n);
  if (n != long(size)) CPThrow(ioErr);
}

void CPStreamResourceStorage::ReadAt(uint32_t offset, void* data, uint32_t size) const {
  stream_.SetMarker(int32_t(offset), kCPFromStart);
  long n = long(size);
  if (n) stream_.ReadData(data, &n);
  if (n != long(size)) CPThrow(eofErr);
}

CPStreamResourceStorage::Iter CPStreamResourceStorage::Find(ResType type, CPResID id) {
  Entry key;
  key.type = type;
  key.id = id;
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key, Less);
  if (it != entries_.end() && it->type == type && it->id == id && type != 0) return it;
  return entries_.end();
}

CPStreamResourceStorage::Iter CPStreamResourceStorage::FindOrThrow(ResType type, CPResID id) {
  auto it = Find(type, id);
  if (it == entries_.end()) CPThrow(kCPErrNotFound);
  return it;
}

std::pair<CPStreamResourceStorage::Iter, CPStreamResourceStorage::Iter>
CPStreamResourceStorage::TypeRange(ResType type) {
  auto lo = std::partition_point(entries_.begin(), entries_.end(),
                                 [type](const Entry& e) { return e.type < type; });
  auto hi = std::partition_point(lo, entries_.end(),
                                 [type](const Entry& e) { return e.type == type; });
  return {lo, hi};
}

void CPStreamResourceStorage::Insert(const Entry& entry) {
  entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), entry, Less), entry);
}

bool CPStreamResourceStorage::FindEmptyPlace(uint32_t size, int32_t* position) const {
  for (size_t i = 0; i < entries_.size() && entries_[i].type == 0; ++i) {
    if (entries_[i].allocated >= size) {
      *position = int32_t(i);
      return true;
    }
  }
  return false;
}

bool CPStreamResourceStorage::FindFirstResource(int32_t* position) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].type != 0) {
      *position = int32_t(i);
      return true;
    }
  }
  return false;
}

void CPStreamResourceStorage::PlaceBody(uint32_t size, uint32_t* offset, uint32_t* allocated) {
  int32_t free;
  if (FindEmptyPlace(size, &free)) {
    *offset = entries_[free].offset;
    *allocated = entries_[free].allocated;
    entries_.erase(entries_.begin() + free);
  } else {
    *offset = EndOfData();
    *allocated = size;
  }
}

CPResID CPStreamResourceStorage::GetUniqueID(CPResourceSetRef ref) {
  return PickUniqueID([&](CPResID id) { return ResourceExists(ref, id); });
}

bool CPStreamResourceStorage::ResourceExists(CPResourceSetRef ref, CPResID id) {
  return Find(ResType(ref), id) != entries_.end();
}

bool CPStreamResourceStorage::ResourceExists(CPResourceSetRef ref, ConstStringPtr name) {
  Str99 key;
  StoredName(name, key);
  auto [lo, hi] = TypeRange(ResType(ref));
  return std::any_of(lo, hi, [&](const Entry& e) { return CPEqualString(e.name, key, false, false); });
}

void CPStreamResourceStorage::AddResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding&,
                                          ConstStringPtr name, const void* data, uint32_t size,
                                          int32_t* position) {
  ResType type = ResType(ref);
  if (type == 0 || id == 0) CPThrow(paramErr);
  if (Find(type, id) != entries_.end()) CPThrow(kCPErrAlreadyExists);
  std::vector<Entry> before = entries_;
  Entry e;
  e.type = type;
  e.id = id;
  StoredName(name, e.name);
  e.size = size;
  e.creation = e.modification = CPClock::Now();
  e.written = true;
  PlaceBody(size, &e.offset, &e.allocated);
  try {
    WriteAt(e.offset, data, size);
  } catch (...) {
    entries_ = std::move(before);
    throw;
  }
  dataEnd_ = std::max(dataEnd_, e.offset + e.allocated);
  Insert(e);
  Save();
  if (position) {
    auto [lo, hi] = TypeRange(type);
    *position = int32_t(Find(type, id) - lo) + 1;
  }
}

void CPStreamResourceStorage::RemoveResource(CPResourceSetRef ref, CPResID id) {
  auto it = FindOrThrow(ResType(ref), id);
  Entry e = *it;
  entries_.erase(it);
  e.type = 0;
  e.id = 0;
  e.size = 0;
  e.modification = CPClock::Now();
  Insert(e);
  Save();
}

int32_t CPStreamResourceStorage::GetResourcesCount(CPResourceSetRef ref) {
  auto [lo, hi] = TypeRange(ResType(ref));
  return int32_t(hi - lo);
}

uint32_t CPStreamResourceStorage::GetResourceSize(CPResourceSetRef ref, CPResID id) {
  return FindOrThrow(ResType(ref), id)->size;
}

uint32_t CPStreamResourceStorage::GetResource(CPResourceSetRef ref, CPResID id,
                                              CPDataEncoding* encoding, void* data, uint32_t size) {
  auto it = FindOrThrow(ResType(ref), id);
  uint32_t n = std::min(size, it->size);
  if (n) ReadAt(it->offset, data, n);
  if (encoding) GetEncoding(encoding);
  return n;
}

void CPStreamResourceStorage::GetResourceName(CPResourceSetRef ref, CPResID id, StringPtr name) {
  auto it = FindOrThrow(ResType(ref), id);
  CPStrCopyP(name, it->name);
}

CPResID CPStreamResourceStorage::GetResourceID(CPResourceSetRef ref, ConstStringPtr name) {
  Str99 key;
  StoredName(name, key);
  auto [lo, hi] = TypeRange(ResType(ref));
  auto it = std::find_if(lo, hi, [&](const Entry& e) { return CPEqualString(e.name, key, false, false); });
  if (it == hi) CPThrow(kCPErrNotFound);
  return it->id;
}

CPResID CPStreamResourceStorage::GetNthResource(CPResourceSetRef ref, int32_t n) {
  auto [lo, hi] = TypeRange(ResType(ref));
  if (n < 1 || n > hi - lo) CPThrow(kCPErrNotFound);
  return (lo + (n - 1))->id;
}

void CPStreamResourceStorage::SetResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding&,
                                          const void* data, uint32_t size) {
  auto it = FindOrThrow(ResType(ref), id);
  if (size <= it->allocated) {
    WriteAt(it->offset, data, size);
    it->size = size;
    it->modification = CPClock::Now();
    Save();
    return;
  }
  std::vector<Entry> before = entries_;
  Entry moved = *it;
  entries_.erase(it);
  Entry old = moved;
  PlaceBody(size, &moved.offset, &moved.allocated);
  try {
    WriteAt(moved.offset, data, size);
  } catch (...) {
    entries_ = std::move(before);
    throw;
  }
  moved.size = size;
  moved.modification = CPClock::Now();
  dataEnd_ = std::max(dataEnd_, moved.offset + moved.allocated);
  Insert(moved);
  old.type = 0;
  old.id = 0;
  old.modification = moved.modification;
  Insert(old);
  Save();
}

void CPStreamResourceStorage::SetResourceName(CPResourceSetRef ref, CPResID id, ConstStringPtr name) {
  auto it = FindOrThrow(ResType(ref), id);
  StoredName(name, it->name);
  it->modification = CPClock::Now();
  Save();
}

void CPStreamResourceStorage::PutTo(CPFormattedStream& out) const {
  auto field = [&](const std::string& text, bool last) {
    Str255 p;
    StdToP(text, p);
    out.WriteField(p, last);
  };
  field("version " + std::to_string(kVersion), false);
  field("first data " + std::to_string(firstDataOffset_), false);
  field("entries " + std::to_string(entries_.size()), true);
  for (const Entry& e : entries_) {
    field(e.type ? CPString::FromType(e.type).Std() : "free", false);
    field(std::to_string(e.id), false);
    field(PToStd(e.name), false);
    field(std::to_string(e.offset), false);
    field(std::to_string(e.size), false);
    field(std::to_string(e.allocated), false);
    field(std::to_string(e.creation), false);
    field(std::to_string(e.modification), true);
  }
}
