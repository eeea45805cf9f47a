#include "cli/VYXCommandLine.h"

#include <iostream>

#include "cli/VYXCli.h"
#include "foundation/CPException.h"
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
  }
};

VYXCommand* gCommand = nullptr;

}  // namespace

void VYXSetCommand(CLI::App* sub, VYXCommand command) {
  auto shared = std::make_shared<VYXCommand>(std::move(command));
  sub->callback([shared] { gCommand = shared.get(); });
  // Keep the command alive as long as the app: the callback owns it.
}

CLI::App* VYXAddSubcommand(CLI::App* parent, const std::string& name, const std::string& help) {
  CLI::App* sub = parent->add_subcommand(name, help);
  sub->group("Commandes");
  sub->set_help_flag("-h,--help", "Affiche cette aide et quitte");
  return sub;
}

void VYXPrintJson(VYXCliContext& ctx, const nlohmann::json& value) {
  *ctx.out << value.dump(2) << '\n';
}

std::string VYXText(const std::string& macRoman) { return MacRomanToUtf8(macRoman); }

int VYXRunCommandLine(int argc, char** argv) {
  CLI::App app{"vyx : la comptabilité personnelle et des petites entreprises, en ligne de commande."};
  app.formatter(std::make_shared<FrenchFormatter>());
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
  app.set_help_all_flag("--aide-complete", "Affiche l'aide de toutes les commandes");
  app.set_version_flag("-V,--version", "vyx " VYX_VERSION, "Affiche la version et quitte");
  app.require_subcommand(0, 1);

  VYXCliContext ctx;
  ctx.out = &std::cout;
  ctx.err = &std::cerr;
  app.add_option("--dossier", ctx.dossier, "Le dossier (fichier .grp) à utiliser");
  auto* yes = app.add_flag("--oui", ctx.yes, "Répond oui à toutes les questions");
  app.add_flag("--non", ctx.no, "Répond non à toutes les questions")->excludes(yes);
  app.add_flag("--json", ctx.json, "Écrit les données en JSON");

  VYXAddDbCommands(app, ctx);

  gCommand = nullptr;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    std::cerr << "vyx : erreur d'usage : " << e.what() << "\n"
              << "Lancez « vyx --help » pour l'aide.\n";
    return 2;
  }

  try {
    if (!gCommand) {
      std::cout << app.help();
      return 0;
    }
    (*gCommand)();
    return ctx.exitCode;
  } catch (const CPException& e) {
    if (e.IsCancel()) return 1;
    std::cerr << "vyx : " << e.what() << '\n';
    return 1;
  }
}
