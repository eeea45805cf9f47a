// The 18-byte header that opens the user file's own records of documents: an
// invoice's header (type 2) and each of its lines (type 6). Same shape as an
// account record's header: kind, deleted flag, when it was made and changed,
// and the record's identifier.
#ifndef VYX_USERFILE_USERDATAHEADER_H_
#define VYX_USERFILE_USERDATAHEADER_H_

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

constexpr uint32_t kUserDataMarker = 0xA5B1C91D;

using UserFileDataType = uint8_t;
enum : UserFileDataType {
  kUserDataFacture = 2,
  kUserDataLigneFacture = 6,
};

#pragma pack(push, 1)

struct UserDataHeader {
  uint32_t marker = kUserDataMarker;
  UserFileDataType type = 0;
  Boolean deleted = 0;
  CPDate creation = 0;
  CPDate modification = 0;
  // An invoice: its data identifier in the user file (0 until stored). A
  // line: its number within its invoice, from 1.
  DataID dataID = 0;

  UserDataHeader() = default;
  // A header of that kind, made and changed now.
  explicit UserDataHeader(UserFileDataType kind);

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(UserDataHeader) == 18);

#endif  // VYX_USERFILE_USERDATAHEADER_H_
