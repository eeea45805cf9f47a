#include "platform/CPFileLock.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/CPOSErr.h"

namespace {

// Open-file-description locks: unlike classic POSIX record locks, they are not
// shared by every descriptor of the process, nor lost when any of them closes.
struct flock Range(short type, uint64_t offset, uint64_t length) {
  struct flock fl = {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  return fl;
}

}  // namespace

OSErr CPFileLock::TryLock(const CPFile& file, uint64_t offset, uint64_t length, bool exclusive) {
  if (!file.IsOpen()) return fnOpnErr;
  struct flock fl = Range(exclusive ? F_WRLCK : F_RDLCK, offset, length);
  while (::fcntl(file.Descriptor(), F_OFD_SETLK, &fl) != 0) {
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return opWrErr;
    return CPFileSystem::FromErrno(errno);
  }
  return noErr;
}

OSErr CPFileLock::Unlock(const CPFile& file, uint64_t offset, uint64_t length) {
  if (!file.IsOpen()) return fnOpnErr;
  struct flock fl = Range(F_UNLCK, offset, length);
  while (::fcntl(file.Descriptor(), F_OFD_SETLK, &fl) != 0) {
    if (errno != EINTR) return CPFileSystem::FromErrno(errno);
  }
  return noErr;
}

bool CPFileLock::HeldByOther(const CPFile& file, uint64_t offset, uint64_t length, bool exclusive) {
  if (!file.IsOpen()) return false;
  struct flock fl = Range(exclusive ? F_WRLCK : F_RDLCK, offset, length);
  if (::fcntl(file.Descriptor(), F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}
