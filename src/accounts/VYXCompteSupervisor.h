// What an open account needs from the user file it belongs to: the reference
// currency that stands for "the account's own currency" when it has none, the
// last password typed in this session (so that accounts sharing a password
// open without asking again), and the hooks the user file runs when the
// account opens and closes. The user file implements it; it must outlive
// every account it supervises.
#ifndef VYX_ACCOUNTS_VYXCOMPTESUPERVISOR_H_
#define VYX_ACCOUNTS_VYXCOMPTESUPERVISOR_H_

#include <string>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPFunctionsProvider.h"

class VYXCompte;
class VYXCompteDirectory;

class VYXCompteSupervisor {
 public:
  virtual ~VYXCompteSupervisor() = default;

  // The code of the user file's reference currency ('EUR ').
  virtual DeviseCode GetReferenceDevise() = 0;

  // The last password accepted in this session (MacRoman), empty when none.
  virtual std::string GetLastPassword() = 0;
  virtual void SetLastPassword(const std::string& password) = 0;

  // Called once the account is loaded and its sums checked, before it is
  // written back: the user file checks the account's lists against its own
  // and takes in the items it lacks. May change the account's sets; an
  // exception abandons the opening.
  virtual void CheckCompte(VYXCompte& compte) = 0;
  // The account is about to close; its sets are still readable.
  virtual void CompteBeingClosed(VYXCompte& compte) = 0;

  // The decimals amounts are rounded to (VAT amounts computed by the account).
  virtual int GetMontantDecimals() { return 2; }

  // The other accounts of the dossier, for transfers; null when the
  // supervisor knows none (an account alone makes no transfer).
  virtual VYXCompteDirectory* GetDirectory() { return nullptr; }

  // A currency unit of a formula typed in an account whose currency is
  // `devise` (100USD, USD(100), 100$): answers false when `name` is no
  // currency of the user file; otherwise `found` says whether the parameters
  // suit it and `result` is the amount in the account's currency. Without a
  // user file there are no currencies.
  virtual bool EvaluateDevise(ConstStringPtr /*name*/, ParamStack* /*params*/,
                              DeviseCode /*devise*/, double* /*result*/, bool* /*found*/) {
    return false;
  }
  // How quantities of securities are written: decimals and thousands grouping.
  virtual void GetQuantityFormat(int16_t* decimals, bool* thousands) {
    *decimals = 4;
    *thousands = true;
  }
};

#endif  // VYX_ACCOUNTS_VYXCOMPTESUPERVISOR_H_
