#include "userfile/VYXProUserPrefs.h"

#include "accounts/VYXRecordCodec.h"

int16_t VYXProUserPrefs::GetDecimals(VYXDecimalsKind kind) const {
  switch (kind) {
    case kDecimalsResultats:
      return decimalesResultats;
    case kDecimalsQuantites:
      return decimalesQuantites;
    default:
      return decimalesMontants;
  }
}

void VYXProUserPrefs::SetDecimals(VYXDecimalsKind kind, int16_t decimals) {
  switch (kind) {
    case kDecimalsResultats:
      decimalesResultats = decimals;
      break;
    case kDecimalsQuantites:
      decimalesQuantites = decimals;
      break;
    default:
      decimalesMontants = decimals;
      break;
  }
}

void VYXProUserPrefs::ByteSwap() {
  version = VYXSwapped(version);
  decimalesMontants = VYXSwapped(decimalesMontants);
  decimalesResultats = VYXSwapped(decimalesResultats);
  decimalesQuantites = VYXSwapped(decimalesQuantites);
}

void VYXProUserPrefs::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXProUserPrefs::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
