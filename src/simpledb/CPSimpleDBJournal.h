// vyx's pending-change area, in the reserved bytes 120-5,119 of a SimpleDB
// header area: a commit of several writes (CPSimpleDBWritePlan.h) is recorded
// there whole, with a hash, before the first of them is applied, and cleared
// once all are. An opening that finds a complete record there (the writer died
// in the middle) applies it again: the writes are plain bytes at offsets, so
// applying them twice is harmless. A record too large for the area is put in a
// free record appended to the data area, which the area then points to and
// which is cut away when the change is over. Other readers of the format
// ignore the reserved bytes; docs/simpledb.md gives the layout.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBJOURNAL_H_
#define VYX_SIMPLEDB_CPSIMPLEDBJOURNAL_H_

#include <cstdint>
#include <vector>

#include "simpledb/CPSimpleDBTypes.h"
#include "simpledb/CPSimpleDBWritePlan.h"

class CPStream;

class CPSimpleDBHeaderJournal : public CPSimpleDBJournal {
 public:
  enum State { kNone, kPending, kDone };

  void Begin(const std::vector<CPSimpleDBWriteStep>& commit,
             CPSimpleDBBlocsHandler& blocs) override;
  void End(CPSimpleDBBlocsHandler& blocs) override;

  // What the area of the file under `blocs` holds: nothing valid, a change to
  // apply, or a change already applied whose area was not yet cleared.
  static State Inspect(const CPSimpleDBBlocsHandler& blocs);
  // Finishes a pending change and clears the area; false when there was none.
  static bool Recover(CPSimpleDBBlocsHandler& blocs);

 private:
  uint32_t used_ = 0;  // bytes of the area written by Begin
  uint32_t tail_ = 0;  // data-area size before a tail record was appended, plus one
};

// What an opening for writing does after an unclean stop, on the data area of
// `blocs`: finish a change cut short in its commit, then cut off an append
// that did not reach the disk whole (its record was never acknowledged).
struct CPSimpleDBRecovery {
  bool changeFinished = false;
  CPSimpleDBRefnum tornTail = 0;  // where the data area was cut, or 0
};
CPSimpleDBRecovery CPSimpleDBRecover(CPSimpleDBBlocsHandler& blocs);

#endif  // VYX_SIMPLEDB_CPSIMPLEDBJOURNAL_H_
