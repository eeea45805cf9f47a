// The account's statement settings: its "Internet" preference record (ID
// 1006, 34 bytes), read from and written to the account's preferences.
// docs/statement-file.md gives the layout. A missing record reads as the
// defaults: planned operations are candidates for matching, added lines are
// cleared, no card view, nothing loaded yet, no bank account number checked.
#ifndef VYX_EXCHANGE_VYXCOMPTEINTERNETPREFS_H_
#define VYX_EXCHANGE_VYXCOMPTEINTERNETPREFS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

class VYXCompte;

constexpr CPResID kVYXCompteInternetPrefsID = 1006;

#pragma pack(push, 1)

struct VYXCompteInternetPrefs {
  // Stored the other way round, so that a record of zeros means "planned
  // operations are candidates", their default.
  Boolean prevuesExclues = 0;
  Boolean ajoutsEngages = 0;  // lines added as operations stay committed
  CPResID carteMode = 0;      // the payment mode of the card view
  CPDate lastDate = 0;        // the last loaded date; 0 = none
  Str20 numeroCompte = {};    // the bank account's identifier in statement files
  uint8_t unused[5] = {};

  bool PrevuesCandidates() const { return prevuesExclues == 0; }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);

  // The account's record, converted from the encoding it was stored in.
  static VYXCompteInternetPrefs Get(const VYXCompte& compte);
  // Writes the record into the account's preferences (and its file).
  static void Set(VYXCompte& compte, const VYXCompteInternetPrefs& prefs);
};

#pragma pack(pop)

static_assert(sizeof(VYXCompteInternetPrefs) == 34);
static_assert(std::is_trivially_copyable_v<VYXCompteInternetPrefs>);
static_assert(offsetof(VYXCompteInternetPrefs, lastDate) == 4);
static_assert(offsetof(VYXCompteInternetPrefs, numeroCompte) == 8);

#endif  // VYX_EXCHANGE_VYXCOMPTEINTERNETPREFS_H_
