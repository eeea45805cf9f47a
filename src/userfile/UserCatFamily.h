// A family of categories (18 bytes): a bookkeeping account and a colour. The
// families set is hierarchic, with the categories filed under their family.
#ifndef VYX_USERFILE_USERCATFAMILY_H_
#define VYX_USERFILE_USERCATFAMILY_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct UserCatFamily {
  Str14 noCompte = {};  // 'ncpt'
  uint8_t unused = 0;
  CPResID colorID = 0;  // 'colr'

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(UserCatFamily) == 18);
static_assert(std::is_trivially_copyable_v<UserCatFamily>);
static_assert(offsetof(UserCatFamily, colorID) == 16);

#endif  // VYX_USERFILE_USERCATFAMILY_H_
