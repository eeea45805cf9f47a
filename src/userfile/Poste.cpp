#include "userfile/Poste.h"

#include "accounts/VYXRecordCodec.h"

void Poste::ByteSwap() { colorID = VYXSwapped(colorID); }

void Poste::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void Poste::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void BudgetItem::ByteSwap() {
  key1 = VYXSwapped(key1);
  key2 = VYXSwapped(key2);
  value1 = VYXSwapped(value1);
  value2 = VYXSwapped(value2);
}

void BudgetItem::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void BudgetItem::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
