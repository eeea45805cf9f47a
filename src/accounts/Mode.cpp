#include "accounts/Mode.h"

#include "accounts/VYXRecordCodec.h"

void ModeTypeInfo::ByteSwap() {
  DeltaDay = VYXSwapped(DeltaDay);
  StopDay = VYXSwapped(StopDay);
}

void Mode::SetDefaultTypeOfMode() {
  if (type != 0) return;
  if (chequierID != 0) {
    type = 1;
  } else if (virementID != 0) {
    type = 4;
  } else if (debitModeType.Enabled && debitModeType.ModeType == kModeTypeDeferred) {
    type = 2;
  } else if (creditModeType.Enabled) {
    type = 5;
  }
}

void Mode::ByteSwap() {
  chequierID = VYXSwapped(chequierID);
  virementID = VYXSwapped(virementID);
  colorID = VYXSwapped(colorID);
  debitModeType.ByteSwap();
  creditModeType.ByteSwap();
  expirationCarte = VYXSwapped(expirationCarte);
}

void Mode::Encode(const CPDataEncoding& e) {
  expirationCarte = CPEncodeDate(expirationCarte, e);
  VYXEncodeText(noCarte, e);
  VYXEncodeText(titulaireCarte, e);
  VYXEncodeText(noAppelCarte, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Mode::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  expirationCarte = CPDecodeDate(expirationCarte, e);
  VYXDecodeText(noCarte, e);
  VYXDecodeText(titulaireCarte, e);
  VYXDecodeText(noAppelCarte, e);
}
