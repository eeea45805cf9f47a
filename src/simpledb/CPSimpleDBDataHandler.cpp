#include "simpledb/CPSimpleDBDataHandler.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"

CPSimpleDBDataHandler::CPSimpleDBDataHandler(CPSimpleDBDataProvider* provider,
                                             CPSimpleDBDataType type, CPSimpleDBDataFormat format,
                                             int version)
    : CPSimpleDBSession(provider, 0, true), type_(type), format_(format), version_(version) {
  Register();
}

CPSimpleDBDataHandler::~CPSimpleDBDataHandler() { Unregister(); }

void CPSimpleDBDataHandler::Register() {
  GetProvider()->RegisterHandler(this);
  registered_ = true;
}

void CPSimpleDBDataHandler::Unregister() {
  if (registered_) GetProvider()->UnregisterHandler(this);
  registered_ = false;
}

bool CPSimpleDBDataHandler::GetFirstData(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  return CPSimpleDBSession::GetFirstData(type_, info, refnum);
}

bool CPSimpleDBDataHandler::GetNextData(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  return CPSimpleDBSession::GetNextData(type_, info, refnum);
}

void CPSimpleDBDataHandler::DataToStream(const CPSimpleDBDataInfo&, const void* data,
                                         CPDataSize size, const CPDataEncoding&, CPStream& stream) {
  if (size) stream.WriteData(data, static_cast<long>(size));
}

void CPSimpleDBDataHandler::StreamToData(const CPSimpleDBDataInfo&, CPStream& stream,
                                         const CPDataEncoding&, std::vector<unsigned char>& out) {
  uint32_t at = stream.GetMarker(), length = stream.GetLength();
  out.resize(length > at ? length - at : 0);
  if (!out.empty()) stream.ReadData(out.data(), static_cast<long>(out.size()));
}

void CPSimpleDBDataHandler::CheckSize(CPDataSize size) const {
  if (GetLayoutSize() != 0 && size != GetLayoutSize()) CPThrow(kSDBErrBadSize);
}

std::vector<unsigned char> CPSimpleDBDataHandler::ToStored(const CPSimpleDBDataInfo& info,
                                                           const void* data, CPDataSize size,
                                                           const CPDataEncoding& encoding) {
  if (IsStreamed(info)) {
    CPHandleStream stream;
    DataToStream(info, data, size, encoding, stream);
    const unsigned char* p = stream.Data();
    return std::vector<unsigned char>(p, p + stream.GetLength());
  }
  const auto* p = static_cast<const unsigned char*>(data);
  std::vector<unsigned char> stored(p, p + size);
  EncodeData(info, stored.data(), size, encoding);
  return stored;
}

std::vector<unsigned char> CPSimpleDBDataHandler::ToLayout(const CPSimpleDBDataInfo& info,
                                                           const void* stored, CPDataSize size) {
  const CPDataEncoding encoding = info.GetEncoding();
  std::vector<unsigned char> layout;
  if (IsStreamed(info)) {
    CPPtrStream stream(stored, size);
    StreamToData(info, stream, encoding, layout);
    return layout;
  }
  const auto* p = static_cast<const unsigned char*>(stored);
  layout.assign(p, p + size);
  DecodeData(info, layout.data(), size, encoding);
  return layout;
}

CPDataSize CPSimpleDBDataHandler::GetDataSize(CPSimpleDBRefnum refnum) {
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  GetDataInfos(refnum, &info, &encoding);
  if (!IsStreamed(info)) return CPSimpleDBSession::GetDataSize(refnum);
  std::vector<unsigned char> stored(CPSimpleDBSession::GetDataSize(refnum));
  CPSimpleDBSession::GetData(refnum, &info, &encoding, stored.data(),
                             static_cast<CPDataSize>(stored.size()));
  info.SetEncoding(encoding);
  return static_cast<CPDataSize>(
      ToLayout(info, stored.data(), static_cast<CPDataSize>(stored.size())).size());
}

void CPSimpleDBDataHandler::GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                    CPDataEncoding* encoding, void* data, CPDataSize size) {
  CheckSize(size);
  CPSimpleDBDataInfo found;
  CPDataEncoding stored;
  GetDataInfos(refnum, &found, &stored);
  if (!IsStreamed(found)) {
    CPSimpleDBSession::GetData(refnum, &found, &stored, data, size);
    DecodeData(found, data, size, stored);
  } else {
    std::vector<unsigned char> bytes(CPSimpleDBSession::GetDataSize(refnum));
    CPSimpleDBSession::GetData(refnum, &found, &stored, bytes.data(),
                               static_cast<CPDataSize>(bytes.size()));
    CPSimpleDBDataInfo withEncoding = found;
    withEncoding.SetEncoding(stored);
    std::vector<unsigned char> layout =
        ToLayout(withEncoding, bytes.data(), static_cast<CPDataSize>(bytes.size()));
    // A layout that grew since the record was written leaves its new fields zero.
    size_t n = std::min<size_t>(size, layout.size());
    if (n) std::memcpy(data, layout.data(), n);
    if (size > n) std::memset(static_cast<unsigned char*>(data) + n, 0, size - n);
  }
  if (info) *info = found;
  if (encoding) *encoding = stored;
}

void CPSimpleDBDataHandler::AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                                    const void* data, CPDataSize size, CPSimpleDBRefnum* refnum,
                                    CPSimpleDBDataID dataID, uint32_t fastAdd) {
  CheckSize(size);
  info->type = type_;
  if (info->format == 0) info->format = format_;
  std::vector<unsigned char> stored = ToStored(*info, data, size, encoding);
  CPSimpleDBSession::AddData(info, encoding, stored.data(), static_cast<CPDataSize>(stored.size()),
                             refnum, dataID, fastAdd);
}

void CPSimpleDBDataHandler::ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                       const CPDataEncoding& encoding, const void* data,
                                       CPDataSize size, CPSimpleDBRefnum* newRefnum) {
  CheckSize(size);
  std::vector<unsigned char> stored = ToStored(*info, data, size, encoding);
  CPSimpleDBSession::ModifyData(refnum, info, encoding, stored.data(),
                                static_cast<CPDataSize>(stored.size()), newRefnum);
}
