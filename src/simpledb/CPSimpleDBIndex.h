// A secondary index: the records of one type of a SimpleDB file in the order
// of a key taken from each, so that a record is found by key and records are
// listed in key order. It is a sorted array of items (dataID, then keySize
// bytes of key) held in memory and searched by halves, kept in step by the
// change hooks of its session, and saved in the file as one "indx" record so
// that an opening finds it ready when no record changed since it was saved.
//
// Key types: "long" (signed 32-bit), "char" (up to 8 characters, compared as a
// French reader orders them), "real" (64-bit floating point), "cust" (up to 8
// bytes ordered by CompareKeys) and any other code (whole records ordered by
// CompareData). Items of equal keys are ordered by dataID.
//
// The items are loaded, or rebuilt, at the first question asked: a
// constructor cannot call the key functions of the class that derives from it.
// Until then the hooks have nothing to keep in step, and whatever changed
// meanwhile makes the load rebuild. CPSimpleDBIndex_T<T> binds it to a layout.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBINDEX_H_
#define VYX_SIMPLEDB_CPSIMPLEDBINDEX_H_

#include <cstdint>
#include <vector>

#include "simpledb/CPSimpleDBDataHandler.h"

constexpr CPSimpleDBIndexKeyType kSDBKeyLong = CPFourCC("long");
constexpr CPSimpleDBIndexKeyType kSDBKeyChar = CPFourCC("char");
constexpr CPSimpleDBIndexKeyType kSDBKeyReal = CPFourCC("real");
constexpr CPSimpleDBIndexKeyType kSDBKeyCustom = CPFourCC("cust");

// A key: read as a long, as up to 8 characters or as a double.
union CPSimpleDBIndexKeyValue {
  int32_t l;
  char c[8];
  double r;
  unsigned char bytes[8];
};

class CPSimpleDBIndex : public CPSimpleDBSession {
 public:
  // `keySize` is fitted to the key type: 4 for "long", 8 for "real", 1 to 8
  // (8 when out of that range) for "char" and "cust", 8 for the others.
  CPSimpleDBIndex(CPSimpleDBDataHandler* handler, CPSimpleDBIndexKey key,
                  CPSimpleDBIndexKeyType keyType, CPDataSize keySize, bool load = true,
                  bool save = true);
  // Saves the index when asked at construction; errors are lost then.
  ~CPSimpleDBIndex() override;

  CPSimpleDBDataType GetType() const { return indexInfo_.type; }
  CPSimpleDBIndexKey GetKey() const { return indexInfo_.key; }
  CPSimpleDBIndexKeyType GetKeyType() const { return indexInfo_.keyType; }
  CPDataSize GetKeySize() const { return indexInfo_.keySize; }
  const CPSimpleDBDataIndexInfo& GetIndexInfo() const { return indexInfo_; }
  CPSimpleDBDataHandler* GetHandler() const { return handler_; }

  // Records in key order.
  uint32_t GetCount();
  CPSimpleDBDataID GetNthDataID(uint32_t n);  // from 0

  bool IsConcerned(const CPSimpleDBDataInfo& info) const override {
    return info.type == indexInfo_.type;
  }
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                 CPDataSize size, bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                    CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                    CPDataSize newSize, bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                   CPDataSize size, bool flag) override;

  // The saved index when it is current (same eventID as the file, same key
  // type and size, written in this machine's byte order), else a rebuild.
  virtual void Load();
  // Saves unless the saved index is already current.
  virtual void Save();
  virtual void Load(CPSimpleDBRefnum refnum);  // 1702 for a record that is not one
  virtual void Save(CPSimpleDBRefnum refnum, CPSimpleDBRefnum* newRefnum);
  virtual void Rebuild();
  bool Loaded() const { return loaded_; }
  // Whether the last Load used the saved index.
  bool LoadedFromFile() const { return fromFile_; }

  // Looks for the key of `data` (a record in its layout). False when there
  // are no items or the key is above every item's; else `dataID` is the first
  // item whose key is at least the one looked for, and `found` tells whether
  // it is equal.
  virtual bool Find(const void* data, CPDataSize size, CPSimpleDBDataID* dataID, bool* found);

  // The key of a record from its stored bytes (`info` with their encoding).
  virtual CPSimpleDBIndexKeyValue GetDataKey(const CPSimpleDBDataInfo& info, const void* data,
                                             CPDataSize size);
  // The key of a record in its layout; by default its first keySize bytes.
  virtual CPSimpleDBIndexKeyValue DataToKey(const CPSimpleDBDataInfo& info, const void* data,
                                            CPDataSize size);
  virtual int CompareKeys(const CPSimpleDBIndexKeyValue& a, const CPSimpleDBIndexKeyValue& b);
  // Orders two records in their layout (key types other than the four).
  virtual int CompareData(CPSimpleDBDataID idA, const void* dataA, CPDataSize sizeA,
                          CPSimpleDBDataID idB, const void* dataB, CPDataSize sizeB);
  virtual int SearchData(const void* dataA, CPDataSize sizeA, const void* dataB, CPDataSize sizeB);

 protected:
  // The order of the key `key` (of a record whose layout is `layout`) against
  // item `n`; `withID` adds the dataID step.
  int CompareToItem(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                    const std::vector<unsigned char>& layout, uint32_t n, bool withID);

 private:
  void EnsureLoaded();
  int CompareByKeyType(const CPSimpleDBIndexKeyValue& a, const CPSimpleDBIndexKeyValue& b);
  // The layout of the record behind item `n`, read through this session.
  std::vector<unsigned char> ItemLayout(uint32_t n);
  // First item not below the value (0..count).
  uint32_t LowerBound(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
                      const std::vector<unsigned char>& layout, bool withID);
  void Insert(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
              const std::vector<unsigned char>& layout);
  // Removes the item of that record; false when it is not there.
  bool Remove(CPSimpleDBDataID dataID, const CPSimpleDBIndexKeyValue& key,
              const std::vector<unsigned char>& layout);
  void SortItems();
  CPSimpleDBDataID ItemID(uint32_t n) const;
  CPSimpleDBIndexKeyValue ItemKey(uint32_t n) const;
  bool UsesRecords() const;

  CPSimpleDBDataHandler* handler_;
  CPSimpleDBDataIndexInfo indexInfo_;
  bool load_;
  bool save_;
  bool loaded_ = false;
  bool fromFile_ = false;
  std::vector<unsigned char> items_;  // GetItemSize() bytes each, in order
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBINDEX_H_
