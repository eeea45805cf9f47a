// The abstract store behind every session: the list of open sessions and of
// registered record handlers, the counting of fast-add batches and fast scans,
// the access lock, the dispatch of every change to the sessions it concerns
// (record tables, secondary indexes), and, on top of the record operations
// that CPSimpleDBFile implements, the resource records that resource storages
// keep and the records in which secondary indexes are saved
// (CPSimpleDBProviderRecords.cpp). Sessions and handlers are not owned: they
// register and unregister themselves.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBDATAPROVIDER_H_
#define VYX_SIMPLEDB_CPSIMPLEDBDATAPROVIDER_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/CPFileRef.h"
#include "simpledb/CPSimpleDBRecordInfos.h"
#include "simpledb/CPSimpleDBTypes.h"

class CPStream;

// The number of an open fast scan (from 1), a type of its own so that the
// scan's walk overloads the walk by record type.
enum class CPSimpleDBScanNumber : uint32_t {};

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
  // The file whose lock LockAccess waits for, named when the wait is given up.
  virtual CPFileRef LockedFile() const { return CPFileRef(); }

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
  // During DataModified: the encoding of the old bytes, which the record's
  // information (that of the new bytes) does not tell when a rewrite changed
  // it (a record written on a machine of the other byte order, rewritten here).
  CPDataEncoding GetOldDataEncoding(const CPSimpleDBDataInfo& info) const {
    return oldEncodingKnown_ ? oldEncoding_ : info.GetEncoding();
  }

  // Fast-add batches nest; each is closed by the number NewFastAdd gave, the
  // innermost first (1312 otherwise, leaving every batch open).
  virtual uint32_t NewFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type);
  virtual void CloseFastAdd(CPSimpleDBSession* session, uint32_t fastAdd);
  virtual bool FastAdd() const { return fastAdds_ > 0; }

  // Fast scans: a walk over the records of one type (0: all) that continues
  // from where it stopped, whatever happened to the record it stopped at.
  // Scans nest and close innermost first (1313 otherwise).
  virtual CPSimpleDBScanNumber NewFastScan(CPSimpleDBSession* session, CPSimpleDBDataType type);
  virtual void CloseFastScan(CPSimpleDBSession* session, CPSimpleDBScanNumber scan);
  virtual bool GetFirstData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                            CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);
  virtual bool GetNextData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                           CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);
  virtual bool FastScan() const { return !scans_.empty(); }

  // Resource records: flag 0x400, data = resource information then the body,
  // both in the record's encoding. A record without the flag raises 1309;
  // asking more body bytes than it holds, 1311.
  virtual void AddResource(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                           const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                           const void* data, CPDataSize size, CPSimpleDBRefnum* refnum);
  virtual void ModifyResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                              CPSimpleDBDataInfo* info, const CPSimpleDBDataResInfo& resInfo,
                              const CPDataEncoding& encoding, const void* data, CPDataSize size,
                              CPSimpleDBRefnum* newRefnum);
  virtual void DeleteResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                              const CPSimpleDBDataInfo& info);
  // The first `size` bytes of the body; `encoding` receives the record's.
  virtual void GetResource(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                           CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                           CPDataEncoding* encoding, void* data, CPDataSize size);
  virtual CPDataSize GetResourceSize(CPSimpleDBSession* session, CPSimpleDBRefnum refnum);
  virtual void GetResourceInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                                CPDataEncoding* encoding);
  // Rewrites the resource information (its name), keeping the body.
  virtual void SetResourceInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                                CPSimpleDBDataInfo* info, const CPSimpleDBDataResInfo& resInfo,
                                CPSimpleDBRefnum* newRefnum);
  // The resource of that storage, type and ID (or name, compared without
  // regard to case or diacritical marks), by walking the records of the type.
  virtual bool ResourceIDExists(CPSimpleDBSession* session, CPSimpleDBResourceStorageID storageID,
                                CPSimpleDBDataType type, CPResID id, CPSimpleDBRefnum* refnum,
                                CPSimpleDBDataResInfo* resInfo);
  virtual bool ResourceIDExists(CPSimpleDBSession* session, CPSimpleDBResourceStorageID storageID,
                                CPSimpleDBDataType type, ConstStringPtr name,
                                CPSimpleDBRefnum* refnum, CPSimpleDBDataResInfo* resInfo);
  // An ID that is neither 0 nor used in the storage and type, starting from
  // the tick count so that stations rarely meet; 3101 when the type is full.
  virtual CPResID GetNewResourceID(CPSimpleDBSession* session,
                                   CPSimpleDBResourceStorageID storageID, CPSimpleDBDataType type);

  // Index records ("indx"/"ind1", flags 0x30: not logged): the description,
  // then the items. Reading a record of another type as one raises 1700.
  virtual bool FindIndex(CPSimpleDBSession* session, const CPSimpleDBDataIndexInfo& indexInfo,
                         CPSimpleDBRefnum* refnum);
  virtual void GetIndexInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                             CPSimpleDBDataIndexInfo* indexInfo, CPSimpleDBDataInfo* info,
                             CPDataEncoding* encoding);
  virtual CPDataSize GetIndexSize(CPSimpleDBSession* session, CPSimpleDBRefnum refnum);
  // The first `size` bytes of the items, as stored (1311 beyond them).
  virtual void GetIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                        CPSimpleDBDataIndexInfo* indexInfo, void* items, CPDataSize size);
  virtual void AddIndex(CPSimpleDBSession* session, CPSimpleDBDataInfo* info,
                        const CPSimpleDBDataIndexInfo& indexInfo, const void* items,
                        CPDataSize size, CPSimpleDBRefnum* refnum);
  virtual void ModifyIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                           CPSimpleDBDataInfo* info, const CPSimpleDBDataIndexInfo& indexInfo,
                           const void* items, CPDataSize size, CPSimpleDBRefnum* newRefnum);
  virtual void DeleteIndex(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                           const CPSimpleDBDataInfo& info);
  virtual void SetIndexInfos(CPSimpleDBSession* session, CPSimpleDBRefnum refnum,
                             const CPSimpleDBDataIndexInfo& indexInfo);

  // Every record of `type` (0: all) with its stored bytes, in the provider's
  // fastest order; `info` carries the bytes' encoding bits. `visit` returns
  // false to stop. Reads are asked of the session like any other (1800).
  using DataVisitor = std::function<bool(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                                         const unsigned char* data, CPDataSize size)>;
  virtual void ForEachData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                           const DataVisitor& visit);
  // The same in the order of GetFirstData / GetNextData (for a file,
  // ascending dataID), each record read once. `check` false lets the
  // provider skip the checksums, for a visitor that reads only the first
  // bytes of each record (as a partial GetData does). `visit` must not
  // change the provider's records.
  virtual void ForEachDataInOrder(CPSimpleDBSession* session, CPSimpleDBDataType type,
                                  const DataVisitor& visit, bool check = true);

  // Hands every record to StreamData in order, between BeforeStreaming and
  // AfterStreaming; the three do nothing here.
  virtual void MakeStream(CPSimpleDBSession* session, CPStream& stream);
  virtual void BeforeStreaming(CPStream&) {}
  virtual void StreamData(CPSimpleDBSession*, CPStream&, const CPSimpleDBDataInfo&,
                          CPSimpleDBRefnum) {}
  virtual void AfterStreaming(CPStream&) {}

 protected:
  // 1800 unless `session` (when there is one) allows `action` on the record.
  void CheckAllowed(CPSimpleDBSession* session, uint32_t action,
                    const CPSimpleDBDataInfo& info) const;

  // An open fast scan: its type and the record it stopped at.
  struct Scan {
    CPSimpleDBDataType type = 0;
    CPSimpleDBRefnum refnum = 0;
    CPSimpleDBDataID dataID = 0;
    bool started = false;
  };
  Scan& ScanOf(CPSimpleDBScanNumber scan);  // 1313 when no such scan is open

  // Set while other stations' changes are played: a session that fails to
  // follow one does not keep the others from hearing of it.
  bool hookFailuresIgnored_ = false;

  // Tells GetOldDataEncoding for the life of a DataModified announcement.
  class OldDataEncoding {
   public:
    OldDataEncoding(CPSimpleDBDataProvider* p, const CPDataEncoding& e) : p_(p) {
      p_->oldEncoding_ = e;
      p_->oldEncodingKnown_ = true;
    }
    ~OldDataEncoding() { p_->oldEncodingKnown_ = false; }
    OldDataEncoding(const OldDataEncoding&) = delete;
    OldDataEncoding& operator=(const OldDataEncoding&) = delete;

   private:
    CPSimpleDBDataProvider* p_;
  };

 private:
  template <typename F>
  void Notify(const CPSimpleDBDataInfo& info, F&& hook);

  std::vector<CPSimpleDBSession*> sessions_;
  std::vector<CPSimpleDBDataHandler*> handlers_;
  uint32_t fastAdds_ = 0;
  std::vector<Scan> scans_;
  CPDataEncoding oldEncoding_;
  bool oldEncodingKnown_ = false;
};

// Holds the provider's access lock for its lifetime. Retries for the time a
// command waits for a busy file (CPBusyWait.h, 5 seconds unless told), then
// raises 1009 naming the file.
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
