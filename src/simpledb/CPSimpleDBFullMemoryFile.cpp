#include "simpledb/CPSimpleDBFullMemoryFile.h"

#include <cstring>
#include <vector>

#include "foundation/CPException.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"

CPSimpleDBFullMemoryFile::CPSimpleDBFullMemoryFile(const CPFileRef& fileRef)
    : CPSimpleDBFile(fileRef), copy_(true, true), memory_(&copy_) {}

// A file still open is closed here rather than by the base's destructor:
// closing places the saved index by the free records that the copy tells,
// so the copy must still exist then.
CPSimpleDBFullMemoryFile::~CPSimpleDBFullMemoryFile() {
  try {
    Close();
  } catch (...) {
    // As the base: the header keeps the open flag; the next opening walks.
  }
  GetBlocsHandler().SetMirror(nullptr);
}

void CPSimpleDBFullMemoryFile::Create(OSType creator, OSType type, ConstStringPtr signature,
                                      uint32_t contentVersion, bool shared) {
  copy_.SetLength(0);
  memory_ = CPSimpleDBBlocsHandler(&copy_);
  CPSimpleDBFile::Create(creator, type, signature, contentVersion, shared);
}

// The copy is loaded by the opening itself (ReloadCopy), while a shared file
// still holds the lock that keeps the other stations out.
void CPSimpleDBFullMemoryFile::Open(uint32_t maxContentVersion, bool shared, bool readOnly) {
  copy_.SetLength(0);
  memory_ = CPSimpleDBBlocsHandler(&copy_);
  CPSimpleDBFile::Open(maxContentVersion, shared, readOnly);
}

void CPSimpleDBFullMemoryFile::ReloadCopy() {
  CPSimpleDBBlocsHandler& file = GetBlocsHandler();
  copy_.SetLengthForOverwrite(file.GetAllBlocsSize());
  file.ReadAllBlocs(copy_.Data());
  memory_ = CPSimpleDBBlocsHandler(&copy_);
  file.SetMirror(&memory_);
}

void CPSimpleDBFullMemoryFile::Compact(CPSimpleDBSession* session) {
  CPSimpleDBFile::Compact(session);
  if (CPSimpleDBBlocsHandler::KeepsLength()) {
    ReloadCopy();  // the moves left a free tail that the file holds as one record
  } else {
    memory_.SetAllBlocsSize(GetBlocsHandler().GetAllBlocsSize());
  }
}

namespace {

CPSimpleDBDataHeader HeaderOf(const CPSimpleDBDataInfo& info) {
  CPSimpleDBDataHeader h;
  h.info = info;
  return h;
}

}  // namespace

void CPSimpleDBFullMemoryFile::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                         const void* data, CPDataSize size, bool flag) {
  CPSimpleDBDataHeader h = HeaderOf(info);
  memory_.DataAdded(h, refnum, data, size);
  CPSimpleDBFile::DataAdded(info, refnum, data, size, flag);
}

void CPSimpleDBFullMemoryFile::DataModified(const CPSimpleDBDataInfo& info,
                                            CPSimpleDBRefnum oldRefnum, const void* oldData,
                                            CPDataSize oldSize, CPSimpleDBRefnum newRefnum,
                                            const void* newData, CPDataSize newSize, bool flag) {
  CPSimpleDBDataHeader h = HeaderOf(info);
  memory_.DataModified(h, oldRefnum, newRefnum, newData, newSize);
  CPSimpleDBFile::DataModified(info, oldRefnum, oldData, oldSize, newRefnum, newData, newSize,
                               flag);
}

void CPSimpleDBFullMemoryFile::DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                           const void* data, CPDataSize size, bool flag) {
  memory_.DataDeleted(refnum);
  CPSimpleDBFile::DataDeleted(info, refnum, data, size, flag);
}

void CPSimpleDBFullMemoryFile::DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                                         CPSimpleDBRefnum to) {
  memory_.DataMoved(from, to);
  CPSimpleDBFile::DataMoved(info, from, to);
}

void CPSimpleDBFullMemoryFile::SavedIndexWritten(CPSimpleDBRefnum oldRefnum,
                                                 CPSimpleDBRefnum newRefnum,
                                                 CPSimpleDBDataHeader& header, const void* data,
                                                 CPDataSize size) {
  if (oldRefnum == 0) {
    memory_.DataAdded(header, newRefnum, data, size);
  } else {
    memory_.DataModified(header, oldRefnum, newRefnum, data, size);
  }
}

void CPSimpleDBFullMemoryFile::CheckMemory() {
  CPSimpleDBBlocsHandler& file = GetBlocsHandler();
  uint32_t area = file.GetAllBlocsSize();
  uint32_t length = file.GetStream()->GetLength();
  if (copy_.GetLength() + kSDBHeaderAreaSize != length || copy_.GetLength() != area) {
    CPThrow(kSDBErrMemoryCopy);
  }
  std::vector<unsigned char> bytes(area);
  file.ReadAllBlocs(bytes.data());
  if (area && std::memcmp(bytes.data(), copy_.Data(), area) != 0) CPThrow(kSDBErrMemoryCopy);
}
