#include "userfile/VYXVirementEnCours.h"

#include "accounts/VYXRecordCodec.h"

void VYXVirementEnCours::ByteSwap() {
  version = VYXSwapped(version);
  source = VYXSwapped(source);
  target = VYXSwapped(target);
  key = VYXSwapped(key);
  reserved = VYXSwapped(reserved);
}

void VYXVirementEnCours::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXVirementEnCours::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
