#include "cli/VYXCli.h"

// `vyx db`: inspection and maintenance of SimpleDB files.
void VYXAddDbCommands(CLI::App& app, VYXCliContext& ctx) {
  (void)ctx;
  auto* db = VYXAddSubcommand(&app, "db", "Inspecte et entretient un fichier de base de données (SimpleDB)");
  db->require_subcommand(1);
}
