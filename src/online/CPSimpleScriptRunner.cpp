#include "online/CPSimpleScriptRunner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "foundation/CPException.h"
#include "foundation/CPStream.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"

namespace {

constexpr std::string_view kMask = "********";

// An index part made of digits, blanks and "-".
bool IsIndexText(std::string_view text) {
  if (text.empty()) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == ' ' || c == '-';
  });
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

CPSimpleScriptRunner::CPSimpleScriptRunner(CPFileContainer container) : container_(std::move(container)) {}

CPSimpleScriptRunner::~CPSimpleScriptRunner() = default;

// ---- Variables ----

bool CPSimpleScriptRunner::ResolveIndex(std::string_view fullName, bool forWrite, std::string* base,
                                        long* index, std::string* special) const {
  *base = std::string(fullName);
  *index = 0;
  special->clear();
  size_t first = fullName.find(';');
  if (first == std::string_view::npos) return true;
  std::string_view name = fullName.substr(0, first);
  std::string_view rest = fullName.substr(first + 1);
  size_t second = rest.find(';');
  std::string i(rest.substr(0, second));
  std::string j = second == std::string_view::npos ? std::string() : std::string(rest.substr(second + 1));
  if (!forWrite && (i == "LAST" || i == "END")) {
    *base = std::string(name);
    *special = i;
    return true;
  }
  // Either part may be the name of a variable holding the number.
  auto replace = [this](std::string& part) {
    std::string value;
    if (!part.empty() && !IsIndexText(part) && vars_.Find(part, 0)) part = vars_.Find(part, 0)->value;
  };
  replace(i);
  replace(j);
  if (!IsIndexText(i) || CPScriptLong(i) <= 0) return true;  // a plain name after all
  long n = CPScriptLong(i);
  if (second != std::string_view::npos) n += CPScriptLong(j) - (forWrite ? 1 : 0);
  if (n <= 0) return true;
  *base = std::string(name);
  *index = n;
  return true;
}

bool CPSimpleScriptRunner::SetVar(long scriptNumber, std::string_view name, std::string_view value,
                                  long index) {
  std::string base(name), special;
  long resolved = index;
  if (index <= 0) ResolveIndex(name, true, &base, &resolved, &special);
  if (CPScriptIsSecretName(base)) AddSecret(value);
  return vars_.Set(scriptNumber, base, value, resolved);
}

void CPSimpleScriptRunner::SetVarAsArray(long scriptNumber, std::string_view name,
                                         const std::vector<std::string>& items) {
  for (size_t k = 0; k < items.size(); ++k) SetVar(scriptNumber, name, items[k], static_cast<long>(k + 1));
}

bool CPSimpleScriptRunner::GetVarLastIndex(std::string_view name, unsigned long* last) const {
  std::vector<long> indexes = vars_.Indexes(name);
  if (indexes.empty()) return false;
  *last = static_cast<unsigned long>(indexes.back());
  return true;
}

std::vector<long> CPSimpleScriptRunner::GetVarIndexes(std::string_view name) const {
  return vars_.Indexes(name);
}

bool CPSimpleScriptRunner::GetVar(std::string_view name, long* scriptNumber, std::string* value,
                                  long index) const {
  std::string base(name), special;
  long resolved = index;
  if (index <= 0) ResolveIndex(name, false, &base, &resolved, &special);
  const CPSimpleScriptVar* var = nullptr;
  if (!special.empty()) {
    std::vector<long> indexes = vars_.Indexes(base);
    if (indexes.empty()) return false;
    var = vars_.Find(base, indexes.back());
    *value = var->value;
    // END joins the end of the element before the last one, for a text the
    // page gave in two pieces of 255 bytes.
    if (special == "END" && indexes.size() >= 2) {
      const std::string& previous = vars_.Find(base, indexes[indexes.size() - 2])->value;
      size_t from = kCPScriptTextMax - std::min(kCPScriptTextMax, var->value.size());
      if (from < previous.size()) *value = previous.substr(from) + var->value;
    }
  } else {
    var = vars_.Find(base, resolved);
    if (!var) {
      if (!vars_.HasName(base)) return false;
      value->clear();
      if (scriptNumber) *scriptNumber = 0;
      return true;
    }
    *value = var->value;
  }
  if (scriptNumber) *scriptNumber = var->scriptNumber;
  return true;
}

std::string CPSimpleScriptRunner::EvaluateVar(std::string_view expression) const {
  std::string out;
  for (size_t i = 0; i < expression.size(); ++i) {
    char c = expression[i];
    if (c == '"') {
      size_t close = expression.find('"', i + 1);
      if (close == std::string_view::npos) close = expression.size();
      out.append(expression.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '<') {
      size_t close = expression.find('>', i + 1);
      if (close == std::string_view::npos) {
        out.append(expression.substr(i));
        break;
      }
      std::string name(expression.substr(i + 1, close - i - 1)), value;
      out += GetVar(name, &value) ? value : "<" + name + ">";
      i = close;
    } else {
      out += c;
    }
  }
  return out;
}

std::string CPSimpleScriptRunner::EvaluateStringVars(std::string_view text, char open, char close) const {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t end = text[i] == open ? text.find(close, i + 1) : std::string_view::npos;
    if (end == std::string_view::npos) {
      out += text[i];
      continue;
    }
    std::string name(text.substr(i + 1, end - i - 1)), value;
    out += GetVar(name, &value) ? value : std::string(text.substr(i, end - i + 1));
    i = end;
  }
  return out;
}

// ---- Secrets and the log ----

void CPSimpleScriptRunner::AddSecret(std::string_view value) {
  if (!value.empty()) secrets_.insert(std::string(value));
}

std::string CPSimpleScriptRunner::Scrub(std::string_view text) const {
  std::string out(text);
  // Longest first, so that a secret holding another is masked whole.
  std::vector<std::string> secrets(secrets_.begin(), secrets_.end());
  std::sort(secrets.begin(), secrets.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
  for (const std::string& s : secrets)
    for (size_t at = out.find(s); at != std::string::npos; at = out.find(s, at + kMask.size()))
      out.replace(at, s.size(), kMask);
  return out;
}

void CPSimpleScriptRunner::Log(std::string_view text) {
  if (!log_) return;
  std::string scrubbed = Scrub(text);
  log_->WriteData(scrubbed.data(), static_cast<long>(scrubbed.size()));
}

// ---- Labels ----

bool CPSimpleScriptRunner::GetLabel(std::string_view name, long scriptNumber, uint32_t* position) const {
  auto it = labels_.find({scriptNumber, LowerAscii(CPScriptCut(name))});
  // A label of an INCLUDEd script shares the number but not the text.
  if (it == labels_.end() || it->second.source != currentSource_) return false;
  *position = it->second.position;
  return true;
}

void CPSimpleScriptRunner::SetLabel(long scriptNumber, std::string_view name, uint32_t position) {
  labels_[{scriptNumber, LowerAscii(CPScriptCut(name))}] = {currentSource_, position};
}

bool CPSimpleScriptRunner::Jump(long scriptNumber, Reader& reader, std::string_view label) {
  uint32_t position = 0;
  if (label.empty() || !GetLabel(label, scriptNumber, &position)) return false;
  reader.GotoMarker(position);
  return true;
}

bool CPSimpleScriptRunner::DoReturn(long scriptNumber) {
  std::erase_if(labels_, [&](const auto& entry) { return entry.first.scriptNumber == scriptNumber; });
  vars_.RemoveScript(scriptNumber);
  return true;
}

void CPSimpleScriptRunner::DoReturn() {
  labels_.clear();
  vars_.Clear();
}

// ---- Running ----

void CPSimpleScriptRunner::ExecuteScript(const CPSimpleScriptRef& ref) {
  std::string source = CPScriptSourceToMacRoman(ref.GetStream());
  ExecuteScript(source, NextScriptNumber(), ref.Name());
}

void CPSimpleScriptRunner::RegisterLabels(long scriptNumber, Reader& reader) {
  std::string command, name, raw, value;
  bool hasOptions = false, more = false;
  while (reader.ReadCommand(&command, &hasOptions)) {
    if (command != "LABEL") continue;
    while (reader.ReadOption(&name, &raw, &value, &more))
      if (name == "NAME") SetLabel(scriptNumber, value, reader.GetLastMarker());
  }
}

void CPSimpleScriptRunner::ExecuteScript(const std::string& source, long scriptNumber,
                                         const std::string& name) {
  if (depth_ >= limits_.maxDepth)
    CPThrowList(kCPErrScriptLimit, kCPOnlineTextsList, kCPTextTooDeep, {std::to_string(limits_.maxDepth)});
  Reader reader(source, [this](std::string_view var, std::string* value) { return GetVar(var, value); });
  const void* savedSource = currentSource_;
  std::string savedName = currentName_;
  currentSource_ = &reader;
  currentName_ = name;
  ++depth_;
  try {
    RegisterLabels(scriptNumber, reader);
    reader.Rewind();
    RunLines(scriptNumber, reader);
  } catch (...) {
    --depth_;
    currentSource_ = savedSource;
    currentName_ = savedName;
    throw;
  }
  --depth_;
  currentSource_ = savedSource;
  currentName_ = savedName;
}

void CPSimpleScriptRunner::RunLines(long scriptNumber, Reader& reader) {
  std::string command;
  bool hasOptions = false;
  while (reader.ReadCommand(&command, &hasOptions)) {
    if (++commandsRun_ > limits_.maxCommands)
      CPThrowList(kCPErrScriptLimit, kCPOnlineTextsList, kCPTextTooManyCommands,
                  {std::to_string(limits_.maxCommands), currentName_});
    Log("\r\rSCRIPT: " + command);
    bool stop = false;
    if (ExecuteCommand(scriptNumber, reader, command, hasOptions, &stop)) {
      if (stop) return;
      continue;
    }
    if (RunBuiltIn(scriptNumber, reader, command, hasOptions)) return;
  }
}

bool CPSimpleScriptRunner::RunBuiltIn(long sn, Reader& reader, const std::string& command, bool hasOptions) {
  if (command == "SCRIPT") return DoScriptInfos(sn, reader, hasOptions);
  if (command == "INCLUDE") return DoInclude(sn, reader, hasOptions);
  if (command == "DO") return DoScript(sn, reader, hasOptions);
  if (command == "SET") return DoSetVar(sn, reader, hasOptions);
  if (command == "WAIT") return DoWait(sn, reader, hasOptions);
  if (command == "ALERT") return DoAlert(sn, reader, hasOptions);
  if (command == "CONFIRM") return DoConfirm(sn, reader, hasOptions);
  if (command == "YESORNOT") return DoYesOrNot(sn, reader, hasOptions);
  if (command == "ASK") return DoAsk(sn, reader, hasOptions);
  if (command == "LABEL") return DoLabel(sn, reader, hasOptions);
  if (command == "GOTO") return DoGoto(sn, reader, hasOptions);
  if (command == "CALLBACK") return DoCallApplication(sn, reader, hasOptions);
  // REM is a comment; BEEP has no sound to make on a terminal; BREAK asks for
  // a debugger that is not there. An unknown command is skipped likewise.
  return false;
}

bool CPSimpleScriptRunner::ExecuteCommand(long, Reader&, const std::string&, bool, bool*) { return false; }

bool CPSimpleScriptRunner::CallBack(const std::vector<CPSimpleScriptCallBackParam>&) { return false; }

std::vector<std::pair<std::string, std::string>> CPSimpleScriptRunner::ReadOptions(Reader& reader) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string name, raw, value;
  bool more = false;
  std::vector<std::string> raws;
  while (reader.ReadOption(&name, &raw, &value, &more)) {
    options.emplace_back(name, value);
    raws.push_back(raw);
  }
  // A secret is known by its own name, or by the field or variable it goes
  // to (SETINPUT NAME=motdepasse,VALUE=..., ASK VAR=MOTDEPASSE,DEFAULT=...).
  bool secretField = false;
  for (const auto& [n, v] : options) secretField = secretField || ((n == "NAME" || n == "VAR") && CPScriptIsSecretName(v));
  for (const auto& [n, v] : options)
    if (CPScriptIsSecretName(n) || (secretField && (n == "VALUE" || n == "DEFAULT"))) AddSecret(v);
  for (size_t i = 0; i < options.size(); ++i)
    Log(", " + options[i].first + "=" + raws[i] + " [" + options[i].second + "]");
  return options;
}
