// Amounts by status: MontantSet holds one double per OpStatus (planned,
// committed, cleared), TvaMontant the VAT totals of an account; both are
// stored inside CompteInfos. ExtMontantSet keeps debits and credits apart,
// each by status: the amount of every item of the totals engine. All are
// packed value types like the records.
#ifndef VYX_ACCOUNTS_MONTANTSET_H_
#define VYX_ACCOUNTS_MONTANTSET_H_

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct MontantSet {
  double montant[kOpStatusCount] = {0, 0, 0};  // indexed by OpStatus

  // Entry of a status; 0 for a value that is no status.
  double operator[](OpStatus status) const {
    return status < kOpStatusCount ? montant[status] : 0.0;
  }
  // Adds to the entry of `status`; nothing for a status beyond cleared.
  void Add(OpStatus status, double amount) {
    if (status < kOpStatusCount) montant[status] += amount;
  }
  double Total() const { return montant[0] + montant[1] + montant[2]; }
  // Each entry lies strictly within 0.0001 of zero.
  bool IsNull() const;
  // Zeroes the entries whose flag is false.
  void Filter(bool keep0, bool keep1, bool keep2);
  MontantSet& operator+=(const MontantSet& other);
  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct TvaMontant {
  double tvaDep = 0;  // VAT of the debits (expenses)
  double tvaRec = 0;  // VAT of the credits (receipts)

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// Debits (amounts below 0) and credits (0 or more), each by status. Stored
// in the totals' saved form: debits first, then credits.
struct ExtMontantSet {
  MontantSet debits;
  MontantSet credits;

  ExtMontantSet() = default;
  // Credits first, as the totals engine builds one.
  ExtMontantSet(const MontantSet& credit, const MontantSet& debit)
      : debits(debit), credits(credit) {}

  void Add(OpStatus status, double amount, bool credit) {
    (credit ? credits : debits).Add(status, amount);
  }
  // One status of both halves.
  double Prevu() const { return debits.montant[kOpPrevue] + credits.montant[kOpPrevue]; }
  double Engage() const { return debits.montant[kOpEngagee] + credits.montant[kOpEngagee]; }
  double Pointe() const { return debits.montant[kOpPointee] + credits.montant[kOpPointee]; }
  // The sum of the six entries.
  double Total() const { return debits.Total() + credits.Total(); }
  explicit operator double() const { return Total(); }
  // The two halves added status by status.
  explicit operator MontantSet() const;
  bool IsNull() const { return debits.IsNull() && credits.IsNull(); }
  // Zeroes the statuses whose flag is false, in both halves.
  void Filter(bool keep0, bool keep1, bool keep2);
  ExtMontantSet& operator+=(const ExtMontantSet& other);
  void Clear() { *this = ExtMontantSet(); }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(MontantSet) == 24);
static_assert(sizeof(TvaMontant) == 16);
static_assert(sizeof(ExtMontantSet) == 48);

// Adds `amount` to the entry of `status`. A status byte beyond cleared (a
// damaged record) adds nothing rather than writing past the set.
inline void MontantSet_Add(MontantSet& set, OpStatus status, double amount) {
  set.Add(status, amount);
}
// The sum of the three entries.
double MontantSet_Total(const MontantSet& set);
// Zeroes the entries whose flag is false.
void MontantSet_Filter(MontantSet& set, bool planned, bool committed, bool cleared);

// A running total kept apart by sense: the debits (amounts below 0) and the
// credits (0 or more). Held in memory only.
struct ExtMontant {
  double debit = 0;
  double credit = 0;

  void Add(double amount) { (amount < 0 ? debit : credit) += amount; }
  void Remove(double amount) { (amount < 0 ? debit : credit) -= amount; }
  double Total() const { return debit + credit; }
};

// Names of the three entries in the account's XML export, by OpStatus.
extern const char* const kMontantSetXMLNames[kOpStatusCount];

#endif  // VYX_ACCOUNTS_MONTANTSET_H_
