// Looks at a SimpleDB file without changing it: the file is opened for reading
// only, nothing is repaired, and a damaged file can still be shown up to its
// first fault. CPSimpleDBInspector reads the header and walks the records in
// block order; Verify checks every record (magic, size, checksum, unique IDs)
// and the saved index against the walk, and reports the first fault with its
// code and block. Opening raises CPException (1001-1003, system codes).
#ifndef VYX_SIMPLEDB_CPSIMPLEDBVERIFIER_H_
#define VYX_SIMPLEDB_CPSIMPLEDBVERIFIER_H_

#include <functional>

#include "foundation/CPFileStream.h"
#include "simpledb/CPSimpleDBBlocsHandler.h"

// A fault: a code of CPSimpleDBErrors.h and the block where it was met (0 for
// the header). Code 0 means none.
struct CPSimpleDBFault {
  int16_t code = 0;
  CPSimpleDBRefnum refnum = 0;
  explicit operator bool() const { return code != 0; }
};

struct CPSimpleDBRecordView {
  CPSimpleDBRefnum refnum = 0;
  uint32_t blocs = 0;
  CPSimpleDBDataHeader header;
  CPDataEncoding encoding;
};

struct CPSimpleDBVerdict {
  CPSimpleDBFault fault;  // the first one
  uint32_t blocs = 0;     // of the data area
  uint32_t live = 0;      // records, the saved index record included
  uint32_t free = 0;      // free records
  uint32_t freeBlocs = 0;
  enum IndexState { kNoIndex, kIndexChecked, kIndexStale } index = kNoIndex;
};

class CPSimpleDBInspector {
 public:
  explicit CPSimpleDBInspector(const CPFileRef& fileRef);

  const CPSimpleDBHeader& Header() const { return header_; }
  const CPDataEncoding& HeaderEncoding() const { return headerEncoding_; }
  uint32_t FileLength() const { return length_; }
  // Where the blocks end: the appended stream segment, or the end of the file.
  uint32_t DataEnd() const { return header_.stream ? header_.stream : length_; }
  // The last writer did not close the file.
  bool Unclean() const { return (header_.flags & kSDBHeaderOpenFlag) != 0; }

  // Every record in block order, to the end or to the first fault (returned).
  CPSimpleDBFault Walk(const std::function<void(const CPSimpleDBRecordView&)>& visit);
  CPSimpleDBVerdict Verify();

 private:
  CPSimpleDBFault CheckSavedIndex(const std::vector<CPSimpleDBRecordView>& live,
                                  CPSimpleDBVerdict& verdict);

  CPFileStream stream_;
  CPSimpleDBBlocsHandler blocs_;
  CPSimpleDBHeader header_;
  CPDataEncoding headerEncoding_;
  uint32_t length_ = 0;
  uint32_t partial_ = 0;  // bytes after the last whole block
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBVERIFIER_H_
