// What an account knows of its reconciliation: the bank date of an operation
// from its payment mode, the last day the bank statements were cleared up to,
// and whether the pending operations' bank dates still fit with it.
#include "accounts/VYXCompte.h"
#include "accounts/VYXDatePointe.h"
#include "foundation/CPDates.h"

bool VYXCompte::DateToDatePointe(CPDate date, CPResID modeID, MontantType sense,
                                 CPDate* bankDate) {
  *bankDate = date;
  Mode mode;
  if (modeID == 0 || !GetModes().ReadResource(modeID, &mode)) return false;
  *bankDate = ::DateToDatePointe(date, mode, sense);
  return true;
}

bool VYXCompte::GetLastDatePointe(CPDate* date) {
  bool found = false;
  CPDate last = 0;
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    if (op.status != kOpPointee) continue;
    CPDate bank = op.GetDatePointe();
    if (!found || CPCompareDates(bank, last) > 0) last = bank;
    found = true;
  }
  if (found) *date = last;
  return found;
}

bool VYXCompte::PointageFaitEnDateDu(CPDate date) {
  CPDate last = 0;
  GetLastDatePointe(&last);
  if (last != 0 && CPCompareDates(last, date) >= 0) return true;
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    if (op.status != kOpPointee && CPCompareDates(op.GetDatePointe(), date) <= 0) return false;
  }
  return true;
}

bool VYXCompte::DatesPointageAjustees() {
  CPDate last = 0;
  if (!GetLastDatePointe(&last)) return true;
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    if (op.status != kOpPointee && CPCompareDates(op.GetDatePointe(), last) <= 0) return false;
  }
  return true;
}
