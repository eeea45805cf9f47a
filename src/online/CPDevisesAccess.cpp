#include "online/CPDevisesAccess.h"

#include "foundation/CPStringTable.h"
#include "online/CPAccountAccess.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"

CPDevisesAccess::CPDevisesAccess(CPFileContainer container, std::function<bool(const CPDeviseRate&)> receive)
    : CPWebAccess(std::move(container)), receive_(std::move(receive)) {}

bool CPDevisesAccess::CallBack(const std::vector<CPSimpleScriptCallBackParam>& params) {
  CPDeviseRate rate;
  std::string action, message;
  long code = 0;
  for (const CPSimpleScriptCallBackParam& p : params) {
    if (CPScriptSameName(p.name, "ACTION")) action = CPCallBackText(p.value);
    else if (CPScriptSameName(p.name, "DEVISE")) rate.code = CPCallBackText(p.value).substr(0, 31);
    else if (CPScriptSameName(p.name, "TAUX")) rate.taux = CPCallBackAmount(CPCallBackNumber(p.value));
    else if (CPScriptSameName(p.name, "BASE")) rate.base = CPCallBackAmount(CPCallBackNumber(p.value));
    else if (CPScriptSameName(p.name, "ERREUR")) code = CPScriptLong(p.value);
    else if (CPScriptSameName(p.name, "MESSAGE")) message = p.value;
  }
  if (CPScriptSameName(action, "ERREUR")) {
    errorText_ = CPFillVars(CPGetListString(kCPOnlineTextsList, kCPTextBankError), {std::to_string(code), message});
    return true;
  }
  // A rate of nothing, or for nothing, would turn every amount in that currency to 0.
  if (rate.code.empty() || !(rate.taux > 0) || !(rate.base > 0)) return false;
  return receive_ && receive_(rate);
}
