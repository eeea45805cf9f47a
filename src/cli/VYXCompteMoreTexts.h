// Texts of `compte` beyond its first list (res/strings.fr): opening balances
// that follow another account, and the account's default values
// (`compte defauts`, VYXCompteDefautsCommand.cpp).
#ifndef VYX_CLI_VYXCOMPTEMORETEXTS_H_
#define VYX_CLI_VYXCOMPTEMORETEXTS_H_

namespace CLI {
class App;
}
struct VYXCliContext;

constexpr int kVYXCompteMoreTexts = 30501;
enum VYXCompteMoreText : int {
  kHelpSuivre = 1,
  kReportsFollow,    // ^1: the account followed
  kReportsFollowed,  // ^1: the account, ^2: the account followed
  kHelpDefauts,
  kHelpDefautsSens,
  kHelpDefautsStatut,
  kHelpDefautsMode,
  kHelpDefautsCategorie,
  kHelpDefautsAffectation,
  kHelpDefautsTvaDepense,
  kHelpDefautsTvaRecette,
  kHelpDefautsMois,
  kDefautsOf,  // ^1: the account
  kDefautsSens,
  kDefautsStatut,
  kDefautsMode,
  kDefautsCategorie,
  kDefautsAffectation,
  kDefautsTvaDepense,
  kDefautsTvaRecette,
  kDefautsMois,
  kSensDebit,
  kSensCredit,
  kMoisCourant,
  kMoisSuivant,
  kMoisPrecedent,
  kBadSens,  // ^1: the text typed
  kBadMois,  // ^1: the text typed
  kNone,
  kHelpNomCompte,
};

// `vyx compte defauts`, a subcommand of `compte`.
void VYXAddCompteDefautsCommand(CLI::App* compte, VYXCliContext& ctx);

#endif  // VYX_CLI_VYXCOMPTEMORETEXTS_H_
