#include "resources/CPDataStructure.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPStringTable.h"
#include "resources/CPImExStructure.h"

namespace {

std::string Reason(int item, const CPDataField& field, const std::string& text,
                   const std::string& extra = {}) {
  std::string why = CPGetListString(kCPImExTextsList, item);
  CPReplaceVar(why, 1, field.heading);
  CPReplaceVar(why, 2, text);
  CPReplaceVar(why, 3, extra);
  return why;
}

// Up to six decimals, no trailing zeros, no thousands separator, so that
// the text reads back to the same value in any spreadsheet or in vyx.
std::string NumberText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6f", value);
  std::string s = buffer;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  for (char& c : s) {
    if (c == '.') c = char(CPGetDecimalChar());
  }
  return s;
}

bool WholeNumber(const std::string& text, long low, long high, long* value) {
  double d = 0;
  if (!MacStrToNum(text, d) || d != std::floor(d) || d < low || d > high) return false;
  *value = long(d);
  return true;
}

}  // namespace

const CPDataField* CPDataStructure::Find(OSType key) const {
  for (const CPDataField& f : fields_) {
    if (f.key == key) return &f;
  }
  return nullptr;
}

const CPDataField* CPDataStructure::FindHeading(const std::string& heading) const {
  for (const CPDataField& f : fields_) {
    if (CPEqualString(f.heading, heading, false, false)) return &f;
  }
  return nullptr;
}

std::string CPDataStructure::GetText(const CPDataField& field, const void* record) {
  const auto* at = static_cast<const unsigned char*>(record) + field.offset;
  switch (field.kind) {
    case CPFieldKind::kNumber: {
      double v;
      std::memcpy(&v, at, sizeof v);
      return NumberText(v);
    }
    case CPFieldKind::kShort: {
      int16_t v;
      std::memcpy(&v, at, sizeof v);
      return std::to_string(v);
    }
    case CPFieldKind::kEnum: {
      uint8_t v = *at;
      if (v < field.words.size() && !field.words[v].empty()) return field.words[v];
      return std::to_string(v);
    }
    case CPFieldKind::kBool:
      return CPGetListString(kCPImExTextsList, *at ? kCPImExYes : kCPImExNo);
    case CPFieldKind::kPString: {
      size_t length = std::min<size_t>(at[0], field.size - 1);
      return std::string(reinterpret_cast<const char*>(at + 1), length);
    }
    case CPFieldKind::kComputed:
      break;
  }
  return {};
}

bool CPDataStructure::SetText(const CPDataField& field, void* record, const std::string& text,
                              std::string* why) {
  auto* at = static_cast<unsigned char*>(record) + field.offset;
  switch (field.kind) {
    case CPFieldKind::kNumber: {
      double v = 0;
      if (!text.empty() && (!MacStrToNum(text, v) || !std::isfinite(v))) {
        *why = Reason(kCPImExNotANumber, field, text);
        return false;
      }
      std::memcpy(at, &v, sizeof v);
      return true;
    }
    case CPFieldKind::kShort: {
      long v = 0;
      if (!text.empty() && !WholeNumber(text, INT16_MIN, INT16_MAX, &v)) {
        *why = Reason(kCPImExNotANumber, field, text);
        return false;
      }
      int16_t s = int16_t(v);
      std::memcpy(at, &s, sizeof s);
      return true;
    }
    case CPFieldKind::kEnum: {
      if (text.empty()) {
        *at = 0;
        return true;
      }
      for (size_t n = 0; n < field.words.size(); ++n) {
        if (!field.words[n].empty() && CPEqualString(field.words[n], text, false, false)) {
          *at = uint8_t(n);
          return true;
        }
      }
      long v = 0;
      if (!WholeNumber(text, 0, 255, &v)) {
        *why = Reason(kCPImExNotAValue, field, text);
        return false;
      }
      *at = uint8_t(v);
      return true;
    }
    case CPFieldKind::kBool: {
      if (text.empty() || text == "0" ||
          CPEqualString(text, CPGetListString(kCPImExTextsList, kCPImExNo), false, false)) {
        *at = 0;
        return true;
      }
      if (text == "1" ||
          CPEqualString(text, CPGetListString(kCPImExTextsList, kCPImExYes), false, false)) {
        *at = 1;
        return true;
      }
      *why = Reason(kCPImExNotABool, field, text);
      return false;
    }
    case CPFieldKind::kPString: {
      if (text.size() > field.size - 1) {
        *why = Reason(kCPImExTooLong, field, text, std::to_string(field.size - 1));
        return false;
      }
      std::memset(at, 0, field.size);
      at[0] = uint8_t(text.size());
      std::memcpy(at + 1, text.data(), text.size());
      return true;
    }
    case CPFieldKind::kComputed:
      break;
  }
  return true;
}
