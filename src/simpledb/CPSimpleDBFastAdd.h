// A batch of additions: for its lifetime it holds the provider's access lock
// and one fast-add batch, so that its records are appended at the end of the
// file without a search for free space and without a header write each. The
// batch closes when the object goes; batches nest and close innermost first.
// A shared file is caught up once, as the batch begins, and no other station
// writes until it ends.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBFASTADD_H_
#define VYX_SIMPLEDB_CPSIMPLEDBFASTADD_H_

#include <optional>

#include "simpledb/CPSimpleDBSession.h"

class CPSimpleDBFastAdd {
 public:
  CPSimpleDBFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type);
  ~CPSimpleDBFastAdd();
  CPSimpleDBFastAdd(const CPSimpleDBFastAdd&) = delete;
  CPSimpleDBFastAdd& operator=(const CPSimpleDBFastAdd&) = delete;

  uint32_t GetNumber() const { return fastAdd_; }
  // Adds through the session (a handler converts the layout as usual).
  void AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding, const void* data,
               CPDataSize size, CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID = 0);
  // Closes the batch now, reporting what its header write met.
  void Close();

 private:
  CPSimpleDBSession* session_;
  std::optional<CPSimpleDBAccessLocker> lock_;
  uint32_t fastAdd_ = 0;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFASTADD_H_
