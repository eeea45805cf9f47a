// A SimpleDB file that also holds a byte-for-byte copy of its data area in
// memory and serves every read from it. Writes go to the file first; each
// change hook then repeats the same change on the copy at the same refnums
// (the blocks handler's replay operations), so both stay equal. Account and
// user files are opened this way. Owns its copy; a memory shortage raises
// CPException with the system's memory error.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBFULLMEMORYFILE_H_
#define VYX_SIMPLEDB_CPSIMPLEDBFULLMEMORYFILE_H_

#include "simpledb/CPSimpleDBFile.h"

class CPSimpleDBFullMemoryFile : public CPSimpleDBFile {
 public:
  explicit CPSimpleDBFullMemoryFile(const CPFileRef& fileRef);
  ~CPSimpleDBFullMemoryFile() override;

  void Create(OSType creator, OSType type, ConstStringPtr signature, uint32_t contentVersion,
              bool shared) override;
  void Open(uint32_t maxContentVersion, bool shared, bool readOnly) override;
  void Compact(CPSimpleDBSession* session) override;

  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                 CPDataSize size, bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                    CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                    CPDataSize newSize, bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                   CPDataSize size, bool flag) override;
  void DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                 CPSimpleDBRefnum to) override;

  // Raises 1205 (a bare code) unless the copy equals the file's data area.
  void CheckMemory();

 protected:
  const CPSimpleDBBlocsHandler& Reader() const override { return memory_; }
  void ReloadCopy() override;
  void SavedIndexWritten(CPSimpleDBRefnum oldRefnum, CPSimpleDBRefnum newRefnum,
                         CPSimpleDBDataHeader& header, const void* data, CPDataSize size) override;

 private:
  CPHandleStream copy_;
  CPSimpleDBBlocsHandler memory_;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFULLMEMORYFILE_H_
