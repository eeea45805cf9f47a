// The provider's fast scans, and the two kinds of record it builds on the
// record operations: resource records for resource storages, and the records
// in which secondary indexes are saved.
#include <cstring>
#include <vector>

#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "simpledb/CPSimpleDBDataProvider.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

// A record's whole data, or its first `limit` bytes.
std::vector<unsigned char> ReadAll(CPSimpleDBDataProvider& p, CPSimpleDBSession* session,
                                   CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                   CPDataEncoding* encoding, CPDataSize limit = UINT32_MAX) {
  CPDataSize size = std::min(p.GetDataSize(session, refnum), limit);
  std::vector<unsigned char> data(size);
  p.GetData(session, refnum, info, encoding, data.data(), size);
  return data;
}

}  // namespace

// ---- fast scans

CPSimpleDBScanNumber CPSimpleDBDataProvider::NewFastScan(CPSimpleDBSession*,
                                                         CPSimpleDBDataType type) {
  scans_.push_back({type, 0, 0, false});
  return static_cast<CPSimpleDBScanNumber>(scans_.size());
}

void CPSimpleDBDataProvider::CloseFastScan(CPSimpleDBSession*, CPSimpleDBScanNumber scan) {
  auto n = static_cast<uint32_t>(scan);
  if (n == 0 || n != scans_.size()) CPThrow(kSDBErrFastScanOrder);
  scans_.pop_back();
}

CPSimpleDBDataProvider::Scan& CPSimpleDBDataProvider::ScanOf(CPSimpleDBScanNumber scan) {
  auto n = static_cast<uint32_t>(scan);
  if (n == 0 || n > scans_.size()) CPThrow(kSDBErrFastScanOrder);
  return scans_[n - 1];
}

bool CPSimpleDBDataProvider::GetFirstData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                                          CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  Scan& s = ScanOf(scan);
  CPSimpleDBDataInfo found;
  s.started = true;
  if (!GetFirstData(session, s.type, &found, &s.refnum)) return false;
  s.dataID = found.dataID;
  if (info) *info = found;
  *refnum = s.refnum;
  return true;
}

bool CPSimpleDBDataProvider::GetNextData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                                         CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  if (!ScanOf(scan).started) return GetFirstData(session, scan, info, refnum);
  Scan& s = ScanOf(scan);
  CPSimpleDBDataInfo found;
  if (!GetNextData(session, s.type, &found, &s.refnum)) return false;
  s.dataID = found.dataID;
  if (info) *info = found;
  *refnum = s.refnum;
  return true;
}

void CPSimpleDBDataProvider::ForEachData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                                         const DataVisitor& visit) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  std::vector<unsigned char> data;
  for (bool more = GetFirstData(session, type, &info, &refnum); more;
       more = GetNextData(session, type, &info, &refnum)) {
    CPDataEncoding encoding;
    data.resize(GetDataSize(session, refnum));
    GetData(session, refnum, &info, &encoding, data.data(), static_cast<CPDataSize>(data.size()));
    info.SetEncoding(encoding);
    if (!visit(info, refnum, data.data(), static_cast<CPDataSize>(data.size()))) return;
  }
}

// The walk above is already in order, and checks every record.
void CPSimpleDBDataProvider::ForEachDataInOrder(CPSimpleDBSession* session, CPSimpleDBDataType type,
                                                const DataVisitor& visit, bool) {
  CPSimpleDBDataProvider::ForEachData(session, type, visit);
}

void CPSimpleDBDataProvider::MakeStream(CPSimpleDBSession* session, CPStream& stream) {
  BeforeStreaming(stream);
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  for (bool more = GetFirstData(session, 0, &info, &refnum); more;
       more = GetNextData(session, 0, &info, &refnum)) {
    StreamData(session, stream, info, refnum);
  }
  AfterStreaming(stream);
}

// ---- resources

namespace {

std::vector<unsigned char> ResourceImage(const CPSimpleDBDataResInfo& resInfo,
                                         const CPDataEncoding& encoding, const void* data,
                                         CPDataSize size) {
  std::vector<unsigned char> image(resInfo.StoredSize() + size);
  CPEncodeResInfo(resInfo, encoding, image.data());
  if (size) std::memcpy(image.data() + resInfo.StoredSize(), data, size);
  return image;
}

// The resource information at the start of a record read whole or in part.
uint32_t SplitResource(const CPSimpleDBDataInfo& info, const CPDataEncoding& encoding,
                       const std::vector<unsigned char>& data, CPSimpleDBDataResInfo* resInfo) {
  CPSimpleDBDataResInfo found;
  uint32_t used = 0;
  if (!(info.flags & kSDBResourceInfoFlag) ||
      !CPDecodeResInfo(data.data(), static_cast<uint32_t>(data.size()), encoding, &found, &used)) {
    CPThrow(kSDBErrNoResourceInfo);
  }
  if (resInfo) *resInfo = found;
  return used;
}

// Enough bytes for any resource information.
constexpr CPDataSize kResInfoMax = 9 + 255;

}  // namespace

void CPSimpleDBDataProvider::AddResource(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                                         const CPSimpleDBDataResInfo& resInfo,
                                         const CPDataEncoding& encoding, const void* data,
                                         CPDataSize size, CPSimpleDBRefnum* refnum) {
  std::vector<unsigned char> image = ResourceImage(resInfo, encoding, data, size);
  info->flags |= kSDBResourceInfoFlag;
  AddData(session, info, encoding, image.data(), static_cast<CPDataSize>(image.size()), refnum, 0,
          0);
}

void CPSimpleDBDataProvider::ModifyResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                            CPSimpleDBDataInfo* info,
                                            const CPSimpleDBDataResInfo& resInfo,
                                            const CPDataEncoding& encoding, const void* data,
                                            CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  std::vector<unsigned char> image = ResourceImage(resInfo, encoding, data, size);
  info->flags |= kSDBResourceInfoFlag;
  ModifyData(session, refnum, info, encoding, image.data(), static_cast<CPDataSize>(image.size()),
             newRefnum);
}

void CPSimpleDBDataProvider::DeleteResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                            const CPSimpleDBDataInfo& info) {
  DeleteData(session, refnum, info);
}

void CPSimpleDBDataProvider::GetResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                         CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                                         CPDataEncoding* encoding, void* data, CPDataSize size) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> all = ReadAll(*this, session, refnum, &found, &stored);
  uint32_t used = SplitResource(found, stored, all, resInfo);
  if (size > all.size() - used) CPThrow(kSDBErrReadTooMuch);
  if (size) std::memcpy(data, all.data() + used, size);
  if (info) *info = found;
  if (encoding) *encoding = stored;
}

CPDataSize CPSimpleDBDataProvider::GetResourceSize(CPSimpleDBSession* session,
                                                   CPSimpleDBRefnum refnum) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> head = ReadAll(*this, session, refnum, &found, &stored, kResInfoMax);
  uint32_t used = SplitResource(found, stored, head, nullptr);
  return GetDataSize(session, refnum) - used;
}

void CPSimpleDBDataProvider::GetResourceInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                              CPSimpleDBDataInfo* info,
                                              CPSimpleDBDataResInfo* resInfo,
                                              CPDataEncoding* encoding) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> head = ReadAll(*this, session, refnum, &found, &stored, kResInfoMax);
  SplitResource(found, stored, head, resInfo);
  if (info) *info = found;
  if (encoding) *encoding = stored;
}

void CPSimpleDBDataProvider::SetResourceInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                              CPSimpleDBDataInfo* info,
                                              const CPSimpleDBDataResInfo& resInfo,
                                              CPSimpleDBRefnum* newRefnum) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> all = ReadAll(*this, session, refnum, &found, &stored);
  uint32_t used = SplitResource(found, stored, all, nullptr);
  // The body keeps the encoding it was written in; so does the new information.
  ModifyResource(session, refnum, &found, resInfo, stored, all.data() + used,
                 static_cast<CPDataSize>(all.size() - used), newRefnum);
  if (info) *info = found;
}

bool CPSimpleDBDataProvider::ResourceIDExists(CPSimpleDBSession* session,
                                              CPSimpleDBResourceStorageID storageID,
                                              CPSimpleDBDataType type, CPResID id,
                                              CPSimpleDBRefnum* refnum,
                                              CPSimpleDBDataResInfo* resInfo) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  for (bool more = GetFirstData(session, type, &info, &r); more;
       more = GetNextData(session, type, &info, &r)) {
    if (!(info.flags & kSDBResourceInfoFlag)) continue;
    CPSimpleDBDataResInfo found;
    GetResourceInfos(session, r, nullptr, &found, nullptr);
    if (found.storageID == storageID && found.resID == id) {
      if (refnum) *refnum = r;
      if (resInfo) *resInfo = found;
      return true;
    }
  }
  return false;
}

bool CPSimpleDBDataProvider::ResourceIDExists(CPSimpleDBSession* session,
                                              CPSimpleDBResourceStorageID storageID,
                                              CPSimpleDBDataType type, ConstStringPtr name,
                                              CPSimpleDBRefnum* refnum,
                                              CPSimpleDBDataResInfo* resInfo) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  for (bool more = GetFirstData(session, type, &info, &r); more;
       more = GetNextData(session, type, &info, &r)) {
    if (!(info.flags & kSDBResourceInfoFlag)) continue;
    CPSimpleDBDataResInfo found;
    GetResourceInfos(session, r, nullptr, &found, nullptr);
    if (found.storageID == storageID && CPEqualString(found.name, name, false, false)) {
      if (refnum) *refnum = r;
      if (resInfo) *resInfo = found;
      return true;
    }
  }
  return false;
}

CPResID CPSimpleDBDataProvider::GetNewResourceID(CPSimpleDBSession* session,
                                                 CPSimpleDBResourceStorageID storageID,
                                                 CPSimpleDBDataType type) {
  // One walk gathers the IDs taken; the candidates then cost nothing.
  std::vector<bool> taken(65536, false);
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  for (bool more = GetFirstData(session, type, &info, &r); more;
       more = GetNextData(session, type, &info, &r)) {
    if (!(info.flags & kSDBResourceInfoFlag)) continue;
    CPSimpleDBDataResInfo found;
    GetResourceInfos(session, r, nullptr, &found, nullptr);
    if (found.storageID == storageID) taken[static_cast<uint16_t>(found.resID)] = true;
  }
  uint32_t ticks = CPClock::Ticks();
  auto candidate = static_cast<CPResID>(ticks + ticks / 65535);
  for (int tries = 0; tries < 65536; ++tries) {
    if (candidate != 0 && !taken[static_cast<uint16_t>(candidate)]) return candidate;
    int32_t next = int32_t(candidate) + 1;
    candidate = static_cast<CPResID>(next + next / 65535);
  }
  CPThrow(kSDBErrNoFreeResourceID);
}

// ---- index records

namespace {

void CheckIndex(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum) {
  if (info.type != kSDBIndexType) CPSimpleDBThrowAt(kSDBErrNotAnIndex, refnum);
}

std::vector<unsigned char> IndexImage(const CPSimpleDBDataIndexInfo& indexInfo, const void* items,
                                      CPDataSize size) {
  std::vector<unsigned char> image(kSDBIndexInfoSize + size);
  CPEncodeIndexInfo(indexInfo, CPHostEncoding, image.data());
  if (size) std::memcpy(image.data() + kSDBIndexInfoSize, items, size);
  return image;
}

}  // namespace

bool CPSimpleDBDataProvider::FindIndex(CPSimpleDBSession* session,
                                       const CPSimpleDBDataIndexInfo& indexInfo,
                                       CPSimpleDBRefnum* refnum) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  for (bool more = GetFirstData(session, kSDBIndexType, &info, &r); more;
       more = GetNextData(session, kSDBIndexType, &info, &r)) {
    if (GetDataSize(session, r) < kSDBIndexInfoSize) continue;
    CPSimpleDBDataIndexInfo stored;
    GetIndexInfos(session, r, &stored, nullptr, nullptr);
    if (stored.type == indexInfo.type && stored.key == indexInfo.key) {
      *refnum = r;
      return true;
    }
  }
  return false;
}

void CPSimpleDBDataProvider::GetIndexInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                           CPSimpleDBDataIndexInfo* indexInfo,
                                           CPSimpleDBDataInfo* info, CPDataEncoding* encoding) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  GetDataInfos(session, refnum, &found, &stored);
  CheckIndex(found, refnum);
  unsigned char head[kSDBIndexInfoSize];
  GetData(session, refnum, nullptr, nullptr, head, kSDBIndexInfoSize);
  if (indexInfo) CPDecodeIndexInfo(head, stored, indexInfo);
  if (info) *info = found;
  if (encoding) *encoding = stored;
}

CPDataSize CPSimpleDBDataProvider::GetIndexSize(CPSimpleDBSession* session,
                                                CPSimpleDBRefnum refnum) {
  CPSimpleDBDataInfo found;
  GetDataInfos(session, refnum, &found, nullptr);
  CheckIndex(found, refnum);
  CPDataSize size = GetDataSize(session, refnum);
  return size < kSDBIndexInfoSize ? 0 : size - kSDBIndexInfoSize;
}

void CPSimpleDBDataProvider::GetIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                      CPSimpleDBDataIndexInfo* indexInfo, void* items,
                                      CPDataSize size) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> all = ReadAll(*this, session, refnum, &found, &stored);
  CheckIndex(found, refnum);
  if (all.size() < kSDBIndexInfoSize || size > all.size() - kSDBIndexInfoSize)
    CPThrow(kSDBErrReadTooMuch);
  if (indexInfo) CPDecodeIndexInfo(all.data(), stored, indexInfo);
  if (size) std::memcpy(items, all.data() + kSDBIndexInfoSize, size);
}

void CPSimpleDBDataProvider::AddIndex(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                                      const CPSimpleDBDataIndexInfo& indexInfo, const void* items,
                                      CPDataSize size, CPSimpleDBRefnum* refnum) {
  std::vector<unsigned char> image = IndexImage(indexInfo, items, size);
  info->type = kSDBIndexType;
  info->format = kSDBIndexFormat;
  info->flags |= kSDBIndexRecordFlags;
  AddData(session, info, CPHostEncoding, image.data(), static_cast<CPDataSize>(image.size()),
          refnum, 0, 0);
}

void CPSimpleDBDataProvider::ModifyIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                         CPSimpleDBDataInfo* info,
                                         const CPSimpleDBDataIndexInfo& indexInfo,
                                         const void* items, CPDataSize size,
                                         CPSimpleDBRefnum* newRefnum) {
  CheckIndex(*info, refnum);
  std::vector<unsigned char> image = IndexImage(indexInfo, items, size);
  info->flags |= kSDBIndexRecordFlags;
  ModifyData(session, refnum, info, CPHostEncoding, image.data(),
             static_cast<CPDataSize>(image.size()), newRefnum);
}

void CPSimpleDBDataProvider::DeleteIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                         const CPSimpleDBDataInfo& info) {
  CheckIndex(info, refnum);
  DeleteData(session, refnum, info);
}

void CPSimpleDBDataProvider::SetIndexInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                           const CPSimpleDBDataIndexInfo& indexInfo) {
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  std::vector<unsigned char> all = ReadAll(*this, session, refnum, &found, &stored);
  CheckIndex(found, refnum);
  if (all.size() < kSDBIndexInfoSize) CPThrow(kSDBErrBadIndexRecord);
  CPEncodeIndexInfo(indexInfo, stored, all.data());
  CPSimpleDBRefnum placed = 0;
  ModifyData(session, refnum, &found, stored, all.data(), static_cast<CPDataSize>(all.size()),
             &placed);
}
