#include "analysis/VYXCompteTotaux.h"

#include "resources/CPResourceSet.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXUserSets.h"

namespace {

// The lists whose names the filters' masks and the operations go by.
constexpr VYXSharedList kNamedLists[] = {VYXSharedList::kCategorie, VYXSharedList::kAffectation,
                                         VYXSharedList::kTiers,     VYXSharedList::kAffaire,
                                         VYXSharedList::kMode,      VYXSharedList::kTauxTVA};

std::unique_ptr<VYXCompteTotauxBase> MakeTotaux(VYXCompte& compte) {
  return std::make_unique<VYXCompteTotaux>(compte);
}

std::unique_ptr<VYXCompteTotauxCount> MakeScan() { return std::make_unique<VYXTotauxScan>(); }

}  // namespace

VYXCompteTotaux::VYXCompteTotaux(VYXCompte& compte) : compte_(compte) {
  compte_.AddListener(this);
  for (VYXSharedList list : kNamedLists) {
    compte_.GetListSet(VYXCompteListOf(list)).AddListener(this);
  }
  if (CPResourceSet* postes = GetPostes()) postes->AddListener(this);
  if (VYXUserPreferences* user = User()) {
    user->GetSelections().AddListener(this);
    for (VYXSharedList list : kNamedLists) user->GetSharedList(list).AddListener(this);
  }
  report_ = compte_.GetReportValues();
}

VYXCompteTotaux::~VYXCompteTotaux() = default;

VYXCompteTotaux& VYXCompteTotaux::Of(VYXCompte& compte) {
  auto* totaux = dynamic_cast<VYXCompteTotaux*>(compte.GetTotaux());
  if (!totaux) {
    auto made = std::make_unique<VYXCompteTotaux>(compte);
    totaux = made.get();
    compte.SetTotaux(std::move(made));
  }
  return *totaux;
}

void VYXCompteTotaux::Install(bool countAtOpening) {
  VYXSetCompteTotauxMaker(&MakeTotaux, countAtOpening ? &MakeScan : nullptr);
}

void VYXCompteTotaux::TakeCount(std::unique_ptr<VYXCompteTotauxCount> count) {
  if (auto* scan = dynamic_cast<VYXTotauxScan*>(count.get())) TakeScan(*scan);
}

VYXUserPreferences* VYXCompteTotaux::User() const {
  return dynamic_cast<VYXUserPreferences*>(&compte_.GetSupervisor());
}

CPResourceSet* VYXCompteTotaux::GetPostes() {
  VYXUserPreferences* user = User();
  return user ? &user->GetPostes() : nullptr;
}

CPResourceSet* VYXCompteTotaux::GetFilters() {
  VYXUserPreferences* user = User();
  return user ? &user->GetSelections() : nullptr;
}
CPResourceSet* VYXCompteTotaux::GetFiltersSets() { return nullptr; }

void VYXCompteTotaux::UpdateReportValues() {
  report_ = compte_.GetReportValues();
  BroadcastMessage(kVYXTotauxMessage, kTotauxOperationChanged, nullptr);
}

void VYXCompteTotaux::LoadModules(const VYXTotauxModules& modules) {
  LoadCompte(compte_, modules, true);
}

VYXCompte* VYXCompteTotaux::CompteOf(CPBroadcaster* from) {
  return from == static_cast<CPBroadcaster*>(&compte_) ? &compte_ : nullptr;
}

CPResID VYXCompteTotaux::PosteOf(VYXCompte& compte, CPResID categorie) {
  if (categorie == 0) return 0;
  auto found = postes_.find(categorie);
  if (found != postes_.end()) return found->second;
  CPResID poste = 0;
  VYXUserPreferences* user = User();
  CPResourceSet& mine = compte.GetCategories();
  if (user && mine.ResourceExists(categorie)) {
    Str255 name;
    mine.GetResourceName(categorie, name);
    CPResourceSet& theirs = user->GetCategories();
    if (theirs.ResourceExists(name)) poste = user->GetCategoriePoste(theirs.GetResourceID(name));
  }
  postes_[categorie] = poste;
  return poste;
}

void VYXCompteTotaux::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category != kCPResourceMessage) {
    VYXTotaux::ListenTo(from, category, code, data);
    return;
  }
  bool removed = code == kCPResRemoved || code == kCPResReloaded;
  if (from == GetFilters()) {
    // A renamed filter keeps its ID, and its totals.
    if (code == kCPResRenamed) {
      BroadcastMessage(kVYXTotauxMessage, kTotauxFiltreChanged, nullptr);
    } else if (code == kCPResAdded || code == kCPResChanged || removed) {
      UpdateFilterItems();
    }
    return;
  }
  if (from == GetPostes()) {
    // Categories filed under another post, or posts gone: computed again.
    postes_.clear();
    if (code != kCPResChanged && IsLoaded(kTotauxPostes)) ResetModule(kTotauxPostes);
    return;
  }
  // Another name may make operations pass a filter or fail it.
  if (code == kCPResRenamed || removed) UpdateFilterItems();
  if (from == static_cast<CPBroadcaster*>(&compte_.GetCategories())) {
    if (code == kCPResRenamed || removed) postes_.clear();
    if (removed) CheckCategoriesItems();
  } else if (from == static_cast<CPBroadcaster*>(&compte_.GetTiers())) {
    if (removed) CheckTiersItems();
  } else if (from == static_cast<CPBroadcaster*>(&compte_.GetAffaires())) {
    if (removed) CheckAffairesItems();
  }
}
