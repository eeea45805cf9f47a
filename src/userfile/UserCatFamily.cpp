#include "userfile/UserCatFamily.h"

#include "accounts/VYXRecordCodec.h"

void UserCatFamily::ByteSwap() { colorID = VYXSwapped(colorID); }

void UserCatFamily::Encode(const CPDataEncoding& e) {
  VYXEncodeText(noCompte, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserCatFamily::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(noCompte, e);
}
