// Waiting for a file that another program holds. A command that finds a file
// busy (a writer behind readers, a reader behind a writer, a station behind
// another) tries again for a while, telling the user through the progress of
// the interaction in force once the wait lasts, and then gives up with a
// message that names the file. How long: VYX_ATTENTE seconds (a decimal
// number, 0 for no wait at all), 5 when it is not set; tests keep it short.
#ifndef VYX_FOUNDATION_CPBUSYWAIT_H_
#define VYX_FOUNDATION_CPBUSYWAIT_H_

#include <chrono>
#include <functional>
#include <string>

#include "platform/CPFileRef.h"

std::chrono::milliseconds CPBusyWaitLimit();

// Calls `attempt` until it answers true or the limit passes; false then.
// `attempt` is called at least once.
bool CPWaitWhileBusy(const CPFileRef& file, const std::function<bool()>& attempt);

// The refusal of a file that stayed busy: `code`, with a message naming it.
[[noreturn]] void CPThrowBusy(int16_t code, const CPFileRef& file);

// A file's path as the user sees it in a message: absolute, in MacRoman, a
// character MacRoman lacks shown as "?".
std::string CPFileDisplayPath(const CPFileRef& file);

#endif  // VYX_FOUNDATION_CPBUSYWAIT_H_
