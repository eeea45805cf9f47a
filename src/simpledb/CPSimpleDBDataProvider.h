// The abstract store behind every session: the list of open sessions and of
// registered record handlers, the counting of fast-add batches, the access
// lock, and the dispatch of every change to the sessions it concerns (record
// tables, secondary indexes). CPSimpleDBFile implements the record operations.
// Sessions and handlers are not owned: they register and unregister themselves.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBDATAPROVIDER_H_
#define VYX_SIMPLEDB_CPSIMPLEDBDATAPROVIDER_H_

#include <cstdint>
#include <vector>

#include "simpledb/CPSimpleDBTypes.h"

class CPSimpleDBSession;
class CPSimpleDBDataHandler;

// Actions that ActionAllowed is asked about.
enum : uint32_t {
  kSDBActionAdd = 1801,
  kSDBActionModify = 1802,
  kSDBActionDelete = 1803,
  kSDBActionGet = CPFourCC("get "),
};

class CPSimpleDBDataProvider {
 public:
  CPSimpleDBDataProvider() = default;
  // Sessions still open are closed, so that one outliving its provider does
  // not reach back into it.
  virtual ~CPSimpleDBDataProvider();
  CPSimpleDBDataProvider(const CPSimpleDBDataProvider&) = delete;
  CPSimpleDBDataProvider& operator=(const CPSimpleDBDataProvider&) = delete;

  virtual uint32_t GetBaseID() const = 0;
  virtual uint32_t GetNoBase() const = 0;
  virtual CPSimpleDBEventID GetEventID() const = 0;

  // Sessions receive the change hooks while they are open.
  virtual void OpenSession(CPSimpleDBSession* session);
  virtual void CloseSession(CPSimpleDBSession* session);
  virtual const std::vector<CPSimpleDBSession*>& GetSessions() const { return sessions_; }

  // Record operations; `session` (may be null for the engine's own work) is
  // asked ActionAllowed before data moves, 1800 when it refuses.
  virtual void GetDataInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                            CPSimpleDBDataInfo* info, CPDataEncoding* encoding) = 0;
  virtual CPDataSize GetDataSize(CPSimpleDBSession* session, CPSimpleDBRefnum refnum) = 0;
  virtual uint32_t GetNbOfData(CPSimpleDBSession* session) = 0;
  virtual bool GetNthData(CPSimpleDBSession* session, uint32_t n, CPSimpleDBDataType type,
                          CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) = 0;
  virtual bool GetFirstData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                            CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) = 0;
  // Continues after the record at *refnum.
  virtual bool GetNextData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                           CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) = 0;
  virtual CPSimpleDBDataID GetNewID() = 0;
  // By walking the records; a provider with an index answers faster.
  virtual bool IDExists(CPSimpleDBSession* session, CPSimpleDBDataID dataID);
  virtual void GetDataID(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                         CPSimpleDBDataID* dataID) = 0;
  virtual bool GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                             CPSimpleDBRefnum* refnum);
  virtual bool GetDataRefnum(CPSimpleDBSession* session, CPSimpleDBDataID dataID,
                             CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);
  virtual void GetData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                       CPSimpleDBDataInfo* info, CPDataEncoding* encoding, void* data,
                       CPDataSize size) = 0;
  // `dataID` 0 asks for a new ID; `fastAdd` not 0 appends (a batch is open).
  virtual void AddData(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                       const CPDataEncoding& encoding, const void* data, CPDataSize size,
                       CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID, uint32_t fastAdd) = 0;
  virtual void ModifyData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                          CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                          const void* data, CPDataSize size, CPSimpleDBRefnum* newRefnum) = 0;
  virtual void DeleteData(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                          const CPSimpleDBDataInfo& info) = 0;
  virtual void MoveData(CPSimpleDBSession* session, CPSimpleDBRefnum from, CPSimpleDBRefnum to) = 0;

  // Record handlers (record tables), found by type by the layers above.
  virtual void RegisterHandler(CPSimpleDBDataHandler* handler);
  virtual void UnregisterHandler(CPSimpleDBDataHandler* handler);
  const std::vector<CPSimpleDBDataHandler*>& GetHandlers() const { return handlers_; }
  // The provider's own rule; true here.
  virtual bool ActionAllowed(CPSimpleDBSession* session, uint32_t userID,
                             CPSimpleDBAccessDomain access, uint32_t action,
                             const CPSimpleDBDataInfo& info, const void* data);

  // The access lock: a non-zero key, or 0 when another holder has it.
  virtual uint32_t LockAccess(uint32_t* previousKey) = 0;
  virtual void UnLockAccess(uint32_t key, uint32_t previousKey) = 0;
  virtual bool AccessLocked() const = 0;

  // Change hooks: tell every open session concerned by the record, first to
  // last. `flag` is true for changes made through the provider's own operations.
  virtual void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                         CPDataSize size, bool flag);
  virtual void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum,
                            const void* oldData, CPDataSize oldSize, CPSimpleDBRefnum newRefnum,
                            const void* newData, CPDataSize newSize, bool flag);
  virtual void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                           const void* data, CPDataSize size, bool flag);
  virtual void DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                         CPSimpleDBRefnum to);

  // Fast-add batches nest; each is closed by the number NewFastAdd gave, the
  // innermost first (1312 otherwise, leaving every batch open).
  virtual uint32_t NewFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type);
  virtual void CloseFastAdd(CPSimpleDBSession* session, uint32_t fastAdd);
  virtual bool FastAdd() const { return fastAdds_ > 0; }

 protected:
  // 1800 unless `session` (when there is one) allows `action` on the record.
  void CheckAllowed(CPSimpleDBSession* session, uint32_t action,
                    const CPSimpleDBDataInfo& info) const;

 private:
  std::vector<CPSimpleDBSession*> sessions_;
  std::vector<CPSimpleDBDataHandler*> handlers_;
  uint32_t fastAdds_ = 0;
};

// Holds the provider's access lock for its lifetime. Retries for 300 ticks
// (5 seconds), then raises 1009.
class CPSimpleDBAccessLocker {
 public:
  explicit CPSimpleDBAccessLocker(CPSimpleDBDataProvider* provider);
  ~CPSimpleDBAccessLocker();
  CPSimpleDBAccessLocker(const CPSimpleDBAccessLocker&) = delete;
  CPSimpleDBAccessLocker& operator=(const CPSimpleDBAccessLocker&) = delete;

 private:
  CPSimpleDBDataProvider* provider_;
  uint32_t key_ = 0;
  uint32_t previous_ = 0;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBDATAPROVIDER_H_
