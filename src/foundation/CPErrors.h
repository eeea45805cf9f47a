// Error codes that vyx itself raises, beyond the system's (CPOSErr.h) and the
// database engine's (simpledb/CPSimpleDBErrors.h). Their texts are in the string
// table under "err".
#ifndef VYX_FOUNDATION_CPERRORS_H_
#define VYX_FOUNDATION_CPERRORS_H_

#include <cstdint>

enum : int16_t {
  kCPErrNotFound = 1,        // a resource that does not exist
  kCPErrAlreadyExists = 2,   // a resource that already exists
  kCPErrTextNotMacRoman = 3001,  // text with characters the files cannot hold
  kCPErrBadDate = 3002,
  kCPErrBadAmount = 3003,
  kCPErrBadText = 3004,      // text that is not valid in its declared encoding
};

#endif  // VYX_FOUNDATION_CPERRORS_H_
