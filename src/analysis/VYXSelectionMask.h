// The operation mask: the conditions of a filter one per slot (label, amount,
// VAT amount, dates, statuses, months, cheque, statement and voucher numbers,
// lists of items), as the filter dialog and `vyx filtre` edit them and as the
// user file keeps them in its saved selections ('SEL '). ConvertMaskToSelection
// turns one into the encoded selection that OperationIsSelected applies;
// ConvertSelectionToMask goes back.
//
// Lists name items by the IDs of the sets they are converted with (the user
// file's, for a saved mask); the selection names them by their names, so that
// it applies in every account.
#ifndef VYX_ANALYSIS_VYXSELECTIONMASK_H_
#define VYX_ANALYSIS_VYXSELECTIONMASK_H_

#include <string>
#include <vector>

#include "analysis/CPSelection.h"
#include "analysis/VYXSelectionCriteria.h"
#include "foundation/CPVariablesProvider.h"

class CPResourceSet;
class VYXCompte;
class VYXUserPreferences;

constexpr int16_t kVYXSelectionMaskVersion = 4;

struct VYXSelectionMask {
  int16_t version = kVYXSelectionMaskVersion;
  // The label contains one of the texts (or all of them), separated by "¬".
  CPSelectionListOperator libelleListOp = kListAny;
  Str255 libelle = {};
  int16_t montantKind = kRangeNone;   // VYXRangeKind
  int16_t montantSign = kSignEither;  // VYXAmountSign
  double montant1 = 0, montant2 = 0;
  // Dates as typed: dates, or date formulas evaluated at each use.
  int16_t dateKind = kRangeNone;
  Str32 date1 = {}, date2 = {};
  bool status[3] = {true, true, true};  // planned, committed, cleared
  std::vector<CPResID> modes;
  int16_t chequeKind = kRangeNone;
  Str7 cheque1 = {}, cheque2 = {};
  std::vector<CPResID> categories;
  std::vector<CPResID> affectations;
  bool months[12] = {true, true, true, true, true, true, true, true, true, true, true, true};
  std::vector<CPResID> tauxTVA;
  int16_t tvaKind = kRangeNone;
  int16_t tvaSign = kSignEither;
  double tva1 = 0, tva2 = 0;
  int16_t datePointeKind = kRangeNone;
  Str32 datePointe1 = {}, datePointe2 = {};
  int16_t releveKind = kRangeNone;
  Str5 releve1 = {}, releve2 = {};
  int16_t setting = 1;         // kept for the dialog; the conversion does not read it
  bool sousOperations = true;  // the conditions may also pass through a split line
  int16_t pieceKind = kRangeNone;
  Str12 piece1 = {}, piece2 = {};
  std::vector<CPResID> tiers;
  std::vector<CPResID> affaires;
  // vyx's own: the label equals the text (letter case and accents aside)
  // rather than containing it.
  bool libelleExact = false;

  bool operator==(const VYXSelectionMask& other) const;
};

// The sets a mask's lists name items of; `tauxTVA` may be null (no VAT-rate
// condition then).
struct VYXSelectionSets {
  CPResourceSet* categories = nullptr;
  CPResourceSet* affectations = nullptr;
  CPResourceSet* modes = nullptr;
  CPResourceSet* tiers = nullptr;
  CPResourceSet* affaires = nullptr;
  CPResourceSet* tauxTVA = nullptr;

  static VYXSelectionSets Of(VYXUserPreferences& user);
  static VYXSelectionSets Of(VYXCompte& compte);
};

// A new selection in `selection`; false when building failed (what was built
// stays there).
bool ConvertMaskToSelection(const VYXSelectionMask& mask, CPOwnedHandle& selection,
                            const CPDataEncoding& e, const VYXSelectionSets& sets);
bool ConvertMaskToSelection(const VYXSelectionMask& mask, CPOwnedHandle& selection,
                            const CPDataEncoding& e, VYXUserPreferences& user);
bool ConvertMaskToSelection(const VYXSelectionMask& mask, CPOwnedHandle& selection,
                            const CPDataEncoding& e, VYXCompte& compte);
// The mask of a selection the conversion above made; names that the sets do
// not hold are left out. False when the selection is not valid.
bool ConvertSelectionToMask(Handle selection, const CPDataEncoding& e, const VYXSelectionSets& sets,
                            VYXSelectionMask* mask);
bool ConvertSelectionToMask(Handle selection, const CPDataEncoding& e, VYXUserPreferences& user,
                            VYXSelectionMask* mask);

// The stored form of a mask (VYXUserSelections.h, docs/user-file.md).
std::vector<unsigned char> VYXEncodeSelectionMask(const VYXSelectionMask& mask,
                                                  const CPDataEncoding& e);
// False (mask untouched) when `body` is not a stored mask.
bool VYXDecodeSelectionMask(const unsigned char* body, size_t size, const CPDataEncoding& e,
                            VYXSelectionMask* mask);

// The saved masks of the user file, by name (letter case and accents aside).
// Reading answers false for a name it lacks or a record it cannot read;
// adding raises kCPErrAlreadyExists for a name taken.
bool VYXReadSavedMask(VYXUserPreferences& user, ConstStringPtr name, VYXSelectionMask* mask,
                      CPResID* id = nullptr);
CPResID VYXAddSavedMask(VYXUserPreferences& user, ConstStringPtr name,
                        const VYXSelectionMask& mask);
void VYXWriteSavedMask(VYXUserPreferences& user, CPResID id, const VYXSelectionMask& mask);

#endif  // VYX_ANALYSIS_VYXSELECTIONMASK_H_
