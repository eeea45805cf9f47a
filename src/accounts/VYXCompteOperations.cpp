// Adding, modifying and deleting operations and split lines: the lock-date
// rules, the key counter, the split-line figures and the running sums.
#include <algorithm>
#include <cstring>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXCompteGlance.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"

namespace {

// Strictly after the lock day; a date of 0 (a bank date not known) never is.
bool AfterLock(CPDate date, CPDate lock) { return date != 0 && CPCompareDates(date, lock) > 0; }

}  // namespace

// ---- lock date

std::string VYXOperationTitle(ConstStringPtr label, CPDate date) {
  std::string text;
  int item = kVYXNamedOperationItem;
  if (label[0] != 0) {
    text = PToStd(label);
  } else if (date != 0) {
    item = kVYXUndatedLabelItem;
    text = CPDateToStr(date);
  } else {
    item = kVYXUnlabelledItem;
  }
  std::string title = CPGetListString(kVYXCompteErrorsList, item);
  CPReplaceVar(title, 1, text);
  return title;
}

void VYXRefuseLocked(int item, const Operation& op) {
  CPThrowList(kVYXErrCompteLocked, kVYXCompteErrorsList, item,
              {VYXOperationTitle(op.libelle, op.date)});
}

bool VYXCompte::CanAddOperation(const Operation& op) const {
  return VYXCanAddOperation(infos_.lockDate, op);
}

bool VYXCompte::CanDeleteOperation(const Operation& op) const { return CanAddOperation(op); }

bool VYXCompte::CanModifyOperation(const Operation& oldOp, const Operation& newOp) const {
  return VYXCanModifyOperation(infos_.lockDate, oldOp, newOp);
}

bool VYXCanAddOperation(CPDate lock, const Operation& op) {
  if (lock == 0) return true;
  return AfterLock(op.date, lock) && AfterLock(op.datePointe, lock);
}

bool VYXCanModifyOperation(CPDate lock, const Operation& oldOp, const Operation& newOp) {
  if (lock == 0) return true;
  if (oldOp.date != newOp.date && !(AfterLock(oldOp.date, lock) && AfterLock(newOp.date, lock))) {
    return false;
  }
  if (oldOp.datePointe != newOp.datePointe &&
      !(AfterLock(oldOp.datePointe, lock) && AfterLock(newOp.datePointe, lock))) {
    return false;
  }
  if (AfterLock(oldOp.date, lock) && AfterLock(oldOp.datePointe, lock)) return true;
  // A locked operation: what it weighs in the totals must not move.
  return double(oldOp.montant) == double(newOp.montant) &&
         double(oldOp.montantTva) == double(newOp.montantTva) &&
         double(oldOp.montantSousOp) == double(newOp.montantSousOp) &&
         double(oldOp.montantTvaSousOp) == double(newOp.montantTvaSousOp) && oldOp.tva == newOp.tva;
}

// ---- sums

// The session totals keep debits and credits apart: taking an amount out
// takes it from the side it went to.
void VYXCompte::ApplySums(const Operation& op, int sign) {
  double montant = op.montant;
  MontantSet_Add(infos_.total, op.status, sign * montant);
  if (sign > 0) {
    editionTotal_.Add(montant);
    if (op.status == kOpPointee) pointageTotal_.Add(montant);
  } else {
    editionTotal_.Remove(montant);
    if (op.status == kOpPointee) pointageTotal_.Remove(montant);
  }
  if (IsEncoursCartes(op)) encoursCartes_ += sign * montant;
}

// ---- operations

void VYXCompte::AddOperation(Operation& op, VYXDataRef* ref, bool keepID) {
  if (!CanAddOperation(op)) VYXRefuseLocked(kVYXCannotAddItem, op);
  CheckOperationData(op, nullptr);

  Operation stored = op;
  stored.header.marker = kCompteDataMarker;
  stored.header.type = kOperationData;
  stored.header.deleted = 0;
  stored.header.creation = stored.header.modification = CPClock::Now();
  stored.sousOpsNbr = 0;
  stored.montantSousOp = 0;
  stored.montantTvaSousOp = 0;

  uint16_t counter = infos_.autoIncrement;
  if (keepID && keys_.CanKeep(stored.header.dataID)) {
    counter = VYXCompteKeys::AfterKeptKey(counter, stored.header.dataID);
  } else {
    DataID key = keys_.Draw(&counter);
    if (key == 0) CPThrowList(kVYXErrCompteFull, kVYXCompteErrorsList, kVYXCompteFullItem);
    stored.header.dataID = key;
  }

  VYXDataRef at = 0;
  OperationAdded(stored, &at);
  keys_.Use(stored.header.dataID);
  infos_.autoIncrement = counter;
  ++infos_.nbOfOperations;
  ApplySums(stored, 1);
  WriteInformations();

  op = stored;
  if (ref) *ref = at;
  VYXCompteOpMessage msg;
  msg.ref = at;
  msg.op = &stored;
  Broadcast(kVYXCompteOpAdded, &msg);
}

void VYXCompte::ModifyOperation(VYXDataRef& ref, const Operation& op) {
  Operation old;
  GetOperation(ref, &old);
  if (!CanModifyOperation(old, op)) VYXRefuseLocked(kVYXCannotModifyItem, op);
  CheckOperationData(op, &old);

  Operation stored = op;
  stored.header.marker = kCompteDataMarker;
  stored.header.type = kOperationData;
  // The stored form has no deleted mark: an operation leaves through
  // DeleteOperation, never by a modification.
  stored.header.deleted = 0;
  stored.header.creation = old.header.creation;
  stored.header.modification = CPClock::Now();
  // The key ties the split lines to the operation, and their figures are
  // theirs to keep: neither comes from the caller.
  stored.header.dataID = old.header.dataID;
  stored.sousOpsNbr = old.sousOpsNbr;
  stored.montantSousOp = old.montantSousOp;
  stored.montantTvaSousOp = old.montantTvaSousOp;

  OperationModified(&ref, stored);
  ApplySums(old, -1);
  ApplySums(stored, 1);
  WriteInformations();

  VYXCompteOpMessage msg;
  msg.ref = ref;
  msg.op = &stored;
  msg.oldOp = &old;
  Broadcast(kVYXCompteOpModified, &msg);
}

void VYXCompte::DeleteOperation(VYXDataRef ref) {
  Operation op;
  GetOperation(ref, &op);
  if (!CanDeleteOperation(op)) VYXRefuseLocked(kVYXCannotDeleteItem, op);
  if (op.header.deleted) return;

  VYXCompteBulk bulk(*this);
  DeleteNote(op.note);
  // Each line goes as DeleteSousOperation would take it, so that listeners
  // see the lines leave before their operation.
  SousOperation line;
  VYXDataRef sousRef;
  while (GetFirstSousOperation(op, &line, &sousRef)) {
    DeleteNote(line.note);
    SousOperationDeleted(sousRef);
    VYXCompteOpMessage msg;
    msg.ref = ref;
    msg.op = &op;
    msg.sousRef = sousRef;
    msg.sousOp = &line;
    Broadcast(kVYXCompteSousOpDeleted, &msg);
  }

  OperationDeleted(ref);
  keys_.Release(op.header.dataID);
  if (infos_.nbOfOperations > 0) --infos_.nbOfOperations;
  ApplySums(op, -1);
  WriteInformations();

  VYXCompteOpMessage msg;
  msg.ref = ref;
  msg.op = &op;
  Broadcast(kVYXCompteOpDeleted, &msg);
}

void VYXCompte::DeleteNote(CPResID note) {
  if (note == 0) return;
  for (CPResourceSet* set : {&GetSmallNotesText(), &GetSmallNotesStyle(), &GetSmallNotesInfos()}) {
    if (set->ResourceExists(note)) set->RemoveResource(note);
  }
}

// ---- split lines

// Numbers stay unique within the operation: after a line was deleted, the
// count of live lines + 1 could name a line still there.
DataID VYXCompte::NextLineNumber(const Operation& op) {
  DataID highest = 0;
  SousOperation line;
  VYXDataRef at;
  for (bool more = GetFirstSousOperation(op, &line, &at); more;
       more = GetNextSousOperation(op, &line, &at)) {
    DataID number = line.header.dataID;
    if (number > highest) highest = number;
  }
  return highest + 1;
}

void VYXCompte::RewriteForLines(VYXDataRef& ref, const Operation& oldOp, const Operation& newOp) {
  // A line moves the operation's split figures, which the lock protects
  // like its amount.
  if (!CanModifyOperation(oldOp, newOp)) VYXRefuseLocked(kVYXCannotModifyItem, oldOp);
  OperationModified(&ref, newOp);
}

void VYXCompte::AddSousOperation(VYXDataRef& ref, SousOperation& line, VYXDataRef* sousRef) {
  Operation op;
  GetOperation(ref, &op);
  CheckSousOperationData(line, nullptr);
  if (op.sousOpsNbr == INT16_MAX) {
    CPThrowList(kVYXErrCompteBadData, kVYXCompteErrorsList, kVYXTooManyLinesItem,
                {VYXOperationTitle(op.libelle, op.date)});
  }
  Operation next = op;
  next.sousOpsNbr = int16_t(op.sousOpsNbr + 1);
  next.montantSousOp = double(op.montantSousOp) + double(line.montant);
  next.montantTvaSousOp = double(op.montantTvaSousOp) + double(line.montantTva);
  next.header.modification = CPClock::Now();
  if (!CanModifyOperation(op, next)) VYXRefuseLocked(kVYXCannotModifyItem, op);

  SousOperation stored = line;
  stored.header.marker = kCompteDataMarker;
  stored.header.type = kSousOperationData;
  stored.header.deleted = 0;
  stored.header.dataID = NextLineNumber(op);
  stored.header.creation = stored.header.modification = CPClock::Now();
  stored.operation = uint16_t(op.header.dataID);

  VYXDataRef at = 0;
  SousOperationAdded(stored, &at);
  try {
    RewriteForLines(ref, op, next);
  } catch (...) {
    SousOperationDeleted(at);
    throw;
  }
  line = stored;
  if (sousRef) *sousRef = at;
  VYXCompteOpMessage msg;
  msg.ref = ref;
  msg.op = &next;
  msg.sousRef = at;
  msg.sousOp = &stored;
  Broadcast(kVYXCompteSousOpAdded, &msg);
}

void VYXCompte::ModifySousOperation(VYXDataRef& ref, const SousOperation& line,
                                    VYXDataRef& sousRef) {
  Operation op;
  GetOperation(ref, &op);
  SousOperation old;
  GetSousOperation(sousRef, &old);
  CheckSousOperationData(line, &old);

  SousOperation stored = line;
  stored.header.marker = kCompteDataMarker;
  stored.header.type = kSousOperationData;
  // As for operations, the stored form has no deleted mark: a line leaves
  // through DeleteSousOperation. Counting a caller's mark here would take the
  // line out of the operation's figures while it stays in the table.
  stored.header.deleted = 0;
  stored.header.dataID = old.header.dataID;
  stored.header.creation = old.header.creation;
  stored.header.modification = CPClock::Now();
  stored.operation = old.operation;

  // Lines read from the table are live: the count stays, the amounts move.
  Operation next = op;
  next.montantSousOp = double(op.montantSousOp) - double(old.montant) + double(stored.montant);
  next.montantTvaSousOp =
      double(op.montantTvaSousOp) - double(old.montantTva) + double(stored.montantTva);
  next.header.modification = CPClock::Now();
  if (!CanModifyOperation(op, next)) VYXRefuseLocked(kVYXCannotModifyItem, op);

  // Listeners read the old line from the table while they hear of the change.
  VYXCompteOpMessage msg;
  msg.ref = ref;
  msg.op = &op;
  msg.sousRef = sousRef;
  msg.sousOp = &stored;
  Broadcast(kVYXCompteSousOpModified, &msg);

  SousOperationModified(&sousRef, stored);
  try {
    RewriteForLines(ref, op, next);
  } catch (...) {
    SousOperationModified(&sousRef, old);
    throw;
  }
}

void VYXCompte::DeleteSousOperation(VYXDataRef& ref, VYXDataRef sousRef) {
  Operation op;
  GetOperation(ref, &op);
  SousOperation line;
  GetSousOperation(sousRef, &line);
  if (line.header.deleted) return;
  Operation next = op;
  next.sousOpsNbr = int16_t(std::max<int>(0, op.sousOpsNbr - 1));
  next.montantSousOp = double(op.montantSousOp) - double(line.montant);
  next.montantTvaSousOp = double(op.montantTvaSousOp) - double(line.montantTva);
  next.header.modification = CPClock::Now();
  if (!CanModifyOperation(op, next)) VYXRefuseLocked(kVYXCannotModifyItem, op);

  // The line leaves its table: its stored form has no room for a deleted
  // mark, and the operation's count must agree with the lines found.
  SousOperationDeleted(sousRef);
  try {
    RewriteForLines(ref, op, next);
  } catch (...) {
    SousOperationAdded(line, &sousRef);
    throw;
  }
  DeleteNote(line.note);
  line.header.deleted = 1;
  VYXCompteOpMessage msg;
  msg.ref = ref;
  msg.op = &next;
  msg.sousRef = sousRef;
  msg.sousOp = &line;
  Broadcast(kVYXCompteSousOpDeleted, &msg);
}
