// Resources as records of a SimpleDB file: a record of the resource's type,
// format "res1", flag 0x400, whose data starts with the resource information
// (which storage of the file owns it, its ID, its name) followed directly by
// the body. These read and write such records through a session; the prefix
// and the body are in the record's encoding. docs/resource-storage.md has the
// layout. A record read as a resource without flag 0x400 raises 1309.
#ifndef VYX_RESOURCES_CPSIMPLEDBRESOURCERECORD_H_
#define VYX_RESOURCES_CPSIMPLEDBRESOURCERECORD_H_

#include <cstdint>

#include "simpledb/CPSimpleDBRecordInfos.h"
#include "simpledb/CPSimpleDBSession.h"

// The resource information (CPSimpleDBDataResInfo) and its codec are the
// engine's (simpledb/CPSimpleDBRecordInfos.h), which its provider's resource
// operations use too.
constexpr OSType kCPResourceRecordFormat = kSDBResourceFormat;

// A new record: `info` gives the type (its format, version and flag 0x400 are
// set here) and receives the record's header.
void CPSimpleDBAddResource(CPSimpleDBSession& session, CPSimpleDBDataInfo* info,
                           const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                           const void* data, uint32_t size, CPSimpleDBRefnum* refnum);
// Rewrites the record at `refnum` with a new prefix and body.
void CPSimpleDBModifyResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                              const CPSimpleDBDataResInfo& resInfo, const CPDataEncoding& encoding,
                              const void* data, uint32_t size, CPSimpleDBRefnum* newRefnum);
// The record's header, prefix and encoding (any may be null); answers the
// size of the body.
uint32_t CPSimpleDBGetResourceInfos(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                                    CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                                    CPDataEncoding* encoding);
// Up to `size` bytes of the body, and how many were copied.
uint32_t CPSimpleDBGetResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                               CPSimpleDBDataInfo* info, CPSimpleDBDataResInfo* resInfo,
                               CPDataEncoding* encoding, void* data, uint32_t size);
// Rewrites the prefix (a new name), keeping the body as it is stored.
void CPSimpleDBSetResourceInfos(CPSimpleDBSession& session, CPSimpleDBRefnum refnum,
                                const CPSimpleDBDataResInfo& resInfo, CPSimpleDBRefnum* newRefnum);
void CPSimpleDBDeleteResource(CPSimpleDBSession& session, CPSimpleDBRefnum refnum);

#endif  // VYX_RESOURCES_CPSIMPLEDBRESOURCERECORD_H_
