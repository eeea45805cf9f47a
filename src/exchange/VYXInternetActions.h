// What the user does with statement lines, as undoable actions of the
// account: validate lines against the operations they stand for (which
// clears them against the bank), add lines as new operations, set lines
// aside. Each action changes the account through its own operations (lock
// date, sums, cheque books) and then writes the lines' new states into the
// statement data file; undoing puts both back.
//
// Validation refuses totals that differ when several operations are
// involved, and asks the user (through CPGetInteraction) before it gives an
// operation the statement's amount or reference; a refusal (CPException) or
// a "no" changes nothing. Every operation is checked against the lock date
// before the first is written.
#ifndef VYX_EXCHANGE_VYXINTERNETACTIONS_H_
#define VYX_EXCHANGE_VYXINTERNETACTIONS_H_

#include <string>
#include <vector>

#include "accounts/VYXCompte.h"
#include "exchange/VYXCompteTel.h"
#include "foundation/CPAction.h"

// How lines become operations: the dossier's decimals, and the card view's
// card (its payment mode) when lines are card lines.
struct VYXTelContext {
  int decimals = 2;
  bool cardView = false;
  CPResID cardMode = 0;
};

// A new operation for a statement line: its label (with its second line),
// the bank's reference as cheque number, its amount, cleared (or committed,
// as the account's settings say), dated by a day its label gives when it is
// less than a year before the line's date, the payment mode of the cheque
// book its number belongs to, then what the first matching label rule gives.
void DataToOperation(VYXCompteTel& tel, const VYXInternetDataItem& item, const VYXTelContext& ctx,
                     Operation* op);

// The VAT included in `montant` at `rate` percent, rounded to `decimals`.
double VYXTvaIncluded(double montant, double rate, int decimals);

class VYXCompteTelAction : public CPAction {
 public:
  VYXCompteTelAction(VYXCompteTel& tel, std::vector<long> lines, const VYXTelContext& ctx)
      : tel_(tel), lines_(std::move(lines)), ctx_(ctx) {}

 protected:
  // The lines by their numbers; raises kVYXErrNoSuchLine for a number that is
  // not a line of the view, or a line already decided.
  std::vector<VYXInternetDataItem*> Lines(bool undecidedOnly);

  VYXCompteTel& tel_;
  std::vector<long> lines_;
  VYXTelContext ctx_;
};

class VYXInternetValidateAction : public VYXCompteTelAction {
 public:
  // `operations` are keys of the account's operations.
  VYXInternetValidateAction(VYXCompteTel& tel, std::vector<long> lines,
                            std::vector<DataID> operations, const VYXTelContext& ctx)
      : VYXCompteTelAction(tel, std::move(lines), ctx), keys_(std::move(operations)) {}

  bool DoAction() override;
  bool UndoAction() override;

 private:
  std::vector<DataID> keys_;
  std::vector<VYXDataRef> refs_;
  std::vector<Operation> before_;
};

class VYXInternetAddDataAction : public VYXCompteTelAction {
 public:
  using VYXCompteTelAction::VYXCompteTelAction;

  bool DoAction() override;
  bool UndoAction() override;
  // The keys of the operations added, in the lines' order.
  const std::vector<DataID>& Added() const { return added_; }

 private:
  std::vector<DataID> added_;
};

// Sets lines aside ("ignore"); undoing brings them back.
class VYXInternetDeleteDataAction : public VYXCompteTelAction {
 public:
  using VYXCompteTelAction::VYXCompteTelAction;

  bool DoAction() override;
  bool UndoAction() override;
};

#endif  // VYX_EXCHANGE_VYXINTERNETACTIONS_H_
