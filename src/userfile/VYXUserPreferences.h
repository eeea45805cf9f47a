// The user file (the user's "dossier"): the list of the user's accounts, the
// lists those accounts share (currencies, payment modes, categories and their
// families and budget posts, allocations, third parties, cases, VAT rates),
// the user's settings and the preferences of the global views. This class
// holds the rules; VYXSDBUserPreferences keeps everything in a database file.
//
// Each account keeps its own copies of the shared lists under its own IDs;
// the user file's lists are the union, matched by name. Renaming or deleting
// an item here is carried to the accounts open at that moment; the others
// catch up when they next open (CheckCompte).
//
// Changes are announced in category 'USER' (codes below) besides the 'RSRC'
// messages of each set.
#ifndef VYX_USERFILE_VYXUSERPREFERENCES_H_
#define VYX_USERFILE_VYXUSERPREFERENCES_H_

#include <string>
#include <vector>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteSupervisor.h"
#include "foundation/CPBroadcaster.h"
#include "platform/CPFileRef.h"
#include "userfile/Facture.h"
#include "userfile/VYXFileAlias.h"
#include "userfile/VYXProUserPrefs.h"
#include "userfile/VYXUserFacturesPrefs.h"
#include "userfile/VYXUserIdentityPrefs.h"
#include "userfile/VYXUserPrefsRecords.h"
#include "userfile/VYXUserSets.h"

constexpr OSType kVYXUserMessage = 'USER';
enum : uint32_t {
  kUserClosing = 1,  // the user file is being closed
  kUserToFront = 2,
  kUserStartLoading = 3,  // start of a batch load, or of an undo or redo
  kUserEndLoading = 4,
  kUserCompteAdded = 5,       // data: the account's CPFileRef
  kUserCompteRemoved = 6,     // data: its CPResID in the list
  kUserCompteOpened = 7,      // data: the account document
  kUserCompteClosing = 8,     // data: the account document
  kUserModuleChecked = 9,     // data: VYXModuleCheck
  kUserDecimalsChanged = 10,  // data: the VYXDecimalsKind
  kUserThousandsChanged = 11,
  kUserColumnSeparatorChanged = 12,
  kUserLineSeparatorChanged = 13,
  kUserListingLinesChanged = 14,
  kUserAchatsPrefsChanged = 15,  // data: the record's CPResID, for 15, 16 and 22
  kUserFacturesPrefsChanged = 16,
  kUserFactureAdded = 17,     // data: VYXFactureMessage, for 17 to 19
  kUserFactureModified = 18,
  kUserFactureDeleted = 19,
  kUserBeforeFileChange = 20,  // around save-as, currency conversions, history date
  kUserAfterFileChange = 21,
  kUserImmosPrefsChanged = 22,
};

// The data of 'USER' 9.
struct VYXModuleCheck {
  int32_t position;  // of the account in the list
  ModuleGlobal module;
  bool checked;
};

// The data of 'USER' 17 (added: the new document), 18 (modified: the old
// and the new) and 19 (deleted: the document as it was).
struct VYXFactureMessage {
  int32_t id = 0;  // its position in the list of documents
  const Facture* facture = nullptr;
  const Facture* oldFacture = nullptr;  // 18 only
};

// The lists that accounts share with the user file.
enum class VYXSharedList { kCategorie, kAffectation, kTiers, kAffaire, kMode, kTauxTVA };
// The same list as an account names it.
VYXCompteList VYXCompteListOf(VYXSharedList list);

class VYXUserPreferences : public CPBroadcaster, public CPListener, public VYXCompteSupervisor {
 public:
  VYXUserPreferences() = default;
  ~VYXUserPreferences() override = default;

  // ---- The file and its sets (the storage subclass provides them).
  virtual const CPFileRef& GetFileSpec() const = 0;
  // Opened for reading only (a command that only reads): nothing is written,
  // neither what the accounts it checks would add nor what closing saves.
  virtual bool IsReadingOnly() const { return false; }
  virtual VYXUserResIndexesSet& GetResourcesIndexes() = 0;
  virtual VYXUserPreferencesSet& GetPreferences() = 0;
  virtual VYXUserComptesSet& GetComptes() = 0;
  virtual VYXUserDevisesSet& GetDevises() = 0;
  virtual VYXUserModesSet& GetModes() = 0;
  virtual VYXUserCategoriesSet& GetCategories() = 0;
  virtual VYXUserAffectationsSet& GetAffectations() = 0;
  virtual VYXUserPostesSet& GetPostes() = 0;
  virtual VYXUserTiersSet& GetTiers() = 0;
  virtual VYXUserAffairesSet& GetAffaires() = 0;
  virtual VYXUserTauxTVASet& GetTauxTVA() = 0;
  virtual VYXUserCatFamiliesSet& GetCatFamilies() = 0;
  virtual VYXUserOpSelectionsSet& GetSelections() = 0;
  virtual VYXDialogPosSet& GetDialogPos() = 0;
  virtual VYXUserAliasesSet& GetAliases() = 0;
  virtual VYXUserArticlesSet& GetArticles() = 0;
  // The user set of a shared list.
  CPResourceSet& GetSharedList(VYXSharedList list);

  // ---- Settings of the file ('USRI'); each change is written at once.
  const VYXProUserPrefs& GetProPrefs() const { return proPrefs_; }
  int16_t GetDecimals(VYXDecimalsKind kind) const { return proPrefs_.GetDecimals(kind); }
  int GetMontantDecimals() override { return GetDecimals(kDecimalsMontants); }
  // 0 to 10 decimals; 'USER' 10.
  void SetDecimals(VYXDecimalsKind kind, int16_t decimals);
  void SetThousandsSeparator(bool on);  // 'USER' 11
  void SetColumnSeparator(uint8_t ch);  // 'USER' 12
  void SetLineSeparator(uint8_t ch);    // 'USER' 13
  void SetListingLines(bool on);        // 'USER' 14

  // ---- Preference records (VYXUserPrefsRecords.h). A record never written
  // reads as zeros. Reads copy at most the record's size; a write is cut or
  // padded to it and goes to the file at once. False (nothing done) for an
  // ID that is not a preference record.
  bool GetPreferenceRecord(CPResID id, void* data, uint32_t size);
  bool SetPreferenceRecord(CPResID id, const void* data, uint32_t size);
  // Dialog positions ('DPOS'): false when never saved.
  bool GetDialogPosition(CPResID id, int16_t* top, int16_t* left);
  void SetDialogPosition(CPResID id, int16_t top, int16_t left);
  // Writes the settings record and every preference record the file lacks,
  // and the display orders of the sets.
  virtual void SavePreferences() = 0;

  // ---- The password last typed for an account in this session (MacRoman).
  std::string GetLastPassword() override { return lastPassword_; }
  void SetLastPassword(const std::string& password) override { lastPassword_ = password; }

  // ---- Open accounts of this user file.
  // Run while an account opens, before it is written back: the account's
  // currency is taken in, and every named item of its shared lists that the
  // user file lacks is added to it; nameless items are taken out of the
  // account (their references cleared first).
  void CheckCompte(VYXCompte& compte) override;
  // The account is open: 'USER' 7, and from now on renames and deletions
  // reach it, and items it adds are taken in.
  void CompteOpened(VYXCompte& compte);
  // 'USER' 8; the account is no longer followed.
  void CompteBeingClosed(VYXCompte& compte) override;
  const std::vector<VYXCompte*>& GetOpenComptes() const { return openComptes_; }
  // The open account of the list's position n; false when it is not open.
  bool GetNthCompte(int32_t n, VYXCompte** compte);
  // The position in the list of an open account; 0 when not listed.
  int32_t GetCompteIndex(VYXCompte& compte);

  // ---- The list of accounts. Positions are 1-based display positions.
  // Adds the account file (its name is the file's name without ".cpt", in
  // MacRoman: a name MacRoman cannot hold is refused) and answers its
  // position; a file already listed is not added again. 'USER' 5. With
  // `relativeOnly`, the account is found only by its place from the dossier's
  // folder (a dossier made to be copied elsewhere, such as the sample).
  int32_t AddCompte(const CPFileRef& file, bool relativeOnly = false);
  // Removes the account and its alias. 'USER' 6. `detachInvoices`: the
  // documents settled in the account lose their link to it (the amount
  // settled stays).
  void RemoveCompte(CPResID id, bool detachInvoices);
  // False while a document is linked to an operation of the account.
  bool CanDeleteCompte(CPResID id);
  int32_t GetNbOfComptes();
  bool GetNthCompte(int32_t n, CPResID* id);
  // How the file of an account was found (LocateCompte).
  enum class CompteFileState {
    kFound,
    kOutside,   // only outside the dossier's folder, not confirmed (not asked)
    kRefused,   // only outside the dossier's folder, and the user said no
    kNotAFile,  // a directory, or another non-file, stands where it should be
    kMissing,
  };
  // Where the file of the account at position n is. It is looked for beside
  // the dossier first (its path from the dossier's folder, then its name in
  // that folder), then at its absolute path. A file found only there, outside
  // the dossier's folder, may belong to another dossier that this one is a
  // copy of: with `confirm` the user is asked, the question naming where the
  // file was expected and where it is, before it is used (kRefused when the
  // answer is no); without, kOutside says so and nothing is asked. With
  // `ask`, a file found nowhere is asked for. `expected` (may be null)
  // receives the place beside the dossier. With `confirm`, an alias that led
  // to its file otherwise than by its relative path is brought up to date;
  // without, nothing is written.
  CompteFileState LocateCompte(int32_t n, CPFileRef* file, bool confirm, bool ask,
                               CPFileRef* expected = nullptr);
  // The account's file, through LocateCompte: with `ask`, confirmed and asked
  // for (true only for kFound); without, as found, outside the dossier's
  // folder included, for showing where it is.
  bool GetNthCompte(int32_t n, CPFileRef* file, bool ask);
  // The position of an account by ID, or of the account whose file is
  // `file` (found without asking); 0 when not listed.
  int32_t GetCompteIndex(CPResID id);
  int32_t GetCompteIndex(const CPFileRef& file);
  // The file of the account at position n now has another name (or place):
  // its alias and its name in the list follow.
  void CompteFileRenamed(int32_t n, const CPFileRef& file);
  bool GetCompteInfos(int32_t n, UserCompte* infos);
  void SetCompteInfos(int32_t n, const UserCompte& infos);
  // The currency ID stored for the account; 0 when it cannot be read.
  CPResID GetCompteDeviseID(CPResID id);
  // Whether the account at position n takes part in the global view.
  bool ModuleIsChecked(int32_t n, ModuleGlobal module);
  // 'USER' 9 when the flag changed.
  void CheckModule(int32_t n, ModuleGlobal module, bool checked);

  // ---- Currencies. ID 1 is the reference currency; a code is the name's
  // first four characters padded with spaces ('EUR ').
  CPResID DeviseCodeToId(OSType code);
  OSType DeviseIdToCode(CPResID id);
  DeviseCode GetReferenceDevise() override { return DeviseIdToCode(1); }
  // How many reference units one unit of `code` is worth.
  double GetDeviseCoeff(OSType code);
  // An amount in `code` in the reference currency, and back, cut to the
  // user's decimals for amounts.
  double DeviseToMontant(OSType code, double amount);
  double MontantToDevise(OSType code, double amount);
  // A currency unit of a formula (VYXCompteSupervisor): the currencies in
  // display order, by code (exactly), then with one parameter by symbol.
  bool EvaluateDevise(ConstStringPtr name, ParamStack* params, DeviseCode devise, double* result,
                      bool* found) override;
  void GetQuantityFormat(int16_t* decimals, bool* thousands) override;

  // ---- Families and budget posts of categories (0: none).
  void SetCategorieFamily(CPResID categorie, CPResID family);
  CPResID GetCategorieFamily(CPResID categorie);
  void SetCategoriePoste(CPResID categorie, CPResID poste);
  CPResID GetCategoriePoste(CPResID categorie);

  // ---- Shared items. Rename: to a name another item has, the two merge.
  // Change: the user file's own records that name `oldID` name `newID`.
  // ToBeDeleted: called before the caller removes the item. IsUsed: whether
  // something still uses it; `user` receives what (an account's name).
  void RenameCategorie(CPResID id, ConstStringPtr name) {
    Rename(VYXSharedList::kCategorie, id, name);
  }
  void RenameAffectation(CPResID id, ConstStringPtr name) {
    Rename(VYXSharedList::kAffectation, id, name);
  }
  void RenameTiers(CPResID id, ConstStringPtr name) { Rename(VYXSharedList::kTiers, id, name); }
  void RenameAffaire(CPResID id, ConstStringPtr name) { Rename(VYXSharedList::kAffaire, id, name); }
  void RenameMode(CPResID id, ConstStringPtr name) { Rename(VYXSharedList::kMode, id, name); }
  void RenameTauxTVA(CPResID id, ConstStringPtr name) { Rename(VYXSharedList::kTauxTVA, id, name); }
  void ChangeCategorie(CPResID oldID, CPResID newID) {
    Change(VYXSharedList::kCategorie, oldID, newID);
  }
  void ChangeAffectation(CPResID oldID, CPResID newID) {
    Change(VYXSharedList::kAffectation, oldID, newID);
  }
  void ChangeTiers(CPResID oldID, CPResID newID) { Change(VYXSharedList::kTiers, oldID, newID); }
  void ChangeAffaire(CPResID oldID, CPResID newID) {
    Change(VYXSharedList::kAffaire, oldID, newID);
  }
  void ChangeMode(CPResID oldID, CPResID newID) { Change(VYXSharedList::kMode, oldID, newID); }
  void ChangeTauxTVA(CPResID oldID, CPResID newID) {
    Change(VYXSharedList::kTauxTVA, oldID, newID);
  }
  void CategorieToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kCategorie, id); }
  void AffectationToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kAffectation, id); }
  void TiersToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kTiers, id); }
  void AffaireToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kAffaire, id); }
  void ModeToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kMode, id); }
  void TauxTVAToBeDeleted(CPResID id) { ToBeDeleted(VYXSharedList::kTauxTVA, id); }
  bool CategorieIsUsed(CPResID id, StringPtr user) {
    return IsUsed(VYXSharedList::kCategorie, id, user);
  }
  bool AffectationIsUsed(CPResID id, StringPtr user) {
    return IsUsed(VYXSharedList::kAffectation, id, user);
  }
  bool TiersIsUsed(CPResID id, StringPtr user) { return IsUsed(VYXSharedList::kTiers, id, user); }
  bool AffaireIsUsed(CPResID id, StringPtr user) {
    return IsUsed(VYXSharedList::kAffaire, id, user);
  }
  bool ModeIsUsed(CPResID id, StringPtr user) { return IsUsed(VYXSharedList::kMode, id, user); }
  bool TauxTVAIsUsed(CPResID id, StringPtr user) {
    return IsUsed(VYXSharedList::kTauxTVA, id, user);
  }

  // Articles belong to the user file alone. Rename: to another article's
  // name, the two merge (lines move to the other). Change: the lines that
  // name `oldID` name `newID`. IsUsed: whether a document has a line of it
  // (`user` receives the document's number).
  void RenameArticle(CPResID id, ConstStringPtr name);
  void ChangeArticle(CPResID oldID, CPResID newID);
  void ArticleToBeDeleted(CPResID id) { ChangeArticle(id, 0); }
  bool ArticleIsUsed(CPResID id, StringPtr user);

  virtual void Rename(VYXSharedList list, CPResID id, ConstStringPtr name);
  virtual void Change(VYXSharedList list, CPResID oldID, CPResID newID);
  virtual void ToBeDeleted(VYXSharedList list, CPResID id);
  virtual bool IsUsed(VYXSharedList list, CPResID id, StringPtr user);

  // ---- Sales documents (quotes, delivery notes, invoices). A document's
  // `id` is its position, from 1, in the list of documents in the order they
  // were made; its data identifier (FactureHeader's) never changes. Each
  // change is written at once and announced ('USER' 17 to 19).
  int32_t GetNbOfFactures();
  // False for a position out of the list.
  bool GetFacture(int32_t id, Facture* facture);
  DataID GetFactureDataID(int32_t id);
  // The position of the document of that data identifier; false when none.
  bool FindFacture(DataID dataID, int32_t* id);
  // Stores a new document and answers its position. With `calculate`, its
  // totals and its settled flag are computed from its lines first (as every
  // document typed here is); without, they are kept as given (a document
  // brought from elsewhere keeps its issuer's figures).
  void AddFacture(Facture& facture, int32_t* id, bool calculate = true);
  // Rewrites the document, its totals computed again.
  void ModifyFacture(int32_t id, Facture& facture);
  void ModifyFacture(int32_t id, const Facture& oldFacture, Facture& facture);
  void DeleteFacture(int32_t id);
  // The document's totals from its lines, with the user file's articles,
  // VAT rates and decimals; and whether what was paid settles it.
  void CalculateFacture(Facture& facture);
  double CalculateFacture(const Facture& facture, std::vector<FactureTVATotal>* vatTotals,
                          double* totalEco, double* totalCost);
  static bool IsSoldee(const FactureHeader& header, short decimals);

  // ---- Numbering of documents and purchase pieces (VYXUserFacturesPrefs.h).
  // A record never written reads as its defaults.
  void GetPrefs(VYXUserFacturesPrefs* prefs);
  void SetPrefs(const VYXUserFacturesPrefs& prefs);  // 'USER' 16
  void GetPrefs(VYXUserAchatsPrefs* prefs);
  void SetPrefs(const VYXUserAchatsPrefs& prefs);  // 'USER' 15
  void GetPrefs(VYXUserSynchroPrefs* prefs);
  void SetPrefs(const VYXUserSynchroPrefs& prefs);
  void GetPrefs(VYXUserAddressPrefs* prefs);
  void SetPrefs(const VYXUserAddressPrefs& prefs);
  void GetPrefs(VYXDossierComptableInfos* prefs);
  void SetPrefs(const VYXDossierComptableInfos& prefs);
  // The next number of a kind, its format filled with it and `date`, cut to
  // 12 characters; `counter` (may be null) receives the number. With
  // `reserve`, the number is taken: the counter moves on.
  void GetNextNoDevis(int32_t* counter, CPDate date, StringPtr number, bool reserve) {
    GetNextNo(VYXPieceKind::kDevis, counter, date, number, reserve);
  }
  void GetNextNoBL(int32_t* counter, CPDate date, StringPtr number, bool reserve) {
    GetNextNo(VYXPieceKind::kBL, counter, date, number, reserve);
  }
  void GetNextNoFacture(int32_t* counter, CPDate date, StringPtr number, bool reserve) {
    GetNextNo(VYXPieceKind::kFacture, counter, date, number, reserve);
  }
  void GetNextNo(VYXPieceKind kind, int32_t* counter, CPDate date, StringPtr number,
                 bool reserve);
  // A number typed by hand for a document of that kind: when it is the one
  // the counter would give, the counter moves on; otherwise it stays.
  bool ValidateNextNo(VYXPieceKind kind, ConstStringPtr number, CPDate date);
  // The next purchase piece number of the format that begins with `prefix`
  // (letter case and accents aside); false for an empty prefix or none.
  bool GetNextNoPiece(ConstStringPtr prefix, CPDate date, StringPtr number);
  // A purchase piece number typed by hand: when it is the next one of the
  // format that begins with its first character, that counter moves on.
  bool ValidateNextNoPiece(ConstStringPtr number, CPDate date);

  // ---- Sharing. Several stations (processes, here or on other machines)
  // may have the dossier open at once. Work that reads and then writes (a
  // new item under a free ID and name, a flag of an account) holds the
  // dossier for the time it takes: the others' changes are read first, and
  // nobody else changes it meanwhile. Holds nest.
  class Exclusive {
   public:
    explicit Exclusive(VYXUserPreferences& user) : user_(user) { user_.BeginExclusive(); }
    ~Exclusive() { user_.EndExclusive(); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

   private:
    VYXUserPreferences& user_;
  };
  // Adds a resource to one of the dossier's sets under a free ID and a name
  // no other resource has (the name given, suffixed if need be), and answers
  // its ID. The way to add anything that other stations may add too.
  CPResID AddItem(CPResourceSet& set, ConstStringPtr name, const void* data, uint32_t size);
  // Reads what the other stations changed.
  void UpdateSharedData() { Exclusive hold(*this); }

  // ---- Messages a caller brackets its work with.
  void BringToFront() { BroadcastMessage(kVYXUserMessage, kUserToFront, nullptr); }
  void StartLoading() { BroadcastMessage(kVYXUserMessage, kUserStartLoading, nullptr); }
  void EndLoading() { BroadcastMessage(kVYXUserMessage, kUserEndLoading, nullptr); }
  void BeforeFileChange() { BroadcastMessage(kVYXUserMessage, kUserBeforeFileChange, nullptr); }
  void AfterFileChange() { BroadcastMessage(kVYXUserMessage, kUserAfterFileChange, nullptr); }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  // The generic part of opening: the reference currency and the euro, then
  // the checks of the display orders.
  void InitUserPreferences();
  void InitDevises();
  // The settings record changed in memory: write it.
  virtual void WriteProPrefs() = 0;
  // Reads the settings record again (another station may have changed it).
  virtual void LoadProPrefs() = 0;
  virtual void BeginExclusive() {}
  virtual void EndExclusive() {}

  // The storage of documents, by data identifier (ascending).
  virtual const std::vector<DataID>& FactureDataIDs() = 0;
  virtual bool ReadFacture(DataID dataID, Facture* facture) = 0;
  virtual DataID WriteNewFacture(Facture& facture) = 0;
  virtual void WriteFacture(DataID dataID, Facture& facture) = 0;
  virtual void EraseFacture(DataID dataID) = 0;

  // Asks the synchronisation of the dossier for the next number of a kind
  // (taking it with `reserve`); false when it cannot answer. No
  // synchronisation is built in: this answers false.
  virtual bool GetSynchroNumero(VYXPieceKind kind, uint8_t method, bool reserve,
                                int32_t* number);

  VYXProUserPrefs proPrefs_;

 private:
  // The name of the account at `id`, MacRoman.
  std::string CompteName(CPResID id);
  void BroadcastCheck(int32_t position, ModuleGlobal module, bool checked);
  // The account's currency in the user file's list, added when missing.
  CPResID CheckDevise(VYXCompte& compte);
  // Adds the account's named items the user list lacks; takes its nameless
  // items out.
  void CheckResources(VYXSharedList list, VYXCompte& compte);
  // Adds the account's item `id` to the user list when its name is new there.
  void TakeInItem(VYXSharedList list, VYXCompte& compte, CPResID id);
  // Records the account's currency in its entry of the list.
  void NoteCompteDevise(VYXCompte& compte);
  // An operation that settles a document was added, changed or deleted in
  // an open account: the document's settled amount and link follow.
  void FactureOperationChanged(VYXCompte& compte, const Operation* oldOp, const Operation* newOp);
  // The references of the user file's own records (articles, documents) to
  // an item of a shared list move from `oldID` to `newID`.
  void ChangeUserRecords(VYXSharedList list, CPResID oldID, CPResID newID);
  // Whether one of the user file's own records names the item.
  bool UserRecordsUse(VYXSharedList list, CPResID id, StringPtr user);
  template <class R>
  void ReadPrefs(CPResID id, R* record);
  template <class R>
  void WritePrefs(CPResID id, const R& record);
  // The saved selections that name `oldID` of the list name `newID` (none
  // when it is 0; VYXUserSelections.h).
  void ChangeSavedSelections(VYXSharedList list, CPResID oldID, CPResID newID);

  std::string lastPassword_;
  std::vector<VYXCompte*> openComptes_;
};

#endif  // VYX_USERFILE_VYXUSERPREFERENCES_H_
