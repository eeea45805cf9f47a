// A stream over a file. Every file-system failure, including a read that meets
// the end of the file before its count, raises CPException with the system's
// code; a write that fails names the file in its message. While a command's
// rollback is current (CPFileRollback.h) writes are recorded to be undone.
// The stream owns its open file and closes it when destroyed.
#ifndef VYX_FOUNDATION_CPFILESTREAM_H_
#define VYX_FOUNDATION_CPFILESTREAM_H_

#include <string>

#include "foundation/CPStream.h"
#include "platform/CPFileRef.h"

class CPFileStream : public CPStream {
 public:
  CPFileStream() = default;
  explicit CPFileStream(const CPFileRef& fileRef) : fileRef_(fileRef) {}
  ~CPFileStream() override;

  void SetMarker(int32_t offset, CPStreamFrom from) override;
  uint32_t GetMarker() const override { return marker_; }
  void SetLength(uint32_t length) override;
  uint32_t GetLength() const override;
  void WriteData(const void* data, long* count) override;
  void ReadData(void* data, long* count) override;
  using CPStream::ReadData;
  using CPStream::WriteData;

  // Deletes an existing file first when `replace`; otherwise an existing file is an error.
  void Create(OSType creator, OSType type, bool replace);
  void Delete();
  // Waits a while for a file that another program holds (CPBusyWait.h).
  void Open(CPFilePermission access);
  void Close();
  bool Exists() const { return fileRef_.Exists(); }
  bool IsOpen() const { return file_.IsOpen(); }
  // Renames the file in its folder (closed or open) and follows it.
  void Rename(const std::string& name);
  void Move(const CPFileRef& folder);
  bool IsLocked() const;
  bool VolumeIsLocked() const;
  const CPFileRef& GetFileSpec() const { return fileRef_; }
  void SetFileSpec(const CPFileRef& fileRef);
  int GetFileRef() const { return file_.Descriptor(); }
  OSType GetFileType() const;
  void SetFileType(OSType type);
  OSType GetFileCreator() const;
  void SetFileCreator(OSType creator);
  CPFilePermission Permission() const { return permission_; }
  bool Reading() const { return permission_ == kCPFileRead || permission_ == kCPFileReadLocked; }

  // Forces written bytes to the disk.
  void Flush();
  // Refuses every write from now on (wrPermErr): a rollback put the file
  // back as it was under this stream (CPFileRollback.h).
  void Freeze() { frozen_ = true; }

 private:
  [[noreturn]] void ThrowWriteFailed(OSErr err) const;

  CPFileRef fileRef_;
  CPFile file_;
  CPFilePermission permission_ = kCPFileRead;
  uint32_t marker_ = 0;
  bool frozen_ = false;
  // The length is cached only while we hold the file alone: a shared or read-only
  // file may be extended by another process at any time.
  mutable int64_t cachedLength_ = -1;
};

#endif  // VYX_FOUNDATION_CPFILESTREAM_H_
