#include "simpledb/CPSimpleDBEventFile.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBBytes.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBSession.h"

namespace {

constexpr uint32_t kBeginAndInfo = kSDBLogBeginSize + kSDBDataInfoSize;

bool KnownAction(uint32_t action) {
  return action == kSDBLogAdd || action == kSDBLogModify || action == kSDBLogDelete ||
         action == kSDBLogMove;
}

bool WindowsFlags(uint32_t flags) { return (flags & kSDBWindowsMask) >= 2; }

[[noreturn]] void Damaged() { CPThrow(kSDBErrLogMarker); }

// An end record in either byte order: the marker tells which.
bool ReadEnd(const unsigned char* e, uint32_t* previous) {
  for (bool be : {kSDBHostBigEndian, !kSDBHostBigEndian}) {
    if (CPSDBGet32(e, be) == kSDBLogEndMarker) {
      *previous = CPSDBGet32(e + 12, be);
      return true;
    }
  }
  return false;
}

void WriteEnd(unsigned char* e, uint32_t previous) {
  const bool be = kSDBHostBigEndian;
  CPSDBPut32(e, kSDBLogEndMarker, be);
  CPSDBPut32(e + 4, 0, be);  // version
  CPSDBPut32(e + 8, 0, be);  // flags
  CPSDBPut32(e + 12, previous, be);
}

}  // namespace

// ---- the file and its header

CPSimpleDBLogFileHeader CPSimpleDBEventFile::MakeHeader(const CPSimpleDBHeader& database) {
  CPSimpleDBLogFileHeader h;
  std::memcpy(h.signature, database.signature, kSDBSignatureSize);
  h.type = database.type;
  h.creation = h.modification = CPClock::Now();
  h.baseID = database.baseID;
  h.noBase = database.noBase;
  return h;
}

void CPSimpleDBEventFile::Create(OSType creator, const CPSimpleDBHeader& database,
                                 CPFilePermission permission) {
  stream_.Close();
  stream_.Create(creator, kSDBLogFileType, true);
  stream_.Open(permission);
  CPSimpleDBLogFileHeader header = MakeHeader(database);
  WriteHeader(header);
  unsigned char end[kSDBLogEndSize];
  WriteEnd(end, 0);
  stream_.SetMarker(static_cast<int32_t>(kSDBLogHeaderSize), kCPFromStart);
  stream_.WriteData(end, static_cast<long>(kSDBLogEndSize));
}

void CPSimpleDBEventFile::Open(CPFilePermission permission) {
  if (!stream_.Exists()) CPThrow(kSDBErrLogMissing);
  stream_.Open(permission);
}

void CPSimpleDBEventFile::Close() {
  try {
    stream_.Close();
  } catch (...) {
    // A descriptor that fails to close has nothing left to give back.
  }
}

void CPSimpleDBEventFile::ReadAt(uint32_t offset, void* data, uint32_t count) {
  if (uint64_t(offset) + count > stream_.GetLength()) Damaged();
  stream_.SetMarker(static_cast<int32_t>(offset), kCPFromStart);
  stream_.ReadData(data, static_cast<long>(count));
}

CPSimpleDBLogFileHeader CPSimpleDBEventFile::ReadHeader() {
  unsigned char s[kSDBLogHeaderSize];
  ReadAt(0, s, kSDBLogHeaderSize);
  CPSimpleDBLogFileHeader h;
  const bool be = CPSDBStoredBigEndian(s + 24);
  std::memcpy(h.signature, s, kSDBSignatureSize);
  h.type = CPReadCode(s + 12);
  h.marker = CPSDBGet32(s + 16, be);
  if (h.marker != kSDBLogMarker) Damaged();
  h.version = CPSDBGet32(s + 20, be);
  if (h.version != kSDBLogVersion) CPThrow(kSDBErrLogVersion);
  h.flags = CPSDBGet32(s + 24, be);
  const bool windows = WindowsFlags(h.flags);
  auto date = [&](const unsigned char* p) {
    CPDate d = CPSDBGet32(p, be);
    return (d == 0 || !windows) ? d : d + kCPSecondsFrom1904To1970;
  };
  h.creation = date(s + 28);
  h.modification = date(s + 32);
  h.baseID = CPSDBGet32(s + 36, be);
  h.noBase = CPSDBGet32(s + 40, be);
  h.eventID = CPSDBGet32(s + 44, be);
  h.flags &= ~kSDBEncodingBits;
  return h;
}

void CPSimpleDBEventFile::WriteHeader(const CPSimpleDBLogFileHeader& h) {
  unsigned char s[kSDBLogHeaderSize] = {};
  const bool be = kSDBHostBigEndian;
  std::memcpy(s, h.signature, kSDBSignatureSize);
  CPWriteCode(s + 12, h.type);
  CPSDBPut32(s + 16, h.marker, be);
  CPSDBPut32(s + 20, h.version, be);
  CPSDBPut32(s + 24, (h.flags & ~kSDBEncodingBits) | (be ? kSDBBigEndianFlags : 0), be);
  CPSDBPut32(s + 28, h.creation, be);
  CPSDBPut32(s + 32, h.modification, be);
  CPSDBPut32(s + 36, h.baseID, be);
  CPSDBPut32(s + 40, h.noBase, be);
  CPSDBPut32(s + 44, h.eventID, be);
  stream_.SetMarker(0, kCPFromStart);
  stream_.WriteData(s, static_cast<long>(kSDBLogHeaderSize));
}

void CPSimpleDBEventFile::SetNoBase(uint32_t noBase) {
  CPSimpleDBLogFileHeader h = ReadHeader();
  h.noBase = noBase;
  h.modification = CPClock::Now();
  WriteHeader(h);
}

// ---- appending

// The whole event goes out in one write: a writer killed during it leaves at
// most this last event cut short, which Repair recognises and removes.
void CPSimpleDBEventFile::Append(uint32_t action, uint32_t noBase, CPSimpleDBEventID eventID,
                                 uint32_t autoID, const CPSimpleDBDataInfo& info,
                                 CPSimpleDBRefnum oldRefnum, const void* oldData,
                                 CPDataSize oldSize, CPSimpleDBRefnum newRefnum,
                                 const void* newData, CPDataSize newSize) {
  const uint32_t offset = stream_.GetLength();
  const uint64_t next = uint64_t(offset) + kSDBLogEventOverhead + oldSize + newSize;
  if (next > INT32_MAX) CPThrow(dskFulErr);
  buffer_.resize(static_cast<size_t>(next - offset));
  unsigned char* b = buffer_.data();
  const bool be = kSDBHostBigEndian;
  CPSDBPut32(b, kSDBLogBeginMarker, be);
  CPSDBPut32(b + 4, action | (be ? kSDBBigEndianFlags : 0), be);
  CPSDBPut32(b + 8, noBase, be);
  CPSDBPut32(b + 12, eventID, be);
  CPSDBPut32(b + 16, autoID, be);
  CPSDBPut32(b + 20, oldRefnum, be);
  CPSDBPut32(b + 24, oldSize, be);
  CPSDBPut32(b + 28, newRefnum, be);
  CPSDBPut32(b + 32, newSize, be);
  CPSDBPut32(b + 36, static_cast<uint32_t>(next), be);
  // The information as the record's header holds it, in its own byte order.
  CPSimpleDBDataHeader h;
  h.info = info;
  unsigned char stored[kSDBDataHeaderSize];
  CPEncodeDataHeader(h, stored);
  std::memcpy(b + kSDBLogBeginSize, stored + 12, kSDBDataInfoSize);
  unsigned char* p = b + kBeginAndInfo;
  if (oldSize) std::memcpy(p, oldData, oldSize);
  if (newSize) std::memcpy(p + oldSize, newData, newSize);
  WriteEnd(p + oldSize + newSize, offset);
  stream_.SetMarker(static_cast<int32_t>(offset), kCPFromStart);
  try {
    stream_.WriteData(b, static_cast<long>(buffer_.size()));
  } catch (...) {
    // An event cut short (a full disk) is taken off again: the log must end
    // with whole events for the next change to follow them.
    try {
      if (stream_.GetLength() > offset) stream_.SetLength(offset);
    } catch (...) {
      // Left to the next opening, which cuts an unfinished last event.
    }
    throw;
  }
}

void CPSimpleDBEventFile::AddData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                                  const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                  const void* data, CPDataSize size) {
  Append(kSDBLogAdd, noBase, eventID, autoID, info, 0, nullptr, 0, refnum, data, size);
}

void CPSimpleDBEventFile::ModifyData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                                     const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum,
                                     const void* oldData, CPDataSize oldSize,
                                     CPSimpleDBRefnum newRefnum, const void* newData,
                                     CPDataSize newSize) {
  Append(kSDBLogModify, noBase, eventID, autoID, info, oldRefnum, oldData, oldSize, newRefnum,
         newData, newSize);
}

void CPSimpleDBEventFile::DeleteData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                                     const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                     const void* data, CPDataSize size) {
  Append(kSDBLogDelete, noBase, eventID, autoID, info, refnum, data, size, 0, nullptr, 0);
}

void CPSimpleDBEventFile::MoveData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                                   const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                                   CPSimpleDBRefnum to) {
  Append(kSDBLogMove, noBase, eventID, autoID, info, from, nullptr, 0, to, nullptr, 0);
}

// ---- reading

bool CPSimpleDBEventFile::ReadEvent(uint32_t offset, CPSimpleDBLogEvent* e, bool withData) {
  const uint32_t length = stream_.GetLength();
  if (offset >= length) return false;
  unsigned char b[kBeginAndInfo];
  ReadAt(offset, b, kBeginAndInfo);
  const bool be = CPSDBStoredBigEndian(b + 4);
  if (CPSDBGet32(b, be) != kSDBLogBeginMarker) Damaged();
  e->offset = offset;
  e->action = CPSDBGet32(b + 4, be) & kSDBLogActionMask;
  if (!KnownAction(e->action)) Damaged();
  e->noBase = CPSDBGet32(b + 8, be);
  e->eventID = CPSDBGet32(b + 12, be);
  e->autoID = CPSDBGet32(b + 16, be);
  e->oldRefnum = CPSDBGet32(b + 20, be);
  e->oldSize = CPSDBGet32(b + 24, be);
  e->newRefnum = CPSDBGet32(b + 28, be);
  e->newSize = CPSDBGet32(b + 32, be);
  e->next = CPSDBGet32(b + 36, be);
  if (uint64_t(offset) + kSDBLogEventOverhead + e->oldSize + e->newSize != e->next ||
      e->next > length) {
    Damaged();
  }
  unsigned char stored[kSDBDataHeaderSize] = {};
  std::memcpy(stored + 12, b + kSDBLogBeginSize, kSDBDataInfoSize);
  CPSimpleDBDataHeader h;
  CPDecodeDataHeader(stored, &h, &e->encoding);
  e->info = h.info;
  unsigned char end[kSDBLogEndSize];
  ReadAt(e->next - kSDBLogEndSize, end, kSDBLogEndSize);
  uint32_t previous = 0;
  if (!ReadEnd(end, &previous) || previous != offset) Damaged();
  if (withData) {
    e->oldData.resize(e->oldSize);
    e->newData.resize(e->newSize);
    if (e->oldSize) ReadAt(offset + kBeginAndInfo, e->oldData.data(), e->oldSize);
    if (e->newSize) ReadAt(offset + kBeginAndInfo + e->oldSize, e->newData.data(), e->newSize);
  } else {
    e->oldData.clear();
    e->newData.clear();
  }
  return true;
}

uint32_t CPSimpleDBEventFile::PreviousEvent(uint32_t end) {
  if (end < kSDBLogFirstEvent) Damaged();
  unsigned char e[kSDBLogEndSize];
  ReadAt(end - kSDBLogEndSize, e, kSDBLogEndSize);
  uint32_t previous = 0;
  if (!ReadEnd(e, &previous)) Damaged();
  if (previous == 0 ? end != kSDBLogFirstEvent : previous < kSDBLogFirstEvent || previous >= end)
    Damaged();
  return previous;
}

CPSimpleDBEventID CPSimpleDBEventFile::GetLastEventID() {
  return GetLastEventID(stream_.GetLength());
}

CPSimpleDBEventID CPSimpleDBEventFile::GetLastEventID(uint32_t end) {
  uint32_t last = PreviousEvent(end);
  if (last == 0) return ReadHeader().eventID;
  CPSimpleDBLogEvent e;
  ReadEvent(last, &e, false);
  return e.eventID;
}

void CPSimpleDBEventFile::Play(uint32_t from, uint32_t to, bool withData, const Visitor& visit) {
  if (to == 0) to = stream_.GetLength();
  CPSimpleDBLogEvent e;
  for (uint32_t at = std::max(from, kSDBLogFirstEvent); at < to; at = e.next) {
    ReadEvent(at, &e, withData);
    if (e.next > to) Damaged();
    if (!visit(e)) return;
  }
}

void CPSimpleDBEventFile::PlayBack(bool withData, const Visitor& visit) {
  CPSimpleDBLogEvent e;
  for (uint32_t at = PreviousEvent(stream_.GetLength()); at != 0; at = PreviousEvent(at)) {
    ReadEvent(at, &e, withData);
    if (!visit(e)) return;
  }
}

std::vector<CPSimpleDBLogEvent> CPSimpleDBEventFile::GetLastEvents(CPSimpleDBEventID eventID,
                                                                   bool withData) {
  std::vector<CPSimpleDBLogEvent> events;
  PlayBack(withData, [&](CPSimpleDBLogEvent& e) {
    if (e.eventID <= eventID) return false;
    events.push_back(std::move(e));
    return true;
  });
  std::reverse(events.begin(), events.end());
  return events;
}

CPSimpleDBLogEvent CPSimpleDBEventFile::GetEventDataInfos(CPSimpleDBEventID eventID) {
  CPSimpleDBLogEvent found;
  bool ok = false;
  PlayBack(false, [&](CPSimpleDBLogEvent& e) {
    if (e.eventID < eventID) return false;
    if (e.eventID == eventID) found = e, ok = true;
    return !ok;
  });
  if (!ok) CPThrow(kSDBErrLogNoEvent);
  return found;
}

CPSimpleDBLogEvent CPSimpleDBEventFile::GetEventData(CPSimpleDBEventID eventID) {
  CPSimpleDBLogEvent e = GetEventDataInfos(eventID);
  ReadEvent(e.offset, &e, true);
  return e;
}

// ---- repair

uint32_t CPSimpleDBEventFile::WholeLength(uint32_t from) {
  const uint32_t length = stream_.GetLength();
  if (length < kSDBLogFirstEvent) Damaged();
  // The usual case, read from the end: the last end record closes an event
  // that ends the file.
  try {
    uint32_t last = PreviousEvent(length);
    CPSimpleDBLogEvent e;
    if (last == 0 || (ReadEvent(last, &e, false) && e.next == length)) return length;
  } catch (const CPException&) {
    // Cut short, or damaged: the walk below tells which.
  }
  uint32_t at = std::max(from, kSDBLogFirstEvent);
  while (at < length) {
    if (length - at < kBeginAndInfo) break;
    unsigned char b[kBeginAndInfo];
    ReadAt(at, b, kBeginAndInfo);
    const bool be = CPSDBStoredBigEndian(b + 4);
    if (CPSDBGet32(b, be) != kSDBLogBeginMarker) Damaged();
    uint64_t next =
        uint64_t(at) + kSDBLogEventOverhead + CPSDBGet32(b + 24, be) + CPSDBGet32(b + 32, be);
    if (next > length) break;  // its one write did not finish
    CPSimpleDBLogEvent e;
    ReadEvent(at, &e, false);
    at = e.next;
  }
  return std::min(at, length);
}

uint32_t CPSimpleDBEventFile::Repair(uint32_t from) {
  const uint32_t length = stream_.GetLength();
  const uint32_t whole = WholeLength(from);
  if (whole >= length) return 0;
  stream_.SetLength(whole);
  return length - whole;
}

int16_t CPSimpleDBEventFile::Check(const CPFileRef& fileRef, const CPSimpleDBHeader& database) {
  try {
    CPSimpleDBEventFile log(fileRef);
    log.Open(kCPFileRead);
    CPSimpleDBLogFileHeader h = log.ReadHeader();
    if (h.baseID != database.baseID || h.noBase != database.noBase) return kSDBErrLogOtherBase;
    const bool open = (database.flags & kSDBHeaderOpenFlag) != 0;
    const uint32_t end = open ? log.WholeLength() : log.GetNextEventRefnum();
    log.Play(kSDBLogFirstEvent, end, false, [](CPSimpleDBLogEvent&) { return true; });
    const CPSimpleDBEventID last = log.GetLastEventID(end);
    if (last < database.eventID) return kSDBErrLogBehind;
    if (last > database.eventID && !open) return kSDBErrLogAhead;
    return 0;
  } catch (const CPException& e) {
    return e.Code() ? e.Code() : int16_t(kSDBErrLogMarker);
  }
}

// ---- replaying

// A replay may meet records the file already has (a file whose header lagged
// behind its last changes): an add of a record already there rewrites it, a
// change of a record not there adds it, a deletion of one not there is done.
// The result is the same as if the file had been exactly at its eventID.
void CPSimpleDBEventFile::RebuildDataBase(CPSimpleDBFile& file, CPSimpleDBEventID fromEventID) {
  CPSimpleDBSession session(&file);
  Play(kSDBLogFirstEvent, 0, true, [&](CPSimpleDBLogEvent& e) {
    if (e.eventID < fromEventID) return true;
    file.SetAutoID(e.autoID);
    file.SetEventID(e.eventID - 1);
    CPSimpleDBDataInfo info = e.info;
    CPSimpleDBRefnum refnum = 0, placed = 0;
    const bool there = session.GetDataRefnum(info.dataID, &refnum);
    switch (e.action) {
      case kSDBLogAdd:
      case kSDBLogModify:
        if (there) {
          CPSimpleDBDataInfo stored;
          session.GetDataInfos(refnum, &stored, nullptr);
          if (stored.type != info.type) {
            session.DeleteData(refnum, stored);
            file.SetEventID(e.eventID - 1);
          } else {
            session.ModifyData(refnum, &info, e.encoding, e.newData.data(), e.newSize, &placed);
            break;
          }
        }
        session.AddData(&info, e.encoding, e.newData.data(), e.newSize, &refnum, info.dataID);
        break;
      case kSDBLogDelete:
        if (there) {
          session.DeleteData(refnum, info);
        } else {
          file.SetEventID(e.eventID);
        }
        break;
      default:
        // A move changes no content; it still counted as a change.
        file.SetEventID(e.eventID);
        break;
    }
    return true;
  });
}
