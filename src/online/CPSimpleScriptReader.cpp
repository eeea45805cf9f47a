#include "online/CPSimpleScriptReader.h"

#include "online/CPScriptText.h"

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool EndsWithBackslash(const std::string& s) { return !s.empty() && s.back() == '\\'; }
}  // namespace

CPSimpleScriptReader::CPSimpleScriptReader(std::string source, Lookup lookup)
    : source_(std::move(source)), lookup_(std::move(lookup)) {}

void CPSimpleScriptReader::GotoMarker(uint32_t position) {
  pos_ = std::min<size_t>(position, source_.size());
  inLine_ = false;
}

bool CPSimpleScriptReader::AtLineEnd() const { return pos_ >= source_.size() || IsLineEnd(source_[pos_]); }

void CPSimpleScriptReader::SkipRestOfLine() {
  while (!AtLineEnd()) ++pos_;
  inLine_ = false;
}

bool CPSimpleScriptReader::ReadCommand(std::string* command, bool* hasOptions) {
  if (inLine_) SkipRestOfLine();
  while (pos_ < source_.size() && IsLineEnd(source_[pos_])) ++pos_;
  command->clear();
  *hasOptions = false;
  if (pos_ >= source_.size()) return false;
  lineStart_ = static_cast<uint32_t>(pos_);
  while (!AtLineEnd() && source_[pos_] != '\t') {
    if (command->size() < kCPScriptTextMax) command->push_back(source_[pos_]);
    ++pos_;
  }
  inLine_ = true;
  if (pos_ < source_.size() && source_[pos_] == '\t') {
    ++pos_;
    *hasOptions = !AtLineEnd();
  }
  return true;
}

bool CPSimpleScriptReader::ReadOption(std::string* name, std::string* rawValue, std::string* value,
                                      bool* more) {
  name->clear();
  rawValue->clear();
  value->clear();
  *more = false;
  if (!inLine_ || AtLineEnd()) return false;

  // The name, up to "=" (or to the end of the option when there is none).
  bool hasValue = false;
  while (!AtLineEnd() && source_[pos_] != ',' && source_[pos_] != '\t') {
    char c = source_[pos_++];
    if (c == '=') {
      hasValue = true;
      break;
    }
    if (name->size() < kCPScriptTextMax) name->push_back(c);
  }
  while (!name->empty() && name->back() == ' ') name->pop_back();
  while (!name->empty() && name->front() == ' ') name->erase(0, 1);

  // The value: separators inside quotes or references do not count.
  std::string gathered;  // the text of the last quoted part or reference
  auto put = [&](std::string_view text) {
    value->append(text);
    if (value->size() > kCPScriptTextMax) value->resize(kCPScriptTextMax);
  };
  while (hasValue && !AtLineEnd()) {
    char c = source_[pos_];
    if (c == ',' || c == '\t') break;
    size_t start = pos_++;
    if (c == '"' && !EndsWithBackslash(*value)) {
      gathered.clear();
      while (!AtLineEnd()) {
        char q = source_[pos_++];
        if (q == '\\' && pos_ < source_.size() && source_[pos_] == '"') {
          gathered += "\\\"";
          ++pos_;
        } else if (q == '"') {
          break;
        } else {
          gathered += q;
        }
      }
      put(gathered);
    } else if (c == '<' && !EndsWithBackslash(*value)) {
      size_t close = pos_;
      while (close < source_.size() && !IsLineEnd(source_[close]) && source_[close] != '>') ++close;
      if (close >= source_.size() || source_[close] != '>') {
        gathered = "<";  // no closing mark on the line: a plain "<"
        put(gathered);
      } else {
        std::string ref = source_.substr(pos_, close - pos_);
        pos_ = close + 1;
        gathered.clear();
        if (lookup_) lookup_(ref, &gathered);
        put(gathered);
      }
    } else {
      gathered.clear();
      put(std::string_view(&c, 1));
    }
    rawValue->append(source_, start, pos_ - start);
    if (rawValue->size() > kCPScriptTextMax) rawValue->resize(kCPScriptTextMax);
  }
  if (!AtLineEnd()) {
    ++pos_;  // the separator
    *more = !AtLineEnd();
  }
  return true;
}
