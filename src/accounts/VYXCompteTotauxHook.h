// The seat an open account keeps for its totals engine. The engine belongs to
// the analysis layer, above this one: the account only owns it, builds it
// through the maker that layer installs, and tells it when the account has
// been loaded. Without a maker the account has no engine, and works the same.
//
// Opening an account reads every record once already; a count made by the
// same layer follows that reading (each operation and split line as it is
// decoded), and the engine takes it over as soon as it is built, so that the
// totals need not read the file a second time.
#ifndef VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_
#define VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_

#include <memory>

class VYXCompte;
struct Operation;
struct SousOperation;

// What the engine counts while the account's records are read as it opens:
// every live operation (its texts left empty: the reading skips them), and
// every live split line, in the file's order.
class VYXCompteTotauxCount {
 public:
  virtual ~VYXCompteTotauxCount() = default;
  virtual void CountOperation(const Operation& op) = 0;
  virtual void CountSousOperation(const SousOperation& line) = 0;
};

class VYXCompteTotauxBase {
 public:
  virtual ~VYXCompteTotauxBase() = default;
  // The account has just been loaded (or loaded again): whatever was
  // computed from it before no longer holds.
  virtual void Refresh() = 0;
  // The count made while the account was read, taken over by an engine
  // that has just been built (nothing changed in the account since).
  virtual void TakeCount(std::unique_ptr<VYXCompteTotauxCount> /*count*/) {}
};

// Builds the engine of an account that opens; it listens to the account,
// which owns it until the account closes.
using VYXCompteTotauxMaker = std::unique_ptr<VYXCompteTotauxBase> (*)(VYXCompte& compte);
// Makes the count for a reading of an account's records.
using VYXCompteTotauxCountMaker = std::unique_ptr<VYXCompteTotauxCount> (*)();

// Installs the makers every account opened from now on uses (nullptr: none;
// without a count maker the engine reads the records itself).
void VYXSetCompteTotauxMaker(VYXCompteTotauxMaker maker, VYXCompteTotauxCountMaker count = nullptr);
VYXCompteTotauxMaker VYXGetCompteTotauxMaker();
// A new count when a count maker is installed, null otherwise.
std::unique_ptr<VYXCompteTotauxCount> VYXMakeCompteTotauxCount();

#endif  // VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_
