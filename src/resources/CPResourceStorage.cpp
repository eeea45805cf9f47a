#include "resources/CPResourceStorage.h"

#include "foundation/CPException.h"
#include "platform/CPClock.h"
#include "resources/CPResourceErrors.h"

CPResourceSetRef CPResourceStorage::OpenResourceSet(ResType) { return 0; }

void CPResourceStorage::CloseResourceSet(CPResourceSetRef) {}

void CPResourceStorage::GetEncoding(CPDataEncoding* encoding) { *encoding = CPHostEncoding; }

CPResID CPResourceStorage::PickUniqueID(const std::function<bool(CPResID)>& exists) {
  uint32_t ticks = CPClock::Ticks();
  auto candidate = static_cast<CPResID>(ticks + ticks / 65535);
  // Each step adds one (the division only matters for 32-bit counts), so 65,536
  // steps visit every 16-bit value once.
  for (int tries = 0; tries < 65536; ++tries) {
    if (candidate != 0 && !exists(candidate)) return candidate;
    int32_t next = int32_t(candidate) + 1;
    candidate = static_cast<CPResID>(next + next / 65535);
  }
  CPThrow(kCPErrResourceTypeFull);
}
