// The seat an open account keeps for its totals engine. The engine belongs to
// the analysis layer, above this one: the account only owns it, builds it
// through the maker that layer installs, and tells it when the account has
// been loaded. Without a maker the account has no engine, and works the same.
#ifndef VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_
#define VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_

#include <memory>

class VYXCompte;

class VYXCompteTotauxBase {
 public:
  virtual ~VYXCompteTotauxBase() = default;
  // The account has just been loaded (or loaded again): whatever was
  // computed from it before no longer holds.
  virtual void Refresh() = 0;
};

// Builds the engine of an account that opens; it listens to the account,
// which owns it until the account closes.
using VYXCompteTotauxMaker = std::unique_ptr<VYXCompteTotauxBase> (*)(VYXCompte& compte);

// Installs the maker every account opened from now on uses (nullptr: none).
void VYXSetCompteTotauxMaker(VYXCompteTotauxMaker maker);
VYXCompteTotauxMaker VYXGetCompteTotauxMaker();

#endif  // VYX_ACCOUNTS_VYXCOMPTETOTAUXHOOK_H_
