// The 18-byte header that opens every stored record of an account: the
// information record, operations and split lines. It tells the kind of record,
// whether it was deleted, when it was made and changed, and its key.
#ifndef VYX_ACCOUNTS_COMPTEDATAHEADER_H_
#define VYX_ACCOUNTS_COMPTEDATAHEADER_H_

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

constexpr uint32_t kCompteDataMarker = 0xA5B1C91D;

#pragma pack(push, 1)

struct CompteDataHeader {
  uint32_t marker = kCompteDataMarker;
  CompteFileDataType type = 0;
  Boolean deleted = 0;     // a deleted record counts in no total
  CPDate creation = 0;     // when the record was made
  CPDate modification = 0; // set at every write
  // Operation: its key in the account (0 until stored); split line: its
  // number within its operation, from 1.
  DataID dataID = 0;

  CompteDataHeader() = default;
  // A header of that kind, made and changed now.
  explicit CompteDataHeader(CompteFileDataType kind);

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(CompteDataHeader) == 18);

#endif  // VYX_ACCOUNTS_COMPTEDATAHEADER_H_
