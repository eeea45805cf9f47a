#include "accounts/Categorie.h"

#include "accounts/VYXRecordCodec.h"

void Categorie::ByteSwap() {
  objectif = VYXSwapped(objectif);
  colorID = VYXSwapped(colorID);
}

void Categorie::Encode(const CPDataEncoding& e) {
  VYXEncodeText(noCompte, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Categorie::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(noCompte, e);
}
