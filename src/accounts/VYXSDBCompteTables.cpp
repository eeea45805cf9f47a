#include "accounts/VYXSDBCompteTables.h"

#include <algorithm>
#include <cstring>

#include "accounts/VYXCompteKeys.h"
#include "accounts/VYXOperationStream.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

// A 16-bit item at `offset` of stored bytes, in the record's byte order.
uint16_t StoredShort(const unsigned char* bytes, size_t offset, const CPDataEncoding& e) {
  uint16_t v;
  std::memcpy(&v, bytes + offset, 2);
  return CPNeedByteSwapping(e) ? CPSwap16(v) : v;
}

// A split line's stream form starts with creation, modification and its own
// key (longs); its operation's key follows as a short.
constexpr size_t kLineOperationOffset = 12;

}  // namespace

// ---- information record

bool VYXSDBCompteInfosHandler::Read(CompteInfos* infos) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum;
  if (!GetFirstData(&info, &refnum)) return false;
  GetData(refnum, &info, infos);
  return true;
}

void VYXSDBCompteInfosHandler::Write(const CompteInfos& infos) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum;
  if (GetFirstData(&info, &refnum)) {
    CPSimpleDBRefnum moved;
    info.modification = infos.header.modification;
    ModifyData(refnum, &info, CPHostEncoding, infos, &moved);
  } else {
    info = NewInfo();
    info.creation = info.modification = infos.header.modification;
    AddData(&info, CPHostEncoding, infos, &refnum);
  }
}

// ---- operations

void VYXSDBOperationHandler::DataToStream(const CPSimpleDBDataInfo&, const Operation& op,
                                          const CPDataEncoding& encoding, CPStream& stream) {
  VYXWriteOperation(stream, op, encoding);
}

void VYXSDBOperationHandler::StreamToData(const CPSimpleDBDataInfo&, CPStream& stream,
                                          const CPDataEncoding& encoding, Operation* op) {
  VYXReadOperation(stream, op, encoding);
}

void VYXSDBOperationHandler::Read(VYXDataRef ref, Operation* op) {
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  CPDataSize size = CPSimpleDBSession::GetDataSize(ref);
  thread_local std::vector<unsigned char> stored;
  stored.resize(size);
  CPSimpleDBSession::GetData(ref, &info, &encoding, stored.data(), size);
  if (info.type != GetType()) CPThrow(kSDBErrOtherType);
  info.SetEncoding(encoding);
  Decode(info, stored.data(), size, op);
}

void VYXSDBOperationHandler::Decode(const CPSimpleDBDataInfo& info, const unsigned char* stored,
                                    CPDataSize size, Operation* op) {
  if (IsStreamed(info)) {
    VYXReadOperation(stored, size, op, info.GetEncoding());
    return;
  }
  std::vector<unsigned char> layout = ToLayout(info, stored, size);
  if (layout.size() != sizeof(Operation)) CPThrow(kSDBErrBadSize);
  std::memcpy(static_cast<void*>(op), layout.data(), sizeof(Operation));
}

void VYXSDBOperationHandler::StartList() {
  entries_.clear();
  byKey_.assign(kVYXMaxOperationKey + 1, 0);
  byLargeKey_.clear();
  cursor_ = 0;
}

void VYXSDBOperationHandler::List(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                  const unsigned char* stored, CPDataSize size, Operation* op) {
  if (IsStreamed(info)) {
    VYXReadOperationFigures(stored, size, op, info.GetEncoding());
  } else {
    Decode(info, stored, size, op);
  }
  Insert(Entry{info.dataID, refnum, op->header.dataID});
}

size_t VYXSDBOperationHandler::PositionOfID(CPSimpleDBDataID dbID) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), dbID,
                             [](const Entry& e, CPSimpleDBDataID id) { return e.dbID < id; });
  if (it == entries_.end() || it->dbID != dbID) return entries_.size();
  return size_t(it - entries_.begin());
}

size_t VYXSDBOperationHandler::PositionOf(CPSimpleDBRefnum refnum) {
  // Walks go forward record by record: the one after the last found is the
  // usual answer.
  for (size_t p : {cursor_, cursor_ + 1}) {
    if (p < entries_.size() && entries_[p].refnum == refnum) return p;
  }
  CPSimpleDBDataID dbID = 0;
  try {
    GetDataID(refnum, &dbID);
  } catch (const CPException&) {
    return entries_.size();
  }
  size_t p = PositionOfID(dbID);
  if (p < entries_.size() && entries_[p].refnum != refnum) return entries_.size();
  return p;
}

VYXDataRef VYXSDBOperationHandler::Next(VYXDataRef ref) {
  size_t p = PositionOf(ref);
  if (p + 1 >= entries_.size()) return 0;
  cursor_ = p + 1;
  return entries_[p + 1].refnum;
}

bool VYXSDBOperationHandler::Contains(VYXDataRef ref) {
  size_t p = PositionOf(ref);
  if (p >= entries_.size()) return false;
  cursor_ = p;
  return true;
}

VYXDataRef VYXSDBOperationHandler::Find(DataID key) const {
  CPSimpleDBDataID dbID = 0;
  if (key <= kVYXMaxOperationKey) {
    dbID = byKey_[key];
  } else if (auto it = byLargeKey_.find(key); it != byLargeKey_.end()) {
    dbID = it->second;
  }
  if (dbID == 0) return 0;
  size_t p = PositionOfID(dbID);
  return p < entries_.size() ? entries_[p].refnum : 0;
}

void VYXSDBOperationHandler::IndexKey(DataID key, CPSimpleDBDataID dbID) {
  CPSimpleDBDataID& slot = key <= kVYXMaxOperationKey ? byKey_[key] : byLargeKey_[key];
  if (slot == 0 || dbID < slot) slot = dbID;
}

// Keys may repeat in files written before keys were guarded: when the first
// record of a key goes, the next one of the same key takes its place.
void VYXSDBOperationHandler::UnindexKey(DataID key, CPSimpleDBDataID dbID) {
  CPSimpleDBDataID* slot = nullptr;
  if (key <= kVYXMaxOperationKey) {
    slot = &byKey_[key];
  } else if (auto it = byLargeKey_.find(key); it != byLargeKey_.end()) {
    slot = &it->second;
  }
  if (!slot || *slot != dbID) return;
  *slot = 0;
  for (const Entry& e : entries_) {
    if (e.key == key && e.dbID != dbID) {
      *slot = e.dbID;
      break;
    }
  }
  if (*slot == 0 && key > kVYXMaxOperationKey) byLargeKey_.erase(key);
}

void VYXSDBOperationHandler::Insert(const Entry& entry) {
  if (byKey_.empty()) byKey_.assign(kVYXMaxOperationKey + 1, 0);
  if (entries_.empty() || entries_.back().dbID < entry.dbID) {
    entries_.push_back(entry);
  } else {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), entry.dbID,
                               [](const Entry& e, CPSimpleDBDataID id) { return e.dbID < id; });
    if (it != entries_.end() && it->dbID == entry.dbID) {
      *it = entry;
    } else {
      entries_.insert(it, entry);
    }
  }
  IndexKey(entry.key, entry.dbID);
}

void VYXSDBOperationHandler::Erase(size_t position) {
  Entry gone = entries_[position];
  entries_.erase(entries_.begin() + std::ptrdiff_t(position));
  UnindexKey(gone.key, gone.dbID);
  if (cursor_ > 0 && cursor_ >= position) --cursor_;
}

void VYXSDBOperationHandler::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                       Operation& op, bool) {
  Insert(Entry{info.dataID, refnum, op.header.dataID});
}

void VYXSDBOperationHandler::DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                          Operation&, CPSimpleDBRefnum newRefnum, Operation& newOp,
                                          bool) {
  size_t p = PositionOfID(info.dataID);
  if (p == entries_.size()) {
    Insert(Entry{info.dataID, newRefnum, newOp.header.dataID});
    return;
  }
  entries_[p].refnum = newRefnum;
  // The old key is the one listed: the old bytes may have been written in
  // another byte order than the info the hook carries says.
  if (entries_[p].key != newOp.header.dataID) {
    UnindexKey(entries_[p].key, info.dataID);
    entries_[p].key = newOp.header.dataID;
    IndexKey(newOp.header.dataID, info.dataID);
  }
}

void VYXSDBOperationHandler::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                         Operation&, bool) {
  size_t p = PositionOfID(info.dataID);
  if (p < entries_.size()) Erase(p);
}

// ---- split lines

void VYXSDBSousOperationHandler::DataToStream(const CPSimpleDBDataInfo&, const SousOperation& line,
                                              const CPDataEncoding& encoding, CPStream& stream) {
  VYXWriteSousOperation(stream, line, encoding);
}

void VYXSDBSousOperationHandler::StreamToData(const CPSimpleDBDataInfo&, CPStream& stream,
                                              const CPDataEncoding& encoding, SousOperation* line) {
  VYXReadSousOperation(stream, line, encoding);
}

void VYXSDBSousOperationHandler::Read(VYXDataRef ref, SousOperation* line) {
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  CPDataSize size = CPSimpleDBSession::GetDataSize(ref);
  thread_local std::vector<unsigned char> stored;
  stored.resize(size);
  CPSimpleDBSession::GetData(ref, &info, &encoding, stored.data(), size);
  if (info.type != GetType()) CPThrow(kSDBErrOtherType);
  if (!IsStreamed(info)) {
    GetData(ref, nullptr, line);
    return;
  }
  VYXReadSousOperation(stored.data(), size, line, encoding);
}

void VYXSDBSousOperationHandler::Decode(const CPSimpleDBDataInfo& info, const unsigned char* stored,
                                        CPDataSize size, SousOperation* line) {
  if (IsStreamed(info)) {
    VYXReadSousOperation(stored, size, line, info.GetEncoding());
    return;
  }
  std::vector<unsigned char> layout = ToLayout(info, stored, size);
  if (layout.size() != sizeof(SousOperation)) CPThrow(kSDBErrBadSize);
  std::memcpy(static_cast<void*>(line), layout.data(), sizeof(SousOperation));
}

void VYXSDBSousOperationHandler::StartList() {
  byOperation_.clear();
  count_ = 0;
}

void VYXSDBSousOperationHandler::List(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                      const unsigned char* stored, CPDataSize size) {
  uint16_t opKey;
  if (IsStreamed(info)) {
    if (size < kLineOperationOffset + 2) CPSimpleDBThrowAt(kSDBErrReadTooMuch, refnum);
    opKey = StoredShort(stored, kLineOperationOffset, info.GetEncoding());
  } else {
    std::vector<unsigned char> layout = ToLayout(info, stored, size);
    if (layout.size() != sizeof(SousOperation)) CPThrow(kSDBErrBadSize);
    SousOperation line;
    std::memcpy(static_cast<void*>(&line), layout.data(), sizeof line);
    opKey = line.operation;
  }
  Insert(opKey, Entry{info.dataID, refnum});
}

VYXDataRef VYXSDBSousOperationHandler::First(DataID opKey) const {
  auto it = byOperation_.find(uint16_t(opKey));
  if (it == byOperation_.end() || it->second.empty()) return 0;
  return it->second.front().refnum;
}

VYXDataRef VYXSDBSousOperationHandler::Next(DataID opKey, VYXDataRef ref) const {
  auto it = byOperation_.find(uint16_t(opKey));
  if (it == byOperation_.end()) return 0;
  const std::vector<Entry>& lines = it->second;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].refnum == ref) return lines[i + 1].refnum;
  }
  return 0;
}

void VYXSDBSousOperationHandler::Insert(uint16_t opKey, const Entry& entry) {
  std::vector<Entry>& lines = byOperation_[opKey];
  auto it = std::lower_bound(lines.begin(), lines.end(), entry.dbID,
                             [](const Entry& e, CPSimpleDBDataID id) { return e.dbID < id; });
  if (it != lines.end() && it->dbID == entry.dbID) {
    *it = entry;
    return;
  }
  lines.insert(it, entry);
  ++count_;
}

bool VYXSDBSousOperationHandler::Erase(uint16_t opKey, CPSimpleDBDataID dbID) {
  auto found = byOperation_.find(opKey);
  if (found == byOperation_.end()) return false;
  std::vector<Entry>& lines = found->second;
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->dbID == dbID) {
      lines.erase(it);
      --count_;
      if (lines.empty()) byOperation_.erase(found);
      return true;
    }
  }
  return false;
}

// When the old bytes do not name the line's operation as listed (they may be
// in another byte order than the hook's info says), the line is looked for
// under every operation.
void VYXSDBSousOperationHandler::EraseAnywhere(uint16_t opKey, CPSimpleDBDataID dbID) {
  if (Erase(opKey, dbID)) return;
  for (auto& [key, lines] : byOperation_) {
    for (const Entry& e : lines) {
      if (e.dbID == dbID) {
        Erase(key, dbID);
        return;
      }
    }
  }
}

void VYXSDBSousOperationHandler::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                           SousOperation& line, bool) {
  Insert(line.operation, Entry{info.dataID, refnum});
}

void VYXSDBSousOperationHandler::DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                              SousOperation& oldLine, CPSimpleDBRefnum newRefnum,
                                              SousOperation& newLine, bool) {
  EraseAnywhere(oldLine.operation, info.dataID);
  Insert(newLine.operation, Entry{info.dataID, newRefnum});
}

void VYXSDBSousOperationHandler::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum,
                                             SousOperation& line, bool) {
  EraseAnywhere(line.operation, info.dataID);
}
