// An account kept in a file of its own: a SimpleDB file (creator "VyxP",
// type "CPT5", signature "vyx_cpt1") held wholly in memory while open, with
// the three record tables of VYXSDBCompteTables.h and the resource sets of
// VYXSDBCompteSets.h, every change written through at once. The account's
// name is its file's name without ".cpt". docs/account-file.md describes the file.
//
// Opening checks the file before anything is written to it: the file is
// opened for writing (its lock taken) with every write held back, its
// version, password and running sums are checked on what is read, and it is
// marked open, the first write, only once they pass. A refused or cancelled
// opening (CPException, code 0 for a cancellation) leaves the file exactly
// as it was. The object owns its file and everything built on it; Close (or
// the destructor) saves the display orders and closes the file.
#ifndef VYX_ACCOUNTS_VYXSDBCOMPTE_H_
#define VYX_ACCOUNTS_VYXSDBCOMPTE_H_

#include <memory>
#include <string>

#include "accounts/VYXCompte.h"
#include "accounts/VYXSDBCompteSets.h"
#include "accounts/VYXSDBCompteTables.h"
#include "platform/CPFileRef.h"
#include "resources/CPSimpleDBResourceStorage.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"

// File identity of accounts.
constexpr OSType kVYXCompteCreator = 'VyxP';
constexpr OSType kVYXCompteFileType = 'CPT5';
constexpr const char* kVYXCompteSignature = "vyx_cpt1";
constexpr uint32_t kVYXCompteContentVersion = 1;
// The storage ID of the account's resources within its file.
constexpr CPSimpleDBResourceStorageID kVYXCompteStorageID = 0;

class VYXSDBCompte : public VYXCompte {
 public:
  // Binds the account to its file; nothing is read yet.
  VYXSDBCompte(VYXCompteSupervisor& supervisor, const CPFileRef& fileRef);
  ~VYXSDBCompte() override;

  // Creates the file (`newFile`; it must not exist) or opens it, and loads
  // the account. `check` also runs the reload check; `show` would show the
  // operation list, which this build has not.
  void ICompte(bool newFile, bool check, bool show);
  // Set before ICompte: the account is opened for reading only, as a command
  // that only reads opens it (CPSimpleDBFile::OpenForReading): its file is
  // never written (sums found off are shown as found, not stored), may be one
  // the user cannot write, and is waited for while a writer has it.
  void SetReadingOnly(bool reading) { reading_ = reading; }
  bool IsReadingOnly() const { return reading_; }
  // Tells the listeners and the supervisor, saves the display orders and
  // closes the file. Nothing happens for an account that is not open.
  void Close();
  // What Close saves (the display orders), saved now: a command writes it
  // before it is done, so that closing afterwards has nothing left to change.
  void SaveBeforeClosing();
  bool IsOpen() const { return store_ != nullptr; }

  void GetCompteIdentifier(CPFileRef* fileRef) const override { *fileRef = fileRef_; }
  bool IsTheSameCompte(const CPFileRef& fileRef) const { return fileRef_.SameFile(fileRef); }
  using VYXCompte::GetName;
  void GetName(StringPtr name) const override;

  // The steps of opening and writing.
  void NewCompteFile() override;
  // Reads every record of the file once, checksums checked, listing the
  // operations and split lines for their tables; counts the operations and
  // sums them by status, with progress. Sums more than 0.1 off, or a count
  // that differs, ask the user first (a refusal raises code 0). The found
  // figures replace the stored ones.
  void ScanCompteFile(bool check) override;
  // Reads the information record; an unknown version raises, a refused
  // password raises code 0.
  void LoadCompteFile() override;
  void LoadPreferences() override;
  void SavePreferences() override;
  void WriteInformations() override;

  // ---- Opening balances that follow another account: `linked` and `linkID`
  // of the information record name an alias of the account's file. When the
  // account opens, its opening balances become that account's closing ones
  // (VYXSDBCompteLink.cpp).
  // The file the opening balances follow, through the alias (the user is
  // asked where it went when `ask` and it moved). False when they follow
  // none, or it cannot be found.
  bool GetReportLink(CPFileRef* file, bool ask);
  // The name of the account they follow (MacRoman); empty when none.
  std::string GetReportLinkName();
  // Makes the opening balances follow `target` (another open account) and
  // takes its closing balances at once; nullptr makes them the account's own
  // again, keeping their values. Refuses the account itself and an account
  // whose own opening balances follow this one.
  void SetReportLink(VYXSDBCompte* target);
  // The closing balances per status (opening balances + sums) of the account
  // of `file`: as it holds them when open in this session, else as its file
  // last stored them. False when it cannot be read.
  bool ReadReportValues(const CPFileRef& file, MontantSet* values);

  // Reading.
  bool GetFirstOperation(Operation* op, VYXDataRef* ref) override;
  bool GetNextOperation(Operation* op, VYXDataRef* ref) override;
  bool GetNthOperation(uint32_t n, Operation* op, VYXDataRef* ref) override;
  void GetOperation(VYXDataRef ref, Operation* op) override;
  bool FindOperation(DataID key, Operation* op, VYXDataRef* ref) override;
  bool GetFirstSousOperation(const Operation& op, SousOperation* line,
                             VYXDataRef* sousRef) override;
  bool GetNextSousOperation(const Operation& op, SousOperation* line, VYXDataRef* sousRef) override;
  void GetSousOperation(VYXDataRef sousRef, SousOperation* line) override;
  // Split lines stored in the file, all operations together.
  uint32_t GetNbOfSousOperations() const;

  // The sets.
  CPResourceSet_T<Categorie>& GetCategories() override { return Sets().categories; }
  CPResourceSet_T<Affectation>& GetAffectations() override { return Sets().affectations; }
  CPResourceSet_T<UserTiers>& GetTiers() override { return Sets().tiers; }
  CPResourceSet_T<UserAffaire>& GetAffaires() override { return Sets().affaires; }
  CPResourceSet_T<TauxTVA>& GetTVAs() override { return Sets().tvas; }
  CPResourceSet_T<Mode>& GetModes() override;
  CPResourceSet& GetTitres() override { return Sets().titres; }
  CPResourceSet_T<Chequier>& GetChequiers() override { return Sets().chequiers; }
  CPResourceSet_T<CompteTarget>& GetTargets() override { return Sets().targets; }
  CPResourceSet_T<OperationAuto>& GetOpAutomatiques() override { return Sets().opAutos; }
  CPResourceSet_T<OpPredefinie>& GetOpPredefinies() override { return Sets().opPreds; }
  CPResourceSet_T<SousOpPredefinie>& GetSousOpPredefinies() override { return Sets().sousOpPreds; }
  CPResourceSet_T<LibelleTelematique>& GetLibelles() override { return Sets().libelles; }
  CPResourceSet& GetSmallNotesText() override { return Sets().smallNotesText; }
  CPResourceSet& GetSmallNotesStyle() override { return Sets().smallNotesStyle; }
  CPResourceSet& GetSmallNotesInfos() override { return Sets().smallNotesInfos; }
  CPResourceSet& GetPreferences() override { return Sets().preferences; }
  CPResourceSet_T<GenerateAuto>& GetOpAutoGenerates() override { return Sets().opGenerates; }
  CPResourceSet& GetOpAutoSousOps() override { return Sets().autoSousOps; }
  CPResourceSet& GetOpPredSousOps() { return Sets().predSousOps; }
  CPResourceSet& GetDico() { return Sets().dico; }
  CPResourceSet& GetFilters() { return Sets().filters; }
  CPResourceSet& GetFiltersSets() { return Sets().filtersSets; }
  CPResourceSet& GetSelections() { return Sets().selections; }
  CPResourceSet& GetVirementEvts() override { return Sets().virementEvts; }
  CPResourceSet& GetSimulations() { return Sets().simulations; }
  CPResourceSet& GetPlacementEmprunts() { return Sets().placementEmprunts; }
  CPResourceSet& GetListColumns() { return Sets().listColumns; }
  CPResourceSet& GetModuleDisplayPrefs() { return Sets().moduleDisplayPrefs; }
  CPResourceSet& GetTablePrefs() { return Sets().tablePrefs; }
  CPResourceSet& GetPageSetup() { return Sets().pageSetup; }
  CPResourceSet& GetWindowPos() { return Sets().windowPos; }
  CPResourceSet& GetCompteNotesText() { return Sets().notesText; }
  CPResourceSet& GetCompteNotesStyle() { return Sets().notesStyle; }
  CPResourceSet& GetResourcesIndexes() { return Sets().indexes; }
  CPResourceStorage& GetResourceStorage();
  CPSimpleDBFile& GetDataBase();

 protected:
  void OperationAdded(const Operation& op, VYXDataRef* ref) override;
  void OperationModified(VYXDataRef* ref, const Operation& op) override;
  void OperationDeleted(VYXDataRef ref) override;
  void SousOperationAdded(const SousOperation& line, VYXDataRef* sousRef) override;
  void SousOperationModified(VYXDataRef* sousRef, const SousOperation& line) override;
  void SousOperationDeleted(VYXDataRef sousRef) override;
  void SavePreference(CPResID id) override;

 private:
  // The file and everything built on it, destroyed in the reverse order.
  struct Store {
    std::unique_ptr<CPSimpleDBFullMemoryFile> file;
    std::unique_ptr<CPSimpleDBResourceStorage> resources;
    std::unique_ptr<VYXSDBCompteInfosHandler> infos;
    std::unique_ptr<VYXSDBOperationHandler> operations;
    std::unique_ptr<VYXSDBSousOperationHandler> lines;
    std::unique_ptr<VYXCompteSets> sets;
    // The checks before writing need the payment modes alone.
    std::unique_ptr<CPResourceSet_T<Mode>> modesOnly;
  };
  enum class OpenMode { kCreate, kChecking, kReadWrite, kReading };

  // Opens the file and builds what lies on it. kChecking opens it for
  // writing with every write held back (CPSimpleDBFile::OpenWritingLater)
  // and builds only what the checks need.
  void OpenStore(OpenMode mode);
  // Drops everything built on the file and closes it; errors of a closing
  // after a failure are not reported.
  void CloseStore();
  // Opens the file for checking, runs the checks of opening on it and, when
  // they pass, lets writing begin and builds the rest. False when the file
  // must be opened again for writing and checked there: it could not be read
  // as it is (a change was cut short and a writer must finish it first), or
  // its writer stopped without closing it, so that the writer's opening
  // repairs it and may change what was read.
  bool OpenAndCheck(bool check);
  // At opening: the opening balances take the closing ones of the account
  // they follow; when it cannot be read the user is told and they stay.
  void FollowReportLink();
  // The information record differs from the stored one in more than its
  // dates.
  bool InformationsChanged() const;
  VYXCompteSets& Sets() const;
  Store& S() const;

  CPFileRef fileRef_;
  bool reading_ = false;
  CompteInfos storedInfos_;  // as read at opening, or last written
  bool infosStored_ = false;
  std::unique_ptr<Store> store_;
};

#endif  // VYX_ACCOUNTS_VYXSDBCOMPTE_H_
