// A secondary index over fixed-layout records T: the key and the order of
// whole records are taken from a T. Records of another size are refused
// (1301). Application indexes derive from it and give DataToKey (and, for
// key types other than the four, CompareData).
#ifndef VYX_SIMPLEDB_CPSIMPLEDBINDEX_T_H_
#define VYX_SIMPLEDB_CPSIMPLEDBINDEX_T_H_

#include <cstring>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBIndex.h"

template <typename T>
class CPSimpleDBIndex_T : public CPSimpleDBIndex {
 public:
  using CPSimpleDBIndex::CompareData;
  using CPSimpleDBIndex::CPSimpleDBIndex;
  using CPSimpleDBIndex::DataToKey;
  using CPSimpleDBIndex::Find;
  using CPSimpleDBIndex::SearchData;

  virtual CPSimpleDBIndexKeyValue DataToKey(const T& t) {
    CPSimpleDBIndexKeyValue key{};
    std::memcpy(key.bytes, &t, std::min<size_t>(sizeof(T), GetKeySize()));
    return key;
  }
  virtual int CompareData(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)); }
  virtual int SearchData(const T& a, const T& b) { return CompareData(a, b); }

  bool Find(const T& t, CPSimpleDBDataID* dataID, bool* found) {
    return Find(&t, sizeof(T), dataID, found);
  }

  CPSimpleDBIndexKeyValue DataToKey(const CPSimpleDBDataInfo&, const void* data,
                                    CPDataSize size) final {
    return DataToKey(Typed(data, size));
  }
  int CompareData(CPSimpleDBDataID, const void* dataA, CPDataSize sizeA, CPSimpleDBDataID,
                  const void* dataB, CPDataSize sizeB) final {
    return CompareData(Typed(dataA, sizeA), Typed(dataB, sizeB));
  }
  int SearchData(const void* dataA, CPDataSize sizeA, const void* dataB, CPDataSize sizeB) final {
    return SearchData(Typed(dataA, sizeA), Typed(dataB, sizeB));
  }

 private:
  static T Typed(const void* data, CPDataSize size) {
    if (size != sizeof(T)) CPThrow(kSDBErrBadSize);
    T t;
    std::memcpy(&t, data, sizeof(T));
    return t;
  }
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBINDEX_T_H_
