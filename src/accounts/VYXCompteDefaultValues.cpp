#include "accounts/VYXCompteDefaultValues.h"

#include "accounts/VYXRecordCodec.h"

void VYXCompteDefaultValues::ByteSwap() {
  mode = VYXSwapped(mode);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  tvaDep = VYXSwapped(tvaDep);
  tvaRec = VYXSwapped(tvaRec);
  affectation = VYXSwapped(affectation);
}

void VYXCompteDefaultValues::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXCompteDefaultValues::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
