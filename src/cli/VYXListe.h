// What the `vyx liste` commands share (VYXListeCommands.cpp shows and
// changes the lists, VYXListeImExCommands.cpp exports and imports them): the
// lists themselves, their texts, and the reading and writing of names,
// kinds and rates as the user types and reads them.
#ifndef VYX_CLI_VYXLISTE_H_
#define VYX_CLI_VYXLISTE_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "resources/CPResourceSet.h"
#include "userfile/VYXUserPreferences.h"

namespace CLI {
class App;
}
struct VYXCliContext;

namespace vyxliste {

constexpr int kListeTexts = 30170;
enum : int {
  kHelpListe = 1,
  kHelpCategories,
  kHelpAffectations,
  kHelpTiers,
  kHelpAffaires,
  kHelpModes,
  kHelpDevises,
  kHelpTVA,
  kHelpAjouter,
  kHelpRenommer,
  kHelpSupprimer,
  kHelpNom,
  kHelpNouveau,
  kHelpTypeCategorie,
  kHelpTypeTiers,
  kHelpTypeMode,
  kHelpTypeTVA,
  kHelpTaux,
  kColNom = 20,
  kColType,
  kColTaux,
  kColBase,
  kColMonnaie,
  kColSymbole,
  kReference,
  kNameCategories = 30,  // the list's name in messages, in list order
  kCategorieKinds = 40,  // 40 + the kind, 0 to 3
  kTiersKinds = 45,      // 45 + the kind, 0 to 5; an empty text has no word
  kEmptyList = 60,       // ^1: the list
  kNoSuchItem,           // ^1: the list, ^2: the name
  kNoName,
  kBadType,          // ^1: the text typed
  kAdded,            // ^1: the name, ^2: the list
  kAddedUnique,      // ^1: the name given, ^2: the list, ^3: the item that had the name
  kRenamed,          // ^1, ^2: the names
  kConfirmMerge,     // ^1: the list, ^2: the name kept, ^3: the name merged
  kMerged,           // ^1: the name merged, ^2: the name kept
  kSameName,         // ^1: the name
  kConfirmDelete,    // ^1: the name, ^2: the account
  kDeleted,          // ^1: the name, ^2: the list
  kDeletedKept,      // ^1: the name, ^2: the list, ^3: the accounts
  kBadDeviseName,    // ^1: the name
  kReferenceDevise,  // ^1: the code
  kDeviseUsed,       // ^1: the code, ^2: the account
  kNameTooLong,
  kCannotDelete,  // ^1: the name, ^2: the list
  kDeviseExists,  // ^1: the code
};


// Texts added later, in a list of their own.
constexpr int kListeMoreTexts = 30502;
enum : int {
  kModeKinds = 1,  // 1 + the kind, 0 to 5
  kHelpTypeModeWords = 7,
  kHelpFamille,
  kHelpTauxDevise,
  kHelpModifier,
  kFamilleAdded,      // ^1: the family
  kModified,          // ^1: the name, ^2: the list
  kNothingToModify,   // ^1: the list
  kReferenceRate,     // ^1: the code
  kNoFamilyHere,      // ^1: the list
  kNoRateHere,        // ^1: the list
  kNoKindHere,        // ^1: the list
  kColFamille,
  kHelpExporter,
  kHelpImporter,
  kHelpFichierExport,
  kHelpFichierImport,
  kHelpRemplacer,
  kBadDeviseRate,  // ^1: the text typed
};

std::string T(int item);  // UTF-8
std::string M(int item);  // MacRoman
std::string T2(int item);
std::string M2(int item);

enum class Liste { kCategories, kAffectations, kTiers, kAffaires, kModes, kDevises, kTVA };

struct ListeInfo {
  Liste liste;
  const char* command;
  int help;
  int typeHelp;  // the help of --type, 0 for a list whose records have no kind
};
extern const ListeInfo kListes[7];

// The list's name in messages (MacRoman): "catégories", "taux de TVA"...
std::string ListeName(Liste liste);
VYXSharedList SharedOf(Liste liste);
// The type of the list's records ('CATE', 'DEVI'...).
ResType TypeOf(Liste liste);
CPResourceSet& SetOf(VYXUserPreferences& dossier, Liste liste);
std::string NameOf(CPResourceSet& set, CPResID id);
// A name typed for an item: MacRoman, not empty, and whole in a resource name.
std::string ItemName(const std::string& utf8);
// A currency's name is its code: four characters at most, in capitals.
std::string DeviseName(const std::string& utf8);
CPString P(const std::string& macRoman);
// The item of that name, letter case and accents aside; refused when none.
CPResID FindItem(CPResourceSet& set, Liste liste, const std::string& name);
// Codes compared as they are typed: "usd" names 'USD '.
bool SameCode(OSType a, OSType b);
// A rate as the user reads it: up to six decimals, no trailing zeros.
std::string RateText(double value);
// The kind of an item (the `type` of categories, payees and modes, the use of
// VAT rates) as shown: its French word when it has one, else its number.
std::string KindWord(Liste liste, uint8_t kind);
// A kind as typed: a number, or for categories, payees and modes their word.
uint8_t ParseKind(Liste liste, const std::string& utf8);
// The item as `liste --json` gives it.
nlohmann::json ItemJson(VYXUserPreferences& dossier, Liste liste, CPResID id);

// `exporter` and `importer` under the command of a list (VYXListeImExCommands.cpp).
void AddImExCommands(CLI::App* type, Liste liste, VYXCliContext& ctx);

}  // namespace vyxliste

#endif  // VYX_CLI_VYXLISTE_H_
