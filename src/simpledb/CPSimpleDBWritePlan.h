// How a change reaches the data area without ever leaving it unreadable when
// the writer is killed part-way (a crash, SIGKILL, a full disk).
//
// A walk from block 1 is the database's ground truth: it must always find a
// chain of whole record headers up to the end of the file, and never two live
// copies of one record. Every change is therefore planned as three lists:
//  - `prepare`: writes that a walk cannot see yet (bytes inside a free record,
//    or a new record appended past the end, which the opening after an
//    unclean stop cuts off when it did not reach the disk whole);
//  - `commit`: the writes that switch the file from the old state to the new;
//  - `tidy`: zero fills inside records that the commit has just freed.
// A commit made of one write that lies within one 4 KiB page cannot be torn by
// the death of the process (the kernel copies a page at a time and checks for
// fatal signals only between pages) and runs alone. Any other commit is first
// recorded whole in the pending-change area of the header (CPSimpleDBJournal)
// and replayed from it by the next opening when the writer died in the middle.
// Memory copies run the same plans without a journal, so that they stay
// byte-for-byte equal to the file.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBWRITEPLAN_H_
#define VYX_SIMPLEDB_CPSIMPLEDBWRITEPLAN_H_

#include <cstdint>
#include <vector>

struct CPSimpleDBWriteStep {
  enum Kind : uint8_t { kWrite = 1, kZero = 2, kSetLength = 3 };
  Kind kind = kWrite;
  uint32_t offset = 0;  // from the start of the data area; kSetLength: the new data-area size
  uint32_t length = 0;  // kZero: bytes to clear
  std::vector<unsigned char> bytes;  // kWrite

  static CPSimpleDBWriteStep Write(uint32_t offset, const void* data, uint32_t length);
  static CPSimpleDBWriteStep Zero(uint32_t offset, uint32_t length) {
    return {kZero, offset, length, {}};
  }
  static CPSimpleDBWriteStep SetLength(uint32_t size) { return {kSetLength, size, 0, {}}; }
  uint32_t Length() const { return kind == kWrite ? static_cast<uint32_t>(bytes.size()) : length; }
};

struct CPSimpleDBWritePlan {
  std::vector<CPSimpleDBWriteStep> prepare;
  std::vector<CPSimpleDBWriteStep> commit;
  std::vector<CPSimpleDBWriteStep> tidy;
};

class CPSimpleDBBlocsHandler;

// Makes a multi-write commit all-or-nothing across a crash. Begin records the
// steps durably before any of them is applied; End forgets them once applied.
class CPSimpleDBJournal {
 public:
  virtual ~CPSimpleDBJournal() = default;
  virtual void Begin(const std::vector<CPSimpleDBWriteStep>& commit,
                     CPSimpleDBBlocsHandler& blocs) = 0;
  virtual void End(CPSimpleDBBlocsHandler& blocs) = 0;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBWRITEPLAN_H_
