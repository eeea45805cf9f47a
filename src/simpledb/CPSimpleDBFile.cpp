// Record operations, IDs, change hooks and the counting of changes of a
// SimpleDB file. Opening, closing, the index and compaction are in
// CPSimpleDBFileOpen.cpp.
#include "simpledb/CPSimpleDBFile.h"

#include <cstring>
#include <vector>

#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBShareFile.h"

CPSimpleDBFile::CPSimpleDBFile(const CPFileRef& fileRef) : stream_(fileRef) {}

CPSimpleDBFile::~CPSimpleDBFile() {
  try {
    Close();
  } catch (...) {
    // Destruction cannot report; the header keeps the open flag and the next
    // opening rebuilds the index.
  }
}

void CPSimpleDBFile::CheckWritable() const {
  if (readOnly_ || abandoned_) CPThrow(kSDBErrReadOnly);
}

void CPSimpleDBFile::SetNoBase(uint32_t noBase) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  header_.noBase = noBase;
  WriteHeader(true);
  if (logRunning_) log_->SetNoBase(noBase);
}

void CPSimpleDBFile::SetAutoID(uint32_t autoID) {
  header_.autoID = autoID;
  if (!readOnly_ && !FastAdd()) WriteHeader(true);
}

void CPSimpleDBFile::SetEventID(CPSimpleDBEventID eventID) {
  header_.eventID = eventID;
  if (!readOnly_ && !FastAdd()) WriteHeader(true);
}

CPSimpleDBDataID CPSimpleDBFile::GetNewID() {
  CPSimpleDBAccessLocker lock(this);
  ++header_.autoID;
  if (!readOnly_ && !FastAdd()) WriteHeader(true);
  return ((header_.noBase - 1) << 24) + (header_.autoID & 0xFFFFFF);
}

// ---- reads

void CPSimpleDBFile::GetDataInfos(CPSimpleDBSession*, CPSimpleDBRefnum refnum,
                                  CPSimpleDBDataInfo* info, CPDataEncoding* encoding) {
  CPSimpleDBAccessLocker lock(this);
  Reader().GetDataInfos(refnum, info, encoding);
}

CPDataSize CPSimpleDBFile::GetDataSize(CPSimpleDBSession*, CPSimpleDBRefnum refnum) {
  CPSimpleDBAccessLocker lock(this);
  return Reader().GetDataSize(refnum);
}

uint32_t CPSimpleDBFile::GetNbOfData(CPSimpleDBSession*) {
  CPSimpleDBAccessLocker lock(this);
  if (indexValid_) return static_cast<uint32_t>(index_.Count());
  return Reader().GetNbOfData();
}

bool CPSimpleDBFile::GetNthData(CPSimpleDBSession*, uint32_t n, CPSimpleDBDataType type,
                                CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) return Reader().GetNthData(n, type, info, refnum);
  const CPSimpleDBFileIndexItem* item = index_.Nth(n, type);
  if (!item) return false;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}

bool CPSimpleDBFile::GetFirstData(CPSimpleDBSession*, CPSimpleDBDataType type,
                                  CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) return Reader().GetFirstData(type, info, refnum);
  const CPSimpleDBFileIndexItem* item = index_.Next(0, type);
  if (!item) return false;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}

bool CPSimpleDBFile::GetNextData(CPSimpleDBSession*, CPSimpleDBDataType type,
                                 CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) return Reader().GetNextData(type, info, refnum);
  CPSimpleDBDataInfo current;
  Reader().GetDataInfos(*refnum, &current, nullptr);
  const CPSimpleDBFileIndexItem* item = index_.Next(current.dataID, type);
  if (!item) return false;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}

bool CPSimpleDBFile::IDExists(CPSimpleDBSession* session, CPSimpleDBDataID dataID) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) return CPSimpleDBDataProvider::IDExists(session, dataID);
  return index_.Find(dataID) != nullptr;
}

void CPSimpleDBFile::GetDataID(CPSimpleDBSession*, CPSimpleDBRefnum refnum,
                               CPSimpleDBDataID* dataID) {
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBDataInfo info;
  Reader().GetDataInfos(refnum, &info, nullptr);
  *dataID = info.dataID;
}

bool CPSimpleDBFile::GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                                   CPSimpleDBRefnum* refnum) {
  return GetDataRefnum(session, dataID, nullptr, refnum);
}

bool CPSimpleDBFile::GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                                   CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) return CPSimpleDBDataProvider::GetDataRefnum(session, dataID, info, refnum);
  const CPSimpleDBFileIndexItem* item = index_.Find(dataID);
  if (!item) return false;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}

void CPSimpleDBFile::GetData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                             CPSimpleDBDataInfo* info, CPDataEncoding* encoding, void* data,
                             CPDataSize size) {
  CPSimpleDBAccessLocker lock(this);
  // The session decides on the record's own access, known once its header is
  // read and before any data is copied.
  CPSimpleDBBlocsHandler::InfoCheck check;
  if (session)
    check = [&](const CPSimpleDBDataInfo& found) { CheckAllowed(session, kSDBActionGet, found); };
  Reader().GetData(refnum, info, encoding, data, size, check);
}

// ---- writes

namespace {

// The stored record and the one a caller writes hold the same bytes under
// the same information, the modification date aside.
bool IsSameRecord(const CPSimpleDBDataInfo& storedInfo, const CPDataEncoding& storedEncoding,
                  const std::vector<unsigned char>& stored, const CPSimpleDBDataInfo& info,
                  const void* data, CPDataSize size) {
  if (stored.size() != size) return false;
  CPSimpleDBDataInfo had = storedInfo;
  had.SetEncoding(storedEncoding);
  had.modification = info.modification;
  return had == info && (size == 0 || std::memcmp(stored.data(), data, size) == 0);
}

}  // namespace

void CPSimpleDBFile::AddData(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                             const CPDataEncoding& encoding, const void* data, CPDataSize size,
                             CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID, uint32_t fastAdd) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  CheckAllowed(session, kSDBActionAdd, *info);
  // Two records under one ID would make lookups answer either at random.
  if (dataID != 0 && IDExists(session, dataID)) CPThrow(kSDBErrDuplicateID);
  CPSimpleDBDataHeader header;
  header.info = *info;
  header.info.SetEncoding(encoding);
  // Marked before the new ID is handed out, which writes the header: a
  // station killed in between would otherwise leave the header's counter one
  // ahead of the log with nothing telling the others to set it right.
  BeginChange(kSDBActionAdd);
  header.info.dataID = dataID ? dataID : GetNewID();
  if (!replaying_) header.info.creation = header.info.modification = CPClock::Now();
  blocs_.AddData(header, data, size, refnum, fastAdd != 0);
  const uint32_t logWas = logEnd_;
  try {
    LogAddData(session, header.info, *refnum, data, size);
  } catch (...) {
    // A record its event could not follow into the log (a full disk) is taken
    // off again: the file stays as the log and this station's view say it is.
    if (logRunning_ && logEnd_ == logWas) {
      try {
        blocs_.DeleteData(*refnum);
      } catch (...) {
        // The next opening compares the file with its log and logs the record.
      }
    }
    throw;
  }
  DataAdded(header.info, *refnum, data, size, true);
  *info = header.info;
  info->flags &= ~kSDBEncodingBits;
}

void CPSimpleDBFile::ModifyData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                                const void* data, CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBDataHeader stored;
  CPDataEncoding oldEncoding;
  std::vector<unsigned char> old;
  Reader().ReadRecord(refnum, &stored, &oldEncoding, &old);
  if (stored.info.dataID == 0) CPSimpleDBThrowAt(kSDBErrFreeRecord, refnum);
  if (stored.info.type != info->type) CPSimpleDBThrowAt(kSDBErrOtherType, refnum);
  if (stored.info.dataID != info->dataID) CPSimpleDBThrowAt(kSDBErrOtherDataID, refnum);
  CheckAllowed(session, kSDBActionModify, stored.info);
  auto oldSize = static_cast<CPDataSize>(old.size());
  CPSimpleDBDataHeader header;
  header.info = *info;
  header.info.SetEncoding(encoding);
  if (!replaying_ && IsSameRecord(stored.info, oldEncoding, old, header.info, data, size)) {
    // Rewriting a record as it is changes nothing: nothing is written, logged
    // or announced, and its date stays. A replay keeps every logged change.
    *newRefnum = refnum;
    *info = stored.info;
    return;
  }
  if (!replaying_) header.info.modification = CPClock::Now();
  BeginChange(kSDBActionModify);
  blocs_.ModifyData(refnum, header, data, size, newRefnum);
  LogModifyData(session, header.info, refnum, old.data(), oldSize, *newRefnum, data, size);
  OldDataEncoding told(this, oldEncoding);
  DataModified(header.info, refnum, old.data(), oldSize, *newRefnum, data, size, true);
  *info = header.info;
  info->flags &= ~kSDBEncodingBits;
}

void CPSimpleDBFile::DeleteData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                const CPSimpleDBDataInfo&) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBDataHeader header;
  CPDataEncoding storedEncoding;
  std::vector<unsigned char> old;
  Reader().ReadRecord(refnum, &header, &storedEncoding, &old);
  CPSimpleDBDataInfo& stored = header.info;
  if (stored.dataID == 0) CPSimpleDBThrowAt(kSDBErrFreeRecord, refnum);
  if (stored.IsFree()) CPSimpleDBThrowAt(kSDBErrAlreadyFree, refnum);
  CheckAllowed(session, kSDBActionDelete, stored);
  auto oldSize = static_cast<CPDataSize>(old.size());
  BeginChange(kSDBActionDelete);
  blocs_.DeleteData(refnum);
  stored.SetEncoding(storedEncoding);  // the hooks see the stored bytes' encoding
  LogDeleteData(session, stored, refnum, old.data(), oldSize);
  DataDeleted(stored, refnum, old.data(), oldSize, true);
}

void CPSimpleDBFile::MoveData(CPSimpleDBSession* session, CPSimpleDBRefnum from,
                              CPSimpleDBRefnum to) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  Reader().GetDataInfos(from, &info, &encoding);
  BeginChange(CPFourCC("move"));
  blocs_.MoveData(from, to);
  info.SetEncoding(encoding);
  LogMoveData(session, info, from, to);
  DataMoved(info, from, to);
}

// ---- hooks: the index first, then the sessions

void CPSimpleDBFile::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                               const void* data, CPDataSize size, bool flag) {
  if (indexValid_) {
    index_.Insert({info.dataID, info.type, refnum});
    indexDirty_ = true;
  }
  CPSimpleDBDataProvider::DataAdded(info, refnum, data, size, flag);
}

void CPSimpleDBFile::DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum,
                                  const void* oldData, CPDataSize oldSize,
                                  CPSimpleDBRefnum newRefnum, const void* newData,
                                  CPDataSize newSize, bool flag) {
  if (indexValid_ && oldRefnum != newRefnum) {
    if (!index_.SetRefnum(info.dataID, newRefnum))
      index_.Insert({info.dataID, info.type, newRefnum});
    indexDirty_ = true;
  }
  CPSimpleDBDataProvider::DataModified(info, oldRefnum, oldData, oldSize, newRefnum, newData,
                                       newSize, flag);
}

void CPSimpleDBFile::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                 const void* data, CPDataSize size, bool flag) {
  if (indexValid_) {
    index_.Remove(info.dataID);
    indexDirty_ = true;
  }
  CPSimpleDBDataProvider::DataDeleted(info, refnum, data, size, flag);
}

void CPSimpleDBFile::DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                               CPSimpleDBRefnum to) {
  if (from == header_.indexRefnum && info.type == kSDBFileIndexType) {
    header_.indexRefnum = to;
    if (!readOnly_) WriteHeader(true);
  } else if (indexValid_) {
    index_.SetRefnum(info.dataID, to);
    indexDirty_ = true;
  }
  CPSimpleDBDataProvider::DataMoved(info, from, to);
}

// ---- fast add, the appended stream

uint32_t CPSimpleDBFile::NewFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type) {
  if (shared_) UpdateSharedData();
  return CPSimpleDBDataProvider::NewFastAdd(session, type);
}

void CPSimpleDBFile::CloseFastAdd(CPSimpleDBSession* session, uint32_t fastAdd) {
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBDataProvider::CloseFastAdd(session, fastAdd);
  if (!readOnly_) WriteHeader(true);
}

CPDataSize CPSimpleDBFile::GetStreamSize(CPSimpleDBSession*) const {
  return static_cast<CPDataSize>(GetHandleSize(streamHandle_));
}

Handle CPSimpleDBFile::GetStream(CPSimpleDBSession*) const { return streamHandle_; }
