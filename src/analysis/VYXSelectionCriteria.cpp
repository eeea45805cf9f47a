#include "analysis/VYXSelectionCriteria.h"

#include <cstring>

#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet.h"

namespace {

void Add(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
         CPSelectionSubject subject, bool negative, CPSelectionComparator comparator,
         Handle param) {
  CPOwnedHandle criterion = NewSelectionCriteria(op, subject, negative, comparator, param, e);
  AddCriteriaToSelection(selection, e, criterion.get());
}

bool IsAmountSubject(CPSelectionSubject s) {
  return s == kSubjectMontant || s == kSubjectMontantAbs;
}

}  // namespace

void AddRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                      CPSelectionSubject subject, int16_t kind, Handle low, Handle high) {
  switch (kind) {
    case kRangeEqual:
    case kRangeDifferent:
      Add(selection, e, op, subject, kind == kRangeDifferent, kCompEqual, low);
      break;
    case kRangeBetween:
    case kRangeOutside: {
      CPOwnedHandle range = NewSelectionRange(true, e);
      AddSelectionParamToRange(range.get(), e, low);
      AddSelectionParamToRange(range.get(), e, high);
      Add(selection, e, op, subject, kind == kRangeOutside, kCompNone, range.get());
      break;
    }
    // For amounts "at least" is ">=" and "at most" "not >", which the same
    // tolerance serves as for equality.
    case kRangeAtLeast:
      Add(selection, e, op, subject, false,
          IsAmountSubject(subject) ? kCompGreaterOrEqual : kCompAtLeast, low);
      break;
    case kRangeAtMost:
      if (IsAmountSubject(subject)) {
        Add(selection, e, op, subject, true, kCompGreater, low);
      } else {
        Add(selection, e, op, subject, false, kCompAtMost, low);
      }
      break;
    default:
      break;
  }
}

void AddRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                      CPSelectionSubject subject, int16_t kind, CPSelectionParamType pType,
                      const void* low, const void* high, int32_t size) {
  if (kind < kRangeEqual || kind > kRangeAtMost) return;
  CPOwnedHandle lowParam = NewSelectionParam(pType, low, size, e);
  CPOwnedHandle highParam = NewSelectionParam(pType, high, size, e);
  AddRangeCriteria(selection, e, op, subject, kind, lowParam.get(), highParam.get());
}

void AddMontantAsCompCriteria(Handle selection, const CPDataEncoding& e,
                              CPSelectionSubject absSubject, CPSelectionSubject signedSubject,
                              int16_t kind, int16_t sign, double first, double second) {
  CPSelectionSubject subject = signedSubject;
  if (sign == kSignDebits) {
    if (kind <= kRangeNone) {
      kind = kRangeAtMost;
      first = 0;
    } else if (kind == kRangeAtLeast) {
      kind = kRangeAtMost;
    } else if (kind == kRangeAtMost) {
      kind = kRangeBetween;
      second = 0;
    }
  } else if (sign == kSignCredits) {
    if (kind <= kRangeNone) {
      kind = kRangeAtLeast;
      first = 0;
    } else if (kind == kRangeAtMost) {
      kind = kRangeBetween;
      second = first;
      first = 0;
    }
  } else {
    bool range = kind == kRangeBetween || kind == kRangeOutside;
    if (first >= 0 && (!range || second >= 0)) subject = absSubject;
  }
  if (kind < kRangeEqual || kind > kRangeAtMost) return;
  CPOwnedHandle low = NewSelectionParamCents(first, e);
  CPOwnedHandle high = NewSelectionParamCents(second, e);
  AddRangeCriteria(selection, e, kSelAnd, subject, kind, low.get(), high.get());
}

void AddStringRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                            CPSelectionSubject subject, int16_t kind, ConstStringPtr first,
                            ConstStringPtr second, int32_t width) {
  if (kind < kRangeEqual || kind > kRangeAtMost) return;
  CPOwnedHandle low = NewSelectionParamString(first, e, width);
  CPOwnedHandle high = NewSelectionParamString(second, e, width);
  AddRangeCriteria(selection, e, op, subject, kind, low.get(), high.get());
}

void AddDateRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                          CPSelectionSubject subject, int16_t kind, ConstStringPtr first,
                          ConstStringPtr second) {
  if (kind < kRangeEqual || kind > kRangeAtMost) return;
  CPDate low = 0, high = 0;
  if (CPIsValidDateStr(first) && CPIsValidDateStr(second) && CPStrToDate(first, low) &&
      CPStrToDate(second, high)) {
    CPOwnedHandle lowParam = NewSelectionParamDate(low, e);
    CPOwnedHandle highParam = NewSelectionParamDate(high, e);
    AddRangeCriteria(selection, e, op, subject, kind, lowParam.get(), highParam.get());
  } else {
    AddStringRangeCriteria(selection, e, op, subject, kind, first, second, 32);
  }
}

void AddStringCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                       CPSelectionSubject subject, ConstStringPtr text,
                       CPSelectionListOperator listOp, bool exact) {
  if (text[0] == 0) return;
  CPSelectionComparator comparator = exact ? kCompEqual : kCompContains;
  if (CPStrPos(text, kCPValuesSeparator) == 0) {
    CPOwnedHandle value = NewSelectionParamString(text, e);
    Add(selection, e, op, subject, false, comparator, value.get());
    return;
  }
  CPOwnedHandle list = NewSelectionList(listOp, e);
  std::string piece;
  auto flush = [&] {
    if (piece.empty()) return;
    Str255 p;
    StdToP(piece, p);
    CPOwnedHandle value = NewSelectionParamString(p, e);
    AddSelectionParamToList(list.get(), e, value.get());
    piece.clear();
  };
  for (int i = 1; i <= text[0]; ++i) {
    unsigned char c = text[i];
    if (c == kCPValuesSeparator) {
      flush();
    } else if (c != 13 && c != 3) {
      piece += char(c);
    }
  }
  flush();
  Add(selection, e, op, subject, false, comparator, list.get());
}

namespace {

template <typename MakeParam>
void AddList(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject, size_t n,
             MakeParam make) {
  if (n == 0) return;
  if (n == 1) {
    CPOwnedHandle value = make(0);
    Add(selection, e, kSelAnd, subject, false, kCompEqual, value.get());
    return;
  }
  CPOwnedHandle list = NewSelectionList(kListAny, e);
  for (size_t i = 0; i < n; ++i) {
    CPOwnedHandle value = make(i);
    AddSelectionParamToList(list.get(), e, value.get());
  }
  Add(selection, e, kSelAnd, subject, false, kCompEqual, list.get());
}

}  // namespace

void AddResListCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                        const std::vector<CPResID>& ids) {
  AddList(selection, e, subject, ids.size(),
          [&](size_t i) { return NewSelectionParamResID(ids[i], e); });
}

void AddResNameListCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                            CPResourceSet& set, const std::vector<CPResID>& ids) {
  AddList(selection, e, subject, ids.size(), [&](size_t i) {
    Str255 name;
    name[0] = 0;
    if (ids[i] != 0 && set.ResourceExists(ids[i])) set.GetResourceName(ids[i], name);
    return NewSelectionParamString(name, e);
  });
}

void AddMonthCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                      const bool months[12]) {
  std::vector<int16_t> accepted;
  for (int m = 0; m < 12; ++m) {
    if (months[m]) accepted.push_back(int16_t(m + 1));
  }
  if (accepted.size() == 12) return;
  CPOwnedHandle list = NewSelectionList(kListAny, e);
  for (int16_t m : accepted) {
    CPOwnedHandle value = NewSelectionParamMonth(m, e);
    AddSelectionParamToList(list.get(), e, value.get());
  }
  Add(selection, e, kSelAnd, subject, false, kCompEqual, list.get());
}

void AddStatusOpCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                         bool planned, bool committed, bool cleared) {
  const bool flags[] = {planned, committed, cleared};
  int n = planned + committed + cleared;
  if (n == 0 || n == 3) return;
  for (uint8_t s = 0; s < 3; ++s) {
    // One flag: the status is that one; two: it is not the one left out.
    if (flags[s] != (n == 1)) continue;
    CPOwnedHandle value = NewSelectionParamStatus(s, e);
    Add(selection, e, kSelAnd, subject, n == 2, kCompEqual, value.get());
    return;
  }
}

void AddBoolCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                     bool yes, bool no) {
  if (yes && no) return;
  CPOwnedHandle value = NewSelectionParamBoolean(yes, e);
  Add(selection, e, kSelAnd, subject, false, kCompEqual, value.get());
}

void AddSousOpCriteria(Handle selection, const CPDataEncoding& e, bool flag) {
  if (!flag) return;
  CPOwnedHandle nested = NewSelectionParam(kParamSelection, selection, e);
  Add(selection, e, kSelOr, kSubjectSousOperations, false, kCompNone, nested.get());
}

void RemoveSousOperationCriteria(Handle selection, const CPDataEncoding& e) {
  if (!IsValidSelection(selection, e)) return;
  CPSelectionCriteria c;
  CPSelectionParam p;
  int32_t offset = 0;
  if (FindSelectionCriteria(selection, e, kSubjectSousOperations, &c, &p, &offset)) {
    RemoveSelectionCriteria(selection, e, p, offset);
  }
}
