#include "foundation/CPVariablesProvider.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/CPDates.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

namespace {

constexpr int kInfoWidth = 32;

void CopyCut(StringPtr out, const unsigned char* text, int len) {
  out[0] = uint8_t(std::clamp(len, 0, kInfoWidth));
  std::memcpy(out + 1, text, out[0]);
}

}  // namespace

bool CPVarCompare(ConstStringPtr name, ConstStringPtr entry) {
  int bar = CPStrPos(entry, '|');
  int len = bar ? bar - 1 : entry[0];
  return name[0] == len && std::memcmp(name + 1, entry + 1, size_t(len)) == 0;
}

bool CPVarCompare(ConstStringPtr name, int listID, int index) {
  Str255 entry;
  CPGetIndString(entry, listID, index);
  return entry[0] != 0 && CPVarCompare(name, entry);
}

CPVariablesProvider::CPVariablesProvider(CPVariablesProvider* parent, int listID, int first,
                                         int last)
    : parent_(parent),
      listID_(listID),
      first_(first),
      last_(last),
      count_(int16_t(last >= first ? last - first + 1 : 0)) {}

int16_t CPVariablesProvider::GetNbOfVariables() {
  return int16_t(count_ + (parent_ ? parent_->GetNbOfVariables() : 0));
}

void CPVariablesProvider::GetVariablesInfos(int16_t index, VariablesInfos* infos) {
  if (index >= 1 && index <= count_) {
    *infos = VariablesInfos();
    Str255 entry;
    CPGetIndString(entry, listID_, first_ + index - 1);
    int bar = CPStrPos(entry, '|');
    CopyCut(infos->name, entry + 1, bar ? bar - 1 : entry[0]);
    if (bar) CopyCut(infos->description, entry + bar + 1, entry[0] - bar);
    infos->flag = 1;
  } else if (index > count_ && parent_) {
    parent_->GetVariablesInfos(int16_t(index - count_), infos);
  } else {
    *infos = VariablesInfos();
  }
}

bool CPVariablesProvider::EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) {
  return parent_ && parent_->EvaluateVariable(name, interactive, value);
}

int CPVariablesProvider::FindOwnVariable(ConstStringPtr name) const {
  for (int i = first_; i <= last_; ++i) {
    if (CPVarCompare(name, listID_, i)) return i;
  }
  return 0;
}

bool CPStandardVariables::EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) {
  if (name[0] >= 2 && name[1] == kCPQuestionChar) {
    if (!interactive) return CPVariablesProvider::EvaluateVariable(name, interactive, value);
    std::string answer;
    if (CPGetInteraction().AskText(
            std::string(reinterpret_cast<const char*>(name + 2), name[0] - 1), &answer, false)) {
      StdToP(answer, value);
    } else {
      value[0] = 1;
      value[1] = kCPQuestionChar;
    }
    return true;
  }
  switch (FindOwnVariable(name)) {
    case 1:
      CPDateToStr(CPGetDate(), value);
      return true;
    case 2:
      CPGetMonthName(CPGetCurrentMonth(), value);
      return true;
    case 3:
      StdToP(std::to_string(CPGetCurrentYear()), value);
      return true;
    default:
      return CPVariablesProvider::EvaluateVariable(name, interactive, value);
  }
}

CPVariablesProvider* CPGetStandardVariables() {
  static CPStandardVariables standard;
  return &standard;
}
