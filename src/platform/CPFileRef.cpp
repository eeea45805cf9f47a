#include "platform/CPFileRef.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/CPOSErr.h"

namespace fs = std::filesystem;

bool CPFileRef::Exists() const {
  std::error_code ec;
  return !path_.empty() && fs::exists(path_, ec);
}

bool CPFileRef::SameFile(const CPFileRef& other) const {
  std::error_code ec;
  if (fs::exists(path_, ec) && fs::exists(other.path_, ec)) {
    bool same = fs::equivalent(path_, other.path_, ec);
    if (!ec) return same;
  }
  return fs::weakly_canonical(path_, ec) == fs::weakly_canonical(other.path_, ec);
}

OSErr CPFileSystem::FromErrno(int err) {
  switch (err) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EISDIR: return notAFileErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EFBIG: return fsDataTooBigErr;
    case EMFILE:
    case ENFILE: return tmfoErr;
    case ENAMETOOLONG: return bdNamErr;
    case EBUSY: return fBsyErr;
    case EWOULDBLOCK: return opWrErr;
    case ENOMEM: return memFullErr;
    case EINVAL: return paramErr;
    case EBADF: return rfNumErr;
    default: return ioErr;
  }
}

CPFile::~CPFile() { Close(); }

OSErr CPFile::Open(const CPFileRef& fileRef, CPFilePermission permission) {
  if (fd_ >= 0) return opWrErr;
  const bool reading = permission == kCPFileRead || permission == kCPFileReadLocked;
  int flags = (reading ? O_RDONLY : O_RDWR) | O_CLOEXEC;
  int fd = ::open(fileRef.Path().c_str(), flags);
  if (fd < 0) return CPFileSystem::FromErrno(errno);
  // A directory opens for reading, and would then read as an I/O error.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return notAFileErr;
  }
  // A lone writer holds an exclusive lock and sharers a shared one, so that a
  // second writer (in this process or another) is refused instead of writing
  // beside the first. A locked reader holds a shared lock too, which a lone
  // writer waits out; a plain reader takes none.
  if (permission != kCPFileRead) {
    int op = (permission == kCPFileReadWrite ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, op) != 0) {
      int err = errno;
      ::close(fd);
      return err == EWOULDBLOCK ? opWrErr : CPFileSystem::FromErrno(err);
    }
  }
  fd_ = fd;
  return noErr;
}

OSErr CPFile::Adopt(int fd) {
  if (fd_ >= 0) return opWrErr;
  if (fd < 0) return rfNumErr;
  fd_ = fd;
  return noErr;
}

OSErr CPFile::Close() {
  if (fd_ < 0) return noErr;
  int rc = ::close(fd_);  // releases the lock too
  fd_ = -1;
  return rc == 0 ? noErr : CPFileSystem::FromErrno(errno);
}

OSErr CPFile::Read(uint64_t offset, void* data, size_t count, size_t* done) {
  *done = 0;
  if (fd_ < 0) return rfNumErr;
  auto* p = static_cast<unsigned char*>(data);
  while (*done < count) {
    ssize_t n = ::pread(fd_, p + *done, count - *done, static_cast<off_t>(offset + *done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return CPFileSystem::FromErrno(errno);
    }
    if (n == 0) return eofErr;
    *done += static_cast<size_t>(n);
  }
  return noErr;
}

OSErr CPFile::Write(uint64_t offset, const void* data, size_t count) {
  if (fd_ < 0) return rfNumErr;
  auto* p = static_cast<const unsigned char*>(data);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pwrite(fd_, p + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return CPFileSystem::FromErrno(errno);
    }
    done += static_cast<size_t>(n);
  }
  return noErr;
}

OSErr CPFile::GetLength(uint64_t* length) {
  struct stat st;
  if (fd_ < 0) return rfNumErr;
  if (::fstat(fd_, &st) != 0) return CPFileSystem::FromErrno(errno);
  *length = static_cast<uint64_t>(st.st_size);
  return noErr;
}

OSErr CPFile::SetLength(uint64_t length) {
  if (fd_ < 0) return rfNumErr;
  return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? noErr : CPFileSystem::FromErrno(errno);
}

OSErr CPFile::Flush() {
  if (fd_ < 0) return rfNumErr;
  return ::fdatasync(fd_) == 0 ? noErr : CPFileSystem::FromErrno(errno);
}

namespace CPFileSystem {
namespace {

constexpr const char* kTypeAttr = "user.vyx.type";
constexpr const char* kCreatorAttr = "user.vyx.creator";

OSType GetCode(const CPFileRef& fileRef, const char* attr) {
  unsigned char b[4];
  if (::getxattr(fileRef.Path().c_str(), attr, b, 4) != 4) return 0;
  return (OSType(b[0]) << 24) | (OSType(b[1]) << 16) | (OSType(b[2]) << 8) | b[3];
}

OSErr SetCode(const CPFileRef& fileRef, const char* attr, OSType code) {
  if (!fileRef.Exists()) return fnfErr;
  unsigned char b[4] = {uint8_t(code >> 24), uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code)};
  // File systems without user attributes (tmpfs in some kernels, FAT) lose the
  // codes; the file itself is what matters, so that is not an error.
  ::setxattr(fileRef.Path().c_str(), attr, b, 4, 0);
  return noErr;
}

}  // namespace

OSErr Create(const CPFileRef& fileRef, OSType creator, OSType type, bool replace) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
  int fd = ::open(fileRef.Path().c_str(), flags, 0666);
  if (fd < 0) return FromErrno(errno);
  ::close(fd);
  SetCode(fileRef, kTypeAttr, type);
  SetCode(fileRef, kCreatorAttr, creator);
  return noErr;
}

OSErr Delete(const CPFileRef& fileRef) {
  return ::unlink(fileRef.Path().c_str()) == 0 ? noErr : FromErrno(errno);
}

OSErr Rename(const CPFileRef& fileRef, const std::string& newName) {
  fs::path to = fileRef.Path().parent_path() / newName;
  if (fs::exists(to) && !fileRef.SameFile(CPFileRef(to))) return dupFNErr;
  return ::rename(fileRef.Path().c_str(), to.c_str()) == 0 ? noErr : FromErrno(errno);
}

OSErr Move(const CPFileRef& fileRef, const CPFileRef& folder) {
  fs::path to = folder.Path() / fileRef.Path().filename();
  if (fs::exists(to)) return dupFNErr;
  return ::rename(fileRef.Path().c_str(), to.c_str()) == 0 ? noErr : FromErrno(errno);
}

OSErr Copy(const CPFileRef& from, const CPFileRef& to) {
  std::error_code ec;
  fs::copy_file(from.Path(), to.Path(), fs::copy_options::overwrite_existing, ec);
  if (ec) return FromErrno(ec.value());
  SetCode(to, kTypeAttr, GetFileType(from));
  SetCode(to, kCreatorAttr, GetFileCreator(from));
  return noErr;
}

bool IsLocked(const CPFileRef& fileRef) {
  // A file with no write permission bit is "locked" even for root, who could
  // otherwise write anything: the user locked it, and we respect that.
  struct stat st;
  if (::stat(fileRef.Path().c_str(), &st) != 0) return false;
  if ((st.st_mode & 0222) == 0) return true;
  return ::access(fileRef.Path().c_str(), W_OK) != 0 && errno != EROFS;
}

bool VolumeIsLocked(const CPFileRef& fileRef) {
  struct statvfs st;
  fs::path p = fileRef.Exists() ? fileRef.Path() : fileRef.Path().parent_path();
  if (p.empty()) p = ".";
  return ::statvfs(p.c_str(), &st) == 0 && (st.f_flag & ST_RDONLY);
}

OSType GetFileType(const CPFileRef& fileRef) { return GetCode(fileRef, kTypeAttr); }
OSType GetFileCreator(const CPFileRef& fileRef) { return GetCode(fileRef, kCreatorAttr); }
OSErr SetFileType(const CPFileRef& fileRef, OSType type) { return SetCode(fileRef, kTypeAttr, type); }
OSErr SetFileCreator(const CPFileRef& fileRef, OSType creator) {
  return SetCode(fileRef, kCreatorAttr, creator);
}

}  // namespace CPFileSystem
