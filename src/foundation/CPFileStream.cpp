#include "foundation/CPFileStream.h"

#include <limits>

#include "foundation/CPBusyWait.h"
#include "foundation/CPException.h"
#include "foundation/CPFileRollback.h"
#include "foundation/CPStringTable.h"
#include "platform/CPOSErr.h"

namespace {

constexpr int kFileTexts = 30400;
constexpr int kWriteFailedItem = 3;  // ^1: the file, ^2: why

}  // namespace

CPFileStream::~CPFileStream() {
  if (CPFileRollback* rollback = CPFileRollback::Current()) rollback->StreamGone(*this);
  file_.Close();
}

// A write that cannot be made says which file it is about: the user sees
// "the disk is full" next to the file that could not be written.
void CPFileStream::ThrowWriteFailed(OSErr err) const {
  if (CPFileRollback* rollback = CPFileRollback::Current()) rollback->NoteWriteFailure();
  CPThrowList(err, kFileTexts, kWriteFailedItem,
              {CPFileDisplayPath(fileRef_), CPException(err).DisplayText()});
}

void CPFileStream::SetMarker(int32_t offset, CPStreamFrom from) {
  int64_t m = offset;
  if (from == kCPFromEnd) m = int64_t(GetLength()) - offset;
  if (from == kCPFromMarker) m = int64_t(marker_) + offset;
  if (m < 0) CPThrow(posErr);
  marker_ = static_cast<uint32_t>(m);
}

uint32_t CPFileStream::GetLength() const {
  if (cachedLength_ >= 0) return static_cast<uint32_t>(cachedLength_);
  uint64_t length = 0;
  CPThrowIfOSErr(const_cast<CPFile&>(file_).GetLength(&length));
  if (length > std::numeric_limits<uint32_t>::max()) CPThrow(posErr);
  if (permission_ == kCPFileReadWrite) cachedLength_ = static_cast<int64_t>(length);
  return static_cast<uint32_t>(length);
}

void CPFileStream::SetLength(uint32_t length) {
  if (file_.IsOpen() && Reading()) CPThrow(wrPermErr);
  if (frozen_) CPThrow(wrPermErr);
  if (CPFileRollback* rollback = CPFileRollback::Current(); rollback && file_.IsOpen())
    rollback->BeforeSetLength(*this, file_, length);
  cachedLength_ = -1;
  if (OSErr err = file_.SetLength(length)) ThrowWriteFailed(err);
  if (marker_ > length) marker_ = length;
}

void CPFileStream::WriteData(const void* data, long* count) {
  if (*count <= 0) {
    *count = 0;
    return;
  }
  // The descriptor would answer EBADF; the system names this case itself.
  if (file_.IsOpen() && Reading()) {
    *count = 0;
    CPThrow(wrPermErr);
  }
  if (frozen_) {
    *count = 0;
    CPThrow(wrPermErr);
  }
  if (uint64_t(marker_) + uint64_t(*count) > std::numeric_limits<uint32_t>::max()) {
    *count = 0;
    ThrowWriteFailed(dskFulErr);
  }
  if (CPFileRollback* rollback = CPFileRollback::Current(); rollback && file_.IsOpen())
    rollback->BeforeWrite(*this, file_, marker_, uint64_t(*count));
  OSErr err = file_.Write(marker_, data, static_cast<size_t>(*count));
  if (err) {
    *count = 0;
    cachedLength_ = -1;
    ThrowWriteFailed(err);
  }
  marker_ += static_cast<uint32_t>(*count);
  if (cachedLength_ >= 0 && marker_ > cachedLength_) cachedLength_ = marker_;
}

void CPFileStream::ReadData(void* data, long* count) {
  if (*count <= 0) {
    *count = 0;
    return;
  }
  size_t done = 0;
  OSErr err = file_.Read(marker_, data, static_cast<size_t>(*count), &done);
  marker_ += static_cast<uint32_t>(done);
  *count = static_cast<long>(done);
  CPThrowIfOSErr(err);
}

void CPFileStream::Create(OSType creator, OSType type, bool replace) {
  if (replace && fileRef_.Exists()) CPThrowIfOSErr(CPFileSystem::Delete(fileRef_));
  if (OSErr err = CPFileSystem::Create(fileRef_, creator, type, false)) {
    if (err == dupFNErr) CPThrow(err);
    ThrowWriteFailed(err);
  }
  if (CPFileRollback* rollback = CPFileRollback::Current()) rollback->Created(fileRef_);
}

void CPFileStream::Delete() {
  Close();
  CPThrowIfOSErr(CPFileSystem::Delete(fileRef_));
}

// A file that another program holds in a way that excludes this opening
// (opWrErr) is waited for a while before the opening gives up.
void CPFileStream::Open(CPFilePermission access) {
  if (file_.IsOpen()) CPThrow(opWrErr);
  OSErr err = noErr;
  auto attempt = [&] {
    err = file_.Open(fileRef_, access);
    if (err == opWrErr) {
      CPFileRollback* rollback = CPFileRollback::Current();
      if (rollback && rollback->Reopen(fileRef_, access, file_)) err = noErr;
    }
    return err != opWrErr;
  };
  if (!CPWaitWhileBusy(fileRef_, attempt)) CPThrowBusy(opWrErr, fileRef_);
  CPThrowIfOSErr(err);
  permission_ = access;
  cachedLength_ = -1;
  marker_ = 0;
}

void CPFileStream::Close() {
  if (CPFileRollback* rollback = CPFileRollback::Current()) rollback->StreamGone(*this);
  marker_ = 0;
  cachedLength_ = -1;
  CPThrowIfOSErr(file_.Close());
}

void CPFileStream::Rename(const std::string& name) {
  CPThrowIfOSErr(CPFileSystem::Rename(fileRef_, name));
  fileRef_ = fileRef_.Sibling(name);
}

void CPFileStream::Move(const CPFileRef& folder) {
  CPThrowIfOSErr(CPFileSystem::Move(fileRef_, folder));
  fileRef_ = CPFileRef(folder.Path() / fileRef_.Path().filename());
}

bool CPFileStream::IsLocked() const { return CPFileSystem::IsLocked(fileRef_); }
bool CPFileStream::VolumeIsLocked() const { return CPFileSystem::VolumeIsLocked(fileRef_); }

void CPFileStream::SetFileSpec(const CPFileRef& fileRef) {
  Close();
  fileRef_ = fileRef;
}

OSType CPFileStream::GetFileType() const { return CPFileSystem::GetFileType(fileRef_); }
void CPFileStream::SetFileType(OSType type) {
  CPThrowIfOSErr(CPFileSystem::SetFileType(fileRef_, type));
}
OSType CPFileStream::GetFileCreator() const { return CPFileSystem::GetFileCreator(fileRef_); }
void CPFileStream::SetFileCreator(OSType creator) {
  CPThrowIfOSErr(CPFileSystem::SetFileCreator(fileRef_, creator));
}

void CPFileStream::Flush() { CPThrowIfOSErr(file_.Flush()); }
