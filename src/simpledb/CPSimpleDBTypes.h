// The SimpleDB engine's vocabulary: refnums, data IDs and codes, the 32-byte
// record information that callers pass around (CPSimpleDBDataInfo), the 44-byte
// record header and the file header, each in its host form, with the codecs
// that turn them into stored bytes and back in any supported encoding.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBTYPES_H_
#define VYX_SIMPLEDB_CPSIMPLEDBTYPES_H_

#include <cstdint>
#include <string>

#include "foundation/CPDataEncoding.h"
#include "platform/CPMacTypes.h"
#include "simpledb/CPSimpleDBFormat.h"

using CPSimpleDBRefnum = uint32_t;  // 1-based block number; 0 = none
using CPSimpleDBDataID = uint32_t;  // 0 only in free records
using CPSimpleDBDataType = OSType;
using CPSimpleDBDataFormat = OSType;
using CPSimpleDBFlags = uint32_t;
using CPSimpleDBAccessDomain = uint32_t;
using CPSimpleDBEventID = uint32_t;
using CPDataSize = uint32_t;

// Offsets 12-43 of a record header. In memory its flags carry no encoding bits,
// except on the way to the file, where SetEncoding records how the data is written.
struct CPSimpleDBDataInfo {
  CPSimpleDBDataID dataID = 0;
  CPSimpleDBDataType type = kSDBUnknownType;
  CPSimpleDBDataFormat format = kSDBBinaryFormat;
  CPSimpleDBFlags flags = 0;
  CPDate creation = 0;
  CPDate modification = 0;
  CPSimpleDBAccessDomain access = 0;
  CPSimpleDBDataID belongsTo = 0;

  CPSimpleDBDataInfo() = default;
  // A blank info: dataID 0, flags = version << 25, every other field 0.
  CPSimpleDBDataInfo(CPSimpleDBDataType t, CPSimpleDBDataFormat f, int version)
      : type(t), format(f), flags(static_cast<uint32_t>(version & 0x7F) << kSDBVersionShift) {}

  int GetVersion() const { return static_cast<int>(flags >> kSDBVersionShift); }
  void SetVersion(int version);
  bool IsFree() const { return (flags & kSDBFreeFlag) != 0; }
  bool IsLogged() const { return (flags & kSDBNotLoggedFlag) == 0; }
  // Encoding recorded in the flags (integer order, then strings and dates).
  CPDataEncoding GetEncoding() const {
    const bool windows = (flags & kSDBWindowsMask) >= 2;
    return CPDataEncoding{(flags & kSDBBigEndianFlags) != 0 ? kCPBigEndian : kCPLittleEndian,
                          windows ? kCPWindowsLatin1 : kCPMacRoman,
                          windows ? kCPDates1970 : kCPDates1904};
  }
  // Replaces the encoding bits by those of `encoding`.
  void SetEncoding(const CPDataEncoding& encoding) {
    flags &= ~kSDBEncodingBits;
    if (encoding.integerEncoding == kCPBigEndian) flags |= kSDBBigEndianFlags;
    if (encoding.stringEncoding != kCPMacRoman && encoding.stringEncoding != 0)
      flags |= kSDBWindowsFlag;
  }

  bool operator==(const CPSimpleDBDataInfo&) const = default;
};

// A live record holding a saved index of the file (type "midx", format
// "ind1"): the engine's own, never one of the records it lists.
inline bool CPSimpleDBIsSavedIndex(const CPSimpleDBDataInfo& info) {
  return !info.IsFree() && info.type == kSDBFileIndexType && info.format == kSDBFileIndexFormat;
}

// The 44-byte header at the start of every record, live or free.
struct CPSimpleDBDataHeader {
  uint32_t magic = kSDBDataMagic;
  uint32_t size = 0;      // data bytes
  uint32_t checksum = 0;  // CPCRC16 of the data, sign-extended
  CPSimpleDBDataInfo info;

  // The header of a free record covering `blocs` blocks.
  static CPSimpleDBDataHeader Free(uint32_t blocs);
};

// Stored bytes to host form. Swaps when the flags say the other byte order,
// brings 1970-based dates back to 1904 and clears the encoding bits, which go
// to `*encoding` (may be null). The magic is not checked here.
void CPDecodeDataHeader(const unsigned char* stored, CPSimpleDBDataHeader* header,
                        CPDataEncoding* encoding);
// Host form to stored bytes, in the encoding that the info's flags carry.
// Codes (type, format) are written in text order whatever the byte order.
void CPEncodeDataHeader(const CPSimpleDBDataHeader& header, unsigned char* stored);

// The file header, in host form (the first 120 bytes of the 5,120-byte area).
struct CPSimpleDBHeader {
  unsigned char signature[kSDBSignatureSize] = {};  // length-prefixed, up to 8 characters
  OSType type = kSDBUnknownType;
  uint32_t marker = kSDBFileMarker;
  uint32_t flags = 0;
  uint32_t structureVersion = kSDBStructureVersion;
  uint32_t contentVersion = 1;
  CPDate creation = 0;
  CPDate modification = 0;
  uint32_t baseID = 0;
  uint32_t noBase = 1;
  CPSimpleDBEventID eventID = 0;
  uint32_t autoID = 0;
  uint32_t cryptMethod = 0;  // kept as the bytes stored, never swapped
  CPSimpleDBRefnum indexRefnum = 0;
  CPSimpleDBEventID indexEventID = 0;
  uint32_t userNoBase = 0;
  CPSimpleDBAccessDomain userAccess = 0;
  uint32_t archive = 0;
  uint32_t stream = 0;
  uint32_t synchMasterNoBase = 0;
  CPSimpleDBEventID synchMasterEventID = 0;
  CPSimpleDBEventID synchLastEventID = 0;
  uint32_t broadcastKey = 0;
  uint32_t broadcastLastIndex = 0;
  CPSimpleDBEventID broadcastLastEventID = 0;
  uint32_t listeningKey = 0;
  uint32_t listeningLastIndex = 0;
  CPSimpleDBEventID listeningLastEventID = 0;

  // The defaults of a new file; baseID = current date x tick count.
  static CPSimpleDBHeader New();
  // The signature as bytes (MacRoman), without its length byte.
  std::string Signature() const;
};

// Stored header bytes to host form; `*encoding` (may be null) receives the
// encoding the header was written with. The marker is not checked here.
void CPDecodeHeader(const unsigned char* stored, CPSimpleDBHeader* header,
                    CPDataEncoding* encoding);
// Host form to stored bytes: host order, no encoding bits.
void CPEncodeHeader(const CPSimpleDBHeader& header, unsigned char* stored);

// Blocks taken by a record of `size` data bytes: ceil((size + 44) / 128).
inline uint32_t CPSimpleDBBlocsFor(uint32_t size) {
  return static_cast<uint32_t>((uint64_t(size) + kSDBDataHeaderSize + kSDBBlocSize - 1) /
                               kSDBBlocSize);
}

#endif  // VYX_SIMPLEDB_CPSIMPLEDBTYPES_H_
