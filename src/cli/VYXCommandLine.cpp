#include "cli/VYXCommandLine.h"

#include <iostream>

#include "cli/VYXCli.h"
#include "cli/VYXCliInteraction.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"

namespace {

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
};

VYXCommand* gCommand = nullptr;

std::string T(int item) { return VYXHelp(kVYXCliTexts, item); }

// The command the user was typing when the usage error came: its help is the
// one that helps.
const CLI::App* Deepest(const CLI::App* app) {
  std::vector<CLI::App*> parsed = app->get_subcommands();
  return parsed.empty() ? app : Deepest(parsed.back());
}

}  // namespace

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

  VYXAddDossierCommands(app, ctx);
  VYXAddCompteCommands(app, ctx);
  VYXAddSoldesCommands(app, ctx);
  VYXAddListeCommands(app, ctx);
  VYXAddChequierCommands(app, ctx);
  VYXAddOpeCommands(app, ctx);
  VYXAddVentilCommands(app, ctx);
  VYXAddDbCommands(app, ctx);

  gCommand = nullptr;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::cerr << VYXHelp(kVYXCliTexts, kCliUsageError, {e.what()}) << "\n\n"
              << Deepest(&app)->help() << T(kCliSeeHelp) << '\n';
    return 2;
  }

  VYXCliInteraction user(ctx.yes  ? VYXCliInteraction::Answers::kYes
                         : ctx.no ? VYXCliInteraction::Answers::kNo
                                  : VYXCliInteraction::Answers::kAsk,
                         VYXCliInteraction::ProcessTerminal());
  try {
    if (gCommand) {
      (*gCommand)();
    } else {
      VYXRunSoldes(ctx, std::string());
    }
    return ctx.exitCode;
  } catch (const CPException& e) {
    // A question the user gave up: nothing to report, nothing was done.
    if (e.IsCancel()) return 1;
    std::cerr << "vyx : " << e.what() << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "vyx : " << e.what() << '\n';
    return 1;
  }
}
