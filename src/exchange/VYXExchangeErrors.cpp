#include "exchange/VYXExchangeErrors.h"

#include <vector>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"

void VYXThrowAtLine(int list, int item, long line, std::initializer_list<std::string> vars) {
  std::string text = CPGetListString(list, item);
  CPReplaceVar(text, 1, std::to_string(line));
  int n = 2;
  for (const std::string& v : vars) CPReplaceVar(text, n++, v);
  CPThrowMessage(kVYXErrStatementSyntax, text);
}

std::string VYXExchangeText(int item, std::initializer_list<std::string> vars) {
  std::string text = CPGetListString(kVYXExchangeTexts, item);
  int n = 1;
  for (const std::string& v : vars) CPReplaceVar(text, n++, v);
  return text;
}
