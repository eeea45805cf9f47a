// The field reader of CPStream::ReadText over bytes already in memory, for a
// reader that walks many fields and moves its stream's marker once.
#ifndef VYX_FOUNDATION_CPTEXTFIELDS_H_
#define VYX_FOUNDATION_CPTEXTFIELDS_H_

#include <cstdint>

#include "foundation/CPStream.h"

// ReadText over the `available` bytes at `bytes` (those from a stream's
// marker to its end): answers how many bytes it consumed, which is how far
// the marker moves.
uint32_t CPReadTextIn(const unsigned char* bytes, uint32_t available, StringPtr field,
                      unsigned char* terminator, bool* atEnd, CPTextFormat format,
                      unsigned char separator);

#endif  // VYX_FOUNDATION_CPTEXTFIELDS_H_
