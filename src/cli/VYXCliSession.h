// One command's work in a dossier: the container started as the application
// starts it (global preferences in $XDG_CONFIG_HOME/vyx; the dossier given by
// --dossier, else the last one, else the sample copied into $XDG_DATA_HOME/vyx),
// the dossier's accounts found by name and opened through the container, and
// everything closed at the end, on success and on failure alike.
//
// The container answers false and shows what went wrong; the session turns
// that into the CPException the command line reports (French message, exit 1),
// or into a cancellation when the user gave a question up.
//
// A command that only reads starts its session with Start::kReading: the
// dossier and the accounts it opens are opened for reading only (see
// DEVELOPERS.md), so that several such commands run at once, a file the user
// may not write is read, and nothing is written.
//
// A command that writes is all or nothing: what it writes to the dossier,
// its log and its accounts is kept (CPFileRollback) until Close has saved
// what closing saves; a command that fails before (a refusal, a full disk)
// has every file put back as it was by the destructor, files it made removed.
// The dossier stays locked against other stations until then.
#ifndef VYX_CLI_VYXCLISESSION_H_
#define VYX_CLI_VYXCLISESSION_H_

#include <memory>
#include <string>
#include <vector>

#include "accounts/VYXSDBCompte.h"
#include "foundation/CPFileRollback.h"
#include "platform/CPFileRef.h"

class VYXContainer;
class VYXSDBUserPreferences;
struct VYXCliContext;

class VYXCliSession {
 public:
  enum class Start {
    kDossier,    // open the dossier start-up chooses; none is a refusal
    kReading,    // the same, for reading only: a command that only reads
    kNoDossier,  // the global preferences only: the command opens or creates one
  };
  explicit VYXCliSession(VYXCliContext& ctx, Start start = Start::kDossier);
  // Closes what is still open; failures then are only shown.
  ~VYXCliSession();
  VYXCliSession(const VYXCliSession&) = delete;
  VYXCliSession& operator=(const VYXCliSession&) = delete;

  VYXContainer& Container() const;
  // The open dossier; raises when there is none.
  VYXSDBUserPreferences& Dossier() const;
  // Opens (or with `create` makes) a dossier in place of the open one and
  // records it as the last one.
  void ChangeDossier(const CPFileRef& file, bool create);

  // An account of the dossier's list: its position (from 1), its ID in the
  // list and its name (MacRoman), the name of its file without ".cpt".
  struct Compte {
    int32_t position = 0;
    CPResID id = 0;
    std::string name;
  };
  std::vector<Compte> Comptes() const;
  // The account named `utf8` (letter case and accents aside, as the system
  // compares names); raises naming the dossier when it has none.
  Compte FindCompte(const std::string& utf8) const;
  // The same, answering false.
  bool FindCompte(const std::string& macRoman, Compte* compte) const;
  // Where the account's file is: beside the dossier, or elsewhere once the
  // user agreed to a file outside the dossier's folder (refused otherwise,
  // as a file that is a directory is). A file found nowhere is asked for
  // and refused when the user does not say; without `askWhere`, it is an
  // empty reference.
  CPFileRef CompteFile(const Compte& compte, bool askWhere = true) const;

  // Opens an account through the container (or finds it open). An account
  // this opens then offers what its schedule has due, as opening an account
  // does (asked on a terminal; --oui and --non answer; the safe answer, to
  // make nothing, without a terminal, said on stderr).
  VYXSDBCompte& OpenCompte(const std::string& utf8);
  VYXSDBCompte& OpenCompte(const Compte& compte);
  VYXSDBCompte& OpenCompteFile(const CPFileRef& file, bool openEvents = true);
  // The same without that offer: the commands of the schedule itself.
  VYXSDBCompte& OpenCompteQuietly(const std::string& utf8);
  VYXSDBCompte& OpenCompteQuietly(const Compte& compte);
  // Makes the account file, lists it in the dossier and opens it.
  VYXSDBCompte& CreateCompte(const CPFileRef& file);
  // Opens every account of the dossier, so that changes of the shared lists
  // reach them all.
  void OpenAllComptes();

  // Saves what closing saves, which ends the command: from then on what it
  // wrote stays. Then quits the container: every account, then the dossier,
  // closed; what only closing writes (a saved index, the header's flags) is
  // left to the next opening when it cannot be written. Raises what went
  // wrong before the end.
  void Close();

 private:
  class CliContainer;
  void Begin(Start start);

  VYXCliContext& ctx_;
  std::unique_ptr<CPFileRollback> rollback_;  // none for a command that only reads
  std::unique_ptr<CliContainer> container_;
};

#endif  // VYX_CLI_VYXCLISESSION_H_
