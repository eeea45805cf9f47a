// The items of the account's lists that operations refer to: whether one is
// used, moving every reference from one item to another (or to none before
// a deletion), and renaming, which merges two items when the new name is
// taken. The same for every list; what differs is which fields of which
// records hold the references.
#include <vector>

#include "accounts/VYXCompte.h"
#include "foundation/CPStrings.h"

namespace {

// Replaces a reference held in a (possibly packed) field.
#define VYX_REPLACE(field) \
  if ((field) == from) {   \
    (field) = to;          \
    changed = true;        \
  }

bool ReplaceIn(Operation& op, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(op.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(op.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(op.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(op.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(op.tva);
      break;
    case kVYXListModes:
      VYX_REPLACE(op.mode);
      break;
    case kVYXListTitres:
      VYX_REPLACE(op.titre);
      break;
    case kVYXListTargets:
      VYX_REPLACE(op.virementId);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(SousOperation& line, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(line.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(line.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(line.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(line.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(line.tva);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(VYXCompteDefaultValues& v, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(v.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(v.affectation);
      break;
    case kVYXListModes:
      VYX_REPLACE(v.mode);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(v.tvaDep);
      VYX_REPLACE(v.tvaRec);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(OpPredefinie& p, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(p.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(p.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(p.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(p.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(p.tva);
      break;
    case kVYXListModes:
      VYX_REPLACE(p.mode);
      break;
    case kVYXListTargets:
      VYX_REPLACE(p.virement);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(SousOpPredefinie& p, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(p.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(p.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(p.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(p.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(p.tva);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(OperationAuto& a, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(a.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(a.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(a.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(a.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(a.tva);
      break;
    case kVYXListModes:
      VYX_REPLACE(a.mode);
      break;
    case kVYXListTargets:
      VYX_REPLACE(a.virement);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(LibelleTelematique& l, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListCategories:
      VYX_REPLACE(l.categorie);
      break;
    case kVYXListAffectations:
      VYX_REPLACE(l.affectation);
      break;
    case kVYXListTiers:
      VYX_REPLACE(l.tiers);
      break;
    case kVYXListAffaires:
      VYX_REPLACE(l.affaire);
      break;
    case kVYXListTauxTVA:
      VYX_REPLACE(l.tva);
      break;
    case kVYXListModes:
      VYX_REPLACE(l.mode);
      break;
    default:
      break;
  }
  return changed;
}

bool ReplaceIn(Mode& m, VYXCompteList list, CPResID from, CPResID to) {
  bool changed = false;
  switch (list) {
    case kVYXListChequiers:
      VYX_REPLACE(m.chequierID);
      break;
    case kVYXListTargets:
      VYX_REPLACE(m.virementID);
      break;
    default:
      break;
  }
  return changed;
}

#undef VYX_REPLACE

bool LinesCarry(VYXCompteList list) {
  return list == kVYXListCategories || list == kVYXListAffectations || list == kVYXListTiers ||
         list == kVYXListAffaires || list == kVYXListTauxTVA;
}

// Only modes refer to cheque books; operations refer to every other list.
bool OperationsCarry(VYXCompteList list) { return list != kVYXListChequiers; }

template <typename T>
void RewriteEach(CPResourceSet_T<T>& set, VYXCompteList list, CPResID from, CPResID to) {
  for (CPResID id : CPResourceIDsInOrder(set)) {
    T record;
    if (!set.ReadResource(id, &record)) continue;
    if (ReplaceIn(record, list, from, to)) set.SetResource(id, record);
  }
}

}  // namespace

CPResourceSet& VYXCompte::GetListSet(VYXCompteList list) {
  switch (list) {
    case kVYXListCategories:
      return GetCategories();
    case kVYXListAffectations:
      return GetAffectations();
    case kVYXListTiers:
      return GetTiers();
    case kVYXListAffaires:
      return GetAffaires();
    case kVYXListTauxTVA:
      return GetTVAs();
    case kVYXListModes:
      return GetModes();
    case kVYXListTitres:
      return GetTitres();
    case kVYXListChequiers:
      return GetChequiers();
    default:
      return GetTargets();
  }
}

bool VYXCompte::ListItemIsUsed(VYXCompteList list, CPResID id) {
  if (id == 0) return false;
  if (!OperationsCarry(list)) {
    for (CPResID modeID : CPResourceIDsInOrder(GetModes())) {
      Mode copy;
      if (GetModes().ReadResource(modeID, &copy) && ReplaceIn(copy, list, id, id)) return true;
    }
    return false;
  }
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    Operation probe = op;
    if (ReplaceIn(probe, list, id, id)) return true;
    if (!LinesCarry(list) || op.sousOpsNbr <= 0) continue;
    SousOperation line;
    VYXDataRef sousRef;
    for (bool l = GetFirstSousOperation(op, &line, &sousRef); l;
         l = GetNextSousOperation(op, &line, &sousRef)) {
      if (ReplaceIn(line, list, id, id)) return true;
    }
  }
  return false;
}

void VYXCompte::ChangeInOperations(VYXCompteList list, CPResID oldID, CPResID newID) {
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    Operation changed = op;
    if (ReplaceIn(changed, list, oldID, newID)) {
      // The card total depends on the mode; everything else that is summed stays.
      bool wasEncours = IsEncoursCartes(op), isEncours = IsEncoursCartes(changed);
      OperationModified(&ref, changed);
      if (wasEncours) encoursCartes_ -= double(op.montant);
      if (isEncours) encoursCartes_ += double(changed.montant);
      VYXCompteOpMessage msg;
      msg.ref = ref;
      msg.op = &changed;
      msg.oldOp = &op;
      Broadcast(kVYXCompteOpModified, &msg);
    }
    if (!LinesCarry(list) || changed.sousOpsNbr <= 0) continue;
    SousOperation line;
    VYXDataRef sousRef;
    for (bool l = GetFirstSousOperation(changed, &line, &sousRef); l;
         l = GetNextSousOperation(changed, &line, &sousRef)) {
      SousOperation lineChanged = line;
      if (!ReplaceIn(lineChanged, list, oldID, newID)) continue;
      VYXCompteOpMessage msg;
      msg.ref = ref;
      msg.op = &changed;
      msg.sousRef = sousRef;
      msg.sousOp = &lineChanged;
      Broadcast(kVYXCompteSousOpModified, &msg);
      SousOperationModified(&sousRef, lineChanged);
    }
  }
}

void VYXCompte::ChangeInLists(VYXCompteList list, CPResID oldID, CPResID newID) {
  VYXCompteDefaultValues defaults = prefs_.GetDefaultValues();
  if (ReplaceIn(defaults, list, oldID, newID)) SetDefaultValues(defaults);
  RewriteEach(GetOpPredefinies(), list, oldID, newID);
  RewriteEach(GetSousOpPredefinies(), list, oldID, newID);
  RewriteEach(GetOpAutomatiques(), list, oldID, newID);
  RewriteEach(GetLibelles(), list, oldID, newID);
  RewriteEach(GetModes(), list, oldID, newID);
}

void VYXCompte::ChangeListItem(VYXCompteList list, CPResID oldID, CPResID newID) {
  if (oldID == 0 || oldID == newID || !GetListSet(list).ResourceExists(oldID)) return;
  VYXCompteBulk bulk(*this);
  if (OperationsCarry(list)) ChangeInOperations(list, oldID, newID);
  ChangeInLists(list, oldID, newID);
}

void VYXCompte::RenameListItem(VYXCompteList list, CPResID id, ConstStringPtr name) {
  CPResourceSet& set = GetListSet(list);
  if (id == 0 || !set.ResourceExists(id)) return;
  Str255 current;
  set.GetResourceName(id, current);
  if (CPStrEqual(current, name)) return;
  if (set.ResourceExists(name)) {
    CPResID other = set.GetResourceID(name);
    if (other != id) {
      VYXCompteBulk bulk(*this);
      ChangeListItem(list, id, other);
      set.RemoveResource(id);
      return;
    }
  }
  set.SetResourceName(id, name);
}
