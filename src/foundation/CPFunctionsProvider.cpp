#include "foundation/CPFunctionsProvider.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPCompare.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"

namespace {

constexpr int kInfoWidth = 31;

// The text of `text` up to the first "|" (or whole), cut to `max`, into `out`.
// Answers where the "|" was (0 when none).
int Field(ConstStringPtr text, StringPtr out, int max) {
  int bar = CPStrPos(text, '|');
  int len = bar ? bar - 1 : text[0];
  out[0] = uint8_t(std::min(len, max));
  std::memcpy(out + 1, text + 1, out[0]);
  return bar;
}

}  // namespace

void CPSplitFunctionEntry(ConstStringPtr entry, FunctionInfos* infos) {
  *infos = FunctionInfos();
  int bar = Field(entry, infos->name, kInfoWidth);
  if (bar == 0) return;
  Str255 rest;
  CPStrCopy(entry, bar + 1, rest);
  if (rest[0] > kInfoWidth) rest[0] = kInfoWidth;
  bar = Field(rest, infos->help1, kInfoWidth);
  if (bar == 0) return;
  Str255 second;
  CPStrCopy(rest, bar + 1, second);
  Field(second, infos->help2, kInfoWidth);
}

bool CPFunctionCompare(ConstStringPtr name, ConstStringPtr entry) {
  int bar = CPStrPos(entry, '|');
  if (bar == 0) return CPEqualString(name, entry, true, true);
  std::string_view part(reinterpret_cast<const char*>(entry + 1), size_t(bar - 1));
  return CPEqualString(PToStd(name), part, false, false);
}

bool CPFunctionCompare(ConstStringPtr name, int listID, int index) {
  Str255 entry;
  CPGetIndString(entry, listID, index);
  return entry[0] != 0 && CPFunctionCompare(name, entry);
}

CPFunctionsProvider::CPFunctionsProvider(CPFunctionsProvider* parent, int listID, int first,
                                         int last)
    : parent_(parent),
      listID_(listID),
      first_(first),
      last_(last),
      count_(int16_t(last >= first ? last - first + 1 : 0)) {}

int16_t CPFunctionsProvider::GetNbOfFunctions() {
  return int16_t(count_ + (parent_ ? parent_->GetNbOfFunctions() : 0));
}

void CPFunctionsProvider::GetFunctionsInfos(int16_t index, FunctionInfos* infos) {
  if (index >= 1 && index <= count_) {
    Str255 entry;
    CPGetIndString(entry, listID_, first_ + index - 1);
    CPSplitFunctionEntry(entry, infos);
  } else if (index > count_ && parent_) {
    parent_->GetFunctionsInfos(int16_t(index - count_), infos);
  } else {
    *infos = FunctionInfos();
  }
}

bool CPFunctionsProvider::EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                           bool* found) {
  return parent_ && parent_->EvaluateFunction(name, params, result, found);
}

int CPFunctionsProvider::FindOwnFunction(ConstStringPtr name) const {
  for (int i = first_; i <= last_; ++i) {
    if (CPFunctionCompare(name, listID_, i)) return i;
  }
  return 0;
}
