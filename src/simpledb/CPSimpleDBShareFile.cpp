#include "simpledb/CPSimpleDBShareFile.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/CPException.h"
#include "foundation/CPFileRollback.h"
#include "platform/CPFileLock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBBytes.h"

namespace {

// Far beyond the record, so that the ranges never depend on the file's length.
constexpr uint64_t kAccessRange = 0x40000000;
constexpr uint64_t kWaitingRange = kAccessRange + 1;
constexpr uint64_t kPresenceRange = kAccessRange + 2;
constexpr uint32_t kStoredSize = kSDBShareRecordSize + 4;  // the record and the generation

}  // namespace

void CPSimpleDBShareFile::Open() {
  if (IsOpen()) return;
  OSErr err = CPFileSystem::Create(fileRef_, creator_, kSDBShareFileType, false);
  if (err != noErr && err != dupFNErr) CPThrowIfOSErr(err);
  // Made for a command that may yet be undone: it goes with the rest.
  if (err == noErr && CPFileRollback::Current()) CPFileRollback::Current()->Created(fileRef_);
  CPThrowIfOSErr(file_.Open(fileRef_, kCPFileReadWriteShared));
  if ((err = CPFileLock::TryLock(file_, kPresenceRange, 1, false)) != noErr) {
    file_.Close();
    CPThrowIfOSErr(err);
  }
}

bool CPSimpleDBShareFile::OpenForReading() {
  if (IsOpen()) return true;
  OSErr err = file_.Open(fileRef_, kCPFileRead);
  if (err == fnfErr) return false;
  CPThrowIfOSErr(err);
  return true;
}

void CPSimpleDBShareFile::Close() {
  // Closing the descriptor drops every range this station held.
  file_.Close();
  waiting_ = false;
}

bool CPSimpleDBShareFile::TryLock(bool yield) {
  if (yield && CPFileLock::HeldByOther(file_, kWaitingRange, 1, true)) return false;
  return TryAccess(true);
}

bool CPSimpleDBShareFile::TryReadLock() { return TryAccess(false); }

bool CPSimpleDBShareFile::TryAccess(bool exclusive) {
  OSErr err = CPFileLock::TryLock(file_, kAccessRange, 1, exclusive);
  if (err == opWrErr) {
    if (!waiting_) waiting_ = CPFileLock::TryLock(file_, kWaitingRange, 1, false) == noErr;
    return false;
  }
  CPThrowIfOSErr(err);
  if (waiting_) {
    CPFileLock::Unlock(file_, kWaitingRange, 1);
    waiting_ = false;
  }
  return true;
}

void CPSimpleDBShareFile::Unlock() { CPThrowIfOSErr(CPFileLock::Unlock(file_, kAccessRange, 1)); }

bool CPSimpleDBShareFile::OthersPresent() const {
  return CPFileLock::HeldByOther(file_, kPresenceRange, 1, true);
}

CPSimpleDBSynchroLockInfos CPSimpleDBShareFile::Read() {
  CPSimpleDBSynchroLockInfos infos;
  unsigned char s[kStoredSize] = {};
  size_t done = 0;
  OSErr err = file_.Read(0, s, kStoredSize, &done);
  if (err != noErr && err != eofErr) CPThrowIfOSErr(err);
  if (done < kSDBShareRecordSize) return infos;
  const bool be = CPSDBStoredBigEndian(s + 8);
  if (CPSDBGet32(s, be) != kSDBShareMarker) return infos;
  infos.version = CPSDBGet32(s + 4, be);
  infos.flags = CPSDBGet32(s + 8, be) & ~kSDBEncodingBits;
  infos.baseID = CPSDBGet32(s + 12, be);
  infos.noBase = CPSDBGet32(s + 16, be);
  std::memcpy(infos.station, s + 20, 256);
  infos.opID = CPSDBGet32(s + 276, be);
  std::memcpy(infos.opStr, s + 280, 256);
  if (done >= kStoredSize) infos.generation = CPSDBGet32(s + kSDBShareRecordSize, be);
  return infos;
}

void CPSimpleDBShareFile::Write(const CPSimpleDBSynchroLockInfos& infos) {
  unsigned char s[kStoredSize] = {};
  const bool be = kSDBHostBigEndian;
  CPSDBPut32(s, infos.marker, be);
  CPSDBPut32(s + 4, infos.version, be);
  CPSDBPut32(s + 8, (infos.flags & ~kSDBEncodingBits) | (be ? kSDBBigEndianFlags : 0), be);
  CPSDBPut32(s + 12, infos.baseID, be);
  CPSDBPut32(s + 16, infos.noBase, be);
  std::memcpy(s + 20, infos.station, 256);
  CPSDBPut32(s + 276, infos.opID, be);
  std::memcpy(s + 280, infos.opStr, 256);
  CPSDBPut32(s + kSDBShareRecordSize, infos.generation, be);
  // One write within one page: a station killed in the middle cannot tear it.
  CPThrowIfOSErr(file_.Write(0, s, kStoredSize));
}

void CPSimpleDBShareFile::StationName(StringPtr name) {
  char host[128] = {};
  if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "?");
  std::string text = std::string(host) + " " + std::to_string(::getpid());
  size_t n = std::min<size_t>(text.size(), 255);
  name[0] = static_cast<unsigned char>(n);
  std::memcpy(name + 1, text.data(), n);
}
