#include "simpledb/CPSimpleDBErrors.h"

#include <string>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"

void CPSimpleDBThrowAt(int16_t code, uint32_t refnum) {
  std::string text = CPGetErrorText(code);
  if (text.empty()) text = std::to_string(code);
  CPThrowList(code, kSDBMessagesList, kSDBAtBlocItem, {text, std::to_string(refnum)});
}
