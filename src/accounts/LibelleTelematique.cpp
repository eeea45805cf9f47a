#include "accounts/LibelleTelematique.h"

#include "accounts/VYXRecordCodec.h"

void LibelleTelematique::ByteSwap() {
  mode = VYXSwapped(mode);
  mois = VYXSwapped(mois);
  categorie = VYXSwapped(categorie);
  tva = VYXSwapped(tva);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  affectation = VYXSwapped(affectation);
}

void LibelleTelematique::Encode(const CPDataEncoding& e) {
  VYXEncodeText(libelle, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void LibelleTelematique::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(libelle, e);
}
