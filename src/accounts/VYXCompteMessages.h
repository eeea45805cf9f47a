// The messages an account sends its listeners (lists, totals, displays), of
// category 'CPTE', and the data they point at. The data lives on the
// sender's stack: a listener copies what it keeps.
#ifndef VYX_ACCOUNTS_VYXCOMPTEMESSAGES_H_
#define VYX_ACCOUNTS_VYXCOMPTEMESSAGES_H_

#include <cstdint>

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"

constexpr OSType kVYXCompteMessage = 'CPTE';

// Where a record of an account's table lies (its first block); 0 for none.
// A modification may move a record: the operations that rewrite one give
// back its new reference.
using VYXDataRef = uint32_t;

enum : uint32_t {
  kVYXCompteDeviseSet = 1,         // data: the DeviseCode
  kVYXCompteBanqueInfosSet = 2,    // no data
  kVYXCompteAddressSet = 3,        // no data
  kVYXCompteDefaultValuesSet = 4,  // data: the VYXCompteDefaultValues
  kVYXCompteOpAdded = 5,           // data: VYXCompteOpMessage
  kVYXCompteOpModified = 6,        // data: VYXCompteOpMessage with the old record
  kVYXCompteOpDeleted = 7,         // data: VYXCompteOpMessage
  kVYXCompteSousOpAdded = 8,       // data: VYXCompteOpMessage with the line
  kVYXCompteSousOpModified = 9,    // the same; the old line is still stored
  kVYXCompteSousOpDeleted = 10,    // the same
  kVYXCompteReportSet = 11,        // data: the MontantSet
  kVYXCompteRemiseInfosSet = 12,   // data: the VYXRemiseInfos
  kVYXComptePlusValuesSet = 13,    // data: the MontantSet
  kVYXCompteCategorieAdded = 14,   // data: the CPResID, for 14 to 16 and 21 to 23
  kVYXCompteAffectationAdded = 15,
  kVYXCompteModeAdded = 16,
  kVYXCompteTypeSet = 17,    // data: the uint8_t type
  kVYXCompteTitresSet = 18,  // data: the bool
  kVYXCompteStartBulk = 19,  // listeners stop refreshing; no data
  kVYXCompteEndBulk = 20,    // listeners refresh once; no data
  kVYXCompteTauxTVAAdded = 21,
  kVYXCompteTiersAdded = 22,
  kVYXCompteAffaireAdded = 23,
  kVYXCompteEcheancierPrefsSet = 24,
  kVYXCompteLockDateSet = 25,         // data: the CPDate
  kVYXCompteHistoriqueChanging = 26,  // data: the new CPDate
  kVYXCompteHistoriqueChanged = 27,   // data: the CPDate
  kVYXCompteBeingClosed = 28,         // no data; IsBeingClosed is then true
};

struct VYXCompteOpMessage {
  VYXDataRef ref = 0;                     // the operation's
  const Operation* op = nullptr;          // the operation as stored (new)
  const Operation* oldOp = nullptr;       // 6: the operation before the change
  VYXDataRef sousRef = 0;                 // 8 to 10: the line's
  const SousOperation* sousOp = nullptr;  // 8 to 10: the line
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEMESSAGES_H_
