// The share file beside a database that several stations open together (the
// database's name with ".shr"): the lock that lets one station at a time read
// or change the database, and a record telling which station holds it and
// which change it is making. The lock is the operating system's, on byte
// ranges of this file, so it dies with a station that is killed; the record's
// change mark does not, and tells the next holder that a change was cut short.
// Three ranges: the access lock (exclusive), a waiting mark (shared, held by
// stations that tried and failed, so that a station that just let go lets them
// pass first) and a presence mark (shared, held while a station has the
// database open, so that the last one out knows it is the last).
#ifndef VYX_SIMPLEDB_CPSIMPLEDBSHAREFILE_H_
#define VYX_SIMPLEDB_CPSIMPLEDBSHAREFILE_H_

#include <cstdint>

#include "platform/CPFileRef.h"
#include "platform/CPMacTypes.h"

constexpr uint32_t kSDBShareMarker = 0xE4F64D1E;
constexpr uint32_t kSDBShareRecordSize = 536;
constexpr OSType kSDBShareFileType = CPFourCC(".shr");

// The record at offset 0 of the share file, in host form.
struct CPSimpleDBSynchroLockInfos {
  uint32_t marker = kSDBShareMarker;
  uint32_t version = 1;
  uint32_t flags = 0;  // encoding bits of the writer
  uint32_t baseID = 0;
  uint32_t noBase = 0;
  Str255 station = {};  // the station that marked the last change
  uint32_t opID = 0;    // the change in progress, 0 when none
  Str255 opStr = {};    // the same, as text
  // After the 536 bytes: how many times the database changed in a way the
  // event log does not tell (a recovery, a record that is not logged, a
  // compaction cutting the file); stations reload their view when it moves.
  uint32_t generation = 0;
};

class CPSimpleDBShareFile {
 public:
  CPSimpleDBShareFile(const CPFileRef& fileRef, OSType creator) : fileRef_(fileRef), creator_(creator) {}
  ~CPSimpleDBShareFile() { Close(); }
  CPSimpleDBShareFile(const CPSimpleDBShareFile&) = delete;
  CPSimpleDBShareFile& operator=(const CPSimpleDBShareFile&) = delete;

  // Opens the file, creating it when missing, and marks this station present.
  void Open();
  // A reader's opening: the file as it is, for reading only; false when there
  // is none (no station ever shared the database). A reader is not present.
  bool OpenForReading();
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  const CPFileRef& GetFileSpec() const { return fileRef_; }

  // Takes the access lock, or answers false when another station holds it;
  // this station then counts as waiting until it gets it. With `yield`, a
  // free lock is not taken while another station waits.
  bool TryLock(bool yield);
  void Unlock();
  // The access lock as a reader takes it: beside other readers, never beside a
  // station that holds it to change the database. False when one does; the
  // reader then counts as waiting, so that the station lets it pass next.
  bool TryReadLock();
  bool OthersPresent() const;

  // The record (a missing or foreign one reads as blank, generation 0) and its
  // rewriting, both under the access lock.
  CPSimpleDBSynchroLockInfos Read();
  void Write(const CPSimpleDBSynchroLockInfos& infos);

  // This station's name for the record: host and process.
  static void StationName(StringPtr name);

 private:
  // The access range, shared or exclusive; a station refused marks itself
  // waiting until it gets it.
  bool TryAccess(bool exclusive);

  CPFileRef fileRef_;
  OSType creator_;
  CPFile file_;
  bool waiting_ = false;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBSHAREFILE_H_
