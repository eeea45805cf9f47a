// A VAT rate of the "TVA " lists (30 bytes), which the user file and each
// account keep side by side and match by name.
#ifndef VYX_ACCOUNTS_TAUXTVA_H_
#define VYX_ACCOUNTS_TAUXTVA_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct TauxTVA {
  double taux = 19.6;      // 'taux', percent
  uint8_t unused1[2] = {};
  uint8_t utilisation = 1; // 'affe': what the rate is used for; 1, 2 and 3 are sales
  uint8_t typeTaux = 1;    // 'tyTx'
  uint8_t typeTVA = 1;     // 'tTVA'
  Boolean immo = 0;        // 'immo'
  Str14 noCompte = {};     // 'cpt ', bookkeeping account
  uint8_t unused2 = 0;

  TauxTVA() = default;

  // Rates 'affe' 1 to 3 are those charged on sales.
  bool IsVente() const { return utilisation >= 1 && utilisation <= 3; }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(TauxTVA) == 30);
static_assert(std::is_trivially_copyable_v<TauxTVA>);
static_assert(offsetof(TauxTVA, utilisation) == 10);
static_assert(offsetof(TauxTVA, typeTaux) == 11);
static_assert(offsetof(TauxTVA, typeTVA) == 12);
static_assert(offsetof(TauxTVA, immo) == 13);
static_assert(offsetof(TauxTVA, noCompte) == 14);

#endif  // VYX_ACCOUNTS_TAUXTVA_H_
