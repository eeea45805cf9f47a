#include "online/CPSimpleScriptVars.h"

#include "online/CPScriptText.h"

bool CPSimpleScriptVars::Set(long scriptNumber, std::string_view name, std::string_view value,
                             long index) {
  std::string key = CPScriptCut(name);
  auto [it, added] = vars_.try_emplace({index, key});
  it->second = CPSimpleScriptVar{scriptNumber, key, CPScriptCut(value), index};
  return !added;
}

const CPSimpleScriptVar* CPSimpleScriptVars::Find(std::string_view name, long index) const {
  auto it = vars_.find({index, CPScriptCut(name)});
  return it == vars_.end() ? nullptr : &it->second;
}

std::vector<long> CPSimpleScriptVars::Indexes(std::string_view name) const {
  std::vector<long> out;
  for (const auto& [key, var] : vars_)
    if (key.second == name) out.push_back(key.first);
  return out;
}

void CPSimpleScriptVars::Remove(std::string_view name) {
  std::erase_if(vars_, [&](const auto& entry) { return entry.first.second == name; });
}

void CPSimpleScriptVars::RemoveScript(long scriptNumber) {
  std::erase_if(vars_, [&](const auto& entry) { return entry.second.scriptNumber == scriptNumber; });
}
