// Salvaging a damaged SimpleDB file: every record that can still be read
// whole (a sound header, data that matches its checksum) is copied, under its
// own dataID, type, format, flags and dates, into a new file that is sound;
// what could not be read is reported, with the block where it lay and why.
// The damaged file is only read. The new file is made under a temporary name
// beside the one asked for and takes that name only once complete, never
// over an existing file. Failures raise CPException.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBSALVAGE_H_
#define VYX_SIMPLEDB_CPSIMPLEDBSALVAGE_H_

#include <vector>

#include "platform/CPFileRef.h"
#include "simpledb/CPSimpleDBTypes.h"

// A part of the damaged file that was not copied.
struct CPSimpleDBLeftOut {
  CPSimpleDBRefnum refnum = 0;  // its first block
  uint32_t blocs = 0;           // blocks passed over
  CPSimpleDBDataID dataID = 0;  // 0 when its header could not be read
  CPSimpleDBDataType type = 0;
  int16_t code = 0;  // why: 1300 no record header, 1302 checksum, 1304 runs past the
                     // end, 1305 no dataID, 1320 a dataID already copied, 1200 a part block
};

struct CPSimpleDBSalvageReport {
  uint32_t copied = 0;  // records copied
  std::vector<CPSimpleDBLeftOut> leftOut;
};

// Copies what can be read of `damaged` into the new file `salvage` (which must
// not exist); a file whose header is not that of a SimpleDB file is refused.
CPSimpleDBSalvageReport CPSimpleDBSalvage(const CPFileRef& damaged, const CPFileRef& salvage);

#endif  // VYX_SIMPLEDB_CPSIMPLEDBSALVAGE_H_
