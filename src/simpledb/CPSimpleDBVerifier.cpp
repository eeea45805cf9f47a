#include "simpledb/CPSimpleDBVerifier.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBJournal.h"

namespace {

uint32_t Get32(const unsigned char* p, bool bigEndian) {
  if (bigEndian)
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

CPSimpleDBInspector::CPSimpleDBInspector(const CPFileRef& fileRef) : stream_(fileRef) {
  // Held for reading: a writer changing the file meanwhile would show a
  // change half made as a fault; it is waited for instead.
  stream_.Open(kCPFileReadLocked);
  length_ = stream_.GetLength();
  if (length_ < kSDBHeaderAreaSize) CPThrow(kSDBErrTooShort);
  unsigned char stored[kSDBHeaderSize];
  stream_.SetMarker(0, kCPFromStart);
  stream_.ReadData(stored, static_cast<long>(kSDBHeaderSize));
  CPDecodeHeader(stored, &header_, &headerEncoding_);
  if (header_.marker != kSDBFileMarker) CPThrow(kSDBErrBadMarker);
  if (header_.structureVersion > kSDBStructureVersion) CPThrow(kSDBErrStructureVersion);
  blocs_ = CPSimpleDBBlocsHandler(&stream_, kSDBHeaderAreaSize);
  // The walk covers the whole blocks before a plausible stream segment (a
  // misplaced one is a fault of Verify); bytes after them are a fault of Walk.
  uint32_t end = length_;
  if (header_.stream >= kSDBHeaderAreaSize && header_.stream <= length_) end = header_.stream;
  partial_ = (end - kSDBHeaderAreaSize) % kSDBBlocSize;
  blocs_.SetDataEnd(end - partial_);
}

CPSimpleDBFault CPSimpleDBInspector::Walk(
    const std::function<void(const CPSimpleDBRecordView&)>& visit) {
  uint32_t area = blocs_.GetAllBlocsSize();
  uint32_t nb = area / kSDBBlocSize;
  for (uint64_t r = 1; r <= nb;) {
    CPSimpleDBRecordView view;
    view.refnum = static_cast<CPSimpleDBRefnum>(r);
    try {
      blocs_.ReadBlocs(view.refnum, 1, &view.header, &view.encoding, nullptr, 0);
    } catch (const CPException& e) {
      return {e.Code(), view.refnum};
    }
    view.blocs = CPSimpleDBBlocsFor(view.header.size);
    if (r + view.blocs - 1 > nb) return {kSDBErrBadRefnum, view.refnum};
    visit(view);
    r += view.blocs;
  }
  if (partial_) return {kSDBErrNotWholeBlocs, nb + 1};
  return {};
}

CPSimpleDBVerdict CPSimpleDBInspector::Verify() {
  CPSimpleDBVerdict v;
  v.blocs = blocs_.GetAllBlocsSize() / kSDBBlocSize;
  if (header_.stream != 0) {
    unsigned char marker[4];
    if (header_.stream < kSDBHeaderAreaSize || header_.stream % kSDBBlocSize ||
        uint64_t(header_.stream) + 4 > length_) {
      v.fault = {kSDBErrStreamOffset, 0};
      return v;
    }
    stream_.SetMarker(static_cast<int32_t>(header_.stream), kCPFromStart);
    stream_.ReadData(marker, 4L);
    if (Get32(marker, headerEncoding_.integerEncoding == kCPBigEndian) != kSDBStreamMarker) {
      v.fault = {kSDBErrStreamMarker, 0};
      return v;
    }
  }
  if (Unclean() && CPSimpleDBHeaderJournal::Inspect(blocs_) == CPSimpleDBHeaderJournal::kPending) {
    v.fault = {kSDBErrInterrupted, 0};
    return v;
  }
  std::vector<CPSimpleDBRecordView> live;
  std::set<CPSimpleDBDataID> ids;
  CPSimpleDBFault inner;
  v.fault = Walk([&](const CPSimpleDBRecordView& view) {
    if (view.header.info.IsFree()) {
      ++v.free;
      v.freeBlocs += view.blocs;
      return;
    }
    ++v.live;
    if (inner) return;
    const CPSimpleDBDataInfo& info = view.header.info;
    if (info.dataID == 0) {
      inner = {kSDBErrNoDataID, view.refnum};
    } else if (!ids.insert(info.dataID).second) {
      inner = {kSDBErrDuplicateID, view.refnum};
    } else {
      std::vector<unsigned char> data;
      try {
        blocs_.ReadRecord(view.refnum, nullptr, nullptr, &data);
      } catch (const CPException& e) {
        inner = {e.Code(), view.refnum};
      }
    }
    live.push_back(view);
  });
  // The first fault in block order: a record's own, or the walk's, later.
  if (inner && (!v.fault || inner.refnum < v.fault.refnum)) v.fault = inner;
  if (v.fault) return v;
  v.fault = CheckSavedIndex(live, v);
  return v;
}

// The saved index is what a clean opening trusts instead of walking: it must
// list exactly the live records the walk found (itself excepted).
CPSimpleDBFault CPSimpleDBInspector::CheckSavedIndex(const std::vector<CPSimpleDBRecordView>& live,
                                                     CPSimpleDBVerdict& v) {
  const CPSimpleDBRefnum at = header_.indexRefnum;
  if (at == 0) return {};
  if (Unclean() || header_.indexEventID != header_.eventID) {
    v.index = CPSimpleDBVerdict::kIndexStale;
    return {};
  }
  auto it = std::find_if(live.begin(), live.end(), [&](const auto& r) { return r.refnum == at; });
  if (it == live.end() || it->header.info.type != kSDBFileIndexType ||
      it->header.info.format != kSDBFileIndexFormat ||
      it->header.size % kSDBFileIndexItemSize != 0) {
    return {kSDBErrBadSavedIndex, at};
  }
  std::vector<unsigned char> data;
  blocs_.ReadRecord(at, nullptr, nullptr, &data);
  bool bigEndian = it->encoding.integerEncoding == kCPBigEndian;
  std::vector<std::tuple<CPSimpleDBDataID, OSType, CPSimpleDBRefnum>> saved, walked;
  for (size_t i = 0; i < data.size(); i += kSDBFileIndexItemSize) {
    saved.emplace_back(Get32(&data[i], bigEndian), CPReadCode(&data[i + 4]),
                       Get32(&data[i + 8], bigEndian));
  }
  for (const auto& r : live) {
    if (r.refnum != at) walked.emplace_back(r.header.info.dataID, r.header.info.type, r.refnum);
  }
  std::sort(walked.begin(), walked.end());
  if (saved != walked) return {kSDBErrBadSavedIndex, at};
  v.index = CPSimpleDBVerdict::kIndexChecked;
  return {};
}
