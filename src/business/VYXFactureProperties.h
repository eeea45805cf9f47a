// The properties of a sales document by four-character code, the names
// under which text files and scripts exchange them ('date', 'no  ',
// 'clie'...), in their fixed order; their display names are string list 636
// by the same numbers. Values travel as text (MacRoman): dates as the
// system writes them, numbers with the decimal comma, stages, quote states
// and months by their French words, and the items a document names (the
// customer, the payment mode, the case, the allocation, a line's VAT rate) by
// their names in the dossier's lists. Line properties ('lRef'...'lTVA') take
// the line's index, from 1.
#ifndef VYX_BUSINESS_VYXFACTUREPROPERTIES_H_
#define VYX_BUSINESS_VYXFACTUREPROPERTIES_H_

#include <span>
#include <string>

#include "userfile/VYXUserPreferences.h"

enum class VYXPropType : uint8_t { kDate, kText, kNumber, kBool, kEnum, kShort, kLong, kResID };

struct VYXFactureProperty {
  int no;  // 1 to 59, the item of string list 636
  OSType code;
  VYXPropType type;
  int capacity;  // of a text, its length byte included; 0 otherwise
};

std::span<const VYXFactureProperty> VYXFactureProperties();
// Null for a code documents do not have.
const VYXFactureProperty* VYXFindFactureProperty(OSType code);
// The display name (MacRoman).
std::string VYXFacturePropertyName(const VYXFactureProperty& property);
// Whether a property is one of each line's.
bool VYXIsLineProperty(OSType code);

// The value of a property of `facture` (of its line `ligne` for a line
// property). False for an unknown code or a line out of the document.
bool VYXGetFactureProperty(VYXUserPreferences& user, const Facture& facture, OSType code,
                           int ligne, std::string* value);
// Sets it from its text; a text longer than the field is cut. False, with
// the document unchanged, for an unknown code, a line out of the document, a
// value that is not one (a date that does not exist, a name the list lacks)
// or a property the document computes (its totals, its number of lines).
bool VYXSetFactureProperty(VYXUserPreferences& user, Facture& facture, OSType code, int ligne,
                           const std::string& value);

#endif  // VYX_BUSINESS_VYXFACTUREPROPERTIES_H_
