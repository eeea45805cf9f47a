// Renaming, replacing and deleting the items of the lists that accounts share
// with the user file.
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

void VYXUserPreferences::Rename(VYXSharedList list, CPResID id, ConstStringPtr name) {
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
  if (other != 0 && other != id) {
    Change(list, id, other);
  } else {
    // A new name, or the same one spelt otherwise.
    set.SetResourceName(id, name);
  }
  if (other != 0 && other != id) set.RemoveResource(id);
}

// The user file's own records name no shared item yet (articles and invoices,
// which do, are not kept by this version); the hierarchies of families and
// budget posts drop a removed category by themselves.
void VYXUserPreferences::Change(VYXSharedList, CPResID, CPResID) {}

void VYXUserPreferences::ToBeDeleted(VYXSharedList list, CPResID id) {
  CPResourceSet& set = GetSharedList(list);
  if (id == 0 || !set.ResourceExists(id)) return;
  Change(list, id, 0);
}

bool VYXUserPreferences::IsUsed(VYXSharedList list, CPResID id, StringPtr user) {
  if (user) user[0] = 0;
  CPResourceSet& set = GetSharedList(list);
  if (id == 0 || !set.ResourceExists(id)) return false;
  return false;
}
