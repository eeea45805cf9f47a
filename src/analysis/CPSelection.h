// Encoded selections: a self-contained block of bytes holding an ordered list
// of criteria, each naming a subject (a field), a comparator and one value, a
// range of two values, a list of values or a nested selection. The block is
// an external format (docs/selection.md): every multi-byte field is in the
// byte order of the block's CPDataEncoding, strings in its character set,
// dates in its epoch, and the builders and readers below take that encoding.
//
// These functions know nothing of accounts: ApplySelection walks the
// criteria and asks a caller's test function for each value
// (VYXOperationSelection.h has the operations'). Builders raise the memory
// error when a block cannot grow. Readers trust the block (check a block that
// did not come from the builders with IsValidSelection first), but never read
// outside it: past its end they read zeros.
#ifndef VYX_ANALYSIS_CPSELECTION_H_
#define VYX_ANALYSIS_CPSELECTION_H_

#include <cstdint>

#include "foundation/CPDataEncoding.h"
#include "platform/CPHandle.h"

using CPSelectionOperator = uint8_t;
enum : CPSelectionOperator { kSelAnd = 0, kSelOr = 1, kSelAndNot = 2 };

using CPSelectionSubject = int16_t;

using CPSelectionComparator = uint8_t;
enum : CPSelectionComparator {
  kCompNone = 0,
  kCompEqual = 1,
  kCompGreater = 2,
  kCompGreaterOrEqual = 3,
  kCompContains = 4,  // texts; false for numbers
  kCompAtLeast = 5,   // numbers: >=; texts: begins with
  kCompAtMost = 6,    // numbers: <=; texts: ends with
};

using CPSelectionParamType = uint8_t;
enum : CPSelectionParamType {
  kParamList = 1,
  kParamRange = 2,
  kParamSelection = 3,
  kParamBoolean = 4,
  kParamStatus = 5,
  kParamMonth = 6,
  kParamDate = 7,
  kParamCents = 8,  // an amount in hundredths, 64-bit
  kParamString = 9,
  kParamResID = 10,
  kParamDouble = 11,  // an amount as a double
};

// Under 0, every value of a list must pass; under any other, one is enough.
using CPSelectionListOperator = uint8_t;
enum : CPSelectionListOperator { kListAll = 0, kListAny = 1 };

constexpr uint8_t CPSelectionVersion = 0;
constexpr uint8_t CPSelectionCriteriaVersion = 0;
constexpr uint8_t CPSelectionParamVersion = 0;

// The items of a block, in host form once read. Their stored sizes:
struct CPSelection {  // 4 bytes
  uint8_t version = CPSelectionVersion;
  uint8_t reserved = 0;
  int16_t count = 0;
};
struct CPSelectionCriteria {  // 6 bytes, then its parameter
  uint8_t version = CPSelectionCriteriaVersion;
  CPSelectionOperator op = kSelAnd;
  CPSelectionSubject subject = 0;
  uint8_t negative = 0;
  CPSelectionComparator comparator = kCompNone;
};
struct CPSelectionParam {  // 6 bytes, then `size` bytes of content
  uint8_t version = CPSelectionParamVersion;
  CPSelectionParamType pType = 0;
  int32_t size = 0;
};
struct CPSelectionListHeader {  // 4 bytes
  uint8_t version = 0;
  CPSelectionListOperator op = kListAll;
  int16_t count = 0;
};
struct CPSelectionRangeHeader {  // 2 bytes
  uint8_t version = 0;
  uint8_t includeLimits = 0;
};

constexpr int32_t kCPSelectionSize = 4;
constexpr int32_t kCPCriteriaSize = 6;
constexpr int32_t kCPParamSize = 6;
constexpr int32_t kCPListHeaderSize = 4;
constexpr int32_t kCPRangeHeaderSize = 2;

// ---- Building. Each New... answers a new block; each Add... appends a copy
// of the bytes of its last argument, which stays the caller's.
CPOwnedHandle NewSelection(const CPDataEncoding& e);
// `size` content bytes, already in the encoding, after a parameter header.
CPOwnedHandle NewSelectionParam(CPSelectionParamType pType, const void* data, int32_t size,
                                const CPDataEncoding& e);
CPOwnedHandle NewSelectionParam(CPSelectionParamType pType, Handle data, const CPDataEncoding& e);
CPOwnedHandle NewSelectionList(CPSelectionListOperator listOp, const CPDataEncoding& e);
CPOwnedHandle NewSelectionRange(bool includeLimits, const CPDataEncoding& e);
void AddSelectionParamToList(Handle list, const CPDataEncoding& e, Handle param);
// Called twice: the low bound, then the high bound.
void AddSelectionParamToRange(Handle range, const CPDataEncoding& e, Handle param);
CPOwnedHandle NewSelectionCriteria(CPSelectionOperator op, CPSelectionSubject subject,
                                   bool negative, CPSelectionComparator comparator, Handle param,
                                   const CPDataEncoding& e);
void AddCriteriaToSelection(Handle selection, const CPDataEncoding& e, Handle criterion);

// Typed parameters, their content put in the encoding.
CPOwnedHandle NewSelectionParamBoolean(bool value, const CPDataEncoding& e);
CPOwnedHandle NewSelectionParamStatus(uint8_t status, const CPDataEncoding& e);
CPOwnedHandle NewSelectionParamMonth(int16_t month, const CPDataEncoding& e);
CPOwnedHandle NewSelectionParamDate(CPDate date, const CPDataEncoding& e);
// Hundredths of `amount` (FrancsToCents), as a 64-bit integer.
CPOwnedHandle NewSelectionParamCents(double amount, const CPDataEncoding& e);
CPOwnedHandle NewSelectionParamDouble(double amount, const CPDataEncoding& e);
CPOwnedHandle NewSelectionParamResID(int16_t id, const CPDataEncoding& e);
// `text` (MacRoman) cut to `width` - 1 characters, in the encoding's
// character set, in a content of `width` bytes (0: as long as the text).
CPOwnedHandle NewSelectionParamString(ConstStringPtr text, const CPDataEncoding& e,
                                      int32_t width = 0);

// ---- Reading. Each reads one item at `*offset`, converts it to host form
// and moves the offset past what it read.
bool GetSelection(Handle selection, const CPDataEncoding& e, CPSelection* header, int32_t* offset);
// The criterion and its parameter's header: 12 bytes.
void GetSelectionCriteria(Handle selection, const CPDataEncoding& e, CPSelectionCriteria* c,
                          CPSelectionParam* param, int32_t* offset);
void GetSelectionParam(Handle selection, const CPDataEncoding& e, CPSelectionParam* param,
                       int32_t* offset);
void GetSelectionListHeader(Handle selection, const CPDataEncoding& e, CPSelectionListHeader* h,
                            int32_t* offset);
void GetSelectionRangeHeader(Handle selection, const CPDataEncoding& e, CPSelectionRangeHeader* h,
                             int32_t* offset);
// Copies at most `capacity` content bytes, as stored, when the parameter's
// type is `pType`; always moves past the content.
bool GetSelectionParamContent(Handle selection, const CPSelectionParam& param,
                              CPSelectionParamType pType, void* buffer, int32_t capacity,
                              int32_t* offset);
// The content as a new block.
CPOwnedHandle GetSelectionParamContent(Handle selection, const CPSelectionParam& param,
                                       int32_t* offset);
// Skips a parameter (header and content), or the content of one just read.
void JumpSelectionParam(Handle selection, const CPDataEncoding& e, int32_t* offset);
inline void JumpSelectionParamContent(const CPSelectionParam& param, int32_t* offset) {
  *offset += param.size;
}
// Typed contents. A string (type 9) in MacRoman; a date (7, or a text of
// type 9 evaluated as a date formula now), 0 for another type; an amount
// (8 or 11), 0 for another type; a whole number of types 4, 5, 6, 7 and 10.
void GetSelectionParamString(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, StringPtr text, int32_t* offset);
CPDate GetSelectionParamDate(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, int32_t* offset);
double GetSelectionParamMontant(Handle selection, const CPDataEncoding& e,
                                const CPSelectionParam& param, int32_t* offset);
int32_t GetSelectionParamInteger(Handle selection, const CPDataEncoding& e,
                                 const CPSelectionParam& param, int32_t* offset);

// ---- Checking and editing.
// Whether the block is a selection every reader can walk: versions 0, every
// item within the block, lists and ranges well formed.
bool IsValidSelection(Handle selection, const CPDataEncoding& e);
// The first criterion about `subject` and the offset just after its 12 bytes.
bool FindSelectionCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                           CPSelectionCriteria* criterion, CPSelectionParam* param,
                           int32_t* offset);
// Removes the criterion found at `offset` (as FindSelectionCriteria gave it).
void RemoveSelectionCriteria(Handle selection, const CPDataEncoding& e,
                             const CPSelectionParam& param, int32_t offset);

// ---- Evaluating.
// Reads the parameter's content at `*offset` (moving past it) and answers
// whether the record's field passes, `negative` applied.
using CPSelectionTest = bool (*)(const void* record, void* context, Handle selection,
                                 const CPDataEncoding& e, CPSelectionSubject subject, bool negative,
                                 CPSelectionComparator comparator, const CPSelectionParam& param,
                                 int32_t* offset);
// The criteria after `offset` (just after the header), combined strictly
// from left to right; a criterion whose operator cannot change the result is
// skipped unread. No criteria: true.
bool ApplySelection(const void* record, void* context, Handle selection, const CPDataEncoding& e,
                    const CPSelection& header, int32_t offset, CPSelectionTest test);

// The generic tests of a record's value `x` against a criterion's `c`.
// Amounts: equal within 0.0001.
bool SelectionTestMontant(double x, double c, CPSelectionComparator comparator);
// Dates and other whole numbers: exactly.
bool SelectionTest(int64_t x, int64_t c, CPSelectionComparator comparator);
// Texts (MacRoman): equality, "contains", "begins" and "ends" without regard
// to letter case or accents; order by the French comparison.
bool SelectionTest(ConstStringPtr x, ConstStringPtr c, CPSelectionComparator comparator);
// A number against 0.
bool SelectionTest(int64_t value, CPSelectionComparator comparator);

// Whether `pattern` occurs in `text`, letter case and accents aside; never
// for an empty pattern or one longer than the text.
bool CPStrFindSubString(ConstStringPtr text, ConstStringPtr pattern);

#endif  // VYX_ANALYSIS_CPSELECTION_H_
