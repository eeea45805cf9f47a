// Advisory locks on byte ranges of an open file, held by the open file itself
// rather than by the process: two opens of one file in the same process
// exclude each other exactly as two processes do, and a lock goes away with
// the last descriptor of its open, so a holder that is killed never leaves one
// behind. The ranges need not lie inside the file. Answers system error codes.
#ifndef VYX_PLATFORM_CPFILELOCK_H_
#define VYX_PLATFORM_CPFILELOCK_H_

#include <cstdint>

#include "platform/CPFileRef.h"

namespace CPFileLock {

// noErr, or opWrErr when another open of the file holds a lock that conflicts
// (any lock for an exclusive one, an exclusive lock for a shared one).
OSErr TryLock(const CPFile& file, uint64_t offset, uint64_t length, bool exclusive);
// Drops what this open holds over the range; holding nothing there is no error.
OSErr Unlock(const CPFile& file, uint64_t offset, uint64_t length);
// True when another open holds a lock over the range that a lock of this
// kind would conflict with. This open's own locks never count.
bool HeldByOther(const CPFile& file, uint64_t offset, uint64_t length, bool exclusive);

}  // namespace CPFileLock

#endif  // VYX_PLATFORM_CPFILELOCK_H_
