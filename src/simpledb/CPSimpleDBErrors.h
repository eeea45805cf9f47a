// Error codes of the SimpleDB engine. They travel in CPException (a few as a
// bare code) and have their French texts in res/strings.fr under "err". The
// values are part of the system's vocabulary: stored or shown codes keep their
// meaning, so never renumber them.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBERRORS_H_
#define VYX_SIMPLEDB_CPSIMPLEDBERRORS_H_

#include <cstdint>

enum : int16_t {
  // The file and its blocks.
  kSDBErrShareStream = 2,          // LockAccess: the share-file stream cannot be made
  kSDBErrTooShort = 1001,          // file shorter than its 5,120-byte header area
  kSDBErrBadMarker = 1002,         // header marker is not that of a SimpleDB file
  kSDBErrStructureVersion = 1003,  // structure version newer than this engine
  kSDBErrContentVersion = 1004,    // content newer than the caller can read
  kSDBErrReadOnly = 1005,          // change asked of a read-only file
  kSDBErrAccessKey = 1007,         // UnLockAccess with a key that is not the current one
  kSDBErrAccessTimeout = 1009,     // the access lock was not obtained within 300 ticks
  kSDBErrStreamOffset = 1101,      // appended stream segment misplaced
  kSDBErrStreamMarker = 1102,      // appended stream segment marker wrong
  kSDBErrNotWholeBlocs = 1200,     // data area not a whole number of 128-byte blocks
  kSDBErrAddNotWholeBlocs = 1202,  // the same, met while appending
  kSDBErrNoFit = 1203,             // a record does not fit at the refnum it must take
  kSDBErrTooBig = 1204,            // size + 44 exceeds the blocks given
  kSDBErrMemoryCopy = 1205,        // the memory copy differs from the file (bare code)
  kSDBErrInterrupted = 1210,       // an interrupted change waits for a writable opening
  kSDBErrBadMagic = 1300,          // a record header is not one
  kSDBErrBadSize = 1301,           // typed data of the wrong size
  kSDBErrChecksum = 1302,          // data does not match its checksum
  kSDBErrFreeRecord = 1303,        // change asked of a free record
  kSDBErrBadRefnum = 1304,         // refnum 0, beyond the last block, or a run past it
  kSDBErrNoDataID = 1305,          // a live record without dataID
  kSDBErrOtherDataID = 1306,       // stored dataID differs from the caller's
  kSDBErrOtherType = 1307,         // stored type differs from the caller's
  kSDBErrAlreadyFree = 1308,       // deletion of a record already free
  kSDBErrNoResourceInfo = 1309,    // a record read as a resource lacks resource information
  kSDBErrReadTooMuch = 1311,       // more bytes asked than the record holds
  kSDBErrFastAddOrder = 1312,      // a fast-add batch closed out of order
  kSDBErrFastScanOrder = 1313,     // a fast scan closed out of order
  kSDBErrDuplicateID = 1320,       // a record added under a dataID already used
  kSDBErrBadSavedIndex = 1400,     // saved "midx" index not a whole number of items

  // The event log and sharing between stations.
  kSDBErrLogMissing = 1500,
  kSDBErrLogMarker = 1502,
  kSDBErrLogVersion = 1503,
  kSDBErrLogOtherBase = 1504,
  kSDBErrLogAhead = 1505,
  kSDBErrLogBehind = 1506,
  kSDBErrLogNoEvent = 1507,
  kSDBErrLogGrew = 1508,
  kSDBErrLogDuringUpdate = 1509,

  // Secondary indexes and access rights.
  kSDBErrNotAnIndex = 1700,
  kSDBErrIndexItemMissing = 1701,
  kSDBErrBadIndexRecord = 1702,
  kSDBErrNotAllowed = 1800,

  // Resource records: every non-zero ID of the type is taken (the code the
  // resource sets give a full list).
  kSDBErrNoFreeResourceID = 3101,
};

// Strings of the engine's messages (res/strings.fr).
constexpr int kSDBMessagesList = 30100;
constexpr int kSDBAtBlocItem = 1;  // "Bloc ^2 : ^1"
constexpr int kSDBCompactingItem = 2;  // the title of the compaction's progress

// Raises `code` with its text and the block where it was met, so that a user
// (and `vyx db verifier`) can tell which record is at fault.
[[noreturn]] void CPSimpleDBThrowAt(int16_t code, uint32_t refnum);

#endif  // VYX_SIMPLEDB_CPSIMPLEDBERRORS_H_
