#include "userfile/UserDataHeader.h"

#include "accounts/VYXRecordCodec.h"
#include "platform/CPClock.h"

UserDataHeader::UserDataHeader(UserFileDataType kind) : type(kind) {
  creation = modification = CPClock::Now();
}

void UserDataHeader::ByteSwap() {
  marker = VYXSwapped(marker);
  creation = VYXSwapped(creation);
  modification = VYXSwapped(modification);
  dataID = VYXSwapped(dataID);
}

void UserDataHeader::Encode(const CPDataEncoding& e) {
  creation = CPEncodeDate(creation, e);
  modification = CPEncodeDate(modification, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserDataHeader::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  creation = CPDecodeDate(creation, e);
  modification = CPDecodeDate(modification, e);
}
