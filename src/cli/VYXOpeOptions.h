// What `vyx ope` and `vyx ventil` share: the options that give an operation's
// (or a split line's) fields, read before any file is opened; the list items
// they name, found as the system finds them; keys of operations and lines;
// and the JSON form of an operation with its lines.
//
// Named items. The lists an operation refers to (categories, payees, cases,
// allocations, VAT rates, payment modes) are the dossier's: an account keeps
// copies of the items it uses, under its own IDs, matched by name. A name is
// looked for in the account first, then in the dossier, letter case and
// accents aside; an item only the dossier has is copied into the account when
// the change is made, never before, so that a refused change leaves the
// account as it was. A name neither has is refused: the command line does not
// make list items behind the user's back (`vyx liste` does that).
#ifndef VYX_CLI_VYXOPEOPTIONS_H_
#define VYX_CLI_VYXOPEOPTIONS_H_

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "accounts/VYXCompte.h"
#include "cli/VYXCliFormula.h"
#include "cli/VYXJsonWriter.h"

class VYXCliSession;

// Texts of `ope` and `ventil` (res/strings.fr).
constexpr int kVYXOpeTexts = 30160;
enum VYXOpeText : int {
  kOpeHelpOpe = 1,
  kOpeHelpAjouter,
  kOpeHelpListe,
  kOpeHelpModifier,
  kOpeHelpSupprimer,
  kOpeHelpVentil,
  kOpeHelpVentilAjouter,
  kOpeHelpVentilSupprimer,
  kOpeHelpCompte,
  kOpeHelpCle,
  kOpeHelpLigne,
  kOpeHelpDate,
  kOpeHelpMontant,
  kOpeHelpLibelle,
  kOpeHelpCategorie,
  kOpeHelpTiers,
  kOpeHelpAffaire,
  kOpeHelpAffectation,
  kOpeHelpMode,
  kOpeHelpTva,
  kOpeHelpMontantTva,
  kOpeHelpCheque,
  kOpeHelpPiece,
  kOpeHelpStatut,
  kOpeHelpDatePointe,
  kOpeHelpReleve,
  kOpeHelpMois,
  kOpeHelpDu,
  kOpeHelpAu,
  kOpeColCle,
  kOpeColDate,
  kOpeColLibelle,
  kOpeColCategorie,
  kOpeColTiers,
  kOpeColMode,
  kOpeColCheque,
  kOpeColMontant,
  kOpeColStatut,
  kOpeStatusFirst,                  // three items: prévue, engagée, pointée
  kOpeAdded = kOpeStatusFirst + 3,  // ^1: the key, ^2: the account
  kOpeModified,                     // ^1: the key, ^2: the account
  kOpeDeleted,                      // ^1: the key, ^2: the account
  kOpeLineAdded,                    // ^1: the line, ^2: the key, ^3: the account
  kOpeLineDeleted,                  // ^1: the line, ^2: the key, ^3: the account
  kOpeNone,                         // ^1: the account
  kOpeNoneInPeriod,                 // ^1: the account
  kOpeNoSuchKey,                    // ^1: the account, ^2: the key
  kOpeNoSuchLine,                   // ^1: the key, ^2: the line
  kOpeBadKey,                       // ^1: the text typed
  kOpeBadLine,                      // ^1: the text typed
  kOpeBadStatus,                    // ^1: the text typed
  kOpeBadMonth,                     // ^1: the text typed
  kOpeUnknownItem,                  // ^1: the list's name, ^2: the name
  kOpeTooLong,                      // ^1: the field, ^2: the text, ^3: its width
  kOpeNoDate,
  kOpeChequeUsed,  // ^1: the number, ^2: the other operation's key, ^3: its label
  kOpeNothingToChange,
  kOpeFieldLibelle,
  kOpeFieldCheque,
  kOpeFieldPiece,
  kOpeFieldReleve,
};

// The options as typed (UTF-8); an option not given stays empty.
struct VYXOpeArgs {
  std::optional<std::string> date, montant, libelle, categorie, tiers, affaire, affectation, mode,
      tva, montantTva, cheque, piece, statut, datePointe, releve, mois, virement;
};

// Which options a command takes.
enum class VYXOpeOptionSet {
  kOperation,  // every field of an operation
  kLine,       // those a split line has
};
void VYXAddOpeOptions(CLI::App* sub, VYXOpeArgs& args, VYXOpeOptionSet set);

// The options read: texts in MacRoman, dates, amounts, a status and a month.
// An empty list-item name stands for no item.
struct VYXOpeValues {
  std::optional<CPDate> date, datePointe;
  std::optional<double> montant, montantTva;
  // Amounts typed as formulas: their values wait for the account
  // (VYXEvaluateOpeFormulas).
  std::optional<VYXAmountArg> montantFormule, montantTvaFormule;
  std::optional<std::string> libelle, cheque, piece, releve;
  std::optional<std::string> items[kVYXCompteListCount];
  std::optional<OpStatus> status;
  std::optional<CPMonth> mois;
  // The account a transfer goes to (MacRoman); empty: no transfer.
  std::optional<std::string> virement;

  bool Empty() const;
};
// Raises the system's French message for the first option it refuses: a date
// that does not exist, an amount that is not one, a character MacRoman lacks,
// a text longer than its field, an unknown status, a month outside 1 to 12.
VYXOpeValues VYXReadOpeArgs(const VYXOpeArgs& args);
// The amounts typed as formulas, computed with `provider` (the account's
// functions, and those of the operation or line being changed) and rounded
// to `decimals`; raises VYXFormulaError for a formula refused.
void VYXEvaluateOpeFormulas(VYXOpeValues& values, CPFunctionsProvider* provider, int decimals);

// Refuses the amounts typed with more decimals than the dossier's `decimals`.
void VYXCheckOpeDecimals(const VYXOpeArgs& args, const VYXOpeValues& values, int decimals);

// The key of an operation, and the number of a split line, as typed.
DataID VYXArgKey(const std::string& utf8);
DataID VYXArgLine(const std::string& utf8);

// The operation of that key; raises naming the account when it has none.
VYXDataRef VYXFindOperation(VYXCompte& compte, DataID key, Operation* op);

// The item of `list` a record refers to; 0 for the lists it does not have.
CPResID VYXItemOf(const Operation& op, VYXCompteList list);
CPResID VYXItemOf(const SousOperation& line, VYXCompteList list);
CPResID VYXItemOf(const OperationAuto& automatic, VYXCompteList list);
// Sets it; nothing for the lists the record does not have.
void VYXSetItem(Operation& op, VYXCompteList list, CPResID id);
void VYXSetItem(SousOperation& line, VYXCompteList list, CPResID id);
void VYXSetItem(OperationAuto& automatic, VYXCompteList list, CPResID id);

// The list items a change names, found before anything is written (see the
// top of this file), then made the account's own when the change is made.
class VYXOpeItems {
 public:
  VYXOpeItems(VYXCliSession& session, VYXCompte& compte);

  // Finds the item named `name` (MacRoman; empty for none) of `list`;
  // raises when neither the account nor the dossier has it.
  void Find(VYXCompteList list, const std::string& name);
  // Takes the account's item `id` of `list` as it is.
  void Keep(VYXCompteList list, CPResID id) {
    compteID_[list] = id;
    userID_[list] = 0;
  }
  // For each list: the item the options name, else the one `record` has.
  template <class R>
  void Take(const VYXOpeValues& values, const R& record) {
    for (int i = 0; i < kVYXCompteListCount; ++i) {
      auto list = VYXCompteList(i);
      if (values.items[list]) {
        Find(list, *values.items[list]);
      } else {
        Keep(list, VYXItemOf(record, list));
      }
    }
  }
  // Writes the items into `record`. Before Make, a pending item is written
  // as an ID other than the one `record` has (its complement): enough to ask
  // the lock-date rules, which only look at whether the VAT rate changes.
  template <class R>
  void Put(R& record) const {
    for (int i = 0; i < kVYXCompteListCount; ++i) {
      auto list = VYXCompteList(i);
      CPResID id = Pending(list) ? CPResID(~VYXItemOf(record, list)) : compteID_[list];
      VYXSetItem(record, list, id);
    }
  }
  // Whether the item of `list` is one only the dossier has so far.
  bool Pending(VYXCompteList list) const { return userID_[list] != 0; }
  // The account's ID of the item found for `list` (0 when it is pending).
  CPResID ID(VYXCompteList list) const { return compteID_[list]; }
  // Copies the pending items into the account: IDs are then all the account's.
  void Make();

  // The payment mode and the VAT rate found (from the dossier when pending);
  // false for no item.
  bool GetMode(Mode* mode) const;
  bool GetTauxTVA(TauxTVA* taux) const;

 private:
  VYXCliSession& session_;
  VYXCompte& compte_;
  CPResID compteID_[kVYXCompteListCount] = {};
  CPResID userID_[kVYXCompteListCount] = {};
};

// The VAT included in `montant` at `taux` percent: what is left once the net
// part (montant x 100 / (100 + taux), rounded to `decimals`) is taken out.
double VYXTvaOf(double montant, double taux, int decimals);

// Status names as the user types and reads them (UTF-8).
std::string VYXStatusText(OpStatus status);

// The operation as JSON: its record's fields by their names, list items by
// their names, dates ISO 8601, amounts as numbers, its live split lines in
// "sousOperations".
nlohmann::json VYXOperationJson(VYXCompte& compte, const Operation& op);

// What a list adds to each operation it streams.
struct VYXOperationJsonExtras {
  struct Virement {
    std::string compte;  // the other account's name (UTF-8)
    bool source;
  };
  const std::string* compte = nullptr;  // "compte": its account's name, in a list of several
  const double* solde = nullptr;        // "solde": the account's balance after it
  const Virement* virement = nullptr;   // replaces what the operation alone tells of its transfer
};
// The same object written as it goes, with a list's additions.
void VYXWriteOperationJson(VYXJsonWriter& w, VYXCompte& compte, const Operation& op,
                           const VYXOperationJsonExtras& extras = {});
// The name (UTF-8) of an item of the account's list; empty for none.
std::string VYXItemName(VYXCompte& compte, VYXCompteList list, CPResID id);

#endif  // VYX_CLI_VYXOPEOPTIONS_H_
