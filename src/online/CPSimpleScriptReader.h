// Reads a script's lines: a command name, then its options NAME=value one by
// one, values with their quoted parts unquoted and their <name> references
// replaced through the runner. The script is held in memory; positions are
// byte offsets in it (labels keep them to jump back). Reading never fails:
// what does not make sense is read as well as it can be.
#ifndef VYX_ONLINE_CPSIMPLESCRIPTREADER_H_
#define VYX_ONLINE_CPSIMPLESCRIPTREADER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CPSimpleScriptReader {
 public:
  // `lookup` gives a variable's value for a reference; false when it has none.
  using Lookup = std::function<bool(std::string_view name, std::string* value)>;

  CPSimpleScriptReader(std::string source, Lookup lookup);

  // The next command name; false at the end of the script. `hasOptions`
  // tells that a tab follows the name.
  bool ReadCommand(std::string* command, bool* hasOptions);
  // The next option of the current line; false when the line has no more.
  // `rawValue` is the value as written, `value` as the script means it;
  // `more` tells whether another option follows.
  bool ReadOption(std::string* name, std::string* rawValue, std::string* value, bool* more);

  // Where the last command line began; going there reads that line again.
  uint32_t GetLastMarker() const { return lineStart_; }
  void GotoMarker(uint32_t position);
  void Rewind() { GotoMarker(0); }
  bool AtEnd() const { return pos_ >= source_.size(); }

 private:
  bool AtLineEnd() const;
  void SkipRestOfLine();

  std::string source_;
  Lookup lookup_;
  size_t pos_ = 0;
  uint32_t lineStart_ = 0;
  bool inLine_ = false;  // options of the current line may be left unread
};

#endif  // VYX_ONLINE_CPSIMPLESCRIPTREADER_H_
