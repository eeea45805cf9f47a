// Large blocks of memory asked for in huge pages, where the system allows it.
#ifndef VYX_PLATFORM_CPHUGEPAGES_H_
#define VYX_PLATFORM_CPHUGEPAGES_H_

#include <cstddef>

// Asks for the whole huge pages of a large block not touched yet (a file
// read whole, a reserved list of many lines): filling it then costs a few
// page faults instead of one per 4 KiB. Only a hint, for the huge pages
// the block holds whole (none when it is under 2 MiB); the bytes are the
// same when the system declines.
void CPAdviseHugePages(void* data, size_t size);

#endif  // VYX_PLATFORM_CPHUGEPAGES_H_
