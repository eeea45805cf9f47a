// The criteria options that `vyx filtre` saves and `vyx ope liste` applies:
// label, amount, dates, statuses, months, cheque, voucher and statement
// numbers, and items of the dossier's lists. They fill a mask
// (analysis/VYXSelectionMask.h) in two steps: everything that can be checked
// is checked before a file is opened (dates and date formulas, amounts and
// formulas, statuses, months, widths); names and the values of formulas wait
// for the dossier. A group of options given replaces that group of the mask
// (the amount, the dates, one list...); an empty value empties it.
#ifndef VYX_CLI_VYXCRITERIAOPTIONS_H_
#define VYX_CLI_VYXCRITERIAOPTIONS_H_

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/VYXSelectionMask.h"
#include "cli/VYXCliFormula.h"

class VYXSDBUserPreferences;

// Texts of `filtre` and of the criteria (res/strings.fr).
constexpr int kVYXFiltreTexts = 30570;
enum VYXFiltreText : int {
  kFiltreHelp = 1,
  kFiltreHelpAjouter,
  kFiltreHelpListe,
  kFiltreHelpVoir,
  kFiltreHelpModifier,
  kFiltreHelpRenommer,
  kFiltreHelpSupprimer,
  kFiltreHelpNom,
  kFiltreHelpNouveau,
  kCritHelpLibelle,  // 10
  kCritHelpLibelleExact,
  kCritHelpMontant,
  kCritHelpMontantMin,
  kCritHelpMontantMax,
  kCritHelpDebits,
  kCritHelpCredits,
  kCritHelpDu,
  kCritHelpAu,
  kCritHelpStatut,
  kCritHelpCategorie,  // 20
  kCritHelpTiers,
  kCritHelpAffaire,
  kCritHelpAffectation,
  kCritHelpMode,
  kCritHelpTva,
  kCritHelpMois,
  kCritHelpCheque,
  kCritHelpPiece,
  kCritHelpReleve,
  kCritHelpVentilees,  // 30
  kCritHelpSansVentilees,
  kCritHelpFiltre,
  kCritHelpTous,
  kCritHelpCsv,
  kFiltreAdded,     // ^1: the filter
  kFiltreModified,  // ^1
  kFiltreRenamed,   // ^1, ^2: the new name
  kFiltreDeleted,   // ^1
  kFiltreNoSuch,    // ^1
  kFiltreExists,    // 40, ^1
  kFiltreNone,
  kFiltreEverything,
  kCritUnknownItem,  // ^1: the list, ^2: the name
  kCritBadMonth,     // ^1: the text typed
  kCritTooLong,      // ^1: the option, ^2: the text, ^3: the width
  kCritNoCompte,
  kCritTotalOne,   // ^1: count, ^2: total, ^3: currency
  kCritTotalMany,  // ^1: count, ^2: total, ^3: currency
  kCritNothing,
  kWordLibelle,   // 50
  kWordContains,  // ^1
  kWordIs,        // ^1
  kWordOr,
  kWordAnd,
  kWordMontant,
  kWordTva,
  kWordDate,
  kWordDatePointe,
  kWordStatut,
  kWordCategories,  // 60
  kWordAffectations,
  kWordTiers,
  kWordAffaires,
  kWordModes,
  kWordTauxTVA,
  kWordMois,
  kWordCheque,
  kWordPiece,
  kWordReleve,
  kWordVentilations,  // 70
  kWordIncluded,
  kWordEqual,      // ^1
  kWordDifferent,  // ^1
  kWordBetween,    // ^1, ^2
  kWordOutside,    // ^1, ^2
  kWordAtLeast,    // ^1
  kWordAtMost,     // ^1
  kWordBegins,     // ^1
  kWordEnds,       // ^1
  kWordDebits,     // 80
  kWordCredits,
  kWordDateBetween,  // ^1, ^2
  kWordDateFrom,     // ^1
  kWordDateTo,       // ^1
  kWordDateOn,       // ^1
  kWordDateNotOn,    // ^1
  kWordDateOutside,  // ^1, ^2
  kColFiltre,
  kColCriteres,
  kColCompte,  // 90
};

// The options as typed (UTF-8).
struct VYXCriteriaArgs {
  std::vector<std::string> libelle;
  bool libelleExact = false;
  std::optional<std::string> montant, montantMin, montantMax;
  bool debits = false, credits = false;
  std::optional<std::string> du, au;
  std::vector<std::string> statut, mois;
  std::vector<std::string> categorie, affectation, tiers, affaire, mode, tva;
  std::optional<std::string> cheque, piece, releve;
  bool ventilees = false, sansVentilees = false;
};

enum class VYXCriteriaUse {
  kSelect,  // a list: an empty value is refused where it would mean nothing
  kEdit,    // `filtre modifier`: --sans-ventilees too
};
void VYXAddCriteriaOptions(CLI::App* sub, VYXCriteriaArgs& args, VYXCriteriaUse use);

// The options read and checked, before the dossier opens.
struct VYXCriteria {
  std::optional<std::string> libelle;  // MacRoman, values joined by "¬"
  bool libelleExact = false;
  bool amountGiven = false;
  int16_t amountKind = kRangeNone, amountSign = kSignEither;
  std::optional<VYXAmountArg> amount1, amount2;
  // The first and last days, MacRoman as typed; empty: no such bound.
  std::optional<std::string> du, au;
  std::optional<std::vector<bool>> status;  // planned, committed, cleared
  std::optional<std::vector<bool>> months;
  // The names of each list (MacRoman), for the lists given.
  std::optional<std::vector<std::string>> categories, affectations, tiers, affaires, modes, tauxTVA;
  std::optional<std::pair<std::string, std::string>> cheque;  // second empty: one number
  std::optional<std::string> piece, releve;
  std::optional<bool> ventilees;

  bool Empty() const;
};
VYXCriteria VYXReadCriteria(const VYXCriteriaArgs& args);

// Puts the criteria into `mask`: names found in the dossier's lists (a
// family stands for its categories), formulas computed with `functions`.
void VYXApplyCriteria(const VYXCriteria& criteria, VYXSDBUserPreferences& user,
                      CPFunctionsProvider* functions, VYXSelectionMask* mask);
// A mask as the command line starts one: every operation, its own fields
// only (--ventilees reaches the split lines).
VYXSelectionMask VYXCliMask();

// A mask in words, a condition per line: (what, how) in UTF-8.
std::vector<std::pair<std::string, std::string>> VYXDescribeMask(const VYXSelectionMask& mask,
                                                                 VYXSDBUserPreferences& user);

#endif  // VYX_CLI_VYXCRITERIAOPTIONS_H_
