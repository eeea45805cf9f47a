#include "accounts/CompteInfos.h"

#include <cstring>

#include "accounts/CPCryptString.h"
#include "accounts/VYXRecordCodec.h"

void CompteInfos::SetPassWord(ConstStringPtr password) {
  std::memcpy(passWord, password, password[0] + 1u);
  crypt = CPCryptStringVersion;
  CPCryptString(passWord, crypt);
}

bool CompteInfos::GetPassWord(StringPtr password) const {
  Str255 clear;
  std::memcpy(clear, passWord, sizeof clear);
  if (!CPDecryptString(clear, crypt)) return false;
  std::memcpy(password, clear, clear[0] + 1u);
  return true;
}

void CompteInfos::SwapFields() {
  report.ByteSwap();
  total.ByteSwap();
  tvaTotaux.ByteSwap();
  autoIncrement = VYXSwapped(autoIncrement);
  nbOfOperations = VYXSwapped(nbOfOperations);
  linkID = VYXSwapped(linkID);
  historiqueDate = VYXSwapped(historiqueDate);
  historiqueOffset = VYXSwapped(historiqueOffset);
  lastReloadDate = VYXSwapped(lastReloadDate);
  reserved = VYXSwapped(reserved);
  lockDate = VYXSwapped(lockDate);
}

void CompteInfos::ByteSwap() {
  header.ByteSwap();
  SwapFields();
}

void CompteInfos::Encode(const CPDataEncoding& e) {
  header.Encode(e);
  historiqueDate = CPEncodeDate(historiqueDate, e);
  lastReloadDate = CPEncodeDate(lastReloadDate, e);
  reserved = CPEncodeDate(reserved, e);
  lockDate = CPEncodeDate(lockDate, e);
  devise = CPCodeToStored(devise);
  if (CPNeedByteSwapping(e)) SwapFields();
}

void CompteInfos::Decode(const CPDataEncoding& e) {
  header.Decode(e);
  if (CPNeedByteSwapping(e)) SwapFields();
  devise = CPCodeFromStored(devise);
  historiqueDate = CPDecodeDate(historiqueDate, e);
  lastReloadDate = CPDecodeDate(lastReloadDate, e);
  reserved = CPDecodeDate(reserved, e);
  lockDate = CPDecodeDate(lockDate, e);
}
