// The small totalizers that serve one report each, kept current from the
// accounts' messages like the totals engine. VYXOperation2ResTotalizer totals
// a period by pairs of list items (the cross table: category x allocation),
// all months together; VYXOperationResTimeTotalizer totals one list by item
// and month. An operation counts under its own items for its month of
// attribution; each split line moves its part to its own items, in its own
// month. Amounts are net of VAT unless the totalizer counts with VAT (SetTTC);
// amounts within 0.0001 of zero are left out.
//
// A totalizer covers the accounts it is given. Built over a user file's
// mapping it keys them by the user file's items and converts them to the
// reference currency; without one, by the account's own items. It listens to
// its accounts and owns nothing of them: an account must be removed before
// it closes.
#ifndef VYX_ANALYSIS_VYXTOTALIZER_H_
#define VYX_ANALYSIS_VYXTOTALIZER_H_

#include <vector>

#include "accounts/VYXCompte.h"
#include "analysis/VYXTotalArrays.h"
#include "analysis/VYXTotauxModules.h"
#include "foundation/CPBroadcaster.h"

class VYXUserMapping;

// The item of a list that an operation, or a split line, names (0: none).
CPResID VYXOperationListID(const Operation& op, VYXCompteList list);
CPResID VYXSousOperationListID(const SousOperation& line, VYXCompteList list);

class VYXTotalizer : public CPListener, public CPBroadcaster {
 public:
  explicit VYXTotalizer(VYXUserMapping* mapping = nullptr) : mapping_(mapping) {}
  ~VYXTotalizer() override;

  // Adds an account, or takes one out, and counts again ('TOTO' 20).
  void AddCompte(VYXCompte& compte);
  void RemoveCompte(VYXCompte& compte);
  // Covers exactly these accounts from now on, counting again once.
  void SetComptes(const std::vector<VYXCompte*>& comptes);
  const std::vector<VYXCompte*>& GetComptes() const { return comptes_; }

  // Only the months from (fromMonth, fromYear) to (toMonth, toYear), bounds
  // included, count; counts again. Unbounded until set.
  void SetPeriod(int fromMonth, int fromYear, int toMonth, int toYear);
  void ClearPeriod();
  // Amounts with their VAT; counts again when it changes.
  void SetTTC(bool ttc);
  bool GetTTC() const { return ttc_; }

  // Clears the totals and counts every operation of every account again.
  void Reload();

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  // The report's items for an operation and for a split line. `count` of
  // them (1 or 2) are read.
  virtual void GetOperationIDs(VYXCompte& compte, const Operation& op, CPResID ids[2]) = 0;
  virtual void GetSousOperationIDs(VYXCompte& compte, const Operation& op,
                                   const SousOperation& line, CPResID ids[2]) = 0;
  virtual void Clear() = 0;
  // Adds into the item of those IDs (already keyed) for that month.
  virtual void AddAmount(const CPResID ids[2], int month, int year, OpStatus status, double amount,
                         bool credit, bool quiet) = 0;
  // The key a report knows for the account's item of `list`.
  CPResID KeyOf(VYXCompte& compte, VYXCompteList list, CPResID id);

 private:
  bool InPeriod(int month, int year) const;
  void ApplyOperation(VYXCompte& compte, const Operation& op, int sign, bool quiet);
  void ApplySousOperation(VYXCompte& compte, const Operation& op, const SousOperation& line,
                          int sign, bool quiet);
  void ApplyLines(VYXCompte& compte, const Operation& op, int sign, bool quiet);
  void Add(VYXCompte& compte, const CPResID ids[2], int month, CPDate date, OpStatus status,
           double amount, bool credit, bool quiet);
  VYXCompte* CompteOf(CPBroadcaster* from);

  VYXUserMapping* mapping_;
  std::vector<VYXCompte*> comptes_;
  bool ttc_ = false;
  bool bounded_ = false;
  int from_ = 0;  // CPMonthYear serials
  int to_ = 0;
};

class VYXOperation2ResTotalizer : public VYXTotalizer {
 public:
  // The two lists whose items key the totals: an operation's (or split
  // line's) item of the first and of the second.
  VYXOperation2ResTotalizer(VYXCompteList first, VYXCompteList second,
                            VYXUserMapping* mapping = nullptr);
  // Binds the totalizer to two other lists and counts again.
  void SetResourceSet(VYXCompteList first, VYXCompteList second);

  ExtMontantSet Get(CPResID first, CPResID second) const { return items_.Get(first, second); }
  const VYX2ResTotalArray& GetArray() const { return items_; }

 protected:
  void GetOperationIDs(VYXCompte& compte, const Operation& op, CPResID ids[2]) override;
  void GetSousOperationIDs(VYXCompte& compte, const Operation& op, const SousOperation& line,
                           CPResID ids[2]) override;
  void Clear() override { items_.RemoveAll(); }
  void AddAmount(const CPResID ids[2], int month, int year, OpStatus status, double amount,
                 bool credit, bool quiet) override;

 private:
  VYXCompteList first_;
  VYXCompteList second_;
  VYX2ResTotalArray items_;
};

class VYXOperationResTimeTotalizer : public VYXTotalizer {
 public:
  explicit VYXOperationResTimeTotalizer(VYXCompteList list, VYXUserMapping* mapping = nullptr);
  void SetResourceSet(VYXCompteList list);

  ExtMontantSet Get(CPResID id, int month, int year) const { return items_.Get(month, year, id); }
  const VYXMonthTotalArray& GetArray() const { return items_; }

 protected:
  void GetOperationIDs(VYXCompte& compte, const Operation& op, CPResID ids[2]) override;
  void GetSousOperationIDs(VYXCompte& compte, const Operation& op, const SousOperation& line,
                           CPResID ids[2]) override;
  void Clear() override { items_.RemoveAll(); }
  void AddAmount(const CPResID ids[2], int month, int year, OpStatus status, double amount,
                 bool credit, bool quiet) override;

 private:
  VYXCompteList list_;
  VYXMonthTotalArray items_;
};

#endif  // VYX_ANALYSIS_VYXTOTALIZER_H_
