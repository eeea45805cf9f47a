// The accounts of the user file that are open: checked against the user
// file as they open, followed while they are open.
#include <algorithm>
#include <cstring>
#include <vector>

#include "accounts/VYXListMapping.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXUserTexts.h"

namespace {

// The user file checks the lists in this order.
constexpr VYXSharedList kCheckedLists[] = {VYXSharedList::kCategorie, VYXSharedList::kAffectation,
                                           VYXSharedList::kMode,      VYXSharedList::kTauxTVA,
                                           VYXSharedList::kTiers,     VYXSharedList::kAffaire};

}  // namespace

VYXCompteList VYXCompteListOf(VYXSharedList list) {
  switch (list) {
    case VYXSharedList::kCategorie:
      return kVYXListCategories;
    case VYXSharedList::kAffectation:
      return kVYXListAffectations;
    case VYXSharedList::kTiers:
      return kVYXListTiers;
    case VYXSharedList::kAffaire:
      return kVYXListAffaires;
    case VYXSharedList::kMode:
      return kVYXListModes;
    case VYXSharedList::kTauxTVA:
      return kVYXListTauxTVA;
  }
  CPThrow(paramErr);
}

// Announced as a batch load: lists on screen refresh once, at its end.
void VYXUserPreferences::CheckCompte(VYXCompte& compte) {
  if (IsReadingOnly()) return;
  Exclusive hold(*this);
  StartLoading();
  try {
    CheckDevise(compte);
    for (VYXSharedList list : kCheckedLists) CheckResources(list, compte);
  } catch (...) {
    EndLoading();
    throw;
  }
  EndLoading();
}

CPResID VYXUserPreferences::CheckDevise(VYXCompte& compte) {
  DeviseCode code = compte.GetInformations().devise;
  if (code == 0 || code == GetReferenceDevise()) return 1;
  if (CPResID known = DeviseCodeToId(code)) return known;
  // A currency the user file does not know: taken in at par, or at its fixed
  // rate when it is one the euro replaced and the reference is the euro.
  Devise devise;
  double rate = 0;
  if (GetReferenceDevise() == 'EUR ' && CPIsDeviseZoneEuro(code, rate)) devise.base = rate;
  CPString name = CPString::FromType(code);
  int length = name.Length();
  while (length > 0 && name[length] == ' ') --length;
  CPResID id = GetDevises().GetUniqueID();
  GetDevises().AddResource(id, CPString(name, 1, length), devise);
  return id;
}

void VYXUserPreferences::NoteCompteDevise(VYXCompte& compte) {
  if (IsReadingOnly()) return;
  Exclusive hold(*this);
  int32_t position = GetCompteIndex(compte);
  UserCompte infos;
  if (position == 0 || !GetCompteInfos(position, &infos)) return;
  CPResID id = CheckDevise(compte);
  if (infos.deviseID == id) return;
  infos.deviseID = id;
  SetCompteInfos(position, infos);
}

void VYXUserPreferences::CheckResources(VYXSharedList list, VYXCompte& compte) {
  VYXCompteList kind = VYXCompteListOf(list);
  CPResourceSet& theirs = compte.GetListSet(kind);
  std::vector<CPResID> nameless;
  int32_t count = theirs.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = theirs.GetNthResource(n);
    if (id == 0) continue;  // a separator of the display order
    Str255 name;
    theirs.GetResourceName(id, name);
    if (name[0] == 0) {
      nameless.push_back(id);
    } else {
      TakeInItem(list, compte, id);
    }
  }
  // A nameless item cannot be matched with anything; what referred to it
  // refers to nothing rather than to whatever later takes its ID.
  for (CPResID id : nameless) {
    compte.ListItemToBeDeleted(kind, id);
    theirs.RemoveResource(id);
  }
}

void VYXUserPreferences::TakeInItem(VYXSharedList list, VYXCompte& compte, CPResID id) {
  Exclusive hold(*this);
  CPResourceSet& theirs = compte.GetListSet(VYXCompteListOf(list));
  CPResourceSet& ours = GetSharedList(list);
  Str255 name;
  if (!theirs.ResourceExists(id)) return;
  theirs.GetResourceName(id, name);
  if (name[0] == 0 || ours.ResourceExists(name)) return;
  std::vector<unsigned char> body(ours.GetResourceSize(), 0);
  theirs.GetResource(id, body.data(), uint32_t(body.size()));
  if (list == VYXSharedList::kMode && body.size() >= sizeof(Mode)) {
    // What names things of one account means nothing in the others.
    Mode mode;
    std::memcpy(&mode, body.data(), sizeof mode);
    VYXClearCompteFields(mode);
    std::memcpy(body.data(), &mode, sizeof mode);
  }
  ours.AddResource(ours.GetUniqueID(), name, body.data(), uint32_t(body.size()));
}

void VYXUserPreferences::CompteOpened(VYXCompte& compte) {
  if (std::find(openComptes_.begin(), openComptes_.end(), &compte) != openComptes_.end()) return;
  openComptes_.push_back(&compte);
  compte.AddListener(this);
  NoteCompteDevise(compte);
  BroadcastMessage(kVYXUserMessage, kUserCompteOpened, &compte);
}

void VYXUserPreferences::CompteBeingClosed(VYXCompte& compte) {
  auto it = std::find(openComptes_.begin(), openComptes_.end(), &compte);
  if (it == openComptes_.end()) return;
  BroadcastMessage(kVYXUserMessage, kUserCompteClosing, &compte);
  openComptes_.erase(std::find(openComptes_.begin(), openComptes_.end(), &compte));
  compte.RemoveListener(this);
}

bool VYXUserPreferences::GetNthCompte(int32_t n, VYXCompte** compte) {
  for (VYXCompte* open : openComptes_) {
    if (GetCompteIndex(*open) == n && n != 0) {
      *compte = open;
      return true;
    }
  }
  return false;
}

int32_t VYXUserPreferences::GetCompteIndex(VYXCompte& compte) {
  auto* stored = dynamic_cast<VYXSDBCompte*>(&compte);
  if (!stored) return 0;
  CPFileRef file;
  stored->GetCompteIdentifier(&file);
  return GetCompteIndex(file);
}

void VYXUserPreferences::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category != kVYXCompteMessage) return;
  auto it = std::find_if(openComptes_.begin(), openComptes_.end(),
                         [from](VYXCompte* c) { return static_cast<CPBroadcaster*>(c) == from; });
  if (it == openComptes_.end()) return;
  VYXCompte& compte = **it;
  VYXSharedList list;
  switch (code) {
    case kVYXCompteDeviseSet:
      NoteCompteDevise(compte);
      return;
    case kVYXCompteOpAdded:
    case kVYXCompteOpModified:
    case kVYXCompteOpDeleted: {
      const auto* m = static_cast<const VYXCompteOpMessage*>(data);
      if (!m) return;
      const Operation* oldOp = code == kVYXCompteOpAdded      ? nullptr
                               : code == kVYXCompteOpModified ? m->oldOp
                                                              : m->op;
      const Operation* newOp = code == kVYXCompteOpDeleted ? nullptr : m->op;
      FactureOperationChanged(compte, oldOp, newOp);
      return;
    }
    case kVYXCompteCategorieAdded:
      list = VYXSharedList::kCategorie;
      break;
    case kVYXCompteAffectationAdded:
      list = VYXSharedList::kAffectation;
      break;
    case kVYXCompteModeAdded:
      list = VYXSharedList::kMode;
      break;
    case kVYXCompteTauxTVAAdded:
      list = VYXSharedList::kTauxTVA;
      break;
    case kVYXCompteTiersAdded:
      list = VYXSharedList::kTiers;
      break;
    case kVYXCompteAffaireAdded:
      list = VYXSharedList::kAffaire;
      break;
    default:
      return;
  }
  if (data) TakeInItem(list, compte, *static_cast<CPResID*>(data));
}
