#include "resources/CPSimpleDBResourceStorage.h"

#include <algorithm>

#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "resources/CPResourceErrors.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFormat.h"

// ---- CPSimpleDBResourceSetStorage

CPSimpleDBResourceSetStorage::CPSimpleDBResourceSetStorage(CPSimpleDBDataProvider* provider,
                                                           CPSimpleDBResourceStorage& storage,
                                                           CPSimpleDBResourceStorageID storageID,
                                                           ResType type)
    : CPSimpleDBSession(provider), storage_(storage), storageID_(storageID), type_(type) {
  LoadIndex();
}

void CPSimpleDBResourceSetStorage::Append(CPResID id, CPSimpleDBRefnum refnum, ConstStringPtr name) {
  CPSimpleDBResItem item;
  item.resID = id;
  item.refnum = refnum;
  items_.push_back(item);
  names_.push_back(PToStd(name));
}

void CPSimpleDBResourceSetStorage::LoadIndex() {
  CPSimpleDBAccessLocker lock(GetProvider());
  items_.clear();
  names_.clear();
  CPSimpleDBRefnum refnum = 0;
  for (bool more = GetFirstData(type_, nullptr, &refnum); more;
       more = GetNextData(type_, nullptr, &refnum)) {
    CPSimpleDBDataResInfo resInfo;
    CPSimpleDBGetResourceInfos(*this, refnum, nullptr, &resInfo, nullptr);
    if (resInfo.storageID == storageID_ && !ResourceExists(resInfo.resID)) {
      Append(resInfo.resID, refnum, resInfo.name);
    }
  }
}

bool CPSimpleDBResourceSetStorage::FindResource(CPResID id, CPSimpleDBResItem* item,
                                                int32_t* position) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].resID == id) {
      if (item) *item = items_[i];
      if (position) *position = int32_t(i);
      return true;
    }
  }
  return false;
}

bool CPSimpleDBResourceSetStorage::FindResource(ConstStringPtr name, CPSimpleDBResItem* item,
                                                int32_t* position) {
  std::string_view key(reinterpret_cast<const char*>(name + 1), name[0]);
  for (size_t i = 0; i < items_.size(); ++i) {
    if (CPEqualString(names_[i], key, false, false)) {
      if (item) *item = items_[i];
      if (position) *position = int32_t(i);
      return true;
    }
  }
  return false;
}

int32_t CPSimpleDBResourceSetStorage::IndexOfRefnum(CPSimpleDBRefnum refnum) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].refnum == refnum) return int32_t(i);
  }
  return -1;
}

const CPSimpleDBResItem& CPSimpleDBResourceSetStorage::ItemOrThrow(CPResID id) const {
  for (const CPSimpleDBResItem& item : items_) {
    if (item.resID == id) return item;
  }
  CPThrow(kCPErrNotFound);
}

CPResID CPSimpleDBResourceSetStorage::GetUniqueID() {
  return CPResourceStorage::PickUniqueID([this](CPResID id) { return ResourceExists(id); });
}

void CPSimpleDBResourceSetStorage::AddResource(CPResID id, const CPDataEncoding& encoding,
                                               ConstStringPtr name, const void* data, uint32_t size,
                                               int32_t* position) {
  CPSimpleDBAccessLocker lock(GetProvider());
  if (ResourceExists(id)) CPThrow(kCPErrAlreadyExists);
  CPSimpleDBDataInfo info(type_, kCPResourceRecordFormat, 0);
  CPSimpleDBDataResInfo resInfo;
  resInfo.storageID = storageID_;
  resInfo.resID = id;
  CPStrCopyP(resInfo.name, name);
  CPSimpleDBRefnum refnum = 0;
  CPSimpleDBAddResource(*this, &info, resInfo, encoding, data, size, &refnum);
  // The hook listed it; a closed session would not have heard.
  if (!ResourceExists(id)) Append(id, refnum, name);
  if (position) {
    FindResource(id, nullptr, position);
    ++*position;
  }
}

void CPSimpleDBResourceSetStorage::RemoveResource(CPResID id) {
  CPSimpleDBAccessLocker lock(GetProvider());
  CPSimpleDBResItem item = ItemOrThrow(id);
  CPSimpleDBDeleteResource(*this, item.refnum);
  int32_t i = IndexOfRefnum(item.refnum);
  if (i >= 0) {
    items_.erase(items_.begin() + i);
    names_.erase(names_.begin() + i);
  }
}

uint32_t CPSimpleDBResourceSetStorage::GetResourceSize(CPResID id) {
  CPSimpleDBAccessLocker lock(GetProvider());
  return CPSimpleDBGetResourceInfos(*this, ItemOrThrow(id).refnum, nullptr, nullptr, nullptr);
}

uint32_t CPSimpleDBResourceSetStorage::GetResource(CPResID id, CPDataEncoding* encoding, void* data,
                                                   uint32_t size) {
  CPSimpleDBAccessLocker lock(GetProvider());
  return CPSimpleDBGetResource(*this, ItemOrThrow(id).refnum, nullptr, nullptr, encoding, data, size);
}

void CPSimpleDBResourceSetStorage::GetResourceName(CPResID id, StringPtr name) {
  CPSimpleDBAccessLocker lock(GetProvider());
  CPSimpleDBDataResInfo resInfo;
  CPSimpleDBGetResourceInfos(*this, ItemOrThrow(id).refnum, nullptr, &resInfo, nullptr);
  CPStrCopyP(name, resInfo.name);
}

CPResID CPSimpleDBResourceSetStorage::GetResourceID(ConstStringPtr name) {
  CPSimpleDBResItem item;
  if (!FindResource(name, &item, nullptr)) CPThrow(kCPErrNotFound);
  return item.resID;
}

CPResID CPSimpleDBResourceSetStorage::GetNthResource(int32_t n) const {
  if (n < 1 || n > CountResources()) CPThrow(kCPErrNotFound);
  return items_[size_t(n - 1)].resID;
}

void CPSimpleDBResourceSetStorage::SetResource(CPResID id, const CPDataEncoding& encoding,
                                               const void* data, uint32_t size) {
  CPSimpleDBAccessLocker lock(GetProvider());
  CPSimpleDBRefnum refnum = ItemOrThrow(id).refnum;
  CPSimpleDBDataResInfo resInfo;
  CPSimpleDBGetResourceInfos(*this, refnum, nullptr, &resInfo, nullptr);
  CPSimpleDBRefnum newRefnum = 0;
  CPSimpleDBModifyResource(*this, refnum, resInfo, encoding, data, size, &newRefnum);
}

void CPSimpleDBResourceSetStorage::SetResourceName(CPResID id, ConstStringPtr name) {
  CPSimpleDBAccessLocker lock(GetProvider());
  CPSimpleDBRefnum refnum = ItemOrThrow(id).refnum;
  CPSimpleDBDataResInfo resInfo;
  CPSimpleDBGetResourceInfos(*this, refnum, nullptr, &resInfo, nullptr);
  CPStrCopyP(resInfo.name, name);
  CPSimpleDBRefnum newRefnum = 0;
  CPSimpleDBSetResourceInfos(*this, refnum, resInfo, &newRefnum);
}

void CPSimpleDBResourceSetStorage::DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                             const void* data, CPDataSize size, bool) {
  if (!(info.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  CPSimpleDBDataResInfo resInfo;
  if (!CPDecodeResInfo(static_cast<const unsigned char*>(data), size, info.GetEncoding(), &resInfo)) {
    CPThrow(kSDBErrNoResourceInfo);
  }
  if (resInfo.storageID == storageID_ && !ResourceExists(resInfo.resID)) {
    Append(resInfo.resID, refnum, resInfo.name);
  }
}

void CPSimpleDBResourceSetStorage::DataModified(const CPSimpleDBDataInfo& info,
                                                CPSimpleDBRefnum oldRefnum, const void*, CPDataSize,
                                                CPSimpleDBRefnum newRefnum, const void* newData,
                                                CPDataSize newSize, bool) {
  int32_t i = IndexOfRefnum(oldRefnum);
  if (i < 0) return;  // another storage's
  if (!(info.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  CPSimpleDBDataResInfo resInfo;
  if (!CPDecodeResInfo(static_cast<const unsigned char*>(newData), newSize, info.GetEncoding(),
                       &resInfo)) {
    CPThrow(kSDBErrNoResourceInfo);
  }
  if (resInfo.resID != items_[size_t(i)].resID) CPThrow(kCPErrResourceIDChanged);
  items_[size_t(i)].refnum = newRefnum;
  names_[size_t(i)] = PToStd(resInfo.name);
}

void CPSimpleDBResourceSetStorage::DataDeleted(const CPSimpleDBDataInfo&, CPSimpleDBRefnum refnum,
                                               const void*, CPDataSize, bool) {
  int32_t i = IndexOfRefnum(refnum);
  if (i < 0) return;
  items_.erase(items_.begin() + i);
  names_.erase(names_.begin() + i);
}

void CPSimpleDBResourceSetStorage::DataMoved(const CPSimpleDBDataInfo&, CPSimpleDBRefnum from,
                                             CPSimpleDBRefnum to) {
  int32_t i = IndexOfRefnum(from);
  if (i >= 0) items_[size_t(i)].refnum = to;
}

// ---- CPSimpleDBResourceStorage

CPSimpleDBResourceStorage::~CPSimpleDBResourceStorage() = default;

CPSimpleDBResourceSetStorage* CPSimpleDBResourceStorage::GetStorageSet(CPResourceSetRef ref) const {
  for (const auto& set : sets_) {
    if (reinterpret_cast<CPResourceSetRef>(set.get()) == ref) return set.get();
  }
  CPThrow(paramErr);
}

CPResourceSetRef CPSimpleDBResourceStorage::OpenResourceSet(ResType type) {
  sets_.push_back(std::make_unique<CPSimpleDBResourceSetStorage>(provider_, *this, storageID_, type));
  return reinterpret_cast<CPResourceSetRef>(sets_.back().get());
}

void CPSimpleDBResourceStorage::CloseResourceSet(CPResourceSetRef ref) {
  auto it = std::find_if(sets_.begin(), sets_.end(), [ref](const auto& set) {
    return reinterpret_cast<CPResourceSetRef>(set.get()) == ref;
  });
  if (it != sets_.end()) sets_.erase(it);
}

CPResID CPSimpleDBResourceStorage::GetUniqueID(CPResourceSetRef ref) {
  return GetStorageSet(ref)->GetUniqueID();
}

bool CPSimpleDBResourceStorage::ResourceExists(CPResourceSetRef ref, CPResID id) {
  return GetStorageSet(ref)->ResourceExists(id);
}

bool CPSimpleDBResourceStorage::ResourceExists(CPResourceSetRef ref, ConstStringPtr name) {
  return GetStorageSet(ref)->ResourceExists(name);
}

void CPSimpleDBResourceStorage::AddResource(CPResourceSetRef ref, CPResID id,
                                            const CPDataEncoding& encoding, ConstStringPtr name,
                                            const void* data, uint32_t size, int32_t* position) {
  GetStorageSet(ref)->AddResource(id, encoding, name, data, size, position);
}

void CPSimpleDBResourceStorage::RemoveResource(CPResourceSetRef ref, CPResID id) {
  GetStorageSet(ref)->RemoveResource(id);
}

int32_t CPSimpleDBResourceStorage::GetResourcesCount(CPResourceSetRef ref) {
  return GetStorageSet(ref)->CountResources();
}

uint32_t CPSimpleDBResourceStorage::GetResourceSize(CPResourceSetRef ref, CPResID id) {
  return GetStorageSet(ref)->GetResourceSize(id);
}

uint32_t CPSimpleDBResourceStorage::GetResource(CPResourceSetRef ref, CPResID id,
                                                CPDataEncoding* encoding, void* data, uint32_t size) {
  return GetStorageSet(ref)->GetResource(id, encoding, data, size);
}

void CPSimpleDBResourceStorage::GetResourceName(CPResourceSetRef ref, CPResID id, StringPtr name) {
  GetStorageSet(ref)->GetResourceName(id, name);
}

CPResID CPSimpleDBResourceStorage::GetResourceID(CPResourceSetRef ref, ConstStringPtr name) {
  return GetStorageSet(ref)->GetResourceID(name);
}

CPResID CPSimpleDBResourceStorage::GetNthResource(CPResourceSetRef ref, int32_t n) {
  return GetStorageSet(ref)->GetNthResource(n);
}

void CPSimpleDBResourceStorage::SetResource(CPResourceSetRef ref, CPResID id,
                                            const CPDataEncoding& encoding, const void* data,
                                            uint32_t size) {
  GetStorageSet(ref)->SetResource(id, encoding, data, size);
}

void CPSimpleDBResourceStorage::SetResourceName(CPResourceSetRef ref, CPResID id,
                                                ConstStringPtr name) {
  GetStorageSet(ref)->SetResourceName(id, name);
}
