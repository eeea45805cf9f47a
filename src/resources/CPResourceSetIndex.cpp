#include "resources/CPResourceSetIndex.h"

#include <utility>

#include "foundation/CPErrors.h"
#include "foundation/CPException.h"

void CPHierResourceItem::ByteSwap() {
  std::swap(level, zero);
  id = static_cast<CPResID>(CPSwap16(static_cast<uint16_t>(id)));
  word = CPSwap32(word);
}

void CPHierResourceItem::Code(void* item, const CPDataEncoding& encoding, bool) {
  if (CPNeedByteSwapping(encoding)) static_cast<CPHierResourceItem*>(item)->ByteSwap();
}

int32_t CPResourceSetIndex::GetSubCount(CPResID) { return 0; }

CPResID CPResourceSetIndex::GetNthSub(CPResID, int32_t) { CPThrow(kCPErrNotFound); }

int32_t CPResourceSetIndex::GetSubIndex(CPResID, int32_t, CPResID*) { CPThrow(kCPErrNotFound); }

CPResID CPResourceSetIndex::GetSupID(CPResID, int32_t*) { CPThrow(kCPErrNotFound); }

int32_t CPResourceSetIndex::GetSupIndex(CPResID, int32_t*) { CPThrow(kCPErrNotFound); }

int32_t CPResourceSetIndex::GetCount(bool) { return GetCount(); }

int32_t CPResourceSetIndex::GetIndex(CPResID id, bool) { return GetIndex(id); }

CPResID CPResourceSetIndex::GetNth(int32_t n, bool, bool* isSub) {
  if (isSub) *isSub = false;
  return GetNth(n);
}

int32_t CPResourceSetIndex::GetSubIndex(CPResID, CPResID*) { CPThrow(kCPErrNotFound); }

bool CPResourceSetIndex::SetSupID(CPResID, CPResID) { CPThrow(kCPErrNotFound); }
