#include "exchange/VYXLabelRules.h"

#include "foundation/CPCompare.h"
#include "foundation/CPStrings.h"

bool VYXLabelRuleMatches(const std::string& pattern, const std::string& label,
                         const std::string& complement) {
  size_t backslash = pattern.find('\\');
  std::string start = pattern.substr(0, backslash);
  if (label.size() < start.size()) return false;
  if (!start.empty() && !CPEqualString(std::string_view(label).substr(0, start.size()), start,
                                       false, false)) {
    return false;
  }
  if (backslash == std::string::npos) return true;
  std::string rest = pattern.substr(backslash + 1);
  return label.find(rest, start.size()) != std::string::npos ||
         complement.find(rest) != std::string::npos;
}

bool VYXFindLabelRule(VYXCompte& compte, const std::string& label, const std::string& complement,
                      LibelleTelematique* rule, std::string* name) {
  CPResourceSet_T<LibelleTelematique>& rules = compte.GetLibelles();
  for (CPResID id : CPResourceIDsInOrder(rules)) {
    Str255 pattern;
    rules.GetResourceName(id, pattern);
    if (!VYXLabelRuleMatches(PToStd(pattern), label, complement)) continue;
    if (!rules.ReadResource(id, rule)) continue;
    if (name) *name = PToStd(pattern);
    return true;
  }
  return false;
}
