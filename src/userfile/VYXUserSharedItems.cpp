// Renaming, replacing and deleting the items of the lists that accounts share
// with the user file. Each change reaches the accounts open at that moment,
// matched by name; the others catch up when they next open (CheckCompte).
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

void VYXUserPreferences::Rename(VYXSharedList list, CPResID id, ConstStringPtr name) {
  Exclusive hold(*this);
  CPResourceSet& set = GetSharedList(list);
  Str255 old;
  try {
    if (!set.ResourceExists(id)) return;
    set.GetResourceName(id, old);
  } catch (const CPException&) {
    return;
  }
  CPResID other = set.ResourceExists(name) ? set.GetResourceID(name) : 0;
  if (other == id && CPStrEqual(old, name)) return;
  bool merge = other != 0 && other != id;
  if (merge) {
    Change(list, id, other);
  } else {
    // A new name, or the same one spelt otherwise.
    set.SetResourceName(id, name);
  }
  VYXCompteList kind = VYXCompteListOf(list);
  for (VYXCompte* compte : std::vector<VYXCompte*>(GetOpenComptes())) {
    CPResourceSet& theirs = compte->GetListSet(kind);
    if (theirs.ResourceExists(old)) compte->RenameListItem(kind, theirs.GetResourceID(old), name);
  }
  if (merge) set.RemoveResource(id);
}

// The hierarchies of families and budget posts drop a removed category by
// themselves; articles, documents and saved selections are rewritten.
void VYXUserPreferences::Change(VYXSharedList list, CPResID oldID, CPResID newID) {
  ChangeUserRecords(list, oldID, newID);
  ChangeSavedSelections(list, oldID, newID);
}

// An open account that still uses the item keeps its copy; the others lose
// theirs, every reference to it cleared first (default values, predefined
// and automatic operations may name an item no operation uses).
void VYXUserPreferences::ToBeDeleted(VYXSharedList list, CPResID id) {
  Exclusive hold(*this);
  CPResourceSet& set = GetSharedList(list);
  Str255 name;
  try {
    if (id == 0 || !set.ResourceExists(id)) return;
    set.GetResourceName(id, name);
  } catch (const CPException&) {
    return;
  }
  Change(list, id, 0);
  VYXCompteList kind = VYXCompteListOf(list);
  for (VYXCompte* compte : std::vector<VYXCompte*>(GetOpenComptes())) {
    CPResourceSet& theirs = compte->GetListSet(kind);
    if (!theirs.ResourceExists(name)) continue;
    CPResID theirID = theirs.GetResourceID(name);
    if (compte->ListItemIsUsed(kind, theirID)) continue;
    compte->ListItemToBeDeleted(kind, theirID);
    theirs.RemoveResource(theirID);
  }
}

bool VYXUserPreferences::IsUsed(VYXSharedList list, CPResID id, StringPtr user) {
  if (user) user[0] = 0;
  CPResourceSet& set = GetSharedList(list);
  Str255 name;
  try {
    if (id == 0 || !set.ResourceExists(id)) return false;
    set.GetResourceName(id, name);
  } catch (const CPException&) {
    return false;
  }
  if (UserRecordsUse(list, id, user)) return true;
  VYXCompteList kind = VYXCompteListOf(list);
  for (VYXCompte* compte : GetOpenComptes()) {
    CPResourceSet& theirs = compte->GetListSet(kind);
    if (theirs.ResourceExists(name) && compte->ListItemIsUsed(kind, theirs.GetResourceID(name))) {
      if (user) compte->GetName(user);
      return true;
    }
  }
  return false;
}
