// The saved filters of a dossier as the totals engine applies them: each
// saved mask ('SEL ') compiled once into a selection that tests an
// operation's own fields, and whether its split lines are tested too (the
// mask's flag). The engine counts, for each filter, the amount of an
// operation whose own fields pass; a split line whose operation passes
// takes its part out of it, and a split line that passes puts its part in,
// so that an operation split between two categories counts under a filter
// of each only the part that belongs there.
//
// While a whole account is counted (BeginCompte), the tests keep the names
// of the account's items from one operation to the next.
#ifndef VYX_ANALYSIS_VYXTOTAUXFILTRES_H_
#define VYX_ANALYSIS_VYXTOTAUXFILTRES_H_

#include <memory>
#include <vector>

#include "accounts/VYXCompte.h"
#include "analysis/VYXOperationSelection.h"
#include "platform/CPHandle.h"

class VYXUserPreferences;

class VYXTotauxFiltres {
 public:
  // Compiles every saved mask of `user`; none without a user. A record that
  // is not a mask is left out rather than stopping the others.
  void Compile(VYXUserPreferences* user);
  void Clear();
  size_t Count() const { return filtres_.size(); }
  CPResID GetID(size_t n) const { return filtres_[n].id; }
  // Whether the filter's split lines are tested on their own.
  bool TestsLines(size_t n) const { return filtres_[n].lines; }

  // The operation's own fields pass filter `n`.
  bool Passes(size_t n, VYXCompte& compte, const Operation& op);
  // The split line passes filter `n` (its operation's fields standing in
  // for those it lacks).
  bool Passes(size_t n, VYXCompte& compte, const Operation& op, const SousOperation& line);

  // Faster tests for the operations of `compte` until EndCompte.
  void BeginCompte(VYXCompte& compte);
  void EndCompte() {
    bulk_.clear();
    bulkCompte_ = nullptr;
  }

 private:
  struct Filtre {
    CPResID id = 0;
    CPOwnedHandle selection;
    bool lines = true;
  };
  VYXOperationFilter* Bulk(size_t n, VYXCompte& compte) {
    return &compte == bulkCompte_ ? bulk_[n].get() : nullptr;
  }

  std::vector<Filtre> filtres_;
  VYXCompte* bulkCompte_ = nullptr;
  std::vector<std::unique_ptr<VYXOperationFilter>> bulk_;
};

#endif  // VYX_ANALYSIS_VYXTOTAUXFILTRES_H_
