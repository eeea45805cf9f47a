#include "analysis/VYXBilanPrefs.h"

#include "foundation/CPDates.h"

namespace {

template <typename T>
T Swapped(T v) {
  CPSwapField(v);
  return v;
}

}  // namespace

VYXCompteBilanPrefs::VYXCompteBilanPrefs() {
  int year = CPGetCurrentYear();
  periodStart = CPGetDate(1, 1, year);
  periodEnd = CPGetDate(31, 12, year);
}

void VYXCompteBilanPrefs::Normalize() {
  if (displayMode == 0) {
    *this = VYXCompteBilanPrefs();
    return;
  }
  if (displayMode < 1 || displayMode > kBilanModeCount) displayMode = kBilanMontants;
  CPDate start = periodStart, end = periodEnd;
  if (start == 0 || end == 0 || end < start) {
    VYXCompteBilanPrefs defaults;
    periodStart = defaults.periodStart;
    periodEnd = defaults.periodEnd;
  }
}

void VYXCompteBilanPrefs::ByteSwap() {
  displayMode = Swapped(int16_t(displayMode));
  periodStart = Swapped(CPDate(periodStart));
  periodEnd = Swapped(CPDate(periodEnd));
}

void VYXCompteBilanPrefs::Encode(const CPDataEncoding& e) {
  devise = CPCodeToStored(devise);
  periodStart = CPEncodeDate(periodStart, e);
  periodEnd = CPEncodeDate(periodEnd, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXCompteBilanPrefs::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  devise = CPCodeFromStored(devise);
  periodStart = CPDecodeDate(periodStart, e);
  periodEnd = CPDecodeDate(periodEnd, e);
}

void VYXCompteBilanCroisePrefs::ByteSwap() {
  bilan.ByteSwap();
  ttc = Swapped(int16_t(ttc));
}

void VYXCompteBilanCroisePrefs::Encode(const CPDataEncoding& e) {
  bilan.Encode(e);
  if (CPNeedByteSwapping(e)) ttc = Swapped(int16_t(ttc));
}

void VYXCompteBilanCroisePrefs::Decode(const CPDataEncoding& e) {
  bilan.Decode(e);
  if (CPNeedByteSwapping(e)) ttc = Swapped(int16_t(ttc));
}
