// A script runner's variables: plain ones (index 0) and the elements of
// arrays (index 1 and up), sorted by index then name. The script number that
// set a variable is kept but takes no part in finding it: every script of one
// runner shares its variables. Names and values are cut to 255 bytes.
#ifndef VYX_ONLINE_CPSIMPLESCRIPTVARS_H_
#define VYX_ONLINE_CPSIMPLESCRIPTVARS_H_

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct CPSimpleScriptVar {
  long scriptNumber = 0;
  std::string name;
  std::string value;
  long index = 0;
};

class CPSimpleScriptVars {
 public:
  // True when the variable existed and was replaced.
  bool Set(long scriptNumber, std::string_view name, std::string_view value, long index);
  const CPSimpleScriptVar* Find(std::string_view name, long index) const;
  // Every index set for `name`, in order.
  std::vector<long> Indexes(std::string_view name) const;
  bool HasName(std::string_view name) const { return !Indexes(name).empty(); }
  void RemoveScript(long scriptNumber);
  void Remove(std::string_view name);
  void Clear() { vars_.clear(); }

 private:
  std::map<std::pair<long, std::string>, CPSimpleScriptVar> vars_;
};

#endif  // VYX_ONLINE_CPSIMPLESCRIPTVARS_H_
