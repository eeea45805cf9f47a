// Running a currency-rate script: the web access whose CALLBACK lines give
// rates, "CALLBACK DEVISE=USD,TAUX=0.9231[,BASE=1]": TAUX units of the
// dossier's reference currency for BASE units of DEVISE, as the dossier keeps
// them. ACTION=ERREUR with MESSAGE ends the script with that message.
#ifndef VYX_ONLINE_CPDEVISESACCESS_H_
#define VYX_ONLINE_CPDEVISESACCESS_H_

#include <functional>
#include <string>
#include <vector>

#include "online/CPWebAccess.h"

struct CPDeviseRate {
  std::string code;  // MacRoman, at most 31 bytes
  double taux = 0;
  double base = 1;
};

class CPDevisesAccess : public CPWebAccess {
 public:
  // `receive` answers true to stop the script.
  CPDevisesAccess(CPFileContainer container, std::function<bool(const CPDeviseRate&)> receive);
  // The error the script reported, or empty.
  const std::string& ErrorText() const { return errorText_; }

 protected:
  bool CallBack(const std::vector<CPSimpleScriptCallBackParam>& params) override;

 private:
  std::function<bool(const CPDeviseRate&)> receive_;
  std::string errorText_;
};

#endif  // VYX_ONLINE_CPDEVISESACCESS_H_
