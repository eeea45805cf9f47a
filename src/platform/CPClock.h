// The one clock of vyx: the current date (seconds since 1904, local time) and the
// tick count (60 per second since start). Tests pin both so that dates, IDs made
// from date x ticks and time-outs do not depend on when they run.
#ifndef VYX_PLATFORM_CPCLOCK_H_
#define VYX_PLATFORM_CPCLOCK_H_

#include "platform/CPMacTypes.h"

namespace CPClock {

// Current local date and time as seconds since 1 January 1904 (pinned value when pinned).
CPDate Now();

// Ticks (1/60 s) since the machine started, or the pinned count advanced by each
// call when pinned, so that loops that wait on ticks still end.
uint32_t Ticks();

// Pins the date (and keeps it until Unpin). A pinned date does not advance.
void PinDate(CPDate date);
void PinTicks(uint32_t ticks, uint32_t stepPerCall = 1);
void Unpin();

// Local offset from UTC, in seconds, at the given UTC time.
long LocalOffset(long long unixSeconds);

}  // namespace CPClock

#endif  // VYX_PLATFORM_CPCLOCK_H_
