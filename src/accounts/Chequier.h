// Two small lists of the account: cheque books ("CHQS", 16 bytes) and the
// transfer targets that designate other accounts ("DEST", 2 bytes).
#ifndef VYX_ACCOUNTS_CHEQUIER_H_
#define VYX_ACCOUNTS_CHEQUIER_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

// A book holds the cheques `first` to `first` + `number` - 1; `next` is the
// 1-based index of the next cheque to use.
struct Chequier {
  Str6 prefix = {};  // put over the first characters of the cheque numbers
  uint8_t unused1 = 0;
  int32_t first = 1000000;
  int16_t number = 50;
  int16_t next = 1;

  Chequier() = default;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct CompteTarget {
  CPResID aliasID = 0;  // the file alias of the other account

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Chequier) == 16);
static_assert(std::is_trivially_copyable_v<Chequier>);
static_assert(offsetof(Chequier, first) == 8);
static_assert(offsetof(Chequier, number) == 12);
static_assert(offsetof(Chequier, next) == 14);
static_assert(sizeof(CompteTarget) == 2);

#endif  // VYX_ACCOUNTS_CHEQUIER_H_
