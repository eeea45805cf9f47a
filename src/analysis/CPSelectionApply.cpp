// Evaluating an encoded selection: criteria combined from left to right with
// their short cuts, lists and ranges, and the generic value tests.
#include <array>
#include <cstring>
#include <string_view>

#include "analysis/CPSelection.h"
#include "analysis/CPSelectionBytes.h"
#include "foundation/CPCompare.h"

namespace {

// Folding is a table lookup so that a label test over a whole account costs
// a pass over bytes rather than a collation per operation; for MacRoman's
// letters it agrees with the name comparisons that ignore case and accents.
std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = uint8_t(c >= 'A' && c <= 'Z' ? c + 32 : c);
  const struct {
    unsigned char base;
    const char* accented;
  } letters[] = {
      {'a', "\x80\x81\x87\x88\x89\x8A\x8B\x8C\xCB\xCC\xE5\xE7"},
      {'c', "\x82\x8D"},
      {'e', "\x83\x8E\x8F\x90\x91\xE6\xE8\xE9"},
      {'i', "\x92\x93\x94\x95\xEA\xEB\xEC\xED\xF5"},
      {'n', "\x84\x96"},
      {'o', "\x85\x97\x98\x99\x9A\x9B\xCD\xEE\xEF\xF1\xAF\xBF"},
      {'u', "\x86\x9C\x9D\x9E\x9F\xF2\xF3\xF4"},
      {'y', "\xD8\xD9"},
      {0xBE, "\xAE"},  // Æ -> æ
      {0xCF, "\xCE"},  // Œ -> œ
  };
  for (const auto& l : letters) {
    for (const char* p = l.accented; *p; ++p) t[static_cast<unsigned char>(*p)] = l.base;
  }
  return t;
}

const std::array<unsigned char, 256> kFold = MakeFoldTable();

bool FoldedEqual(const unsigned char* a, const unsigned char* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (kFold[a[i]] != kFold[b[i]]) return false;
  }
  return true;
}

}  // namespace

unsigned char cpsel::Fold(unsigned char c) { return kFold[c]; }

bool ApplySelection(const void* record, void* context, Handle selection, const CPDataEncoding& e,
                    const CPSelection& header, int32_t offset, CPSelectionTest test) {
  bool result = true;
  for (int i = 1; i <= header.count; ++i) {
    CPSelectionCriteria c;
    CPSelectionParam p;
    GetSelectionCriteria(selection, e, &c, &p, &offset);
    int32_t end = offset + p.size;
    // A criterion that cannot change the result is skipped unread: "and"
    // after false, "or" after true, and any operator the system lacks.
    bool useful =
        i == 1 || (c.op == kSelOr ? !result : (c.op == kSelAnd || c.op == kSelAndNot) && result);
    if (!useful) {
      offset = end;
      continue;
    }
    bool v = false;
    if (p.pType == kParamList) {
      CPSelectionListHeader list;
      GetSelectionListHeader(selection, e, &list, &offset);
      v = list.op == kListAll;
      for (int k = 0; k < list.count; ++k) {
        CPSelectionParam item;
        GetSelectionParam(selection, e, &item, &offset);
        v = test(record, context, selection, e, c.subject, c.negative != 0, c.comparator, item,
                 &offset);
        if (list.op == kListAll ? !v : v) break;
      }
    } else if (p.pType == kParamRange) {
      CPSelectionRangeHeader range;
      GetSelectionRangeHeader(selection, e, &range, &offset);
      bool include = range.includeLimits != 0;
      CPSelectionParam bound;
      GetSelectionParam(selection, e, &bound, &offset);
      v = test(record, context, selection, e, c.subject, false,
               include ? kCompGreaterOrEqual : kCompGreater, bound, &offset);
      if (v) {
        GetSelectionParam(selection, e, &bound, &offset);
        v = test(record, context, selection, e, c.subject, true,
                 include ? kCompGreater : kCompGreaterOrEqual, bound, &offset);
      }
      if (c.negative) v = !v;
    } else {
      v = test(record, context, selection, e, c.subject, c.negative != 0, c.comparator, p, &offset);
    }
    // The content is left by its size, whatever the test read of it.
    offset = end;
    if (i == 1) {
      result = c.op == kSelAndNot ? !v : c.op <= kSelOr ? v : result;
    } else if (c.op == kSelAnd) {
      result = result && v;
    } else if (c.op == kSelOr) {
      result = result || v;
    } else if (c.op == kSelAndNot) {
      result = result && !v;
    }
  }
  return result;
}

bool SelectionTestMontant(double x, double c, CPSelectionComparator comparator) {
  double d = x - c;
  switch (comparator) {
    case kCompEqual:
      return d > -0.0001 && d < 0.0001;
    case kCompGreater:
      return d > 0.0001;
    case kCompGreaterOrEqual:
    case kCompAtLeast:
      return d > -0.0001;
    case kCompAtMost:
      return d < 0.0001;
    default:
      return false;
  }
}

bool SelectionTest(int64_t x, int64_t c, CPSelectionComparator comparator) {
  switch (comparator) {
    case kCompEqual:
      return x == c;
    case kCompGreater:
      return x > c;
    case kCompGreaterOrEqual:
    case kCompAtLeast:
      return x >= c;
    case kCompAtMost:
      return x <= c;
    default:
      return false;
  }
}

bool SelectionTest(int64_t value, CPSelectionComparator comparator) {
  return SelectionTest(value, 0, comparator);
}

bool SelectionTest(ConstStringPtr x, ConstStringPtr c, CPSelectionComparator comparator) {
  switch (comparator) {
    case kCompEqual:
      return x[0] == c[0] && FoldedEqual(x + 1, c + 1, x[0]);
    case kCompGreater:
      return CPCompareString(x, c) > 0;
    case kCompGreaterOrEqual:
      return CPCompareString(x, c) >= 0;
    case kCompContains: {
      int from = 1, to = c[0];
      while (from <= to && c[from] == ' ') ++from;
      while (to >= from && c[to] == ' ') --to;
      Str255 trimmed;
      trimmed[0] = uint8_t(to - from + 1);
      std::memcpy(trimmed + 1, c + from, trimmed[0]);
      return CPStrFindSubString(x, trimmed);
    }
    case kCompAtLeast:
      return c[0] <= x[0] && FoldedEqual(x + 1, c + 1, c[0]);
    case kCompAtMost:
      return c[0] <= x[0] && FoldedEqual(x + 1 + x[0] - c[0], c + 1, c[0]);
    default:
      return false;
  }
}

bool CPStrFindSubString(ConstStringPtr text, ConstStringPtr pattern) {
  int n = text[0], m = pattern[0];
  if (m == 0 || m > n) return false;
  unsigned char first = kFold[pattern[1]];
  for (int i = 1; i + m - 1 <= n; ++i) {
    if (kFold[text[i]] == first && FoldedEqual(text + i, pattern + 1, m)) return true;
  }
  return false;
}
