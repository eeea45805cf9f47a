// Does this operation of this account pass this selection: the one question
// that lists, reports, totals and saved filters ask. The operation's fields
// are tested against each criterion by subject (VYXSelectionCriteria.h);
// items named by their names are compared with the names of the operation's
// items in the account's lists, so that one selection serves every account.
//
// A split-line criterion (subject 1900) holds a selection of its own, which
// the operation passes when one of its live split lines passes it. A split
// line is tested on its own fields (label, amounts, VAT, category, month,
// payee, case, allocation) and, for the fields it does not have (date,
// payment mode, cheque, status, bank date, statement, voucher), on its
// operation's.
//
// Amounts of criteria are rounded to the dossier's decimals for amounts (2
// without a dossier) before they are compared.
#ifndef VYX_ANALYSIS_VYXOPERATIONSELECTION_H_
#define VYX_ANALYSIS_VYXOPERATIONSELECTION_H_

#include "accounts/VYXCompte.h"
#include "analysis/CPSelection.h"
#include "analysis/VYXSelectionProgram.h"

// False when the selection's header cannot be read. Each call reuses the
// program (VYXSelectionProgram.h) of one of the last eight selections asked about
// with this account, so that asking about operation after operation decodes
// the selection once; formulas of today's date are evaluated at each call.
bool OperationIsSelected(VYXCompte& compte, const Operation& op, Handle selection,
                         const CPDataEncoding& e);
bool SousOperationIsSelected(VYXCompte& compte, const Operation& op, const SousOperation& line,
                             Handle selection, const CPDataEncoding& e);

// The same answers from the block walked at each call (ApplySelection with
// the test functions below), amounts rounded to `decimals`: the reference
// the programs are checked against.
bool OperationIsSelectedByWalk(VYXCompte& compte, const Operation& op, Handle selection,
                               const CPDataEncoding& e, int16_t decimals);
bool SousOperationIsSelectedByWalk(VYXCompte& compte, const Operation& op,
                                   const SousOperation& line, Handle selection,
                                   const CPDataEncoding& e, int16_t decimals);

// The test functions ApplySelection calls (`record` an Operation, or a
// SousOperation, `context` what VYXSelectionContext describes).
bool IsValidOperationCriteria(const void* record, void* context, Handle selection,
                              const CPDataEncoding& e, CPSelectionSubject subject, bool negative,
                              CPSelectionComparator comparator, const CPSelectionParam& param,
                              int32_t* offset);
bool IsValidSousOperationCriteria(const void* record, void* context, Handle selection,
                                  const CPDataEncoding& e, CPSelectionSubject subject,
                                  bool negative, CPSelectionComparator comparator,
                                  const CPSelectionParam& param, int32_t* offset);

// What the tests read besides the record.
struct VYXSelectionContext {
  VYXCompte* compte = nullptr;
  const Operation* op = nullptr;  // the split line's operation
  int16_t decimals = 2;
};

// One selection applied to many operations of one account, with its own
// program: the same answers as OperationIsSelected, the verdicts on the
// account's names kept until a list of the account changes, and the dates of
// formulas those of the filter's making ("DEBUTMOIS()" does not move while
// it lives). The account must outlive the filter; the block need not.
class VYXOperationFilter : public CPListener {
 public:
  VYXOperationFilter(VYXCompte& compte, Handle selection, const CPDataEncoding& e);

  bool IsSelected(const Operation& op) { return program_.Selects(op); }
  bool IsSelected(const Operation& op, const SousOperation& line) {
    return program_.Selects(op, line);
  }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 private:
  VYXSelectionProgram program_;
};

#endif  // VYX_ANALYSIS_VYXOPERATIONSELECTION_H_
