#include "simpledb/CPSimpleDBDataIterator.h"

#include <algorithm>

CPSimpleDBDataIterator::CPSimpleDBDataIterator(CPSimpleDBSession* session, CPSimpleDBDataType type)
    : session_(session), type_(type) {}

CPSimpleDBDataIterator::CPSimpleDBDataIterator(CPSimpleDBDataHandler* handler)
    : session_(handler), type_(handler->GetType()) {}

CPSimpleDBDataIterator::~CPSimpleDBDataIterator() {
  if (!open_) return;
  try {
    session_->CloseFastScan(scan_);
  } catch (...) {
    // An iterator that outlived an inner one closed out of order; the scan
    // count is the provider's to keep right, nothing to undo here.
  }
}

bool CPSimpleDBDataIterator::Next(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  if (!open_) {
    scan_ = session_->NewFastScan(type_);
    open_ = true;
    return session_->GetFirstData(scan_, info, refnum);
  }
  return session_->GetNextData(scan_, info, refnum);
}

CPDataSize CPSimpleDBDataIterator::GetMaxSize() {
  CPDataSize largest = 0;
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  for (bool more = session_->GetFirstData(type_, &info, &refnum); more;
       more = session_->GetNextData(type_, &info, &refnum)) {
    largest = std::max(largest, session_->CPSimpleDBSession::GetDataSize(refnum));
  }
  return largest;
}
