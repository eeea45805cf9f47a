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
