#include "foundation/CPFileStream.h"

#include <limits>

#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

CPFileStream::~CPFileStream() { file_.Close(); }

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
  if (file_.IsOpen() && permission_ == kCPFileRead) CPThrow(wrPermErr);
  cachedLength_ = -1;
  CPThrowIfOSErr(file_.SetLength(length));
  if (marker_ > length) marker_ = length;
}

void CPFileStream::WriteData(const void* data, long* count) {
  if (*count <= 0) {
    *count = 0;
    return;
  }
  // The descriptor would answer EBADF; the system names this case itself.
  if (file_.IsOpen() && permission_ == kCPFileRead) {
    *count = 0;
    CPThrow(wrPermErr);
  }
  if (uint64_t(marker_) + uint64_t(*count) > std::numeric_limits<uint32_t>::max()) {
    *count = 0;
    CPThrow(dskFulErr);
  }
  OSErr err = file_.Write(marker_, data, static_cast<size_t>(*count));
  if (err) {
    *count = 0;
    cachedLength_ = -1;
    CPThrow(err);
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
  CPThrowIfOSErr(CPFileSystem::Create(fileRef_, creator, type, false));
}

void CPFileStream::Delete() {
  Close();
  CPThrowIfOSErr(CPFileSystem::Delete(fileRef_));
}

void CPFileStream::Open(CPFilePermission access) {
  CPThrowIfOSErr(file_.Open(fileRef_, access));
  permission_ = access;
  cachedLength_ = -1;
  marker_ = 0;
}

void CPFileStream::Close() {
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
