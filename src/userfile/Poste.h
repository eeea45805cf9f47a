// A budget post of the "PBDG" set: a 22-byte header followed by its budget
// lines (12 bytes each). The posts set is hierarchic, with the categories the
// post gathers filed under it.
#ifndef VYX_USERFILE_POSTE_H_
#define VYX_USERFILE_POSTE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct Poste {
  CPResID colorID = 0;  // 'colr'
  uint8_t unused[20] = {};

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// One line of a post's budget: two values fixed when the line is made, then
// two 32-bit values.
struct BudgetItem {
  int16_t key1 = 0;
  int16_t key2 = 0;
  int32_t value1 = 0;
  int32_t value2 = 0;

  BudgetItem() = default;
  BudgetItem(int16_t k1, int16_t k2) : key1(k1), key2(k2) {}

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(Poste) == 22);
static_assert(sizeof(BudgetItem) == 12);
static_assert(std::is_trivially_copyable_v<Poste> && std::is_trivially_copyable_v<BudgetItem>);

#endif  // VYX_USERFILE_POSTE_H_
