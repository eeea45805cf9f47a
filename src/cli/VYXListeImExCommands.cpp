// `vyx liste TYPE exporter FICHIER` and `vyx liste TYPE importer FICHIER`:
// a list of the dossier as UTF-8 text, a line of titles then one item a
// line, columns separated by tabs, lines ended by LF ("-" for the standard
// output or input). Inside, the exchange is the list's own (MacRoman text,
// CPResourceSet::ExportResources and ImportResources); this file converts
// at the edge and reports.
//
// An import adds what the dossier lacks and leaves alone what it has as the
// file says; an item whose name is taken with other fields is added under a
// numbered name, or with --remplacer takes the file's fields, in the dossier
// and in every account's copy. A file that cannot be read as UTF-8 text is
// refused before anything is written.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXListe.h"
#include "foundation/CPException.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserImEx.h"

namespace fs = std::filesystem;

namespace {

using namespace vyxliste;

enum : int {
  kImported = 25,  // ^1: the list, ^2 to ^6: added, renamed, replaced, unchanged, refused
  kLineRenamed,    // ^1: the line, ^2: the name, ^3: the name given
  kLineRefused,    // ^1: the line, ^2: the name, ^3: why
  kIgnoredColumns, // ^1: the titles
  kFileExists,     // ^1: the file
  kNotUtf8,        // ^1: the file, ^2: the line, ^3: what is wrong
  kExported,       // ^1: the count, ^2: the list, ^3: the file
  kFileMissing,    // ^1: the file
  kNoFolder,       // ^1: the file, ^2: the folder
  kLineRefusedUnnamed,  // ^1: the line, ^2: why
};

std::string Say(int item, std::initializer_list<std::string> vars) {
  return VYXHelp(kListeMoreTexts, item, vars);
}
[[noreturn]] void Refuse(int16_t code, int item, std::initializer_list<std::string> utf8) {
  CPThrowMessage(code, Utf8ToMacRoman(Say(item, utf8)));
}

// The file's text as MacRoman lines ended by CR, for a tab stream; a line
// that is not UTF-8, or holds a character MacRoman lacks, refuses the file.
std::string ReadText(const std::string& path) {
  std::string utf8;
  if (path == "-") {
    utf8.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) Refuse(fnfErr, kFileMissing, {path});
    utf8.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) CPThrow(ioErr);
  }
  if (utf8.starts_with("\xEF\xBB\xBF")) utf8.erase(0, 3);  // a spreadsheet's byte order mark
  std::string macRoman;
  std::istringstream lines(utf8);
  std::string line;
  for (int n = 1; std::getline(lines, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      macRoman += Utf8ToMacRoman(line);
    } catch (const CPException& e) {
      Refuse(e.Code(), kNotUtf8, {path, std::to_string(n), VYXText(e.DisplayText())});
    }
    macRoman += '\r';
  }
  return macRoman;
}

// Writes `utf8` to a new file (or the standard output), all or nothing: a
// file cut short by a full disk is removed rather than left half written.
void WriteText(const std::string& path, const std::string& utf8) {
  if (path == "-") {
    std::cout << utf8 << std::flush;
    return;
  }
  fs::path target = fs::absolute(path);
  fs::path temp = target;
  temp += ".vyx-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) CPThrow(ioErr);
    out << utf8;
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      CPThrow(dskFulErr);
    }
  }
  // Not over a file that came meanwhile.
  std::error_code ec;
  if (fs::exists(target)) {
    fs::remove(temp, ec);
    Refuse(dupFNErr, kFileExists, {path});
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    CPThrow(ioErr);
  }
}

void Exporter(VYXCliContext& ctx, Liste liste, const std::string& path) {
  if (path != "-") {
    if (fs::exists(path)) Refuse(dupFNErr, kFileExists, {path});
    fs::path folder = fs::absolute(path).parent_path();
    if (!fs::is_directory(folder)) Refuse(dirNFErr, kNoFolder, {path, folder.string()});
  }
  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPImExStructure structure = VYXUserImExStructure(&dossier, set.GetType());
  CPHandleStream memory;
  CPTabCrStream text(&memory, true);
  std::vector<CPResID> ids = CPResourceIDsInOrder(set);
  set.ExportResources(text, ids, structure);
  std::string macRoman(reinterpret_cast<const char*>(memory.Data()), memory.GetLength());
  for (char& c : macRoman) {
    if (c == '\r') c = '\n';
  }
  WriteText(path, MacRomanToUtf8(macRoman));
  if (path == "-") {
    // The standard output holds the list itself.
  } else if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", fs::absolute(path).string()}, {"elements", ids.size()}});
  } else {
    *ctx.out << Say(kExported, {std::to_string(ids.size()), VYXText(ListeName(liste)),
                                fs::absolute(path).string()})
             << '\n';
  }
  session.Close();
}

// The fields a file exchanges, copied from the dossier's item to an
// account's copy of it; what only the account holds (a mode's cheque book
// or card) stays.
void CopyExchanged(const CPImExStructure& structure, CPResourceSet& from, CPResID fromID,
                   CPResourceSet& to, CPResID toID) {
  uint32_t size = from.GetDefaultSize();
  std::vector<unsigned char> source(size), target(size);
  from.GetResource(fromID, source.data(), size);
  to.GetResource(toID, target.data(), size);
  std::vector<unsigned char> had = target;
  for (const CPDataField& f : structure.Data().Fields()) {
    if (f.kind == CPFieldKind::kComputed) continue;
    std::string why;
    CPDataStructure::SetText(f, target.data(), CPDataStructure::GetText(f, source.data()), &why);
  }
  if (target != had) to.SetResource(toID, target.data(), size);
}

nlohmann::json LineJson(const CPImportLine& l) {
  static const char* const kOutcomes[] = {"ajoute", "renomme", "modifie", "inchange", "refuse"};
  nlohmann::json j = {{"ligne", l.line}, {"resultat", kOutcomes[l.outcome]}, {"nom", VYXText(l.name)}};
  if (l.outcome != CPImportLine::kRefused) j["donne"] = VYXText(l.given);
  if (l.outcome == CPImportLine::kRefused) j["raison"] = VYXText(l.reason);
  return j;
}

void Importer(VYXCliContext& ctx, Liste liste, const std::string& path, bool replace) {
  std::string text = ReadText(path);
  CPHandleStream memory;
  memory.WriteData(text.data(), long(text.size()));
  CPTabCrStream stream(&memory, true);
  // A file whose titles cannot be read is refused before the dossier opens.
  CPImExStructure columns = VYXUserImExStructure(nullptr, TypeOf(liste));
  CPReadImportTitles(stream, columns);

  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPImExStructure structure = VYXUserImExStructure(&dossier, set.GetType());
  // Fields replaced in the dossier reach the accounts' copies of the items.
  bool inAccounts = replace && liste != Liste::kDevises;
  if (inAccounts) session.OpenAllComptes();

  CPImportReport report;
  {
    VYXUserPreferences::Exclusive hold(dossier);
    set.ImportResources(stream, structure, replace ? kCPImportReplace : kCPImportAdd, &report);
    if (inAccounts) {
      VYXCompteList kind = VYXCompteListOf(SharedOf(liste));
      for (const CPImportLine& l : report.lines) {
        if (l.outcome != CPImportLine::kReplaced) continue;
        for (VYXCompte* compte : dossier.GetOpenComptes()) {
          CPResourceSet& theirs = compte->GetListSet(kind);
          Str255 name;
          StdToP(l.given, name);
          if (theirs.ResourceExists(name)) {
            CopyExchanged(structure, set, l.id, theirs, theirs.GetResourceID(name));
          }
        }
      }
    }
  }

  using O = CPImportLine;
  bool refused = report.Count(O::kRefused) > 0;
  if (ctx.json) {
    nlohmann::json lines = nlohmann::json::array();
    for (const O& l : report.lines) lines.push_back(LineJson(l));
    nlohmann::json ignored = nlohmann::json::array();
    for (const std::string& c : report.ignoredColumns) ignored.push_back(VYXText(c));
    VYXPrintJson(ctx, {{"ajoutes", report.Count(O::kAdded)},
                       {"renommes", report.Count(O::kRenamed)},
                       {"modifies", report.Count(O::kReplaced)},
                       {"inchanges", report.Count(O::kUnchanged)},
                       {"refuses", report.Count(O::kRefused)},
                       {"lignes", lines},
                       {"colonnesIgnorees", ignored}});
  } else {
    std::ostream& out = *ctx.out;
    out << Say(kImported, {VYXText(ListeName(liste)), std::to_string(report.Count(O::kAdded)),
                           std::to_string(report.Count(O::kRenamed)),
                           std::to_string(report.Count(O::kReplaced)),
                           std::to_string(report.Count(O::kUnchanged)),
                           std::to_string(report.Count(O::kRefused))})
        << '\n';
    for (const O& l : report.lines) {
      if (l.outcome == O::kRenamed) {
        out << Say(kLineRenamed, {std::to_string(l.line), VYXText(l.name), VYXText(l.given)})
            << '\n';
      } else if (l.outcome == O::kRefused && l.name.empty()) {
        out << Say(kLineRefusedUnnamed, {std::to_string(l.line), VYXText(l.reason)}) << '\n';
      } else if (l.outcome == O::kRefused) {
        out << Say(kLineRefused, {std::to_string(l.line), VYXText(l.name), VYXText(l.reason)})
            << '\n';
      }
    }
    if (!report.ignoredColumns.empty()) {
      std::string titles;
      for (const std::string& c : report.ignoredColumns)
        titles += (titles.empty() ? "« " : ", « ") + VYXText(c) + " »";
      out << Say(kIgnoredColumns, {titles}) << '\n';
    }
  }
  // Lines refused: the command did not do all it was asked.
  if (refused) ctx.exitCode = 1;
  session.Close();
}

}  // namespace

void vyxliste::AddImExCommands(CLI::App* type, Liste liste, VYXCliContext& ctx) {
  auto path = std::make_shared<std::string>();
  CLI::App* exporter = VYXAddSubcommand(type, "exporter", T2(kHelpExporter));
  exporter->add_option("FICHIER", *path, T2(kHelpFichierExport))->required();
  VYXAddJsonFlag(exporter, ctx);
  VYXSetCommand(exporter, [&ctx, liste, path] { Exporter(ctx, liste, *path); });

  CLI::App* importer = VYXAddSubcommand(type, "importer", T2(kHelpImporter));
  auto replace = std::make_shared<bool>(false);
  importer->add_option("FICHIER", *path, T2(kHelpFichierImport))->required();
  importer->add_flag("--remplacer", *replace, T2(kHelpRemplacer));
  VYXAddJsonFlag(importer, ctx);
  VYXSetCommand(importer, [&ctx, liste, path, replace] { Importer(ctx, liste, *path, *replace); });
}
