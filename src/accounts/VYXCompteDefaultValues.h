// The account's defaults for new operations: preference record 901 of the
// account's "PREF" set, 14 bytes. Operation(defaults, isATitre) builds a new
// operation from it.
//
// Layout (offset, width, field):
//   0  u8       debCred      sense of a new amount: 0 debit, 1 credit
//   1  OpStatus status       default 1 (committed)
//   2  CPResID  mode
//   4  CPResID  categorie
//   6  u16      mois         month rule (VYXMonthRule.h), default 65534
//   8  CPResID  tvaDep       VAT rate of debits
//  10  CPResID  tvaRec       VAT rate of credits
//  12  CPResID  affectation
#ifndef VYX_ACCOUNTS_VYXCOMPTEDEFAULTVALUES_H_
#define VYX_ACCOUNTS_VYXCOMPTEDEFAULTVALUES_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXMonthRule.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

constexpr CPResID kVYXCompteDefaultValuesID = 901;

#pragma pack(push, 1)

struct VYXCompteDefaultValues {
  MontantType debCred = kMontantDebit;
  OpStatus status = kOpEngagee;
  CPResID mode = 0;
  CPResID categorie = 0;
  CPMonth mois = kVYXMoisCourant;
  CPResID tvaDep = 0;
  CPResID tvaRec = 0;
  CPResID affectation = 0;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXCompteDefaultValues) == 14);
static_assert(std::is_trivially_copyable_v<VYXCompteDefaultValues>);
static_assert(offsetof(VYXCompteDefaultValues, mode) == 2);
static_assert(offsetof(VYXCompteDefaultValues, mois) == 6);
static_assert(offsetof(VYXCompteDefaultValues, affectation) == 12);

#endif  // VYX_ACCOUNTS_VYXCOMPTEDEFAULTVALUES_H_
