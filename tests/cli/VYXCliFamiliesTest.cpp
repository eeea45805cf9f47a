// A run builds only the family of the command typed: the list of families
// must name exactly the commands each one adds, or a command would vanish.
#include <gtest/gtest.h>

#include <set>

#include "cli/VYXCli.h"

namespace {

TEST(CliFamiliesTest, EachFamilyAddsExactlyTheCommandsItIsListedWith) {
  std::set<std::string> seen;
  for (const VYXCliFamily& family : VYXCliFamilies()) {
    CLI::App app;
    VYXCliContext ctx;
    family.add(app, ctx);
    std::set<std::string> added, listed;
    for (const CLI::App* sub : app.get_subcommands({})) added.insert(sub->get_name());
    for (const char* name : family.commands) {
      listed.insert(name);
      EXPECT_TRUE(seen.insert(name).second) << name << " is listed twice";
    }
    EXPECT_EQ(listed, added);
  }
}

TEST(CliFamiliesTest, TheTypedCommandChoosesTheFamily) {
  auto family = [](const char* name) {
    for (const VYXCliFamily& f : VYXCliFamilies()) {
      for (const char* command : f.commands) {
        if (std::string(command) == name) return &f;
      }
    }
    return static_cast<const VYXCliFamily*>(nullptr);
  };
  struct Case {
    std::vector<std::string> args;
    bool all;
    const char* command;  // its family, or none
  };
  const Case cases[] = {
      {{"ope", "liste", "Courant"}, false, "ope"},
      {{"--dossier", "ope", "soldes"}, false, "soldes"},  // the dossier may have any name
      {{"--dossier=Maison.grp", "--oui", "--json", "croise"}, false, "croise"},
      {{"--json"}, false, nullptr},  // no command: the balances, no family needed
      {{}, false, nullptr},
      {{"--help"}, true, nullptr},
      {{"--aide-complete"}, true, nullptr},
      {{"--inconnue", "ope"}, true, nullptr},
      {{"inconnue"}, true, nullptr},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "vyx");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    VYXTypedCommand typed = VYXTypedFamily(int(argv.size()), argv.data());
    EXPECT_EQ(c.all, typed.all) << args.size();
    EXPECT_EQ(c.command ? family(c.command) : nullptr, typed.family) << args.size();
  }
}

}  // namespace
