#include "userfile/VYXSDBUserPreferences.h"

#include <cstring>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "userfile/VYXUserTexts.h"

namespace {

// User files are always opened shared, so that several stations may keep
// their accounts in one dossier at once.
constexpr bool kShared = true;

}  // namespace

VYXSDBUserPreferences::VYXSDBUserPreferences(const CPFileRef& file)
    : file_(file), directory_(std::make_unique<VYXUserDirectory>(*this)) {}

VYXSDBUserPreferences::~VYXSDBUserPreferences() {
  try {
    Close();
  } catch (...) {
  }
}

void VYXSDBUserPreferences::IUserPreferences(bool create) {
  if (db_) CPThrow(paramErr);
  try {
    db_ = std::make_unique<CPSimpleDBFullMemoryFile>(file_);
    if (create) {
      db_->Create(kVYXUserFileCreator, kVYXUserFileType, kVYXUserFileSignature, kVYXUserFileVersion,
                  kShared);
    } else {
      if (reading_) {
        db_->OpenForReading(kVYXUserFileVersion, kShared);
      } else {
        // The log belongs to the dossier, which must open without it: a dossier
        // moved or restored without its log, or with a log that cannot serve,
        // starts a new one (the old one kept aside), and the user is told.
        db_->SetRestartUnusableLog(true);
        db_->Open(kVYXUserFileVersion, kShared, false);
      }
      const CPSimpleDBHeader& header = db_->GetHeader();
      if (header.type != kVYXUserFileType || std::memcmp(header.signature, kVYXUserFileSignature,
                                                         kVYXUserFileSignature[0] + 1u) != 0) {
        CPThrow(kVYXErrNotUserFile);
      }
    }
    TellLogRestart();
    storage_ = std::make_unique<CPSimpleDBResourceStorage>(db_.get(), kVYXUserStorageID);
    usri_ = std::make_unique<CPSimpleDBSession>(db_.get());
    factures_ = std::make_unique<VYXSDBFacturesHandler>(db_.get());
    BuildSets();
    Exclusive hold(*this);
    LoadProPrefs();
    InitUserPreferences();
  } catch (...) {
    Release();
    throw;
  }
}

void VYXSDBUserPreferences::TellLogRestart() {
  const CPSimpleDBFile::Recovery& r = db_->GetRecovery();
  if (r.logRestarted == 0) return;
  std::string log = CPShownText(db_->GetEventLogFileSpec().Path().string());
  std::string text;
  if (r.logRestarted == kSDBErrLogMissing) {
    text = CPFillVars(CPGetListString(kVYXUserFilesList, kVYXTextLogMissing), {log});
  } else {
    std::string why = CPGetErrorText(r.logRestarted);
    text = CPFillVars(CPGetListString(kVYXUserFilesList, kVYXTextLogSetAside),
                      {log, why, CPShownText(r.logSetAside.Name())});
  }
  CPGetInteraction().Alert(text);
}

// The sets in the order the file has always made them; each sortable or
// hierarchic set reads its order from the first one.
void VYXSDBUserPreferences::BuildSets() {
  CPResourceStorage& s = *storage_;
  indexes_ = std::make_unique<VYXUserResIndexesSet>(s);
  preferences_ = std::make_unique<VYXUserPreferencesSet>(s);
  comptes_ = std::make_unique<VYXUserComptesSet>(s, *indexes_);
  comptesEvents_ = std::make_unique<VYXUserComptesEventsSet>(s, *comptes_);
  devises_ = std::make_unique<VYXUserDevisesSet>(s, *indexes_);
  modes_ = std::make_unique<VYXUserModesSet>(s, *indexes_);
  categories_ = std::make_unique<VYXUserCategoriesSet>(s, *indexes_);
  affectations_ = std::make_unique<VYXUserAffectationsSet>(s, *indexes_);
  postes_ = std::make_unique<VYXUserPostesSet>(s, *indexes_);
  postes_->SetSubResources(categories_.get());
  postesExtra_ = std::make_unique<VYXUserPostesExtraSet>(s, *postes_);
  filters_ = std::make_unique<VYXUserFiltersSet>(s);
  filtersSets_ = std::make_unique<VYXUserFiltersSetsSet>(s, *indexes_);
  filtersSets_->SetSubResources(filters_.get());
  dico_ = std::make_unique<VYXUserDicoSet>(s, *indexes_);
  selections_ = std::make_unique<VYXUserOpSelectionsSet>(s, *indexes_);
  columns_ = std::make_unique<VYXUserColumnsSet>(s);
  listColumns_ = std::make_unique<VYXUserListColumnsSet>(s);
  moduleDisplay_ = std::make_unique<VYXModuleDisplayPrefsSet>(s);
  tablePrefs_ = std::make_unique<VYXTablePrefsSet>(s);
  windowPos_ = std::make_unique<VYXWindowPosSet>(s);
  dialogPos_ = std::make_unique<VYXDialogPosSet>(s);
  pageSetup_ = std::make_unique<VYXPageSetupSet>(s);
  notesText_ = std::make_unique<VYXSmallNotesTextSet>(s);
  notesStyle_ = std::make_unique<VYXSmallNotesStyleSet>(s);
  notesInfos_ = std::make_unique<VYXSmallNotesInfosSet>(s);
  tiers_ = std::make_unique<VYXUserTiersSet>(s, *indexes_);
  affaires_ = std::make_unique<VYXUserAffairesSet>(s, *indexes_);
  tauxTVA_ = std::make_unique<VYXUserTauxTVASet>(s, *indexes_);
  families_ = std::make_unique<VYXUserCatFamiliesSet>(s, *indexes_);
  families_->SetSubResources(categories_.get());
  aliases_ = std::make_unique<VYXUserAliasesSet>(s);
  articles_ = std::make_unique<VYXUserArticlesSet>(s, *indexes_);
  virements_ = std::make_unique<VYXUserVirementsSet>(s);
}

std::vector<CPResourceSet*> VYXSDBUserPreferences::GetAllSets() const {
  return {indexes_.get(),       preferences_.get(), comptes_.get(),    comptesEvents_.get(),
          devises_.get(),       modes_.get(),       categories_.get(), affectations_.get(),
          postes_.get(),        postesExtra_.get(), filters_.get(),    filtersSets_.get(),
          dico_.get(),          selections_.get(),  columns_.get(),    listColumns_.get(),
          moduleDisplay_.get(), tablePrefs_.get(),  windowPos_.get(),  dialogPos_.get(),
          pageSetup_.get(),     notesText_.get(),   notesStyle_.get(), notesInfos_.get(),
          tiers_.get(),         affaires_.get(),    tauxTVA_.get(),    families_.get(),
          aliases_.get(),       articles_.get(),    virements_.get()};
}

void VYXSDBUserPreferences::LoadProPrefs() {
  proPrefs_ = VYXProUserPrefs();
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  if (!usri_->GetFirstData(kVYXProUserPrefsType, &info, &refnum)) return;
  VYXProUserPrefs stored;
  CPDataEncoding encoding;
  CPDataSize size = std::min<CPDataSize>(usri_->GetDataSize(refnum), sizeof stored);
  usri_->GetData(refnum, &info, &encoding, &stored, size);
  stored.Decode(encoding);
  // A shorter record (an older version) keeps the defaults past its end.
  std::memcpy(&proPrefs_, &stored, size);
}

void VYXSDBUserPreferences::WriteProPrefs() {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  VYXProUserPrefs stored = proPrefs_;
  stored.Encode(CPHostEncoding);
  if (usri_->GetFirstData(kVYXProUserPrefsType, &info, &refnum)) {
    CPSimpleDBRefnum moved = 0;
    usri_->ModifyData(refnum, &info, CPHostEncoding, &stored, sizeof stored, &moved);
  } else {
    info = CPSimpleDBDataInfo(kVYXProUserPrefsType, kSDBBinaryFormat, 0);
    usri_->AddData(&info, CPHostEncoding, &stored, sizeof stored, &refnum);
  }
}

void VYXSDBUserPreferences::WritePreferenceDefaults() {
  std::vector<unsigned char> defaults;
  for (const VYXUserPrefsRecordInfo& r : VYXUserPrefsRecords()) {
    if (preferences_->ResourceExists(r.id)) continue;
    defaults.assign(r.size, 0);
    VYXUserPrefsDefaults(r.id, defaults.data(), r.size);
    CPString name = CPString::FromStd(Utf8ToMacRoman(r.name));
    if (!preferences_->WriteResource(r.id, name, defaults.data(), r.size)) CPThrow(ioErr);
  }
}

// Settings and preference records are written as they change; saving adds
// those the file still lacks, and never writes over what another station may
// have changed since.
void VYXSDBUserPreferences::SavePreferences() {
  if (reading_) return;
  Exclusive hold(*this);
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  if (!usri_->GetFirstData(kVYXProUserPrefsType, &info, &refnum)) WriteProPrefs();
  WritePreferenceDefaults();
  for (CPResourceSet* set : GetAllSets()) set->SaveIndex();
}

void VYXSDBUserPreferences::Close() {
  if (!db_) return;
  BroadcastMessage(kVYXUserMessage, kUserClosing, nullptr);
  try {
    SavePreferences();
  } catch (...) {
    Release();
    throw;
  }
  // Everything is saved: a failure to close is the file's to report.
  std::unique_ptr<CPSimpleDBFullMemoryFile> db = std::move(db_);
  Release();
  db->Close();
}

void VYXSDBUserPreferences::BeginExclusive() {
  if (db_) holds_.push_back(std::make_unique<CPSimpleDBAccessLocker>(db_.get()));
}

void VYXSDBUserPreferences::EndExclusive() {
  if (!holds_.empty()) holds_.pop_back();
}

void VYXSDBUserPreferences::Release() {
  holds_.clear();
  virements_.reset();
  articles_.reset();
  aliases_.reset();
  families_.reset();
  tauxTVA_.reset();
  affaires_.reset();
  tiers_.reset();
  notesInfos_.reset();
  notesStyle_.reset();
  notesText_.reset();
  pageSetup_.reset();
  dialogPos_.reset();
  windowPos_.reset();
  tablePrefs_.reset();
  moduleDisplay_.reset();
  listColumns_.reset();
  columns_.reset();
  selections_.reset();
  dico_.reset();
  filtersSets_.reset();
  filters_.reset();
  postesExtra_.reset();
  postes_.reset();
  affectations_.reset();
  categories_.reset();
  modes_.reset();
  devises_.reset();
  comptesEvents_.reset();
  comptes_.reset();
  preferences_.reset();
  indexes_.reset();
  factures_.reset();
  usri_.reset();
  storage_.reset();
  db_.reset();
}
