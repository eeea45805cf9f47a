#include "accounts/TauxTVA.h"

#include "accounts/VYXRecordCodec.h"

void TauxTVA::ByteSwap() { taux = VYXSwapped(taux); }

void TauxTVA::Encode(const CPDataEncoding& e) {
  VYXEncodeText(noCompte, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void TauxTVA::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(noCompte, e);
}
