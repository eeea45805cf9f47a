// A currency of the user file's "DEVI" set (54 bytes): its rate against the
// reference currency (ID 1), its long name and its symbol. The resource name
// is the currency's code.
#ifndef VYX_USERFILE_DEVISE_H_
#define VYX_USERFILE_DEVISE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct Devise {
  double taux = 1.0;       // 'taux': units of the reference currency for `base` units
  double base = 1.0;       // 'base'
  Str31 monnaie = {};      // 'monn', the long name
  unsigned char symbole[5] = {};  // 'symb', up to 4 characters
  uint8_t unused = 0;

  Devise() = default;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Devise) == 54);
static_assert(std::is_trivially_copyable_v<Devise>);
static_assert(offsetof(Devise, base) == 8);
static_assert(offsetof(Devise, monnaie) == 16);
static_assert(offsetof(Devise, symbole) == 48);

#endif  // VYX_USERFILE_DEVISE_H_
