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

CPSimpleDBScanNumber CPSimpleDBSession::NewFastScan(CPSimpleDBDataType type) {
  return provider_->NewFastScan(this, type);
}

void CPSimpleDBSession::CloseFastScan(CPSimpleDBScanNumber scan) {
  provider_->CloseFastScan(this, scan);
}

bool CPSimpleDBSession::GetFirstData(CPSimpleDBScanNumber scan, CPSimpleDBDataInfo* info,
                                     CPSimpleDBRefnum* refnum) {
  return provider_->GetFirstData(this, scan, info, refnum);
}

bool CPSimpleDBSession::GetNextData(CPSimpleDBScanNumber scan, CPSimpleDBDataInfo* info,
                                    CPSimpleDBRefnum* refnum) {
  return provider_->GetNextData(this, scan, info, refnum);
}

void CPSimpleDBSession::SetResourceInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                         const CPSimpleDBDataResInfo& resInfo,
                                         CPSimpleDBRefnum* newRefnum) {
  provider_->SetResourceInfos(this, refnum, info, resInfo, newRefnum);
}

void CPSimpleDBSession::GetResourceInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                         CPSimpleDBDataResInfo* resInfo, CPDataEncoding* encoding) {
  provider_->GetResourceInfos(this, refnum, info, resInfo, encoding);
}

void CPSimpleDBSession::GetResource(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                    CPSimpleDBDataResInfo* resInfo, CPDataEncoding* encoding,
                                    void* data, CPDataSize size) {
  provider_->GetResource(this, refnum, info, resInfo, encoding, data, size);
}

CPDataSize CPSimpleDBSession::GetResourceSize(CPSimpleDBRefnum refnum) {
  return provider_->GetResourceSize(this, refnum);
}

void CPSimpleDBSession::AddResource(CPSimpleDBDataInfo* info, const CPSimpleDBDataResInfo& resInfo,
                                    const CPDataEncoding& encoding, const void* data,
                                    CPDataSize size, CPSimpleDBRefnum* refnum) {
  provider_->AddResource(this, info, resInfo, encoding, data, size, refnum);
}

void CPSimpleDBSession::ModifyResource(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                       const CPSimpleDBDataResInfo& resInfo,
                                       const CPDataEncoding& encoding, const void* data,
                                       CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  provider_->ModifyResource(this, refnum, info, resInfo, encoding, data, size, newRefnum);
}

void CPSimpleDBSession::DeleteResource(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info) {
  provider_->DeleteResource(this, refnum, info);
}

bool CPSimpleDBSession::ResourceIDExists(CPSimpleDBResourceStorageID storageID,
                                         CPSimpleDBDataType type, CPResID id,
                                         CPSimpleDBRefnum* refnum, CPSimpleDBDataResInfo* resInfo) {
  return provider_->ResourceIDExists(this, storageID, type, id, refnum, resInfo);
}

bool CPSimpleDBSession::ResourceIDExists(CPSimpleDBResourceStorageID storageID,
                                         CPSimpleDBDataType type, ConstStringPtr name,
                                         CPSimpleDBRefnum* refnum, CPSimpleDBDataResInfo* resInfo) {
  return provider_->ResourceIDExists(this, storageID, type, name, refnum, resInfo);
}

CPResID CPSimpleDBSession::GetNewResourceID(CPSimpleDBResourceStorageID storageID,
                                            CPSimpleDBDataType type) {
  return provider_->GetNewResourceID(this, storageID, type);
}

bool CPSimpleDBSession::FindIndex(const CPSimpleDBDataIndexInfo& indexInfo,
                                  CPSimpleDBRefnum* refnum) {
  return provider_->FindIndex(this, indexInfo, refnum);
}

void CPSimpleDBSession::SetIndexInfos(CPSimpleDBRefnum refnum,
                                      const CPSimpleDBDataIndexInfo& indexInfo) {
  provider_->SetIndexInfos(this, refnum, indexInfo);
}

void CPSimpleDBSession::GetIndexInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataIndexInfo* indexInfo,
                                      CPSimpleDBDataInfo* info, CPDataEncoding* encoding) {
  provider_->GetIndexInfos(this, refnum, indexInfo, info, encoding);
}

CPDataSize CPSimpleDBSession::GetIndexSize(CPSimpleDBRefnum refnum) {
  return provider_->GetIndexSize(this, refnum);
}

void CPSimpleDBSession::GetIndex(CPSimpleDBRefnum refnum, CPSimpleDBDataIndexInfo* indexInfo,
                                 void* items, CPDataSize size) {
  provider_->GetIndex(this, refnum, indexInfo, items, size);
}

void CPSimpleDBSession::AddIndex(CPSimpleDBDataInfo* info, const CPSimpleDBDataIndexInfo& indexInfo,
                                 const void* items, CPDataSize size, CPSimpleDBRefnum* refnum) {
  provider_->AddIndex(this, info, indexInfo, items, size, refnum);
}

void CPSimpleDBSession::ModifyIndex(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                    const CPSimpleDBDataIndexInfo& indexInfo, const void* items,
                                    CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  provider_->ModifyIndex(this, refnum, info, indexInfo, items, size, newRefnum);
}

void CPSimpleDBSession::DeleteIndex(CPSimpleDBRefnum refnum, const CPSimpleDBDataInfo& info) {
  provider_->DeleteIndex(this, refnum, info);
}
