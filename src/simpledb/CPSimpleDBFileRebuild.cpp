// Rebuilding a SimpleDB file from an event log. The replay runs on a copy
// beside the file (or on a new file of that name), which takes the file's
// place in one rename once it is complete and closed: a rebuild cut short
// leaves the file as it was and the log untouched, and can simply be run again.
#include <cstdio>
#include <cstring>

#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBFile.h"

void CPSimpleDBFile::Rebuild(const CPFileRef& logRef, OSType creator, uint32_t contentVersion,
                             bool shared) {
  if (open_) CPThrow(paramErr);
  const CPFileRef target = GetFileSpec();
  CPSimpleDBEventFile source(logRef);
  source.Open(kCPFileRead);
  source.ReadHeader();
  const bool exists = target.Exists();
  const CPFileRef work = target.Sibling("." + target.Name() + ".reconstruction");
  if (work.Exists()) CPThrowIfOSErr(CPFileSystem::Delete(work));
  // Held until the copy has replaced the file, so that nobody opens it meanwhile.
  CPFile guard;
  if (exists) {
    CPThrowIfOSErr(guard.Open(target, kCPFileReadWrite));
    CPThrowIfOSErr(CPFileSystem::Copy(target, work));
  }
  stream_.SetFileSpec(work);
  try {
    ReplayInto(source, exists, creator, contentVersion);
    // Closed without saving an index: that would hand out an ID the file that
    // wrote the log never gave, and the opening below builds one anyway.
    WriteHeader(false);
    Release();
  } catch (...) {
    Release();
    CPFileSystem::Delete(work);
    stream_.SetFileSpec(target);
    throw;
  }
  source.Close();
  stream_.SetFileSpec(target);
  // The rebuilt file is logged: its log must be where it will look for it.
  const CPFileRef log = GetEventLogFileSpec();
  if (!logRef.SameFile(log)) CPThrowIfOSErr(CPFileSystem::Copy(logRef, log));
  if (std::rename(work.Path().c_str(), target.Path().c_str()) != 0) {
    OSErr err = CPFileSystem::FromErrno(errno);
    CPFileSystem::Delete(work);
    CPThrowIfOSErr(err);
  }
  guard.Close();
  Open(contentVersion, shared, false);
  // The opening is the rebuild's last step: the file counts as changed by it,
  // so that closing saves its index as the closing of the original did.
  if (markPending_) WriteHeader(true);
}

// Opens (or creates) the copy, checks it against the log and replays what it
// lacks. The header is rewritten once, at the end: the copy is thrown away if
// anything fails, so it needs no step-by-step care.
void CPSimpleDBFile::ReplayInto(CPSimpleDBEventFile& source, bool exists, OSType creator,
                                uint32_t contentVersion) {
  const CPSimpleDBLogFileHeader logHeader = source.ReadHeader();
  CPSimpleDBEventID from = 0;
  readOnly_ = shared_ = false;
  if (!exists) {
    header_ = CPSimpleDBHeader();
    std::memcpy(header_.signature, logHeader.signature, kSDBSignatureSize);
    header_.type = logHeader.type;
    header_.baseID = logHeader.baseID;
    header_.noBase = logHeader.noBase;
    header_.contentVersion = contentVersion;
    header_.creation = CPClock::Now();
    stream_.Create(creator, logHeader.type, true);
    OpenStream(kCPFileReadWrite);
    headerArea_ = std::make_unique<unsigned char[]>(kSDBHeaderAreaSize);
    std::memset(headerArea_.get(), 0, kSDBHeaderAreaSize);
    stream_.SetLength(kSDBHeaderAreaSize);
  } else {
    OpenStream(kCPFileReadWrite);
    ReadHeader();
    if (header_.marker != kSDBFileMarker) CPThrow(kSDBErrBadMarker);
    if (header_.structureVersion > kSDBStructureVersion) CPThrow(kSDBErrStructureVersion);
    if (header_.contentVersion > contentVersion) CPThrow(kSDBErrContentVersion);
    if (header_.baseID != logHeader.baseID || header_.noBase != logHeader.noBase)
      CPThrow(kSDBErrLogOtherBase);
    if (source.GetLastEventID() < header_.eventID) CPThrow(kSDBErrLogBehind);
    recovery_.unclean = (header_.flags & kSDBHeaderOpenFlag) != 0;
    if (header_.stream != 0) LoadStreamSegment();
    if ((stream_.GetLength() - kSDBHeaderAreaSize) % kSDBBlocSize) CPThrow(kSDBErrNotWholeBlocs);
    from = header_.eventID + 1;
  }
  WriteHeader(true);
  blocs_.SetJournal(&journal_);
  if (recovery_.unclean) RecoverAfterUncleanStop();
  BuildIndex();
  ReloadCopy();
  // A batch spares a header write per event; records still reuse free space.
  uint32_t batch = CPSimpleDBDataProvider::NewFastAdd(nullptr, 0);
  replaying_ = true;
  try {
    source.RebuildDataBase(*this, from);
  } catch (...) {
    replaying_ = false;
    throw;
  }
  replaying_ = false;
  CPSimpleDBDataProvider::CloseFastAdd(nullptr, batch);
  header_.flags |= kSDBHeaderLogFlag;
  WriteHeader(true);
  ready_ = true;
}

// ---- copies

void CPSimpleDBFile::CreateLike(OSType creator, const CPSimpleDBHeader& original) {
  Create(creator, original.type, original.signature, original.contentVersion, false);
  header_.creation = original.creation;
  header_.baseID = original.baseID;
  header_.noBase = original.noBase;
  header_.autoID = original.autoID;
  WriteHeader(true);
}

void CPSimpleDBFile::CopyRecord(const CPSimpleDBDataInfo& info, const CPDataEncoding& encoding,
                                const void* data, CPDataSize size) {
  CPSimpleDBDataInfo copy = info;
  CPSimpleDBRefnum refnum = 0;
  replaying_ = true;  // the record's own dates
  try {
    AddData(nullptr, &copy, encoding, data, size, &refnum, info.dataID, 0);
  } catch (...) {
    replaying_ = false;
    throw;
  }
  replaying_ = false;
  if ((info.dataID >> 24) == ((header_.noBase - 1) & 0xFF) &&
      (info.dataID & 0xFFFFFF) > (header_.autoID & 0xFFFFFF)) {
    header_.autoID = info.dataID & 0xFFFFFF;
    WriteHeader(true);
  }
}
