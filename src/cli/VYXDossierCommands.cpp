// `vyx dossier`: create a dossier (a user file) or open another one, either
// becoming the dossier the next commands work in, and show the open one.
#include <filesystem>
#include <ostream>

#include "app/VYXContainer.h"
#include "app/VYXStarterLists.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDossierTexts = 30130;
enum : int {
  kHelpDossier = 1,
  kHelpCreer,
  kHelpOuvrir,
  kHelpInfo,
  kHelpFichier,
  kLabelDossier,
  kLabelSample,
  kLabelDevise,
  kLabelComptes,
  kLabelRecents,
  kYes,
  kNo,
  kNone,
  kExists,
  kCreated,
  kOpened,
  kMissingFile,
  kNotFound,
  kNoFolder,
  kHelpVide,
};

std::string T(int item) { return VYXHelp(kDossierTexts, item); }

// The file a user names: ".grp" added when it has no extension, made absolute
// so that the last dossier is found from anywhere.
CPFileRef DossierFile(const std::string& path) {
  fs::path file(path);
  if (!file.has_extension()) file += kVYXUserFileExtension;
  // The name is shown in the system's messages, which are MacRoman.
  VYXArgText(file.filename().string());
  return CPFileRef(fs::absolute(file).lexically_normal());
}

// A file given as a dossier is one: a user file, said so with its path.
void CheckIsDossier(const CPFileRef& file) {
  const std::string shown = CPShownText(file.Path().string());
  std::error_code ec;
  if (std::filesystem::is_directory(file.Path(), ec)) {
    CPThrowList(notAFileErr, kVYXFileTexts, kFileDossierIsFolder, {shown});
  }
  if (!VYXIsUserFile(file)) {
    CPThrowList(kVYXErrNotUserFile, kVYXFileTexts, kFileNotADossier, {shown});
  }
}

void Info(VYXCliContext& ctx, VYXCliSession& session) {
  VYXSDBUserPreferences& dossier = session.Dossier();
  const CPFileRef& file = dossier.GetFileSpec();
  bool sample = session.Container().IsSample(file);
  CPResID reference = 1;
  Str255 devise;
  dossier.GetDevises().GetResourceName(reference, devise);
  std::vector<std::pair<std::string, nlohmann::json>> comptes;  // name, file or null
  for (const VYXCliSession::Compte& c : session.Comptes()) {
    CPFileRef where;
    nlohmann::json path = nullptr;
    if (dossier.GetNthCompte(c.position, &where, false)) path = where.Path().string();
    comptes.emplace_back(VYXText(c.name), path);
  }
  std::vector<CPFileRef> recents;
  session.Container().GetRecentUserPrefs(&recents);

  if (ctx.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& [name, path] : comptes) list.push_back({{"nom", name}, {"fichier", path}});
    nlohmann::json recent = nlohmann::json::array();
    for (const CPFileRef& r : recents) recent.push_back(r.Path().string());
    VYXPrintJson(ctx, {{"fichier", file.Path().string()},
                       {"exemple", sample},
                       {"devise", VYXText(PToStd(devise))},
                       {"comptes", list},
                       {"recents", recent}});
    return;
  }
  VYXTable table;
  table.AddColumn("");
  table.AddColumn("");
  table.AddRow({T(kLabelDossier), file.Path().string()});
  table.AddRow({T(kLabelSample), T(sample ? kYes : kNo)});
  table.AddRow({T(kLabelDevise), VYXText(PToStd(devise))});
  std::string names;
  for (const auto& [name, path] : comptes) {
    names += (names.empty() ? "" : ", ") + name;
    if (path.is_null()) names += " " + T(kMissingFile);
  }
  table.AddRow({T(kLabelComptes), comptes.empty() ? T(kNone) : names});
  bool first = true;
  for (const CPFileRef& r : recents) {
    table.AddRow({first ? T(kLabelRecents) : "", r.Path().string()});
    first = false;
  }
  table.Print(*ctx.out, false);
}

// A new dossier starts with the usual lists, so that its first operations
// find their payment mode, rate and category; `empty` leaves them to the user.
void Creer(VYXCliContext& ctx, const std::string& path, bool empty) {
  CPFileRef file = DossierFile(path);
  if (file.Exists()) CPThrowList(dupFNErr, kDossierTexts, kExists, {VYXArgText(path)});
  // Making the folders would hide a mistyped path behind a dossier nobody finds again.
  fs::path folder = file.Path().parent_path();
  if (!fs::is_directory(folder)) {
    CPThrowList(dirNFErr, kDossierTexts, kNoFolder,
                {VYXArgText(path), VYXArgText(folder.string())});
  }
  VYXCliSession session(ctx, VYXCliSession::Start::kNoDossier);
  session.ChangeDossier(file, true);
  if (!empty) VYXAddStarterLists(session.Dossier());
  if (!ctx.json) *ctx.out << VYXHelp(kDossierTexts, kCreated, {file.Path().string()}) << '\n';
  Info(ctx, session);
  session.Close();
}

void Ouvrir(VYXCliContext& ctx, const std::string& path) {
  // Named as `creer` names it: "Maison" is "Maison.grp" when only that exists.
  CPFileRef file(fs::absolute(fs::path(path)).lexically_normal());
  if (!file.Exists() && !fs::path(path).has_extension()) file = DossierFile(path);
  if (!file.Exists()) CPThrowList(fnfErr, kDossierTexts, kNotFound, {VYXArgText(path)});
  CheckIsDossier(file);
  VYXCliSession session(ctx, VYXCliSession::Start::kNoDossier);
  session.ChangeDossier(file, false);
  if (!ctx.json) *ctx.out << VYXHelp(kDossierTexts, kOpened, {file.Path().string()}) << '\n';
  Info(ctx, session);
  session.Close();
}

// The dossier `renommer` works on: the one given, else the current one (the
// one --dossier gives, else the last one), never opened.
CPFileRef DossierToRename(VYXCliContext& ctx, VYXCliSession& session, const std::string& given) {
  if (!given.empty()) return CPFileRef(fs::absolute(fs::path(given)).lexically_normal());
  if (!ctx.dossier.empty())
    return CPFileRef(fs::absolute(fs::path(ctx.dossier)).lexically_normal());
  CPFileRef last;
  if (session.Container().GetGlobalPreferences().GetLastGroupPath(&last) && last.Exists()) {
    return last;
  }
  CPThrowList(fnfErr, kVYXFileTexts, kFileNoDossierToRename);
}

void Renommer(VYXCliContext& ctx, const std::string& first, const std::string& second) {
  const std::string& nouveau = second.empty() ? first : second;
  // Only a name: a dossier moved to another folder would lose the accounts
  // that sit beside it.
  std::string name = VYXArgText(nouveau);
  if (name.empty() || nouveau == "." || nouveau == ".." || nouveau.find('/') != std::string::npos) {
    CPThrowList(bdNamErr, kVYXFileTexts, kFileBadDossierName, {name});
  }
  VYXCliSession session(ctx, VYXCliSession::Start::kNoDossier);
  VYXContainer& container = session.Container();
  const CPFileRef file = DossierToRename(ctx, session, second.empty() ? std::string() : first);
  const std::string shown = CPShownText(file.Path().string());
  if (!file.Exists()) CPThrowList(fnfErr, kDossierTexts, kNotFound, {shown});
  CheckIsDossier(file);
  if (container.IsSample(file)) CPThrowList(paramErr, kVYXFileTexts, kFileSampleNotRenamed);
  std::string fileName = MacRomanToUtf8(name);
  if (fs::path(fileName).extension().empty()) fileName += kVYXUserFileExtension;
  const CPFileRef to = file.Sibling(fileName);
  if (!container.RenameUserPrefsFile(file, name)) {
    switch (container.GetLastError()) {
      case dupFNErr:
        CPThrowList(dupFNErr, kVYXFileTexts, kFileRenameTaken, {shown, CPShownText(fileName)});
      case fBsyErr:
        CPThrowList(fBsyErr, kVYXFileTexts, kFileDossierBusy, {shown});
      default: {
        const int16_t code = container.GetLastError();
        CPThrowList(code ? code : int16_t(ioErr), kVYXFileTexts, kFileCannotRename,
                    {shown, CPGetErrorText(code ? code : int16_t(ioErr))});
      }
    }
  }
  if (ctx.json) {
    VYXPrintJson(ctx, {{"ancien", file.Path().string()}, {"fichier", to.Path().string()}});
  } else {
    *ctx.out << VYXHelp(kVYXFileTexts, kFileDossierRenamed,
                        {file.Path().string(), to.Path().string()})
             << '\n';
  }
  session.Close();
}

}  // namespace

void VYXAddDossierCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* dossier = VYXAddSubcommand(&app, "dossier", T(kHelpDossier));
  dossier->require_subcommand(1);

  auto path = std::make_shared<std::string>();
  CLI::App* creer = VYXAddSubcommand(dossier, "creer", T(kHelpCreer));
  creer->add_option("FICHIER", *path, T(kHelpFichier))->required();
  auto empty = std::make_shared<bool>(false);
  creer->add_flag("--vide", *empty, T(kHelpVide));
  VYXAddJsonFlag(creer, ctx);
  VYXSetCommand(creer, [&ctx, path, empty] { Creer(ctx, *path, *empty); });

  CLI::App* ouvrir = VYXAddSubcommand(dossier, "ouvrir", T(kHelpOuvrir));
  ouvrir->add_option("FICHIER", *path, T(kHelpFichier))->required();
  VYXAddJsonFlag(ouvrir, ctx);
  VYXSetCommand(ouvrir, [&ctx, path] { Ouvrir(ctx, *path); });

  CLI::App* renommer =
      VYXAddSubcommand(dossier, "renommer", VYXHelp(kVYXFileTexts, kFileHelpRenommer));
  auto first = std::make_shared<std::string>();
  auto second = std::make_shared<std::string>();
  renommer->add_option("FICHIER", *first, VYXHelp(kVYXFileTexts, kFileHelpRenommerFichier))
      ->required();
  renommer->add_option("NOUVEAU", *second, VYXHelp(kVYXFileTexts, kFileHelpRenommerNouveau));
  VYXAddJsonFlag(renommer, ctx);
  VYXSetCommand(renommer, [&ctx, first, second] { Renommer(ctx, *first, *second); });

  CLI::App* info = VYXAddSubcommand(dossier, "info", T(kHelpInfo));
  VYXAddJsonFlag(info, ctx);
  VYXSetCommand(info, [&ctx] {
    VYXCliSession session(ctx, VYXCliSession::Start::kReading);
    Info(ctx, session);
    session.Close();
  });
}
