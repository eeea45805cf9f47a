// A label rule for downloaded statement lines ("LIBM", 272 bytes): a label
// pattern and the values it gives to the operation made from a matching line.
#ifndef VYX_ACCOUNTS_LIBELLETELEMATIQUE_H_
#define VYX_ACCOUNTS_LIBELLETELEMATIQUE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct LibelleTelematique {
  Str255 libelle = {};  // the pattern
  CPResID mode = 0;
  CPMonth mois = 0;
  CPResID categorie = 0;
  Boolean pointe = 0;
  uint8_t unused1 = 0;
  CPResID tva = 0;
  CPResID tiers = 0;
  CPResID affaire = 0;
  CPResID affectation = 0;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(LibelleTelematique) == 272);
static_assert(std::is_trivially_copyable_v<LibelleTelematique>);
static_assert(offsetof(LibelleTelematique, mode) == 256);
static_assert(offsetof(LibelleTelematique, mois) == 258);
static_assert(offsetof(LibelleTelematique, categorie) == 260);
static_assert(offsetof(LibelleTelematique, pointe) == 262);
static_assert(offsetof(LibelleTelematique, tva) == 264);
static_assert(offsetof(LibelleTelematique, tiers) == 266);
static_assert(offsetof(LibelleTelematique, affaire) == 268);
static_assert(offsetof(LibelleTelematique, affectation) == 270);

#endif  // VYX_ACCOUNTS_LIBELLETELEMATIQUE_H_
