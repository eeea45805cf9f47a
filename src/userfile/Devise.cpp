#include "userfile/Devise.h"

#include "accounts/VYXRecordCodec.h"

void Devise::ByteSwap() {
  taux = VYXSwapped(taux);
  base = VYXSwapped(base);
}

void Devise::Encode(const CPDataEncoding& e) {
  VYXEncodeText(monnaie, e);
  VYXEncodeText(symbole, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Devise::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(monnaie, e);
  VYXDecodeText(symbole, e);
}
