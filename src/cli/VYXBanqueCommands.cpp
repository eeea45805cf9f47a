// `vyx banque`: bank scripts. `scripts` lists those found with their SCRIPT
// headers; `telecharger` runs one for an account and records its lines in
// the account's statement data file, as `releve charger` does for a file.
// `vyx devises actualiser` updates the dossier's currency rates by a script.
//
// The script runs before the dossier is opened: a bank that fails, answers
// slowly or sends hostile pages leaves every file of the dossier as it was,
// and the dossier is not held open while the network is waited for.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/VYXAppFolders.h"
#include "app/VYXContainer.h"
#include "app/VYXVendorSite.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "exchange/VYXCompteTel.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "foundation/CPStream.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPAccountAccess.h"
#include "online/CPBankCredentials.h"
#include "online/CPDevisesAccess.h"
#include "online/CPFilesPack.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTexts = 30801;
enum : int {
  kHelpBanque = 1, kHelpScripts, kHelpDossierScripts, kHelpTelecharger, kHelpCompte, kHelpScript, kHelpParam,
  kHelpJournal, kHelpDelai, kNoScripts, kColScript, kColVersion, kColDescription, kScriptNotFound, kBadParam,
  kAskParam, kNothingReceived, kRan, kRowReceived, kRowNew, kRowHeld, kRowSolde, kHelpDevises, kHelpActualiser,
  kHelpScriptDevises, kNoDevisesScript, kColDevise, kColAncien, kColNouveau, kDevisesDone, kRowFile,
  kHelpTrousseau, kRowCards, kHelpOublier, kHelpScriptOublier, kHelpIdentifiant, kForgotten, kNothingKept,
  kNoSecretParam, kNotKept,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) { return VYXHelp(kTexts, item, vars); }

// Where scripts are looked for: the folder given, else the user's own
// folder and then the examples installed with vyx.
std::vector<fs::path> ScriptFolders(const std::string& given) {
  if (!given.empty()) return {fs::path(given)};
  return {VYXDataFolder() / "scripts", VYXExamplesFolder() / "scripts"};
}

// A file given as the scripts' folder is a files pack (a tar or zip archive).
bool IsPack(const std::string& given) {
  std::error_code ec;
  return !given.empty() && fs::is_regular_file(given, ec);
}

struct ScriptInfo {
  std::string name;  // the file's name, or the entry's in a pack (UTF-8)
  fs::path path;     // the file, or the pack
  std::vector<std::pair<std::string, std::string>> header;  // the SCRIPT line's options, MacRoman
};

// The options of the script's SCRIPT line, read as the interpreter reads them.
std::vector<std::pair<std::string, std::string>> ReadHeader(std::string text) {
  if (text.size() > 4096) text.resize(4096);
  CPSimpleScriptReader reader(CPScriptSourceToMacRoman(text), nullptr);
  std::string command, name, raw, value;
  bool hasOptions = false, more = false;
  std::vector<std::pair<std::string, std::string>> header;
  while (reader.ReadCommand(&command, &hasOptions)) {
    if (command == "REM") continue;
    if (command == "SCRIPT")
      while (reader.ReadOption(&name, &raw, &value, &more)) header.emplace_back(name, value);
    break;
  }
  return header;
}

std::string Beginning(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(4096, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

std::vector<ScriptInfo> FindScripts(const std::string& folder) {
  std::vector<ScriptInfo> scripts;
  if (IsPack(folder)) {
    CPFileContainer pack = CPFileContainer::Pack(folder);
    for (size_t i = 0; i < pack.GetPack()->GetCount(); ++i) {
      std::vector<std::pair<std::string, std::string>> header;
      try {
        header = ReadHeader(pack.GetPack()->GetEntry(i));
      } catch (const CPException&) {
        continue;  // an entry too large or unreadable is no script
      }
      if (!header.empty()) scripts.push_back({pack.GetPack()->GetName(i), folder, header});
    }
  }
  for (const fs::path& dir : IsPack(folder) ? std::vector<fs::path>{} : ScriptFolders(folder)) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (!entry.is_regular_file(ec)) continue;
      std::vector<std::pair<std::string, std::string>> header = ReadHeader(Beginning(entry.path()));
      if (header.empty()) continue;  // no script: a script begins with SCRIPT
      std::string name = entry.path().filename().string();
      bool shadowed = std::any_of(scripts.begin(), scripts.end(), [&](const ScriptInfo& s) { return s.name == name; });
      if (!shadowed) scripts.push_back({name, entry.path(), header});
    }
  }
  std::sort(scripts.begin(), scripts.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return scripts;
}

std::string HeaderValue(const ScriptInfo& s, std::string_view name) {
  for (const auto& [n, v] : s.header)
    if (CPScriptSameName(n, name)) return v;
  return {};
}

// A script found: where it and the scripts it calls are read, and its name there.
struct FoundScript {
  CPFileContainer container;
  std::string name;  // UTF-8
};

// The script named NOM (or NOM.txt): in the pack given, else in the folders.
FoundScript FindScript(const std::string& folder, const std::string& name) {
  bool plain = !name.empty() && !fs::path(name).has_parent_path();
  if (IsPack(folder)) {
    CPFileContainer pack = CPFileContainer::Pack(folder);
    for (const std::string& candidate : {name, name + ".txt"})
      if (plain && pack.GetPack()->Find(candidate) != CPFilesPack::npos) return {pack, candidate};
  }
  for (const fs::path& dir : IsPack(folder) ? std::vector<fs::path>{} : ScriptFolders(folder)) {
    for (const std::string& candidate : {name, name + ".txt"}) {
      std::error_code ec;
      if (plain && fs::is_regular_file(dir / candidate, ec)) return {CPFileContainer::Folder(dir), candidate};
    }
  }
  std::string folders;
  for (const fs::path& dir : ScriptFolders(folder)) folders += (folders.empty() ? "" : ", ") + dir.string();
  CPThrowList(kCPErrScriptNotFound, kTexts, kScriptNotFound, {CPShownText(name), CPShownText(folders)});
}

struct RunArgs {
  std::string compte, script, dossierScripts, journal;
  std::vector<std::string> params;
  double delai = 60;
  bool trousseau = false;
};

// The script's parameters: NOM=VALEUR as given, NOM alone asked (without
// echo for a password): those are flagged in `*asked`.
std::vector<CPReleveInternetParam> ReadParams(const std::vector<std::string>& args, std::vector<bool>* asked) {
  std::vector<CPReleveInternetParam> params;
  for (const std::string& arg : args) {
    size_t eq = arg.find('=');
    CPReleveInternetParam p;
    p.name = VYXArgText(arg.substr(0, eq));
    if (p.name.empty()) CPThrowList(paramErr, kTexts, kBadParam, {VYXArgText(arg)});
    p.secret = CPScriptIsSecretName(p.name);
    if (eq != std::string::npos) p.value = VYXArgText(arg.substr(eq + 1));
    asked->push_back(eq == std::string::npos);
    params.push_back(p);
  }
  return params;
}

void Ask(CPReleveInternetParam& p) {
  std::string answer;
  if (!CPGetInteraction().AskText(CPFillVars(CPGetListString(kTexts, kAskParam), {p.name}), &answer, p.secret))
    CPThrowCancel();
  p.value = answer;
}

// The login a kept password is filed under: the parameter named like one.
std::string Login(const std::vector<CPReleveInternetParam>& params) {
  for (const CPReleveInternetParam& p : params)
    if (CPScriptIsLoginName(p.name)) return p.value;
  return {};
}

// The passwords a download keeps in the keyring once the bank took them.
struct Keeping {
  std::unique_ptr<CPBankCredentials> keyring;
  std::vector<const CPReleveInternetParam*> toKeep;
};

// Gives each parameter its value: asked, or, with the keyring, taken back
// from it. The keyring is reached before anything goes on the web, so that a
// machine without one stops there instead of sending an empty password.
void FillParams(std::vector<CPReleveInternetParam>& params, const std::vector<bool>& asked, bool trousseau,
                const std::string& script, Keeping* keeping) {
  if (trousseau) {
    if (std::none_of(params.begin(), params.end(), [](const auto& p) { return p.secret; }))
      CPThrowList(paramErr, kTexts, kNoSecretParam);
    keeping->keyring = std::make_unique<CPBankCredentials>(script, Login(params));
  }
  for (size_t i = 0; i < params.size(); ++i) {
    CPReleveInternetParam& p = params[i];
    if (!trousseau || !p.secret) {
      if (asked[i]) Ask(p);
      continue;
    }
    std::string kept;
    bool found = keeping->keyring->Find(p.name, &kept);
    if (asked[i] && found) {
      p.value = kept;
      continue;
    }
    if (asked[i]) Ask(p);
    if (!found || kept != p.value) keeping->toKeep.push_back(&p);
  }
}

// Writes the script's log where the user asked, even after a failure.
class Journal {
 public:
  explicit Journal(const std::string& path) : path_(path) {}
  CPStream* Stream() { return path_.empty() ? nullptr : &log_; }
  void Write() {
    if (path_.empty()) return;
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(log_.Data()), log_.GetLength());
  }

 private:
  std::string path_;
  CPHandleStream log_;
};

void Configure(CPWebAccess& access, double delai) {
  access.Settings().timeoutMs = static_cast<long>(std::clamp(delai, 0.1, 600.0) * 1000);
  access.Settings().connectTimeoutMs = std::min(access.Settings().timeoutMs, 15000L);
}

// Raises the failure of a run that brought nothing: the bank's own error,
// else the first request that failed, else "nothing received".
[[noreturn]] void NothingReceived(const std::string& script, const std::vector<std::string>& webErrors) {
  if (!webErrors.empty()) CPThrowMessage(kCPErrWebAccess, webErrors.front());
  CPThrowList(kCPErrWebAccess, kTexts, kNothingReceived, {script});
}

void Scripts(VYXCliContext& ctx, const std::string& folder) {
  std::vector<ScriptInfo> scripts = FindScripts(folder);
  if (ctx.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const ScriptInfo& s : scripts) {
      nlohmann::json header = nlohmann::json::object();
      for (const auto& [n, v] : s.header) header[VYXText(n)] = VYXText(v);
      list.push_back({{"script", s.name}, {"chemin", s.path.string()}, {"entete", header}});
    }
    VYXPrintJson(ctx, list);
    return;
  }
  if (scripts.empty()) {
    std::string folders;
    for (const fs::path& dir : ScriptFolders(folder)) folders += (folders.empty() ? "" : ", ") + dir.string();
    *ctx.out << T(kNoScripts, {folders}) << '\n';
    return;
  }
  VYXTable table;
  table.AddColumn(T(kColScript));
  table.AddColumn(T(kColVersion));
  table.AddColumn(T(kColDescription));
  for (const ScriptInfo& s : scripts) {
    std::string description = HeaderValue(s, "NOM");
    std::string more = HeaderValue(s, "DESCRIPTION");
    if (!more.empty()) description += (description.empty() ? "" : " : ") + more;
    table.AddRow({s.name, VYXText(HeaderValue(s, "VERS")), VYXText(description)});
  }
  table.Print(*ctx.out);
}

void Telecharger(VYXCliContext& ctx, const RunArgs& args) {
  FoundScript script = FindScript(args.dossierScripts, args.script);
  std::vector<bool> asked;
  std::vector<CPReleveInternetParam> params = ReadParams(args.params, &asked);
  Keeping keeping;
  FillParams(params, asked, args.trousseau, script.name, &keeping);
  std::string scriptName = CPShownText(script.name);

  // The download, before anything of the dossier is touched.
  std::vector<CPComptaReleveItem> items;
  std::string errorText;
  std::vector<std::string> webErrors;
  Journal journal(args.journal);
  bool ok = false;
  try {
    ok = CPGetReleveInternet(
        script.container, scriptName, params,
        [&](long, CPComptaReleveItem& item) {
          items.push_back(item);
          return false;
        },
        0, &errorText, journal.Stream(),
        [&](CPAccountAccess& access) { Configure(access, args.delai); },
        &webErrors);
  } catch (...) {
    journal.Write();
    throw;
  }
  journal.Write();
  if (!ok) {
    if (!webErrors.empty()) errorText += " (" + webErrors.back() + ")";
    CPThrowMessage(kCPErrBankError, errorText);
  }
  // The bank took the passwords: kept for the next download. The lines came
  // all the same, so a keyring that fails now only costs a warning.
  for (const CPReleveInternetParam* p : keeping.toKeep) {
    try {
      keeping.keyring->Keep(p->name, p->value);
    } catch (const CPException& e) {
      *ctx.err << T(kNotKept, {VYXText(e.Message())}) << '\n';
    }
  }

  // What the script gave, as a statement read from a file.
  VYXCliSession session(ctx);
  int decimals = session.Dossier().GetDecimals(kDecimalsMontants);
  VYXParsedStatement parsed;
  parsed.format = VYXStatementFormat::kAuto;
  long files = 0, fileLines = 0;
  for (const CPComptaReleveItem& item : items) {
    if (item.kind == CPComptaReleveItem::kFichier) {
      VYXParsedStatement file = VYXReadStatementBytes(item.fichier, scriptName);
      ++files;
      fileLines += static_cast<long>(file.entries.size());
      parsed.entries.insert(parsed.entries.end(), file.entries.begin(), file.entries.end());
      parsed.bankAccounts.insert(parsed.bankAccounts.end(), file.bankAccounts.begin(), file.bankAccounts.end());
      continue;
    }
    VYXStatementEntry e;
    e.kind = item.kind == CPComptaReleveItem::kSolde  ? kVYXLineBalance
             : item.kind == CPComptaReleveItem::kCarte ? kVYXLineCard
                                                        : kVYXLineOperation;
    e.date = item.date;
    e.montant = CPArrondi(item.montant, static_cast<short>(decimals));
    e.libelle = item.libelle;
    e.reference = item.noPiece;
    if (e.date == 0) continue;  // a result without a date cannot be placed
    parsed.entries.push_back(e);
  }
  if (parsed.entries.empty()) NothingReceived(scriptName, webErrors);

  VYXSDBCompte& compte = session.OpenCompte(args.compte);
  VYXReleveFile::Format format;
  format.decimals = decimals;
  VYXCompteTel tel(compte, session.CompteFile(session.FindCompte(args.compte)), format);
  tel.ReadData();
  VYXLoadReport report = tel.Load(parsed, {});
  const VYXReleveFile::Balance* solde = tel.GetSoldes().empty() ? nullptr : &tel.GetSoldes().back();
  if (ctx.json) {
    nlohmann::json j = {{"script", VYXText(scriptName)},
                        {"compte", VYXText(compte.GetName())},
                        {"recues", report.read},
                        {"nouvelles", report.added},
                        {"dejaChargees", report.held},
                        {"fichiers", files},
                        {"soldes", report.balances},
                        {"derniereDate", VYXDateJson(report.lastDate)}};
    if (solde) j["solde"] = {{"date", VYXDateJson(solde->date)}, {"montant", VYXAmountJson(solde->montant)}};
    nlohmann::json errors = nlohmann::json::array();
    for (const std::string& e : webErrors) errors.push_back(VYXText(e));
    j["erreursWeb"] = errors;
    VYXPrintJson(ctx, j);
  } else {
    *ctx.out << T(kRan, {VYXText(scriptName), VYXText(compte.GetName())}) << '\n';
    for (const std::string& e : webErrors) *ctx.err << VYXText(e) << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({T(kRowReceived), std::to_string(report.read)});
    table.AddRow({T(kRowNew), std::to_string(report.added)});
    table.AddRow({T(kRowHeld), std::to_string(report.held)});
    if (files) table.AddRow({T(kRowFile), std::to_string(fileLines)});
    if (report.otherCard) table.AddRow({T(kRowCards), std::to_string(report.otherCard)});
    if (solde) table.AddRow({T(kRowSolde, {VYXDateText(solde->date)}), VYXAmountText(solde->montant, decimals, true)});
    table.Print(*ctx.out, false);
  }
  session.Close();
}

struct ForgetArgs {
  std::string script, login, dossierScripts;
};

// The passwords are filed under the script's file name: that of the script
// found, else the name given (the script may be gone), with and without ".txt".
void Oublier(VYXCliContext& ctx, const ForgetArgs& args) {
  std::vector<std::string> names;
  try {
    names.push_back(FindScript(args.dossierScripts, args.script).name);
  } catch (const CPException&) {
    names.push_back(args.script);
    if (fs::path(args.script).extension() != ".txt") names.push_back(args.script + ".txt");
  }
  bool removed = false;
  for (const std::string& name : names) removed |= CPBankCredentials(name, VYXArgText(args.login)).Forget();
  *ctx.out << T(removed ? kForgotten : kNothingKept, {names.front()}) << '\n';
}

struct DevisesArgs {
  std::string script, dossierScripts, journal;
  std::vector<std::string> params;
  double delai = 60;
};

void Actualiser(VYXCliContext& ctx, const DevisesArgs& args) {
  CPFileContainer container;
  std::string scriptName;
  {
    VYXCliSession probe(ctx, VYXCliSession::Start::kNoDossier);
    std::string url;
    if (!args.script.empty()) {
      FoundScript script = FindScript(args.dossierScripts, args.script);
      container = script.container;
      scriptName = CPShownText(script.name);
    } else if (VYXGetDevisesUpdateScriptURL(probe.Container().GetGlobalPreferences(), &url)) {
      size_t slash = url.rfind('/');
      container = CPFileContainer::Url(url.substr(0, slash));
      scriptName = url.substr(slash + 1);
    } else {
      CPThrowList(kCPErrScriptNotFound, kTexts, kNoDevisesScript);
    }
    probe.Close();
  }
  std::vector<bool> asked;
  std::vector<CPReleveInternetParam> params = ReadParams(args.params, &asked);
  FillParams(params, asked, false, scriptName, nullptr);
  std::vector<CPDeviseRate> rates;
  std::vector<std::string> webErrors;
  Journal journal(args.journal);
  try {
    CPDevisesAccess access(container, [&](const CPDeviseRate& rate) {
      rates.push_back(rate);
      return false;
    });
    access.SetLogStream(journal.Stream());
    Configure(access, args.delai);
    access.SetStandardVar();
    for (const CPReleveInternetParam& p : params) access.SetVar(0, p.name, p.value);
    access.ExecuteScript(scriptName);
    webErrors = access.Errors();
    if (!access.ErrorText().empty()) CPThrowMessage(kCPErrBankError, access.ErrorText());
  } catch (...) {
    journal.Write();
    throw;
  }
  journal.Write();
  if (rates.empty()) NothingReceived(scriptName, webErrors);

  VYXCliSession session(ctx);
  VYXUserDevisesSet& devises = session.Dossier().GetDevises();
  VYXTable table;
  table.AddColumn(T(kColDevise));
  table.AddColumn(T(kColAncien), VYXTable::kRight);
  table.AddColumn(T(kColNouveau), VYXTable::kRight);
  nlohmann::json list = nlohmann::json::array();
  long updated = 0, unknown = 0;
  for (const CPDeviseRate& rate : rates) {
    Str255 key;
    StdToP(rate.code, key);
    CPResID id = 0;
    Devise d;
    if (!devises.ReadResource(key, &id, &d) || id == 1) {
      ++unknown;  // the reference currency keeps its rate of 1
      continue;
    }
    double before = d.taux / (d.base != 0 ? d.base : 1);
    d.taux = rate.taux;
    d.base = rate.base;
    devises.SetResource(id, d);
    ++updated;
    auto show = [](double v) { return VYXAmountText(v, 6, false); };
    table.AddRow({VYXText(rate.code), show(before), show(rate.taux / rate.base)});
    list.push_back({{"devise", VYXText(rate.code)}, {"ancien", before}, {"nouveau", rate.taux / rate.base}});
  }
  session.Close();
  if (ctx.json) {
    VYXPrintJson(ctx, {{"devises", list}, {"inconnues", unknown}});
    return;
  }
  if (updated) table.Print(*ctx.out);
  *ctx.out << T(kDevisesDone, {std::to_string(updated), std::to_string(unknown)}) << '\n';
}

}  // namespace

void VYXAddBanqueCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* banque = VYXAddSubcommand(&app, "banque", T(kHelpBanque));
  banque->require_subcommand(1);

  auto folder = std::make_shared<std::string>();
  CLI::App* scripts = VYXAddSubcommand(banque, "scripts", T(kHelpScripts));
  scripts->add_option("--dossier-scripts", *folder, T(kHelpDossierScripts));
  VYXAddJsonFlag(scripts, ctx);
  VYXSetCommand(scripts, [&ctx, folder] { Scripts(ctx, *folder); });

  auto run = std::make_shared<RunArgs>();
  CLI::App* telecharger = VYXAddSubcommand(banque, "telecharger", T(kHelpTelecharger));
  telecharger->add_option("COMPTE", run->compte, T(kHelpCompte))->required();
  telecharger->add_option("--script", run->script, T(kHelpScript))->required();
  telecharger->add_option("--param", run->params, T(kHelpParam));
  telecharger->add_option("--journal", run->journal, T(kHelpJournal));
  telecharger->add_option("--dossier-scripts", run->dossierScripts, T(kHelpDossierScripts));
  telecharger->add_option("--delai", run->delai, T(kHelpDelai));
  telecharger->add_flag("--trousseau", run->trousseau, T(kHelpTrousseau));
  VYXAddJsonFlag(telecharger, ctx);
  VYXSetCommand(telecharger, [&ctx, run] { Telecharger(ctx, *run); });

  auto forget = std::make_shared<ForgetArgs>();
  CLI::App* oublier = VYXAddSubcommand(banque, "oublier", T(kHelpOublier));
  oublier->add_option("--script", forget->script, T(kHelpScriptOublier))->required();
  oublier->add_option("--identifiant", forget->login, T(kHelpIdentifiant));
  oublier->add_option("--dossier-scripts", forget->dossierScripts, T(kHelpDossierScripts));
  VYXSetCommand(oublier, [&ctx, forget] { Oublier(ctx, *forget); });

  CLI::App* devises = VYXAddSubcommand(&app, "devises", T(kHelpDevises));
  devises->require_subcommand(1);
  auto dargs = std::make_shared<DevisesArgs>();
  CLI::App* actualiser = VYXAddSubcommand(devises, "actualiser", T(kHelpActualiser));
  actualiser->add_option("--script", dargs->script, T(kHelpScriptDevises));
  actualiser->add_option("--param", dargs->params, T(kHelpParam));
  actualiser->add_option("--journal", dargs->journal, T(kHelpJournal));
  actualiser->add_option("--dossier-scripts", dargs->dossierScripts, T(kHelpDossierScripts));
  actualiser->add_option("--delai", dargs->delai, T(kHelpDelai));
  VYXAddJsonFlag(actualiser, ctx);
  VYXSetCommand(actualiser, [&ctx, dargs] { Actualiser(ctx, *dargs); });
}
