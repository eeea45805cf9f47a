// `vyx calcul`: what the amount, date and label fields compute, at the
// terminal. A formula is evaluated with the dossier's currencies (or, with
// --compte, the account's functions: its balances, its currency; with --ope,
// those of one of its operations too) and shown in the dossier's format; a
// date formula gives its date; a text has its «variables» replaced, the
// questions among them asked on the terminal. --fonctions and --variables
// list the names that can be used.
#include <memory>
#include <ostream>

#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXCompteVariables.h"
#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliFormula.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPFormule.h"
#include "foundation/CPStandardFunctions.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextVariables.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserFunctions.h"

namespace {

enum : int {
  kHelpCalcul = 3,
  kHelpFormule,
  kHelpDate,
  kHelpTexte,
  kHelpCompte,
  kHelpOpe,
  kHelpFonctions,
  kHelpVariables,
  kOpeNeedsCompte,
  kNoSuchDate,  // ^1: the text typed
  kColNom,
  kColSyntaxe,
  kColCalcule,
  kColDescription,
  kNothingToDo,
};

std::string T(int item) { return VYXHelp(kVYXCalculTexts, item); }

struct CalculArgs {
  std::string formule;
  bool date = false, texte = false, fonctions = false, variables = false;
  std::string compte, ope;
};

// The account, and the operation, whose names the formula or the text may use.
class Context {
 public:
  Context(VYXCliSession& session, const CalculArgs& args) {
    if (args.compte.empty()) return;
    compte_ = &session.OpenCompte(args.compte);
    if (!args.ope.empty()) {
      op_ = std::make_unique<Operation>();
      VYXFindOperation(*compte_, VYXArgKey(args.ope), op_.get());
    }
  }
  CPFunctionsProvider* Functions(VYXSDBUserPreferences& user) {
    if (!compte_) {
      user_ = std::make_unique<VYXUserFunctions>(user);
      return user_.get();
    }
    compteFunctions_ = std::make_unique<VYXCompteFunctions>(*compte_);
    if (!op_) return compteFunctions_.get();
    opFunctions_ = std::make_unique<VYXOperationFunctions>(compteFunctions_.get(), *op_);
    return opFunctions_.get();
  }
  CPVariablesProvider* Variables() {
    if (!compte_) return CPGetStandardVariables();
    compteVariables_ = std::make_unique<VYXCompteVariables>(*compte_);
    if (!op_) return compteVariables_.get();
    opVariables_ = std::make_unique<VYXOperationVariables>(compteVariables_.get(), *compte_, *op_);
    return opVariables_.get();
  }

 private:
  VYXSDBCompte* compte_ = nullptr;
  std::unique_ptr<Operation> op_;
  std::unique_ptr<VYXUserFunctions> user_;
  std::unique_ptr<VYXCompteFunctions> compteFunctions_;
  std::unique_ptr<VYXOperationFunctions> opFunctions_;
  std::unique_ptr<VYXCompteVariables> compteVariables_;
  std::unique_ptr<VYXOperationVariables> opVariables_;
};

// A date, or a formula of the date functions. Unlike a criterion, which
// falls back on today, a formula refused here is said so.
CPDate DateOf(const std::string& utf8) {
  std::string mac = VYXArgText(utf8);
  VYXCheckFormulaSyntax("--date", mac);
  Str255 text;
  StdToP(mac, text);
  CPDate date = 0;
  if (CPIsValidDateStr(text)) {
    if (!CPStrToDate(text, date)) CPThrowList(kCPErrBadDate, kVYXCalculTexts, kNoSuchDate, {mac});
    return date;
  }
  CPStdDateFxDateFunctions dates;
  double days = 0;
  short error = 0, position = 0, length = 0;
  if (!CPEvaluateFormule(text, &dates, &days, &error, &position, &length)) {
    throw VYXFormulaError("--date", mac, error, position, length);
  }
  return CPDayNumberToDate(days);
}

std::string Expand(const std::string& macRoman, CPVariablesProvider* provider) {
  if (macRoman.size() <= 255) {
    Str255 text;
    StdToP(macRoman, text);
    return PToStd(CPEvaluateString(text, true, provider));
  }
  CPOwnedHandle in(NewHandleFrom(macRoman.data(), macRoman.size()));
  CPOwnedHandle out(CPEvaluateHandle(in.get(), true, provider));
  return std::string(reinterpret_cast<const char*>(HandlePtr(out.get())), GetHandleSize(out.get()));
}

void ListFunctions(VYXCliContext& ctx, CPFunctionsProvider* provider) {
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColNom));
  table.AddColumn(T(kColSyntaxe));
  table.AddColumn(T(kColCalcule));
  for (int16_t i = 1, n = provider->GetNbOfFunctions(); i <= n; ++i) {
    FunctionInfos infos;
    provider->GetFunctionsInfos(i, &infos);
    if (infos.name[0] == 0) continue;
    std::string name = VYXText(PToStd(infos.name)), syntax = VYXText(PToStd(infos.help1)),
                what = VYXText(PToStd(infos.help2));
    out.push_back({{"nom", name}, {"syntaxe", syntax}, {"description", what}});
    table.AddRow({name, syntax, what});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else {
    table.Print(*ctx.out);
  }
}

void ListVariables(VYXCliContext& ctx, CPVariablesProvider* provider) {
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColNom));
  table.AddColumn(T(kColDescription));
  for (int16_t i = 1, n = provider->GetNbOfVariables(); i <= n; ++i) {
    VariablesInfos infos;
    provider->GetVariablesInfos(i, &infos);
    if (infos.name[0] == 0) continue;
    std::string name = VYXText(PToStd(infos.name)), what = VYXText(PToStd(infos.description));
    out.push_back({{"nom", name}, {"description", what}});
    table.AddRow({name, what});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else {
    table.Print(*ctx.out);
  }
}

void Calcul(VYXCliContext& ctx, const CalculArgs& args) {
  if (!args.ope.empty() && args.compte.empty()) {
    CPThrowList(paramErr, kVYXCalculTexts, kOpeNeedsCompte);
  }
  bool listing = args.fonctions || args.variables;
  if (args.formule.empty() && !listing) CPThrowList(paramErr, kVYXCalculTexts, kNothingToDo);

  if (args.date && !listing) {
    CPDate date = DateOf(args.formule);
    if (ctx.json) {
      VYXPrintJson(ctx, VYXDateJson(date));
    } else {
      *ctx.out << VYXDateText(date) << '\n';
    }
    return;
  }
  // Read before anything is opened: a text MacRoman lacks, a formula that
  // does not parse.
  std::string text = VYXArgText(args.formule);
  std::optional<VYXAmountArg> amount;
  if (!args.texte && !listing) amount = VYXArgFormula("FORMULE", args.formule);
  bool needsDossier = !args.compte.empty() || amount || args.fonctions;
  if (args.texte && !needsDossier) {
    *ctx.out << VYXText(Expand(text, CPGetStandardVariables())) << '\n';
    return;
  }

  VYXCliSession session(ctx);
  Context context(session, args);
  if (args.fonctions) {
    ListFunctions(ctx, context.Functions(session.Dossier()));
  } else if (args.variables) {
    ListVariables(ctx, context.Variables());
  } else if (args.texte) {
    *ctx.out << VYXText(Expand(text, context.Variables())) << '\n';
  } else {
    int decimals = session.Dossier().GetDecimals(kDecimalsMontants);
    double value = VYXEvaluateAmount(*amount, context.Functions(session.Dossier()), decimals);
    if (ctx.json) {
      VYXPrintJson(ctx, VYXAmountJson(value));
    } else {
      *ctx.out << VYXAmountText(value) << '\n';
    }
  }
  session.Close();
}

}  // namespace

void VYXAddCalculCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* calcul = VYXAddSubcommand(&app, "calcul", T(kHelpCalcul));
  auto args = std::make_shared<CalculArgs>();
  calcul->add_option("FORMULE", args->formule, T(kHelpFormule));
  CLI::Option* date = calcul->add_flag("--date", args->date, T(kHelpDate));
  CLI::Option* texte = calcul->add_flag("--texte", args->texte, T(kHelpTexte));
  calcul->add_option("--compte", args->compte, T(kHelpCompte));
  calcul->add_option("--ope", args->ope, T(kHelpOpe));
  CLI::Option* fonctions = calcul->add_flag("--fonctions", args->fonctions, T(kHelpFonctions));
  CLI::Option* variables = calcul->add_flag("--variables", args->variables, T(kHelpVariables));
  date->excludes(texte);
  fonctions->excludes(variables)->excludes(date)->excludes(texte);
  variables->excludes(date)->excludes(texte);
  VYXAddJsonFlag(calcul, ctx);
  VYXSetCommand(calcul, [&ctx, args] { Calcul(ctx, *args); });
}
