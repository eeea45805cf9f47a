// A category of the "CATE" lists (38 bytes), which the user file and each
// account keep side by side and match by name: its kind, an objective, a
// colour and a bookkeeping account number.
#ifndef VYX_ACCOUNTS_CATEGORIE_H_
#define VYX_ACCOUNTS_CATEGORIE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// The kind of a category ('dep ').
enum : uint8_t {
  kCategorieAucune = 0,   // none of the three
  kCategorieDepense = 1,  // expense
  kCategorieRecette = 2,  // income
  kCategorieEpargne = 3,  // savings
};

#pragma pack(push, 1)

struct Categorie {
  uint8_t type = kCategorieDepense;  // 'dep '
  uint8_t unused1[9] = {};
  double objectif = 0;               // 'objt'
  CPResID colorID = 0;               // 'colr', in the colour set
  Str14 noCompte = {};               // 'ncpt', bookkeeping account
  Boolean noti = 0;                  // 'noti'
  Boolean noex = 0;                  // 'noex'
  uint8_t unused2 = 0;

  Categorie() = default;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Categorie) == 38);
static_assert(std::is_trivially_copyable_v<Categorie>);
static_assert(offsetof(Categorie, objectif) == 10);
static_assert(offsetof(Categorie, colorID) == 18);
static_assert(offsetof(Categorie, noCompte) == 20);
static_assert(offsetof(Categorie, noti) == 35);
static_assert(offsetof(Categorie, noex) == 36);

#endif  // VYX_ACCOUNTS_CATEGORIE_H_
