// Error codes of resource storages and resource sets, beyond the bare codes
// every layer shares (kCPErrNotFound 1, kCPErrAlreadyExists 2 in
// foundation/CPErrors.h). Their texts are in res/strings.fr under "err".
#ifndef VYX_RESOURCES_CPRESOURCEERRORS_H_
#define VYX_RESOURCES_CPRESOURCEERRORS_H_

#include <cstdint>

enum : int16_t {
  kCPErrNewerVersion = 6,              // a stream written by a newer version
  kCPErrResourceTypeFull = 3101,       // every non-zero ID of the type is taken
  kCPErrResourceStorageDamaged = 3102, // a stream storage whose header or index is not one
  kCPErrNoUniqueName = 3103,           // every suffixed form of a name is taken
  // The database engine's code for a resource record whose ID was changed
  // under a set that lists it (a database code, hence its number).
  kCPErrResourceIDChanged = 1310,
};

#endif  // VYX_RESOURCES_CPRESOURCEERRORS_H_
