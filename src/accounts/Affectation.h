// Two small lists that the user file and each account keep side by side and
// match by name: cost allocations ("AFFE", `Affectation`) and cases ("AFFA",
// `UserAffaire`), both an objective and a colour (10 bytes).
#ifndef VYX_ACCOUNTS_AFFECTATION_H_
#define VYX_ACCOUNTS_AFFECTATION_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct Affectation {
  double objectif = 0;  // 'objt'
  CPResID colorID = 0;  // 'colr'

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct UserAffaire {
  double objectif = 0;  // 'objt'
  CPResID colorID = 0;  // 'colr'

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Affectation) == 10);
static_assert(offsetof(Affectation, colorID) == 8);
static_assert(sizeof(UserAffaire) == 10);
static_assert(offsetof(UserAffaire, colorID) == 8);
static_assert(std::is_trivially_copyable_v<Affectation> && std::is_trivially_copyable_v<UserAffaire>);

#endif  // VYX_ACCOUNTS_AFFECTATION_H_
