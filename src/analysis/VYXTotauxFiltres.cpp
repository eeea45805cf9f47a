#include "analysis/VYXTotauxFiltres.h"

#include "analysis/VYXSelectionCriteria.h"
#include "analysis/VYXSelectionMask.h"
#include "foundation/CPException.h"
#include "userfile/VYXUserPreferences.h"

void VYXTotauxFiltres::Compile(VYXUserPreferences* user) {
  Clear();
  if (!user) return;
  CPResourceSet& set = user->GetSelections();
  int32_t count = set.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = set.GetNthResource(n);
    Str255 name;
    set.GetResourceName(id, name);
    VYXSelectionMask mask;
    if (!VYXReadSavedMask(*user, name, &mask)) continue;
    Filtre filtre;
    filtre.id = id;
    if (!ConvertMaskToSelection(mask, filtre.selection, CPHostEncoding, *user)) continue;
    // The engine tests the lines itself, one by one, to count their parts.
    RemoveSousOperationCriteria(filtre.selection.get(), CPHostEncoding);
    filtre.lines = mask.sousOperations;
    filtres_.push_back(std::move(filtre));
  }
}

void VYXTotauxFiltres::Clear() {
  EndCompte();
  filtres_.clear();
}

bool VYXTotauxFiltres::Passes(size_t n, VYXCompte& compte, const Operation& op) {
  if (VYXOperationFilter* bulk = Bulk(n, compte)) return bulk->IsSelected(op);
  return OperationIsSelected(compte, op, filtres_[n].selection.get(), CPHostEncoding);
}

bool VYXTotauxFiltres::Passes(size_t n, VYXCompte& compte, const Operation& op,
                              const SousOperation& line) {
  if (VYXOperationFilter* bulk = Bulk(n, compte)) return bulk->IsSelected(op, line);
  return SousOperationIsSelected(compte, op, line, filtres_[n].selection.get(), CPHostEncoding);
}

void VYXTotauxFiltres::BeginCompte(VYXCompte& compte) {
  EndCompte();
  for (const Filtre& filtre : filtres_) {
    bulk_.push_back(
        std::make_unique<VYXOperationFilter>(compte, filtre.selection.get(), CPHostEncoding));
  }
  bulkCompte_ = &compte;
}
