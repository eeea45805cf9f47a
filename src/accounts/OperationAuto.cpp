#include "accounts/OperationAuto.h"

#include "accounts/VYXRecordCodec.h"
#include "foundation/CPDates.h"

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
