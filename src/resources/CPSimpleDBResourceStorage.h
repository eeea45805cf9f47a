// Resources kept as records of a SimpleDB file (CPSimpleDBResourceRecord.h).
// Several storages share one file, each under its own storage ID, and see
// only their own resources. Each opened set is a session of the file that
// keeps the list of its resources (ID and record) and is told of every change
// to a record of its type, whichever session made it (another set, another
// storage object, changes replayed from another station), so the list stays
// current. The file is not owned and must outlive the storage, which must
// outlive the sets opened on it.
#ifndef VYX_RESOURCES_CPSIMPLEDBRESOURCESTORAGE_H_
#define VYX_RESOURCES_CPSIMPLEDBRESOURCESTORAGE_H_

#include <memory>
#include <string>
#include <vector>

#include "resources/CPResourceStorage.h"
#include "resources/CPSimpleDBResourceRecord.h"
#include "simpledb/CPSimpleDBSession.h"

class CPSimpleDBResourceStorage;

// One resource of a set's list, 8 bytes as the list is kept.
struct CPSimpleDBResItem {
  int16_t position = 0;  // kept at 0
  CPResID resID = 0;
  CPSimpleDBRefnum refnum = 0;
};
static_assert(sizeof(CPSimpleDBResItem) == 8);

// The resources of one type and storage ID: what a set reference stands for.
// IDs are looked up in the list in the order the records were found or added.
class CPSimpleDBResourceSetStorage : public CPSimpleDBSession {
 public:
  CPSimpleDBResourceSetStorage(CPSimpleDBDataProvider* provider, CPSimpleDBResourceStorage& storage,
                               CPSimpleDBResourceStorageID storageID, ResType type);

  CPSimpleDBResourceStorage& GetStorage() const { return storage_; }
  CPSimpleDBResourceStorageID GetStorageID() const { return storageID_; }
  ResType GetType() const { return type_; }
  const std::vector<CPSimpleDBResItem>& Items() const { return items_; }

  // Walks the file's records of the type and lists those of this storage.
  void LoadIndex();
  // The item of the ID (or name) and its 0-based place in the list.
  bool FindResource(CPResID id, CPSimpleDBResItem* item, int32_t* position) const;
  bool FindResource(ConstStringPtr name, CPSimpleDBResItem* item, int32_t* position);
  int32_t CountResources() const { return int32_t(items_.size()); }

  CPResID GetUniqueID();
  bool ResourceExists(CPResID id) const { return FindResource(id, nullptr, nullptr); }
  bool ResourceExists(ConstStringPtr name) { return FindResource(name, nullptr, nullptr); }
  void AddResource(CPResID id, const CPDataEncoding& encoding, ConstStringPtr name,
                   const void* data, uint32_t size, int32_t* position);
  void RemoveResource(CPResID id);
  uint32_t GetResourceSize(CPResID id);
  uint32_t GetResource(CPResID id, CPDataEncoding* encoding, void* data, uint32_t size);
  void GetResourceName(CPResID id, StringPtr name);
  CPResID GetResourceID(ConstStringPtr name);
  CPResID GetNthResource(int32_t n) const;
  void SetResource(CPResID id, const CPDataEncoding& encoding, const void* data, uint32_t size);
  void SetResourceName(CPResID id, ConstStringPtr name);

  // Change hooks: records of the set's type. A record of this storage that
  // lacks resource information raises 1309; one whose ID changed raises 1310.
  bool IsConcerned(const CPSimpleDBDataInfo& info) const override { return info.type == type_; }
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                 CPDataSize size, bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                    CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                    CPDataSize newSize, bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                   CPDataSize size, bool flag) override;
  void DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from, CPSimpleDBRefnum to) override;

 private:
  const CPSimpleDBResItem& ItemOrThrow(CPResID id) const;
  int32_t IndexOfRefnum(CPSimpleDBRefnum refnum) const;

  void Append(CPResID id, CPSimpleDBRefnum refnum, ConstStringPtr name);

  CPSimpleDBResourceStorage& storage_;
  CPSimpleDBResourceStorageID storageID_;
  ResType type_;
  std::vector<CPSimpleDBResItem> items_;
  // The names of the items, in the same order: the hooks see every new name,
  // so lookups by name need not read the records.
  std::vector<std::string> names_;
};

class CPSimpleDBResourceStorage : public CPResourceStorage {
 public:
  CPSimpleDBResourceStorage(CPSimpleDBDataProvider* provider, CPSimpleDBResourceStorageID storageID)
      : provider_(provider), storageID_(storageID) {}
  ~CPSimpleDBResourceStorage() override;

  CPSimpleDBDataProvider* GetProvider() const { return provider_; }
  CPSimpleDBResourceStorageID GetStorageID() const { return storageID_; }
  // The set behind a reference that OpenResourceSet gave.
  CPSimpleDBResourceSetStorage* GetStorageSet(CPResourceSetRef ref) const;

  CPResourceSetRef OpenResourceSet(ResType type) override;
  void CloseResourceSet(CPResourceSetRef ref) override;
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

 private:
  CPSimpleDBDataProvider* provider_;
  CPSimpleDBResourceStorageID storageID_;
  std::vector<std::unique_ptr<CPSimpleDBResourceSetStorage>> sets_;
};

#endif  // VYX_RESOURCES_CPSIMPLEDBRESOURCESTORAGE_H_
