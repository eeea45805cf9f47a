#include "analysis/VYXUserMapping.h"

#include "foundation/CPException.h"
#include "resources/CPResourceSet.h"
#include "userfile/VYXUserPreferences.h"

namespace {

bool SharedList(VYXCompteList list, VYXSharedList* shared) {
  switch (list) {
    case kVYXListCategories:
      *shared = VYXSharedList::kCategorie;
      return true;
    case kVYXListAffectations:
      *shared = VYXSharedList::kAffectation;
      return true;
    case kVYXListTiers:
      *shared = VYXSharedList::kTiers;
      return true;
    case kVYXListAffaires:
      *shared = VYXSharedList::kAffaire;
      return true;
    case kVYXListTauxTVA:
      *shared = VYXSharedList::kTauxTVA;
      return true;
    case kVYXListModes:
      *shared = VYXSharedList::kMode;
      return true;
    default:
      return false;
  }
}

}  // namespace

VYXUserMapping::VYXUserMapping(VYXUserPreferences& user) : user_(user) {
  for (int l = 0; l < kVYXCompteListCount; ++l) {
    if (CPResourceSet* set = UserSet(VYXCompteList(l))) set->AddListener(this);
  }
  user_.GetDevises().AddListener(this);
}

VYXUserMapping::~VYXUserMapping() = default;

CPResourceSet* VYXUserMapping::UserSet(VYXCompteList list) {
  VYXSharedList shared;
  return SharedList(list, &shared) ? &user_.GetSharedList(shared) : nullptr;
}

VYXUserMapping::Known& VYXUserMapping::Of(VYXCompte& compte) {
  auto found = comptes_.find(&compte);
  if (found != comptes_.end()) return found->second;
  Known& known = comptes_[&compte];
  known.devise = compte.GetCompteDevise();
  DeviseCode reference = user_.GetReferenceDevise();
  known.converts =
      known.devise != 0 && known.devise != reference && user_.GetDeviseCoeff(known.devise) != 1.0;
  for (int l = 0; l < kVYXCompteListCount; ++l) {
    if (UserSet(VYXCompteList(l))) compte.GetListSet(VYXCompteList(l)).AddListener(this);
  }
  return known;
}

CPResID VYXUserMapping::ToUser(VYXCompte& compte, VYXCompteList list, CPResID id) {
  if (id == 0) return 0;
  CPResourceSet* userSet = UserSet(list);
  if (!userSet) return id;
  Known& known = Of(compte);
  auto& ids = known.ids[list];
  auto found = ids.find(id);
  if (found != ids.end()) return found->second;
  CPResID userID = 0;
  CPResourceSet& set = compte.GetListSet(list);
  if (set.ResourceExists(id)) {
    Str255 name;
    set.GetResourceName(id, name);
    if (name[0] != 0 && userSet->ResourceExists(name)) userID = userSet->GetResourceID(name);
  }
  ids[id] = userID;
  return userID;
}

double VYXUserMapping::ToReference(VYXCompte& compte, double amount) {
  Known& known = Of(compte);
  return known.converts ? user_.DeviseToMontant(known.devise, amount) : amount;
}

DeviseCode VYXUserMapping::GetDevise(VYXCompte& compte) { return Of(compte).devise; }

void VYXUserMapping::Forget(VYXCompte& compte) {
  if (comptes_.erase(&compte) == 0) return;
  for (int l = 0; l < kVYXCompteListCount; ++l) {
    if (UserSet(VYXCompteList(l))) compte.GetListSet(VYXCompteList(l)).RemoveListener(this);
  }
}

void VYXUserMapping::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void*) {
  if (category != kCPResourceMessage) return;
  if (from == &user_.GetDevises()) {
    // Rates or codes may have moved: each account's conversion is noted again.
    if (code != kCPResStartMoving && code != kCPResEndMoving && code != kCPResMoved) {
      for (auto& [compte, known] : comptes_) {
        known.devise = compte->GetCompteDevise();
        known.converts = known.devise != 0 && known.devise != user_.GetReferenceDevise() &&
                         user_.GetDeviseCoeff(known.devise) != 1.0;
      }
    }
    return;
  }
  switch (code) {
    case kCPResReloaded:
    case kCPResAdded:
    case kCPResRenamed:
    case kCPResRemoved:
      for (auto& entry : comptes_) {
        for (auto& ids : entry.second.ids) ids.clear();
      }
      break;
    default:
      break;
  }
}
