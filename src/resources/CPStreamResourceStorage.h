// Resources kept in any stream (a memory handle, a file): an index of 132-byte
// entries at the start, followed by the bodies wherever they were written. The
// layout is described in docs/resource-storage.md. The stream is not owned and
// must outlive the storage; every change is written through at once (header and
// index included), so there is nothing to flush. The set reference is the type.
#ifndef VYX_RESOURCES_CPSTREAMRESOURCESTORAGE_H_
#define VYX_RESOURCES_CPSTREAMRESOURCESTORAGE_H_

#include <vector>

#include "foundation/CPFormattedStream.h"
#include "foundation/CPStream.h"
#include "resources/CPResourceStorage.h"

class CPStreamResourceStorage : public CPResourceStorage {
 public:
  static constexpr uint32_t kVersion = 1;
  static constexpr uint32_t kHeaderSize = 16;
  static constexpr uint32_t kEntrySize = 132;
  static constexpr uint32_t kEntryMarker = 0xFDB97531;
  static constexpr int kMaxNameLength = 99;

  // One index entry, as held in memory. A free data area has type 0 and ID 0.
  struct Entry {
    CPDate creation = 0;
    CPDate modification = 0;
    ResType type = 0;
    CPResID id = 0;
    Str99 name = {};
    uint32_t offset = 0;
    uint32_t size = 0;       // bytes of body in use
    uint32_t allocated = 0;  // bytes reserved at offset
    bool written = false;
  };

  // A stream shorter than 9 bytes is given an empty index; a longer one is read.
  // Raises kCPErrNewerVersion for a version above 1 and
  // kCPErrResourceStorageDamaged for an index that does not fit its stream.
  explicit CPStreamResourceStorage(CPStream& stream);

  CPResourceSetRef OpenResourceSet(ResType type) override { return type; }
  int GetMaxNameLength() const override { return kMaxNameLength; }
  CPResID GetUniqueID(CPResourceSetRef ref) override;
  bool ResourceExists(CPResourceSetRef ref, CPResID id) override;
  bool ResourceExists(CPResourceSetRef ref, ConstStringPtr name) override;
  void AddResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                   ConstStringPtr name, const void* data, uint32_t size,
                   int32_t* position) override;
  void RemoveResource(CPResourceSetRef ref, CPResID id) override;
  int32_t GetResourcesCount(CPResourceSetRef ref) override;
  uint32_t GetResourceSize(CPResourceSetRef ref, CPResID id) override;
  uint32_t GetResource(CPResourceSetRef ref, CPResID id, CPDataEncoding* encoding, void* data,
                       uint32_t size) override;
  void GetResourceName(CPResourceSetRef ref, CPResID id, StringPtr name) override;
  CPResID GetResourceID(CPResourceSetRef ref, ConstStringPtr name) override;
  CPResID GetNthResource(CPResourceSetRef ref, int32_t n) override;
  void SetResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                   const void* data, uint32_t size) override;
  void SetResourceName(CPResourceSetRef ref, CPResID id, ConstStringPtr name) override;

  // Rewrites header and index at offset 0, first moving to the end of the
  // stream the bodies that the grown index would cover.
  void Save();
  // A readable listing of the header and of every entry, one line each.
  void PutTo(CPFormattedStream& out) const;
  // The first free area of at least `size` bytes: its index in Entries().
  bool FindEmptyPlace(uint32_t size, int32_t* position) const;
  // The first entry that holds a resource (free entries sort first).
  bool FindFirstResource(int32_t* position) const;

  // The entries in their stored order: by type, then ID.
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  using Iter = std::vector<Entry>::iterator;

  void Read();
  Iter Find(ResType type, CPResID id);
  Iter FindOrThrow(ResType type, CPResID id);
  std::pair<Iter, Iter> TypeRange(ResType type);
  void Insert(const Entry& entry);
  // Where a body that does not fit anywhere is written: past every area.
  uint32_t EndOfData() const;
  void WriteAt(uint32_t offset, const void* data, uint32_t size);
  void ReadAt(uint32_t offset, void* data, uint32_t size) const;
  // Takes the first free area of `size` bytes or more out of the index, or
  // answers an area at the end of the data.
  void PlaceBody(uint32_t size, uint32_t* offset, uint32_t* allocated);

  CPStream& stream_;
  std::vector<Entry> entries_;
  uint32_t firstDataOffset_ = kHeaderSize;
  // The end of the furthest area any entry reserves; new bodies go past it even
  // when the stream is shorter, so that no two areas ever overlap.
  uint32_t dataEnd_ = kHeaderSize;
};

#endif  // VYX_RESOURCES_CPSTREAMRESOURCESTORAGE_H_
