#include "accounts/VYXSDBCompte.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "accounts/VYXCompteErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

// A reload is due again 30 days after the last one.
constexpr CPDate kReloadDelay = 2592000;

std::string Stem(const CPFileRef& fileRef) {
  std::filesystem::path path = fileRef.Path();
  if (path.extension() == ".cpt") return path.stem().string();
  return path.filename().string();
}

}  // namespace

VYXSDBCompte::VYXSDBCompte(VYXCompteSupervisor& supervisor, const CPFileRef& fileRef)
    : VYXCompte(supervisor), fileRef_(fileRef) {}

VYXSDBCompte::~VYXSDBCompte() {
  try {
    Close();
  } catch (...) {
    // Closing from a destructor has nobody to report to; Close shows errors.
  }
}

void VYXSDBCompte::GetName(StringPtr name) const {
  std::string macRoman;
  std::string offending;
  if (!TryUtf8ToMacRoman(Stem(fileRef_), &macRoman, &offending)) macRoman = Stem(fileRef_);
  StdToP(macRoman, name);
}

VYXCompteSets& VYXSDBCompte::Sets() const {
  Store& store = S();
  if (!store.sets) CPThrow(kVYXErrCompteNotMade);
  return *store.sets;
}

VYXSDBCompte::Store& VYXSDBCompte::S() const {
  if (!store_) CPThrow(kVYXErrCompteNotMade);
  return *store_;
}

CPResourceSet_T<Mode>& VYXSDBCompte::GetModes() {
  Store& store = S();
  return store.sets ? store.sets->modes : *store.modesOnly;
}

CPResourceStorage& VYXSDBCompte::GetResourceStorage() { return *S().resources; }

CPSimpleDBFile& VYXSDBCompte::GetDataBase() { return *S().file; }

// ---- the file and what is built on it

void VYXSDBCompte::OpenStore(OpenMode mode) {
  auto store = std::make_unique<Store>();
  store->file = std::make_unique<CPSimpleDBFullMemoryFile>(fileRef_);
  if (mode == OpenMode::kCreate) {
    Str255 signature;
    StdToP(kVYXCompteSignature, signature);
    store->file->Create(kVYXCompteCreator, kVYXCompteFileType, signature, kVYXCompteContentVersion,
                        false);
  } else if (mode == OpenMode::kChecking) {
    store->file->OpenWritingLater(kVYXCompteContentVersion);
  } else if (mode == OpenMode::kReading) {
    store->file->OpenForReading(kVYXCompteContentVersion, false);
  } else {
    store->file->Open(kVYXCompteContentVersion, false, false);
  }
  try {
    CPSimpleDBFile* file = store->file.get();
    store->resources = std::make_unique<CPSimpleDBResourceStorage>(file, kVYXCompteStorageID);
    store->infos = std::make_unique<VYXSDBCompteInfosHandler>(file);
    store->operations = std::make_unique<VYXSDBOperationHandler>(file);
    store->lines = std::make_unique<VYXSDBSousOperationHandler>(file);
    if (mode == OpenMode::kChecking) {
      store->modesOnly = std::make_unique<CPResourceSet_T<Mode>>(*store->resources, 'MODE');
    } else {
      store->sets = std::make_unique<VYXCompteSets>(*store->resources);
    }
    // The tables are listed by the scan, which reads every record anyway.
  } catch (...) {
    store->sets.reset();
    store->modesOnly.reset();
    store->lines.reset();
    store->operations.reset();
    store->infos.reset();
    store->resources.reset();
    try {
      store->file->Close();
    } catch (...) {
      // The failure that brought us here is the one to report.
    }
    throw;
  }
  store_ = std::move(store);
}

void VYXSDBCompte::CloseStore() {
  if (!store_) return;
  std::unique_ptr<Store> store = std::move(store_);
  store->sets.reset();
  store->modesOnly.reset();
  store->lines.reset();
  store->operations.reset();
  store->infos.reset();
  store->resources.reset();
  store->file->Close();
}

void VYXSDBCompte::SaveBeforeClosing() {
  if (store_ && loaded_ && !store_->file->IsReadOnly()) Sets().SaveIndexes();
}

void VYXSDBCompte::Close() {
  if (!store_) return;
  try {
    if (loaded_) {
      BroadcastIsBeingClosed();
      if (!store_->file->IsReadOnly()) Sets().SaveIndexes();
    }
  } catch (...) {
    DropTotaux();
    CloseStore();
    loaded_ = false;
    throw;
  }
  loaded_ = false;
  DropTotaux();
  CloseStore();
}

// ---- opening

bool VYXSDBCompte::OpenAndCheck(bool check) {
  try {
    OpenStore(OpenMode::kChecking);
  } catch (const CPException& e) {
    if (e.Code() == kSDBErrInterrupted) return false;
    throw;
  }
  // A failure from here on is the caller's to clean up (it closes the store).
  LoadCompteFile();
  ScanCompteFile(check);
  if (!store_->file->StartWriting()) return false;
  store_->modesOnly.reset();
  store_->sets = std::make_unique<VYXCompteSets>(*store_->resources);
  return true;
}

void VYXSDBCompte::ICompte(bool newFile, bool check, bool /*show*/) {
  if (store_) CPThrow(kVYXErrCompteNotMade);
  // An account is named after its file: a name MacRoman cannot hold is
  // refused here rather than shown altered.
  Utf8ToMacRoman(Stem(fileRef_));
  loaded_ = false;
  infosStored_ = false;
  try {
    if (reading_ && !newFile) {
      OpenStore(OpenMode::kReading);
      LoadCompteFile();
      ScanCompteFile(check);
      LoadPreferences();
    } else if (newFile) {
      OpenStore(OpenMode::kCreate);
      LoadPreferences();
      NewCompteFile();
      ScanCompteFile(check);
    } else {
      if (!OpenAndCheck(check)) {
        CloseStore();
        OpenStore(OpenMode::kReadWrite);
        LoadCompteFile();
        ScanCompteFile(check);
      }
      LoadPreferences();
    }
    VYXCompteBulk bulk(*this);
    ListenToLists();
    InitTotaux();
    supervisor_.CheckCompte(*this);
    FollowReportLink();
    if (check && !infos_.reload && CPClock::Now() - infos_.lastReloadDate < kReloadDelay) {
      LoadCompteStream();
    }
    infos_.reload = 0;
    infos_.lastReloadDate = CPClock::Now();
    CheckCompteData();
    if (infos_.converted && !reading_) {
      std::string question = CPGetListString(kVYXConversionList, kVYXKeepConvertedItem);
      CPReplaceVar(question, 1, GetName());
      if (!CPGetInteraction().AskYesNo(question, true)) infos_.converted = 0;
    }
    WriteInformations();
    loaded_ = true;
  } catch (...) {
    DropTotaux();
    CloseStore();
    throw;
  }
}

void VYXSDBCompte::NewCompteFile() {
  infos_ = CompteInfos();
  infos_.header.creation = infos_.header.modification = CPClock::Now();
  infos_.devise = supervisor_.GetReferenceDevise();
  infos_.reload = 1;
  WriteInformations();
}

void VYXSDBCompte::LoadCompteFile() {
  CompteInfos infos;
  if (S().file->GetHeader().type != kVYXCompteFileType || !S().infos->Read(&infos)) {
    CPThrowList(kVYXErrCompteDamaged, kVYXCompteErrorsList, kVYXNotACompteItem, {GetName()});
  }
  if (infos.fileVersion != 0) {
    CPThrowList(kVYXErrCompteVersion, kVYXCompteErrorsList, kVYXUnknownVersionItem, {GetName()});
  }
  infos_ = storedInfos_ = infos;
  infosStored_ = true;
  if (!TestPassword()) CPThrowCancel();
}

// What changed in the information record since it was read or written,
// beyond its dates: the date of a reload (every opening) alone is not worth a
// write, and goes with the next change; the first reload of a new file is.
// Sums that differ from the stored ones
// only in their last bits (added in another order) are the same sums.
bool VYXSDBCompte::InformationsChanged() const {
  CompteInfos now = infos_;
  if (now.reload == storedInfos_.reload) now.lastReloadDate = storedInfos_.lastReloadDate;
  now.header.modification = storedInfos_.header.modification;
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (std::fabs(now.total.montant[s] - storedInfos_.total.montant[s]) < 1e-6)
      now.total.montant[s] = storedInfos_.total.montant[s];
  }
  return std::memcmp(&now, &storedInfos_, sizeof now) != 0;
}

void VYXSDBCompte::ScanCompteFile(bool /*check*/) {
  MontantSet stored = infos_.total;
  uint32_t storedCount = infos_.nbOfOperations;
  ResetRunningState();
  std::string title = CPGetListString(kVYXCompteQuestionsList, kVYXScanProgressItem);
  CPReplaceVar(title, 1, GetName());
  // A stored count of 0 gives a progress of unknown length rather than a
  // division by it.
  CPProgress progress(title, long(storedCount));
  std::unordered_map<CPResID, bool> cardModes;
  uint32_t count = 0;
  // One walk of the whole file in table order, each record read once where
  // it lies and its checksum checked: the operations are summed and listed,
  // the split lines listed, on the way.
  Store& store = S();
  VYXSDBOperationHandler& operations = *store.operations;
  VYXSDBSousOperationHandler& lines = *store.lines;
  operations.StartList();
  lines.StartList();
  // The totals engine counts from the same decoded records (VYXCompteTotauxHook.h).
  scanCount_ = VYXMakeCompteTotauxCount();
  VYXCompteTotauxCount* totaux = scanCount_.get();
  Operation op;
  SousOperation line;
  auto visit = [&](const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum,
                   const unsigned char* bytes, CPDataSize size) {
    if (info.type == kVYXOperationsTable) {
      operations.List(info, refnum, bytes, size, &op);
      NoteScannedOperation(op, cardModes);
      if (totaux) totaux->CountOperation(op);
      if ((++count & 255) == 0) progress.Update(long(count));
    } else if (info.type == kVYXSousOperationsTable) {
      lines.List(info, refnum, bytes, size);
      if (totaux) {
        lines.Decode(info, bytes, size, &line);
        totaux->CountSousOperation(line);
      }
    }
    return true;
  };
  store.file->ForEachDataInOrder(&operations, 0, visit);
  progress.Update(long(count));
  MontantSet found = infos_.total;
  bool differ = count != storedCount;
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (std::fabs(found.montant[s] - stored.montant[s]) > 0.1) differ = true;
  }
  // A reader shows the figures it found; the question is for a writer, who
  // would store them.
  if (differ && !reading_) {
    std::string question = CPGetListString(kVYXCompteQuestionsList, kVYXSumsDifferItem);
    CPReplaceVar(question, 1, GetName());
    if (!CPGetInteraction().AskYesNo(question, false)) {
      infos_.total = stored;
      CPThrowCancel();
    }
  }
  infos_.nbOfOperations = uint16_t(std::min<uint32_t>(count, kVYXMaxOperationKey));
}

void VYXSDBCompte::LoadPreferences() { prefs_.Load(Sets().preferences); }

void VYXSDBCompte::SavePreferences() {
  for (int i = 0; i < kVYXComptePrefCount; ++i)
    prefs_.Save(Sets().preferences, kVYXComptePrefSpecs[i].id);
}

void VYXSDBCompte::SavePreference(CPResID id) { prefs_.Save(Sets().preferences, id); }

// A record that would change only by its date is not rewritten: setting a
// value to what it is, or opening an account, writes nothing.
void VYXSDBCompte::WriteInformations() {
  if (S().file->IsReadOnly()) return;
  if (infosStored_ && !InformationsChanged()) return;
  infos_.header.modification = CPClock::Now();
  S().infos->Write(infos_);
  storedInfos_ = infos_;
  infosStored_ = true;
}

// ---- reading

bool VYXSDBCompte::GetFirstOperation(Operation* op, VYXDataRef* ref) {
  return GetNthOperation(1, op, ref);
}

bool VYXSDBCompte::GetNextOperation(Operation* op, VYXDataRef* ref) {
  VYXDataRef next = S().operations->Next(*ref);
  if (next == 0) return false;
  S().operations->Read(next, op);
  *ref = next;
  return true;
}

bool VYXSDBCompte::GetNthOperation(uint32_t n, Operation* op, VYXDataRef* ref) {
  VYXDataRef at = S().operations->Nth(n);
  if (at == 0) return false;
  S().operations->Read(at, op);
  *ref = at;
  return true;
}

void VYXSDBCompte::GetOperation(VYXDataRef ref, Operation* op) {
  if (!S().operations->Contains(ref)) {
    CPThrowList(kVYXErrCompteNoOperation, kVYXCompteErrorsList, kVYXNoOperationItem);
  }
  S().operations->Read(ref, op);
}

bool VYXSDBCompte::FindOperation(DataID key, Operation* op, VYXDataRef* ref) {
  VYXDataRef at = S().operations->Find(key);
  if (at == 0) return false;
  if (op) S().operations->Read(at, op);
  if (ref) *ref = at;
  return true;
}

bool VYXSDBCompte::GetFirstSousOperation(const Operation& op, SousOperation* line,
                                         VYXDataRef* sousRef) {
  VYXDataRef at = S().lines->First(op.header.dataID);
  if (at == 0) return false;
  S().lines->Read(at, line);
  *sousRef = at;
  return true;
}

bool VYXSDBCompte::GetNextSousOperation(const Operation& op, SousOperation* line,
                                        VYXDataRef* sousRef) {
  VYXDataRef at = S().lines->Next(op.header.dataID, *sousRef);
  if (at == 0) return false;
  S().lines->Read(at, line);
  *sousRef = at;
  return true;
}

void VYXSDBCompte::GetSousOperation(VYXDataRef sousRef, SousOperation* line) {
  CPSimpleDBDataInfo info;
  S().lines->GetDataInfos(sousRef, &info, nullptr);
  if (info.type != kVYXSousOperationsTable) {
    CPThrowList(kVYXErrCompteNoOperation, kVYXCompteErrorsList, kVYXNoOperationItem);
  }
  S().lines->Read(sousRef, line);
}

uint32_t VYXSDBCompte::GetNbOfSousOperations() const { return S().lines->Count(); }

// ---- writing

void VYXSDBCompte::OperationAdded(const Operation& op, VYXDataRef* ref) {
  CPSimpleDBDataInfo info = S().operations->NewInfo();
  info.creation = op.header.creation;
  info.modification = op.header.modification;
  S().operations->AddData(&info, CPHostEncoding, op, ref);
}

void VYXSDBCompte::OperationModified(VYXDataRef* ref, const Operation& op) {
  CPSimpleDBDataInfo info;
  S().operations->GetDataInfos(*ref, &info, nullptr);
  info.modification = op.header.modification;
  CPSimpleDBRefnum moved = *ref;
  S().operations->ModifyData(*ref, &info, CPHostEncoding, op, &moved);
  *ref = moved;
}

void VYXSDBCompte::OperationDeleted(VYXDataRef ref) {
  CPSimpleDBDataInfo info;
  S().operations->GetDataInfos(ref, &info, nullptr);
  S().operations->DeleteData(ref, info);
}

void VYXSDBCompte::SousOperationAdded(const SousOperation& line, VYXDataRef* sousRef) {
  CPSimpleDBDataInfo info = S().lines->NewInfo();
  info.creation = line.header.creation;
  info.modification = line.header.modification;
  S().lines->AddData(&info, CPHostEncoding, line, sousRef);
}

void VYXSDBCompte::SousOperationModified(VYXDataRef* sousRef, const SousOperation& line) {
  CPSimpleDBDataInfo info;
  S().lines->GetDataInfos(*sousRef, &info, nullptr);
  info.modification = line.header.modification;
  CPSimpleDBRefnum moved = *sousRef;
  S().lines->ModifyData(*sousRef, &info, CPHostEncoding, line, &moved);
  *sousRef = moved;
}

void VYXSDBCompte::SousOperationDeleted(VYXDataRef sousRef) {
  CPSimpleDBDataInfo info;
  S().lines->GetDataInfos(sousRef, &info, nullptr);
  S().lines->DeleteData(sousRef, info);
}
