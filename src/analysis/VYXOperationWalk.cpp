// The reference evaluation of a selection on operations: the encoded block
// walked by ApplySelection, every value read from it at each test. The
// programs (VYXSelectionProgram.h) answer the same faster; this walk is what
// they are checked against.
#include <cmath>
#include <cstring>

#include "analysis/CPSelectionBytes.h"
#include "analysis/VYXOperationSelection.h"
#include "analysis/VYXSelectionCriteria.h"
#include "analysis/VYXSelectionFields.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet.h"

namespace {

// Calendar days: a date's time of day does not count.
int64_t Day(CPDate date) { return date / 86400u; }

bool AcceptsAmount(CPSelectionParamType t) { return t == kParamCents || t == kParamDouble; }
bool AcceptsDate(CPSelectionParamType t) { return t == kParamDate || t == kParamString; }

// The name (MacRoman) of the account's item `id` of `list`.
std::string NameOf(VYXSelectionContext& ctx, VYXCompteList list, CPResID id) {
  Str255 name;
  name[0] = 0;
  CPResourceSet& set = ctx.compte->GetListSet(list);
  if (id != 0 && set.ResourceExists(id)) set.GetResourceName(id, name);
  return PToStd(name);
}

bool ItemTest(VYXSelectionContext& ctx, Handle selection, const CPDataEncoding& e,
              VYXCompteList list, CPResID id, CPSelectionComparator comparator,
              const CPSelectionParam& param, int32_t* offset, bool* accepted) {
  if (param.pType == kParamResID) {
    return SelectionTest(
        int64_t(id), int64_t(GetSelectionParamInteger(selection, e, param, offset)), comparator);
  }
  if (param.pType == kParamString) {
    Str255 c, x;
    GetSelectionParamString(selection, e, param, c, offset);
    StdToP(NameOf(ctx, list, id), x);
    return SelectionTest(x, c, comparator);
  }
  *accepted = false;
  return false;
}

// A text field of `capacity` characters, brought by `fill` to the form lists
// show before comparing.
bool TextTest(ConstStringPtr field, int capacity, Handle selection, const CPDataEncoding& e,
              CPSelectionComparator comparator, const CPSelectionParam& param, int32_t* offset,
              void (*fill)(StringPtr)) {
  Str255 x, c;
  GetSelectionParamString(selection, e, param, c, offset);
  TruncPString(x, field, capacity);
  if (fill) {
    fill(x);
    fill(c);
  }
  return SelectionTest(x, c, comparator);
}

bool SousOperationsTest(VYXSelectionContext& ctx, const Operation& op, Handle selection,
                        const CPDataEncoding& e, const CPSelectionParam& param, int32_t* offset) {
  int32_t start = *offset;
  *offset += param.size;
  if (op.sousOpsNbr <= 0) return false;
  // The content is a whole selection: its header, then its criteria.
  CPSelection header;
  header.version = cpsel::Get<uint8_t>(selection, start, e);
  header.count = cpsel::Get<int16_t>(selection, start + 2, e);
  int32_t criteria = start + kCPSelectionSize;

  VYXSelectionContext lineCtx = ctx;
  lineCtx.op = &op;
  SousOperation line;
  VYXDataRef ref = 0;
  for (bool more = ctx.compte->GetFirstSousOperation(op, &line, &ref); more;
       more = ctx.compte->GetNextSousOperation(op, &line, &ref)) {
    if (ApplySelection(&line, &lineCtx, selection, e, header, criteria,
                       IsValidSousOperationCriteria)) {
      return true;
    }
  }
  return false;
}

bool FieldsTest(const VYXSelectionFields& f, const Operation* op, VYXSelectionContext& ctx,
                Handle selection, const CPDataEncoding& e, CPSelectionSubject subject,
                bool negative, CPSelectionComparator comparator, const CPSelectionParam& param,
                int32_t* offset) {
  bool accepted = true;
  bool pass = false;
  auto amount = [&](double x) {
    if (!AcceptsAmount(param.pType)) return accepted = false;
    double c = CPArrondi(GetSelectionParamMontant(selection, e, param, offset), ctx.decimals);
    return SelectionTestMontant(x, c, comparator);
  };
  auto date = [&](CPDate x) {
    if (!AcceptsDate(param.pType)) return accepted = false;
    return SelectionTest(Day(x), Day(GetSelectionParamDate(selection, e, param, offset)),
                         comparator);
  };
  auto text = [&](ConstStringPtr x, int capacity, void (*fill)(StringPtr)) {
    if (param.pType != kParamString) return accepted = false;
    return TextTest(x, capacity, selection, e, comparator, param, offset, fill);
  };
  auto integer = [&](int64_t x, CPSelectionParamType type) {
    if (param.pType != type) return accepted = false;
    return SelectionTest(x, int64_t(GetSelectionParamInteger(selection, e, param, offset)),
                         comparator);
  };
  auto item = [&](VYXCompteList list, CPResID id) {
    return ItemTest(ctx, selection, e, list, id, comparator, param, offset, &accepted);
  };
  int32_t end = *offset + param.size;
  switch (subject) {
    case kSubjectDate:
      pass = date(f.date);
      break;
    case kSubjectDatePointe:
      pass = date(f.datePointe);
      break;
    case kSubjectLibelle:
      pass = text(f.libelle, sizeof(Str99) - 1, nullptr);
      break;
    case kSubjectCheque:
      pass = text(f.noCheque, sizeof(Str7) - 1, Operation::FillNoCheque);
      break;
    case kSubjectReleve:
      // "At least" and "at most" compare the statement numbers as stored.
      pass = text(f.releve, sizeof(Str5) - 1,
                  comparator == kCompAtLeast || comparator == kCompAtMost ? nullptr
                                                                          : Operation::FillReleve);
      break;
    case kSubjectPiece:
      pass = text(f.noPiece, sizeof(Str12) - 1, nullptr);
      break;
    case kSubjectMontant:
      pass = amount(f.montant);
      break;
    case kSubjectMontantAbs:
      pass = amount(std::fabs(f.montant));
      break;
    case kSubjectMontantTva:
      pass = amount(f.montantTva);
      break;
    case kSubjectMontantTvaAbs:
      pass = amount(std::fabs(f.montantTva));
      break;
    case kSubjectStatus:
      pass = integer(f.status, kParamStatus);
      break;
    case kSubjectMois:
      pass = integer(f.mois, kParamMonth);
      break;
    case kSubjectMode:
      pass = item(kVYXListModes, f.mode);
      break;
    case kSubjectTva:
      pass = item(kVYXListTauxTVA, f.tva);
      break;
    case kSubjectCategorie:
      pass = item(kVYXListCategories, f.categorie);
      break;
    case kSubjectTiers:
      pass = item(kVYXListTiers, f.tiers);
      break;
    case kSubjectAffaire:
      pass = item(kVYXListAffaires, f.affaire);
      break;
    case kSubjectAffectation:
      pass = item(kVYXListAffectations, f.affectation);
      break;
    case kSubjectSousOperations:
      if (op && param.pType == kParamSelection) {
        pass = SousOperationsTest(ctx, *op, selection, e, param, offset);
      } else if (op) {
        accepted = false;
      } else {
        pass = true;  // a split line has no split lines: not its subject
      }
      break;
    default:
      pass = true;  // a subject the operations do not have
      break;
  }
  if (!accepted) pass = false;
  *offset = end;
  return negative ? !pass : pass;
}

}  // namespace

bool IsValidOperationCriteria(const void* record, void* context, Handle selection,
                              const CPDataEncoding& e, CPSelectionSubject subject, bool negative,
                              CPSelectionComparator comparator, const CPSelectionParam& param,
                              int32_t* offset) {
  const auto& op = *static_cast<const Operation*>(record);
  auto& ctx = *static_cast<VYXSelectionContext*>(context);
  return FieldsTest(VYXFieldsOfOperation(op), &op, ctx, selection, e, subject, negative, comparator,
                    param, offset);
}

bool IsValidSousOperationCriteria(const void* record, void* context, Handle selection,
                                  const CPDataEncoding& e, CPSelectionSubject subject,
                                  bool negative, CPSelectionComparator comparator,
                                  const CPSelectionParam& param, int32_t* offset) {
  const auto& line = *static_cast<const SousOperation*>(record);
  auto& ctx = *static_cast<VYXSelectionContext*>(context);
  return FieldsTest(VYXFieldsOfLine(line, *ctx.op), nullptr, ctx, selection, e, subject, negative,
                    comparator, param, offset);
}

bool OperationIsSelectedByWalk(VYXCompte& compte, const Operation& op, Handle selection,
                               const CPDataEncoding& e, int16_t decimals) {
  CPSelection header;
  int32_t offset = 0;
  if (!GetSelection(selection, e, &header, &offset)) return false;
  VYXSelectionContext ctx;
  ctx.compte = &compte;
  ctx.op = &op;
  ctx.decimals = decimals;
  return ApplySelection(&op, &ctx, selection, e, header, offset, IsValidOperationCriteria);
}

bool SousOperationIsSelectedByWalk(VYXCompte& compte, const Operation& op,
                                   const SousOperation& line, Handle selection,
                                   const CPDataEncoding& e, int16_t decimals) {
  CPSelection header;
  int32_t offset = 0;
  if (!GetSelection(selection, e, &header, &offset)) return false;
  VYXSelectionContext ctx;
  ctx.compte = &compte;
  ctx.op = &op;
  ctx.decimals = decimals;
  return ApplySelection(&line, &ctx, selection, e, header, offset, IsValidSousOperationCriteria);
}
