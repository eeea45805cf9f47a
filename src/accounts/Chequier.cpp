#include "accounts/Chequier.h"

#include "accounts/VYXRecordCodec.h"

void Chequier::ByteSwap() {
  first = VYXSwapped(first);
  number = VYXSwapped(number);
  next = VYXSwapped(next);
}

void Chequier::Encode(const CPDataEncoding& e) {
  VYXEncodeText(prefix, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Chequier::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(prefix, e);
}

void CompteTarget::ByteSwap() { aliasID = VYXSwapped(aliasID); }

void CompteTarget::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void CompteTarget::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
