// Where the resources of a file live: records identified by a type and a signed
// 16-bit ID, each with a name and a body. A resource set (CPResourceSet.h) opens
// one session per type and hands its reference to every call. Implementations
// keep a stream (CPStreamResourceStorage) or records of a database file.
// Failures raise CPException: the bare code 1 for an ID that is not there, 2 for
// an ID that already is; errors of the file or stream pass through.
#ifndef VYX_RESOURCES_CPRESOURCESTORAGE_H_
#define VYX_RESOURCES_CPRESOURCESTORAGE_H_

#include <cstdint>
#include <functional>

#include "foundation/CPDataEncoding.h"
#include "platform/CPMacTypes.h"

// What OpenResourceSet answers and every other call takes: the storage's handle
// on the resources of one type. It lives only in memory.
using CPResourceSetRef = uintptr_t;

class CPResourceStorage {
 public:
  CPResourceStorage() = default;
  virtual ~CPResourceStorage() = default;
  CPResourceStorage(const CPResourceStorage&) = delete;
  CPResourceStorage& operator=(const CPResourceStorage&) = delete;

  virtual CPResourceSetRef OpenResourceSet(ResType type);
  virtual void CloseResourceSet(CPResourceSetRef ref);
  // The encoding in which bodies are handed over to the storage: the host's.
  virtual void GetEncoding(CPDataEncoding* encoding);
  // The longest name the storage keeps; longer names are cut to it.
  virtual int GetMaxNameLength() const { return 255; }

  // An ID that is neither 0 nor used in the type.
  virtual CPResID GetUniqueID(CPResourceSetRef ref) = 0;
  virtual bool ResourceExists(CPResourceSetRef ref, CPResID id) = 0;
  // Names are compared without regard to case or diacritical marks.
  virtual bool ResourceExists(CPResourceSetRef ref, ConstStringPtr name) = 0;
  // `position` (may be null) receives the resource's 1-based place in the
  // storage's own order.
  virtual void AddResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                           ConstStringPtr name, const void* data, uint32_t size,
                           int32_t* position) = 0;
  virtual void RemoveResource(CPResourceSetRef ref, CPResID id) = 0;
  virtual int32_t GetResourcesCount(CPResourceSetRef ref) = 0;
  virtual uint32_t GetResourceSize(CPResourceSetRef ref, CPResID id) = 0;
  // Copies at most `size` bytes of the body and answers how many; `encoding`
  // (may be null) receives the encoding the body was written in.
  virtual uint32_t GetResource(CPResourceSetRef ref, CPResID id, CPDataEncoding* encoding,
                               void* data, uint32_t size) = 0;
  virtual void GetResourceName(CPResourceSetRef ref, CPResID id, StringPtr name) = 0;
  // The first resource of that name (compared as ResourceExists does); code 1 when none.
  virtual CPResID GetResourceID(CPResourceSetRef ref, ConstStringPtr name) = 0;
  // The ID at 1-based position `n` of the storage's own order; code 1 out of range.
  virtual CPResID GetNthResource(CPResourceSetRef ref, int32_t n) = 0;
  virtual void SetResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                           const void* data, uint32_t size) = 0;
  virtual void SetResourceName(CPResourceSetRef ref, CPResID id, ConstStringPtr name) = 0;

  // The unique-ID walk every storage shares. It starts from the tick count so
  // that IDs made on different stations rarely meet, and steps through the
  // whole signed range, so IDs may be negative. Raises kCPErrResourceTypeFull
  // when every non-zero ID is taken.
  static CPResID PickUniqueID(const std::function<bool(CPResID)>& exists);
};

#endif  // VYX_RESOURCES_CPRESOURCESTORAGE_H_
