#include "accounts/MontantSet.h"

#include "accounts/VYXRecordCodec.h"

const char* const kMontantSetXMLNames[kOpStatusCount] = {"REPORT_PREVU", "REPORT_ENGAGE",
                                                         "REPORT_POINTE"};

void MontantSet::ByteSwap() {
  for (int i = 0; i < kOpStatusCount; ++i) montant[i] = VYXSwapped(montant[i]);
}

void MontantSet::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void MontantSet::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void TvaMontant::ByteSwap() {
  tvaDep = VYXSwapped(tvaDep);
  tvaRec = VYXSwapped(tvaRec);
}

void TvaMontant::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void TvaMontant::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

double MontantSet_Total(const MontantSet& set) { return set.Total(); }

void MontantSet_Filter(MontantSet& set, bool planned, bool committed, bool cleared) {
  set.Filter(planned, committed, cleared);
}

bool MontantSet::IsNull() const {
  for (int i = 0; i < kOpStatusCount; ++i) {
    double v = montant[i];
    if (!(v > -0.0001 && v < 0.0001)) return false;
  }
  return true;
}

void MontantSet::Filter(bool keep0, bool keep1, bool keep2) {
  if (!keep0) montant[kOpPrevue] = 0;
  if (!keep1) montant[kOpEngagee] = 0;
  if (!keep2) montant[kOpPointee] = 0;
}

MontantSet& MontantSet::operator+=(const MontantSet& other) {
  for (int i = 0; i < kOpStatusCount; ++i) montant[i] += other.montant[i];
  return *this;
}

ExtMontantSet::operator MontantSet() const {
  MontantSet sum = debits;
  sum += credits;
  return sum;
}

void ExtMontantSet::Filter(bool keep0, bool keep1, bool keep2) {
  debits.Filter(keep0, keep1, keep2);
  credits.Filter(keep0, keep1, keep2);
}

ExtMontantSet& ExtMontantSet::operator+=(const ExtMontantSet& other) {
  debits += other.debits;
  credits += other.credits;
  return *this;
}

void ExtMontantSet::ByteSwap() {
  debits.ByteSwap();
  credits.ByteSwap();
}

void ExtMontantSet::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void ExtMontantSet::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
