// Amounts by status: MontantSet holds one double per OpStatus (planned,
// committed, cleared), TvaMontant the VAT totals of an account. Both are
// stored inside CompteInfos, so they are packed value types like the records.
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

#pragma pack(pop)

static_assert(sizeof(MontantSet) == 24);
static_assert(sizeof(TvaMontant) == 16);

// Adds `amount` to the entry of `status`. A status byte beyond cleared (a
// damaged record) adds nothing rather than writing past the set.
inline void MontantSet_Add(MontantSet& set, OpStatus status, double amount) {
  if (status < kOpStatusCount) set.montant[status] += amount;
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
