#include "accounts/Affectation.h"

#include "accounts/VYXRecordCodec.h"

void Affectation::ByteSwap() {
  objectif = VYXSwapped(objectif);
  colorID = VYXSwapped(colorID);
}

void Affectation::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Affectation::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserAffaire::ByteSwap() {
  objectif = VYXSwapped(objectif);
  colorID = VYXSwapped(colorID);
}

void UserAffaire::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserAffaire::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
