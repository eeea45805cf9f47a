// The event log of a SimpleDB file: naming, starting and stopping it, writing
// one event per logged change, bringing it back in line with the file after
// an unclean stop, and rebuilding a file from it.
//
// Why a kill at any moment leaves a log that replays to a sound database:
//  - a change reaches the file first (itself all-or-nothing, see
//    CPSimpleDBWritePlan.h), then its event is appended in one write, then the
//    header's eventID is rewritten. The log therefore never holds a change the
//    file lacks; at worst the file holds one change the log lacks, and an
//    event cut short lies at the log's end;
//  - after an unclean stop (header flag 0x8 left set, or a station that died
//    with a change marked in the share file), the opening cuts that last event
//    (CPSimpleDBEventFile::Repair) and compares every logged record with the
//    file, appending an event for each difference (ReconcileLog). From then on
//    log and file agree again, and the header's counters follow the log;
//  - the first start writes the whole snapshot before setting the header's
//    log flag: a start cut short is simply started again;
//  - a rebuild works on a copy that replaces the file only once complete.
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBSession.h"
#include "simpledb/CPSimpleDBShareFile.h"

namespace {

// The name of a file beside `fileRef` with `extension` in place of its own: a
// final extension of three characters (".cpt") is dropped first.
CPFileRef Beside(const CPFileRef& fileRef, const char* extension) {
  std::string name = fileRef.Name();
  // Counted in characters, not in bytes of UTF-8.
  std::vector<size_t> starts;
  for (size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() > 4 && name[starts[starts.size() - 4]] == '.') {
    name.resize(starts[starts.size() - 4]);
  }
  return fileRef.Sibling(name + extension);
}

}  // namespace

CPFileRef CPSimpleDBFile::GetEventLogFileSpec() const { return Beside(GetFileSpec(), ".evt"); }

CPFileRef CPSimpleDBFile::GetShareFileFileSpec() const { return Beside(GetFileSpec(), ".shr"); }

CPFilePermission CPSimpleDBFile::LogPermission() const {
  return shared_ ? kCPFileReadWriteShared : kCPFileReadWrite;
}

uint32_t CPSimpleDBFile::NoBaseOf(CPSimpleDBSession* session) const {
  return session ? session->GetNoBase() : header_.noBase;
}

// ---- starting and stopping

void CPSimpleDBFile::StartEventLog() {
  if (logRunning_) return;
  CheckWritable();
  CPSimpleDBAccessLocker lock(this);
  if (!(header_.flags & kSDBHeaderLogFlag)) {
    FirstLogStart();
    return;
  }
  try {
    OpenEventLog();
  } catch (const CPException& e) {
    // The log is given up only when nobody else follows it: a station that
    // has the file open reads and appends to this very log.
    if (!restartUnusableLog_ || !LogUnusable(e.Code()) || (share_ && share_->OthersPresent())) {
      throw;
    }
    RestartEventLog(e.Code());
  }
}

bool CPSimpleDBFile::LogUnusable(int16_t code) {
  return code == kSDBErrLogMissing || code == kSDBErrLogMarker || code == kSDBErrLogVersion ||
         code == kSDBErrLogOtherBase || code == kSDBErrLogAhead || code == kSDBErrLogBehind;
}

// Nothing is written before the log is known to serve: a log refused here is
// as it was found.
void CPSimpleDBFile::OpenEventLog() {
  log_ = std::make_unique<CPSimpleDBEventFile>(GetEventLogFileSpec());
  try {
    log_->Open(LogPermission());
    CPSimpleDBLogFileHeader logHeader = log_->ReadHeader();
    if (logHeader.baseID != header_.baseID || logHeader.noBase != header_.noBase)
      CPThrow(kSDBErrLogOtherBase);
    if (recovery_.unclean) {
      // A writer killed in the middle of an event leaves that event cut short
      // and the header's eventID before it. A log whose whole events end
      // before the header's eventID lost events of its own (cut by something
      // else than a killed writer): bringing it in line would silently drop
      // them from the history it keeps.
      if (log_->GetLastEventID(log_->WholeLength()) < header_.eventID) CPThrow(kSDBErrLogBehind);
      recovery_.logCut = log_->Repair();
      recovery_.logCorrections = ReconcileLog();
    } else {
      CPSimpleDBEventID last = log_->GetLastEventID();
      if (last > header_.eventID) CPThrow(kSDBErrLogAhead);
      if (last < header_.eventID) CPThrow(kSDBErrLogBehind);
    }
  } catch (...) {
    log_->Close();
    log_.reset();
    throw;
  }
  logEnd_ = log_->GetNextEventRefnum();
  logRunning_ = true;
}

// The log that could not serve is kept (it may hold changes the file lacks,
// or be another file's), renamed beside the file with the moment and
// ".abime"; a new log starts from the file as it is, as at a first start.
void CPSimpleDBFile::RestartEventLog(int16_t why) {
  const CPFileRef logRef = GetEventLogFileSpec();
  CPFileRef aside;
  if (logRef.Exists()) {
    CPDateTimeRec f;
    CPDateToFields(CPClock::Now(), f);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    const std::string base = logRef.Name() + "." + stamp;
    aside = logRef.Sibling(base + ".abime");
    for (int n = 2; aside.Exists(); ++n)
      aside = logRef.Sibling(base + "-" + std::to_string(n) + ".abime");
    CPThrowIfOSErr(CPFileSystem::Rename(logRef, aside.Name()));
  }
  FirstLogStart();
  recovery_.logRestarted = why;
  recovery_.logSetAside = aside;
}

// The snapshot: one add event per logged record, in dataID order. Its events
// carry the file's eventID at that moment (0 for a file never changed), so
// that the log's last eventID equals the file's whatever changes were counted
// before the log began.
void CPSimpleDBFile::FirstLogStart() {
  log_ = std::make_unique<CPSimpleDBEventFile>(GetEventLogFileSpec());
  log_->Create(stream_.GetFileCreator(), header_, LogPermission());
  std::vector<unsigned char> data;
  for (const CPSimpleDBFileIndexItem& item : index_.Items()) {
    CPSimpleDBDataHeader h;
    CPDataEncoding encoding;
    blocs_.ReadRecord(item.refnum, &h, &encoding, &data);
    if (!h.info.IsLogged()) continue;
    h.info.SetEncoding(encoding);
    log_->AddData(header_.noBase, header_.eventID, header_.autoID, h.info, item.refnum, data.data(),
                  h.size);
  }
  header_.flags |= kSDBHeaderLogFlag;
  WriteHeader(true);
  logEnd_ = log_->GetNextEventRefnum();
  logRunning_ = true;
}

void CPSimpleDBFile::StopEventLog(bool deleteLog) {
  CheckWritable();
  // Stations sharing a file learn of each other's changes through its log.
  if (shared_) CPThrow(paramErr);
  if (log_) {
    log_->Close();
    if (deleteLog && log_->Exists()) CPThrowIfOSErr(CPFileSystem::Delete(log_->GetFileSpec()));
    log_.reset();
  }
  logRunning_ = false;
  header_.flags &= ~kSDBHeaderLogFlag;
  WriteHeader(true);
}

// ---- logging changes

void CPSimpleDBFile::CheckLogEnd() const {
  if (log_->GetNextEventRefnum() != logEnd_) CPThrow(kSDBErrLogGrew);
}

void CPSimpleDBFile::BeginChange(uint32_t action) {
  if (updating_) CPThrow(kSDBErrLogDuringUpdate);
  // Checked before the file is touched: a change that could not be logged
  // must not be made.
  if (logRunning_) CheckLogEnd();
  // The first change of this opening: the file says it is open before any
  // of the change reaches it, so that a writer stopped in the middle is seen.
  if (markPending_) WriteHeader(true);
  if (shared_ && shareLocked_ && !changeMarked_) {
    CPSimpleDBSynchroLockInfos infos = share_->Read();
    infos.opID = action;
    CPSimpleDBShareFile::StationName(infos.station);
    std::string what = "change " + std::to_string(action);
    infos.opStr[0] = static_cast<unsigned char>(what.size());
    std::memcpy(infos.opStr + 1, what.data(), what.size());
    share_->Write(infos);
    changeMarked_ = true;
  }
}

void CPSimpleDBFile::NoteUnloggedChange() {
  if (shared_) generationMoved_ = true;
}

void CPSimpleDBFile::LogAddData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                                CPSimpleDBRefnum refnum, const void* data, CPDataSize size) {
  if (updating_) CPThrow(kSDBErrLogDuringUpdate);
  if (!info.IsLogged()) return NoteUnloggedChange();
  if (logRunning_) {
    CheckLogEnd();
    log_->AddData(NoBaseOf(session), header_.eventID + 1, header_.autoID, info, refnum, data, size);
    logEnd_ = log_->GetNextEventRefnum();
  }
  ++header_.eventID;
  if (!FastAdd()) WriteHeader(true);
}

void CPSimpleDBFile::LogModifyData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                                   CPSimpleDBRefnum oldRefnum, const void* oldData,
                                   CPDataSize oldSize, CPSimpleDBRefnum newRefnum,
                                   const void* newData, CPDataSize newSize) {
  if (updating_) CPThrow(kSDBErrLogDuringUpdate);
  if (!info.IsLogged()) return NoteUnloggedChange();
  if (logRunning_) {
    CheckLogEnd();
    log_->ModifyData(NoBaseOf(session), header_.eventID + 1, header_.autoID, info, oldRefnum, oldData,
                     oldSize, newRefnum, newData, newSize);
    logEnd_ = log_->GetNextEventRefnum();
  }
  ++header_.eventID;
  if (!FastAdd()) WriteHeader(true);
}

void CPSimpleDBFile::LogDeleteData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                                   CPSimpleDBRefnum refnum, const void* data, CPDataSize size) {
  if (updating_) CPThrow(kSDBErrLogDuringUpdate);
  if (!info.IsLogged()) return NoteUnloggedChange();
  if (logRunning_) {
    CheckLogEnd();
    log_->DeleteData(NoBaseOf(session), header_.eventID + 1, header_.autoID, info, refnum, data, size);
    logEnd_ = log_->GetNextEventRefnum();
  }
  ++header_.eventID;
  if (!FastAdd()) WriteHeader(true);
}

void CPSimpleDBFile::LogMoveData(CPSimpleDBSession* session, const CPSimpleDBDataInfo& info,
                                 CPSimpleDBRefnum from, CPSimpleDBRefnum to) {
  if (updating_) CPThrow(kSDBErrLogDuringUpdate);
  if (!info.IsLogged()) return NoteUnloggedChange();
  if (logRunning_) {
    CheckLogEnd();
    log_->MoveData(NoBaseOf(session), header_.eventID + 1, header_.autoID, info, from, to);
    logEnd_ = log_->GetNextEventRefnum();
  }
  ++header_.eventID;
  if (!FastAdd()) WriteHeader(true);
}

// ---- bringing the log back in line after an unclean stop

namespace {

struct Logged {
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  CPSimpleDBRefnum refnum = 0;
  uint32_t dataAt = 0;  // log offset of its latest data
  uint32_t size = 0;
};

}  // namespace

// Compares what the log says of every record with the file and appends an
// event for each difference; answers how many. Records that are not logged,
// and the saved index, are no concern of the log.
uint32_t CPSimpleDBFile::ReconcileLog() {
  std::map<CPSimpleDBDataID, Logged> logged;
  CPSimpleDBEventID lastEvent = 0;
  uint32_t lastAuto = 0;
  log_->Play(kSDBLogFirstEvent, 0, false, [&](CPSimpleDBLogEvent& e) {
    const uint32_t dataAt = e.offset + kSDBLogBeginSize + kSDBDataInfoSize + e.oldSize;
    switch (e.action) {
      case kSDBLogAdd:
      case kSDBLogModify:
        logged[e.info.dataID] = {e.info, e.encoding, e.newRefnum, dataAt, e.newSize};
        break;
      case kSDBLogDelete:
        logged.erase(e.info.dataID);
        break;
      default:
        if (auto it = logged.find(e.info.dataID); it != logged.end())
          it->second.refnum = e.newRefnum;
        break;
    }
    lastEvent = e.eventID;
    lastAuto = e.autoID;
    return true;
  });
  header_.eventID = std::max(header_.eventID, lastEvent);

  struct Found {
    CPSimpleDBRefnum refnum;
    CPSimpleDBDataInfo info;
    CPDataEncoding encoding;
  };
  std::vector<Found> found;
  uint32_t highest = 0;
  const uint32_t base = (header_.noBase - 1) & 0xFF;
  blocs_.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding& enc) {
    if (h.info.IsFree()) return true;
    if ((h.info.dataID >> 24) == base) highest = std::max(highest, h.info.dataID & 0xFFFFFF);
    if (!h.info.IsLogged()) return true;
    if (CPSimpleDBIsSavedIndex(h.info)) return true;
    found.push_back({r, h.info, enc});
    return true;
  });

  // An ID handed out by a writer that died before using it is given back:
  // the counter follows what the log and the records say, nothing else.
  header_.autoID = std::max(lastAuto, highest);
  uint32_t corrections = 0;
  std::vector<unsigned char> data, was;
  auto next = [&] {
    ++corrections;
    return ++header_.eventID;
  };
  for (const Found& f : found) {
    CPSimpleDBDataHeader h;
    CPDataEncoding encoding;
    blocs_.ReadRecord(f.refnum, &h, &encoding, &data);
    CPSimpleDBDataInfo info = h.info;
    info.SetEncoding(encoding);
    auto it = logged.find(info.dataID);
    if (it == logged.end()) {
      log_->AddData(header_.noBase, next(), header_.autoID, info, f.refnum, data.data(), h.size);
      continue;
    }
    Logged& l = it->second;
    was.resize(l.size);
    if (l.size) log_->ReadBytes(l.dataAt, was.data(), l.size);
    if (!(l.info == h.info) || !(l.encoding == encoding) || was != data) {
      log_->ModifyData(header_.noBase, next(), header_.autoID, info, l.refnum, was.data(), l.size,
                       f.refnum, data.data(), h.size);
    } else if (l.refnum != f.refnum) {
      log_->MoveData(header_.noBase, next(), header_.autoID, info, l.refnum, f.refnum);
    }
    logged.erase(it);
  }
  for (auto& [id, l] : logged) {
    was.resize(l.size);
    if (l.size) log_->ReadBytes(l.dataAt, was.data(), l.size);
    CPSimpleDBDataInfo info = l.info;
    info.SetEncoding(l.encoding);
    log_->DeleteData(header_.noBase, next(), header_.autoID, info, l.refnum, was.data(), l.size);
  }
  WriteHeader(true);
  return corrections;
}
