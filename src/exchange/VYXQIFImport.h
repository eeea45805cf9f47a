// The import of a QIF file straight into an account's operations (not
// through the statement lines): each transaction becomes a cleared
// operation, its split groups split lines; payees, categories and securities
// are found by name, letter case and accents aside, in the account, then in
// the dossier, and made when neither has them; an opening balance, or the
// balance of the file's account block, becomes the account's cleared opening
// balance. Transfers ("[Account]" as category) stay plain operations, with
// no category.
//
// The file is read whole before anything is written: a date or an amount
// that does not read raises CPException naming its line, and the account
// is left as it was. What the import would do can be asked without doing it
// (Plan). Records of list blocks are not operations: "!Type:Cat" names
// categories, the others are passed over.
#ifndef VYX_EXCHANGE_VYXQIFIMPORT_H_
#define VYX_EXCHANGE_VYXQIFIMPORT_H_

#include <optional>
#include <string>
#include <vector>

#include "accounts/VYXCompte.h"
#include "exchange/VYXQIFTypes.h"

class CPTabCrStream;
class VYXUserPreferences;

struct VYXQIFImportOptions {
  bool updatePrices = false;
  // Forced readings, instead of what the probe finds.
  std::optional<bool> monthFirst;
  std::optional<QIF_Encoding> encoding;
};

// What an import makes, read from the file.
struct VYXQIFImportPlan {
  struct Split {
    std::string memo, category;  // MacRoman
    double amount = 0;
  };
  struct Op {
    Operation op;  // list items not yet set
    std::string payee, category, security;
    std::vector<Split> splits;
  };
  std::vector<Op> ops;
  bool hasOpening = false;
  double opening = 0;
  bool hasBalance = false;  // the account block's
  double balance = 0;
  std::vector<std::string> categories;  // named by "!Type:Cat" blocks
  uint8_t compteType = 0;               // the type the headers give the account, 0 for none
  bool titres = false;                  // the account comes to hold securities
  long ignored = 0;                     // records of lists and other blocks passed over
  long replacedTexts = 0;
};

// What an import did, or would do.
struct VYXQIFImportReport {
  long operations = 0;
  long splits = 0;
  std::vector<std::string> newCategories, newPayees, newTitres;  // MacRoman
  bool hasOpening = false;
  double opening = 0;  // the cleared opening balance set
  uint8_t compteType = 0;
  long ignored = 0;
  long replacedTexts = 0;
};

class VYXCompteListImportAction {
 public:
  // `user` (may be null) is the dossier whose lists are looked in.
  VYXCompteListImportAction(VYXCompte& compte, VYXUserPreferences* user, int decimals)
      : compte_(compte), user_(user), decimals_(decimals) {}

  // Reads the file; raises for a file that is not QIF or is wrong at a line.
  // Needs no account: a file can be read before anything is opened.
  static VYXQIFImportPlan Plan(CPTabCrStream& stream, const VYXQIFImportOptions& options);
  // What Apply would make, without making it.
  VYXQIFImportReport Preview(const VYXQIFImportPlan& plan);
  // Makes it. On a failure on the way, the operations added are taken out
  // again before the error goes on.
  VYXQIFImportReport Apply(const VYXQIFImportPlan& plan, bool updatePrices);
  // The whole import; true when at least one transaction was imported.
  bool ImportQifStream(CPTabCrStream* stream, bool updatePrices);

 private:
  // The account's item of that name in `list`, found or (unless `dryRun`)
  // made; `made` tells which names were new.
  CPResID Item(VYXCompteList list, const std::string& name, bool dryRun,
               std::vector<std::string>* made);

  VYXCompte& compte_;
  VYXUserPreferences* user_;
  int decimals_;
};

#endif  // VYX_EXCHANGE_VYXQIFIMPORT_H_
