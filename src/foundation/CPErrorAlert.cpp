#include "foundation/CPErrorAlert.h"

#include <string>

#include "foundation/CPStringTable.h"
#include "platform/CPInteraction.h"

namespace {
constexpr int kCPErrorWithCodeItem = 4;  // "^1 (erreur n° ^2)"
}  // namespace

void CPAlertException(const CPException& error) {
  if (error.Code() == 0) return;
  std::string text = error.DisplayText();
  // The generic text of an unknown code already names the code.
  if (!error.Message().empty() || !CPGetErrorText(error.Code()).empty()) {
    std::string withCode = CPGetListString(kCPErrorsListID, kCPErrorWithCodeItem);
    // The code first: the message may itself hold a "^2".
    CPReplaceVar(withCode, 2, std::to_string(error.Code()));
    CPReplaceVar(withCode, 1, text);
    text = withCode;
  }
  CPGetInteraction().Alert(text);
}
