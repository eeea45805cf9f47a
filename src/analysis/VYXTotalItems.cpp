#include "analysis/VYXTotalItems.h"

namespace {

template <typename T>
T Swapped(T v) {
  CPSwapField(v);
  return v;
}

}  // namespace

void VYXMonthTotalItem::ByteSwap() {
  month = Swapped(month);
  year = Swapped(year);
  id = Swapped(id);
  montants.ByteSwap();
}

void VYXMonthTotalItem::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXMonthTotalItem::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYX2ResTotalItem::ByteSwap() {
  first = Swapped(first);
  second = Swapped(second);
  montants.ByteSwap();
}

void VYX2ResTotalItem::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYX2ResTotalItem::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXTitreTotalItem::ByteSwap() {
  titre = Swapped(titre);
  quantity = Swapped(double(quantity));
  montants.ByteSwap();
}

void VYXTitreTotalItem::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXTitreTotalItem::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
