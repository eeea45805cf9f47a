// JSON written as it is produced, laid out exactly as nlohmann::json's
// dump(2) lays out the same value, so that a long list costs the memory of
// one record and the commands that print a tree and those that stream agree
// byte for byte. The writer does not sort: an object's keys are written in
// the order given, which must be nlohmann's (byte order) when the output is
// to match a dumped tree.
#ifndef VYX_CLI_VYXJSONWRITER_H_
#define VYX_CLI_VYXJSONWRITER_H_

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

class VYXJsonWriter {
 public:
  explicit VYXJsonWriter(std::ostream& out) : out_(out) {}
  ~VYXJsonWriter();  // flushes what is left
  VYXJsonWriter(const VYXJsonWriter&) = delete;
  VYXJsonWriter& operator=(const VYXJsonWriter&) = delete;

  void BeginArray();
  void EndArray();
  void BeginObject();
  void EndObject();
  // The key of the next value, inside an object.
  VYXJsonWriter& Key(std::string_view key);

  void String(std::string_view utf8);
  void Null();
  void Bool(bool value);
  void Int(int64_t value);
  void Number(double value);  // not finite: null, as nlohmann writes it
  // A whole value, for the small trees a streamed record carries.
  void Value(const nlohmann::json& value);

  // Ends the document with its line end and hands the text to the stream.
  void Finish();

 private:
  void BeforeValue();
  void Open(char bracket, bool object);
  void Close(char bracket);
  void Indent(size_t level);
  void MaybeFlush();
  void Flush();

  struct Level {
    bool object;
    bool empty = true;
  };
  std::ostream& out_;
  std::string buffer_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

// `utf8` as a JSON string, quotes included, escaped as nlohmann escapes it.
void VYXAppendJsonString(std::string& to, std::string_view utf8);

#endif  // VYX_CLI_VYXJSONWRITER_H_
