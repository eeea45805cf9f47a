#include "accounts/CompteDataHeader.h"

#include "accounts/VYXRecordCodec.h"
#include "platform/CPClock.h"

CompteDataHeader::CompteDataHeader(CompteFileDataType kind) : type(kind) {
  creation = modification = CPClock::Now();
}

void CompteDataHeader::ByteSwap() {
  marker = VYXSwapped(marker);
  creation = VYXSwapped(creation);
  modification = VYXSwapped(modification);
  dataID = VYXSwapped(dataID);
}

void CompteDataHeader::Encode(const CPDataEncoding& e) {
  creation = CPEncodeDate(creation, e);
  modification = CPEncodeDate(modification, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void CompteDataHeader::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  creation = CPDecodeDate(creation, e);
  modification = CPDecodeDate(modification, e);
}
