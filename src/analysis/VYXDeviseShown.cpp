#include "analysis/VYXDeviseShown.h"

#include "userfile/VYXUserPreferences.h"

double VYXConvertMontant(VYXUserPreferences* user, DeviseCode from, DeviseCode to, double amount) {
  if (!user || from == to) return amount;
  return user->MontantToDevise(to, user->DeviseToMontant(from, amount));
}

void VYXDeviseShown::Set(VYXUserPreferences* user, DeviseCode source, DeviseCode chosen) {
  user_ = user;
  source_ = source;
  shown_ = chosen != 0 ? chosen : source;
  converts_ = user_ != nullptr && shown_ != source_;
  known_ = true;
}
