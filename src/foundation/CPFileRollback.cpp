#include "foundation/CPFileRollback.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "foundation/CPException.h"
#include "foundation/CPFileStream.h"
#include "platform/CPOSErr.h"

namespace {

CPFileRollback* gCurrent = nullptr;

bool PRead(int fd, uint64_t offset, unsigned char* out, uint64_t count) {
  for (uint64_t done = 0; done < count;) {
    ssize_t n = ::pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<uint64_t>(n);
  }
  return true;
}

bool PWrite(int fd, uint64_t offset, const unsigned char* data, uint64_t count) {
  for (uint64_t done = 0; done < count;) {
    ssize_t n = ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<uint64_t>(n);
  }
  return true;
}

// Writes back the part of `was` that differs from what the file holds: a
// write that failed half-way (a full disk, a size limit) changed only what
// it reached, and the rest must not be written again, which could fail too.
bool Restore(int fd, uint64_t offset, const std::vector<unsigned char>& was,
             std::vector<unsigned char>& now) {
  if (was.empty()) return true;
  now.assign(was.size(), 0);
  uint64_t readable = 0;
  while (readable < was.size()) {
    ssize_t n = ::pread(fd, now.data() + readable, was.size() - readable,
                        static_cast<off_t>(offset + readable));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    readable += static_cast<uint64_t>(n);
  }
  size_t first = 0, last = was.size();
  while (first < readable && now[first] == was[first]) ++first;
  if (first == was.size()) return true;
  if (readable == was.size()) {
    while (last > first && now[last - 1] == was[last - 1]) --last;
  }
  return PWrite(fd, offset + first, was.data() + first, last - first);
}

uint64_t LengthOf(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

CPFileRollback::CPFileRollback() : previous_(gCurrent) { gCurrent = this; }

CPFileRollback::~CPFileRollback() {
  if (!done_) Rollback();
  Release();
}

CPFileRollback* CPFileRollback::Current() { return gCurrent; }

void CPFileRollback::Release() {
  for (Tracked& t : files_) {
    if (t.fd >= 0) ::close(t.fd);
    t.fd = -1;
  }
  if (gCurrent == this) gCurrent = previous_;
}

void CPFileRollback::Join(CPRollbackParticipant* participant) {
  if (std::find(participants_.begin(), participants_.end(), participant) == participants_.end())
    participants_.push_back(participant);
}

void CPFileRollback::Leave(CPRollbackParticipant* participant) {
  participants_.erase(std::remove(participants_.begin(), participants_.end(), participant),
                      participants_.end());
}

void CPFileRollback::StreamGone(CPFileStream& stream) {
  streams_.erase(std::remove(streams_.begin(), streams_.end(), &stream), streams_.end());
}

void CPFileRollback::Created(const CPFileRef& file) {
  if (!done_) created_.push_back(file);
}

bool CPFileRollback::Reopen(const CPFileRef& ref, CPFilePermission access, CPFile& file) {
  struct stat st;
  if (done_ || ::stat(ref.Path().c_str(), &st) != 0) return false;
  for (const Tracked& t : files_) {
    if (t.fd < 0 || t.device != st.st_dev || t.inode != st.st_ino) continue;
    int fd = ::fcntl(t.fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    // The same open file: converting its lock converts the kept one too.
    if (access == kCPFileReadWrite && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return false;
    }
    return file.Adopt(fd) == noErr;
  }
  return false;
}

long CPFileRollback::Track(CPFileStream& stream, const CPFile& file) {
  struct stat st;
  if (::fstat(file.Descriptor(), &st) != 0) {
    untracked_ = true;
    return -1;
  }
  if (std::find(streams_.begin(), streams_.end(), &stream) == streams_.end())
    streams_.push_back(&stream);
  for (size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].device == st.st_dev && files_[i].inode == st.st_ino) return long(i);
  }
  Tracked t;
  t.ref = stream.GetFileSpec();
  t.device = st.st_dev;
  t.inode = st.st_ino;
  t.length = static_cast<uint64_t>(st.st_size);
  t.modified = st.st_mtim;
  for (const CPFileRef& made : created_) t.created = t.created || made.SameFile(t.ref);
  t.fd = ::fcntl(file.Descriptor(), F_DUPFD_CLOEXEC, 0);
  if (t.fd < 0) {
    untracked_ = true;
    return -1;
  }
  files_.push_back(t);
  return long(files_.size() - 1);
}

// The bytes of [offset, end) that the file holds now, and its length: what
// undoing the write (or the cut) that follows needs.
void CPFileRollback::Keep(size_t file, uint64_t offset, uint64_t end) {
  const Tracked& t = files_[file];
  Undo undo{file, offset, {}, LengthOf(t.fd)};
  const uint64_t until = std::min(end, undo.length);
  if (until > offset) {
    undo.bytes.resize(until - offset);
    if (!PRead(t.fd, offset, undo.bytes.data(), until - offset)) untracked_ = true;
  }
  undo_.push_back(std::move(undo));
}

void CPFileRollback::BeforeWrite(CPFileStream& stream, const CPFile& file, uint64_t offset,
                                 uint64_t count) {
  if (done_) return;
  long i = Track(stream, file);
  if (i < 0 || files_[size_t(i)].created) return;
  Keep(size_t(i), offset, offset + count);
}

void CPFileRollback::BeforeSetLength(CPFileStream& stream, const CPFile& file, uint64_t length) {
  if (done_) return;
  long i = Track(stream, file);
  if (i < 0 || files_[size_t(i)].created) return;
  Keep(size_t(i), length, UINT64_MAX);
}

void CPFileRollback::Commit() {
  if (done_) return;
  done_ = true;
  undo_.clear();
  created_.clear();
  std::vector<CPRollbackParticipant*> told = participants_;
  for (CPRollbackParticipant* p : told) p->Committed();
  participants_.clear();
  streams_.clear();
  Release();
}

bool CPFileRollback::Rollback(std::string* why) {
  if (done_) return true;
  done_ = true;
  bool sound = !untracked_;
  // Nothing more reaches these files from the objects built on them.
  for (CPFileStream* s : streams_) s->Freeze();
  streams_.clear();
  std::vector<unsigned char> now;
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
    const Tracked& t = files_[it->file];
    bool ok = Restore(t.fd, it->offset, it->bytes, now);
    ok = ok && ::ftruncate(t.fd, static_cast<off_t>(it->length)) == 0;
    if (!ok && sound) {
      sound = false;
      if (why) *why = CPException(CPFileSystem::FromErrno(errno)).DisplayText();
    }
  }
  for (const Tracked& t : files_) {
    if (t.created) continue;
    // Written back to its bytes, the file is as it was: its date too.
    struct timespec times[2] = {{0, UTIME_OMIT}, t.modified};
    ::futimens(t.fd, times);
  }
  for (const CPFileRef& made : created_) CPFileSystem::Delete(made);
  undo_.clear();
  created_.clear();
  std::vector<CPRollbackParticipant*> told = participants_;
  for (CPRollbackParticipant* p : told) p->RolledBack();
  participants_.clear();
  Release();
  return sound;
}
