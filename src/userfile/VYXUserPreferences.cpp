#include "userfile/VYXUserPreferences.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

CPResourceSet& VYXUserPreferences::GetSharedList(VYXSharedList list) {
  switch (list) {
    case VYXSharedList::kCategorie:
      return GetCategories();
    case VYXSharedList::kAffectation:
      return GetAffectations();
    case VYXSharedList::kTiers:
      return GetTiers();
    case VYXSharedList::kAffaire:
      return GetAffaires();
    case VYXSharedList::kMode:
      return GetModes();
    case VYXSharedList::kTauxTVA:
      return GetTauxTVA();
  }
  CPThrow(paramErr);
}

// ---- Settings

void VYXUserPreferences::SetDecimals(VYXDecimalsKind kind, int16_t decimals) {
  decimals = std::clamp<int16_t>(decimals, 0, 10);
  Exclusive hold(*this);
  LoadProPrefs();
  if (proPrefs_.GetDecimals(kind) == decimals) return;
  proPrefs_.SetDecimals(kind, decimals);
  WriteProPrefs();
  BroadcastMessage(kVYXUserMessage, kUserDecimalsChanged, &kind);
}

void VYXUserPreferences::SetThousandsSeparator(bool on) {
  Exclusive hold(*this);
  LoadProPrefs();
  if (bool(proPrefs_.separateurMilliers) == on) return;
  proPrefs_.separateurMilliers = on;
  WriteProPrefs();
  BroadcastMessage(kVYXUserMessage, kUserThousandsChanged, nullptr);
}

void VYXUserPreferences::SetColumnSeparator(uint8_t ch) {
  Exclusive hold(*this);
  LoadProPrefs();
  if (proPrefs_.separateurColonnes == ch) return;
  proPrefs_.separateurColonnes = ch;
  WriteProPrefs();
  BroadcastMessage(kVYXUserMessage, kUserColumnSeparatorChanged, nullptr);
}

void VYXUserPreferences::SetLineSeparator(uint8_t ch) {
  Exclusive hold(*this);
  LoadProPrefs();
  if (proPrefs_.separateurLignes == ch) return;
  proPrefs_.separateurLignes = ch;
  WriteProPrefs();
  BroadcastMessage(kVYXUserMessage, kUserLineSeparatorChanged, nullptr);
}

void VYXUserPreferences::SetListingLines(bool on) {
  Exclusive hold(*this);
  LoadProPrefs();
  if (bool(proPrefs_.lignesListes) == on) return;
  proPrefs_.lignesListes = on;
  WriteProPrefs();
  BroadcastMessage(kVYXUserMessage, kUserListingLinesChanged, nullptr);
}

// ---- Preference records

bool VYXUserPreferences::GetPreferenceRecord(CPResID id, void* data, uint32_t size) {
  const VYXUserPrefsRecordInfo* info = VYXFindUserPrefsRecord(id);
  if (!info) return false;
  std::vector<unsigned char> body(info->size, 0);
  VYXUserPrefsDefaults(id, body.data(), info->size);
  GetPreferences().ReadResource(id, body.data(), info->size);
  std::memset(data, 0, size);
  std::memcpy(data, body.data(), std::min(size, info->size));
  return true;
}

bool VYXUserPreferences::SetPreferenceRecord(CPResID id, const void* data, uint32_t size) {
  const VYXUserPrefsRecordInfo* info = VYXFindUserPrefsRecord(id);
  if (!info) return false;
  std::vector<unsigned char> body(info->size, 0);
  std::memcpy(body.data(), data, std::min(size, info->size));
  CPString name = CPString::FromStd(Utf8ToMacRoman(info->name));
  if (!GetPreferences().WriteResource(id, name, body.data(), info->size)) CPThrow(ioErr);
  // The business records that the windows of their module follow.
  uint32_t code = 0;
  if (id == kPrefAchats) code = kUserAchatsPrefsChanged;
  if (id == kPrefFactures) code = kUserFacturesPrefsChanged;
  if (id == kPrefImmobilisations) code = kUserImmosPrefsChanged;
  if (code) BroadcastMessage(kVYXUserMessage, code, &id);
  return true;
}

bool VYXUserPreferences::GetDialogPosition(CPResID id, int16_t* top, int16_t* left) {
  int16_t pos[2];
  if (!GetDialogPos().ReadResource(id, pos, sizeof pos)) return false;
  *top = pos[0];
  *left = pos[1];
  return true;
}

void VYXUserPreferences::SetDialogPosition(CPResID id, int16_t top, int16_t left) {
  Exclusive hold(*this);
  int16_t pos[2] = {top, left};
  Str255 name = {0};
  if (!GetDialogPos().WriteResource(id, name, pos, sizeof pos)) CPThrow(ioErr);
}

// ---- Accounts

int32_t VYXUserPreferences::AddCompte(const CPFileRef& file, bool relativeOnly) {
  Exclusive hold(*this);
  if (int32_t known = GetCompteIndex(file)) return known;
  CPString name = CPString::FromStd(Utf8ToMacRoman(VYXCompteNameOfFile(file)));
  VYXUserAliasesSet& aliases = GetAliases();
  CPResID aliasID = aliases.GetUniqueID();
  VYXFileAlias alias = VYXFileAlias::Make(file, GetFileSpec());
  if (relativeOnly) alias.absolute.clear();
  aliases.WriteAlias(aliasID, alias);
  UserCompte compte;
  compte.aliasID = aliasID;
  VYXUserComptesSet& comptes = GetComptes();
  CPResID id = comptes.GetUniqueID();
  int32_t position = 0;
  try {
    comptes.AddResource(id, name, compte, &position);
  } catch (...) {
    aliases.RemoveResource(aliasID);
    throw;
  }
  CPFileRef added = file;
  BroadcastMessage(kVYXUserMessage, kUserCompteAdded, &added);
  return comptes.GetResourceIndex(id);
}

void VYXUserPreferences::RemoveCompte(CPResID id, bool detachInvoices) {
  Exclusive hold(*this);
  UserCompte compte;
  if (!GetComptes().ReadResource(id, &compte)) return;
  if (detachInvoices) {
    for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
      Facture facture;
      if (!GetFacture(n, &facture) || facture.header.compte != id) continue;
      Facture old = facture;
      facture.header.compte = 0;
      facture.header.operation = 0;
      ModifyFacture(n, old, facture);
    }
  }
  GetComptes().RemoveResource(id);
  if (compte.aliasID != 0 && GetAliases().ResourceExists(compte.aliasID)) {
    GetAliases().RemoveResource(compte.aliasID);
  }
  BroadcastMessage(kVYXUserMessage, kUserCompteRemoved, &id);
}

bool VYXUserPreferences::CanDeleteCompte(CPResID id) {
  if (!GetComptes().ResourceExists(id)) return false;
  for (int32_t n = 1; n <= GetNbOfFactures(); ++n) {
    Facture facture;
    if (GetFacture(n, &facture) && facture.header.compte == id) return false;
  }
  return true;
}

int32_t VYXUserPreferences::GetNbOfComptes() { return GetComptes().GetResourcesCount(); }

bool VYXUserPreferences::GetNthCompte(int32_t n, CPResID* id) {
  if (n < 1 || n > GetNbOfComptes()) return false;
  *id = GetComptes().GetNthResource(n);
  return *id != 0;
}

VYXUserPreferences::CompteFileState VYXUserPreferences::LocateCompte(int32_t n, CPFileRef* file,
                                                                     bool confirm, bool ask,
                                                                     CPFileRef* expected) {
  CPResID id = 0;
  UserCompte compte;
  if (!GetNthCompte(n, &id) || !GetComptes().ReadResource(id, &compte)) {
    return CompteFileState::kMissing;
  }
  VYXFileAlias alias;
  if (!GetAliases().ReadAlias(compte.aliasID, &alias)) return CompteFileState::kMissing;
  CPFileRef found, beside;
  VYXAliasResolution how =
      VYXResolveAlias(alias, GetFileSpec(), CompteName(id), ask, &found, &beside);
  if (expected) *expected = beside;
  switch (how) {
    case VYXAliasResolution::kNotFound:
      return CompteFileState::kMissing;
    case VYXAliasResolution::kNotAFile:
      *file = found;
      return CompteFileState::kNotAFile;
    case VYXAliasResolution::kOutside:
      *file = found;
      if (!confirm) return CompteFileState::kOutside;
      if (!CPGetInteraction().AskYesNo(
              CPFillVars(CPGetListString(kVYXUserFilesList, kVYXTextUseOutside),
                         {CompteName(id), CPShownText(beside.Path().string()),
                          CPShownText(found.Path().string())}),
              false)) {
        return CompteFileState::kRefused;
      }
      break;
    default:
      *file = found;
      break;
  }
  if (confirm && how != VYXAliasResolution::kRelative) {
    // Found elsewhere: remember where, so that the next opening finds it at once.
    try {
      GetAliases().WriteAlias(compte.aliasID, VYXFileAlias::Make(found, GetFileSpec()));
    } catch (const CPException&) {
    }
  }
  return CompteFileState::kFound;
}

bool VYXUserPreferences::GetNthCompte(int32_t n, CPFileRef* file, bool ask) {
  CompteFileState state = LocateCompte(n, file, ask, ask);
  return state == CompteFileState::kFound || (!ask && state == CompteFileState::kOutside);
}

int32_t VYXUserPreferences::GetCompteIndex(CPResID id) {
  if (!GetComptes().ResourceExists(id)) return 0;
  return GetComptes().GetResourceIndex(id);
}

int32_t VYXUserPreferences::GetCompteIndex(const CPFileRef& file) {
  int32_t count = GetNbOfComptes();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = GetComptes().GetNthResource(n);
    UserCompte compte;
    VYXFileAlias alias;
    if (!GetComptes().ReadResource(id, &compte) ||
        !GetAliases().ReadAlias(compte.aliasID, &alias)) {
      continue;
    }
    CPFileRef found;
    VYXAliasResolution how = VYXResolveAlias(alias, GetFileSpec(), {}, false, &found);
    if (how != VYXAliasResolution::kNotFound && how != VYXAliasResolution::kNotAFile &&
        found.SameFile(file)) {
      return n;
    }
  }
  return 0;
}

void VYXUserPreferences::CompteFileRenamed(int32_t n, const CPFileRef& file) {
  Exclusive hold(*this);
  CPResID id = 0;
  UserCompte compte;
  if (!GetNthCompte(n, &id) || !GetComptes().ReadResource(id, &compte)) CPThrow(kCPErrNotFound);
  CPString name = CPString::FromStd(Utf8ToMacRoman(VYXCompteNameOfFile(file)));
  GetAliases().WriteAlias(compte.aliasID, VYXFileAlias::Make(file, GetFileSpec()));
  Str255 current;
  GetComptes().GetResourceName(id, current);
  if (!CPStrEqual(current, name)) GetComptes().SetResourceName(id, name);
}

bool VYXUserPreferences::GetCompteInfos(int32_t n, UserCompte* infos) {
  CPResID id = 0;
  return GetNthCompte(n, &id) && GetComptes().ReadResource(id, infos);
}

void VYXUserPreferences::SetCompteInfos(int32_t n, const UserCompte& infos) {
  CPResID id = 0;
  if (!GetNthCompte(n, &id)) CPThrow(kCPErrNotFound);
  GetComptes().SetResource(id, infos);
}

CPResID VYXUserPreferences::GetCompteDeviseID(CPResID id) {
  UserCompte compte;
  return GetComptes().ReadResource(id, &compte) ? CPResID(compte.deviseID) : 0;
}

bool VYXUserPreferences::ModuleIsChecked(int32_t n, ModuleGlobal module) {
  UserCompte compte;
  return GetCompteInfos(n, &compte) && compte.ModuleIsChecked(module);
}

void VYXUserPreferences::CheckModule(int32_t n, ModuleGlobal module, bool checked) {
  Exclusive hold(*this);
  UserCompte compte;
  if (!GetCompteInfos(n, &compte)) return;
  UserCompte before = compte;
  if (!compte.CheckModule(module, checked) || std::memcmp(&before, &compte, sizeof compte) == 0)
    return;
  SetCompteInfos(n, compte);
  BroadcastCheck(n, module, checked);
}

void VYXUserPreferences::BroadcastCheck(int32_t position, ModuleGlobal module, bool checked) {
  VYXModuleCheck check{position, module, checked};
  BroadcastMessage(kVYXUserMessage, kUserModuleChecked, &check);
}

std::string VYXUserPreferences::CompteName(CPResID id) {
  Str255 name = {0};
  try {
    GetComptes().GetResourceName(id, name);
  } catch (const CPException&) {
  }
  return PToStd(name);
}

// ---- Families and budget posts. The hierarchy lives only in the display
// order of the families and posts, so it is saved at once.

namespace {

void FileUnder(VYXUserPreferences& user, CPResourceSet& parents, CPResID sub, CPResID sup) {
  VYXUserPreferences::Exclusive hold(user);
  parents.LoadIndex();  // as another station may have left it
  parents.SetSupResourceID(sub, sup);
  parents.SaveIndex();
}

CPResID HolderOf(CPResourceSet& parents, CPResID sub) {
  try {
    return parents.GetSupResourceID(sub);
  } catch (const CPException&) {
    return 0;
  }
}

}  // namespace

void VYXUserPreferences::SetCategorieFamily(CPResID categorie, CPResID family) {
  FileUnder(*this, GetCatFamilies(), categorie, family);
}

CPResID VYXUserPreferences::GetCategorieFamily(CPResID categorie) {
  return HolderOf(GetCatFamilies(), categorie);
}

void VYXUserPreferences::SetCategoriePoste(CPResID categorie, CPResID poste) {
  FileUnder(*this, GetPostes(), categorie, poste);
}

CPResID VYXUserPreferences::GetCategoriePoste(CPResID categorie) {
  return HolderOf(GetPostes(), categorie);
}

CPResID VYXUserPreferences::AddItem(CPResourceSet& set, ConstStringPtr name, const void* data,
                                    uint32_t size) {
  Exclusive hold(*this);
  CPResID id = set.GetUniqueID();
  set.AddResource(id, name, data, size);
  return id;
}

// ---- Opening

void VYXUserPreferences::InitUserPreferences() {
  if (!IsReadingOnly()) InitDevises();
}
