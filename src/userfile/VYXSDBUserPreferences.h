// The user file kept in a database file: created with its own type and
// signature, held whole in memory while open, every list a resource set of
// one storage of the file, the settings a record of the "USRI" table. Every
// change is written through at once; closing saves the display orders.
#ifndef VYX_USERFILE_VYXSDBUSERPREFERENCES_H_
#define VYX_USERFILE_VYXSDBUSERPREFERENCES_H_

#include <memory>

#include "accounts/VYXPrefsSets.h"
#include "resources/CPSimpleDBResourceStorage.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "userfile/VYXSDBFacturesTable.h"
#include "userfile/VYXUserDirectory.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXVirementEnCours.h"

constexpr OSType kVYXUserFileCreator = 'VyxP';
constexpr OSType kVYXUserFileType = 'USR5';
inline constexpr unsigned char kVYXUserFileSignature[] = "\x08vyx_grp1";
constexpr uint32_t kVYXUserFileVersion = 1;
constexpr CPSimpleDBResourceStorageID kVYXUserStorageID = 0;

class VYXSDBUserPreferences : public VYXUserPreferences {
 public:
  // Names the file; nothing is read before IUserPreferences.
  explicit VYXSDBUserPreferences(const CPFileRef& file);
  // Closes a file still open (errors are lost then: call Close to see them).
  ~VYXSDBUserPreferences() override;

  // Creates the file (it must not exist) or opens it, then builds the
  // storage, the settings table and every set, reads the settings and sets
  // up the currencies. A failure leaves nothing open and raises the cause; a
  // file that is not a user file raises kVYXErrNotUserFile.
  void IUserPreferences(bool create);
  // Set before IUserPreferences: the file is opened for reading only
  // (CPSimpleDBFile::OpenForReading), which waits while a station changes it
  // and keeps stations from changing it until Close; nothing is written.
  void SetReadingOnly(bool reading) { reading_ = reading; }
  bool IsReadingOnly() const override { return reading_; }
  bool IsOpen() const { return db_ != nullptr; }
  // 'USER' 1, then saves, lets every set go and closes the file.
  void Close();

  const CPFileRef& GetFileSpec() const override { return file_; }
  CPSimpleDBFile& GetDataBase() const { return *db_; }
  CPSimpleDBResourceStorage& GetResourceStorage() const { return *storage_; }

  VYXUserResIndexesSet& GetResourcesIndexes() override { return *indexes_; }
  VYXUserPreferencesSet& GetPreferences() override { return *preferences_; }
  VYXUserComptesSet& GetComptes() override { return *comptes_; }
  VYXUserComptesEventsSet& GetComptesEvents() { return *comptesEvents_; }
  VYXUserDevisesSet& GetDevises() override { return *devises_; }
  VYXUserModesSet& GetModes() override { return *modes_; }
  VYXUserCategoriesSet& GetCategories() override { return *categories_; }
  VYXUserAffectationsSet& GetAffectations() override { return *affectations_; }
  VYXUserPostesSet& GetPostes() override { return *postes_; }
  VYXUserPostesExtraSet& GetPostesExtra() { return *postesExtra_; }
  VYXUserFiltersSet& GetFilters() { return *filters_; }
  VYXUserFiltersSetsSet& GetFiltersSets() { return *filtersSets_; }
  VYXUserDicoSet& GetDico() { return *dico_; }
  VYXUserOpSelectionsSet& GetSelections() override { return *selections_; }
  VYXUserColumnsSet& GetColumns() { return *columns_; }
  VYXUserListColumnsSet& GetListColumns() { return *listColumns_; }
  VYXModuleDisplayPrefsSet& GetModuleDisplayPrefs() { return *moduleDisplay_; }
  VYXTablePrefsSet& GetTablePrefs() { return *tablePrefs_; }
  VYXWindowPosSet& GetWindowPos() { return *windowPos_; }
  VYXDialogPosSet& GetDialogPos() override { return *dialogPos_; }
  VYXPageSetupSet& GetPageSetup() { return *pageSetup_; }
  VYXSmallNotesTextSet& GetSmallNotesText() { return *notesText_; }
  VYXSmallNotesStyleSet& GetSmallNotesStyle() { return *notesStyle_; }
  VYXSmallNotesInfosSet& GetSmallNotesInfos() { return *notesInfos_; }
  VYXUserTiersSet& GetTiers() override { return *tiers_; }
  VYXUserAffairesSet& GetAffaires() override { return *affaires_; }
  VYXUserTauxTVASet& GetTauxTVA() override { return *tauxTVA_; }
  VYXUserCatFamiliesSet& GetCatFamilies() override { return *families_; }
  VYXUserAliasesSet& GetAliases() override { return *aliases_; }
  VYXUserArticlesSet& GetArticles() override { return *articles_; }
  VYXUserVirementsSet& GetVirementsEnCours() { return *virements_; }

  // The other accounts as transfers reach them; the container gives the
  // means to open and close accounts (without it, only open ones are reached).
  VYXCompteDirectory* GetDirectory() override { return directory_.get(); }
  VYXUserDirectory& GetUserDirectory() { return *directory_; }
  void SetCompteOpener(VYXCompteOpener* opener) { directory_->SetOpener(opener); }

  // Every set, in the order they were made.
  std::vector<CPResourceSet*> GetAllSets() const;

  void SavePreferences() override;

 protected:
  void WriteProPrefs() override;
  void LoadProPrefs() override;
  void BeginExclusive() override;
  void EndExclusive() override;
  const std::vector<DataID>& FactureDataIDs() override { return factures_->List(); }
  bool ReadFacture(DataID dataID, Facture* facture) override {
    return factures_->Read(dataID, facture);
  }
  DataID WriteNewFacture(Facture& facture) override { return factures_->Add(facture); }
  void WriteFacture(DataID dataID, Facture& facture) override {
    factures_->Modify(dataID, facture);
  }
  void EraseFacture(DataID dataID) override { factures_->Delete(dataID); }

 private:
  void BuildSets();
  void WritePreferenceDefaults();
  void Release();
  // Tells the user that the opening started the event log again, and why.
  void TellLogRestart();

  CPFileRef file_;
  bool reading_ = false;
  std::unique_ptr<CPSimpleDBFullMemoryFile> db_;
  std::unique_ptr<CPSimpleDBResourceStorage> storage_;
  std::unique_ptr<CPSimpleDBSession> usri_;
  std::unique_ptr<VYXSDBFacturesHandler> factures_;
  std::vector<std::unique_ptr<CPSimpleDBAccessLocker>> holds_;

  std::unique_ptr<VYXUserResIndexesSet> indexes_;
  std::unique_ptr<VYXUserPreferencesSet> preferences_;
  std::unique_ptr<VYXUserComptesSet> comptes_;
  std::unique_ptr<VYXUserComptesEventsSet> comptesEvents_;
  std::unique_ptr<VYXUserDevisesSet> devises_;
  std::unique_ptr<VYXUserModesSet> modes_;
  std::unique_ptr<VYXUserCategoriesSet> categories_;
  std::unique_ptr<VYXUserAffectationsSet> affectations_;
  std::unique_ptr<VYXUserPostesSet> postes_;
  std::unique_ptr<VYXUserPostesExtraSet> postesExtra_;
  std::unique_ptr<VYXUserFiltersSet> filters_;
  std::unique_ptr<VYXUserFiltersSetsSet> filtersSets_;
  std::unique_ptr<VYXUserDicoSet> dico_;
  std::unique_ptr<VYXUserOpSelectionsSet> selections_;
  std::unique_ptr<VYXUserColumnsSet> columns_;
  std::unique_ptr<VYXUserListColumnsSet> listColumns_;
  std::unique_ptr<VYXModuleDisplayPrefsSet> moduleDisplay_;
  std::unique_ptr<VYXTablePrefsSet> tablePrefs_;
  std::unique_ptr<VYXWindowPosSet> windowPos_;
  std::unique_ptr<VYXDialogPosSet> dialogPos_;
  std::unique_ptr<VYXPageSetupSet> pageSetup_;
  std::unique_ptr<VYXSmallNotesTextSet> notesText_;
  std::unique_ptr<VYXSmallNotesStyleSet> notesStyle_;
  std::unique_ptr<VYXSmallNotesInfosSet> notesInfos_;
  std::unique_ptr<VYXUserTiersSet> tiers_;
  std::unique_ptr<VYXUserAffairesSet> affaires_;
  std::unique_ptr<VYXUserTauxTVASet> tauxTVA_;
  std::unique_ptr<VYXUserCatFamiliesSet> families_;
  std::unique_ptr<VYXUserAliasesSet> aliases_;
  std::unique_ptr<VYXUserArticlesSet> articles_;
  std::unique_ptr<VYXUserVirementsSet> virements_;
  std::unique_ptr<VYXUserDirectory> directory_;
};

#endif  // VYX_USERFILE_VYXSDBUSERPREFERENCES_H_
