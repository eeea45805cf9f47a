// How an account reaches the other accounts of its dossier, which transfers
// need: where the account that a transfer target designates is, that account
// itself (already open, or opened for the change and closed afterwards), the
// conversion between two accounts' currencies, and the dossier's journal of
// transfers in progress. The user file provides it (VYXCompteSupervisor::
// GetDirectory); an account without a dossier has none and makes no transfer.
#ifndef VYX_ACCOUNTS_VYXCOMPTEDIRECTORY_H_
#define VYX_ACCOUNTS_VYXCOMPTEDIRECTORY_H_

#include <string>

#include "accounts/VYXRecordTypes.h"
#include "platform/CPFileRef.h"

class VYXCompte;

// One change of a transfer, written to the dossier's journal before either
// account is touched and taken out once both are written, so that a change
// cut short (a crash, a kill) is finished at the next opening of the dossier.
struct VYXVirementJournalEntry {
  enum Kind : uint8_t {
    kFollow = 'S',  // the twin in `target` follows the source of `key` in `source`, or goes when there is none
    kDelete = 'D',  // the source and its twin both go
  };
  Kind kind = kFollow;
  bool invert = true;  // the twin's amounts are the source's, sign changed
  CPFileRef source;    // the account of the source half
  CPFileRef target;    // the account of the twin
  VirementKey key = 0;
};

class VYXCompteDirectory {
 public:
  virtual ~VYXCompteDirectory() = default;

  // Makes an alias of the file `target` in `compte`'s file, relative to it,
  // and answers the alias's ID.
  virtual CPResID MakeAlias(VYXCompte& compte, const CPFileRef& target) = 0;
  // The file that alias `aliasID` of `compte` designates; when it leads
  // nowhere, the dossier's account called `name` (MacRoman); then, with
  // `ask`, the user is asked where it is. False when none is found.
  virtual bool ResolveAlias(VYXCompte& compte, CPResID aliasID, const std::string& name, bool ask,
                            CPFileRef* file) = 0;
  // Whether `file` is one of the dossier's accounts.
  virtual bool IsDossierCompte(const CPFileRef& file) = 0;

  // The account of `file`, open: the one already open, or opened now (the
  // dossier checks it as it opens). Raises why it cannot be opened. Each
  // AcquireCompte is matched by one ReleaseCompte, which closes an account
  // opened for the occasion once nobody holds it.
  virtual VYXCompte& AcquireCompte(const CPFileRef& file) = 0;
  virtual void ReleaseCompte(VYXCompte& compte) = 0;
  // The open account of `file`, or null; opens nothing.
  virtual VYXCompte* GetOpenCompte(const CPFileRef& file) = 0;

  // `amount` in `from` converted into `to` through the reference currency,
  // each step rounded to the dossier's decimals.
  virtual double ConvertDevise(DeviseCode from, DeviseCode to, double amount) = 0;

  // The journal: Note raises when the entry cannot be written (nothing is
  // then to be done); Done takes it out.
  virtual uint32_t NoteVirementChange(const VYXVirementJournalEntry& entry) = 0;
  virtual void VirementChangeDone(uint32_t id) = 0;
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEDIRECTORY_H_
