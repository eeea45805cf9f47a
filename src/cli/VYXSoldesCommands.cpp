// `vyx soldes [COMPTE]`, and `vyx` alone: the dossier's accounts with their
// three cumulative balances: prévu (every operation), engagé (committed and
// cleared ones), pointé (cleared ones), opening balances included.
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "app/VYXContainer.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "foundation/CPException.h"
#include "platform/CPInteraction.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr int kSoldesTexts = 30150;
enum : int {
  kHelpSoldes = 1,
  kHelpCompte,
  kColCompte,
  kColPrevu,
  kColEngage,
  kColPointe,
  kColDevise,
  kNotOpen,
  kNoCompte,
};

std::string T(int item) { return VYXHelp(kSoldesTexts, item); }

struct Line {
  std::string name;  // MacRoman
  std::string devise;
  bool open = false;
  bool inTotal = false;  // takes part in the dossier's global balances
  MontantSet soldes;
  MontantSet reference;  // the balances in the reference currency
};

// Texts added to `soldes`, in a list of their own.
constexpr int kSoldesMoreTexts = 30504;
enum : int {
  kTotal = 1,
  kPartialTotal,
};

}  // namespace

void VYXRunSoldes(VYXCliContext& ctx, const std::string& compte) {
  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  std::vector<VYXCliSession::Compte> comptes;
  if (compte.empty()) {
    comptes = session.Comptes();
  } else {
    comptes.push_back(session.FindCompte(compte));
  }

  // An account that cannot be opened (a password not given, a file gone)
  // does not hide the others: it is shown without balances, its reason on
  // stderr, and the command fails at the end.
  std::vector<Line> lines;
  for (const VYXCliSession::Compte& c : comptes) {
    Line line;
    line.name = c.name;
    try {
      VYXSDBCompte& opened = session.OpenCompte(c);
      line.soldes = opened.GetSoldesValues();
      DeviseCode devise = opened.GetCompteDevise();
      line.devise = VYXCodeText(devise);
      for (int s = 0; s < kOpStatusCount; ++s) {
        line.reference.montant[s] = session.Dossier().DeviseToMontant(devise, line.soldes.montant[s]);
      }
      line.inTotal = session.Dossier().ModuleIsChecked(c.position, kModuleSoldes);
      line.open = true;
    } catch (const CPException& e) {
      if (!e.IsCancel()) CPGetInteraction().Alert(e.DisplayText());
      ctx.exitCode = 1;
    }
    lines.push_back(line);
  }

  if (ctx.json) {
    nlohmann::json out = nlohmann::json::array();
    for (const Line& line : lines) {
      nlohmann::json entry{{"nom", VYXText(line.name)}};
      if (line.open) {
        entry["devise"] = line.devise;
        entry["soldes"] = {{"prevu", VYXAmountJson(line.soldes[kOpPrevue])},
                           {"engage", VYXAmountJson(line.soldes[kOpEngagee])},
                           {"pointe", VYXAmountJson(line.soldes[kOpPointee])}};
      } else {
        entry["soldes"] = nullptr;
      }
      out.push_back(entry);
    }
    VYXPrintJson(ctx, out);
  } else if (lines.empty()) {
    *ctx.out << T(kNoCompte) << '\n';
  } else {
    VYXTable table;
    table.AddColumn(T(kColCompte));
    table.AddColumn(T(kColPrevu), VYXTable::kRight);
    table.AddColumn(T(kColEngage), VYXTable::kRight);
    table.AddColumn(T(kColPointe), VYXTable::kRight);
    table.AddColumn(T(kColDevise));
    for (const Line& line : lines) {
      if (line.open) {
        table.AddRow({VYXText(line.name), VYXAmountText(line.soldes[kOpPrevue]),
                      VYXAmountText(line.soldes[kOpEngagee]),
                      VYXAmountText(line.soldes[kOpPointee]), line.devise});
      } else {
        table.AddRow({VYXText(line.name), T(kNotOpen)});
      }
    }
    // All the accounts, when there are several: their total in the reference
    // currency, over those that take part in the global balances; partial
    // when one could not be read.
    if (compte.empty() && lines.size() > 1) {
      MontantSet total;
      bool partial = false;
      for (const Line& line : lines) {
        partial = partial || !line.open;
        if (!line.open || !line.inTotal) continue;
        for (int s = 0; s < kOpStatusCount; ++s) total.montant[s] += line.reference.montant[s];
      }
      table.AddRow({VYXHelp(kSoldesMoreTexts, partial ? kPartialTotal : kTotal),
                    VYXAmountText(total[kOpPrevue]), VYXAmountText(total[kOpEngagee]),
                    VYXAmountText(total[kOpPointee]),
                    VYXCodeText(session.Dossier().GetReferenceDevise())});
    }
    table.Print(*ctx.out);
  }
  session.Close();
}

void VYXAddSoldesCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* soldes = VYXAddSubcommand(&app, "soldes", T(kHelpSoldes));
  auto compte = std::make_shared<std::string>();
  soldes->add_option("COMPTE", *compte, T(kHelpCompte));
  VYXAddJsonFlag(soldes, ctx);
  VYXSetCommand(soldes, [&ctx, compte] { VYXRunSoldes(ctx, *compte); });
}
