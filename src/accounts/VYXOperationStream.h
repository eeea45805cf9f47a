// The stream forms in which the account's record tables store operations and
// split lines ("stre" records): the record is converted to the file's
// CPDataEncoding, then its fields are written one after the other as stream
// items (docs/account-records.md gives the order and widths). `marker`,
// `type`, `deleted` and `pourcentagePerso` are not in the stream: reading
// gives them their defaults.
//
// Reading raises CPException eofErr when the stream ends inside the record:
// the output record is then left untouched by a stream, and holds no
// meaningful record when read from stored bytes. Strings longer than their
// field are cut to it.
#ifndef VYX_ACCOUNTS_VYXOPERATIONSTREAM_H_
#define VYX_ACCOUNTS_VYXOPERATIONSTREAM_H_

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"
#include "foundation/CPStream.h"

void VYXWriteOperation(CPStream& stream, const Operation& op, const CPDataEncoding& encoding);
void VYXReadOperation(CPStream& stream, Operation* op, const CPDataEncoding& encoding);
// The same from the stored bytes themselves.
void VYXReadOperation(const void* bytes, uint32_t size, Operation* op,
                      const CPDataEncoding& encoding);
// The same without the texts, which are left empty (a record cut short
// raises all the same): for the walks that only count and sum.
void VYXReadOperationFigures(const void* bytes, uint32_t size, Operation* op,
                             const CPDataEncoding& encoding);

void VYXWriteSousOperation(CPStream& stream, const SousOperation& line,
                           const CPDataEncoding& encoding);
void VYXReadSousOperation(CPStream& stream, SousOperation* line, const CPDataEncoding& encoding);
void VYXReadSousOperation(const void* bytes, uint32_t size, SousOperation* line,
                          const CPDataEncoding& encoding);

#endif  // VYX_ACCOUNTS_VYXOPERATIONSTREAM_H_
