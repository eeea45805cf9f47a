// The subjects of an operation's criteria and the builders that turn the
// conditions of a filter (a kind of range, an amount and its sense, a text, a
// list of items, months, statuses) into criteria appended to an encoded
// selection (CPSelection.h). Each raises the memory error when the block
// cannot grow; a condition that selects everything adds nothing.
#ifndef VYX_ANALYSIS_VYXSELECTIONCRITERIA_H_
#define VYX_ANALYSIS_VYXSELECTIONCRITERIA_H_

#include <vector>

#include "analysis/CPSelection.h"

class CPResourceSet;

// What an operation's criterion tests.
enum : CPSelectionSubject {
  kSubjectDate = 1000,
  kSubjectLibelle = 1001,
  kSubjectMontant = 1002,  // signed
  kSubjectMode = 1003,
  kSubjectCheque = 1004,
  kSubjectStatus = 1005,
  kSubjectDatePointe = 1006,
  kSubjectReleve = 1007,
  kSubjectMontantAbs = 1008,
  kSubjectTva = 1009,
  kSubjectMontantTva = 1010,  // signed
  kSubjectMontantTvaAbs = 1011,
  kSubjectPiece = 1012,
  kSubjectCategorie = 1100,
  kSubjectMois = 1101,
  kSubjectTiers = 1102,
  kSubjectAffaire = 1103,
  kSubjectAffectation = 1104,
  kSubjectSousOperations = 1900,  // a nested selection applied to the split lines
};

// Kinds of a range condition.
enum VYXRangeKind : int16_t {
  kRangeNone = 1,  // 0 too
  kRangeEqual = 2,
  kRangeDifferent = 3,
  kRangeBetween = 4,  // bounds included
  kRangeOutside = 5,
  kRangeAtLeast = 6,  // begins with, for a text
  kRangeAtMost = 7,   // ends with, for a text
};

// Senses of an amount condition.
enum VYXAmountSign : int16_t { kSignEither = 1, kSignDebits = 2, kSignCredits = 3 };

// One criterion (kinds 2, 3, 6, 7) or a range (4, 5) over `low` and `high`,
// parameters of type `pType` whose contents (`size` bytes each, already in
// the encoding) are given.
void AddRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                      CPSelectionSubject subject, int16_t kind, CPSelectionParamType pType,
                      const void* low, const void* high, int32_t size);
// The same, parameters given whole.
void AddRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                      CPSelectionSubject subject, int16_t kind, Handle low, Handle high);

// An amount condition, in hundredths: on `absSubject` when the values are
// not negative and the sense is either, else on `signedSubject`; debits and
// credits bound the amount by 0.
void AddMontantAsCompCriteria(Handle selection, const CPDataEncoding& e,
                              CPSelectionSubject absSubject, CPSelectionSubject signedSubject,
                              int16_t kind, int16_t sign, double first, double second);
// Texts cut to `width` - 1 characters, stored in `width` bytes.
void AddStringRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                            CPSelectionSubject subject, int16_t kind, ConstStringPtr first,
                            ConstStringPtr second, int32_t width);
// Two dates when both texts are dates, else the texts themselves, evaluated
// as date formulas each time an operation is tested.
void AddDateRangeCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                          CPSelectionSubject subject, int16_t kind, ConstStringPtr first,
                          ConstStringPtr second);
// "Contains" `text`; several values when it holds "¬" (MacRoman 0xC2), joined
// by `listOp`. With `exact`, equality rather than "contains" (vyx's own).
void AddStringCriteria(Handle selection, const CPDataEncoding& e, CPSelectionOperator op,
                       CPSelectionSubject subject, ConstStringPtr text,
                       CPSelectionListOperator listOp, bool exact = false);
// Items by ID, or by their names in `set` (so that the selection applies in
// any account whose lists hold the same names). One passing item is enough.
void AddResListCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                        const std::vector<CPResID>& ids);
void AddResNameListCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                            CPResourceSet& set, const std::vector<CPResID>& ids);
// The months accepted, January first.
void AddMonthCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                      const bool months[12]);
void AddStatusOpCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                         bool planned, bool committed, bool cleared);
void AddBoolCriteria(Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                     bool yes, bool no);
// With `flag`, the selection built so far is also applied to the split lines:
// an operation passes when it passes, or when one of its lines does.
void AddSousOpCriteria(Handle selection, const CPDataEncoding& e, bool flag);
// Takes that criterion out again, when the selection is valid and holds one.
void RemoveSousOperationCriteria(Handle selection, const CPDataEncoding& e);

// The character that separates the values of a text condition.
constexpr unsigned char kCPValuesSeparator = 0xC2;

#endif  // VYX_ANALYSIS_VYXSELECTIONCRITERIA_H_
