#include "accounts/OpPredefinie.h"

#include "accounts/VYXRecordCodec.h"

void OpPredefinie::ByteSwap() {
  tva = VYXSwapped(tva);
  date = VYXSwapped(date);
  mode = VYXSwapped(mode);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  sousOpsID = VYXSwapped(sousOpsID);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  virement = VYXSwapped(virement);
  affectation = VYXSwapped(affectation);
}

void OpPredefinie::Encode(const CPDataEncoding& e) {
  date = CPEncodeDate(date, e);
  VYXEncodeText(libelle, e);
  VYXEncodeText(montant, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void OpPredefinie::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  date = CPDecodeDate(date, e);
  VYXDecodeText(libelle, e);
  VYXDecodeText(montant, e);
}

void SousOpPredefinie::ByteSwap() {
  tva = VYXSwapped(tva);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  affectation = VYXSwapped(affectation);
}

void SousOpPredefinie::Encode(const CPDataEncoding& e) {
  VYXEncodeText(libelle, e);
  VYXEncodeText(montant, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void SousOpPredefinie::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(libelle, e);
  VYXDecodeText(montant, e);
}
