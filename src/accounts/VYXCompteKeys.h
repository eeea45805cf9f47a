// The keys of an account's operations and the counter they are drawn from.
// The stored counter (`CompteInfos.autoIncrement`) and the keys that split
// lines use to find their operation are 16-bit, so an account holds at most
// 65,535 operations (keys 1 to 65,535). Keys are drawn two apart from the
// counter while it lasts; once it would pass 65,535 it stays there and the
// smallest key not in use is taken instead, so a key is never given to two
// live operations. The set of keys in use lives in memory only: the account
// fills it when it opens and keeps it with every addition and deletion.
#ifndef VYX_ACCOUNTS_VYXCOMPTEKEYS_H_
#define VYX_ACCOUNTS_VYXCOMPTEKEYS_H_

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "accounts/VYXRecordTypes.h"

constexpr DataID kVYXMaxOperationKey = 65535;

class VYXCompteKeys {
 public:
  VYXCompteKeys();

  void Clear();
  // A live operation has that key. Keys may repeat in files written before
  // keys were guarded; each use is counted so that deleting one of two
  // operations sharing a key leaves the key taken.
  void Use(DataID key);
  void Release(DataID key);
  bool InUse(DataID key) const;
  // Keys 1 to 65,535 in use.
  uint32_t CountInUse() const { return used_; }

  // The key of a new operation, and the counter after it: the counter + 1
  // (or the next key after it not in use), the counter then ending one
  // above that key; past 65,535 the counter stays at 65,535 and the
  // smallest free key is taken. 0 when every key is taken. Marks nothing:
  // the caller calls Use once the operation is stored.
  DataID Draw(uint16_t* autoIncrement) const;
  // The counter after an operation kept its own key: one above the larger
  // of the counter and the key, held at 65,535.
  static uint16_t AfterKeptKey(uint16_t autoIncrement, DataID key);
  // Whether an operation may keep `key`: a 16-bit key not in use.
  bool CanKeep(DataID key) const;

 private:
  DataID SmallestFree() const;

  std::vector<uint16_t> counts_;                // by key, 0 to 65,535
  std::unordered_map<DataID, uint32_t> large_;  // keys above 65,535 (old files)
  uint32_t used_ = 0;
  // No key below it is free: where SmallestFree starts looking.
  mutable DataID firstFree_ = 1;
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEKEYS_H_
