// A storage that hands every call, unchanged, to another storage: the base for
// storages that change a few calls (a read-only view, a storage that renames
// on the way) and delegate the rest. The wrapped storage is not owned.
#ifndef VYX_RESOURCES_CPRESOURCESTORAGEPATCHER_H_
#define VYX_RESOURCES_CPRESOURCESTORAGEPATCHER_H_

#include "resources/CPResourceStorage.h"

class CPResourceStoragePatcher : public CPResourceStorage {
 public:
  explicit CPResourceStoragePatcher(CPResourceStorage& storage) : storage_(storage) {}

  CPResourceSetRef OpenResourceSet(ResType type) override { return storage_.OpenResourceSet(type); }
  void CloseResourceSet(CPResourceSetRef ref) override { storage_.CloseResourceSet(ref); }
  void GetEncoding(CPDataEncoding* encoding) override { storage_.GetEncoding(encoding); }
  int GetMaxNameLength() const override { return storage_.GetMaxNameLength(); }
  CPResID GetUniqueID(CPResourceSetRef ref) override { return storage_.GetUniqueID(ref); }
  bool ResourceExists(CPResourceSetRef ref, CPResID id) override {
    return storage_.ResourceExists(ref, id);
  }
  bool ResourceExists(CPResourceSetRef ref, ConstStringPtr name) override {
    return storage_.ResourceExists(ref, name);
  }
  void AddResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                   ConstStringPtr name, const void* data, uint32_t size,
                   int32_t* position) override {
    storage_.AddResource(ref, id, encoding, name, data, size, position);
  }
  void RemoveResource(CPResourceSetRef ref, CPResID id) override { storage_.RemoveResource(ref, id); }
  int32_t GetResourcesCount(CPResourceSetRef ref) override { return storage_.GetResourcesCount(ref); }
  uint32_t GetResourceSize(CPResourceSetRef ref, CPResID id) override {
    return storage_.GetResourceSize(ref, id);
  }
  uint32_t GetResource(CPResourceSetRef ref, CPResID id, CPDataEncoding* encoding, void* data,
                       uint32_t size) override {
    return storage_.GetResource(ref, id, encoding, data, size);
  }
  void GetResourceName(CPResourceSetRef ref, CPResID id, StringPtr name) override {
    storage_.GetResourceName(ref, id, name);
  }
  CPResID GetResourceID(CPResourceSetRef ref, ConstStringPtr name) override {
    return storage_.GetResourceID(ref, name);
  }
  CPResID GetNthResource(CPResourceSetRef ref, int32_t n) override {
    return storage_.GetNthResource(ref, n);
  }
  void SetResource(CPResourceSetRef ref, CPResID id, const CPDataEncoding& encoding,
                   const void* data, uint32_t size) override {
    storage_.SetResource(ref, id, encoding, data, size);
  }
  void SetResourceName(CPResourceSetRef ref, CPResID id, ConstStringPtr name) override {
    storage_.SetResourceName(ref, id, name);
  }

  CPResourceStorage& GetPatchedStorage() const { return storage_; }

 private:
  CPResourceStorage& storage_;
};

#endif  // VYX_RESOURCES_CPRESOURCESTORAGEPATCHER_H_
