#include "resources/CPSimpleDBResourceRecord.h"

#include <cstring>
#include <vector>

#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFormat.h"

namespace {

// The whole record, after checking that it carries resource information.
std::vector<unsigned char> ReadRecord(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                                      CPSimpleDBDataInfo* info, CPDataEncoding* encoding,
                                      CPSimpleDBDataResInfo* resInfo) {
  CPSimpleDBDataInfo header;
  CPDataEncoding e;
  session.GetDataInfos(refnum, &header, &e);
  if (!(header.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  std::vector<unsigned char> bytes(session.GetDataSize(refnum));
  session.GetData(refnum, nullptr, nullptr, bytes.data(), CPDataSize(bytes.size()));
  CPSimpleDBDataResInfo r;
  if (!CPDecodeResInfo(bytes.data(), uint32_t(bytes.size()), e, &r)) CPThrow(kSDBErrNoResourceInfo);
  if (info) *info = header;
  if (encoding) *encoding = e;
  if (resInfo) *resInfo = r;
  return bytes;
}

std::vector<unsigned char> Join(const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& e,
                                const void* data, uint32_t size) {
  std::vector<unsigned char> bytes(resInfo.StoredSize() + size_t(size));
  CPEncodeResInfo(resInfo, e, bytes.data());
  if (size) std::memcpy(bytes.data() + resInfo.StoredSize(), data, size);
  return bytes;
}

}  // namespace

void CPSimpleDBAddResource(CPSimpleDBSession& session, CPSimpleDBDataInfo* info,
                           const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                           const void* data, uint32_t size, CPSimpleDBRefnum* refnum) {
  info->format = kCPResourceRecordFormat;
  info->SetVersion(0);
  info->flags |= kSDBResourceInfoFlag;
  std::vector<unsigned char> bytes = Join(resInfo, encoding, data, size);
  session.AddData(info, encoding, bytes.data(), CPDataSize(bytes.size()), refnum);
}

void CPSimpleDBModifyResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                              const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                              const void* data, uint32_t size, CPSimpleDBRefnum* newRefnum) {
  CPSimpleDBDataInfo info;
  session.GetDataInfos(refnum, &info, nullptr);
  if (!(info.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  std::vector<unsigned char> bytes = Join(resInfo, encoding, data, size);
  session.ModifyData(refnum, &info, encoding, bytes.data(), CPDataSize(bytes.size()), newRefnum);
}

uint32_t CPSimpleDBGetResourceInfos(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                                    CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                                    CPDataEncoding* encoding) {
  CPSimpleDBDataInfo header;
  CPDataEncoding e;
  session.GetDataInfos(refnum, &header, &e);
  if (!(header.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  // The prefix is at most 264 bytes: read no more than that.
  uint32_t size = session.GetDataSize(refnum);
  unsigned char prefix[264];
  uint32_t n = size < sizeof prefix ? size : uint32_t(sizeof prefix);
  session.GetData(refnum, nullptr, nullptr, prefix, n);
  CPSimpleDBDataResInfo r;
  if (!CPDecodeResInfo(prefix, n, e, &r)) CPThrow(kSDBErrNoResourceInfo);
  if (info) *info = header;
  if (encoding) *encoding = e;
  if (resInfo) *resInfo = r;
  return size - r.StoredSize();
}

uint32_t CPSimpleDBGetResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                               CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                               CPDataEncoding* encoding, void* data, uint32_t size) {
  CPSimpleDBDataResInfo r;
  std::vector<unsigned char> bytes = ReadRecord(session, refnum, info, encoding, &r);
  uint32_t body = uint32_t(bytes.size()) - r.StoredSize();
  uint32_t n = size < body ? size : body;
  if (n) std::memcpy(data, bytes.data() + r.StoredSize(), n);
  if (resInfo) *resInfo = r;
  return n;
}

void CPSimpleDBSetResourceInfos(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                                const CPSimpleDBDataResInfo& resInfo, CPSimpleDBRefnum* newRefnum) {
  CPSimpleDBDataInfo info;
  CPDataEncoding e;
  CPSimpleDBDataResInfo old;
  std::vector<unsigned char> bytes = ReadRecord(session, refnum, &info, &e, &old);
  uint32_t body = uint32_t(bytes.size()) - old.StoredSize();
  std::vector<unsigned char> rewritten = Join(resInfo, e, bytes.data() + old.StoredSize(), body);
  session.ModifyData(refnum, &info, e, rewritten.data(), CPDataSize(rewritten.size()), newRefnum);
}

void CPSimpleDBDeleteResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum) {
  CPSimpleDBDataInfo info;
  session.GetDataInfos(refnum, &info, nullptr);
  if (!(info.flags & kSDBResourceInfoFlag)) CPThrow(kSDBErrNoResourceInfo);
  session.DeleteData(refnum, info);
}
