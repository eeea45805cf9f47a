#include "simpledb/CPSimpleDBFastAdd.h"

CPSimpleDBFastAdd::CPSimpleDBFastAdd(CPSimpleDBSession* session, CPSimpleDBDataType type)
    : session_(session) {
  lock_.emplace(session->GetProvider());
  fastAdd_ = session->NewFastAdd(type);
}

CPSimpleDBFastAdd::~CPSimpleDBFastAdd() {
  try {
    Close();
  } catch (...) {
    // The header keeps its last counters; the next opening walks the blocks
    // and moves autoID past every ID it finds.
  }
}

void CPSimpleDBFastAdd::AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                                const void* data, CPDataSize size, CPSimpleDBRefnum* refnum,
                                CPSimpleDBDataID dataID) {
  session_->AddData(info, encoding, data, size, refnum, dataID, fastAdd_);
}

void CPSimpleDBFastAdd::Close() {
  if (fastAdd_ == 0) return;
  uint32_t batch = fastAdd_;
  fastAdd_ = 0;
  try {
    session_->CloseFastAdd(batch);
  } catch (...) {
    lock_.reset();
    throw;
  }
  lock_.reset();
}
