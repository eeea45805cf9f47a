// A SimpleDB database file: the 5,120-byte header, the data area of 128-byte
// blocks (through its CPSimpleDBBlocsHandler), the in-memory index from dataID
// to block, ID allocation, opening, creating and closing, the change hooks and
// compaction. One object per open file; it owns its stream, header and index.
// Opened for writing alone (permission 3), it holds the operating system's
// exclusive lock on the file, so a second writer anywhere is refused (-49).
// Opened shared, several stations (processes) write it in turn under the lock
// of its share file, and learn each other's changes from its event log
// (CPSimpleDBFileShare.cpp, CPSimpleDBFileLog.cpp).
// Failures raise CPException with a code of CPSimpleDBErrors.h or the system's.
//
// A writer that stopped without closing leaves the header flag 0x8 set; the
// next opening then finishes or drops the change that was cut short (see
// CPSimpleDBWritePlan.h) and rebuilds the index by walking the blocks.
//
// Opened for writing while a command's rollback is current (CPFileRollback.h),
// a shared file keeps its access lock from its opening to the command's end,
// so that no other station sees the command half done or has it undone under
// it; after a rollback the file writes nothing more, not even at closing.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBFILE_H_
#define VYX_SIMPLEDB_CPSIMPLEDBFILE_H_

#include <memory>

#include "foundation/CPFileRollback.h"
#include "foundation/CPFileStream.h"
#include "platform/CPHandle.h"
#include "simpledb/CPSimpleDBBlocsHandler.h"
#include "simpledb/CPSimpleDBDataProvider.h"
#include "simpledb/CPSimpleDBFileIndex.h"
#include "simpledb/CPSimpleDBJournal.h"

class CPSimpleDBEventFile;
class CPSimpleDBShareFile;

class CPSimpleDBFile : public CPSimpleDBDataProvider, private CPRollbackParticipant {
 public:
  explicit CPSimpleDBFile(const CPFileRef& fileRef);
  // Closes a file still open; errors are lost then (call Close to see them).
  ~CPSimpleDBFile() override;

  uint32_t GetBaseID() const override { return header_.baseID; }
  uint32_t GetNoBase() const override { return header_.noBase; }
  virtual void SetNoBase(uint32_t noBase);
  CPSimpleDBEventID GetEventID() const override { return header_.eventID; }
  virtual uint32_t GetAutoID() const { return header_.autoID; }

  void GetDataInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                    CPDataEncoding* encoding) override;
  CPDataSize GetDataSize(CPSimpleDBSession* session, CPSimpleDBRefnum refnum) override;
  uint32_t GetNbOfData(CPSimpleDBSession* session) override;
  bool GetNthData(CPSimpleDBSession* session, uint32_t n, CPSimpleDBDataType type,
                  CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) override;
  bool GetFirstData(CPSimpleDBSession* session, CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                    CPSimpleDBRefnum* refnum) override;
  bool GetNextData(CPSimpleDBSession* session, CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                   CPSimpleDBRefnum* refnum) override;
  using CPSimpleDBDataProvider::GetFirstData;
  using CPSimpleDBDataProvider::GetNextData;
  // A scan goes on from the dataID it stopped at, so that the record it
  // stopped at may be deleted or moved in between (CPSimpleDBFileScan.cpp).
  bool GetNextData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan, CPSimpleDBDataInfo* info,
                   CPSimpleDBRefnum* refnum) override;
  // In block order, reading the data area in large slices.
  void ForEachData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                   const DataVisitor& visit) override;
  // Down the index under one access lock; a memory copy hands out its own
  // bytes, without copying them.
  void ForEachDataInOrder(CPSimpleDBSession* session, CPSimpleDBDataType type,
                          const DataVisitor& visit, bool check = true) override;
  // ((noBase - 1) << 24) + (autoID & 0xFFFFFF) after autoID + 1.
  CPSimpleDBDataID GetNewID() override;
  bool IDExists(CPSimpleDBSession* session, CPSimpleDBDataID dataID) override;
  void GetDataID(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                 CPSimpleDBDataID* dataID) override;
  bool GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                     CPSimpleDBRefnum* refnum) override;
  bool GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID, CPSimpleDBDataInfo* info,
                     CPSimpleDBRefnum* refnum) override;
  void GetData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
               CPDataEncoding* encoding, void* data, CPDataSize size) override;
  void AddData(CPSimpleDBSession* session, CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
               const void* data, CPDataSize size, CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID,
               uint32_t fastAdd) override;
  void ModifyData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                  const CPDataEncoding& encoding, const void* data, CPDataSize size,
                  CPSimpleDBRefnum* newRefnum) override;
  void DeleteData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                  const CPSimpleDBDataInfo& info) override;
  void MoveData(CPSimpleDBSession* session, CPSimpleDBRefnum from, CPSimpleDBRefnum to) override;

  // A file that is not shared needs no lock: the key is always 1.
  uint32_t LockAccess(uint32_t* previousKey) override;
  void UnLockAccess(uint32_t key, uint32_t previousKey) override;
  bool AccessLocked() const override { return accessKey_ != 0; }
  CPFileRef LockedFile() const override { return GetFileSpec(); }

  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                 CPDataSize size, bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                    CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                    CPDataSize newSize, bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                   CPDataSize size, bool flag) override;
  void DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                 CPSimpleDBRefnum to) override;

  uint32_t NewFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type) override;
  void CloseFastAdd(CPSimpleDBSession* session, uint32_t fastAdd) override;

  // The appended stream segment found at opening (owned by the file), or null.
  virtual CPDataSize GetStreamSize(CPSimpleDBSession* session) const;
  virtual Handle GetStream(CPSimpleDBSession* session) const;

  // Creates the file (it must not exist) with the defaults of a new header;
  // the signature is cut to 8 characters.
  virtual void Create(OSType creator, OSType type, ConstStringPtr signature,
                      uint32_t contentVersion, bool shared);
  virtual void Open(uint32_t maxContentVersion, bool shared, bool readOnly);
  // Opens the file for reading as a command that only reads does. Unlike
  // Open(..., readOnly), it waits for a writer that has the file (the lock of
  // a lone writer, the access lock of a shared file's stations) and keeps
  // writers out until Close, so that it never reads a change half made. Like
  // any reader it writes nothing, and reads a file it may not write.
  void OpenForReading(uint32_t maxContentVersion, bool shared);
  // A file opened for writing is marked open (header flag 0x8) by its first
  // change, before anything else of it is written; until then it is exactly
  // as it was found. A file that needs repairing is marked at once.
  bool MarkedOpen() const { return open_ && !readOnly_ && !markPending_; }
  // Opens the file for writing alone, holding its lock so that no other
  // writer comes in, but writes nothing to it before StartWriting: until then
  // it reads as a file opened read-only. A caller can so check what it reads
  // before the file changes at all (marking it open is a change), and a
  // refusal (Close) leaves it exactly as it was. Not for shared files.
  void OpenWritingLater(uint32_t maxContentVersion);
  // Writing begins: the file is marked open (its event log started, if it
  // keeps one), as an opening for writing would have done. False, with
  // nothing written, when the opening for writing would have changed the
  // file beyond that (after a writer that stopped without closing, or to give
  // up an appended stream segment): the file must then be closed and opened
  // again with Open. True at once for a file that only reads (locked).
  bool StartWriting();
  bool WritingLater() const { return writeLater_; }
  // Saves the index, marks the file closed and lets it go. A file opened for
  // writing and never changed is let go as it was: nothing is written.
  virtual void Close();
  virtual void SetAutoID(uint32_t autoID);
  virtual void SetEventID(CPSimpleDBEventID eventID);
  // Moves every live record towards the start, keeping their order, and cuts
  // the file after the last one.
  virtual void Compact(CPSimpleDBSession* session);

  // Rebuilds this file from an event log: into a new file when it does not
  // exist, else by replaying the events that came after it; then opens it.
  // The work is done on a copy that replaces the file only when complete.
  virtual void Rebuild(const CPFileRef& logRef, OSType creator, uint32_t contentVersion,
                       bool shared);

  // Creates the file (it must not exist) as a copy of another database
  // starts: that database's signature, type, content version, creation date,
  // baseID, noBase and ID counter, not shared and without a log. Records are
  // then put in with CopyRecord. For salvages.
  void CreateLike(OSType creator, const CPSimpleDBHeader& original);
  // Adds a record as another file holds it: its dataID, flags and dates kept;
  // the ID counter moves past its dataID.
  void CopyRecord(const CPSimpleDBDataInfo& info, const CPDataEncoding& encoding, const void* data,
                  CPDataSize size);

  // The event log (CPSimpleDBFileLog.cpp): started at creation of a shared
  // file, or on demand; a file whose header says it is logged keeps its log.
  virtual void StartEventLog();
  virtual void StopEventLog(bool deleteLog);
  virtual bool EventLogRunning() const { return logRunning_; }
  // What an opening for writing does with the log of a logged file that it
  // cannot use (missing, damaged, another database's, ahead of the file or
  // behind it: 1500 to 1506): by default it refuses the file with that code.
  // A file whose owner asks for it (set before opening) sets such a log aside
  // instead, renamed "NAME.evt.YYYY-MM-DD-HHMMSS.abime" beside it, never
  // deleted, and starts a new log from the file as at a first start; the
  // opening's Recovery says so. Never while other stations have the file open.
  void SetRestartUnusableLog(bool restart) { restartUnusableLog_ = restart; }
  virtual CPFileRef GetEventLogFileSpec() const;
  CPSimpleDBEventFile* GetEventFile() const { return log_.get(); }
  // Sharing (CPSimpleDBFileShare.cpp): brings this station up to date with
  // what the others changed. Taking the access lock does it too, so every
  // operation of a shared file starts from the others' latest changes.
  virtual void UpdateSharedData();
  virtual CPFileRef GetShareFileFileSpec() const;
  virtual void LogAddData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                          CPSimpleDBRefnum refnum, const void* data, CPDataSize size);
  virtual void LogModifyData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                             CPSimpleDBRefnum oldRefnum, const void* oldData, CPDataSize oldSize,
                             CPSimpleDBRefnum newRefnum, const void* newData, CPDataSize newSize);
  virtual void LogDeleteData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                             CPSimpleDBRefnum refnum, const void* data, CPDataSize size);
  virtual void LogMoveData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                           CPSimpleDBRefnum from, CPSimpleDBRefnum to);

  virtual uint32_t GetDataBlocsNbr(uint32_t size) const { return CPSimpleDBBlocsFor(size); }
  virtual void ReadHeader();
  virtual void WriteHeader(bool open);
  virtual void SetupIndex();
  virtual void BuildIndex();
  virtual void SaveIndex();

  // State, for the engine's tools and tests.
  bool IsOpen() const { return open_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsShared() const { return shared_; }
  bool IndexValid() const { return indexValid_; }
  const CPSimpleDBHeader& GetHeader() const { return header_; }
  const CPFileRef& GetFileSpec() const { return stream_.GetFileSpec(); }
  const CPSimpleDBFileIndex& GetFileIndex() const { return index_; }
  CPSimpleDBBlocsHandler& GetBlocsHandler() { return blocs_; }

  // What the last opening found: whether the writer had stopped without
  // closing, whether a cut-short change was finished from the pending-change
  // area, where an unfinished append was cut off, whether the saved index served.
  // For a logged file also: the bytes of an unfinished last event cut from
  // the log, and the events added to it for changes it had missed.
  struct Recovery {
    bool unclean = false;
    bool changeFinished = false;
    CPSimpleDBRefnum tornTail = 0;
    bool savedIndexUsed = false;
    uint32_t logCut = 0;
    uint32_t logCorrections = 0;
    // The log could not serve and was started again: why (1500 to 1506), and
    // where the unusable one was set aside (no file when it was missing).
    int16_t logRestarted = 0;
    CPFileRef logSetAside;
  };
  const Recovery& GetRecovery() const { return recovery_; }

 protected:
  // Where record reads are served from (a memory copy overrides it).
  virtual const CPSimpleDBBlocsHandler& Reader() const { return blocs_; }
  // The saved index record was written at `newRefnum` (replacing `oldRefnum`,
  // 0 when new) outside the hooks; a memory copy repeats the change.
  virtual void SavedIndexWritten(CPSimpleDBRefnum, CPSimpleDBRefnum, CPSimpleDBDataHeader&,
                                 const void*, CPDataSize) {}
  void CheckWritable() const;  // 1005
  // The data area changed behind the hooks (opening, a rebuild, another
  // station's recovery): a memory copy reloads itself from the file.
  virtual void ReloadCopy() {}
  // Called by every change before its first write: refuses changes during a
  // shared update (1509) or when the log grew behind this file (1508), and
  // marks a shared file's change as in progress until the lock is let go.
  void BeginChange(uint32_t action);

 private:
  friend class CPSimpleDBEventFile;  // replays keep the logged dates

  // Event log.
  void FirstLogStart();
  void OpenEventLog();
  void RestartEventLog(int16_t why);
  static bool LogUnusable(int16_t code);
  void CheckLogEnd() const;
  void NoteUnloggedChange();
  uint32_t NoBaseOf(CPSimpleDBSession* session) const;
  uint32_t ReconcileLog();
  CPFilePermission LogPermission() const;
  void ReplayInto(CPSimpleDBEventFile& source, bool exists, OSType creator,
                  uint32_t contentVersion);
  // Sharing.
  void OpenShareFile();
  void TakeReaderLock();
  void CheckShareOnOpening();
  void CatchUp();
  void Resync();
  void ApplyEvents(uint32_t from, uint32_t to, bool throughFile);
  void CloseShared();

  void OpenStream(CPFilePermission permission);
  // Joins the current command's rollback, if any; a shared file takes its
  // access lock for the command's time.
  void JoinCommand();
  void Committed() override;
  void RolledBack() override;
  void LoadStreamSegment();
  void RecoverAfterUncleanStop();
  void DropSavedIndexes();
  bool LoadSavedIndex();
  void Release();

  CPFileStream stream_;
  CPSimpleDBBlocsHandler blocs_;
  CPSimpleDBHeaderJournal journal_;
  bool open_ = false;
  bool readOnly_ = false;
  bool writeLater_ = false;  // opened for writing, read-only until StartWriting
  bool markPending_ = false;  // opened for writing, not yet marked open: nothing written
  CPFileRollback* rollback_ = nullptr;  // the command this opening writes for
  std::unique_ptr<CPSimpleDBAccessLocker> commandHold_;  // a shared file's lock, held for it
  bool abandoned_ = false;  // the command was undone: nothing more is written
  bool guardedRead_ = false;  // opened by OpenForReading
  bool sharedFile_ = false;   // opened as a shared file, for writing or reading
  std::unique_ptr<CPSimpleDBShareFile> readerShare_;  // a reader's lock on a shared file
  bool shared_ = false;
  uint32_t accessKey_ = 0;
  Handle streamHandle_ = nullptr;
  bool indexValid_ = false;
  bool indexDirty_ = false;  // the index changed since it was loaded or saved
  CPSimpleDBFileIndex index_;
  std::unique_ptr<unsigned char[]> headerArea_;
  CPSimpleDBHeader header_;
  CPDataEncoding headerEncoding_;
  Recovery recovery_;

  std::unique_ptr<CPSimpleDBEventFile> log_;
  bool logRunning_ = false;
  uint32_t logEnd_ = 0;     // where this file last knew the log to end
  bool replaying_ = false;  // a rebuild keeps the dates of the logged records
  bool restartUnusableLog_ = false;
  std::unique_ptr<CPSimpleDBShareFile> share_;
  bool ready_ = false;  // opened: taking the lock may catch up with the others
  bool shareLocked_ = false;
  bool updating_ = false;  // applying the other stations' changes
  bool changeMarked_ = false;
  bool generationMoved_ = false;
  uint32_t generation_ = 0;
  int yieldTurns_ = 0;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFILE_H_
