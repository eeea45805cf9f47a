// The arguments the reports share, read as the system reads what it is
// typed: months ("03/24", "3/2024", or a date whose month is taken),
// statuses ("prevue,engagee,pointee", accents and letter case aside), a
// currency of the dossier, a kind of category, a display mode. Each raises
// CPException with its French message when it refuses the text.
#ifndef VYX_CLI_VYXREPORTARGS_H_
#define VYX_CLI_VYXREPORTARGS_H_

#include <string>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPMonthPeriod.h"

class VYXUserPreferences;

CPMonthYear VYXArgMonth(const std::string& utf8);
// A number of months, 1 to 120.
int VYXArgMonths(const std::string& utf8);
// The statuses named, separated by commas.
void VYXArgStatuts(const std::string& utf8, bool* prevu, bool* engage, bool* pointe);
// A currency the dossier knows, by its code ("USD"); 0 for an empty text.
DeviseCode VYXArgDevise(const std::string& utf8, VYXUserPreferences& user);
// autres, depenses, recettes, epargne: the category kinds 0 to 3.
uint8_t VYXArgTypeBilan(const std::string& utf8);
// montants, pourcentages, cumuls, objectifs, ecarts: the display modes 1 to 5.
int16_t VYXArgModeBilan(const std::string& utf8);

// The texts of a kind of category and of a month as reports title them (UTF-8).
std::string VYXTypeBilanName(uint8_t kind);
std::string VYXShortMonth(CPMonthYear month);  // "janv. 24"
std::string VYXIsoMonth(CPMonthYear month);    // "2024-01"

#endif  // VYX_CLI_VYXREPORTARGS_H_
