#include "simpledb/CPSimpleDBRecordInfos.h"

#include <cstring>

#include "simpledb/CPSimpleDBBytes.h"

void CPEncodeResInfo(const CPSimpleDBDataResInfo& r, const CPDataEncoding& e, unsigned char* out) {
  const bool be = e.integerEncoding == kCPBigEndian;
  CPSDBPut32(out, r.storageID, be);
  CPSDBPut16(out + 4, static_cast<uint16_t>(r.resID), be);
  out[6] = out[7] = 0;
  Str255 name;
  std::memcpy(name, r.name, r.name[0] + 1u);
  if (e.stringEncoding != 0 && e.stringEncoding != kCPMacRoman)
    CPEncodeString(name, 255, kCPMacRoman, e.stringEncoding);
  std::memcpy(out + 8, name, name[0] + 1u);
}

bool CPDecodeResInfo(const unsigned char* in, uint32_t size, const CPDataEncoding& e,
                     CPSimpleDBDataResInfo* r, uint32_t* used) {
  if (size < 9 || size < 9u + in[8]) return false;
  const bool be = e.integerEncoding == kCPBigEndian;
  r->storageID = CPSDBGet32(in, be);
  r->resID = static_cast<CPResID>(CPSDBGet16(in + 4, be));
  std::memcpy(r->name, in + 8, in[8] + 1u);
  CPDecodeString(r->name, 255, e);
  if (used) *used = 9u + in[8];
  return true;
}

void CPEncodeIndexInfo(const CPSimpleDBDataIndexInfo& i, const CPDataEncoding& e,
                       unsigned char* out) {
  const bool be = e.integerEncoding == kCPBigEndian;
  CPWriteCode(out, i.type);
  CPWriteCode(out + 4, i.key);
  CPWriteCode(out + 8, i.keyType);
  CPSDBPut32(out + 12, i.keySize, be);
  CPSDBPut32(out + 16, i.eventID, be);
}

void CPDecodeIndexInfo(const unsigned char* in, const CPDataEncoding& e,
                       CPSimpleDBDataIndexInfo* i) {
  const bool be = e.integerEncoding == kCPBigEndian;
  i->type = CPReadCode(in);
  i->key = CPReadCode(in + 4);
  i->keyType = CPReadCode(in + 8);
  i->keySize = CPSDBGet32(in + 12, be);
  i->eventID = CPSDBGet32(in + 16, be);
}
