// Creating, opening and closing a SimpleDB file, its header, its index (saved
// at close, rebuilt by walking otherwise), recovery after an unclean stop, and
// compaction.
#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/CPBusyWait.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPCRC16.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBShareFile.h"

namespace {

uint32_t Get32(const unsigned char* p, bool bigEndian) {
  if (bigEndian)
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

// ---- header

void CPSimpleDBFile::ReadHeader() {
  if (stream_.GetLength() < kSDBHeaderAreaSize) CPThrow(kSDBErrTooShort);
  headerArea_ = std::make_unique<unsigned char[]>(kSDBHeaderAreaSize);
  stream_.SetMarker(0, kCPFromStart);
  stream_.ReadData(headerArea_.get(), static_cast<long>(kSDBHeaderAreaSize));
  CPDecodeHeader(headerArea_.get(), &header_, &headerEncoding_);
}

// Only the 120 bytes of fields are written: the rest of the area is kept as it
// is on disk, so the file is the same as if all 5,120 bytes were.
void CPSimpleDBFile::WriteHeader(bool open) {
  header_.modification = CPClock::Now();
  if (open) {
    header_.flags |= kSDBHeaderOpenFlag;
    markPending_ = false;
  } else {
    header_.flags &= ~kSDBHeaderOpenFlag;
  }
  CPEncodeHeader(header_, headerArea_.get());
  stream_.SetMarker(0, kCPFromStart);
  stream_.WriteData(headerArea_.get(), static_cast<long>(kSDBHeaderSize));
}

// ---- opening

void CPSimpleDBFile::OpenStream(CPFilePermission permission) {
  if (open_) CPThrow(paramErr);
  stream_.Open(permission);
  open_ = true;
  abandoned_ = false;
  recovery_ = Recovery();
  blocs_ = CPSimpleDBBlocsHandler(&stream_, kSDBHeaderAreaSize);
}

// Taken before the opening's own lock and given back after it (locks nest):
// from here to the command's end, every operation of this station runs under
// it and the others wait.
void CPSimpleDBFile::JoinCommand() {
  CPFileRollback* rollback = CPFileRollback::Current();
  if (!rollback || readOnly_) return;
  rollback_ = rollback;
  rollback_->Join(this);
  if (shared_) commandHold_ = std::make_unique<CPSimpleDBAccessLocker>(this);
}

void CPSimpleDBFile::Committed() {
  rollback_ = nullptr;
  commandHold_.reset();
}

// The bytes are back as they were; what this object holds in memory is not,
// and is no longer written anywhere. Other stations never saw the command:
// they held no lock meanwhile.
void CPSimpleDBFile::RolledBack() {
  rollback_ = nullptr;
  abandoned_ = true;
  commandHold_.reset();
}

void CPSimpleDBFile::Create(OSType creator, OSType type, ConstStringPtr signature,
                            uint32_t contentVersion, bool shared) {
  header_ = CPSimpleDBHeader::New();
  unsigned char length = std::min<unsigned char>(signature[0], kSDBSignatureSize - 1);
  header_.signature[0] = length;
  std::memcpy(header_.signature + 1, signature + 1, length);
  header_.type = type;
  header_.contentVersion = contentVersion;
  stream_.Create(creator, type, false);
  OpenStream(shared ? kCPFileReadWriteShared : kCPFileReadWrite);
  try {
    readOnly_ = stream_.IsLocked() || stream_.VolumeIsLocked();
    shared_ = shared && !readOnly_;
    if (shared_) OpenShareFile();
    JoinCommand();
    CPSimpleDBAccessLocker lock(this);
    header_.creation = CPClock::Now();
    headerArea_ = std::make_unique<unsigned char[]>(kSDBHeaderAreaSize);
    std::memset(headerArea_.get(), 0, kSDBHeaderAreaSize);
    if (!readOnly_) {
      // The whole area in one write: the file never exists without its header.
      header_.flags |= kSDBHeaderOpenFlag;
      header_.modification = header_.creation;
      CPEncodeHeader(header_, headerArea_.get());
      stream_.SetMarker(0, kCPFromStart);
      stream_.WriteData(headerArea_.get(), static_cast<long>(kSDBHeaderAreaSize));
      blocs_.SetJournal(&journal_);
    }
    if (shared_) CheckShareOnOpening();
    SetupIndex();
    if (shared_) StartEventLog();
    ReloadCopy();
    ready_ = true;
  } catch (...) {
    Release();
    throw;
  }
}

void CPSimpleDBFile::Open(uint32_t maxContentVersion, bool shared, bool readOnly) {
  const bool later = writeLater_ && !readOnly && !shared;
  const bool guarded = guardedRead_ && readOnly;
  writeLater_ = guardedRead_ = false;
  OpenStream(guarded    ? kCPFileReadLocked
             : readOnly ? kCPFileRead
             : shared   ? kCPFileReadWriteShared
                        : kCPFileReadWrite);
  try {
    readOnly_ = readOnly || stream_.IsLocked() || stream_.VolumeIsLocked();
    guardedRead_ = guarded;
    sharedFile_ = shared;
    // Held back: every write below is skipped as for a reader.
    writeLater_ = later && !readOnly_;
    if (writeLater_) readOnly_ = true;
    // A reader takes no part in sharing: it neither follows the log nor
    // counts as present; a guarded one only waits for the access lock.
    shared_ = shared && !readOnly_;
    if (shared_) {
      OpenShareFile();
    } else if (guarded && shared) {
      TakeReaderLock();
    }
    if (!writeLater_) JoinCommand();
    // Other stations wait while this one reads the header, recovers, indexes.
    CPSimpleDBAccessLocker lock(this);
    ReadHeader();
    if (header_.marker != kSDBFileMarker) CPThrow(kSDBErrBadMarker);
    if (header_.structureVersion > kSDBStructureVersion) CPThrow(kSDBErrStructureVersion);
    if (header_.contentVersion > maxContentVersion) CPThrow(kSDBErrContentVersion);
    recovery_.unclean = (header_.flags & kSDBHeaderOpenFlag) != 0;
    if (shared_) CheckShareOnOpening();
    if (header_.stream != 0) LoadStreamSegment();
    uint32_t end = header_.stream ? header_.stream : stream_.GetLength();
    // A part of a block at the end is an append that a full disk or a size
    // limit cut short, in a file whose writer then stopped; in a file that
    // was closed, it is damage.
    const uint32_t partial = (end - kSDBHeaderAreaSize) % kSDBBlocSize;
    if (partial && (!recovery_.unclean || header_.stream)) CPThrow(kSDBErrNotWholeBlocs);
    // The log flag is set by the log's first start, once the log is written:
    // setting it before would make a file opened shared for the first time
    // look for a log that does not exist yet.
    if (!readOnly_) {
      // A file found closed is marked open by its first change, so that an
      // opening that changes nothing leaves it exactly as it was; one that
      // needs repairing is marked before the repair.
      if (recovery_.unclean || header_.stream) {
        WriteHeader(true);
      } else {
        markPending_ = true;
      }
      if (partial) stream_.SetLength(end - partial);
      blocs_.SetJournal(&journal_);
    } else if (header_.stream || partial) {
      blocs_.SetDataEnd(end - partial);
    }
    if (recovery_.unclean) RecoverAfterUncleanStop();
    // Nothing below changes the data area: a memory copy made now serves the
    // reading of the saved index.
    ReloadCopy();
    SetupIndex();
    if (!readOnly_ && (shared_ || (header_.flags & kSDBHeaderLogFlag))) StartEventLog();
    ready_ = true;
  } catch (...) {
    // A file found closed was not marked open: an opening refused (a missing
    // or foreign log) leaves it as it was.
    Release();
    throw;
  }
}

void CPSimpleDBFile::OpenForReading(uint32_t maxContentVersion, bool shared) {
  if (open_) CPThrow(paramErr);
  guardedRead_ = true;  // read by Open, which a memory copy overrides
  try {
    Open(maxContentVersion, shared, true);
  } catch (...) {
    guardedRead_ = false;
    throw;
  }
}

// Held until the file is closed: the reader's view of the file is then one
// that no station was in the middle of changing. A file no station ever
// opened shared has no share file and nobody to wait for.
void CPSimpleDBFile::TakeReaderLock() {
  auto share = std::make_unique<CPSimpleDBShareFile>(GetShareFileFileSpec(), 0);
  if (!share->OpenForReading()) return;
  if (!CPWaitWhileBusy(GetFileSpec(), [&] { return share->TryReadLock(); })) {
    CPThrowBusy(kSDBErrAccessTimeout, GetFileSpec());
  }
  readerShare_ = std::move(share);
}

void CPSimpleDBFile::OpenWritingLater(uint32_t maxContentVersion) {
  if (open_) CPThrow(paramErr);
  writeLater_ = true;  // read by Open, which a memory copy overrides
  try {
    Open(maxContentVersion, false, false);
  } catch (...) {
    writeLater_ = false;
    throw;
  }
}

// What Open does for a writer that a reader's opening skipped: with the file
// found closed and without a stream segment, that is starting its log (which
// only reads it: a log that does not match the file refuses the opening).
// The file is then marked open by its first change, as after Open.
bool CPSimpleDBFile::StartWriting() {
  if (!open_) CPThrow(paramErr);
  if (!writeLater_) return true;
  if (recovery_.unclean || header_.stream != 0) return false;
  CPSimpleDBAccessLocker lock(this);
  readOnly_ = false;
  JoinCommand();
  try {
    if (header_.flags & kSDBHeaderLogFlag) StartEventLog();
  } catch (...) {
    readOnly_ = true;
    throw;
  }
  markPending_ = true;
  blocs_.SetJournal(&journal_);
  writeLater_ = false;
  return true;
}

// The segment runs from its marker to the end of the file. A writable file
// gives it up at once: nothing of ours writes one, and the blocks must end the file.
void CPSimpleDBFile::LoadStreamSegment() {
  uint32_t at = header_.stream, length = stream_.GetLength();
  if (at < kSDBHeaderAreaSize || at % kSDBBlocSize || uint64_t(at) + 4 > length) {
    CPThrow(kSDBErrStreamOffset);
  }
  unsigned char marker[4];
  stream_.SetMarker(static_cast<int32_t>(at), kCPFromStart);
  stream_.ReadData(marker, 4L);
  // Written in the writer's byte order, like the header that points to it.
  bool bigEndian = headerEncoding_.integerEncoding == kCPBigEndian;
  if (Get32(marker, bigEndian) != kSDBStreamMarker) CPThrow(kSDBErrStreamMarker);
  DisposeHandle(streamHandle_);
  streamHandle_ = stream_.ReadData();
  if (!readOnly_) {
    stream_.SetLength(at);
    header_.stream = 0;
    WriteHeader(true);
  }
}

// The writer stopped without closing. A change it was committing is finished
// from the pending-change area; an append it had not finished is cut off (its
// record was never acknowledged). A read-only opening cannot do either: it
// refuses a pending change (1210) and leaves an unfinished append to the walk,
// which reports it (1304 at that block).
void CPSimpleDBFile::RecoverAfterUncleanStop() {
  if (readOnly_) {
    if (CPSimpleDBHeaderJournal::Inspect(blocs_) == CPSimpleDBHeaderJournal::kPending) {
      CPThrow(kSDBErrInterrupted);
    }
    // An append that never finished is no record of the file: a reader sees
    // the blocks before it, as the writer's next opening will keep them.
    CPSimpleDBRefnum torn = 0;
    blocs_.Scan([](CPSimpleDBRefnum, const CPSimpleDBDataHeader&,
                   const CPDataEncoding&) { return true; },
                &torn);
    if (torn) blocs_.SetDataEnd(kSDBHeaderAreaSize + (torn - 1) * kSDBBlocSize);
    return;
  }
  CPSimpleDBRecovery done = CPSimpleDBRecover(blocs_);
  recovery_.changeFinished = done.changeFinished;
  recovery_.tornTail = done.tornTail;
  DropSavedIndexes();
}

// A saved index serves only the opening after a clean close, and that close
// writes a new one: after an unclean stop every saved index record is freed.
// One of them may also be unknown to the header: a writer that died between
// writing or moving the record and pointing the header to it (a close, a
// compaction) left it where the header does not look. The records go first,
// the pointer last: an opening cut short in between is unclean again and
// finishes the job.
void CPSimpleDBFile::DropSavedIndexes() {
  std::vector<CPSimpleDBRefnum> saved;
  blocs_.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (CPSimpleDBIsSavedIndex(h.info)) saved.push_back(r);
    return true;
  });
  // From the last: freeing a record never moves the ones before it.
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) blocs_.MakeFreeBlocs(*it);
  if (header_.indexRefnum != 0) {
    header_.indexRefnum = 0;
    WriteHeader(true);
  }
}

// ---- index

// The saved index is trusted only when the file was closed properly: a writer
// that died inside a fast-add batch, or after changing a record that is not
// logged, leaves indexEventID equal to eventID over an index that no longer
// matches the blocks.
void CPSimpleDBFile::SetupIndex() {
  indexValid_ = false;
  if (!sharedFile_ && !recovery_.unclean && header_.indexRefnum != 0 &&
      header_.indexEventID == header_.eventID && LoadSavedIndex()) {
    recovery_.savedIndexUsed = true;
    return;
  }
  BuildIndex();
}

// The record is read in slices straight into the index: a large index costs
// no buffer of its own size, only its checksum and the items. A damaged saved
// index is only a lost shortcut: the blocks are walked instead (and
// `vyx db verifier` names the damage).
bool CPSimpleDBFile::LoadSavedIndex() {
  const CPSimpleDBRefnum at = header_.indexRefnum;
  const CPSimpleDBBlocsHandler& reader = Reader();
  uint32_t nb = reader.GetNbOfBlocs();
  if (at > nb) return false;
  CPSimpleDBDataHeader h;
  CPDataEncoding encoding;
  reader.ReadBlocs(at, 1, &h, &encoding, nullptr, 0);
  if (h.info.IsFree() || h.info.type != kSDBFileIndexType || h.info.format != kSDBFileIndexFormat) {
    return false;
  }
  if (h.size % kSDBFileIndexItemSize || uint64_t(at) + CPSimpleDBBlocsFor(h.size) - 1 > nb) {
    return false;
  }
  const bool bigEndian = encoding.integerEncoding == kCPBigEndian;
  constexpr uint32_t kSlice = 5461 * kSDBFileIndexItemSize;  // about 64 KiB of whole items
  std::vector<unsigned char> slice(std::min(h.size, kSlice));
  uint16_t crc = 0;
  bool sound = true;
  index_.Clear();
  std::vector<CPSimpleDBFileIndexItem> items;
  items.reserve(h.size / kSDBFileIndexItemSize);
  for (uint32_t done = 0; done < h.size && sound;) {
    uint32_t n = std::min(kSlice, h.size - done);
    reader.ReadDataPart(at, done, slice.data(), n);
    crc = CPCRC16Update(crc, slice.data(), n);
    for (uint32_t i = 0; i < n && sound; i += kSDBFileIndexItemSize) {
      const unsigned char* p = slice.data() + i;
      CPSimpleDBFileIndexItem item{Get32(p, bigEndian), CPReadCode(p + 4), Get32(p + 8, bigEndian)};
      // Out of order or pointing outside the blocks: not an index to trust.
      sound = (items.empty() || item.dataID > items.back().dataID) && item.refnum != 0 &&
              item.refnum <= nb;
      items.push_back(item);
    }
    done += n;
  }
  sound =
      sound && static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(crc))) == h.checksum;
  if (!sound) return false;
  index_.Assign(items);
  indexValid_ = true;
  indexDirty_ = false;
  return true;
}

// A saved index record is not a record of the index: it is skipped, so that a
// rebuilt index equals the saved one. IDs found above autoID (a
// fast-add batch whose header writes were cut short) move autoID past them,
// or GetNewID would hand them out again.
void CPSimpleDBFile::BuildIndex() {
  std::vector<CPSimpleDBFileIndexItem> items;
  uint32_t highest = 0;
  const uint32_t base = header_.noBase - 1;
  blocs_.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (h.info.IsFree()) return true;
    if (CPSimpleDBIsSavedIndex(h.info)) return true;
    items.push_back({h.info.dataID, h.info.type, r});
    if ((h.info.dataID >> 24) == (base & 0xFF))
      highest = std::max(highest, h.info.dataID & 0xFFFFFF);
    return true;
  });
  std::stable_sort(items.begin(), items.end(),
                   [](const auto& a, const auto& b) { return a.dataID < b.dataID; });
  index_.Assign(items);
  indexValid_ = true;
  indexDirty_ = true;
  if (header_.autoID < 0x1000000 && header_.autoID < highest) {
    header_.autoID = highest;
    // Written with the first change, if any: the walk finds it again.
    if (!readOnly_ && !markPending_) WriteHeader(true);
  }
}

void CPSimpleDBFile::SaveIndex() {
  if (shared_ || readOnly_ || markPending_ || !indexValid_) return;
  if (header_.indexRefnum != 0 && header_.indexEventID == header_.eventID && !indexDirty_) return;
  std::vector<CPSimpleDBFileIndexItem> items = index_.Items();
  std::vector<unsigned char> data(items.size() * kSDBFileIndexItemSize);
  for (size_t i = 0; i < items.size(); ++i) {
    unsigned char* p = data.data() + i * kSDBFileIndexItemSize;
    std::memcpy(p, &items[i].dataID, 4);  // host order, as the record's flags say
    CPWriteCode(p + 4, items[i].type);
    std::memcpy(p + 8, &items[i].refnum, 4);
  }
  auto size = static_cast<CPDataSize>(data.size());
  CPSimpleDBDataHeader h;
  CPSimpleDBRefnum old = header_.indexRefnum, placed = 0;
  bool existing = false;
  if (old != 0 && old <= blocs_.GetNbOfBlocs()) {
    blocs_.ReadBlocs(old, 1, &h, nullptr, nullptr, 0);
    existing = !h.info.IsFree() && h.info.type == kSDBFileIndexType;
  }
  if (existing) {
    h.info.SetEncoding(CPHostEncoding);
    h.info.modification = CPClock::Now();
    blocs_.ModifyData(old, h, data.data(), size, &placed);
  } else {
    old = 0;
    h = CPSimpleDBDataHeader();
    h.info = CPSimpleDBDataInfo(kSDBFileIndexType, kSDBFileIndexFormat, 0);
    h.info.SetEncoding(CPHostEncoding);
    h.info.dataID = GetNewID();
    h.info.creation = h.info.modification = CPClock::Now();
    blocs_.AddData(h, data.data(), size, &placed, false);
  }
  SavedIndexWritten(old, placed, h, data.data(), size);
  header_.indexRefnum = placed;
  header_.indexEventID = header_.eventID;
  WriteHeader(true);
  indexDirty_ = false;
}

// ---- closing

void CPSimpleDBFile::Close() {
  if (!open_) return;
  if (abandoned_) {
    Release();
    return;
  }
  try {
    if (shared_) {
      CloseShared();
    } else if (!readOnly_ && !markPending_) {
      SaveIndex();
      blocs_.TrimFreeTail();
      WriteHeader(false);
    }
  } catch (...) {
    Release();
    throw;
  }
  Release();
}

void CPSimpleDBFile::Release() {
  open_ = false;
  writeLater_ = false;
  markPending_ = false;
  guardedRead_ = false;
  sharedFile_ = false;
  ready_ = false;
  logRunning_ = false;
  if (log_) log_->Close();
  log_.reset();
  logEnd_ = 0;
  try {
    stream_.Close();
  } catch (...) {
    // Closing a descriptor after a failure has nothing left to report.
  }
  if (rollback_) rollback_->Leave(this);
  rollback_ = nullptr;
  // Given back while the share file is still there to give it back to.
  commandHold_.reset();
  // Last, so that this station counts as present until its file is closed.
  share_.reset();
  readerShare_.reset();
  shareLocked_ = changeMarked_ = generationMoved_ = updating_ = false;
  accessKey_ = 0;
  DisposeHandle(streamHandle_);
  streamHandle_ = nullptr;
  index_.Clear();
  indexValid_ = false;
  indexDirty_ = false;
  blocs_ = CPSimpleDBBlocsHandler();
}

// ---- compaction

void CPSimpleDBFile::Compact(CPSimpleDBSession* session) {
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  CPSimpleDBRefnum write = 1, r = 0;
  // A large file takes a while: the user sees how far the moves have come.
  CPProgress progress(CPGetListString(kSDBMessagesList, kSDBCompactingItem),
                      long(blocs_.GetNbOfBlocs()));
  for (bool more = blocs_.GetFirstRefnum(&r); more;) {
    progress.Update(long(r));
    CPSimpleDBDataHeader h;
    blocs_.ReadBlocs(r, 1, &h, nullptr, nullptr, 0);
    uint32_t count = CPSimpleDBBlocsFor(h.size);
    CPSimpleDBRefnum here = r;
    // Read before moving: the move rewrites the blocks that follow the copy.
    more = blocs_.GetNextRefnum(h, &r);
    if (h.info.IsFree()) continue;
    if (write < here) MoveData(session, here, write);
    write += count;
  }
  // The moves are in the log; cutting the free tail is not, so other stations
  // learn of it through the share file. While the command may be undone, the
  // tail is one free record, cut when the file closes.
  BeginChange(CPFourCC("cut "));
  const uint32_t nb = blocs_.GetNbOfBlocs();
  if (!CPSimpleDBBlocsHandler::KeepsLength()) {
    blocs_.SetNbOfBlocs(write - 1);
  } else if (write <= nb) {
    blocs_.WriteFreeBlocs(write, nb - write + 1);
  }
  NoteUnloggedChange();
}
