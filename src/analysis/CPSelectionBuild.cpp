// Building encoded selections: blocks grown item by item, every field
// written in the block's encoding as it is added.
#include <algorithm>
#include <cmath>

#include "analysis/CPSelection.h"
#include "analysis/CPSelectionBytes.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

namespace cpsel {

void Append(Handle h, const void* data, size_t n) {
  size_t size = GetHandleSize(h);
  if (!SetHandleSizeForOverwrite(h, size + n)) CPThrow(memFullErr);
  if (n) std::memcpy(HandlePtr(h) + size, data, n);
}

void Add16(Handle h, int32_t offset, int16_t delta, const CPDataEncoding& e) {
  auto v = Get<int16_t>(h, offset, e);
  Put(HandlePtr(h) + offset, int16_t(v + delta), e);
}

void Add32(Handle h, int32_t offset, int32_t delta, const CPDataEncoding& e) {
  auto v = Get<int32_t>(h, offset, e);
  Put(HandlePtr(h) + offset, int32_t(v + delta), e);
}

}  // namespace cpsel

namespace {

CPOwnedHandle NewBlock(const void* data, size_t size) {
  CPOwnedHandle h(NewHandleFrom(data, size));
  if (!h) CPThrow(memFullErr);
  return h;
}

// A parameter header followed by `content`.
CPOwnedHandle Param(CPSelectionParamType pType, const void* content, int32_t size,
                    const CPDataEncoding& e) {
  unsigned char header[kCPParamSize] = {CPSelectionParamVersion, pType};
  cpsel::Put(header + 2, size, e);
  CPOwnedHandle h = NewBlock(header, sizeof header);
  cpsel::Append(h.get(), content, size_t(size));
  return h;
}

template <typename T>
CPOwnedHandle Scalar(CPSelectionParamType pType, T value, const CPDataEncoding& e) {
  unsigned char content[sizeof(T)];
  cpsel::Put(content, value, e);
  return Param(pType, content, sizeof content, e);
}

}  // namespace

CPOwnedHandle NewSelection(const CPDataEncoding& e) {
  unsigned char header[kCPSelectionSize] = {CPSelectionVersion, 0};
  cpsel::Put(header + 2, int16_t(0), e);
  return NewBlock(header, sizeof header);
}

CPOwnedHandle NewSelectionParam(CPSelectionParamType pType, const void* data, int32_t size,
                                const CPDataEncoding& e) {
  return Param(pType, data, size, e);
}

CPOwnedHandle NewSelectionParam(CPSelectionParamType pType, Handle data, const CPDataEncoding& e) {
  return Param(pType, HandlePtr(data), int32_t(GetHandleSize(data)), e);
}

CPOwnedHandle NewSelectionList(CPSelectionListOperator listOp, const CPDataEncoding& e) {
  unsigned char header[kCPListHeaderSize] = {0, listOp};
  cpsel::Put(header + 2, int16_t(0), e);
  return Param(kParamList, header, sizeof header, e);
}

CPOwnedHandle NewSelectionRange(bool includeLimits, const CPDataEncoding& e) {
  unsigned char header[kCPRangeHeaderSize] = {0, uint8_t(includeLimits ? 1 : 0)};
  return Param(kParamRange, header, sizeof header, e);
}

void AddSelectionParamToList(Handle list, const CPDataEncoding& e, Handle param) {
  auto n = int32_t(GetHandleSize(param));
  cpsel::Append(list, HandlePtr(param), size_t(n));
  cpsel::Add32(list, 2, n, e);
  cpsel::Add16(list, kCPParamSize + 2, 1, e);
}

void AddSelectionParamToRange(Handle range, const CPDataEncoding& e, Handle param) {
  auto n = int32_t(GetHandleSize(param));
  cpsel::Append(range, HandlePtr(param), size_t(n));
  cpsel::Add32(range, 2, n, e);
}

CPOwnedHandle NewSelectionCriteria(CPSelectionOperator op, CPSelectionSubject subject,
                                   bool negative, CPSelectionComparator comparator, Handle param,
                                   const CPDataEncoding& e) {
  unsigned char criterion[kCPCriteriaSize] = {CPSelectionCriteriaVersion, op};
  cpsel::Put(criterion + 2, subject, e);
  criterion[4] = negative ? 1 : 0;
  criterion[5] = comparator;
  CPOwnedHandle h = NewBlock(criterion, sizeof criterion);
  cpsel::Append(h.get(), HandlePtr(param), GetHandleSize(param));
  return h;
}

void AddCriteriaToSelection(Handle selection, const CPDataEncoding& e, Handle criterion) {
  cpsel::Append(selection, HandlePtr(criterion), GetHandleSize(criterion));
  cpsel::Add16(selection, 2, 1, e);
}

CPOwnedHandle NewSelectionParamBoolean(bool value, const CPDataEncoding& e) {
  return Scalar(kParamBoolean, uint8_t(value ? 1 : 0), e);
}

CPOwnedHandle NewSelectionParamStatus(uint8_t status, const CPDataEncoding& e) {
  return Scalar(kParamStatus, status, e);
}

CPOwnedHandle NewSelectionParamMonth(int16_t month, const CPDataEncoding& e) {
  return Scalar(kParamMonth, month, e);
}

CPOwnedHandle NewSelectionParamDate(CPDate date, const CPDataEncoding& e) {
  return Scalar(kParamDate, CPEncodeDate(date, e), e);
}

CPOwnedHandle NewSelectionParamCents(double amount, const CPDataEncoding& e) {
  double cents = std::trunc(FrancsToCents(amount));
  cents = std::clamp(std::isnan(cents) ? 0.0 : cents, -9.2e18, 9.2e18);
  return Scalar(kParamCents, int64_t(cents), e);
}

CPOwnedHandle NewSelectionParamDouble(double amount, const CPDataEncoding& e) {
  return Scalar(kParamDouble, amount, e);
}

CPOwnedHandle NewSelectionParamResID(int16_t id, const CPDataEncoding& e) {
  return Scalar(kParamResID, id, e);
}

CPOwnedHandle NewSelectionParamString(ConstStringPtr text, const CPDataEncoding& e, int32_t width) {
  Str255 s;
  width = std::min(width, 256);
  int capacity = width > 0 ? width - 1 : 255;
  s[0] = uint8_t(std::min<int>(text[0], capacity));
  std::memcpy(s + 1, text + 1, s[0]);
  CPEncodeString(s, capacity, kCPMacRoman, e.stringEncoding);
  unsigned char content[256] = {};
  std::memcpy(content, s, s[0] + 1u);
  return Param(kParamString, content, width > 0 ? width : s[0] + 1, e);
}
