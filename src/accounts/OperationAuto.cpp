#include "accounts/OperationAuto.h"

#include "accounts/VYXRecordCodec.h"
#include "foundation/CPDates.h"

CPDate DateOffset(CPDate date, int n, TimeUnit unit) {
  static constexpr int64_t kSeconds[] = {1, 60, 3600, 86400, 604800};
  switch (unit) {
    case kTimeSeconds:
    case kTimeMinutes:
    case kTimeHours:
    case kTimeDays:
    case kTimeWeeks: {
      int64_t moved = int64_t(date) + int64_t(n) * kSeconds[unit];
      // A date vyx cannot hold is not made: the step is not taken.
      return moved > 0 && moved <= int64_t(UINT32_MAX) ? CPDate(moved) : date;
    }
    case kTimeMonths:
      return CPAddMonths(date, n);
    case kTimeQuarters:
      return CPAddMonths(date, 3 * n);
    case kTimeYears:
      return CPAddMonths(date, 12 * n);
    default:
      return date;
  }
}

CPDate OperationAuto::GetNextDate(int steps, TimeUnit unit) const {
  int day = nextDay != 0 ? nextDay : CPGetDayOfMonth(next);
  CPDate moved = DateOffset(next, steps, unit);
  if (unit == kTimeMonths || unit == kTimeQuarters || unit == kTimeYears) {
    moved = CPSetDayOfMonth(moved, day);
  }
  return moved;
}

void OperationAuto::SetNextDate() {
  if (nextDay == 0) nextDay = uint16_t(CPGetDayOfMonth(next));
  next = GetNextDate(periode, periodeUnit);
}

bool OperationAuto::IsValidMonth(int month) const {
  if (month < 1 || month > 32) return false;
  return (monthFilter >> (month - 1)) & 1u;
}

void OperationAuto::SetMonthFilter(int month, bool on) {
  if (month < 1 || month > 32) return;
  uint32_t bit = 1u << (month - 1);
  monthFilter = on ? (monthFilter | bit) : (monthFilter & ~bit);
}

bool OperationAuto::CanBeGenerated() const {
  // By calendar day: a limit keeps its whole day whatever its time.
  if (hasDateLimit && CPCompareDates(next, dateLimit) > 0) return false;
  if (hasNbrLimit && number >= numberLimit) return false;
  return true;
}

void OperationAuto::ByteSwap() {
  next = VYXSwapped(next);
  nextDay = VYXSwapped(nextDay);
  periode = VYXSwapped(periode);
  monthFilter = VYXSwapped(monthFilter);
  dateLimit = VYXSwapped(dateLimit);
  numberLimit = VYXSwapped(numberLimit);
  number = VYXSwapped(number);
  before = VYXSwapped(before);
  tva = VYXSwapped(tva);
  mode = VYXSwapped(mode);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  sousOpsID = VYXSwapped(sousOpsID);
  placementEmpruntID = VYXSwapped(placementEmpruntID);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  virement = VYXSwapped(virement);
  affectation = VYXSwapped(affectation);
}

void OperationAuto::Encode(const CPDataEncoding& e) {
  next = CPEncodeDate(next, e);
  dateLimit = CPEncodeDate(dateLimit, e);
  VYXEncodeText(libelle, e);
  VYXEncodeText(montant, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void OperationAuto::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  next = CPDecodeDate(next, e);
  dateLimit = CPDecodeDate(dateLimit, e);
  VYXDecodeText(libelle, e);
  VYXDecodeText(montant, e);
}

void GenerateAuto::ByteSwap() {
  dateEngage = VYXSwapped(dateEngage);
  dataID = VYXSwapped(dataID);
}

void GenerateAuto::Encode(const CPDataEncoding& e) {
  dateEngage = CPEncodeDate(dateEngage, e);
  VYXEncodeText(libelle, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void GenerateAuto::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  dateEngage = CPDecodeDate(dateEngage, e);
  VYXDecodeText(libelle, e);
}
