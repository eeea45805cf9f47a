// What a transfer must know of a closed account before it opens that account
// for a change: enough to refuse the change there while nothing is written
// yet (opening an account for writing marks it open). Read without writing.
#ifndef VYX_ACCOUNTS_VYXCOMPTEGLANCE_H_
#define VYX_ACCOUNTS_VYXCOMPTEGLANCE_H_

#include <string>
#include <vector>

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"
#include "platform/CPFileRef.h"

struct VYXCompteGlance {
  CPDate lockDate = 0;
  DeviseCode devise = 0;  // 0: the dossier's reference currency
  uint8_t type = 1;
  bool hasTwin = false;
  Operation twin;
  std::vector<SousOperation> twinLines;  // in table order
  std::string twinTvaName;               // MacRoman; empty for no VAT rate
};

// Reads the account of `file` (its lock date, currency and type, and the twin
// of `key` with its lines) and closes it again exactly as it was. False when
// it cannot be read so (in use, or left open by a writer that stopped): it
// is then to be opened and checked as any account.
bool VYXGlanceCompte(const CPFileRef& file, VirementKey key, VYXCompteGlance* glance);

// The lock-date rules of VYXCompte for a lock date `lock` (0: none).
bool VYXCanAddOperation(CPDate lock, const Operation& op);
bool VYXCanModifyOperation(CPDate lock, const Operation& oldOp, const Operation& newOp);

#endif  // VYX_ACCOUNTS_VYXCOMPTEGLANCE_H_
