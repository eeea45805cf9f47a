// `vyx db`: inspection and maintenance of SimpleDB files. `info`, `lister` and
// `verifier` open the file for reading only and never write to it; they show a
// damaged file as far as it can be read and name the first fault (code and
// block). `compacter` is the one command that rewrites the file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPFileRollback.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBSalvage.h"
#include "simpledb/CPSimpleDBSession.h"
#include "simpledb/CPSimpleDBVerifier.h"

namespace {

constexpr int kDbTexts = 30110;
enum : int {
  kFile = 1,
  kSignature,
  kType,
  kStructureVersion,
  kContentVersion,
  kCreation,
  kModification,
  kFlags,
  kByteOrder,
  kBlocs,
  kRecords,
  kRecordsValue,
  kBigEndian,
  kLittleEndian,
  kOpenFlag,
  kLogFlag,
  kWindows,
  kStream,
  kStreamValue,
  kListHeader,
  kFreeMark,
  kSound,
  kIndexChecked,
  kIndexStale,
  kNoIndex,
  kFaultAt,
  kFaultInHeader,
  kCompacted,
  kLog,
  kLogValue,
  kLogAgrees,
  kLogAhead,
  kLogBehind,
  kLogMissing,
  kRebuilt,
  kNoDatabaseBeside,
  kSeveralBeside,
  kLogFault,
  kHelpDb = 40,
  kHelpInfo,
  kHelpLister,
  kHelpVerifier,
  kHelpCompacter,
  kHelpReconstruire,
  kHelpFichier,
  kHelpJournal,
  kHelpCible,
  kHelpVersionContenu,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kDbTexts, item, vars);
}

// Texts of the salvage and of the refusals of damaged files.
constexpr int kSalvageTexts = 30401;
enum : int {
  kHelpRecuperer = 1,
  kHelpSortie,
  kSalvaged,
  kNothingLeftOut,
  kLeftOutTitle,
  kLeftOutBlocs,
  kLeftOutRecord,
  kSalvagedName,
  kCompactDamaged,
  kSalvageExists,
  kSalvagedOne,
  kReasonNoRecord = 20,
  kReasonChecksum,
  kReasonPastEnd,
  kReasonNoID,
  kReasonDuplicate,
  kReasonPartBloc,
};

std::string S(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kSalvageTexts, item, vars);
}

// A four-character code as text; bytes that are no characters show as '?'.
std::string Code(OSType code) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) {
    auto c = static_cast<unsigned char>(code >> (24 - 8 * i));
    s[i] = static_cast<char>(c < 0x20 || c == 0x7F ? '?' : c);
  }
  return VYXText(s);
}

std::string DateText(CPDate date) {
  if (date == 0) return "-";
  Str255 day, time;
  CPDateToShortString(date, day);
  CPTimeToString(date, time, true);
  return VYXText(PToStd(day) + " " + PToStd(time));
}

std::string ErrorText(int16_t code) {
  std::string text = CPGetErrorText(code);
  if (text.empty()) text = CPGetListString(kCPErrorsListID, kCPUnknownErrorItem);
  CPReplaceVar(text, 1, std::to_string(code));
  return VYXText(text);
}

std::string FaultText(const CPSimpleDBFault& fault) {
  if (fault.refnum == 0) {
    return T(kFaultInHeader, {ErrorText(fault.code), std::to_string(fault.code)});
  }
  return T(kFaultAt,
           {ErrorText(fault.code), std::to_string(fault.code), std::to_string(fault.refnum)});
}

nlohmann::json FaultJson(const CPSimpleDBFault& fault) {
  if (!fault) return nullptr;
  return {{"code", fault.code}, {"bloc", fault.refnum}, {"message", ErrorText(fault.code)}};
}

// Errors that stop a command carry their code, so that a user can say which,
// and the file they are about.
template <typename F>
void WithCode(const std::string& path, F&& run) {
  try {
    run();
  } catch (const CPException& e) {
    if (e.IsCancel()) throw;
    CPThrowList(e.Code(), kVYXFileTexts, kFileError,
                {CPShownText(path), e.DisplayText(), std::to_string(e.Code())});
  }
}

// A label padded to a column, counted in characters (the labels are UTF-8).
void Line(std::ostream& out, const std::string& label, const std::string& value) {
  const size_t width = VYXTextWidth(label);
  out << label << std::string(width < 22 ? 22 - width : 0, ' ') << ' ' << value << '\n';
}
void Line(std::ostream& out, int label, const std::string& value) { Line(out, T(label), value); }

// The event log beside a database, read without changing it: how many
// events, the last eventID and how it stands against the header's.
struct LogSummary {
  bool present = false;
  std::string path;
  uint32_t events = 0;
  uint32_t lastEventID = 0;
  uint64_t bytes = 0;
  int16_t fault = 0;
};

LogSummary SummariseLog(const std::string& path) {
  LogSummary summary;
  CPFileRef log = CPSimpleDBFile(CPFileRef(path)).GetEventLogFileSpec();
  summary.path = log.Path().string();
  if (!log.Exists()) return summary;
  summary.present = true;
  try {
    CPSimpleDBEventFile events(log);
    events.Open(kCPFileRead);
    summary.bytes = events.GetNextEventRefnum();
    events.ReadHeader();
    events.Play(0, 0, false, [&](CPSimpleDBLogEvent&) { return ++summary.events, true; });
    summary.lastEventID = events.GetLastEventID();
  } catch (const CPException& e) {
    summary.fault = e.Code();
  }
  return summary;
}

// ---- An event log given to `info`

constexpr int kDbLogTexts = 30503;
enum : int {
  kLogEventsValue = 1,  // ^1: the count, ^2: the bytes
  kLogEvents,
  kLogFirst,
  kLogLast,
  kLogEventValue,    // ^1: the eventID, ^2: the action, ^3: the type, ^4: the dataID
  kLogNone,
  kLogBase,
  kLogBaseValue,     // ^1: the database, ^2: its eventID, ^3: how it stands
  kLogNoBase,
  kLogBaseAgrees,
  kLogBaseAhead,
  kLogBaseBehind,
  kLogActionFirst,   // four items: add, modify, delete, move
};

std::string L(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kDbLogTexts, item, vars);
}

// The file is an event log when its header carries the log's marker.
bool IsEventLog(const std::string& path, CPSimpleDBLogFileHeader* header) {
  try {
    CPSimpleDBEventFile log{CPFileRef(path)};
    log.Open(kCPFileRead);
    *header = log.ReadHeader();
    return true;
  } catch (const CPException&) {
    return false;
  }
}

// The database a log belongs to: beside it, naming it as its log, and of the
// same base (baseID and noBase); empty when there is none.
CPFileRef OwnerOfLog(const CPFileRef& log, const CPSimpleDBLogFileHeader& header,
                     CPSimpleDBHeader* found) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(log.Folder().Path(), ec)) {
    if (!entry.is_regular_file() || entry.path() == log.Path()) continue;
    CPFileRef candidate(entry.path());
    if (!CPSimpleDBFile(candidate).GetEventLogFileSpec().SameFile(log)) continue;
    try {
      CPSimpleDBInspector base{candidate};
      if (base.Header().baseID == header.baseID && base.Header().noBase == header.noBase) {
        *found = base.Header();
        return candidate;
      }
    } catch (const CPException&) {
      // Not a database, or not one that can be read: not the owner.
    }
  }
  return {};
}

// `info` of an event log: its header, its events (how many, the first and
// the last), and the database it belongs to with how it stands against it.
void LogInfo(VYXCliContext& ctx, const std::string& path, const CPSimpleDBLogFileHeader& h) {
  CPFileRef logRef{path};
  CPSimpleDBEventFile log{logRef};
  log.Open(kCPFileRead);
  uint32_t bytes = log.GetNextEventRefnum();
  uint32_t count = 0;
  CPSimpleDBLogEvent first, last;
  int16_t fault = 0;
  try {
    log.Play(0, 0, false, [&](CPSimpleDBLogEvent& e) {
      if (count++ == 0) first = e;
      last = e;
      return true;
    });
  } catch (const CPException& e) {
    fault = e.Code();
  }
  log.Close();
  CPSimpleDBHeader baseHeader;
  CPFileRef base = OwnerOfLog(logRef, h, &baseHeader);
  CPSimpleDBEventID lastID = count ? last.eventID : h.eventID;
  const int standing = baseHeader.eventID == lastID  ? kLogBaseAgrees
                       : baseHeader.eventID > lastID ? kLogBaseAhead
                                                     : kLogBaseBehind;
  auto action = [](const CPSimpleDBLogEvent& e) {
    uint32_t n = (e.action & kSDBLogActionMask) / kSDBLogAdd;
    return n >= 1 && n <= 4 ? L(kLogActionFirst + int(n) - 1) : std::to_string(e.action);
  };
  auto eventJson = [&](const CPSimpleDBLogEvent& e) -> nlohmann::json {
    return {{"eventID", e.eventID}, {"action", action(e)}, {"type", Code(e.info.type)},
            {"dataID", e.info.dataID}};
  };
  auto eventText = [&](const CPSimpleDBLogEvent& e) {
    return L(kLogEventValue, {std::to_string(e.eventID), action(e), Code(e.info.type),
                              std::to_string(e.info.dataID)});
  };
  std::string signature(reinterpret_cast<const char*>(h.signature + 1),
                        std::min<size_t>(h.signature[0], sizeof h.signature - 1));
  if (ctx.json) {
    nlohmann::json baseJson = nullptr;
    if (!base.Empty()) {
      baseJson = {{"fichier", base.Path().string()},
                  {"eventID", baseHeader.eventID},
                  {"accord", baseHeader.eventID == lastID}};
    }
    VYXPrintJson(ctx, {{"fichier", path},
                       {"journal", true},
                       {"signature", VYXText(signature)},
                       {"type", Code(h.type)},
                       {"creation", VYXDateTimeJson(h.creation)},
                       {"modification", VYXDateTimeJson(h.modification)},
                       {"baseID", h.baseID},
                       {"noBase", h.noBase},
                       {"evenements", count},
                       {"octets", bytes},
                       {"premier", count ? eventJson(first) : nlohmann::json()},
                       {"dernier", count ? eventJson(last) : nlohmann::json()},
                       {"base", baseJson},
                       {"defaut", fault ? nlohmann::json(fault) : nlohmann::json()}});
  } else {
    std::ostream& out = *ctx.out;
    Line(out, kFile, path + " " + T(kLogFlag));
    Line(out, kSignature, VYXText(signature));
    Line(out, kType, Code(h.type));
    Line(out, kCreation, DateText(h.creation));
    Line(out, kModification, DateText(h.modification));
    Line(out, "baseID", std::to_string(h.baseID));
    Line(out, "noBase", std::to_string(h.noBase));
    Line(out, L(kLogEvents), L(kLogEventsValue, {std::to_string(count), std::to_string(bytes)}));
    Line(out, L(kLogFirst), count ? eventText(first) : L(kLogNone));
    Line(out, L(kLogLast), count ? eventText(last) : L(kLogNone));
    Line(out, L(kLogBase),
         base.Empty() ? L(kLogNoBase)
                      : L(kLogBaseValue, {base.Path().string(), std::to_string(baseHeader.eventID),
                                          L(standing)}));
    if (fault) out << T(kLogFault, {ErrorText(fault), std::to_string(fault)}) << '\n';
  }
  if (fault) ctx.exitCode = 1;
}

void Info(VYXCliContext& ctx, const std::string& path) {
  CPSimpleDBLogFileHeader logHeader;
  if (IsEventLog(path, &logHeader)) {
    LogInfo(ctx, path, logHeader);
    return;
  }
  CPSimpleDBInspector file{CPFileRef(path)};
  CPSimpleDBVerdict counts;
  CPSimpleDBFault fault = file.Walk([&](const CPSimpleDBRecordView& r) {
    ++(r.header.info.IsFree() ? counts.free : counts.live);
    if (r.header.info.IsFree()) counts.freeBlocs += r.blocs;
  });
  const CPSimpleDBHeader& h = file.Header();
  const CPDataEncoding& e = file.HeaderEncoding();
  uint32_t blocs = (file.DataEnd() - kSDBHeaderAreaSize) / kSDBBlocSize;
  uint32_t streamSize = h.stream ? file.FileLength() - h.stream : 0;
  const bool logged = (h.flags & kSDBHeaderLogFlag) != 0;
  const LogSummary log = SummariseLog(path);
  const int standing = log.lastEventID == h.eventID  ? kLogAgrees
                       : log.lastEventID > h.eventID ? kLogAhead
                                                     : kLogBehind;
  nlohmann::json logJson = nullptr;
  if (log.present) {
    logJson = {{"fichier", log.path},
               {"evenements", log.events},
               {"dernierEventID", log.lastEventID},
               {"octets", log.bytes},
               {"accord", !log.fault && log.lastEventID == h.eventID},
               {"defaut", log.fault ? nlohmann::json(log.fault) : nlohmann::json()}};
  }
  if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", path},
                       {"signature", VYXText(h.Signature())},
                       {"type", Code(h.type)},
                       {"structureVersion", h.structureVersion},
                       {"contentVersion", h.contentVersion},
                       {"creation", VYXDateTimeJson(h.creation)},
                       {"modification", VYXDateTimeJson(h.modification)},
                       {"baseID", h.baseID},
                       {"noBase", h.noBase},
                       {"eventID", h.eventID},
                       {"autoID", h.autoID},
                       {"indexRefnum", h.indexRefnum},
                       {"indexEventID", h.indexEventID},
                       {"flags", h.flags},
                       {"ouvert", file.Unclean()},
                       {"journal", logged},
                       {"journalDetail", logJson},
                       {"grosBoutiste", e.integerEncoding == kCPBigEndian},
                       {"windows", e.stringEncoding == kCPWindowsLatin1},
                       {"flux", streamSize},
                       {"blocs", blocs},
                       {"vivants", counts.live},
                       {"libres", counts.free},
                       {"blocsLibres", counts.freeBlocs},
                       {"defaut", FaultJson(fault)}});
  } else {
    std::ostream& out = *ctx.out;
    Line(out, kFile, path);
    Line(out, kSignature, VYXText(h.Signature()));
    Line(out, kType, Code(h.type));
    Line(out, kStructureVersion, std::to_string(h.structureVersion));
    Line(out, kContentVersion, std::to_string(h.contentVersion));
    Line(out, kCreation, DateText(h.creation));
    Line(out, kModification, DateText(h.modification));
    Line(out, "baseID", std::to_string(h.baseID));
    Line(out, "noBase", std::to_string(h.noBase));
    Line(out, "eventID", std::to_string(h.eventID));
    Line(out, "autoID", std::to_string(h.autoID));
    Line(out, "indexRefnum", std::to_string(h.indexRefnum));
    Line(out, "indexEventID", std::to_string(h.indexEventID));
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%08X", h.flags);
    std::string flagText = flags;
    if (file.Unclean()) flagText += " " + T(kOpenFlag);
    if (h.flags & kSDBHeaderLogFlag) flagText += " " + T(kLogFlag);
    Line(out, kFlags, flagText);
    std::string order = T(e.integerEncoding == kCPBigEndian ? kBigEndian : kLittleEndian);
    if (e.stringEncoding == kCPWindowsLatin1) order += ", " + T(kWindows);
    Line(out, kByteOrder, order);
    if (h.stream) Line(out, kStream, T(kStreamValue, {std::to_string(streamSize)}));
    Line(out, kBlocs, std::to_string(blocs));
    Line(out, kRecords,
         T(kRecordsValue, {std::to_string(counts.live), std::to_string(counts.free),
                           std::to_string(counts.freeBlocs)}));
    if (log.fault) {
      Line(out, kLog,
           log.path + " : " + T(kLogFault, {ErrorText(log.fault), std::to_string(log.fault)}));
    } else if (log.present) {
      Line(out, kLog,
           T(kLogValue, {log.path, std::to_string(log.events), std::to_string(log.lastEventID),
                         std::to_string(log.bytes), T(standing)}));
    } else if (logged) {
      Line(out, kLog, log.path + " : " + T(kLogMissing));
    }
    if (fault) out << FaultText(fault) << '\n';
  }
  if (fault) ctx.exitCode = 1;
}

void List(VYXCliContext& ctx, const std::string& path) {
  CPSimpleDBInspector file{CPFileRef(path)};
  nlohmann::json rows = nlohmann::json::array();
  std::ostream& out = *ctx.out;
  if (!ctx.json) out << T(kListHeader) << '\n';
  CPSimpleDBFault fault = file.Walk([&](const CPSimpleDBRecordView& r) {
    const CPSimpleDBDataInfo& i = r.header.info;
    bool free = i.IsFree();
    if (ctx.json) {
      rows.push_back({{"bloc", r.refnum},
                      {"blocs", r.blocs},
                      {"dataID", i.dataID},
                      {"type", Code(i.type)},
                      {"format", Code(i.format)},
                      {"version", i.GetVersion()},
                      {"taille", r.header.size},
                      {"flags", i.flags},
                      {"libre", free}});
      return;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%8u %6u %10u %-4s %-4s %7d %9u 0x%08X", r.refnum, r.blocs,
                  i.dataID, Code(i.type).c_str(), Code(i.format).c_str(), i.GetVersion(),
                  r.header.size, i.flags);
    out << line << (free ? " " + T(kFreeMark) : std::string()) << '\n';
  });
  if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", path}, {"enregistrements", rows}, {"defaut", FaultJson(fault)}});
  } else if (fault) {
    out << FaultText(fault) << '\n';
  }
  if (fault) ctx.exitCode = 1;
}

// A logged file is sound only with a log that can serve it: one that the
// next opening would refuse, or set aside, is a fault too.
void Verify(VYXCliContext& ctx, const std::string& path) {
  CPSimpleDBInspector file{CPFileRef(path)};
  CPSimpleDBVerdict v = file.Verify();
  const CPFileRef log = CPSimpleDBFile(CPFileRef(path)).GetEventLogFileSpec();
  const int16_t logFault = (file.Header().flags & kSDBHeaderLogFlag)
                               ? CPSimpleDBEventFile::Check(log, file.Header())
                               : int16_t(0);
  const char* index[] = {"absent", "conforme", "perime"};
  if (ctx.json) {
    nlohmann::json logJson = nullptr;
    if (logFault) {
      logJson = {{"fichier", log.Path().string()},
                 {"defaut", {{"code", logFault}, {"message", ErrorText(logFault)}}}};
    }
    VYXPrintJson(ctx, {{"fichier", path},
                       {"sain", !v.fault && !logFault},
                       {"blocs", v.blocs},
                       {"vivants", v.live},
                       {"libres", v.free},
                       {"blocsLibres", v.freeBlocs},
                       {"index", v.fault ? nlohmann::json() : nlohmann::json(index[v.index])},
                       {"ouvert", file.Unclean()},
                       {"defaut", FaultJson(v.fault)},
                       {"journal", logJson}});
  } else if (v.fault) {
    *ctx.out << FaultText(v.fault) << '\n';
  } else if (logFault) {
    *ctx.out << VYXHelp(kVYXFileTexts, kFileLogUnusable,
                        {log.Path().string(), ErrorText(logFault), std::to_string(logFault)})
             << '\n';
  } else {
    int indexText = v.index == CPSimpleDBVerdict::kIndexChecked ? kIndexChecked
                    : v.index == CPSimpleDBVerdict::kIndexStale ? kIndexStale
                                                                : kNoIndex;
    *ctx.out << T(kSound, {std::to_string(v.live), std::to_string(v.blocs),
                           std::to_string(v.freeBlocs), T(indexText)})
             << '\n';
  }
  if (v.fault || logFault) ctx.exitCode = 1;
}

// Every record read whole, its checksum checked: a damaged record is not
// moved about by a compaction, which would say the file is fine.
void CheckBeforeCompacting(CPSimpleDBFile& file) {
  CPSimpleDBBlocsHandler& blocs = file.GetBlocsHandler();
  try {
    std::vector<unsigned char> data;
    blocs.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
      if (!h.info.IsFree()) blocs.ReadRecord(r, nullptr, nullptr, &data);
      return true;
    });
  } catch (const CPException& e) {
    if (e.IsCancel()) throw;
    CPThrowMessage(e.Code(), Utf8ToMacRoman(S(kCompactDamaged, {VYXText(e.DisplayText())})));
  }
}

// All or nothing: a compaction that cannot finish (a full disk) puts the
// file back as it was.
void Compact(VYXCliContext& ctx, const std::string& path) {
  CPFileRollback rollback;
  uint32_t before = 0, after = 0;
  try {
    CPSimpleDBFile file{CPFileRef(path)};
    file.Open(UINT32_MAX, false, false);
    if (file.IsReadOnly()) CPThrow(kSDBErrReadOnly);
    CheckBeforeCompacting(file);
    before = file.GetBlocsHandler().GetNbOfBlocs();
    {
      CPSimpleDBSession session(&file);
      file.Compact(&session);
    }
    // Closing cuts the free blocks the moves left at the end.
    file.Close();
    rollback.Commit();
    CPFileStream closed{CPFileRef(path)};
    closed.Open(kCPFileRead);
    after = (closed.GetLength() - kSDBHeaderAreaSize) / kSDBBlocSize;
  } catch (...) {
    const bool wrote = rollback.Wrote() && rollback.WriteFailed();
    std::string why;
    if (!rollback.Rollback(&why)) {
      ctx.undo = VYXCliContext::Undo::kNotUndone;
      ctx.undoFailure = why;
    } else if (wrote) {
      ctx.undo = VYXCliContext::Undo::kUndone;
    }
    throw;
  }
  if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", path}, {"blocsAvant", before}, {"blocsApres", after}});
  } else {
    *ctx.out << T(kCompacted, {std::to_string(before), std::to_string(after)}) << '\n';
  }
}

// The database a log belongs to, when none is named: the one file beside it
// whose log it is.
// A candidate is a database file (its header says so) of the base that wrote
// the log: the share file and other files of the same name are not.
bool IsDatabaseOf(const CPFileRef& candidate, const CPSimpleDBLogFileHeader& log) {
  try {
    CPSimpleDBInspector file(candidate);
    return file.Header().baseID == log.baseID && file.Header().noBase == log.noBase;
  } catch (const CPException&) {
    return false;
  }
}

CPFileRef DatabaseBeside(const CPFileRef& given) {
  // "K.evt" typed alone lies in the current folder.
  const CPFileRef log{std::filesystem::absolute(given.Path())};
  CPSimpleDBEventFile events(log);
  events.Open(kCPFileRead);
  const CPSimpleDBLogFileHeader header = events.ReadHeader();
  events.Close();
  std::vector<CPFileRef> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(log.Folder().Path(), ec)) {
    if (!entry.is_regular_file() || entry.path() == log.Path()) continue;
    CPFileRef candidate(entry.path());
    const std::string name = candidate.Name();
    if (name.size() > 4 && name[name.size() - 4] == '.' &&
        CPSimpleDBFile(candidate).GetEventLogFileSpec().SameFile(log) &&
        IsDatabaseOf(candidate, header)) {
      found.push_back(candidate);
    }
  }
  if (found.empty()) CPThrowMessage(paramErr, Utf8ToMacRoman(T(kNoDatabaseBeside)));
  if (found.size() > 1) CPThrowMessage(paramErr, Utf8ToMacRoman(T(kSeveralBeside)));
  return found.front();
}

void Rebuild(VYXCliContext& ctx, const std::string& logPath, const std::string& path,
             uint32_t contentVersion) {
  const CPFileRef log{logPath};
  if (!log.Exists()) CPThrow(kSDBErrLogMissing);
  const CPFileRef target = path.empty() ? DatabaseBeside(log) : CPFileRef(path);
  const bool existed = target.Exists();
  OSType creator = CPFileSystem::GetFileCreator(log);
  CPSimpleDBFile file{target};
  file.Rebuild(log, creator ? creator : CPFourCC("VyxP"), existed ? UINT32_MAX : contentVersion,
               false);
  const uint32_t records = file.GetNbOfData(nullptr);
  const uint32_t eventID = file.GetEventID(), autoID = file.GetAutoID();
  file.Close();
  if (ctx.json) {
    VYXPrintJson(ctx, {{"fichier", target.Path().string()},
                       {"journal", logPath},
                       {"nouveau", !existed},
                       {"enregistrements", records},
                       {"eventID", eventID},
                       {"autoID", autoID}});
  } else {
    *ctx.out << T(kRebuilt, {target.Path().string(), std::to_string(records),
                             std::to_string(eventID), std::to_string(autoID)})
             << '\n';
  }
}

// "Courant.cpt" gives "Courant (récupéré).cpt", then "Courant (récupéré 2).cpt"...
CPFileRef SalvageName(const CPFileRef& damaged) {
  const std::filesystem::path path = damaged.Path();
  const std::string stem = path.stem().string(), extension = path.extension().string();
  for (int n = 1;; ++n) {
    std::string name = S(kSalvagedName, {stem});
    if (n > 1) name.insert(name.size() - 1, " " + std::to_string(n));
    CPFileRef candidate = damaged.Sibling(name + extension);
    if (!candidate.Exists()) return candidate;
  }
}

std::string ReasonText(int16_t code) {
  switch (code) {
    case kSDBErrChecksum: return S(kReasonChecksum);
    case kSDBErrBadRefnum: return S(kReasonPastEnd);
    case kSDBErrNoDataID: return S(kReasonNoID);
    case kSDBErrDuplicateID: return S(kReasonDuplicate);
    case kSDBErrNotWholeBlocs: return S(kReasonPartBloc);
    default: return S(kReasonNoRecord);
  }
}

void Salvage(VYXCliContext& ctx, const std::string& path, const std::string& output) {
  const CPFileRef damaged{path};
  if (!damaged.Exists()) CPThrow(fnfErr);
  const CPFileRef target = output.empty() ? SalvageName(damaged) : CPFileRef(output);
  if (target.Exists() || target.SameFile(damaged)) {
    CPThrowMessage(dupFNErr, Utf8ToMacRoman(S(kSalvageExists, {target.Path().string()})));
  }
  const CPSimpleDBSalvageReport report = CPSimpleDBSalvage(damaged, target);
  if (ctx.json) {
    nlohmann::json left = nlohmann::json::array();
    for (const CPSimpleDBLeftOut& l : report.leftOut) {
      left.push_back({{"bloc", l.refnum},
                      {"blocs", l.blocs},
                      {"dataID", l.dataID ? nlohmann::json(l.dataID) : nlohmann::json()},
                      {"type", l.dataID ? nlohmann::json(Code(l.type)) : nlohmann::json()},
                      {"code", l.code},
                      {"raison", ReasonText(l.code)}});
    }
    VYXPrintJson(ctx, {{"fichier", path},
                       {"sortie", target.Path().string()},
                       {"recuperes", report.copied},
                       {"laisses", left}});
    return;
  }
  std::ostream& out = *ctx.out;
  out << S(report.copied > 1 ? kSalvaged : kSalvagedOne,
           {target.Path().string(), std::to_string(report.copied), path})
      << '\n';
  if (report.leftOut.empty()) {
    out << S(kNothingLeftOut) << '\n';
    return;
  }
  out << S(kLeftOutTitle) << '\n';
  for (const CPSimpleDBLeftOut& l : report.leftOut) {
    const std::string last = std::to_string(l.refnum + l.blocs - 1);
    if (l.dataID) {
      out << S(kLeftOutRecord, {std::to_string(l.refnum), last, std::to_string(l.dataID),
                                Code(l.type), ReasonText(l.code)})
          << '\n';
    } else {
      out << S(kLeftOutBlocs, {std::to_string(l.refnum), last, ReasonText(l.code)}) << '\n';
    }
  }
}

}  // namespace

void VYXAddDbCommands(CLI::App& app, VYXCliContext& ctx) {
  auto* db = VYXAddSubcommand(&app, "db", T(kHelpDb));
  db->require_subcommand(1);
  struct Entry {
    const char* name;
    int help;
    void (*run)(VYXCliContext&, const std::string&);
  } entries[] = {
      {"info", kHelpInfo, Info},
      {"lister", kHelpLister, List},
      {"verifier", kHelpVerifier, Verify},
      {"compacter", kHelpCompacter, Compact},
  };
  for (const Entry& entry : entries) {
    auto* sub = VYXAddSubcommand(db, entry.name, T(entry.help));
    auto path = std::make_shared<std::string>();
    sub->add_option("FICHIER", *path, T(kHelpFichier))->required();
    VYXAddJsonFlag(sub, ctx);
    auto run = entry.run;
    VYXSetCommand(sub, [&ctx, path, run] { WithCode(*path, [&] { run(ctx, *path); }); });
  }
  auto* rebuild = VYXAddSubcommand(db, "reconstruire", T(kHelpReconstruire));
  auto logPath = std::make_shared<std::string>();
  auto path = std::make_shared<std::string>();
  auto version = std::make_shared<uint32_t>(1);
  rebuild->add_option("JOURNAL", *logPath, T(kHelpJournal))->required();
  rebuild->add_option("FICHIER", *path, T(kHelpCible));
  rebuild->add_option("--version-contenu", *version, T(kHelpVersionContenu));
  VYXAddJsonFlag(rebuild, ctx);
  VYXSetCommand(rebuild, [&ctx, logPath, path, version] {
    WithCode(*logPath, [&] { Rebuild(ctx, *logPath, *path, *version); });
  });

  auto* salvage = VYXAddSubcommand(db, "recuperer", S(kHelpRecuperer));
  auto damaged = std::make_shared<std::string>();
  auto output = std::make_shared<std::string>();
  salvage->add_option("FICHIER", *damaged, T(kHelpFichier))->required();
  salvage->add_option("SORTIE", *output, S(kHelpSortie));
  VYXAddJsonFlag(salvage, ctx);
  VYXSetCommand(salvage, [&ctx, damaged, output] {
    WithCode(*damaged, [&] { Salvage(ctx, *damaged, *output); });
  });
}
