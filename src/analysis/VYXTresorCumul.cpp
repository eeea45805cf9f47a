#include "analysis/VYXTresorCumul.h"

#include <algorithm>

#include "foundation/CPDates.h"

void VYXTresorDay::ByteSwap() {
  CPDate d = day;
  CPSwapField(d);
  day = d;
  double m = montant;
  CPSwapField(m);
  montant = m;
}

void VYXTresorDay::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXTresorDay::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

namespace {

CPDate DayOf(CPDate date) { return date - date % kCPSecondsPerDay; }

int32_t FirstNotBefore(const CPArray_T<VYXTresorDay>& days, CPDate day) {
  const VYXTresorDay* at =
      std::lower_bound(days.begin(), days.end(), day,
                       [](const VYXTresorDay& d, CPDate key) { return CPDate(d.day) < key; });
  return int32_t(at - days.begin());
}

}  // namespace

void VYXTresorCumul::Add(CPDate date, double amount) {
  CPDate day = DayOf(date);
  int32_t at = FirstNotBefore(*this, day);
  if (at == Count() || CPDate((*this)[at].day) != day) {
    VYXTresorDay entry;
    entry.day = day;
    InsertAt(at, entry);
  }
  (*this)[at].montant = double((*this)[at].montant) + amount;
}

double VYXTresorCumul::SoldeAu(CPDate date) const {
  double sum = 0;
  for (const VYXTresorDay& d : *this) {
    if (CPDate(d.day) > DayOf(date)) break;
    sum += double(d.montant);
  }
  return sum;
}
