// Label rules ("libellés bancaires", the account's LibelleTelematique
// records): a pattern matched against a statement line's label, and the
// values it gives the operation made from the line. The pattern is the
// rule's name; its record's `libelle`, when not empty, is the label the
// operation takes instead of the bank's.
//
// A pattern without a backslash matches a label that starts with it (as many
// bytes as the pattern has, letter case and accents aside). "PRLV\EDF" is a
// start and a rest: the label starts with PRLV and holds EDF further on, in
// the label or in its second line (letter case counting there).
#ifndef VYX_EXCHANGE_VYXLABELRULES_H_
#define VYX_EXCHANGE_VYXLABELRULES_H_

#include <string>

#include "accounts/VYXCompte.h"

bool VYXLabelRuleMatches(const std::string& pattern, const std::string& label,
                         const std::string& complement);

// The first of the account's rules, in their order, that matches; false when
// none does. `name` receives the rule's pattern.
bool VYXFindLabelRule(VYXCompte& compte, const std::string& label, const std::string& complement,
                      LibelleTelematique* rule, std::string* name = nullptr);

#endif  // VYX_EXCHANGE_VYXLABELRULES_H_
