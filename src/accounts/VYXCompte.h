// One open bank account: the object through which the rest of vyx reads,
// adds, modifies and deletes operations and split lines. It keeps the
// account's rules (lock date, cheque books, list items that operations refer
// to, password), the running sums and balances, and tells its listeners
// every change in 'CPTE' messages (VYXCompteMessages.h).
//
// This class holds the rules and the sums; a storage subclass (VYXSDBCompte)
// keeps the records, the information record's place in the file, the lists
// and the preferences, and supplies the reading and writing steps declared
// here. A refused change raises CPException with its French message and
// leaves the file and the sums as they were; storage failures pass through
// with the storage's code.
#ifndef VYX_ACCOUNTS_VYXCOMPTE_H_
#define VYX_ACCOUNTS_VYXCOMPTE_H_

#include <string>
#include <unordered_map>
#include <vector>

#include "accounts/Affectation.h"
#include "accounts/Categorie.h"
#include "accounts/Chequier.h"
#include "accounts/CompteInfos.h"
#include "accounts/LibelleTelematique.h"
#include "accounts/Mode.h"
#include "accounts/MontantSet.h"
#include "accounts/OpPredefinie.h"
#include "accounts/Operation.h"
#include "accounts/OperationAuto.h"
#include "accounts/SousOperation.h"
#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"
#include "accounts/VYXCompteDefaultValues.h"
#include "accounts/VYXCompteKeys.h"
#include "accounts/VYXCompteMessages.h"
#include "accounts/VYXComptePrefs.h"
#include "accounts/VYXCompteSupervisor.h"
#include "accounts/VYXCompteTotauxHook.h"
#include "accounts/VYXOpenEvents.h"
#include "foundation/CPBroadcaster.h"
#include "platform/CPFileRef.h"
#include "resources/CPResourceSet_T.h"

class VYXCompteDirectory;

// The settings of the last cheque deposit slip: its number, whether the
// cheques were merged into one operation, whether the number went into each
// cheque's cheque or voucher number, whether the result was opened. Kept for
// the session only: the account file has no place for them.
struct VYXRemiseInfos {
  Str7 noRemise = {};
  bool group = false;
  bool copyNoRemise = false;
  bool copyNoPiece = false;
  bool edit = false;
};

// The lists whose items operations (or their modes) refer to.
enum VYXCompteList : int {
  kVYXListCategories = 0,
  kVYXListAffectations,
  kVYXListTiers,
  kVYXListAffaires,
  kVYXListTauxTVA,
  kVYXListModes,
  kVYXListTitres,
  kVYXListChequiers,  // referred to by payment modes
  kVYXListTargets,    // transfer targets
  kVYXCompteListCount
};

class VYXCompte : public CPBroadcaster, public CPListener {
 public:
  explicit VYXCompte(VYXCompteSupervisor& supervisor);
  ~VYXCompte() override;

  VYXCompteSupervisor& GetSupervisor() const { return supervisor_; }
  // The account's name (MacRoman, at most 255 bytes).
  virtual void GetName(StringPtr name) const = 0;
  std::string GetName() const;
  // The account's file.
  virtual void GetCompteIdentifier(CPFileRef* file) const = 0;
  CPFileRef GetCompteFile() const {
    CPFileRef file;
    GetCompteIdentifier(&file);
    return file;
  }

  // ---- reading; references are the storage's (VYXDataRef)
  // Operations in table order.
  virtual bool GetFirstOperation(Operation* op, VYXDataRef* ref) = 0;
  virtual bool GetNextOperation(Operation* op, VYXDataRef* ref) = 0;
  // n from 1.
  virtual bool GetNthOperation(uint32_t n, Operation* op, VYXDataRef* ref) = 0;
  // Raises kVYXErrCompteNoOperation when no operation lies at `ref`.
  virtual void GetOperation(VYXDataRef ref, Operation* op) = 0;
  uint32_t GetNbOfOperations() const { return infos_.nbOfOperations; }
  // The operation of that key; false when none.
  virtual bool FindOperation(DataID key, Operation* op, VYXDataRef* ref) = 0;
  // The twin whose virementTargetKey is `key`; a key of 0 finds nothing.
  bool FindTargetOperation(VirementKey key, VYXDataRef* ref, Operation* op);
  // The live split lines of an operation, in table order.
  virtual bool GetFirstSousOperation(const Operation& op, SousOperation* line,
                                     VYXDataRef* sousRef) = 0;
  virtual bool GetNextSousOperation(const Operation& op, SousOperation* line,
                                    VYXDataRef* sousRef) = 0;
  virtual void GetSousOperation(VYXDataRef sousRef, SousOperation* line) = 0;
  // The first live line of the operation at `ref` numbered `number`.
  bool FindSousOperation(VYXDataRef ref, DataID number, SousOperation* line, VYXDataRef* sousRef);

  // ---- changing operations
  // The lock-date rules: a locked account (lockDate not 0) takes, adds and
  // deletes only operations whose date and bank date both lie after the
  // lock day; a locked operation may still change anything but its amounts
  // and VAT rate, and no date may move into or out of the locked period.
  bool CanAddOperation(const Operation& op) const;
  bool CanModifyOperation(const Operation& oldOp, const Operation& newOp) const;
  bool CanDeleteOperation(const Operation& op) const;
  // Stores `op` and gives it back as stored: its key (a new one unless
  // `keepID` and its own key is free), dates, type, no split lines.
  void AddOperation(Operation& op, VYXDataRef* ref, bool keepID = false);
  // The key and the split-line figures stay those stored; `ref` follows the
  // record if the table moves it.
  void ModifyOperation(VYXDataRef& ref, const Operation& op);
  void DeleteOperation(VYXDataRef ref);
  // `line` comes back numbered after the operation's lines and tied to it.
  void AddSousOperation(VYXDataRef& ref, SousOperation& line, VYXDataRef* sousRef);
  void ModifySousOperation(VYXDataRef& ref, const SousOperation& line, VYXDataRef& sousRef);
  void DeleteSousOperation(VYXDataRef& ref, VYXDataRef sousRef);

  // ---- sums and balances
  MontantSet GetSumsValues() const { return infos_.total; }
  void SetSumsValues(const MontantSet& sums);
  MontantSet GetReportValues() const { return infos_.report; }
  void SetReportValues(const MontantSet& report);
  MontantSet GetPlusValues() const { return plusValues_; }
  void SetPlusValues(const MontantSet& plusValues);
  // Opening balances + sums + plus-values, status by status.
  MontantSet GetTotauxValues() const;
  // Cumulative: cleared; committed + cleared; all three.
  MontantSet GetSoldesValues() const;
  ExtMontant GetEditionTotal() const { return editionTotal_; }
  void ClearEditionTotal() { editionTotal_ = ExtMontant(); }
  ExtMontant GetPointageTotal() const { return pointageTotal_; }
  void ClearPointageTotal() { pointageTotal_ = ExtMontant(); }
  double GetEncoursCartes() const { return encoursCartes_; }
  // A committed, non-zero payment by a card whose debits are deferred.
  bool IsEncoursCartes(const Operation& op);
  // The mode exists and is a card whose debits are deferred.
  bool IsCarteDiffere(CPResID modeID);

  // ---- settings; each setter writes the information record
  const CompteInfos& GetInformations() const { return infos_; }
  // Takes the settings of `infos`; the key counter, the count and the sums
  // stay the account's own, which only its operations move.
  void SetInformations(const CompteInfos& infos);
  // The account's currency, or the user file's reference currency.
  DeviseCode GetCompteDevise() const;
  void SetCompteDevise(DeviseCode devise);
  CPDate GetLockDate() const { return infos_.lockDate; }
  void SetLockDate(CPDate date);
  CPDate GetHistoriqueDate() const { return infos_.historiqueDate; }
  void DoUserSetHistoriqueDate(CPDate date);
  uint8_t GetType() const { return infos_.typeOfCompte == 0 ? 1 : infos_.typeOfCompte; }
  void SetType(uint8_t type);
  bool HasTVA() const { return infos_.compteTVA != 0; }
  void SetHasTVA(bool on);
  bool HasTitres() const { return infos_.compteTitres != 0; }
  void SetHasTitres(bool on);
  bool HasNoPiece() const { return infos_.compteNoPiece != 0; }
  void SetHasNoPiece(bool on);
  bool GetGenerateOpAuto() const { return infos_.autoGenerate != 0; }
  void SetGenerateOpAuto(bool on);
  const VYXRemiseInfos& GetRemiseInfos() const { return remiseInfos_; }
  void SetRemiseInfos(const VYXRemiseInfos& infos);
  // The password in clear (MacRoman), empty when none.
  std::string GetPassword() const;
  void SetPassword(const std::string& password);

  // Preference records (VYXComptePrefs.h): read from memory, written through.
  const VYXCompteDefaultValues& GetDefaultValues() const { return prefs_.GetDefaultValues(); }
  void SetDefaultValues(const VYXCompteDefaultValues& values);
  const VYXComptePrefs& GetPrefs() const { return prefs_; }
  void SetBanqueInfos(const void* data, uint32_t size);
  void SetUserAddress(const void* data, uint32_t size);
  void SetEcheancierPrefs(const void* data, uint32_t size);
  // Any other preference record, without a message.
  void SetPrefRecord(CPResID id, const void* data, uint32_t size);

  // ---- cheque books
  // The book a payment mode's next cheque comes from: the mode's own book
  // while it has cheques left, else, for a mode that takes its cheques from a
  // book, the first of the account's books (in display order) that has one
  // left. 0 when the mode takes no cheques or no book has one left.
  CPResID GetChequierOfMode(const Mode& mode);
  // The next cheque of the book as lists show it; false for no such book.
  bool GetNextNoCheque(CPResID chequierID, StringPtr text);
  // The 1-based index in the book of the cheque `text`; false when it is not one of its cheques.
  bool GetNoChequeIndex(CPResID chequierID, ConstStringPtr text, int16_t* index);
  // The cheque was used: the book moves past it, and when it is exhausted
  // the user is asked whether to delete it.
  void MarkNoCheque(CPResID chequierID, ConstStringPtr text);
  // The cheque was not used after all: when it is the last one taken from
  // the book, the book gives it out again.
  void UnmarkNoCheque(CPResID chequierID, ConstStringPtr text);
  // Marks the cheque when it lies at or after the book's next one.
  void UpdateChequier(CPResID chequierID, ConstStringPtr text);
  // The first operation other than `exceptKey` (0: none) with exactly that cheque number.
  bool NoChequeIsUsed(ConstStringPtr text, DataID* key, DataID exceptKey);

  // ---- list items used by operations
  virtual CPResourceSet_T<Categorie>& GetCategories() = 0;
  virtual CPResourceSet_T<Affectation>& GetAffectations() = 0;
  virtual CPResourceSet_T<UserTiers>& GetTiers() = 0;
  virtual CPResourceSet_T<UserAffaire>& GetAffaires() = 0;
  virtual CPResourceSet_T<TauxTVA>& GetTVAs() = 0;
  virtual CPResourceSet_T<Mode>& GetModes() = 0;
  virtual CPResourceSet& GetTitres() = 0;
  virtual CPResourceSet_T<Chequier>& GetChequiers() = 0;
  virtual CPResourceSet_T<CompteTarget>& GetTargets() = 0;
  virtual CPResourceSet_T<OperationAuto>& GetOpAutomatiques() = 0;
  virtual CPResourceSet_T<OpPredefinie>& GetOpPredefinies() = 0;
  virtual CPResourceSet_T<SousOpPredefinie>& GetSousOpPredefinies() = 0;
  virtual CPResourceSet_T<LibelleTelematique>& GetLibelles() = 0;
  virtual CPResourceSet& GetSmallNotesText() = 0;
  virtual CPResourceSet& GetSmallNotesStyle() = 0;
  virtual CPResourceSet& GetSmallNotesInfos() = 0;
  virtual CPResourceSet& GetPreferences() = 0;
  virtual CPResourceSet_T<GenerateAuto>& GetOpAutoGenerates() = 0;
  virtual CPResourceSet& GetOpAutoSousOps() = 0;
  virtual CPResourceSet& GetVirementEvts() = 0;
  CPResourceSet& GetListSet(VYXCompteList list);

  // Whether a live operation (or a live split line, for the lists lines
  // carry; or a payment mode, for cheque books and targets) refers to the item.
  bool ListItemIsUsed(VYXCompteList list, CPResID id);
  // Every reference to `oldID` becomes `newID`: operations, split lines,
  // default values, predefined and automatic operations, label rules and
  // modes. Nothing when `oldID` is not an item of the list.
  void ChangeListItem(VYXCompteList list, CPResID oldID, CPResID newID);
  // ChangeListItem with 0: no reference is left to the item.
  void ListItemToBeDeleted(VYXCompteList list, CPResID id) { ChangeListItem(list, id, 0); }
  // Renames the item; when another item has the name (letter case and
  // accents aside), merges the item into it and removes it.
  void RenameListItem(VYXCompteList list, CPResID id, ConstStringPtr name);

  bool CategorieIsUsed(CPResID id) { return ListItemIsUsed(kVYXListCategories, id); }
  void CategorieToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListCategories, id); }
  void ChangeCategorie(CPResID from, CPResID to) { ChangeListItem(kVYXListCategories, from, to); }
  void RenameCategorie(CPResID id, ConstStringPtr name) {
    RenameListItem(kVYXListCategories, id, name);
  }
  bool AffectationIsUsed(CPResID id) { return ListItemIsUsed(kVYXListAffectations, id); }
  void AffectationToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListAffectations, id); }
  void ChangeAffectation(CPResID from, CPResID to) {
    ChangeListItem(kVYXListAffectations, from, to);
  }
  void RenameAffectation(CPResID id, ConstStringPtr name) {
    RenameListItem(kVYXListAffectations, id, name);
  }
  bool TiersIsUsed(CPResID id) { return ListItemIsUsed(kVYXListTiers, id); }
  void TiersToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListTiers, id); }
  void ChangeTiers(CPResID from, CPResID to) { ChangeListItem(kVYXListTiers, from, to); }
  void RenameTiers(CPResID id, ConstStringPtr name) { RenameListItem(kVYXListTiers, id, name); }
  bool AffaireIsUsed(CPResID id) { return ListItemIsUsed(kVYXListAffaires, id); }
  void AffaireToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListAffaires, id); }
  void ChangeAffaire(CPResID from, CPResID to) { ChangeListItem(kVYXListAffaires, from, to); }
  void RenameAffaire(CPResID id, ConstStringPtr name) {
    RenameListItem(kVYXListAffaires, id, name);
  }
  bool TauxTVAIsUsed(CPResID id) { return ListItemIsUsed(kVYXListTauxTVA, id); }
  void TauxTVAToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListTauxTVA, id); }
  void ChangeTauxTVA(CPResID from, CPResID to) { ChangeListItem(kVYXListTauxTVA, from, to); }
  void RenameTauxTVA(CPResID id, ConstStringPtr name) { RenameListItem(kVYXListTauxTVA, id, name); }
  bool ModeIsUsed(CPResID id) { return ListItemIsUsed(kVYXListModes, id); }
  void ModeToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListModes, id); }
  void ChangeMode(CPResID from, CPResID to) { ChangeListItem(kVYXListModes, from, to); }
  void RenameMode(CPResID id, ConstStringPtr name) { RenameListItem(kVYXListModes, id, name); }
  bool TitreIsUsed(CPResID id) { return ListItemIsUsed(kVYXListTitres, id); }
  void TitreToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListTitres, id); }
  void ChangeTitre(CPResID from, CPResID to) { ChangeListItem(kVYXListTitres, from, to); }
  void RenameTitre(CPResID id, ConstStringPtr name) { RenameListItem(kVYXListTitres, id, name); }
  bool ChequierIsUsed(CPResID id) { return ListItemIsUsed(kVYXListChequiers, id); }
  void ChequierToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListChequiers, id); }
  void ChangeChequier(CPResID from, CPResID to) { ChangeListItem(kVYXListChequiers, from, to); }
  void RenameChequier(CPResID id, ConstStringPtr name) {
    RenameListItem(kVYXListChequiers, id, name);
  }
  bool TargetIsUsed(CPResID id) { return ListItemIsUsed(kVYXListTargets, id); }
  void TargetToBeDeleted(CPResID id) { ListItemToBeDeleted(kVYXListTargets, id); }
  void ChangeTarget(CPResID from, CPResID to) { ChangeListItem(kVYXListTargets, from, to); }
  void RenameTarget(CPResID id, ConstStringPtr name) { RenameListItem(kVYXListTargets, id, name); }

  // ---- transfers (VYXCompteVirements.cpp; a change of a source and its
  // twin together goes through VYXVirementChange)
  // The dossier's other accounts, raising kVYXErrNoDirectory when the
  // account has no dossier to reach them through.
  VYXCompteDirectory& GetDirectory();
  // Adds a target designating the account of `file`, named `name` (the
  // account's name): an alias of the file kept in this account's file, and
  // a "DEST" record under a new ID.
  void AddCompteTarget(const CPFileRef& file, ConstStringPtr name, CPResID* targetID,
                       CompteTarget* target);
  // The target that designates the account of `file`, added when there is
  // none; Find only looks (0 for none).
  CPResID GetVirementTarget(const CPFileRef& file);
  CPResID FindVirementTarget(const CPFileRef& file);
  // The file of the account that target `targetID` designates (its alias,
  // else the dossier's account of its name, else with `showDialog` the user
  // is asked). False for no such target or no such account.
  bool CompteTargetToCompteId(CPResID targetID, CPFileRef* file, bool showDialog);
  // The source half of key `key`: a live operation carrying it as virementKey
  // and naming a target. False for key 0 or none.
  bool FindSourceOperation(VirementKey key, VYXDataRef* ref, Operation* op);
  // An item of this account's `list` carried into `target`'s list of the
  // same name (found there, or with `create` made there). 0 for item 0 and,
  // without `create`, for an item `target` lacks.
  CPResID CompteToCompte(VYXCompteList list, CPResID id, VYXCompte& target, bool create);

  // Called on the target account: the twin of the source `op` of account
  // `source`. Convert fills the fields a twin takes (label, dates, list items
  // translated, amounts converted between the two accounts' currencies, the
  // currency of origin); Create adds the status and, with `invert`, turns
  // the amounts round; Update rebuilds an existing twin the same way but
  // never carries a cleared status across, and keeps what the twin owns
  // (key, cheque number, and once cleared its bank date and statement).
  // `create` says whether list items the twin needs may be added here.
  void ConvertVirementToOperation(VYXCompte& source, const Operation& op, Operation* twin,
                                  bool create = true);
  void ConvertVirementToSousOperation(VYXCompte& source, const SousOperation& line,
                                      SousOperation* twin, bool create = true);
  void CreateTargetOperation(VYXCompte& source, const Operation& op, Operation* twin, bool invert,
                             bool create = true);
  void UpdateTargetOperation(VYXCompte& source, const Operation& op, Operation* twin, bool invert,
                             bool create = true);
  void CreateTargetSousOperation(VYXCompte& source, const SousOperation& line, SousOperation* twin,
                                 bool invert, bool create = true);

  // Called on the source account, after the source `op` at `ref` was stored:
  // makes its twin in the target account agree with it, adding the twin when
  // there is none. With `validate`, only turns a planned twin into a
  // committed one. `ask` asks the user first (list 353: 31 to 36, 38); a
  // refusal raises code 0. True when the twin was added or changed.
  bool HandleOperationVirement(VYXDataRef ref, const Operation& op, bool invert, bool validate,
                               bool ask, bool showDialog);
  // Called on the source account before the source `op` is deleted: deletes
  // its twin (after asking, with `ask`: 33 or 37).
  void KillOperationVirement(const Operation& op, bool ask);

  // ---- reconciliation (VYXComptePointage.cpp)
  // The bank date of an operation of `modeID` in the direction `sense`:
  // under the mode's rule for that direction when it is enabled, else
  // `date`. False when the mode does not exist (the date is then `date`).
  bool DateToDatePointe(CPDate date, CPResID modeID, MontantType sense, CPDate* bankDate);
  // The latest bank date of the cleared operations, by calendar day. False
  // when none is cleared.
  bool GetLastDatePointe(CPDate* date);
  // Whether every operation the bank booked up to `date` is cleared: true
  // when the last reconciliation reaches `date`, otherwise when no pending
  // operation has a bank date on or before it.
  bool PointageFaitEnDateDu(CPDate date);
  // Whether no pending operation has a bank date on or before the last
  // reconciliation date (true when nothing is cleared).
  bool DatesPointageAjustees();

  // ---- schedule (VYXCompteEcheancier.cpp, VYXOpenEvents.h)
  // An operation from an automatic one (its ID `autoID`) due on its `next`
  // date: list items, month, transfer target, amount (its formula, in the
  // sense `debCred`), VAT, label (its variables replaced when `evaluate`),
  // bank date. Raises, with the message of list 258 item 10, when the amount
  // cannot be evaluated (the amount is then 0).
  void AutoToOperation(const OperationAuto& automatic, CPResID autoID, Operation* op,
                       OpStatus status, bool evaluate);
  // The split-line templates of an automatic operation ("AUSO" record
  // `sousOpsID`): predefined split lines, by ID. Empty when it has none.
  void GetOpAutoSousOpsArray(CPResID sousOpsID, std::vector<CPResID>* ids);
  // Writes them under `*sousOpsID`, given a new ID when 0; an empty list
  // removes the record and sets `*sousOpsID` to 0.
  void SetOpAutoSousOpsArray(CPResID* sousOpsID, const std::vector<CPResID>& ids);
  // The split lines an operation made from `automatic` gets, from its
  // templates (amount formulas evaluated, labels with their variables).
  std::vector<SousOperation> AutoSousOperations(const OperationAuto& automatic, const Operation& op,
                                                bool evaluate);

  // What opening offers, up to `date` (today at opening): with `automatic`
  // and the account's autoGenerate flag off, nothing. Otherwise the list is
  // built and, when not empty, offered to the user; what is accepted is made.
  void HandleOpenEvents(bool automatic, CPDate date);
  // The list, sorted; reads only. An automatic operation whose amount cannot
  // be evaluated gives no event (its failure is shown).
  void BuildOpenEventsArray(bool automatic, CPDate date, std::vector<VYXOpenEvent>* events);
  // The list in words, as the user is shown it; and the same for a command
  // that only reads, which cannot make them and says what will.
  std::string OpenEventsText(const std::vector<VYXOpenEvent>& events) const;
  std::string OpenEventsReadOnlyText(const std::vector<VYXOpenEvent>& events) const;
  // Offers the list to the user through the interaction; false when refused.
  virtual bool EditOpenEventsArray(std::vector<VYXOpenEvent>* events);
  // Makes the accepted events, between 'CPTE' 19 and 20: operations created
  // from automatic operations (the automatic operation moved on, an operation
  // made in advance recorded for confirmation), operations made in advance
  // committed, transfer events applied. An occurrence already made (a
  // previous run was cut short after making it) is not made twice. Answers
  // how many events were made; raises the first failure after the others.
  int ApplyOpenEventsArray(std::vector<VYXOpenEvent>* events);

  // ---- password
  // True when the account has no password, when it is the session's last
  // one, or when the user types it (twice at most; case and accents do not
  // count). False when the user cancels or fails twice.
  bool TestPassword();

  // ---- bulk work and closing
  // 'CPTE' 19 and 20 around loads, copies and imports; they nest, and only
  // the outermost pair is sent.
  void StartBulk();
  void EndBulk();
  void BroadcastIsBeingClosed();
  bool IsBeingClosed() const { return beingClosed_; }
  bool IsLoaded() const { return loaded_; }

  // ---- the totals engine (VYXCompteTotauxHook.h): built while the account
  // opens, dropped when it closes; null when no maker is installed.
  VYXCompteTotauxBase* GetTotaux() const { return totaux_.get(); }
  // Gives the account an engine of the caller's making, replacing any.
  void SetTotaux(std::unique_ptr<VYXCompteTotauxBase> totaux) { totaux_ = std::move(totaux); }

  // Re-announces additions to the lists that the user file shares.
  void ListenTo(CPBroadcaster* broadcaster, OSType category, uint32_t code, void* data) override;

  // The steps of opening and writing, provided by the storage.
  virtual void NewCompteFile() = 0;
  virtual void ScanCompteFile(bool check) = 0;
  virtual void CheckCompteData() {}
  virtual void LoadCompteFile() = 0;
  virtual bool LoadCompteStream() { return false; }
  virtual void SaveCompteStream() {}
  virtual void LoadPreferences() = 0;
  virtual void SavePreferences() = 0;
  virtual void WriteInformations() = 0;

 protected:
  // Writes of the storage, called once the rules have passed. Each raises
  // on failure and then leaves the table as it was.
  virtual void OperationAdded(const Operation& op, VYXDataRef* ref) = 0;
  virtual void OperationModified(VYXDataRef* ref, const Operation& op) = 0;
  virtual void OperationDeleted(VYXDataRef ref) = 0;
  virtual void SousOperationAdded(const SousOperation& line, VYXDataRef* sousRef) = 0;
  virtual void SousOperationModified(VYXDataRef* sousRef, const SousOperation& line) = 0;
  virtual void SousOperationDeleted(VYXDataRef sousRef) = 0;
  // Writes preference record `id` as prefs_ holds it.
  virtual void SavePreference(CPResID id) = 0;

  // Listens to the shared lists' sets; the storage calls it once they exist.
  void ListenToLists();
  // The opening's steps of the totals engine: built through the installed
  // maker, taking over what the scan counted (scanCount_); dropped at closing.
  void InitTotaux();
  void DropTotaux() {
    totaux_.reset();
    scanCount_.reset();
  }
  // Sums, key set and card total from scratch, as a scan finds them. The
  // scan keeps which modes are deferred-debit cards in `cardModes`, so that
  // each mode is read once.
  void ResetRunningState();
  void NoteScannedOperation(const Operation& op, std::unordered_map<CPResID, bool>& cardModes);

  // Raises kVYXErrCompteBadData unless the operation's numbers are numbers,
  // its date and month exist, its status is one and the list items it
  // refers to exist (only those that differ from `old`, when given: an
  // item deleted behind the account's back must not block other changes).
  void CheckOperationData(const Operation& op, const Operation* old);
  void CheckSousOperationData(const SousOperation& line, const SousOperation* old);

  VYXCompteSupervisor& supervisor_;
  CompteInfos infos_;
  VYXComptePrefs prefs_;
  VYXCompteKeys keys_;
  bool loaded_ = false;
  // What the last scan counted for the engine, until the engine is built.
  std::unique_ptr<VYXCompteTotauxCount> scanCount_;

 private:
  // The sums an operation brings, added (sign 1) or taken out (-1).
  void ApplySums(const Operation& op, int sign);
  void Broadcast(uint32_t code, void* data = nullptr) {
    BroadcastMessage(kVYXCompteMessage, code, data);
  }
  // Writes `op` back after a change of its lines, checked against the lock.
  void RewriteForLines(VYXDataRef& ref, const Operation& oldOp, const Operation& newOp);
  void DeleteNote(CPResID note);
  DataID NextLineNumber(const Operation& op);
  void ChangeInOperations(VYXCompteList list, CPResID oldID, CPResID newID);
  void ChangeInLists(VYXCompteList list, CPResID oldID, CPResID newID);
  bool ListItemExists(VYXCompteList list, CPResID id);

  MontantSet plusValues_;
  VYXRemiseInfos remiseInfos_;
  ExtMontant editionTotal_;
  ExtMontant pointageTotal_;
  double encoursCartes_ = 0;
  int bulkDepth_ = 0;
  bool beingClosed_ = false;
  std::unique_ptr<VYXCompteTotauxBase> totaux_;
};

// Holds a bulk change ('CPTE' 19 ... 20) for its lifetime.
class VYXCompteBulk {
 public:
  explicit VYXCompteBulk(VYXCompte& compte) : compte_(compte) { compte_.StartBulk(); }
  ~VYXCompteBulk() { compte_.EndBulk(); }
  VYXCompteBulk(const VYXCompteBulk&) = delete;
  VYXCompteBulk& operator=(const VYXCompteBulk&) = delete;

 private:
  VYXCompte& compte_;
};

#endif  // VYX_ACCOUNTS_VYXCOMPTE_H_
