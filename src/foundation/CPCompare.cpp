#include "foundation/CPCompare.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// MacRoman is a one-byte set whose every character is a single UTF-16 unit, so
// a table made once converts names without a converter per call.
std::array<UChar, 256> MakeMacRomanTable() {
  std::array<UChar, 256> table{};
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open("macintosh", &status);
  for (int i = 0; i < 256; ++i) {
    table[i] = static_cast<UChar>(i);
    if (U_FAILURE(status)) continue;
    char byte = static_cast<char>(i);
    UChar u[4];
    UErrorCode s = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(c, u, 4, &byte, 1, &s);
    if (U_SUCCESS(s) && n == 1) table[i] = u[0];
  }
  if (c) ucnv_close(c);
  return table;
}

std::vector<UChar> ToUChars(std::string_view text) {
  static const std::array<UChar, 256> table = MakeMacRomanTable();
  std::vector<UChar> out(text.size());
  for (size_t i = 0; i < text.size(); ++i) out[i] = table[static_cast<unsigned char>(text[i])];
  return out;
}

// The French collator set for one way of comparing; opened once, kept for the
// life of the process (collators are safe to share once configured).
class Collator {
 public:
  Collator(UColAttributeValue strength, bool caseLevel) {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open("fr", &status);
    if (U_FAILURE(status)) {
      collator_ = nullptr;
      return;
    }
    ucol_setStrength(collator_, strength);
    if (caseLevel) ucol_setAttribute(collator_, UCOL_CASE_LEVEL, UCOL_ON, &status);
  }
  ~Collator() {
    if (collator_) ucol_close(collator_);
  }
  Collator(const Collator&) = delete;
  Collator& operator=(const Collator&) = delete;

  int Compare(std::string_view a, std::string_view b) const {
    if (!collator_) return ByteCompare(a, b);
    std::vector<UChar> ua = ToUChars(a), ub = ToUChars(b);
    UCollationResult r = ucol_strcoll(collator_, ua.data(), int32_t(ua.size()), ub.data(),
                                      int32_t(ub.size()));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
  }

 private:
  static int ByteCompare(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
  }

  UCollator* collator_ = nullptr;
};

// Primary strength tells letters apart only; secondary adds the accents;
// primary with the case level adds the case without the accents; tertiary is
// the full order.
const Collator& IgnoringBoth() {
  static const Collator c(UCOL_PRIMARY, false);
  return c;
}
const Collator& IgnoringCase() {
  static const Collator c(UCOL_SECONDARY, false);
  return c;
}
const Collator& IgnoringDiacritics() {
  static const Collator c(UCOL_PRIMARY, true);
  return c;
}
const Collator& FullOrder() {
  static const Collator c(UCOL_TERTIARY, false);
  return c;
}

std::string_view View(ConstStringPtr p) {
  return std::string_view(reinterpret_cast<const char*>(p + 1), p[0]);
}

}  // namespace

bool CPEqualString(std::string_view a, std::string_view b, bool caseSensitive,
                   bool diacSensitive) {
  if (a == b) return true;
  if (caseSensitive && diacSensitive) return false;
  const Collator& c = caseSensitive  ? IgnoringDiacritics()
                      : diacSensitive ? IgnoringCase()
                                      : IgnoringBoth();
  return c.Compare(a, b) == 0;
}

bool CPEqualString(ConstStringPtr a, ConstStringPtr b, bool caseSensitive, bool diacSensitive) {
  return CPEqualString(View(a), View(b), caseSensitive, diacSensitive);
}

int CPCompareString(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  return FullOrder().Compare(a, b);
}

int CPCompareString(ConstStringPtr a, ConstStringPtr b) { return CPCompareString(View(a), View(b)); }
