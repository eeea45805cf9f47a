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

#include <string>
#include <unordered_map>

#include "accounts/VYXCompte.h"
#include "analysis/CPSelection.h"

// False when the selection's header cannot be read.
bool OperationIsSelected(VYXCompte& compte, const Operation& op, Handle selection,
                         const CPDataEncoding& e);
bool SousOperationIsSelected(VYXCompte& compte, const Operation& op, const SousOperation& line,
                             Handle selection, const CPDataEncoding& e);

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

class VYXOperationFilter;

// What the tests read besides the record.
struct VYXSelectionContext {
  VYXCompte* compte = nullptr;
  const Operation* op = nullptr;  // the split line's operation
  int16_t decimals = 2;
  VYXOperationFilter* filter = nullptr;  // its caches, when a filter asks
};

// One selection applied to many operations of one account: the same answers
// as OperationIsSelected, with the names of the account's items and the
// dates of date formulas kept from one operation to the next. Names are
// forgotten when a list of the account changes; the dates of formulas are
// those of the filter's first use ("DEBUTMOIS()" does not move while it
// lives). The account and the selection must outlive the filter.
class VYXOperationFilter : public CPListener {
 public:
  VYXOperationFilter(VYXCompte& compte, Handle selection, const CPDataEncoding& e);

  bool IsSelected(const Operation& op);
  bool IsSelected(const Operation& op, const SousOperation& line);

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

  // For the tests: the name of item `id` of `list` as the account has it
  // (MacRoman; empty for none), and a date formula's date by its place.
  const std::string& ItemName(VYXCompteList list, CPResID id);
  bool CachedDate(int32_t offset, CPDate* date) const;
  void CacheDate(int32_t offset, CPDate date) { dates_[offset] = date; }

 private:
  VYXCompte& compte_;
  Handle selection_;
  CPDataEncoding encoding_;
  CPSelection header_;
  int32_t start_ = 0;
  bool readable_ = false;
  int16_t decimals_ = 2;
  std::unordered_map<int32_t, std::string> names_;  // by list << 16 | id
  std::unordered_map<int32_t, CPDate> dates_;       // by offset in the block
};

#endif  // VYX_ANALYSIS_VYXOPERATIONSELECTION_H_
