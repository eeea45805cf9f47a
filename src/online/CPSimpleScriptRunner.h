// The interpreter of the script language that bank and rate scripts are
// written in. A runner lives for one task: it keeps the variables and labels
// of every script it runs (INCLUDE shares the caller's script number, DO takes
// a new one), runs lines one at a time, and lets subclasses add commands
// (ExecuteCommand) and receive results (CallBack).
//
// Failures: the language itself forgives (an unknown command, option, label
// or variable is ignored). What protects the user raises CPException and ends
// the run: a script that runs too many commands or nests too deep
// (kCPErrScriptLimit), an INCLUDE or DO outside the scripts folder and the
// special folders (kCPErrScriptConfined), a script that is not there.
// Values of secret variables (passwords) never reach the log.
#ifndef VYX_ONLINE_CPSIMPLESCRIPTRUNNER_H_
#define VYX_ONLINE_CPSIMPLESCRIPTRUNNER_H_

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "online/CPFileContainer.h"
#include "online/CPSimpleScriptReader.h"
#include "online/CPSimpleScriptRef.h"
#include "online/CPSimpleScriptVars.h"

class CPStream;

struct CPSimpleScriptCallBackParam {
  std::string name;
  std::string value;
};

// How far a script may go before it is stopped.
struct CPScriptLimits {
  long maxCommands = 200000;  // lines run, over every script of the runner
  long maxDepth = 16;         // INCLUDE and DO within one another
  long maxWaitSeconds = 60;   // one WAIT
  long maxRequests = 500;     // web requests, over the whole run
};

class CPSimpleScriptRunner {
 public:
  explicit CPSimpleScriptRunner(CPFileContainer container);
  virtual ~CPSimpleScriptRunner();
  CPSimpleScriptRunner(const CPSimpleScriptRunner&) = delete;
  CPSimpleScriptRunner& operator=(const CPSimpleScriptRunner&) = delete;

  // Variables. `name` may carry an index (NAME;I, NAME;I;J, NAME;LAST,
  // NAME;END), which `index` above 0 overrides.
  bool SetVar(long scriptNumber, std::string_view name, std::string_view value, long index = 0);
  void SetVarAsArray(long scriptNumber, std::string_view name, const std::vector<std::string>& items);
  bool GetVarLastIndex(std::string_view name, unsigned long* last) const;
  std::vector<long> GetVarIndexes(std::string_view name) const;
  // Forgets a variable and every element of it.
  void RemoveVar(std::string_view name) { vars_.Remove(name); }
  bool GetVar(std::string_view name, long* scriptNumber, std::string* value, long index = 0) const;
  bool GetVar(std::string_view name, std::string* value) const { return GetVar(name, nullptr, value); }
  // `expression` with each <name> replaced by its value (kept as it stands
  // when there is no such variable) and its quoted parts unquoted.
  std::string EvaluateVar(std::string_view expression) const;
  // The same with other delimiters.
  std::string EvaluateStringVars(std::string_view text, char open, char close) const;

  // A value that must never be written to the log (a password given to the
  // script); secret variables and form fields are added by themselves.
  void AddSecret(std::string_view value);

  // Runs a script under the next script number.
  void ExecuteScript(const CPSimpleScriptRef& ref);
  void ExecuteScript(const std::string& fileName) { ExecuteScript(container_.Ref(fileName)); }
  // Runs script text under `scriptNumber` (`name` for messages).
  void ExecuteScript(const std::string& source, long scriptNumber, const std::string& name);

  void SetLogStream(CPStream* log) { log_ = log; }
  CPStream* GetLogStream() const { return log_; }
  bool GetLabel(std::string_view name, long scriptNumber, uint32_t* position) const;
  void SetLabel(long scriptNumber, std::string_view name, uint32_t position);

  const CPFileContainer& GetContainer() const { return container_; }
  CPScriptLimits& Limits() { return limits_; }
  // How WAIT waits (seconds); tests make it instant.
  void SetWaiter(std::function<void(long seconds)> waiter) { waiter_ = std::move(waiter); }
  long CommandsRun() const { return commandsRun_; }

  // Removes the labels and variables of a script, or of all.
  virtual bool DoReturn(long scriptNumber);
  virtual void DoReturn();

 protected:
  using Reader = CPSimpleScriptReader;
  // A subclass's own commands; true when it took the line.
  virtual bool ExecuteCommand(long scriptNumber, Reader& reader, const std::string& command,
                              bool hasOptions, bool* stop);
  // Built-in commands; each answers true to stop the script.
  virtual bool DoScriptInfos(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoInclude(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoScript(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoSetVar(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoWait(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoAlert(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoConfirm(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoYesOrNot(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoAsk(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoLabel(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoGoto(long scriptNumber, Reader& reader, bool hasOptions);
  virtual bool DoCallApplication(long scriptNumber, Reader& reader, bool hasOptions);
  // One CALLBACK line's options; true to stop.
  virtual bool CallBack(const std::vector<CPSimpleScriptCallBackParam>& params);
  // A special folder by its name ("APPFOLDER", "CACHE", "DESKTOP", "USER",
  // "DOCUMENT", "DOCUMENTS"); false for another name.
  virtual bool GetSpecialFolder(std::string_view name, std::filesystem::path* folder) const;
  // Appends to the log when there is one, secrets masked.
  virtual void Log(std::string_view text);

  // Reads every option of the current line into name/value pairs, logging
  // each (secret ones masked).
  std::vector<std::pair<std::string, std::string>> ReadOptions(Reader& reader);
  // A label's jump; false (no jump) when the label is not known.
  bool Jump(long scriptNumber, Reader& reader, std::string_view label);
  // Masks the secrets in `text`.
  std::string Scrub(std::string_view text) const;
  const std::set<std::string>& Secrets() const { return secrets_; }
  // The script number of the next DO or top-level run.
  long NextScriptNumber() { return ++scriptCounter_; }
  // The script whose lines are running, for messages.
  const std::string& CurrentScriptName() const { return currentName_; }

 private:
  struct LabelKey {
    long scriptNumber;
    std::string name;  // folded to lower case
    bool operator<(const LabelKey& o) const {
      return scriptNumber != o.scriptNumber ? scriptNumber < o.scriptNumber : name < o.name;
    }
  };
  struct LabelPlace {
    const void* source;  // the reader whose text the position is in
    uint32_t position;
  };
  void RegisterLabels(long scriptNumber, Reader& reader);
  void RunLines(long scriptNumber, Reader& reader);
  bool RunBuiltIn(long scriptNumber, Reader& reader, const std::string& command, bool hasOptions);
  // The script FILE (or SCRIPT) of FOLDER, confined.
  CPSimpleScriptRef ResolveScript(const std::string& folder, const std::string& file) const;
  bool ResolveIndex(std::string_view fullName, bool forWrite, std::string* base, long* index,
                    std::string* special) const;
  bool AskAndJump(long scriptNumber, Reader& reader, bool yesNo);

  CPFileContainer container_;
  CPSimpleScriptVars vars_;
  std::map<LabelKey, LabelPlace> labels_;
  std::set<std::string> secrets_;
  long scriptCounter_ = 0;
  CPStream* log_ = nullptr;
  CPScriptLimits limits_;
  std::function<void(long)> waiter_;
  long commandsRun_ = 0;
  long depth_ = 0;
  const void* currentSource_ = nullptr;
  std::string currentName_;
};

#endif  // VYX_ONLINE_CPSIMPLESCRIPTRUNNER_H_
