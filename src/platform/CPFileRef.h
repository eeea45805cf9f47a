// Files as the system addresses them: a path (in place of a volume, folder and name
// triple) and a POSIX descriptor opened with one of the three access
// permissions. Every operation answers a system error code (CPOSErr.h) rather
// than throwing: the stream layer above turns codes into exceptions.
#ifndef VYX_PLATFORM_CPFILESPEC_H_
#define VYX_PLATFORM_CPFILESPEC_H_

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/CPMacTypes.h"

// A file's place in the file system (it need not exist).
class CPFileRef {
 public:
  CPFileRef() = default;
  explicit CPFileRef(std::filesystem::path path) : path_(std::move(path)) {}

  const std::filesystem::path& Path() const { return path_; }
  // The file's name as stored on disk (UTF-8), and the folder that holds it.
  std::string Name() const { return path_.filename().string(); }
  CPFileRef Folder() const { return CPFileRef(path_.parent_path()); }
  // The reference of a file named `name` in the same folder.
  CPFileRef Sibling(const std::string& name) const { return CPFileRef(path_.parent_path() / name); }
  bool Empty() const { return path_.empty(); }
  bool Exists() const;

  // Same file: equal absolute, normalised paths (or the same inode when both exist).
  bool SameFile(const CPFileRef& other) const;
  bool operator==(const CPFileRef& other) const { return SameFile(other); }

 private:
  std::filesystem::path path_;
};

// Access permissions of Open.
enum CPFilePermission : int8_t {
  kCPFileRead = 1,          // reading; never refused because someone else writes
  kCPFileReadLocked = 2,    // reading, keeping a lone writer out (and refused beside one)
  kCPFileReadWrite = 3,     // reading and writing, alone: a second writer is refused (opWrErr)
  kCPFileReadWriteShared = 4,  // reading and writing beside other sharers, never beside a lone writer
};

// An open file. Closing happens in the destructor when the caller did not.
class CPFile {
 public:
  CPFile() = default;
  ~CPFile();
  CPFile(const CPFile&) = delete;
  CPFile& operator=(const CPFile&) = delete;

  OSErr Open(const CPFileRef& fileRef, CPFilePermission permission);
  // Takes `fd` as its own (it closes it), with whatever lock it holds.
  OSErr Adopt(int fd);
  OSErr Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }

  OSErr Read(uint64_t offset, void* data, size_t count, size_t* done);
  OSErr Write(uint64_t offset, const void* data, size_t count);
  OSErr GetLength(uint64_t* length);
  OSErr SetLength(uint64_t length);
  OSErr Flush();

 private:
  int fd_ = -1;
};

// File-system operations on specifications.
namespace CPFileSystem {

// Creates an empty file; fails with dupFNErr when it exists and `replace` is false.
// The type and creator are kept in extended attributes where the file system allows.
OSErr Create(const CPFileRef& fileRef, OSType creator, OSType type, bool replace);
OSErr Delete(const CPFileRef& fileRef);
OSErr Rename(const CPFileRef& fileRef, const std::string& newName);
OSErr Move(const CPFileRef& fileRef, const CPFileRef& folder);
OSErr Copy(const CPFileRef& from, const CPFileRef& to);
bool IsLocked(const CPFileRef& fileRef);        // the file exists and cannot be written by us
bool VolumeIsLocked(const CPFileRef& fileRef);  // its file system is mounted read-only
// 0 when unknown (no attribute, or a file system without extended attributes).
OSType GetFileType(const CPFileRef& fileRef);
OSType GetFileCreator(const CPFileRef& fileRef);
OSErr SetFileType(const CPFileRef& fileRef, OSType type);
OSErr SetFileCreator(const CPFileRef& fileRef, OSType creator);

// The code of the last POSIX error `err`, as the system's codes name it.
OSErr FromErrno(int err);

}  // namespace CPFileSystem

#endif  // VYX_PLATFORM_CPFILESPEC_H_
