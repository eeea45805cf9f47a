// What the commands of `vyx` share: the global options, the output (text for a
// terminal or JSON), and the registration of each family of commands. Each
// family lives in its own file (VYXDbCommands.cpp, ...) and adds its
// subcommands to the application in VYXAdd...Commands.
#ifndef VYX_CLI_VYXCLI_H_
#define VYX_CLI_VYXCLI_H_

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

struct VYXCliContext {
  bool json = false;  // --json: print data as JSON
  bool yes = false;   // --oui: answer yes to every question
  bool no = false;    // --non: answer no to every question
  std::string dossier;  // --dossier FICHIER
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
  int exitCode = 0;   // set by a command that fails without raising
};

// The command to run once parsing succeeded; a command raises CPException to fail.
using VYXCommand = std::function<void()>;

// Adds a subcommand listed under the French heading "Commandes".
CLI::App* VYXAddSubcommand(CLI::App* parent, const std::string& name, const std::string& help);

// Registers `command` as the action of `sub` (run after parsing, inside the
// error handling of the command line).
void VYXSetCommand(CLI::App* sub, VYXCommand command);

// Families of commands.
void VYXAddDbCommands(CLI::App& app, VYXCliContext& ctx);

// Prints a JSON value (indented) on the context's output.
void VYXPrintJson(VYXCliContext& ctx, const nlohmann::json& value);
// UTF-8 text of MacRoman bytes, for the terminal.
std::string VYXText(const std::string& macRoman);

#endif  // VYX_CLI_VYXCLI_H_
