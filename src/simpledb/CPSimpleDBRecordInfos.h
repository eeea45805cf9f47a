// What the engine keeps at the start of two kinds of record: the resource
// information of a resource record ("res1": a storage ID, a resource ID and a
// name, then the body) and the description of a stored secondary index
// ("indx"/"ind1": the indexed type, the key, its type and size, the eventID at
// which it was saved, then the items). docs/simpledb.md gives their bytes.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBRECORDINFOS_H_
#define VYX_SIMPLEDB_CPSIMPLEDBRECORDINFOS_H_

#include <cstdint>

#include "simpledb/CPSimpleDBTypes.h"

using CPSimpleDBResourceStorageID = uint32_t;
using CPSimpleDBIndexKey = OSType;
using CPSimpleDBIndexKeyType = OSType;

constexpr OSType kSDBResourceFormat = CPFourCC("res1");
constexpr OSType kSDBIndexType = CPFourCC("indx");
constexpr OSType kSDBIndexFormat = CPFourCC("ind1");
constexpr uint32_t kSDBIndexRecordFlags = kSDBNotLoggedFlag | kSDBIndexRecordFlag;  // 0x30

// The resource information, in host form. Only its first 9 + name length
// bytes are stored: storageID (4), resID (2), 2 bytes of padding, the name.
struct CPSimpleDBDataResInfo {
  CPSimpleDBResourceStorageID storageID = 0;
  CPResID resID = 0;
  Str255 name = {};

  uint32_t StoredSize() const { return 9u + name[0]; }
};

// Writes the stored form in `encoding` (byte order of the IDs, character set
// of the name). `out` takes StoredSize() bytes.
void CPEncodeResInfo(const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                     unsigned char* out);
// Reads the stored form from the first `size` bytes of a record written in
// `encoding`; false when they cannot hold it. `used` receives its size.
bool CPDecodeResInfo(const unsigned char* in, uint32_t size, const CPDataEncoding& encoding,
                     CPSimpleDBDataResInfo* resInfo, uint32_t* used = nullptr);

// The 20-byte description of a stored index, in host form.
struct CPSimpleDBDataIndexInfo {
  CPSimpleDBDataType type = 0;  // the record type indexed
  CPSimpleDBIndexKey key = 0;   // the key's name
  CPSimpleDBIndexKeyType keyType = 0;
  CPDataSize keySize = 0;         // bytes of key per item
  CPSimpleDBEventID eventID = 0;  // the file's eventID when it was saved

  uint32_t GetItemSize() const { return keySize + 4; }
};
constexpr uint32_t kSDBIndexInfoSize = 20;

// Codes are stored as their characters; keySize and eventID in `encoding`'s order.
void CPEncodeIndexInfo(const CPSimpleDBDataIndexInfo& indexInfo, const CPDataEncoding& encoding,
                       unsigned char* out);
void CPDecodeIndexInfo(const unsigned char* in, const CPDataEncoding& encoding,
                       CPSimpleDBDataIndexInfo* indexInfo);

#endif  // VYX_SIMPLEDB_CPSIMPLEDBRECORDINFOS_H_
