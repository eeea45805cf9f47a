#include "cli/VYXCommandLine.h"

#include <cstring>
#include <iostream>
#include <sstream>
#include <regex>

#include "analysis/VYXCompteTotaux.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormula.h"
#include "cli/VYXCliInteraction.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"

namespace {

VYXCommand* gCommand = nullptr;

constexpr int kUndoTexts = 30402;
enum : int { kUndone = 1, kNotUndone = 2 };

std::string T(int item) { return VYXHelp(kVYXCliTexts, item); }

// The command the user was typing when the usage error came: its help is the
// one that helps.
const CLI::App* Deepest(const CLI::App* app) {
  std::vector<CLI::App*> parsed = app->get_subcommands();
  return parsed.empty() ? app : Deepest(parsed.back());
}

// "vyx compte": the command `app` is, as the user typed it.
std::string CommandName(const CLI::App* app) {
  std::string name;
  for (; app->get_parent(); app = app->get_parent()) name = " " + app->get_name() + name;
  return "vyx" + name;
}

// CLI11's own texts, in French.
class FrenchFormatter : public CLI::Formatter {
 public:
  FrenchFormatter() {
    label("OPTIONS", "OPTIONS");
    label("SUBCOMMAND", "COMMANDE");
    label("SUBCOMMANDS", "COMMANDES");
    label("REQUIRED", "OBLIGATOIRE");
    label("TEXT", "TEXTE");
    label("INT", "ENTIER");
    label("UINT", "ENTIER");
    label("FLOAT", "NOMBRE");
    label("Usage", "Usage");
    label("Positionals", "Arguments");
    label("Options", "Options");
    label("Subcommands", "Commandes");
    label("Excludes", "Exclut");
    label("Needs", "Nécessite");
  }

  // The usage line names the whole command ("vyx ope ajouter"), whichever
  // way the help was reached: CLI11 would give the subcommand's name alone
  // after a usage error, and the program's path after --help.
  std::string make_usage(const CLI::App* app, std::string /*name*/) const override {
    return CLI::Formatter::make_usage(app, CommandName(app));
  }
};

// An option ("--date") or an argument ("COMPTE") as a sentence names it.
std::string Named(const std::string& name) {
  return VYXHelp(kVYXCliTexts, name.starts_with('-') ? kCliUsageOption : kCliUsageArgument, {name});
}

// What was wrong with the command line, in French. CLI11 says it in English,
// in a sentence whose shape depends on the error's class and which quotes
// our own names: the sentence is rebuilt from the class and those names (or
// from what the parse left behind). A shape not recognised here gives a
// general French sentence, never CLI11's.
std::string UsageText(const CLI::ParseError& e, const CLI::App& app) {
  const std::string what = e.what();
  std::smatch m;
  auto shaped = [&](const char* pattern) { return std::regex_match(what, m, std::regex(pattern)); };
  auto say = [](int item, std::initializer_list<std::string> vars) {
    return VYXHelp(kVYXCliTexts, item, vars);
  };
  const CLI::App* typed = Deepest(&app);

  if (dynamic_cast<const CLI::RequiredError*>(&e)) {
    if (typed->get_require_subcommand_min() > typed->get_subcommands().size())
      return say(kCliUsageNoCommand, {CommandName(typed)});
    if (shaped("(.+) is required")) return say(kCliUsageMissing, {Named(m[1])});
  } else if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
    // Left over by the parse, in the order typed.
    std::vector<std::string> extras = app.remaining(true);
    if (!extras.empty()) {
      std::string quoted;
      for (const std::string& extra : extras)
        quoted += (quoted.empty() ? "« " : ", « ") + extra + " »";
      return say(extras.size() > 1 ? kCliUsageExtras : kCliUsageExtra, {quoted});
    }
  } else if (dynamic_cast<const CLI::ConversionError*>(&e)) {
    if (shaped("Could not convert: (.+) = (.*)"))
      return say(kCliUsageBadValue, {m[2], Named(m[1])});
    if (shaped("The value (.*) is not an allowed value for (.+)"))
      return say(kCliUsageBadValue, {m[1], Named(m[2])});
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
    if (shaped("(.+): \\d+ required .* missing")) return say(kCliUsageNoValue, {Named(m[1])});
    if (shaped("Expected (?:exactly|at least) \\d+ arguments to (.+), got \\d+") ||
        shaped("(.+): At (?:least|Most) \\d+ required but received \\d+"))
      return say(kCliUsageValueCount, {Named(m[1])});
  } else if (dynamic_cast<const CLI::ValidationError*>(&e)) {
    if (shaped("([^:]+): .*")) return say(kCliUsageRefused, {Named(m[1])});
  } else if (dynamic_cast<const CLI::ExcludesError*>(&e)) {
    if (shaped("(.+) excludes (.+)")) return say(kCliUsageExcludes, {Named(m[1]), Named(m[2])});
  } else if (dynamic_cast<const CLI::RequiresError*>(&e)) {
    if (shaped("(.+) requires (.+)")) return say(kCliUsageNeeds, {Named(m[1]), Named(m[2])});
  }
  return T(kCliUsageGeneral);
}

}  // namespace

const std::vector<VYXCliFamily>& VYXCliFamilies() {
  static const std::vector<VYXCliFamily> families = {
      {VYXAddDossierCommands, {"dossier"}},
      {VYXAddCompteCommands, {"compte"}},
      {VYXAddSoldesCommands, {"soldes"}},
      {VYXAddListeCommands, {"liste"}},
      {VYXAddChequierCommands, {"chequier"}},
      {VYXAddOpeCommands, {"ope"}},
      {VYXAddVentilCommands, {"ventil"}},
      {VYXAddCalculCommands, {"calcul"}},
      {VYXAddFiltreCommands, {"filtre"}},
      {VYXAddBilanCommands, {"bilan", "croise"}},
      {VYXAddTotauxCommands, {"totaux"}},
      {VYXAddImporterCommands, {"importer"}},
      {VYXAddReleveCommands, {"releve"}},
      {VYXAddBanqueCommands, {"banque", "devises"}},
      {VYXAddRegleCommands, {"regle"}},
      {VYXAddPointageCommands, {"pointer", "depointer", "releves", "rapprocher"}},
      {VYXAddAutoCommands, {"auto", "echeances"}},
      {VYXAddArticleCommands, {"article"}},
      {VYXAddFactureCommands, {"facture"}},
      {VYXAddNumerotationCommands, {"numerotation"}},
      {VYXAddDbCommands, {"db"}},
  };
  return families;
}

VYXTypedCommand VYXTypedFamily(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--dossier") {
      ++i;  // its value
    } else if (arg.starts_with("--dossier=") || arg == "--oui" || arg == "--non" ||
               arg == "--json") {
      // a global option that says nothing of the command
    } else if (arg.starts_with('-')) {
      return {true, nullptr};  // help, or an option the command line will refuse with help
    } else {
      for (const VYXCliFamily& family : VYXCliFamilies()) {
        for (const char* name : family.commands) {
          if (arg == name) return {false, &family};
        }
      }
      return {true, nullptr};  // no such command: the usage error lists them all
    }
  }
  return {false, nullptr};  // no command: the dossier's balances
}

void VYXSetCommand(CLI::App* sub, VYXCommand command) {
  auto shared = std::make_shared<VYXCommand>(std::move(command));
  // CLI11 calls a command's callback after those of its subcommands: a
  // command that also runs alone (`liste categories`) leaves the choice to
  // the subcommand typed after it (`liste categories ajouter`).
  sub->callback([shared, sub] {
    if (sub->get_subcommands().empty()) gCommand = shared.get();
  });
  // Keep the command alive as long as the app: the callback owns it.
}

CLI::App* VYXAddSubcommand(CLI::App* parent, const std::string& name, const std::string& help) {
  CLI::App* sub = parent->add_subcommand(name, help);
  sub->group("Commandes");
  sub->set_help_flag("-h,--help", T(kCliHelpHelp));
  return sub;
}

void VYXAddJsonFlag(CLI::App* sub, VYXCliContext& ctx) {
  sub->add_flag("--json", ctx.json, T(kCliHelpJson));
}

void VYXPrintJson(VYXCliContext& ctx, const nlohmann::json& value) {
  *ctx.out << value.dump(2) << '\n';
}

std::string VYXText(const std::string& macRoman) { return MacRomanToUtf8(macRoman); }

std::string VYXHelp(int list, int item, std::initializer_list<std::string> vars) {
  std::string text = MacRomanToUtf8(CPGetListString(list, item));
  int n = 1;
  for (const std::string& v : vars) {
    std::string marker = "^" + std::to_string(n++);
    size_t at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), v);
  }
  return text;
}

int VYXRunCommandLine(int argc, char** argv) {
  // Asked alone, the version needs neither the commands nor their texts.
  if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0)) {
    std::cout << "vyx " VYX_VERSION "\n";
    return 0;
  }
  CLI::App app{T(kCliHelpDescription)};
  app.formatter(std::make_shared<FrenchFormatter>());
  app.set_help_flag("-h,--help", T(kCliHelpHelp));
  app.set_help_all_flag("--aide-complete", T(kCliHelpHelpAll));
  app.set_version_flag("-V,--version", "vyx " VYX_VERSION, T(kCliHelpVersion));
  app.require_subcommand(0, 1);

  VYXCliContext ctx;
  ctx.out = &std::cout;
  ctx.err = &std::cerr;
  app.add_option("--dossier", ctx.dossier, T(kCliHelpDossier));
  auto* yes = app.add_flag("--oui", ctx.yes, T(kCliHelpYes));
  app.add_flag("--non", ctx.no, T(kCliHelpNo))->excludes(yes);
  app.add_flag("--json", ctx.json, T(kCliHelpJson));

  // Only the family of the command typed is built: building them all costs
  // more than many commands do. Help and usage errors get every family.
  VYXTypedCommand typed = VYXTypedFamily(argc, argv);
  for (const VYXCliFamily& family : VYXCliFamilies()) {
    if (typed.all || typed.family == &family) family.add(app, ctx);
  }

  gCommand = nullptr;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::cerr << VYXHelp(kVYXCliTexts, kCliUsageError, {UsageText(e, app)}) << "\n\n"
              << Deepest(&app)->help() << T(kCliSeeHelp) << '\n';
    return 2;
  }

  // Each account opened from here on keeps its totals current as it changes.
  // They are counted while the account opens only for the commands that show
  // them: for the others, counting costs a fifth of the opening and is
  // usually never asked for (then the engine counts when it is).
  const bool showsTotals = typed.family && (typed.family->add == VYXAddBilanCommands ||
                                            typed.family->add == VYXAddTotauxCommands);
  VYXCompteTotaux::Install(showsTotals);
  VYXCliInteraction user(ctx.yes  ? VYXCliInteraction::Answers::kYes
                         : ctx.no ? VYXCliInteraction::Answers::kNo
                                  : VYXCliInteraction::Answers::kAsk,
                         VYXCliInteraction::ProcessTerminal());
  // What a command prints is shown once it is done: a command that fails
  // half-way has nothing printed that says it did what it then undid. A
  // command that only reads undoes nothing: its session lets it print as it
  // goes, in constant memory however long the list.
  std::ostringstream printed;
  ctx.out = &printed;
  ctx.held = &printed;
  ctx.direct = &std::cout;
  try {
    if (gCommand) {
      (*gCommand)();
    } else {
      VYXRunSoldes(ctx, std::string());
    }
    std::cout << printed.str();
    return ctx.exitCode;
  } catch (const VYXFormulaError& e) {
    std::cerr << "vyx : " << e.what() << '\n' << e.Pointer() << '\n';
    return 1;
  } catch (const CPException& e) {
    // A question the user gave up: nothing to report, nothing was done.
    if (!e.IsCancel()) std::cerr << "vyx : " << e.what() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "vyx : " << e.what() << '\n';
  }
  // Said after a write that failed once others were made: whether the files
  // are back as they were.
  if (ctx.undo == VYXCliContext::Undo::kUndone) {
    std::cerr << "vyx : " << VYXHelp(kUndoTexts, kUndone) << '\n';
  } else if (ctx.undo == VYXCliContext::Undo::kNotUndone) {
    std::cerr << "vyx : " << VYXHelp(kUndoTexts, kNotUndone, {VYXText(ctx.undoFailure)}) << '\n';
  }
  return 1;
}
