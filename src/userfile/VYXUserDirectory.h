// The dossier's accounts as transfers reach them (VYXCompteDirectory): the
// aliases that an account keeps of the others in its own file, the dossier's
// list of accounts, its currencies, and its journal of transfers in progress
// ("VREC", VYXVirementEnCours.h). Owned by the user file; the accounts it
// opens are opened and closed by the application (VYXCompteOpener), so that
// the dossier checks each as it opens.
#ifndef VYX_USERFILE_VYXUSERDIRECTORY_H_
#define VYX_USERFILE_VYXUSERDIRECTORY_H_

#include <string>
#include <vector>

#include "accounts/VYXCompteDirectory.h"

class VYXSDBUserPreferences;

// How the dossier has the application open and close an account for a change.
class VYXCompteOpener {
 public:
  virtual ~VYXCompteOpener() = default;
  // The open account of `file`; raises why it cannot be opened.
  virtual VYXCompte& OpenCompteFor(const CPFileRef& file) = 0;
  virtual void CloseCompteOpenedFor(VYXCompte& compte) = 0;
  // The account of `file` when it is open, else null.
  virtual VYXCompte* FindOpenCompte(const CPFileRef& file) = 0;
};

class VYXUserDirectory : public VYXCompteDirectory {
 public:
  explicit VYXUserDirectory(VYXSDBUserPreferences& user) : user_(user) {}
  void SetOpener(VYXCompteOpener* opener) { opener_ = opener; }

  CPResID MakeAlias(VYXCompte& compte, const CPFileRef& target) override;
  bool ResolveAlias(VYXCompte& compte, CPResID aliasID, const std::string& name, bool ask,
                    CPFileRef* file) override;
  bool IsDossierCompte(const CPFileRef& file) override;
  VYXCompte& AcquireCompte(const CPFileRef& file) override;
  void ReleaseCompte(VYXCompte& compte) override;
  VYXCompte* GetOpenCompte(const CPFileRef& file) override;
  double ConvertDevise(DeviseCode from, DeviseCode to, double amount) override;
  uint32_t NoteVirementChange(const VYXVirementJournalEntry& entry) override;
  void VirementChangeDone(uint32_t id) override;

  // The account of the dossier that holds the source of the twin of `key`
  // kept in the account of `twinFile` (each other account is looked at,
  // opened for it when closed). False when none does: the twin stands alone.
  bool FindVirementSource(const CPFileRef& twinFile, VirementKey key, CPFileRef* sourceFile);

  // The entries of the journal whose two accounts are still listed, by ID;
  // entries of an account no longer listed are taken out.
  std::vector<std::pair<uint32_t, VYXVirementJournalEntry>> PendingVirementChanges();
  // Finishes every change the journal still holds (a change a crash cut
  // short), each entry going once done. An account in use elsewhere leaves
  // its entries for a later opening; any other failure is shown and leaves
  // its entry too. Answers how many were finished.
  int FinishPendingVirementChanges();

 private:
  struct Held {
    VYXCompte* compte;
    int count;
    bool opened;  // opened for the change: closed when the last holder lets go
  };

  VYXSDBUserPreferences& user_;
  VYXCompteOpener* opener_ = nullptr;
  std::vector<Held> held_;
};

#endif  // VYX_USERFILE_VYXUSERDIRECTORY_H_
