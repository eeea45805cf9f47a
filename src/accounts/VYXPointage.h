// Reconciliation of an account against its bank statements: clearing a
// selection of operations with a statement number and a date (and undoing
// it), putting back the bank dates of pending operations after the rule of a
// deferred-debit card changed, and the statements the cleared operations form.
// The actions change operations through the account (its lock date holds:
// an operation it refuses is left as it was and the others go on) and carry
// a transfer's change to its twin.
#ifndef VYX_ACCOUNTS_VYXPOINTAGE_H_
#define VYX_ACCOUNTS_VYXPOINTAGE_H_

#include <optional>
#include <string>
#include <vector>

#include "accounts/VYXCompte.h"
#include "foundation/CPAction.h"

// The reconciliation settings of an operation list ('LIST' 8 when they change).
struct PointageInfos {
  bool hideCleared = false;  // cleared operations leave the list
  bool keepOwnDate = false;  // each operation keeps its own bank date
  CPDate date = 0;           // the bank date to give them; 0 for their own
  Str5 releve = {};          // the statement's number
};

// Texts: the confirmation of the bank-date adjustment (list 408, item 9) and
// the clearing's undo and redo names (list 409, items 30 and 29).
constexpr int kVYXPointageList = 408;
constexpr int kVYXAdjustDatesItem = 9;
constexpr int kVYXPointageUndoList = 409;
constexpr int kVYXPointageUndoItem = 30;
constexpr int kVYXPointageRedoItem = 29;

// The operations of a selection that are not cleared yet: how many, their
// total, and the bank date of the first, which the clearing dialog proposes.
struct VYXPointageSelection {
  int count = 0;
  double total = 0;
  CPDate firstDate = 0;
};
VYXPointageSelection VYXSummarizePointage(VYXCompte& compte, const std::vector<DataID>& keys);

// Changes operations of an account and can put them back: what the
// reconciliation actions share.
class VYXPointageActionBase : public CPAction {
 public:
  // Operations changed, and those the account refused with its reason (MacRoman).
  const std::vector<DataID>& Changed() const { return changed_; }
  const std::vector<std::pair<DataID, std::string>>& Refused() const { return refused_; }
  // Puts every changed operation back as it was.
  bool UndoAction() override;
  bool RedoAction() override;

 protected:
  VYXPointageActionBase(VYXCompte& compte, int16_t undoList, int16_t undoItem, int16_t redoList,
                        int16_t redoItem)
      : CPAction(undoList, undoItem, redoList, redoItem), compte_(compte) {}
  // Writes `next` over the operation of `key` (through its transfer when it
  // is a source), noting it; a refusal is noted instead.
  void Change(DataID key, const Operation& old, const Operation& next);

  VYXCompte& compte_;
  std::vector<DataID> changed_;
  std::vector<std::pair<DataID, std::string>> refused_;

 private:
  std::vector<Operation> before_, after_;
};

// Clears the selected operations (VYXCompteListPointerAction): each one not
// yet cleared gets status 2, the statement number of the settings and their
// date as bank date (its own bank date when that is 0 or the settings keep
// it). A single operation may take the amount typed when it differs by more
// than 0.0001, its VAT amount then recomputed at its rate, rounded to
// `decimals`. DoAction answers whether an operation changed.
class VYXCompteListPointerAction : public VYXPointageActionBase {
 public:
  VYXCompteListPointerAction(VYXCompte& compte, std::vector<DataID> keys, const PointageInfos& infos,
                             std::optional<double> montant, int decimals);
  bool DoAction() override;

 private:
  std::vector<DataID> keys_;
  PointageInfos infos_;
  std::optional<double> montant_;
  int decimals_;
};

// Takes cleared operations back out of their statement: each one cleared
// becomes committed, without a statement number, its bank date the one its
// payment mode gives.
class VYXCompteListDepointerAction : public VYXPointageActionBase {
 public:
  VYXCompteListDepointerAction(VYXCompte& compte, std::vector<DataID> keys);
  bool DoAction() override;

 private:
  std::vector<DataID> keys_;
};

// Puts back the bank dates of the pending operations that lie on or before
// the last reconciliation date and whose payment mode has, for their
// direction, an enabled deferred-debit rule: each is computed again from the
// operation's date (VYXCompteAdjustDatesPointageAction). With `confirm`, the
// user is asked first (list 408, item 9). Nothing when nothing is cleared.
class VYXCompteAdjustDatesPointageAction : public VYXPointageActionBase {
 public:
  VYXCompteAdjustDatesPointageAction(VYXCompte& compte, bool confirm)
      : VYXPointageActionBase(compte, 0, 0, 0, 0), confirm_(confirm) {}
  bool DoAction() override;

 private:
  bool confirm_;
};

// A statement: the cleared, non-fictitious operations carrying one number,
// in the account's series or in the series of a payment mode whose
// operations are cleared on statements of their own (releveSepare).
struct VYXReleve {
  CPResID series = 0;   // 0: the account's statements; else the mode
  std::string numero;   // MacRoman, as stored; empty: cleared without a number
  CPDate first = 0;     // earliest and latest bank dates
  CPDate last = 0;
  int count = 0;
  double debits = 0;    // negative
  double credits = 0;
};
// By series (the account's first, then the modes by ID), then by number as
// the system's collation orders them (digits-only numbers by value), an
// empty number first.
std::vector<VYXReleve> VYXGetReleves(VYXCompte& compte);
// Whether statement number `a` comes before `b` (MacRoman).
int VYXCompareReleves(const std::string& a, const std::string& b);

#endif  // VYX_ACCOUNTS_VYXPOINTAGE_H_
