// The built-in commands of the script language.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "foundation/CPException.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"
#include "online/CPSimpleScriptRunner.h"
#include "platform/CPInteraction.h"

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

// The value of the first option named `name` (case counts unless told).
const std::string* Option(const Options& options, std::string_view name, bool anyCase = false) {
  for (const auto& [n, v] : options)
    if (anyCase ? CPScriptSameName(n, name) : n == name) return &v;
  return nullptr;
}

std::string OptionText(const Options& options, std::string_view name, bool anyCase = false) {
  const std::string* v = Option(options, name, anyCase);
  return v ? *v : std::string();
}

std::string KeepOnly(const std::string& text, std::string_view kept) {
  std::string out;
  for (char c : text)
    if (std::isdigit(static_cast<unsigned char>(c)) || kept.find(c) != std::string_view::npos) out += c;
  return out;
}

bool TestHolds(const std::string& test, const std::string& v1, const std::string& v2) {
  std::string a = CPScriptFold(v1), b = CPScriptFold(v2);
  auto begins = [&] { return a.compare(0, b.size(), b) == 0 && a.size() >= b.size(); };
  auto ends = [&] { return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0; };
  if (test == "NOTEQUAL") return a != b;
  if (test == "BEGINSWITH") return begins();
  if (test == "DOESNTBEGINWITH") return !begins();
  if (test == "ENDSWITH") return ends();
  if (test == "DOESNTENDWITH") return !ends();
  if (test == "CONTAINS") return a.find(b) != std::string::npos;
  if (test == "DOESNTCONTAIN") return a.find(b) == std::string::npos;
  return a == b;  // EQUAL, and any name the language does not know
}

}  // namespace

bool CPSimpleScriptRunner::DoScriptInfos(long, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  const std::string* version = Option(options, "VERS");
  return version && *version != "1.0";
}

bool CPSimpleScriptRunner::DoLabel(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  if (const std::string* name = Option(options, "NAME")) SetLabel(scriptNumber, *name, reader.GetLastMarker());
  return false;
}

bool CPSimpleScriptRunner::DoGoto(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  std::string label = OptionText(options, "LABEL");
  if (label.empty()) label = OptionText(options, "TRUE");
  const std::string* test = Option(options, "TEST");
  if (!test || TestHolds(*test, OptionText(options, "VALUE1"), OptionText(options, "VALUE2")))
    Jump(scriptNumber, reader, label);
  else
    Jump(scriptNumber, reader, OptionText(options, "FALSE"));
  return false;
}

bool CPSimpleScriptRunner::DoSetVar(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  std::string value = OptionText(options, "VALUE", true);
  auto number = [&](std::string_view name) { return CPScriptLong(OptionText(options, name, true)); };

  std::string from = OptionText(options, "FROM", true);
  if (!from.empty()) {
    size_t at = value.find(from);
    if (at != std::string::npos) value.erase(0, at);
  }
  std::string to = OptionText(options, "TO", true);
  if (!to.empty()) {
    size_t at = value.find(to);
    if (at != std::string::npos) value.resize(at + to.size());
  }
  long left = std::max(number("OFFSET"), number("OFFSETL"));
  long right = number("OFFSETR");
  if (left >= 1 || right >= 1) {
    left = std::max(left, 1L);
    right = std::max(right, 1L);
    long kept = static_cast<long>(value.size()) - left - right + 2;
    value = kept < 1 ? std::string() : value.substr(left - 1, kept);
  }
  if (Option(options, "LENGTH", true)) {
    long length = number("LENGTH");
    value = length > 0 ? value.substr(0, length) : std::string();
  }
  if (long shorten = number("SHORTEN"); shorten > 0)
    value = shorten >= static_cast<long>(value.size()) ? std::string() : value.substr(0, value.size() - shorten);
  std::string as = CPScriptFold(OptionText(options, "AS", true));
  if (as == "number") value = KeepOnly(value, ",-.");
  if (as == "date") value = KeepOnly(value, "/");
  if (Option(options, "INCREMENT", true)) value = std::to_string(CPScriptLong(value) + number("INCREMENT"));

  std::string name = OptionText(options, "NAME");
  if (!name.empty()) SetVar(scriptNumber, name, value, std::max(0L, number("INDEX")));
  return false;
}

bool CPSimpleScriptRunner::DoWait(long, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  long seconds = std::clamp(CPScriptLong(OptionText(options, "TIME")), 0L, limits_.maxWaitSeconds);
  if (seconds <= 0) return false;
  if (waiter_) {
    waiter_(seconds);
  } else {
    // Ten ticks at a time, as the interface would be given a turn.
    for (long step = 0; step < seconds * 6; ++step) std::this_thread::sleep_for(std::chrono::milliseconds(167));
  }
  return false;
}

bool CPSimpleScriptRunner::DoAlert(long, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  CPGetInteraction().Alert(OptionText(options, "MESSAGE"));
  return false;
}

bool CPSimpleScriptRunner::AskAndJump(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  bool yes = CPGetInteraction().AskYesNo(OptionText(options, "MESSAGE"), false);
  Jump(scriptNumber, reader, OptionText(options, yes ? "OK" : "CANCEL"));
  return false;
}

bool CPSimpleScriptRunner::DoConfirm(long scriptNumber, Reader& reader, bool) {
  return AskAndJump(scriptNumber, reader, false);
}

bool CPSimpleScriptRunner::DoYesOrNot(long scriptNumber, Reader& reader, bool) {
  return AskAndJump(scriptNumber, reader, true);
}

bool CPSimpleScriptRunner::DoAsk(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  std::string message = OptionText(options, "MESSAGE");
  if (message.empty()) return false;
  std::string var = OptionText(options, "VAR");
  std::string answer = OptionText(options, "DEFAULT");
  bool secret = CPScriptIsSecretName(var);
  if (CPGetInteraction().AskText(message, &answer, secret)) {
    if (secret) AddSecret(answer);
    if (!var.empty()) SetVar(scriptNumber, var, answer);
    Jump(scriptNumber, reader, OptionText(options, "OK"));
  } else {
    Jump(scriptNumber, reader, OptionText(options, "CANCEL"));
  }
  return false;
}

CPSimpleScriptRef CPSimpleScriptRunner::ResolveScript(const std::string& folder, const std::string& file) const {
  std::filesystem::path special;
  if (!folder.empty() && GetSpecialFolder(folder, &special)) {
    CPCheckRelativeName(file);
    return CPFileContainer::Folder(special).Ref(file);
  }
  return container_.Ref(folder, file);
}

bool CPSimpleScriptRunner::DoInclude(long scriptNumber, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  CPSimpleScriptRef ref = ResolveScript(OptionText(options, "FOLDER"), OptionText(options, "FILE"));
  ExecuteScript(CPScriptSourceToMacRoman(ref.GetStream()), scriptNumber, ref.Name());
  return false;
}

bool CPSimpleScriptRunner::DoScript(long, Reader& reader, bool) {
  Options options = ReadOptions(reader);
  CPSimpleScriptRef ref = ResolveScript(OptionText(options, "FOLDER"), OptionText(options, "SCRIPT"));
  std::string source = CPScriptSourceToMacRoman(ref.GetStream());
  ExecuteScript(source, NextScriptNumber(), ref.Name());
  return false;
}

bool CPSimpleScriptRunner::DoCallApplication(long, Reader& reader, bool) {
  std::vector<CPSimpleScriptCallBackParam> params;
  for (auto& [name, value] : ReadOptions(reader)) params.push_back({name, value});
  return CallBack(params);
}
