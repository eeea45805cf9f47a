// `vyx compte`: the dossier's accounts: create, list, rename, copy, delete,
// and an account's lock date and opening balances. An account's name is its
// file's name without ".cpt"; names given here are matched as the system
// matches names, letter case and accents aside.
//
// Every argument is read before the dossier is opened, so that a refused one
// leaves every file as it was.
#include <filesystem>
#include <optional>
#include <ostream>

#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXSDBCompte.h"
#include "app/VYXContainer.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormula.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXCompteMoreTexts.h"
#include "cli/VYXFactureCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCompteTexts = 30140;
enum : int {
  kHelpCompte = 1,
  kHelpCreer,
  kHelpListe,
  kHelpRenommer,
  kHelpCopier,
  kHelpSupprimer,
  kHelpVerrou,
  kHelpReports,
  kHelpNom,
  kHelpNouveau,
  kHelpDevise,
  kHelpFichier,
  kHelpDate,
  kHelpPrevu,
  kHelpEngage,
  kHelpPointe,
  kColNom,
  kColDevise,
  kColFichier,
  kMissingFile,
  kNoCompte,
  kExists,         // ^1: the name
  kFileExists,     // ^1: the file
  kBadName,        // ^1: the name
  kNameIsFile,     // ^1: the name the file gives
  kUnknownDevise,  // ^1: the code
  kCreated,        // ^1: the name, ^2: the file
  kRenamed,        // ^1, ^2: the names
  kCopied,         // ^1, ^2: the names
  kConfirmDelete,  // ^1: the name, ^2: the file
  kCannotDelete,   // ^1: the name
  kDeleted,        // ^1: the name
  kLocked,         // ^1: the name, ^2: the date
  kNotLocked,      // ^1: the name
  kReportsOf,      // ^1: the name
  kPrevu,
  kEngage,
  kPointe,
  kCannotRename,  // ^1: the name
  kCannotCopy,    // ^1: the name
};

std::string T(int item) { return VYXHelp(kCompteTexts, item); }

// A new account's name: MacRoman, and able to name a file of its own.
std::string NewName(const std::string& utf8) {
  std::string name = VYXArgText(utf8);
  if (name.empty() || utf8 == "." || utf8 == ".." || utf8.find('/') != std::string::npos) {
    CPThrowList(bdNamErr, kCompteTexts, kBadName, {name});
  }
  return name;
}

// Refuses a name another account of the dossier has.
void CheckFree(VYXCliSession& session, const std::string& name, CPResID except = 0) {
  VYXCliSession::Compte other;
  if (session.FindCompte(name, &other) && other.id != except) {
    CPThrowList(kCPErrAlreadyExists, kCompteTexts, kExists, {other.name});
  }
}

// A currency code as typed ("usd"): upper case, padded to four characters.
OSType DeviseCodeOf(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (text.empty() || text.size() > 4) CPThrowList(paramErr, kCompteTexts, kUnknownDevise, {text});
  OSType code = 0;
  for (size_t i = 0; i < 4; ++i) {
    char c = i < text.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])))
                             : ' ';
    code = (code << 8) | static_cast<unsigned char>(c);
  }
  return code;
}

std::string FileText(const CPFileRef& file) {
  std::string text;
  return TryUtf8ToMacRoman(file.Path().string(), &text, nullptr) ? text : file.Name();
}

void Creer(VYXCliContext& ctx, const std::string& nom, const std::string& devise,
           const std::string& fichier) {
  std::string name = NewName(nom);
  std::optional<OSType> code;
  if (!devise.empty()) code = DeviseCodeOf(devise);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& dossier = session.Dossier();
  CheckFree(session, name);
  CPFileRef file = VYXCompteFileIn(dossier.GetFileSpec().Folder(), nom);
  if (!fichier.empty()) {
    fs::path where = fs::absolute(fs::path(fichier)).lexically_normal();
    if (fs::is_directory(where)) {
      file = VYXCompteFileIn(CPFileRef(where), nom);
    } else {
      if (!where.has_extension()) where += kVYXCompteExtension;
      file = CPFileRef(where);
      // The account is known by its file's name: the two must agree.
      std::string fileName = VYXArgText(VYXCompteNameOfFile(file));
      if (fileName != name) CPThrowList(paramErr, kCompteTexts, kNameIsFile, {fileName});
    }
  }
  if (file.Exists()) CPThrowList(dupFNErr, kCompteTexts, kFileExists, {FileText(file)});
  if (code && dossier.DeviseCodeToId(*code) == 0) {
    CPThrowList(paramErr, kCompteTexts, kUnknownDevise, {VYXArgText(devise)});
  }

  VYXSDBCompte& compte = session.CreateCompte(file);
  if (code) compte.SetCompteDevise(*code);
  if (ctx.json) {
    VYXPrintJson(ctx, {{"nom", nom},
                       {"fichier", file.Path().string()},
                       {"devise", VYXCodeText(compte.GetCompteDevise())}});
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kCreated, {nom, file.Path().string()}) << '\n';
  }
  session.Close();
}

void Liste(VYXCliContext& ctx) {
  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXSDBUserPreferences& dossier = session.Dossier();
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColNom));
  table.AddColumn(T(kColDevise));
  table.AddColumn(T(kColFichier));
  for (const VYXCliSession::Compte& c : session.Comptes()) {
    CPResID devise = dossier.GetCompteDeviseID(c.id);
    std::string code = VYXCodeText(dossier.DeviseIdToCode(devise ? devise : 1));
    CPFileRef file;
    bool found = dossier.GetNthCompte(c.position, &file, false);
    out.push_back({{"nom", VYXText(c.name)},
                   {"devise", code},
                   {"fichier", found ? nlohmann::json(file.Path().string()) : nullptr}});
    table.AddRow({VYXText(c.name), code, found ? file.Path().string() : T(kMissingFile)});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (out.empty()) {
    *ctx.out << T(kNoCompte) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void Renommer(VYXCliContext& ctx, const std::string& nom, const std::string& nouveau) {
  std::string newName = NewName(nouveau);
  VYXCliSession session(ctx);
  VYXCliSession::Compte compte = session.FindCompte(nom);
  CheckFree(session, newName, compte.id);
  CPFileRef file = session.CompteFile(compte);
  CPFileRef to = VYXCompteFileIn(file.Folder(), nouveau);
  if (to.Exists() && !to.SameFile(file)) {
    CPThrowList(dupFNErr, kCompteTexts, kFileExists, {FileText(to)});
  }
  if (!session.Container().RenameCompteFile(file, newName)) {
    CPThrowList(ioErr, kCompteTexts, kCannotRename, {compte.name});
  }
  if (ctx.json) {
    VYXPrintJson(
        ctx, {{"nom", nouveau}, {"ancien", VYXText(compte.name)}, {"fichier", to.Path().string()}});
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kRenamed, {VYXText(compte.name), nouveau}) << '\n';
  }
  session.Close();
}

void Copier(VYXCliContext& ctx, const std::string& nom, const std::string& nouveau) {
  std::string newName = NewName(nouveau);
  VYXCliSession session(ctx);
  VYXCliSession::Compte compte = session.FindCompte(nom);
  CheckFree(session, newName);
  CPFileRef file = session.CompteFile(compte);
  CPFileRef to = VYXCompteFileIn(file.Folder(), nouveau);
  if (to.Exists()) CPThrowList(dupFNErr, kCompteTexts, kFileExists, {FileText(to)});
  if (!session.Container().CopyCompteFile(file, file.Folder(), newName)) {
    CPThrowList(ioErr, kCompteTexts, kCannotCopy, {compte.name});
  }
  session.Dossier().AddCompte(to);
  if (ctx.json) {
    VYXPrintJson(
        ctx,
        {{"nom", nouveau}, {"original", VYXText(compte.name)}, {"fichier", to.Path().string()}});
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kCopied, {VYXText(compte.name), nouveau}) << '\n';
  }
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& dossier = session.Dossier();
  VYXCliSession::Compte compte = session.FindCompte(nom);
  // Never a file outside the dossier without the user's word: it may be the
  // account of the dossier this one was copied from.
  CPFileRef file = session.CompteFile(compte, false);
  bool found = !file.Path().empty();
  std::string question = CPGetListString(kCompteTexts, kConfirmDelete);
  // Invoices settled by its operations lose the link to them, not what was paid.
  std::string notice;
  if (!dossier.CanDeleteCompte(compte.id)) {
    notice = CPGetListString(kVYXFactureTexts, kFacCompteReglements);
    CPReplaceVar(notice, 1, compte.name);
  }
  CPReplaceVar(question, 1, compte.name);
  CPReplaceVar(question, 2, found ? FileText(file) : std::string("?"));
  if (!notice.empty()) question = notice + " " + question;
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
  if (found) {
    // The container takes the account out of the dossier with its file.
    if (!session.Container().DeleteCompteFile(file)) {
      CPThrowList(ioErr, kCompteTexts, kCannotDelete, {compte.name});
    }
  } else {
    dossier.RemoveCompte(compte.id, true);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, {{"nom", VYXText(compte.name)}, {"supprime", true}});
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kDeleted, {VYXText(compte.name)}) << '\n';
  }
  session.Close();
}

void Verrou(VYXCliContext& ctx, const std::string& nom, const std::optional<std::string>& date) {
  std::optional<CPDate> lock;
  if (date) lock = VYXArgDate(*date);
  VYXCliSession session(ctx,
                        lock ? VYXCliSession::Start::kDossier : VYXCliSession::Start::kReading);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  if (lock) compte.SetLockDate(*lock);
  std::string name = VYXText(compte.GetName());
  CPDate current = compte.GetLockDate();
  if (ctx.json) {
    VYXPrintJson(ctx, {{"nom", name}, {"lockDate", VYXDateJson(current)}});
  } else if (current == 0) {
    *ctx.out << VYXHelp(kCompteTexts, kNotLocked, {name}) << '\n';
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kLocked, {name, VYXDateText(current)}) << '\n';
  }
  session.Close();
}

struct ReportArgs {
  std::optional<std::string> prevu, engage, pointe;
  std::optional<std::string> suivre;  // the account to follow; "" for none
};

void Reports(VYXCliContext& ctx, const std::string& nom, const ReportArgs& args) {
  std::optional<VYXAmountArg> values[kOpStatusCount];
  const std::optional<std::string>* typed[kOpStatusCount] = {&args.prevu, &args.engage,
                                                             &args.pointe};
  const char* options[kOpStatusCount] = {"--prevu", "--engage", "--pointe"};
  bool given = false;
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (*typed[s]) {
      values[s] = VYXArgAmountOrFormula(options[s], **typed[s]);
      given = true;
    }
  }
  VYXCliSession session(
      ctx, given || args.suivre ? VYXCliSession::Start::kDossier : VYXCliSession::Start::kReading);
  const int decimals = session.Dossier().GetDecimals(kDecimalsMontants);
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (values[s] && !values[s]->IsFormula()) VYXCheckAmountDecimals(**typed[s], decimals);
  }
  VYXSDBCompte& compte = session.OpenCompte(nom);
  if (args.suivre) {
    if (args.suivre->empty()) {
      compte.SetReportLink(nullptr);
    } else {
      VYXCliSession::Compte other = session.FindCompte(*args.suivre);
      compte.SetReportLink(&session.OpenCompte(other));
    }
  }
  // Values typed for balances that follow another account would be replaced
  // at the next opening: the user unlinks them first.
  std::string followed = compte.GetReportLinkName();
  if (given && compte.GetInformations().linked) {
    CPThrowList(paramErr, kVYXCompteMoreTexts, kReportsFollowed,
                {compte.GetName(), followed});
  }
  MontantSet report = compte.GetReportValues();
  VYXCompteFunctions functions(compte);
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (!values[s]) continue;
    report.montant[s] = CPArrondi(VYXEvaluateAmount(*values[s], &functions, decimals), decimals);
  }
  if (given) compte.SetReportValues(report);
  report = compte.GetReportValues();
  std::string name = VYXText(compte.GetName());
  bool linked = compte.GetInformations().linked != 0;
  if (ctx.json) {
    VYXPrintJson(ctx, {{"nom", name},
                       {"reports",
                        {{"prevu", VYXAmountJson(report[kOpPrevue])},
                         {"engage", VYXAmountJson(report[kOpEngagee])},
                         {"pointe", VYXAmountJson(report[kOpPointee])}}},
                       {"suit", linked ? nlohmann::json(VYXText(followed)) : nullptr}});
  } else {
    *ctx.out << VYXHelp(kCompteTexts, kReportsOf, {name}) << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({T(kPrevu), VYXAmountText(report[kOpPrevue])});
    table.AddRow({T(kEngage), VYXAmountText(report[kOpEngagee])});
    table.AddRow({T(kPointe), VYXAmountText(report[kOpPointee])});
    table.Print(*ctx.out, false);
    if (linked) {
      *ctx.out << VYXHelp(kVYXCompteMoreTexts, kReportsFollow, {VYXText(followed)}) << '\n';
    }
  }
  session.Close();
}

}  // namespace

void VYXAddCompteCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* compte = VYXAddSubcommand(&app, "compte", T(kHelpCompte));
  compte->require_subcommand(1);
  auto nom = std::make_shared<std::string>();
  auto nouveau = std::make_shared<std::string>();

  CLI::App* creer = VYXAddSubcommand(compte, "creer", T(kHelpCreer));
  auto devise = std::make_shared<std::string>();
  auto fichier = std::make_shared<std::string>();
  creer->add_option("NOM", *nom, T(kHelpNom))->required();
  creer->add_option("--devise", *devise, T(kHelpDevise));
  creer->add_option("--fichier", *fichier, T(kHelpFichier));
  VYXAddJsonFlag(creer, ctx);
  VYXSetCommand(creer, [&ctx, nom, devise, fichier] { Creer(ctx, *nom, *devise, *fichier); });

  CLI::App* liste = VYXAddSubcommand(compte, "liste", T(kHelpListe));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx] { Liste(ctx); });

  CLI::App* renommer = VYXAddSubcommand(compte, "renommer", T(kHelpRenommer));
  renommer->add_option("NOM", *nom, T(kHelpNom))->required();
  renommer->add_option("NOUVEAU", *nouveau, T(kHelpNouveau))->required();
  VYXAddJsonFlag(renommer, ctx);
  VYXSetCommand(renommer, [&ctx, nom, nouveau] { Renommer(ctx, *nom, *nouveau); });

  CLI::App* copier = VYXAddSubcommand(compte, "copier", T(kHelpCopier));
  copier->add_option("NOM", *nom, T(kHelpNom))->required();
  copier->add_option("NOUVEAU", *nouveau, T(kHelpNouveau))->required();
  VYXAddJsonFlag(copier, ctx);
  VYXSetCommand(copier, [&ctx, nom, nouveau] { Copier(ctx, *nom, *nouveau); });

  CLI::App* supprimer = VYXAddSubcommand(compte, "supprimer", T(kHelpSupprimer));
  supprimer->add_option("NOM", *nom, T(kHelpNom))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, nom] { Supprimer(ctx, *nom); });

  CLI::App* verrou = VYXAddSubcommand(compte, "verrou", T(kHelpVerrou));
  auto date = std::make_shared<std::optional<std::string>>();
  verrou->add_option("NOM", *nom, T(kHelpNom))->required();
  verrou->add_option("DATE", *date, T(kHelpDate));
  VYXAddJsonFlag(verrou, ctx);
  VYXSetCommand(verrou, [&ctx, nom, date] { Verrou(ctx, *nom, *date); });

  CLI::App* reports = VYXAddSubcommand(compte, "reports", T(kHelpReports));
  auto args = std::make_shared<ReportArgs>();
  reports->add_option("NOM", *nom, T(kHelpNom))->required();
  reports->add_option("--prevu", args->prevu, T(kHelpPrevu));
  reports->add_option("--engage", args->engage, T(kHelpEngage));
  reports->add_option("--pointe", args->pointe, T(kHelpPointe));
  reports->add_option("--suivre", args->suivre, VYXHelp(kVYXCompteMoreTexts, kHelpSuivre));
  VYXAddJsonFlag(reports, ctx);
  VYXSetCommand(reports, [&ctx, nom, args] { Reports(ctx, *nom, *args); });

  VYXAddCompteDefautsCommand(compte, ctx);
}
