// Reading encoded selections item by item, checking a block before trusting
// it, and finding or removing a criterion.
#include <algorithm>
#include <cstring>

#include "analysis/CPSelection.h"
#include "analysis/CPSelectionBytes.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "foundation/CPStandardFunctions.h"
#include "platform/CPOSErr.h"

using cpsel::Get;

bool GetSelection(Handle selection, const CPDataEncoding& e, CPSelection* header, int32_t* offset) {
  if (!selection || GetHandleSize(selection) < size_t(kCPSelectionSize)) return false;
  header->version = Get<uint8_t>(selection, 0, e);
  header->reserved = Get<uint8_t>(selection, 1, e);
  header->count = Get<int16_t>(selection, 2, e);
  *offset = kCPSelectionSize;
  return true;
}

void GetSelectionParam(Handle selection, const CPDataEncoding& e, CPSelectionParam* param,
                       int32_t* offset) {
  param->version = Get<uint8_t>(selection, *offset, e);
  param->pType = Get<uint8_t>(selection, *offset + 1, e);
  param->size = Get<int32_t>(selection, *offset + 2, e);
  *offset += kCPParamSize;
}

void GetSelectionCriteria(Handle selection, const CPDataEncoding& e, CPSelectionCriteria* c,
                          CPSelectionParam* param, int32_t* offset) {
  c->version = Get<uint8_t>(selection, *offset, e);
  c->op = Get<uint8_t>(selection, *offset + 1, e);
  c->subject = Get<int16_t>(selection, *offset + 2, e);
  c->negative = Get<uint8_t>(selection, *offset + 4, e);
  c->comparator = Get<uint8_t>(selection, *offset + 5, e);
  *offset += kCPCriteriaSize;
  GetSelectionParam(selection, e, param, offset);
}

void GetSelectionListHeader(Handle selection, const CPDataEncoding& e, CPSelectionListHeader* h,
                            int32_t* offset) {
  h->version = Get<uint8_t>(selection, *offset, e);
  h->op = Get<uint8_t>(selection, *offset + 1, e);
  h->count = Get<int16_t>(selection, *offset + 2, e);
  *offset += kCPListHeaderSize;
}

void GetSelectionRangeHeader(Handle selection, const CPDataEncoding& e, CPSelectionRangeHeader* h,
                             int32_t* offset) {
  h->version = Get<uint8_t>(selection, *offset, e);
  h->includeLimits = Get<uint8_t>(selection, *offset + 1, e);
  *offset += kCPRangeHeaderSize;
}

bool GetSelectionParamContent(Handle selection, const CPSelectionParam& param,
                              CPSelectionParamType pType, void* buffer, int32_t capacity,
                              int32_t* offset) {
  bool copy = param.pType == pType;
  if (copy) cpsel::Read(selection, *offset, buffer, size_t(std::clamp(param.size, 0, capacity)));
  *offset += param.size;
  return copy;
}

CPOwnedHandle GetSelectionParamContent(Handle selection, const CPSelectionParam& param,
                                       int32_t* offset) {
  CPOwnedHandle h(NewHandle(size_t(std::max(param.size, 0))));
  if (!h) CPThrow(memFullErr);
  cpsel::Read(selection, *offset, HandlePtr(h.get()), GetHandleSize(h.get()));
  *offset += param.size;
  return h;
}

void JumpSelectionParam(Handle selection, const CPDataEncoding& e, int32_t* offset) {
  CPSelectionParam param;
  GetSelectionParam(selection, e, &param, offset);
  *offset += param.size;
}

void GetSelectionParamString(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, StringPtr text, int32_t* offset) {
  text[0] = 0;
  if (param.pType == kParamString && param.size > 0) {
    uint8_t len = Get<uint8_t>(selection, *offset, e);
    text[0] = uint8_t(std::min<int32_t>(len, param.size - 1));
    cpsel::Read(selection, *offset + 1, text + 1, text[0]);
    CPDecodeString(text, 255, e);
  }
  *offset += param.size;
}

CPDate GetSelectionParamDate(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, int32_t* offset) {
  if (param.pType == kParamString) {
    Str255 text;
    GetSelectionParamString(selection, e, param, text, offset);
    return CPEvaluateSelectionDate(text);
  }
  CPDate date = param.pType == kParamDate ? CPDecodeDate(Get<CPDate>(selection, *offset, e), e) : 0;
  *offset += param.size;
  return date;
}

double GetSelectionParamMontant(Handle selection, const CPDataEncoding& e,
                                const CPSelectionParam& param, int32_t* offset) {
  double amount = 0;
  if (param.pType == kParamCents) {
    amount = CentsToFrancs(double(Get<int64_t>(selection, *offset, e)));
  } else if (param.pType == kParamDouble) {
    amount = Get<double>(selection, *offset, e);
  }
  *offset += param.size;
  return amount;
}

int32_t GetSelectionParamInteger(Handle selection, const CPDataEncoding& e,
                                 const CPSelectionParam& param, int32_t* offset) {
  int32_t value = 0;
  switch (param.pType) {
    case kParamBoolean:
    case kParamStatus:
      value = Get<uint8_t>(selection, *offset, e);
      break;
    case kParamMonth:
    case kParamResID:
      value = Get<int16_t>(selection, *offset, e);
      break;
    case kParamDate:
      value = int32_t(CPDecodeDate(Get<CPDate>(selection, *offset, e), e));
      break;
    default:
      break;
  }
  *offset += param.size;
  return value;
}

// ---- checking

namespace {

class Checker {
 public:
  Checker(Handle h, const CPDataEncoding& e) : h_(h), e_(e) {}

  // A selection from `start` that ends at or before `end`; answers its end, or -1.
  int32_t Selection(int32_t start, int32_t end, int depth) const {
    CPSelection header;
    if (end - start < kCPSelectionSize) return -1;
    header.version = Get<uint8_t>(h_, start, e_);
    header.count = Get<int16_t>(h_, start + 2, e_);
    if (header.version != CPSelectionVersion || header.count < 0) return -1;
    int32_t offset = start + kCPSelectionSize;
    for (int i = 0; i < header.count; ++i) {
      if (end - offset < kCPCriteriaSize) return -1;
      if (Get<uint8_t>(h_, offset, e_) != CPSelectionCriteriaVersion) return -1;
      offset = Param(offset + kCPCriteriaSize, end, depth);
      if (offset < 0) return -1;
    }
    return offset;
  }

 private:
  // A parameter from `start` within `end`; answers its end, or -1.
  int32_t Param(int32_t start, int32_t end, int depth) const {
    if (end - start < kCPParamSize) return -1;
    CPSelectionParam p;
    int32_t offset = start;
    GetSelectionParam(h_, e_, &p, &offset);
    if (p.version != CPSelectionParamVersion || p.size < 0 || p.size > end - offset) return -1;
    int32_t contentEnd = offset + p.size;
    switch (p.pType) {
      case kParamList: {
        if (p.size < kCPListHeaderSize || Get<uint8_t>(h_, offset, e_) != 0) return -1;
        int16_t count = Get<int16_t>(h_, offset + 2, e_);
        if (count < 0) return -1;
        offset += kCPListHeaderSize;
        for (int i = 0; i < count; ++i) {
          if ((offset = Param(offset, contentEnd, depth)) < 0) return -1;
        }
        break;
      }
      case kParamRange:
        if (p.size < kCPRangeHeaderSize || Get<uint8_t>(h_, offset, e_) != 0) return -1;
        offset += kCPRangeHeaderSize;
        for (int i = 0; i < 2; ++i) {
          if ((offset = Param(offset, contentEnd, depth)) < 0) return -1;
        }
        break;
      case kParamSelection:
        // Walked by the operation test like the outer one: as well formed.
        if (depth > 8 || Selection(offset, contentEnd, depth + 1) < 0) return -1;
        break;
      default:
        if (p.size < MinimumSize(p.pType)) return -1;
        break;
    }
    return contentEnd;
  }

  static int32_t MinimumSize(CPSelectionParamType pType) {
    switch (pType) {
      case kParamBoolean:
      case kParamStatus:
      case kParamString:
        return 1;
      case kParamMonth:
      case kParamResID:
        return 2;
      case kParamDate:
        return 4;
      case kParamCents:
      case kParamDouble:
        return 8;
      default:
        return 0;
    }
  }

  Handle h_;
  const CPDataEncoding& e_;
};

}  // namespace

bool IsValidSelection(Handle selection, const CPDataEncoding& e) {
  if (!selection) return false;
  auto size = int32_t(std::min<size_t>(GetHandleSize(selection), INT32_MAX));
  return Checker(selection, e).Selection(0, size, 0) >= 0;
}

bool FindSelectionCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                           CPSelectionCriteria* criterion, CPSelectionParam* param,
                           int32_t* offset) {
  CPSelection header;
  int32_t at = 0;
  if (!GetSelection(selection, e, &header, &at)) return false;
  for (int i = 0; i < header.count; ++i) {
    CPSelectionCriteria c;
    CPSelectionParam p;
    GetSelectionCriteria(selection, e, &c, &p, &at);
    if (c.subject == subject) {
      *criterion = c;
      *param = p;
      *offset = at;
      return true;
    }
    JumpSelectionParamContent(p, &at);
  }
  return false;
}

void RemoveSelectionCriteria(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, int32_t offset) {
  size_t size = GetHandleSize(selection);
  size_t start = size_t(offset - kCPCriteriaSize - kCPParamSize);
  size_t end = std::min(size, size_t(offset) + size_t(param.size));
  unsigned char* p = HandlePtr(selection);
  std::memmove(p + start, p + end, size - end);
  SetHandleSize(selection, size - (end - start));
  cpsel::Add16(selection, 2, -1, e);
}
