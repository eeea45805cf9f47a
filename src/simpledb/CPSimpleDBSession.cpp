#include "simpledb/CPSimpleDBSession.h"

CPSimpleDBSession::CPSimpleDBSession(CPSimpleDBDataProvider* provider, uint32_t noBase, bool open)
    : provider_(provider), noBase_(noBase) {
  if (open) OpenSession();
}

CPSimpleDBSession::~CPSimpleDBSession() {
  if (open_) provider_->CloseSession(this);
}

void CPSimpleDBSession::OpenSession() {
  if (open_) return;
  provider_->OpenSession(this);
  open_ = true;
}

void CPSimpleDBSession::CloseSession() {
  if (!open_) return;
  provider_->CloseSession(this);
  open_ = false;
}

uint32_t CPSimpleDBSession::GetNoBase() const { return noBase_ ? noBase_ : provider_->GetNoBase(); }

uint32_t CPSimpleDBSession::GetNbOfData() { return provider_->GetNbOfData(this); }

bool CPSimpleDBSession::GetFirstData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                                     CPSimpleDBRefnum* refnum) {
  return provider_->GetFirstData(this, type, info, refnum);
}

bool CPSimpleDBSession::GetNextData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                                    CPSimpleDBRefnum* refnum) {
  return provider_->GetNextData(this, type, info, refnum);
}

void CPSimpleDBSession::GetDataID(CPSimpleDBRefnum refnum, CPSimpleDBDataID* dataID) {
  provider_->GetDataID(this, refnum, dataID);
}

bool CPSimpleDBSession::GetDataRefnum(CPSimpleDBDataID dataID, CPSimpleDBRefnum* refnum) {
  return provider_->GetDataRefnum(this, dataID, refnum);
}

bool CPSimpleDBSession::GetDataRefnum(CPSimpleDBDataID dataID, CPSimpleDBDataInfo* info,
                                      CPSimpleDBRefnum* refnum) {
  return provider_->GetDataRefnum(this, dataID, info, refnum);
}

void CPSimpleDBSession::GetDataInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                     CPDataEncoding* encoding) {
  provider_->GetDataInfos(this, refnum, info, encoding);
}

CPDataSize CPSimpleDBSession::GetDataSize(CPSimpleDBRefnum refnum) {
  return provider_->GetDataSize(this, refnum);
}

void CPSimpleDBSession::GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                CPDataEncoding* encoding, void* data, CPDataSize size) {
  provider_->GetData(this, refnum, info, encoding, data, size);
}

void CPSimpleDBSession::AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                                const void* data, CPDataSize size, CPSimpleDBRefnum* refnum,
                                CPSimpleDBDataID dataID, uint32_t fastAdd) {
  provider_->AddData(this, info, encoding, data, size, refnum, dataID, fastAdd);
}

void CPSimpleDBSession::ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                   const CPDataEncoding& encoding, const void* data,
                                   CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  provider_->ModifyData(this, refnum, info, encoding, data, size, newRefnum);
}

void CPSimpleDBSession::DeleteData(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info) {
  provider_->DeleteData(this, refnum, info);
}

void CPSimpleDBSession::MoveData(CPSimpleDBRefnum from, CPSimpleDBRefnum to) {
  provider_->MoveData(this, from, to);
}

uint32_t CPSimpleDBSession::NewFastAdd(CPSimpleDBDataType type) {
  return provider_->NewFastAdd(this, type);
}

void CPSimpleDBSession::CloseFastAdd(uint32_t fastAdd) { provider_->CloseFastAdd(this, fastAdd); }

bool CPSimpleDBSession::ActionAllowed(CPSimpleDBAccessDomain access, uint32_t action,
                                      const CPSimpleDBDataInfo& info, const void* data) {
  return provider_->ActionAllowed(this, GetUserID(), access, action, info, data);
}
