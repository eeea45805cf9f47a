// Several stations (processes, possibly on several machines over a network
// volume) sharing one SimpleDB file: the access lock of the share file around
// every operation, and the catching up with what the others changed, read from
// the event log, before any operation runs.
//
// What each station keeps of the file (its index, its memory copy, its map of
// free space, its sessions' own state) follows the others through their
// events. What the log does not tell (a recovery after a station died in the
// middle of a change, a record that is not logged, a compaction cutting the
// file) moves the share file's generation, and every station then reloads its
// view from the file and tells its sessions the events it had not seen.
#include <chrono>
#include <cstring>

#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBShareFile.h"

namespace {

// Keys tell nested holders apart; any non-zero value that differs from the
// one it replaces will do.
uint32_t NewKey(uint32_t previous) {
  uint32_t key = CPClock::Now() * CPClock::Ticks();
  if (key == 0 || key == previous) key = previous + 1;
  return key ? key : 1;
}

class Updating {
 public:
  explicit Updating(bool& flag) : flag_(flag) { flag_ = true; }
  ~Updating() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

void CPSimpleDBFile::OpenShareFile() {
  share_ = std::make_unique<CPSimpleDBShareFile>(GetShareFileFileSpec(), stream_.GetFileCreator());
  share_->Open();
}

// Under the lock, while opening. The first station in inherits what the last
// one left: the open flag says whether it closed; a change mark says a station
// died in the middle of a change. Later stations only look at the mark. The
// mark stays until this opening has recovered, and is cleared with the lock.
void CPSimpleDBFile::CheckShareOnOpening() {
  CPSimpleDBSynchroLockInfos infos = share_->Read();
  const bool others = share_->OthersPresent();
  if (infos.marker != kSDBShareMarker || infos.baseID != header_.baseID ||
      infos.noBase != header_.noBase) {
    infos = CPSimpleDBSynchroLockInfos();
    infos.baseID = header_.baseID;
    infos.noBase = header_.noBase;
    share_->Write(infos);
  }
  recovery_.unclean = others ? infos.opID != 0 : recovery_.unclean || infos.opID != 0;
  generation_ = infos.generation;
  if (recovery_.unclean) {
    changeMarked_ = true;
    // The others must drop what they had seen of the change being recovered.
    generationMoved_ = others;
  }
}

// ---- the access lock

uint32_t CPSimpleDBFile::LockAccess(uint32_t* previousKey) {
  // Every read and write of a session takes the lock first: one that
  // outlived its file learns here that the file is closed.
  if (!open_) CPThrow(fnOpnErr);
  *previousKey = accessKey_;
  if (!share_ || !share_->IsOpen()) {
    accessKey_ = 1;  // alone with the file: nothing to wait for
    return 1;
  }
  if (accessKey_ != 0) return accessKey_ = NewKey(accessKey_);
  const bool yield = yieldTurns_ > 0;
  if (!share_->TryLock(yield)) {
    if (yield) --yieldTurns_;
    return 0;
  }
  yieldTurns_ = 0;
  shareLocked_ = true;
  accessKey_ = NewKey(0);
  if (ready_) {
    try {
      CatchUp();
    } catch (...) {
      UnLockAccess(accessKey_, 0);
      throw;
    }
  }
  return accessKey_;
}

void CPSimpleDBFile::UnLockAccess(uint32_t key, uint32_t previousKey) {
  if (key != accessKey_) CPThrow(kSDBErrAccessKey);
  accessKey_ = previousKey;
  if (accessKey_ != 0 || !shareLocked_) return;
  try {
    if (changeMarked_ || generationMoved_) {
      CPSimpleDBSynchroLockInfos infos = share_->Read();
      infos.opID = 0;
      infos.opStr[0] = 0;
      if (generationMoved_) generation_ = ++infos.generation;
      share_->Write(infos);
    }
  } catch (...) {
    // The mark stays: the next holder recovers, which costs time, not data.
  }
  changeMarked_ = generationMoved_ = false;
  shareLocked_ = false;
  share_->Unlock();
  // Let a station that waited through our turn go first next time.
  yieldTurns_ = 2;
}

// ---- catching up

void CPSimpleDBFile::UpdateSharedData() {
  if (!shared_ || !ready_) return;
  // The outermost lock of a shared file catches up as it is taken; a nested
  // one finds nothing new, since nobody writes while this station holds it.
  CPSimpleDBAccessLocker lock(this);
}

void CPSimpleDBFile::CatchUp() {
  if (!logRunning_ || FastAdd() || updating_) return;
  // The header first: another station may have moved its counters without an
  // event (a new ID handed out), and every header this one writes must start
  // from theirs.
  ReadHeader();
  CPSimpleDBSynchroLockInfos infos = share_->Read();
  const bool recover = infos.opID != 0;
  bool resync = recover || infos.generation != generation_;
  if (!resync && log_->GetNextEventRefnum() == logEnd_) return;
  Updating updating(updating_);
  if (recover) {
    // A station died in the middle of a change: finish or drop it in the
    // blocks, cut its unfinished event, and log what the log missed.
    CPSimpleDBRecovery done = CPSimpleDBRecover(blocs_);
    recovery_.changeFinished = done.changeFinished;
    recovery_.tornTail = done.tornTail;
    recovery_.logCut = log_->Repair(logEnd_);
    recovery_.logCorrections = ReconcileLog();
    changeMarked_ = true;  // cleared with the lock, once all of this is written
    generationMoved_ = true;
  }
  const uint32_t end = log_->GetNextEventRefnum();
  if (resync) Resync();
  ApplyEvents(logEnd_, end, !resync);
  logEnd_ = end;
  if (!recover) generation_ = infos.generation;
}

void CPSimpleDBFile::Resync() {
  blocs_.ForgetFreeSpace();
  BuildIndex();
  ReloadCopy();
}

// Through the file's hooks the events update the index, the memory copy and
// the sessions; after a resync the first two are already current and only the
// sessions hear of them. The hooks' flag is false: these are not this
// station's changes. A station that died between its event and its header
// leaves the header behind the log; it is set right here.
void CPSimpleDBFile::ApplyEvents(uint32_t from, uint32_t to, bool throughFile) {
  if (from >= to) return;
  blocs_.ForgetFreeSpace();
  hookFailuresIgnored_ = true;
  struct Restore {
    bool& flag;
    ~Restore() { flag = false; }
  } restore{hookFailuresIgnored_};
  CPSimpleDBEventID lastEvent = header_.eventID;
  uint32_t lastAuto = header_.autoID;
  log_->Play(from, to, true, [&](CPSimpleDBLogEvent& e) {
    const CPSimpleDBDataInfo info = e.InfoWithEncoding();
    switch (e.action) {
      case kSDBLogAdd:
        if (throughFile) {
          DataAdded(info, e.newRefnum, e.newData.data(), e.newSize, false);
        } else {
          CPSimpleDBDataProvider::DataAdded(info, e.newRefnum, e.newData.data(), e.newSize, false);
        }
        break;
      case kSDBLogModify:
        if (throughFile) {
          // The log keeps one encoding per event, the new bytes'; this
          // station's view still holds the old record and tells the old one.
          CPDataEncoding oldEncoding = e.encoding;
          try {
            CPSimpleDBDataInfo old;
            Reader().GetDataInfos(e.oldRefnum, &old, &oldEncoding);
            if (old.dataID != e.info.dataID) oldEncoding = e.encoding;
          } catch (const CPException&) {
            oldEncoding = e.encoding;
          }
          OldDataEncoding told(this, oldEncoding);
          DataModified(info, e.oldRefnum, e.oldData.data(), e.oldSize, e.newRefnum,
                       e.newData.data(), e.newSize, false);
        } else {
          CPSimpleDBDataProvider::DataModified(info, e.oldRefnum, e.oldData.data(), e.oldSize,
                                               e.newRefnum, e.newData.data(), e.newSize, false);
        }
        break;
      case kSDBLogDelete:
        if (throughFile) {
          DataDeleted(info, e.oldRefnum, e.oldData.data(), e.oldSize, false);
        } else {
          CPSimpleDBDataProvider::DataDeleted(info, e.oldRefnum, e.oldData.data(), e.oldSize,
                                              false);
        }
        break;
      default:
        if (throughFile) {
          DataMoved(info, e.oldRefnum, e.newRefnum);
        } else {
          CPSimpleDBDataProvider::DataMoved(info, e.oldRefnum, e.newRefnum);
        }
        break;
    }
    lastEvent = std::max(lastEvent, e.eventID);
    lastAuto = std::max(lastAuto, e.autoID);
    return true;
  });
  if (lastEvent != header_.eventID || lastAuto != header_.autoID) {
    header_.eventID = lastEvent;
    header_.autoID = lastAuto;
    WriteHeader(true);
  }
}

// The last station out marks the file closed; the others leave the flag to it.
// A station that changed nothing writes nothing, unless it is the last one
// and finds the flag left by a station that changed it and left before.
void CPSimpleDBFile::CloseShared() {
  CPSimpleDBAccessLocker lock(this);
  const bool others = share_->OthersPresent();
  if (markPending_ && (others || !(header_.flags & kSDBHeaderOpenFlag))) return;
  WriteHeader(others);
}
