#include "accounts/VYXVirementKey.h"

#include "platform/CPClock.h"

namespace {
uint16_t gKeyCounter = 0;
}  // namespace

VirementKey GetNewVirementKey() {
  for (;;) {
    ++gKeyCounter;
    uint64_t ticks = uint64_t(CPClock::Now()) * 60 + CPClock::Ticks();
    auto key = VirementKey(ticks * 100 + gKeyCounter % 100);
    if (key != 0) return key;
  }
}
