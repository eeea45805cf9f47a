// The properties of an operation by four-character code, as the account's
// export, the selection filters and the lists name them: their numbers (1 to
// 23, the order in which they are listed and exported), their value types and,
// for texts, their widths.
#ifndef VYX_ACCOUNTS_VYXOPERATIONPROPERTIES_H_
#define VYX_ACCOUNTS_VYXOPERATIONPROPERTIES_H_

#include <cstdint>
#include <span>

#include "platform/CPMacTypes.h"

enum class VYXPropertyType : uint8_t {
  kDate,
  kCode,     // a four-character code
  kBoolean,
  kNumber,   // a double
  kShort,
  kString,   // length-prefixed MacRoman text
};

struct VYXOperationProperty {
  int16_t number;      // 1 to 23
  OSType code;
  VYXPropertyType type;
  uint8_t maxChars;    // strings: most characters the value holds; else 0
  // Shown through the name of the list item the field refers to.
  bool byName;
};

constexpr int kVYXOperationPropertyCount = 23;

// All properties, by number.
std::span<const VYXOperationProperty> VYXOperationProperties();
// The property with that code or number, or null.
const VYXOperationProperty* VYXFindOperationProperty(OSType code);
const VYXOperationProperty* VYXGetOperationProperty(int number);

#endif  // VYX_ACCOUNTS_VYXOPERATIONPROPERTIES_H_
