// The saved settings of a balance report (20 bytes) and of a cross table
// (22): the display currency, the statuses shown, whether the row of amounts
// without a category is shown, the objective columns, the display mode and
// the period. An account keeps its own under 'PREF' 1001 and 1039, the user
// file its global ones under 1008 and 1037 (docs/reports.md).
#ifndef VYX_ANALYSIS_VYXBILANPREFS_H_
#define VYX_ANALYSIS_VYXBILANPREFS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// Display modes of a balance report.
enum : int16_t {
  kBilanMontants = 1,      // the amounts
  kBilanPourcentages = 2,  // each amount's share of its month's total
  kBilanCumuls = 3,        // running totals from the period's start, rows ranked
  kBilanObjectifs = 4,     // each amount as a share of its objective, rows ranked
  kBilanEcarts = 5,        // each amount less its objective, rows ranked
  kBilanModeCount = 5,
};

#pragma pack(push, 1)

struct VYXCompteBilanPrefs {
  DeviseCode devise = 0;      // display currency; 0: the amounts' own
  Boolean showPrevu = 1;      // status 0
  Boolean showEngage = 1;     // status 1
  Boolean showPointe = 1;     // status 2
  Boolean showUndefined = 1;  // the row of amounts without a category
  Boolean showObjectifs = 0;  // the three objective columns
  uint8_t unused = 0;
  int16_t displayMode = kBilanMontants;  // 1 to 5
  CPDate periodStart = 0;                // 1 January of the current year
  CPDate periodEnd = 0;                  // 31 December of the current year

  // The defaults, the period being this year.
  VYXCompteBilanPrefs();
  // A record never written reads as zeros; no mode 0 exists, so it stands
  // for the defaults. Out-of-range values are brought back to valid ones.
  void Normalize();

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct VYXCompteBilanCroisePrefs {
  VYXCompteBilanPrefs bilan;
  int16_t ttc = 0;  // amounts with their VAT

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXCompteBilanPrefs) == 20);
static_assert(sizeof(VYXCompteBilanCroisePrefs) == 22);
static_assert(offsetof(VYXCompteBilanPrefs, displayMode) == 10);
static_assert(offsetof(VYXCompteBilanPrefs, periodStart) == 12);
static_assert(std::is_trivially_copyable_v<VYXCompteBilanPrefs>);

// Preference record IDs.
enum : CPResID {
  kVYXCompteBilanPrefsID = 1001,
  kVYXCompteBilanCroisePrefsID = 1039,
  kVYXUserBilanPrefsID = 1008,
  kVYXUserBilanCroisePrefsID = 1037,
};

#endif  // VYX_ANALYSIS_VYXBILANPREFS_H_
