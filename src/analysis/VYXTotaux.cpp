// The engine's modules and queries; the contributions of operations and
// split lines are in VYXTotauxContributions.cpp.
#include "analysis/VYXTotaux.h"

void VYXTotaux::ClearModule(TotauxModule module) {
  switch (module) {
    case kTotauxCategories:
      categories_.RemoveAll();
      categoriesTotal_.Clear();
      break;
    case kTotauxPostes:
      postes_.RemoveAll();
      break;
    case kTotauxTiers:
      tiers_.RemoveAll();
      tiersTotal_.Clear();
      break;
    case kTotauxAffaires:
      affaires_.RemoveAll();
      affairesTotal_.Clear();
      break;
    case kTotauxFiltres:
      filtresTotaux_.RemoveAll();
      filtres_.Clear();
      break;
    case kTotauxTresor:
      for (VYXTresorCumul& cumul : tresor_) cumul.RemoveAll();
      break;
    case kTotauxTitres:
      titres_.RemoveAll();
      break;
    default:
      break;
  }
}

void VYXTotaux::TakeScan(VYXTotauxScan& scan) {
  scan.Finish();
  auto take = [&](TotauxModule module, const VYXTotauxScan::Module& counted) {
    ClearModule(module);
    loaded_.on[module] = true;
    AddItems(module, counted.count.Items(), &counted.total);
  };
  if (!loaded_[kTotauxCategories]) take(kTotauxCategories, scan.categories);
  if (!loaded_[kTotauxTiers] && !tiersTTC_) take(kTotauxTiers, scan.tiers);
  if (!loaded_[kTotauxAffaires] && !affairesTTC_) take(kTotauxAffaires, scan.affaires);
}

void VYXTotaux::AddItems(TotauxModule module, const std::vector<VYXMonthTotalItem>& items,
                         const ExtMontantSet* total) {
  VYXMonthTotalArray* array = nullptr;
  ExtMontantSet* sum = nullptr;
  switch (module) {
    case kTotauxCategories:
      array = &categories_;
      sum = &categoriesTotal_;
      break;
    case kTotauxPostes:
      array = &postes_;
      break;
    case kTotauxTiers:
      array = &tiers_;
      sum = &tiersTotal_;
      break;
    case kTotauxAffaires:
      array = &affaires_;
      sum = &affairesTotal_;
      break;
    default:
      return;
  }
  array->AddItems(items);
  if (sum && total) *sum += *total;
}

void VYXTotaux::Reset() { ResetModules(VYXTotauxModules::All()); }

void VYXTotaux::ResetModules(const VYXTotauxModules& modules) {
  for (int m = 0; m < kTotauxModuleCount; ++m) {
    if (!modules.on[m]) continue;
    ClearModule(TotauxModule(m));
    loaded_.on[m] = false;
  }
  BroadcastMessage(kVYXTotauxMessage, kTotauxReset, nullptr);
}

void VYXTotaux::PreloadModules(const VYXTotauxModules& modules) {
  VYXTotauxModules todo = modules.Minus(loaded_);
  if (!todo.Any()) return;
  for (int m = 0; m < kTotauxModuleCount; ++m) {
    if (todo.on[m]) ClearModule(TotauxModule(m));
  }
  loaded_ = loaded_ | todo;
  try {
    // The masks as they are now; kept compiled while the module stays loaded.
    if (todo[kTotauxFiltres]) filtres_.Compile(GetFiltersUser());
    LoadModules(todo);
  } catch (...) {
    // Half-computed totals must not pass for complete ones.
    for (int m = 0; m < kTotauxModuleCount; ++m) {
      if (!todo.on[m]) continue;
      ClearModule(TotauxModule(m));
      loaded_.on[m] = false;
    }
    throw;
  }
  BroadcastMessage(kVYXTotauxMessage, kTotauxPreloaded, nullptr);
}

void VYXTotaux::Reload(TotauxModule module) {
  ResetModule(module);
  PreloadModule(module);
}

void VYXTotaux::LoadCompte(VYXCompte& compte, const VYXTotauxModules& modules, bool quiet) {
  VYXTotauxModules m = modules & loaded_;
  if (m.Any()) {
    if (m[kTotauxFiltres]) filtres_.BeginCompte(compte);
    try {
      Operation op;
      VYXDataRef ref = 0;
      for (bool more = compte.GetFirstOperation(&op, &ref); more;
           more = compte.GetNextOperation(&op, &ref)) {
        ApplyOperation(compte, op, m, 1, true);
        if (op.sousOpsNbr > 0) ApplyLines(compte, op, m, 1, true);
      }
    } catch (...) {
      filtres_.EndCompte();
      throw;
    }
    filtres_.EndCompte();
  }
  if (!quiet) BroadcastMessage(kVYXTotauxMessage, kTotauxCompteLoaded, &compte);
}

// ---- checks against the lists

namespace {

// Drops the items of IDs the set no longer has (0, the items without one, stays).
void DropMissing(VYXMonthTotalArray& array, CPResourceSet* set) {
  if (!set) return;
  array.RemoveIf([set](CPResID id) { return id != 0 && !set->ResourceExists(id); });
}

}  // namespace

void VYXTotaux::CheckCategoriesItems() { DropMissing(categories_, &GetCategories()); }
void VYXTotaux::CheckPostesItems() { DropMissing(postes_, GetPostes()); }
void VYXTotaux::CheckTiersItems() { DropMissing(tiers_, &GetTiers()); }
void VYXTotaux::CheckAffairesItems() { DropMissing(affaires_, &GetAffaires()); }

// ---- VAT

void VYXTotaux::SetTiersTTC(bool ttc) {
  if (ttc == tiersTTC_) return;
  tiersTTC_ = ttc;
  if (loaded_[kTotauxTiers]) Reload(kTotauxTiers);
}

void VYXTotaux::SetAffairesTTC(bool ttc) {
  if (ttc == affairesTTC_) return;
  affairesTTC_ = ttc;
  if (loaded_[kTotauxAffaires]) Reload(kTotauxAffaires);
}

// ---- queries

namespace {

void RangeOf(const VYXMonthTotalArray& array, CPResID id, int fromMonth, int fromYear, int toMonth,
             int toYear, CPArray_T<VYXMonthTotalItem>& out, ExtMontantSet* sum) {
  array.ToArray(id, CPMonthYear{fromMonth, fromYear}, CPMonthYear{toMonth, toYear}, out, sum);
}

}  // namespace

void VYXTotaux::GetCategorieTotaux(CPResID id, int month, int year, ExtMontantSet* set) {
  *set = GetCategoriesArray().Get(month, year, id);
}
void VYXTotaux::GetPosteTotaux(CPResID id, int month, int year, ExtMontantSet* set) {
  *set = GetPostesArray().Get(month, year, id);
}
void VYXTotaux::GetTiersTotaux(CPResID id, int month, int year, ExtMontantSet* set) {
  *set = GetTiersArray().Get(month, year, id);
}
void VYXTotaux::GetAffaireTotaux(CPResID id, int month, int year, ExtMontantSet* set) {
  *set = GetAffairesArray().Get(month, year, id);
}

void VYXTotaux::CategoriesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth,
                                        int toYear, CPArray_T<CatTotalItem>& array,
                                        ExtMontantSet* sum) {
  RangeOf(GetCategoriesArray(), id, fromMonth, fromYear, toMonth, toYear, array, sum);
}
void VYXTotaux::PostesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth,
                                    int toYear, CPArray_T<PosteTotalItem>& array,
                                    ExtMontantSet* sum) {
  RangeOf(GetPostesArray(), id, fromMonth, fromYear, toMonth, toYear, array, sum);
}
void VYXTotaux::TiersTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                                   CPArray_T<TiersTotalItem>& array, ExtMontantSet* sum) {
  RangeOf(GetTiersArray(), id, fromMonth, fromYear, toMonth, toYear, array, sum);
}
void VYXTotaux::AffairesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth,
                                      int toYear, CPArray_T<AffaireTotalItem>& array,
                                      ExtMontantSet* sum) {
  RangeOf(GetAffairesArray(), id, fromMonth, fromYear, toMonth, toYear, array, sum);
}

const VYXMonthTotalArray& VYXTotaux::GetCategoriesArray() {
  return Loaded(kTotauxCategories, categories_);
}
const VYXMonthTotalArray& VYXTotaux::GetPostesArray() { return Loaded(kTotauxPostes, postes_); }
const VYXMonthTotalArray& VYXTotaux::GetTiersArray() { return Loaded(kTotauxTiers, tiers_); }
const VYXMonthTotalArray& VYXTotaux::GetAffairesArray() {
  return Loaded(kTotauxAffaires, affaires_);
}

const ExtMontantSet& VYXTotaux::GetCategoriesTotal() {
  PreloadModule(kTotauxCategories);
  return categoriesTotal_;
}
const ExtMontantSet& VYXTotaux::GetTiersTotal() {
  PreloadModule(kTotauxTiers);
  return tiersTotal_;
}
const ExtMontantSet& VYXTotaux::GetAffairesTotal() {
  PreloadModule(kTotauxAffaires);
  return affairesTotal_;
}
void VYXTotaux::GetFiltreMonthTotaux(CPResID id, int month, int year, ExtMontantSet* set) {
  *set = GetFiltresArray().Get(month, year, id);
}

void VYXTotaux::FiltreTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth,
                                    int toYear, CPArray_T<VYXMonthTotalItem>& array,
                                    ExtMontantSet* sum) {
  RangeOf(GetFiltresArray(), id, fromMonth, fromYear, toMonth, toYear, array, sum);
}

const VYXMonthTotalArray& VYXTotaux::GetFiltresArray() {
  return Loaded(kTotauxFiltres, filtresTotaux_);
}

bool VYXTotaux::GetFirstFiltreTotaux(size_t* cursor, CPResID* id, ExtMontantSet* sum) {
  *cursor = 0;
  return GetNextFiltreTotaux(cursor, id, sum);
}

bool VYXTotaux::GetNextFiltreTotaux(size_t* cursor, CPResID* id, ExtMontantSet* sum) {
  std::vector<CPResID> ids = GetFiltresArray().GetIDs();
  if (*cursor >= ids.size()) return false;
  *id = ids[(*cursor)++];
  *sum = filtresTotaux_.Sum(*id, CPMonthYear{1, 0}, CPMonthYear{12, 65535});
  return true;
}

const VYXTresorCumul& VYXTotaux::GetTresorCumul(VYXTresorKind kind) {
  PreloadModule(kTotauxTresor);
  return tresor_[kind];
}
const VYXTitresArray& VYXTotaux::GetTitresArray() {
  PreloadModule(kTotauxTitres);
  return titres_;
}
