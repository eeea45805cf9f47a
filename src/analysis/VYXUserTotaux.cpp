#include "analysis/VYXUserTotaux.h"

#include <algorithm>

#include "analysis/VYXCompteTotaux.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXUserSets.h"

namespace {

// The lists the totals listen to: those their items are keyed by, and those
// whose names the saved filters go by.
constexpr VYXCompteList kNamedLists[] = {kVYXListCategories, kVYXListAffectations, kVYXListTiers,
                                         kVYXListAffaires,   kVYXListTauxTVA,      kVYXListModes};

}  // namespace

VYXUserTotaux::VYXUserTotaux(VYXUserPreferences& user) : user_(user), mapping_(user) {
  user_.AddListener(this);
  for (VYXCompteList list : kNamedLists) mapping_.UserSet(list)->AddListener(this);
  user_.GetPostes().AddListener(this);
  user_.GetSelections().AddListener(this);
  user_.GetDevises().AddListener(this);
  for (VYXCompte* compte : user_.GetOpenComptes()) AddCompte(*compte);
  UpdateReportValues();
}

VYXUserTotaux::~VYXUserTotaux() {
  for (VYXCompte* compte : comptes_) mapping_.Forget(*compte);
}

ModuleGlobal VYXUserTotaux::GlobalOf(TotauxModule module) {
  switch (module) {
    case kTotauxCategories:
    case kTotauxTiers:
    case kTotauxAffaires:
      return kModuleBilan;
    case kTotauxPostes:
      return kModuleBudget;
    case kTotauxFiltres:
      return kModuleFiltres;
    case kTotauxTresor:
      return kModuleTresorerie;
    case kTotauxTitres:
      return kModulePortefeuille;
    default:
      return 1;  // every account
  }
}

VYXTotauxModules VYXUserTotaux::IncludedModules(VYXCompte& compte) {
  auto found = included_.find(&compte);
  if (found != included_.end()) return found->second;
  VYXTotauxModules m;
  int32_t position = user_.GetCompteIndex(compte);
  if (position > 0) {
    for (int i = 0; i < kTotauxModuleCount; ++i) {
      m.on[i] = user_.ModuleIsChecked(position, GlobalOf(TotauxModule(i)));
    }
  }
  included_[&compte] = m;
  return m;
}

void VYXUserTotaux::AddCompte(VYXCompte& compte) {
  if (std::find(comptes_.begin(), comptes_.end(), &compte) != comptes_.end()) return;
  comptes_.push_back(&compte);
  compte.AddListener(this);
  for (VYXCompteList list : kNamedLists) compte.GetListSet(list).AddListener(this);
  mapping_.GetDevise(compte);  // noted before anything of it is added
  BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerComptes, &compte);
  LoadCompte(compte, GetLoadedModules() & IncludedModules(compte), false);
  UpdateReportValues();
}

void VYXUserTotaux::RemoveCompte(VYXCompte& compte) {
  auto at = std::find(comptes_.begin(), comptes_.end(), &compte);
  if (at == comptes_.end()) return;
  VYXTotauxModules touched = GetLoadedModules() & IncludedModules(compte);
  comptes_.erase(at);
  compte.RemoveListener(this);
  for (VYXCompteList list : kNamedLists) compte.GetListSet(list).RemoveListener(this);
  mapping_.Forget(compte);
  included_.erase(&compte);
  BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerComptes, &compte);
  // Taking its amounts out one by one would leave rounding dust behind:
  // what it took part in is computed again, when next asked for.
  if (touched.Any()) ResetModules(touched);
  UpdateReportValues();
}

void VYXUserTotaux::LoadCompte(VYXCompte& compte, const VYXTotauxModules& modules, bool quiet) {
  VYXTotauxModules m = modules & GetLoadedModules();
  VYXTotaux::LoadCompte(compte, m.Minus(SumCompte(compte, m)), quiet);
}

namespace {

// The account's items under the keys `keyOf` gives (0: left out), in order.
template <typename KeyOf>
std::vector<VYXMonthTotalItem> Rekeyed(const VYXMonthTotalArray& array, KeyOf keyOf) {
  std::vector<VYXMonthTotalItem> items;
  items.reserve(size_t(array.Count()));
  CPResID from = 0, to = 0;
  bool known = false;
  for (VYXMonthTotalItem item : array) {
    // An item's months lie together: one lookup for each of them.
    if (!known || item.id != from) {
      from = item.id;
      to = keyOf(from);
      known = true;
    }
    if (to == 0 && !keyOf.keepsZero) continue;
    item.id = to;
    items.push_back(item);
  }
  auto before = [](const VYXMonthTotalItem& a, const VYXMonthTotalItem& b) {
    if (a.id != b.id) return a.id < b.id;
    if (a.year != b.year) return a.year < b.year;
    return a.month < b.month;
  };
  // Lists made in the same order keep it: no sort then.
  if (!std::is_sorted(items.begin(), items.end(), before)) {
    std::stable_sort(items.begin(), items.end(), before);
  }
  return items;
}

}  // namespace

VYXTotauxModules VYXUserTotaux::SumCompte(VYXCompte& compte, const VYXTotauxModules& modules) {
  VYXTotauxModules done;
  auto* own = dynamic_cast<VYXCompteTotaux*>(compte.GetTotaux());
  // Amounts converted one by one are rounded one by one: those are counted
  // again from the operations.
  if (!own || mapping_.Converts(compte)) return done;
  struct ByList {
    VYXUserTotaux& self;
    VYXCompte& compte;
    VYXCompteList list;
    bool keepsZero = true;  // an item the dossier lacks counts without one
    CPResID operator()(CPResID id) const { return self.KeyOf(compte, list, id); }
  };
  struct ByPoste {
    VYXUserTotaux& self;
    VYXCompte& compte;
    bool keepsZero = false;  // a category under no post counts in none
    CPResID operator()(CPResID id) const { return self.PosteOf(compte, id); }
  };
  if (own->IsLoaded(kTotauxCategories)) {
    if (modules[kTotauxCategories]) {
      AddItems(kTotauxCategories,
               Rekeyed(own->GetCategoriesArray(), ByList{*this, compte, kVYXListCategories}),
               &own->GetCategoriesTotal());
      done.on[kTotauxCategories] = true;
    }
    if (modules[kTotauxPostes]) {
      AddItems(kTotauxPostes, Rekeyed(own->GetCategoriesArray(), ByPoste{*this, compte}), nullptr);
      done.on[kTotauxPostes] = true;
    }
  }
  if (modules[kTotauxTiers] && own->IsLoaded(kTotauxTiers) && own->GetTiersTTC() == GetTiersTTC()) {
    AddItems(kTotauxTiers, Rekeyed(own->GetTiersArray(), ByList{*this, compte, kVYXListTiers}),
             &own->GetTiersTotal());
    done.on[kTotauxTiers] = true;
  }
  if (modules[kTotauxAffaires] && own->IsLoaded(kTotauxAffaires) &&
      own->GetAffairesTTC() == GetAffairesTTC()) {
    AddItems(kTotauxAffaires,
             Rekeyed(own->GetAffairesArray(), ByList{*this, compte, kVYXListAffaires}),
             &own->GetAffairesTotal());
    done.on[kTotauxAffaires] = true;
  }
  return done;
}

CPResourceSet_T<Categorie>& VYXUserTotaux::GetCategories() { return user_.GetCategories(); }
CPResourceSet_T<Affectation>& VYXUserTotaux::GetAffectations() { return user_.GetAffectations(); }
CPResourceSet_T<Mode>& VYXUserTotaux::GetModes() { return user_.GetModes(); }
CPResourceSet* VYXUserTotaux::GetPostes() { return &user_.GetPostes(); }
CPResourceSet* VYXUserTotaux::GetFilters() { return &user_.GetSelections(); }
CPResourceSet* VYXUserTotaux::GetFiltersSets() { return nullptr; }
CPResourceSet_T<UserTiers>& VYXUserTotaux::GetTiers() { return user_.GetTiers(); }
CPResourceSet_T<UserAffaire>& VYXUserTotaux::GetAffaires() { return user_.GetAffaires(); }
CPResourceSet_T<TauxTVA>& VYXUserTotaux::GetTauxTVA() { return user_.GetTauxTVA(); }

void VYXUserTotaux::UpdateReportValues() {
  MontantSet report;
  for (VYXCompte* compte : comptes_) {
    int32_t position = user_.GetCompteIndex(*compte);
    if (position == 0 || !user_.ModuleIsChecked(position, kModuleSoldes)) continue;
    MontantSet own = compte->GetReportValues();
    for (int s = 0; s < kOpStatusCount; ++s) {
      report.montant[s] += mapping_.ToReference(*compte, own.montant[s]);
    }
  }
  report_ = report;
  BroadcastMessage(kVYXTotauxMessage, kTotauxOperationChanged, nullptr);
}

void VYXUserTotaux::LoadModules(const VYXTotauxModules& modules) {
  for (VYXCompte* compte : comptes_) {
    VYXTotauxModules m = modules & IncludedModules(*compte);
    if (m.Any()) LoadCompte(*compte, m, true);
  }
}

VYXCompte* VYXUserTotaux::CompteOf(CPBroadcaster* from) {
  for (VYXCompte* compte : comptes_) {
    if (static_cast<CPBroadcaster*>(compte) == from) return compte;
  }
  return nullptr;
}

VYXTotauxModules VYXUserTotaux::ModulesOf(VYXCompte& compte) {
  return GetLoadedModules() & IncludedModules(compte);
}

CPResID VYXUserTotaux::KeyOf(VYXCompte& compte, VYXCompteList list, CPResID id) {
  return mapping_.ToUser(compte, list, id);
}

CPResID VYXUserTotaux::PosteOf(VYXCompte& compte, CPResID categorie) {
  CPResID mine = mapping_.ToUser(compte, kVYXListCategories, categorie);
  return mine == 0 ? 0 : user_.GetCategoriePoste(mine);
}

double VYXUserTotaux::AmountOf(VYXCompte& compte, double amount) {
  return mapping_.ToReference(compte, amount);
}

VYXTotauxModules VYXUserTotaux::ModulesKeyedBy(VYXCompteList list) {
  // The filters name items of every list; another name may make an
  // operation pass one or fail it.
  VYXTotauxModules m = VYXTotauxModules::Only(kTotauxFiltres);
  switch (list) {
    case kVYXListCategories:
      m.on[kTotauxCategories] = m.on[kTotauxPostes] = true;
      break;
    case kVYXListTiers:
      m.on[kTotauxTiers] = true;
      break;
    case kVYXListAffaires:
      m.on[kTotauxAffaires] = true;
      break;
    default:
      break;
  }
  return m;
}

void VYXUserTotaux::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category == kVYXUserMessage) {
    switch (code) {
      case kUserCompteOpened:
        AddCompte(*static_cast<VYXCompte*>(data));
        break;
      case kUserCompteClosing:
        RemoveCompte(*static_cast<VYXCompte*>(data));
        break;
      case kUserModuleChecked:
        // Which accounts a module covers changed: computed again when asked for.
        ForgetInclusions();
        ResetModules(GetLoadedModules());
        UpdateReportValues();
        break;
      case kUserClosing:
        while (!comptes_.empty()) RemoveCompte(*comptes_.back());
        break;
      default:
        break;
    }
    return;
  }
  if (category != kCPResourceMessage) {
    VYXTotaux::ListenTo(from, category, code, data);
    return;
  }
  // A change of names on either side moves amounts from one user item to
  // another, a currency's rate changes every converted amount, a category
  // filed under another post moves its amounts: what they touch is computed
  // again.
  VYXTotauxModules touched;
  bool names = code == kCPResRenamed || code == kCPResRemoved || code == kCPResReloaded;
  if (from == static_cast<CPBroadcaster*>(&user_.GetDevises())) {
    if (code != kCPResStartMoving && code != kCPResEndMoving && code != kCPResMoved) {
      touched = VYXTotauxModules::All();
    }
  } else if (from == static_cast<CPBroadcaster*>(&user_.GetPostes())) {
    if (code != kCPResChanged) touched.on[kTotauxPostes] = true;
  } else if (from == static_cast<CPBroadcaster*>(&user_.GetSelections())) {
    // A renamed filter keeps its ID, and its totals.
    if (code == kCPResRenamed) {
      BroadcastMessage(kVYXTotauxMessage, kTotauxFiltreChanged, nullptr);
    } else if (code == kCPResAdded || code == kCPResChanged || names) {
      touched.on[kTotauxFiltres] = true;
    }
  } else if (names) {
    for (VYXCompteList list : kNamedLists) {
      bool mine = from == static_cast<CPBroadcaster*>(mapping_.UserSet(list));
      for (VYXCompte* compte : comptes_) {
        mine = mine || from == static_cast<CPBroadcaster*>(&compte->GetListSet(list));
      }
      if (mine) touched = touched | ModulesKeyedBy(list);
    }
  }
  touched = touched & GetLoadedModules();
  if (touched.Any()) ResetModules(touched);
}
