// Constants of the SimpleDB file format: sizes, markers, flag bits and the
// engine's own record codes. docs/simpledb.md describes the format they make up;
// every value here is part of files already written, so none may change.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBFORMAT_H_
#define VYX_SIMPLEDB_CPSIMPLEDBFORMAT_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

constexpr uint32_t kSDBHeaderAreaSize = 5120;  // the data area starts here
constexpr uint32_t kSDBHeaderSize = 120;       // fields of the header; the rest is reserved
constexpr uint32_t kSDBBlocSize = 128;
constexpr uint32_t kSDBDataHeaderSize = 44;  // record header at the start of a record's first block
constexpr uint32_t kSDBDataInfoSize = 32;    // offsets 12-43 of the record header

constexpr uint32_t kSDBFileMarker = 0x5F2A6B51;
constexpr uint32_t kSDBDataMagic = 0xA91B2CF1;
constexpr uint32_t kSDBStreamMarker = 0x1AE53805;  // starts an appended stream segment
constexpr uint32_t kSDBStructureVersion = 1;
constexpr uint32_t kSDBSignatureSize = 9;  // length byte and up to 8 characters

// Encoding bits, the same in the file header's flags and in every record's flags.
constexpr uint32_t kSDBBigEndianFlags = 0x01000001;  // reads the same in both byte orders
constexpr uint32_t kSDBWindowsFlag = 0x2;            // Windows strings and 1970-based dates
constexpr uint32_t kSDBWindowsMask = 0x6;
constexpr uint32_t kSDBEncodingBits = 0x01000007;  // cleared from decoded headers

// File header flags.
constexpr uint32_t kSDBHeaderOpenFlag = 0x8;  // set while a writer has the file open
constexpr uint32_t kSDBHeaderLogFlag = 0x10;  // the event log runs for this file

// Record flags (CPSimpleDBFlags).
constexpr uint32_t kSDBFreeFlag = 0x8;
constexpr uint32_t kSDBNotLoggedFlag = 0x10;
constexpr uint32_t kSDBIndexRecordFlag = 0x20;
constexpr uint32_t kSDBResourceInfoFlag = 0x400;
constexpr int kSDBVersionShift = 25;  // bits 25-31: record version 0-127

// Codes of records the engine itself writes or reserves.
constexpr OSType kSDBUnknownType = CPFourCC("????");
constexpr OSType kSDBBinaryFormat = CPFourCC("bina");
constexpr OSType kSDBFileIndexType = CPFourCC("midx");
constexpr OSType kSDBFileIndexFormat = CPFourCC("ind1");
constexpr uint32_t kSDBFileIndexItemSize = 12;  // dataID, type, refnum

// The pending-change area that vyx keeps in the reserved part of the header
// area (see CPSimpleDBJournal.h): where it starts and how much it may hold.
constexpr uint32_t kSDBJournalOffset = kSDBHeaderSize;
constexpr uint32_t kSDBJournalAreaSize = kSDBHeaderAreaSize - kSDBHeaderSize;

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFORMAT_H_
