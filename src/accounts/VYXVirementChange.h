// One change of an operation that is, or was, the source half of a transfer,
// carried to its twin so that the two halves never part: the new source is
// added, the old one modified or deleted, and the twin in the other account
// (or the twins, when the transfer changes account) follows.
//
// Two files are written, and a process may die between any two writes. So:
// 1. everything either account would refuse is refused first, before
//    anything is written (the lock date of each, a target that cannot be
//    found or opened, a question the user answers no);
// 2. an entry naming the two accounts and the key goes into the dossier's
//    journal (VYXCompteDirectory);
// 3. the source changes, then each twin follows;
// 4. the entry goes.
// The next opening of the dossier finishes any change whose entry is still
// there (VYXFinishVirementChange): the twin is made to follow the source as
// it is, or for a deletion both halves go, so that after it either both
// halves are there or neither is. Taking the entry out is the last write:
// an entry left behind by a change that did finish finds nothing to do.
#ifndef VYX_ACCOUNTS_VYXVIREMENTCHANGE_H_
#define VYX_ACCOUNTS_VYXVIREMENTCHANGE_H_

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteDirectory.h"

class VYXVirementChange {
 public:
  // A change of `source`'s operations. With `invert`, twins carry the
  // source's amounts with the sign changed (a debit here is a credit there).
  explicit VYXVirementChange(VYXCompte& source, bool invert = true, bool ask = false);
  // Releases the accounts it opened.
  ~VYXVirementChange();
  VYXVirementChange(const VYXVirementChange&) = delete;
  VYXVirementChange& operator=(const VYXVirementChange&) = delete;

  // What the source carries after the change: its target and its key, both
  // 0 when it is no transfer.
  struct Half {
    CPResID target = 0;
    VirementKey key = 0;
  };

  // The source operation as stored now (null for an addition) and as the
  // change leaves it (null for a deletion), with its live split lines after
  // the change, in order. The account it then goes to is its target
  // `after->virementId`, or when `afterTarget` is given, that account (its
  // target is made in Run when the source has none for it yet). Resolves the
  // accounts concerned, opens them and raises what either account would
  // refuse, or the user; nothing is written.
  void Prepare(const Operation* before, const Operation* after,
               const std::vector<SousOperation>* afterLines, const CPFileRef* afterTarget = nullptr);
  // Whether the change reaches another account at all.
  bool Involved() const { return !targets_.empty(); }
  // Journal, `change` (the caller's writes to the source, which store the
  // half it is given in virementId and virementKey), twins, journal. When
  // `change` raises, nothing else is written. When a twin cannot be written,
  // its journal entry stays for the next opening, and the failure is raised
  // saying so.
  void Run(const std::function<void(const Half&)>& change);

 private:
  struct Target {
    CPFileRef file;
    VYXCompte* compte = nullptr;
    bool wasOpen = false;
    VirementKey key = 0;
    bool follows = false;  // the source after the change goes to this account
    uint32_t journalID = 0;
  };

  Target& TargetFor(const CPFileRef& file, VirementKey key);
  // Raises what the closed target, as `glance` read it, would refuse.
  void CheckGlance(const Target& target, const struct VYXCompteGlance& glance,
                   const Operation* after, const std::vector<SousOperation>* lines);
  // Raises what the target would refuse of the twin's change.
  void Check(Target& target, const Operation& after, const std::vector<SousOperation>* lines);
  void Release();

  VYXCompte& source_;
  bool invert_;
  bool ask_;
  bool deletion_ = false;
  Half half_;
  CPFileRef afterFile_;  // the account the source goes to, its target to make when half_.target is 0
  Operation label_;  // the source, for messages
  std::vector<Target> targets_;
};

// Modifies the operation at `ref` into `next`, its twin following when it is
// (or was) the source half of a transfer. `next` keeps its transfer fields.
void VYXModifySource(VYXCompte& compte, VYXDataRef& ref, const Operation& next);

// Finishes a change left in the journal: in `target`, the twin of `key`
// follows its source in `source` (added, brought up to date, or deleted when
// the source is gone or goes elsewhere); for a deletion, the twin and the
// source both go. Writes nothing when the two halves already agree.
void VYXFinishVirementChange(const VYXVirementJournalEntry& entry, VYXCompte& source,
                             VYXCompte& target);

#endif  // VYX_ACCOUNTS_VYXVIREMENTCHANGE_H_
