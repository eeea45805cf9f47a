#include "platform/CPClock.h"

#include <chrono>
#include <ctime>
#include <optional>

namespace CPClock {
namespace {

std::optional<CPDate> gPinnedDate;
std::optional<uint32_t> gPinnedTicks;
uint32_t gTickStep = 1;

}  // namespace

long LocalOffset(long long unixSeconds) {
  time_t t = static_cast<time_t>(unixSeconds);
  struct tm local;
  localtime_r(&t, &local);
  return local.tm_gmtoff;
}

CPDate Now() {
  if (gPinnedDate) return *gPinnedDate;
  long long now = static_cast<long long>(time(nullptr));
  return static_cast<CPDate>(now + LocalOffset(now) + kCPSecondsFrom1904To1970);
}

uint32_t Ticks() {
  if (gPinnedTicks) {
    uint32_t t = *gPinnedTicks;
    *gPinnedTicks += gTickStep;
    return t;
  }
  // Counted from the machine's start (the steady clock's epoch), not the
  // process's: identifiers made of the date and the ticks (a database's
  // baseID, a station's key) would otherwise come out equal for two short
  // processes started in the same second. Never 0, so that such a product is
  // never 0 either; the count wraps, and callers only take differences.
  auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
  uint32_t ticks = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * 60 / 1000);
  return ticks == 0 ? 1 : ticks;
}

void PinDate(CPDate date) { gPinnedDate = date; }

void PinTicks(uint32_t ticks, uint32_t stepPerCall) {
  gPinnedTicks = ticks;
  gTickStep = stepPerCall;
}

void Unpin() {
  gPinnedDate.reset();
  gPinnedTicks.reset();
  gTickStep = 1;
}

}  // namespace CPClock
