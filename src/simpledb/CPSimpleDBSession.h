// A client's handle on a provider: it forwards every record operation with
// itself as the first argument, carries the station number under which its
// changes are logged, says which records concern it and receives the change
// hooks for those while it is open. The base session is concerned by every
// record and ignores the hooks; record tables and indexes derive from it.
// The provider is not owned and must outlive the session.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBSESSION_H_
#define VYX_SIMPLEDB_CPSIMPLEDBSESSION_H_

#include <cstdint>

#include "simpledb/CPSimpleDBDataProvider.h"

class CPSimpleDBSession {
 public:
  // `noBase` 0 means the provider's own; `open` registers the session at once.
  explicit CPSimpleDBSession(CPSimpleDBDataProvider* provider, uint32_t noBase = 0,
                             bool open = true);
  virtual ~CPSimpleDBSession();
  CPSimpleDBSession(const CPSimpleDBSession&) = delete;
  CPSimpleDBSession& operator=(const CPSimpleDBSession&) = delete;

  virtual void OpenSession();
  virtual void CloseSession();
  bool IsOpen() const { return open_; }
  CPSimpleDBDataProvider* GetProvider() const { return provider_; }
  virtual uint32_t GetNoBase() const;
  virtual void SetNoBase(uint32_t noBase) { noBase_ = noBase; }

  virtual uint32_t GetNbOfData();
  virtual bool GetFirstData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                            CPSimpleDBRefnum* refnum);
  virtual bool GetNextData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                           CPSimpleDBRefnum* refnum);
  virtual void GetDataID(CPSimpleDBRefnum refnum, CPSimpleDBDataID* dataID);
  virtual bool GetDataRefnum(CPSimpleDBDataID dataID, CPSimpleDBRefnum* refnum);
  virtual bool GetDataRefnum(CPSimpleDBDataID dataID, CPSimpleDBDataInfo* info,
                             CPSimpleDBRefnum* refnum);
  virtual void GetDataInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                            CPDataEncoding* encoding);
  virtual CPDataSize GetDataSize(CPSimpleDBRefnum refnum);
  virtual void GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, CPDataEncoding* encoding,
                       void* data, CPDataSize size);
  virtual void AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding, const void* data,
                       CPDataSize size, CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID = 0,
                       uint32_t fastAdd = 0);
  virtual void ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                          const CPDataEncoding& encoding, const void* data, CPDataSize size,
                          CPSimpleDBRefnum* newRefnum);
  virtual void DeleteData(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info);
  virtual void MoveData(CPSimpleDBRefnum from, CPSimpleDBRefnum to);
  virtual uint32_t NewFastAdd(CPSimpleDBDataType type);
  virtual void CloseFastAdd(uint32_t fastAdd);
  virtual CPSimpleDBScanNumber NewFastScan(CPSimpleDBDataType type);
  virtual void CloseFastScan(CPSimpleDBScanNumber scan);
  virtual bool GetFirstData(CPSimpleDBScanNumber scan, CPSimpleDBDataInfo* info,
                            CPSimpleDBRefnum* refnum);
  virtual bool GetNextData(CPSimpleDBScanNumber scan, CPSimpleDBDataInfo* info,
                           CPSimpleDBRefnum* refnum);

  // Resource records (CPSimpleDBDataProvider.h).
  virtual void SetResourceInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                const CPSimpleDBDataResInfo& resInfo, CPSimpleDBRefnum* newRefnum);
  virtual void GetResourceInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                CPSimpleDBDataResInfo* resInfo, CPDataEncoding* encoding);
  virtual void GetResource(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                           CPSimpleDBDataResInfo* resInfo, CPDataEncoding* encoding, void* data,
                           CPDataSize size);
  virtual CPDataSize GetResourceSize(CPSimpleDBRefnum refnum);
  virtual void AddResource(CPSimpleDBDataInfo* info, const CPSimpleDBDataResInfo& resInfo,
                           const CPDataEncoding& encoding, const void* data, CPDataSize size,
                           CPSimpleDBRefnum* refnum);
  virtual void ModifyResource(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                              const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                              const void* data, CPDataSize size, CPSimpleDBRefnum* newRefnum);
  virtual void DeleteResource(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info);
  virtual bool ResourceIDExists(CPSimpleDBResourceStorageID storageID, CPSimpleDBDataType type,
                                CPResID id, CPSimpleDBRefnum* refnum,
                                CPSimpleDBDataResInfo* resInfo);
  virtual bool ResourceIDExists(CPSimpleDBResourceStorageID storageID, CPSimpleDBDataType type,
                                ConstStringPtr name, CPSimpleDBRefnum* refnum,
                                CPSimpleDBDataResInfo* resInfo);
  virtual CPResID GetNewResourceID(CPSimpleDBResourceStorageID storageID, CPSimpleDBDataType type);

  // Index records (CPSimpleDBDataProvider.h).
  virtual bool FindIndex(const CPSimpleDBDataIndexInfo& indexInfo, CPSimpleDBRefnum* refnum);
  virtual void SetIndexInfos(CPSimpleDBRefnum refnum, const CPSimpleDBDataIndexInfo& indexInfo);
  virtual void GetIndexInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataIndexInfo* indexInfo,
                             CPSimpleDBDataInfo* info, CPDataEncoding* encoding);
  virtual CPDataSize GetIndexSize(CPSimpleDBRefnum refnum);
  virtual void GetIndex(CPSimpleDBRefnum refnum, CPSimpleDBDataIndexInfo* indexInfo, void* items,
                        CPDataSize size);
  virtual void AddIndex(CPSimpleDBDataInfo* info, const CPSimpleDBDataIndexInfo& indexInfo,
                        const void* items, CPDataSize size, CPSimpleDBRefnum* refnum);
  virtual void ModifyIndex(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                           const CPSimpleDBDataIndexInfo& indexInfo, const void* items,
                           CPDataSize size, CPSimpleDBRefnum* newRefnum);
  virtual void DeleteIndex(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info);

  virtual uint32_t GetUserID() const { return 0; }
  // Asked before a record is read, added, modified or deleted through this
  // session; the base asks the provider.
  virtual bool ActionAllowed(CPSimpleDBAccessDomain access, uint32_t action,
                             const CPSimpleDBDataInfo& info, const void* data);
  virtual bool IsConcerned(const CPSimpleDBDataInfo&) const { return true; }

  virtual void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                         bool) {}
  virtual void DataModified(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                            CPSimpleDBRefnum, const void*, CPDataSize, bool) {}
  virtual void DataDeleted(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                           bool) {}
  virtual void DataMoved(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, CPSimpleDBRefnum) {}

 private:
  friend class CPSimpleDBDataProvider;
  void ProviderGone() { open_ = false; }

  CPSimpleDBDataProvider* provider_;
  uint32_t noBase_;
  bool open_ = false;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBSESSION_H_
