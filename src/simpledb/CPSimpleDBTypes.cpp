#include "simpledb/CPSimpleDBTypes.h"

#include <cstring>

#include "platform/CPClock.h"

namespace {

uint32_t Get32(const unsigned char* p, bool bigEndian) {
  if (bigEndian)
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put32(unsigned char* p, uint32_t v, bool bigEndian) {
  if (bigEndian) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
  } else {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
  }
}

// The flags word tells its own byte order: 0x01000001 reads the same both ways.
bool StoredBigEndian(const unsigned char* flags) {
  uint32_t raw;
  std::memcpy(&raw, flags, 4);
  return (raw & kSDBBigEndianFlags) != 0;
}

bool WindowsFlags(uint32_t flags) { return (flags & kSDBWindowsMask) >= 2; }

CPDate DateFromStored(CPDate d, bool windows) {
  return (d == 0 || !windows) ? d : d + kCPSecondsFrom1904To1970;
}
CPDate DateToStored(CPDate d, bool windows) {
  return (d == 0 || !windows) ? d : d - kCPSecondsFrom1904To1970;
}

CPDataEncoding EncodingOf(bool bigEndian, bool windows) {
  return CPDataEncoding{bigEndian ? kCPBigEndian : kCPLittleEndian,
                        windows ? kCPWindowsLatin1 : kCPMacRoman,
                        windows ? kCPDates1970 : kCPDates1904};
}

}  // namespace

void CPSimpleDBDataInfo::SetVersion(int version) {
  flags = (flags & ~(0x7Fu << kSDBVersionShift)) | (uint32_t(version & 0x7F) << kSDBVersionShift);
}

CPSimpleDBDataHeader CPSimpleDBDataHeader::Free(uint32_t blocs) {
  CPSimpleDBDataHeader h;
  h.size = blocs * kSDBBlocSize - kSDBDataHeaderSize;
  h.info.flags = kSDBFreeFlag;
  return h;
}

void CPDecodeDataHeader(const unsigned char* s, CPSimpleDBDataHeader* h, CPDataEncoding* encoding) {
  bool be = StoredBigEndian(s + 24);
  h->magic = Get32(s, be);
  h->size = Get32(s + 4, be);
  h->checksum = Get32(s + 8, be);
  CPSimpleDBDataInfo& i = h->info;
  i.dataID = Get32(s + 12, be);
  i.type = CPReadCode(s + 16);
  i.format = CPReadCode(s + 20);
  i.flags = Get32(s + 24, be);
  bool windows = WindowsFlags(i.flags);
  i.creation = DateFromStored(Get32(s + 28, be), windows);
  i.modification = DateFromStored(Get32(s + 32, be), windows);
  i.access = Get32(s + 36, be);
  i.belongsTo = Get32(s + 40, be);
  i.flags &= ~kSDBEncodingBits;
  if (encoding) *encoding = EncodingOf(be, windows);
}

void CPEncodeDataHeader(const CPSimpleDBDataHeader& h, unsigned char* s) {
  const CPSimpleDBDataInfo& i = h.info;
  bool be = (i.flags & kSDBBigEndianFlags) != 0;
  bool windows = WindowsFlags(i.flags);
  Put32(s, h.magic, be);
  Put32(s + 4, h.size, be);
  Put32(s + 8, h.checksum, be);
  Put32(s + 12, i.dataID, be);
  CPWriteCode(s + 16, i.type);
  CPWriteCode(s + 20, i.format);
  Put32(s + 24, i.flags, be);
  Put32(s + 28, DateToStored(i.creation, windows), be);
  Put32(s + 32, DateToStored(i.modification, windows), be);
  Put32(s + 36, i.access, be);
  Put32(s + 40, i.belongsTo, be);
}

CPSimpleDBHeader CPSimpleDBHeader::New() {
  CPSimpleDBHeader h;
  h.baseID = CPClock::Now() * CPClock::Ticks();
  return h;
}

std::string CPSimpleDBHeader::Signature() const {
  size_t n = signature[0] < kSDBSignatureSize ? signature[0] : kSDBSignatureSize - 1;
  return std::string(reinterpret_cast<const char*>(signature + 1), n);
}

void CPDecodeHeader(const unsigned char* s, CPSimpleDBHeader* h, CPDataEncoding* encoding) {
  bool be = StoredBigEndian(s + 20);
  std::memcpy(h->signature, s, kSDBSignatureSize);
  h->type = CPReadCode(s + 12);
  h->marker = Get32(s + 16, be);
  h->flags = Get32(s + 20, be);
  bool windows = WindowsFlags(h->flags);
  h->structureVersion = Get32(s + 24, be);
  h->contentVersion = Get32(s + 28, be);
  h->creation = DateFromStored(Get32(s + 32, be), windows);
  h->modification = DateFromStored(Get32(s + 36, be), windows);
  h->baseID = Get32(s + 40, be);
  h->noBase = Get32(s + 44, be);
  h->eventID = Get32(s + 48, be);
  h->autoID = Get32(s + 52, be);
  std::memcpy(&h->cryptMethod, s + 56, 4);
  uint32_t* rest[] = {&h->indexRefnum,
                      &h->indexEventID,
                      &h->userNoBase,
                      &h->userAccess,
                      &h->archive,
                      &h->stream,
                      &h->synchMasterNoBase,
                      &h->synchMasterEventID,
                      &h->synchLastEventID,
                      &h->broadcastKey,
                      &h->broadcastLastIndex,
                      &h->broadcastLastEventID,
                      &h->listeningKey,
                      &h->listeningLastIndex,
                      &h->listeningLastEventID};
  for (size_t k = 0; k < std::size(rest); ++k) *rest[k] = Get32(s + 60 + 4 * k, be);
  h->flags &= ~kSDBEncodingBits;
  if (encoding) *encoding = EncodingOf(be, windows);
}

void CPEncodeHeader(const CPSimpleDBHeader& h, unsigned char* s) {
  const bool be = CPHostEncoding.integerEncoding == kCPBigEndian;
  std::memset(s, 0, kSDBHeaderSize);
  std::memcpy(s, h.signature, kSDBSignatureSize);
  CPWriteCode(s + 12, h.type);
  Put32(s + 16, h.marker, be);
  // Host order is recorded like any other: big-endian hosts set the pattern.
  Put32(s + 20, (h.flags & ~kSDBEncodingBits) | (be ? kSDBBigEndianFlags : 0), be);
  Put32(s + 24, h.structureVersion, be);
  Put32(s + 28, h.contentVersion, be);
  Put32(s + 32, h.creation, be);
  Put32(s + 36, h.modification, be);
  Put32(s + 40, h.baseID, be);
  Put32(s + 44, h.noBase, be);
  Put32(s + 48, h.eventID, be);
  Put32(s + 52, h.autoID, be);
  std::memcpy(s + 56, &h.cryptMethod, 4);
  const uint32_t rest[] = {h.indexRefnum,
                           h.indexEventID,
                           h.userNoBase,
                           h.userAccess,
                           h.archive,
                           h.stream,
                           h.synchMasterNoBase,
                           h.synchMasterEventID,
                           h.synchLastEventID,
                           h.broadcastKey,
                           h.broadcastLastIndex,
                           h.broadcastLastEventID,
                           h.listeningKey,
                           h.listeningLastIndex,
                           h.listeningLastEventID};
  for (size_t k = 0; k < std::size(rest); ++k) Put32(s + 60 + 4 * k, rest[k], be);
}
