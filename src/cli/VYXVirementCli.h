// What the commands that change operations need of transfers: the account a
// --virement option names, the split lines that go with an operation, the
// twins (the halves another account's transfer made here) and which account
// each transfer half goes to or comes from, as `ope liste` shows it.
#ifndef VYX_CLI_VYXVIREMENTCLI_H_
#define VYX_CLI_VYXVIREMENTCLI_H_

#include <map>
#include <string>
#include <vector>

#include "accounts/VYXCompte.h"

class VYXCliSession;

// Texts of transfers and reconciliation on the command line (res/strings.fr).
constexpr int kVYXVirementCliTexts = 30730;
enum VYXVirementCliText : int {
  kVirHelpVirement = 1,
  kVirColVirement,
  kVirTo,          // ^1: the account
  kVirFrom,        // ^1: the account
  kVirTwinFields,  // ^1: the operation, ^2: the source's account
  kVirDeletedBoth,  // ^1: the key, ^2: the account, ^3: the other account
  kVirNoTransfer,   // ^1: the account name typed
};

// The dossier's account named `name` (MacRoman) as a transfer target of
// `from`: its file. Raises when the dossier has no such account.
CPFileRef VYXVirementFile(VYXCliSession& session, const std::string& name);

// The live split lines of an operation, in order.
std::vector<SousOperation> VYXLinesOf(VYXCompte& compte, const Operation& op);

// A twin: the half a transfer of another account made here.
inline bool VYXIsTwin(const Operation& op) {
  return op.virementTargetKey != 0 && op.virementId == 0;
}

// The account (its name, MacRoman, and its file) holding the source of the
// twin `op` of `compte`; false when no account of the dossier does.
bool VYXFindTwinSource(VYXCliSession& session, VYXCompte& compte, const Operation& op,
                       std::string* name, CPFileRef* file);

// The other account of each transfer half of an account, looked up once.
class VYXVirementNames {
 public:
  VYXVirementNames(VYXCliSession& session, VYXCompte& compte) : session_(session), compte_(compte) {}
  // The other account's name (UTF-8) and whether the operation is the
  // source; empty for an operation that is no transfer half.
  std::string Other(const Operation& op, bool* source);
  // "vers X" or "de X", as lists show it; empty for none.
  std::string Text(const Operation& op);

 private:
  VYXCliSession& session_;
  VYXCompte& compte_;
  std::map<VirementKey, std::string> twins_;
};

#endif  // VYX_CLI_VYXVIREMENTCLI_H_
