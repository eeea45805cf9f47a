// Walks the records of one type (0: every record) through a session, in the
// provider's order (ascending dataID for a file). It holds a fast scan of the
// provider for its lifetime, so that its walk goes on from the record it
// stopped at even when that record was deleted or moved in between; iterators
// nest like the scans they hold and must end innermost first.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBDATAITERATOR_H_
#define VYX_SIMPLEDB_CPSIMPLEDBDATAITERATOR_H_

#include "simpledb/CPSimpleDBDataHandler.h"

class CPSimpleDBDataIterator {
 public:
  CPSimpleDBDataIterator(CPSimpleDBSession* session, CPSimpleDBDataType type);
  // The records of the handler's table.
  explicit CPSimpleDBDataIterator(CPSimpleDBDataHandler* handler);
  ~CPSimpleDBDataIterator();
  CPSimpleDBDataIterator(const CPSimpleDBDataIterator&) = delete;
  CPSimpleDBDataIterator& operator=(const CPSimpleDBDataIterator&) = delete;

  // The next record; false once every record was seen.
  bool Next(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);
  // The largest stored size among the records of the type (a buffer for all).
  CPDataSize GetMaxSize();

 private:
  CPSimpleDBSession* session_;
  CPSimpleDBDataType type_;
  CPSimpleDBScanNumber scan_{};
  bool open_ = false;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBDATAITERATOR_H_
