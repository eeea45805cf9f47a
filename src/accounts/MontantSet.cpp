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

double MontantSet_Total(const MontantSet& set) {
  return set.montant[0] + set.montant[1] + set.montant[2];
}

void MontantSet_Filter(MontantSet& set, bool planned, bool committed, bool cleared) {
  if (!planned) set.montant[kOpPrevue] = 0;
  if (!committed) set.montant[kOpEngagee] = 0;
  if (!cleared) set.montant[kOpPointee] = 0;
}
