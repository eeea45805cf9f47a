// The fields of a record type as the text exchange of lists sees them: each
// one a four-character property key, a kind of value and its place in the
// host form of the record; or a computed field, read and written through
// functions of whoever owns the set (a category's family). Values cross as
// MacRoman texts the way the user reads them: French numbers, "oui" and
// "non", the words of a kind where it has some.
#ifndef VYX_RESOURCES_CPDATASTRUCTURE_H_
#define VYX_RESOURCES_CPDATASTRUCTURE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/CPMacTypes.h"

enum class CPFieldKind {
  kNumber,   // double
  kShort,    // int16_t
  kEnum,     // uint8_t, shown as a word of `words` when it has one
  kBool,     // one byte, 0 or 1
  kPString,  // length-prefixed string of `size` bytes, length byte included
  kComputed, // through `get` and `set`
};

struct CPDataField {
  OSType key = 0;
  CPFieldKind kind = CPFieldKind::kNumber;
  uint32_t offset = 0;  // in the record's host form
  uint32_t size = 0;    // kPString: capacity with its length byte
  std::string heading;  // the column's title (MacRoman)
  // kEnum: the word of value n is words[n] (empty: none, shown as a number).
  std::vector<std::string> words;
  // kComputed: the text of the resource `id`; and setting it once the
  // resource is written, answering false (with `why`, MacRoman, when not
  // null) when the text is refused.
  std::function<std::string(CPResID id)> get;
  std::function<bool(CPResID id, const std::string& text, std::string* why)> set;
};

class CPDataStructure {
 public:
  void Add(CPDataField field) { fields_.push_back(std::move(field)); }
  const std::vector<CPDataField>& Fields() const { return fields_; }
  // The field of that key, or of that heading (letter case and accents
  // aside); none when nothing matches.
  const CPDataField* Find(OSType key) const;
  const CPDataField* FindHeading(const std::string& heading) const;

  // The text of a stored field of `record` (not a computed one).
  static std::string GetText(const CPDataField& field, const void* record);
  // Sets a stored field from its text; false, with why (MacRoman), when the
  // text is not one of the field's values. The record is left as it was then.
  static bool SetText(const CPDataField& field, void* record, const std::string& text,
                      std::string* why);

 private:
  std::vector<CPDataField> fields_;
};

#endif  // VYX_RESOURCES_CPDATASTRUCTURE_H_
