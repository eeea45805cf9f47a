#include "cli/VYXCommandLine.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "foundation/CPException.h"

namespace {

// CLI11's own texts, in French.
class FrenchFormatter : public CLI::Formatter {
 public:
  FrenchFormatter() {
    label("OPTIONS", "OPTIONS");
    label("SUBCOMMAND", "COMMANDE");
    label("SUBCOMMANDS", "COMMANDES");
    label("Usage", "Usage");
    label("REQUIRED", "OBLIGATOIRE");
    label("TEXT", "TEXTE");
    label("INT", "ENTIER");
    label("FLOAT", "NOMBRE");
    label("Positionals", "Arguments");
    label("Options", "Options");
    label("Subcommands", "Commandes");
  }
};

}  // namespace

int VYXRunCommandLine(int argc, char** argv) {
  CLI::App app{"vyx : la comptabilité personnelle et des petites entreprises, en ligne de commande."};
  app.formatter(std::make_shared<FrenchFormatter>());
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
  app.set_version_flag("-V,--version", "vyx " VYX_VERSION, "Affiche la version et quitte");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    if (argc == 1) std::cout << app.help();
    return 0;
  } catch (const CPException& e) {
    if (e.IsCancel()) return 1;
    std::cerr << "vyx : " << e.what() << '\n';
    return 1;
  }
}
