// A cash-flow accumulation: the net amount that moves on each day, sorted by
// day, from which the balance at any date is the sum of the days up to it.
// The totals engine keeps three: in bank (cleared operations, on the day the
// bank booked them), real (planned and committed ones, on their date) and
// final (every operation, on its date).
#ifndef VYX_ANALYSIS_VYXTRESORCUMUL_H_
#define VYX_ANALYSIS_VYXTRESORCUMUL_H_

#include "foundation/CPEncodableArray_T.h"

#pragma pack(push, 1)
struct VYXTresorDay {
  CPDate day = 0;  // midnight
  double montant = 0;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};
#pragma pack(pop)
static_assert(sizeof(VYXTresorDay) == 12);

class VYXTresorCumul : public CPEncodableArray_T<VYXTresorDay> {
 public:
  // Adds to the day of `date`; a day whose amount comes back to zero stays.
  void Add(CPDate date, double amount);
  // The sum of the days up to `date`'s, included.
  double SoldeAu(CPDate date) const;
};

#endif  // VYX_ANALYSIS_VYXTRESORCUMUL_H_
