#include "userfile/Article.h"

#include "accounts/VYXRecordCodec.h"

void Article::ByteSwap() {
  prixUnitaire = VYXSwapped(prixUnitaire);
  tauxTVA = VYXSwapped(tauxTVA);
  categorie = VYXSwapped(categorie);
  couleur = VYXSwapped(couleur);
  prixAchat = VYXSwapped(prixAchat);
  ecoParticipation = VYXSwapped(ecoParticipation);
  decimalesQuantite = VYXSwapped(decimalesQuantite);
}

void Article::Encode(const CPDataEncoding& e) {
  VYXEncodeText(reference, e);
  VYXEncodeText(code, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Article::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(reference, e);
  VYXDecodeText(code, e);
}
