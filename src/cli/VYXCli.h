// What the commands of `vyx` share: the global options, the output (text for a
// terminal or JSON), and the registration of each family of commands.
//
// Adding a family of commands
// ---------------------------
// Each family lives in its own file (VYXDbCommands.cpp, VYXCompteCommands.cpp,
// ...) and has one entry point, declared below and listed with the commands
// it adds in VYXCliFamilies (VYXCommandLine.cpp), so that a run builds only
// the family of the command typed:
//
//   void VYXAddXxxCommands(CLI::App& app, VYXCliContext& ctx) {
//     CLI::App* xxx = VYXAddSubcommand(&app, "xxx", VYXHelp(kXxxTexts, kHelpXxx));
//     xxx->require_subcommand(1);
//     CLI::App* sub = VYXAddSubcommand(xxx, "faire", VYXHelp(kXxxTexts, kHelpFaire));
//     auto name = std::make_shared<std::string>();   // options live as long as the app
//     sub->add_option("COMPTE", *name, VYXHelp(...))->required();
//     VYXAddJsonFlag(sub, ctx);                       // every command that prints data
//     VYXSetCommand(sub, [&ctx, name] {
//       VYXCliSession session(ctx);                   // container started, dossier open
//       VYXSDBCompte& compte = session.OpenCompte(*name);
//       ... work through the system's own objects ...
//       session.Close();                              // everything closed, failures raised
//     });
//   }
//
// - Arguments arrive in UTF-8: read them with VYXArgText, VYXArgDate and
//   VYXArgAmount (VYXCliFormat.h), which refuse what the system refuses with its
//   French message; write with VYXAmountText and VYXDateText, print tables with
//   VYXTable and JSON with VYXPrintJson and VYXDateJson.
// - A refused change raises CPException (CPThrow, CPThrowList...): the command
//   line prints its French message on stderr and exits 1. Code 0 (a cancelled
//   question) exits 1 and prints nothing. Usage errors (CLI11) exit 2 with help,
//   their message rebuilt in French by the command line.
// - Questions go through CPGetInteraction(): the command line installs a
//   terminal interaction (VYXCliInteraction.h) before any command runs.
// - Commands that change a shared list (categories, payees...) call
//   session.OpenAllComptes() first, so that a rename or a deletion reaches every
//   account of the dossier, as it does in the graphical application.
// - Texts the user sees, help included, live in res/strings.fr, one list per
//   family: 30110 `db`, 30120 the command line itself (usage errors
//   included), 30130 `dossier`, 30140 `compte`, 30150 `soldes`, 30160 `ope`
//   and `ventil`, 30170 `liste` and `chequier`, 30560 formulas and
//   `calcul`, 30570 `filtre` and the criteria of `ope liste`, 30600 what the
//   reports share, 30610 `bilan` and `croise`, 30620 `totaux`, 30650
//   `importer`, 30660 `releve`, 30670 `regle`, 30730 transfers on `ope`,
//   30740 `pointer`, `depointer`, `releves` and `rapprocher`, 30745 `auto`
//   and `echeances`, 30750 `article`, 30760 `facture`, 30770 `numerotation`
//   and `facture vendeur`, 30801 `banque` and `devises`; texts added to a family later go to a list of
//   their own: 30500 `ope` and `ventil`, 30501 `compte`, 30502 `liste`, 30503
//   `db` (event logs), 30504 `soldes`.
#ifndef VYX_CLI_VYXCLI_H_
#define VYX_CLI_VYXCLI_H_

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct VYXCliContext {
  bool json = false;    // --json: print data as JSON
  bool yes = false;     // --oui: answer yes to every question
  bool no = false;      // --non: answer no to every question
  std::string dossier;  // --dossier FICHIER
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
  // Where `out` points while a command may still be undone (`held`, shown
  // when it is done), and once it is known to only read (`direct`).
  std::ostringstream* held = nullptr;
  std::ostream* direct = nullptr;
  int exitCode = 0;  // set by a command that fails without raising
  // A command that failed after writing: its files were put back as they
  // were (kUndone), or could not all be (kNotUndone, `undoFailure` says why).
  enum class Undo { kNone, kUndone, kNotUndone } undo = Undo::kNone;
  std::string undoFailure;  // MacRoman
};

// The command to run once parsing succeeded; a command raises CPException to fail.
using VYXCommand = std::function<void()>;

// Adds a subcommand listed under the French heading "Commandes".
CLI::App* VYXAddSubcommand(CLI::App* parent, const std::string& name, const std::string& help);

// Registers `command` as the action of `sub` (run after parsing, inside the
// error handling of the command line).
void VYXSetCommand(CLI::App* sub, VYXCommand command);

// The --json flag of a command that prints data.
void VYXAddJsonFlag(CLI::App* sub, VYXCliContext& ctx);

// Families of commands.
void VYXAddDbCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddDossierCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddCompteCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddSoldesCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddListeCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddChequierCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddOpeCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddVentilCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddCalculCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddFiltreCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddBilanCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddTotauxCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddImporterCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddReleveCommands(CLI::App& app, VYXCliContext& ctx);
// `banque` and `devises`.
void VYXAddBanqueCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddRegleCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddPointageCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddAutoCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddArticleCommands(CLI::App& app, VYXCliContext& ctx);
void VYXAddFactureCommands(CLI::App& app, VYXCliContext& ctx);
// `facture regler`, `document` and `vendeur`, under `facture`.
void VYXAddFactureReglementCommands(CLI::App& facture, VYXCliContext& ctx);
void VYXAddNumerotationCommands(CLI::App& app, VYXCliContext& ctx);
// The families, each with the top-level commands it adds, in the order of
// the help; a new family goes into this list (VYXCommandLine.cpp).
struct VYXCliFamily {
  void (*add)(CLI::App& app, VYXCliContext& ctx);
  std::vector<const char*> commands;
};
const std::vector<VYXCliFamily>& VYXCliFamilies();
// What the command line names: one family's command, no command (`vyx`
// alone), or help, an unknown command or option, which need every family.
struct VYXTypedCommand {
  bool all = false;
  const VYXCliFamily* family = nullptr;
};
VYXTypedCommand VYXTypedFamily(int argc, char** argv);

// What `vyx` does without a command: the dossier's accounts and their balances.
void VYXRunSoldes(VYXCliContext& ctx, const std::string& compte);

// Prints a JSON value (indented) on the context's output.
void VYXPrintJson(VYXCliContext& ctx, const nlohmann::json& value);
// UTF-8 text of MacRoman bytes, for the terminal.
std::string VYXText(const std::string& macRoman);
// Item `item` of string list `list` in UTF-8, for help and output; ^1, ^2...
// replaced by `vars` (UTF-8).
std::string VYXHelp(int list, int item, std::initializer_list<std::string> vars = {});

#endif  // VYX_CLI_VYXCLI_H_
