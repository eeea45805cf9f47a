// A mask to its encoded selection, and back.
#include "analysis/VYXSelectionMask.h"

#include <cstring>

#include "accounts/VYXCompte.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

namespace {

bool SameText(ConstStringPtr a, ConstStringPtr b) { return CPStrEqual(a, b); }

}  // namespace

bool VYXSelectionMask::operator==(const VYXSelectionMask& o) const {
  return version == o.version && libelleListOp == o.libelleListOp && SameText(libelle, o.libelle) &&
         montantKind == o.montantKind && montantSign == o.montantSign && montant1 == o.montant1 &&
         montant2 == o.montant2 && dateKind == o.dateKind && SameText(date1, o.date1) &&
         SameText(date2, o.date2) && std::equal(status, status + 3, o.status) && modes == o.modes &&
         chequeKind == o.chequeKind && SameText(cheque1, o.cheque1) &&
         SameText(cheque2, o.cheque2) && categories == o.categories &&
         affectations == o.affectations && std::equal(months, months + 12, o.months) &&
         tauxTVA == o.tauxTVA && tvaKind == o.tvaKind && tvaSign == o.tvaSign && tva1 == o.tva1 &&
         tva2 == o.tva2 && datePointeKind == o.datePointeKind &&
         SameText(datePointe1, o.datePointe1) && SameText(datePointe2, o.datePointe2) &&
         releveKind == o.releveKind && SameText(releve1, o.releve1) &&
         SameText(releve2, o.releve2) && setting == o.setting &&
         sousOperations == o.sousOperations && pieceKind == o.pieceKind &&
         SameText(piece1, o.piece1) && SameText(piece2, o.piece2) && tiers == o.tiers &&
         affaires == o.affaires && libelleExact == o.libelleExact;
}

VYXSelectionSets VYXSelectionSets::Of(VYXUserPreferences& user) {
  return {&user.GetCategories(), &user.GetAffectations(), &user.GetModes(),
          &user.GetTiers(),      &user.GetAffaires(),     &user.GetTauxTVA()};
}

VYXSelectionSets VYXSelectionSets::Of(VYXCompte& compte) {
  return {&compte.GetCategories(), &compte.GetAffectations(), &compte.GetModes(),
          &compte.GetTiers(),      &compte.GetAffaires(),     &compte.GetTVAs()};
}

// ---- mask to selection

bool ConvertMaskToSelection(const VYXSelectionMask& m, CPOwnedHandle& selection,
                            const CPDataEncoding& e, const VYXSelectionSets& sets) {
  try {
    selection = NewSelection(e);
    Handle s = selection.get();
    AddStatusOpCriteria(s, e, kSubjectStatus, m.status[0], m.status[1], m.status[2]);
    AddMontantAsCompCriteria(s, e, kSubjectMontantAbs, kSubjectMontant, m.montantKind,
                             m.montantSign, m.montant1, m.montant2);
    AddMontantAsCompCriteria(s, e, kSubjectMontantTvaAbs, kSubjectMontantTva, m.tvaKind, m.tvaSign,
                             m.tva1, m.tva2);
    AddDateRangeCriteria(s, e, kSelAnd, kSubjectDate, m.dateKind, m.date1, m.date2);
    if (sets.categories)
      AddResNameListCriteria(s, e, kSubjectCategorie, *sets.categories, m.categories);
    if (sets.affectations) {
      AddResNameListCriteria(s, e, kSubjectAffectation, *sets.affectations, m.affectations);
    }
    if (sets.modes) AddResNameListCriteria(s, e, kSubjectMode, *sets.modes, m.modes);
    AddStringRangeCriteria(s, e, kSelAnd, kSubjectPiece, m.pieceKind, m.piece1, m.piece2, 13);
    if (sets.tiers) AddResNameListCriteria(s, e, kSubjectTiers, *sets.tiers, m.tiers);
    if (sets.affaires) AddResNameListCriteria(s, e, kSubjectAffaire, *sets.affaires, m.affaires);
    if (sets.tauxTVA) AddResNameListCriteria(s, e, kSubjectTva, *sets.tauxTVA, m.tauxTVA);
    AddMonthCriteria(s, e, kSubjectMois, m.months);
    AddStringRangeCriteria(s, e, kSelAnd, kSubjectCheque, m.chequeKind, m.cheque1, m.cheque2, 8);
    AddDateRangeCriteria(s, e, kSelAnd, kSubjectDatePointe, m.datePointeKind, m.datePointe1,
                         m.datePointe2);
    AddStringRangeCriteria(s, e, kSelAnd, kSubjectReleve, m.releveKind, m.releve1, m.releve2, 6);
    AddStringCriteria(s, e, kSelAnd, kSubjectLibelle, m.libelle, m.libelleListOp, m.libelleExact);
    CPSelection header;
    int32_t offset = 0;
    if (GetSelection(s, e, &header, &offset) && header.count > 0) {
      AddSousOpCriteria(s, e, m.sousOperations);
    }
    return true;
  } catch (const CPException&) {
    return false;
  }
}

bool ConvertMaskToSelection(const VYXSelectionMask& mask, CPOwnedHandle& selection,
                            const CPDataEncoding& e, VYXUserPreferences& user) {
  return ConvertMaskToSelection(mask, selection, e, VYXSelectionSets::Of(user));
}

bool ConvertMaskToSelection(const VYXSelectionMask& mask, CPOwnedHandle& selection,
                            const CPDataEncoding& e, VYXCompte& compte) {
  return ConvertMaskToSelection(mask, selection, e, VYXSelectionSets::Of(compte));
}

// ---- selection to mask

namespace {

// One criterion as the builders write them: its form and up to two values.
struct Condition {
  CPSelectionCriteria c;
  bool range = false;
  bool list = false;
  CPSelectionListOperator listOp = kListAny;
  // The values read: parameters and their offsets in the block.
  std::vector<std::pair<CPSelectionParam, int32_t>> values;
};

Condition ReadCondition(Handle s, const CPDataEncoding& e, int32_t* offset) {
  Condition cond;
  CPSelectionParam p;
  GetSelectionCriteria(s, e, &cond.c, &p, offset);
  int32_t end = *offset + p.size;
  if (p.pType == kParamList || p.pType == kParamRange) {
    int16_t count = 2;
    if (p.pType == kParamList) {
      CPSelectionListHeader list;
      GetSelectionListHeader(s, e, &list, offset);
      cond.list = true;
      cond.listOp = list.op;
      count = list.count;
    } else {
      CPSelectionRangeHeader range;
      GetSelectionRangeHeader(s, e, &range, offset);
      cond.range = true;
    }
    for (int i = 0; i < count; ++i) {
      CPSelectionParam item;
      GetSelectionParam(s, e, &item, offset);
      cond.values.emplace_back(item, *offset);
      *offset += item.size;
    }
  } else {
    cond.values.emplace_back(p, *offset);
  }
  *offset = end;
  return cond;
}

// The range kind a criterion was built from (AddRangeCriteria backwards).
int16_t KindOf(const Condition& cond) {
  if (cond.range) return cond.c.negative ? kRangeOutside : kRangeBetween;
  switch (cond.c.comparator) {
    case kCompEqual:
      return cond.c.negative ? kRangeDifferent : kRangeEqual;
    case kCompAtLeast:
    case kCompGreaterOrEqual:
      return kRangeAtLeast;
    case kCompAtMost:
      return kRangeAtMost;
    case kCompGreater:
      return cond.c.negative ? kRangeAtMost : kRangeNone;
    default:
      return kRangeNone;
  }
}

double Amount(Handle s, const CPDataEncoding& e, const Condition& cond, size_t i) {
  if (i >= cond.values.size()) return 0;
  int32_t at = cond.values[i].second;
  return GetSelectionParamMontant(s, e, cond.values[i].first, &at);
}

void Text(Handle s, const CPDataEncoding& e, const Condition& cond, size_t i, StringPtr out,
          int width) {
  Str255 text;
  text[0] = 0;
  if (i < cond.values.size()) {
    const CPSelectionParam& p = cond.values[i].first;
    int32_t at = cond.values[i].second;
    if (p.pType == kParamDate) {
      CPDateToStr(CPDate(GetSelectionParamInteger(s, e, p, &at)), text);
    } else {
      GetSelectionParamString(s, e, p, text, &at);
    }
  }
  TruncPString(out, text, width);
}

// AddMontantAsCompCriteria backwards. Several masks give one selection; the
// one chosen keeps the sense "either" unless only debits or credits give it,
// and reads a range bounded by 0 as debits or credits up to a value.
void AmountOf(Handle s, const CPDataEncoding& e, const Condition& cond, bool absolute,
              int16_t* kind, int16_t* sign, double* first, double* second) {
  *kind = KindOf(cond);
  double v1 = Amount(s, e, cond, 0), v2 = Amount(s, e, cond, 1);
  *first = v1;
  *second = cond.range ? v2 : 0;
  *sign = kSignEither;
  if (absolute) return;
  bool negative = v1 < 0 || (cond.range && v2 < 0);
  switch (*kind) {
    case kRangeAtMost:
      if (v1 == 0) {
        *sign = kSignDebits;
        *kind = kRangeNone;
        *first = 0;
      } else if (v1 > 0) {
        *sign = kSignDebits;
        *kind = kRangeAtLeast;
      }
      break;
    case kRangeAtLeast:
      if (v1 == 0) {
        *sign = kSignCredits;
        *kind = kRangeNone;
        *first = 0;
      } else if (v1 > 0) {
        *sign = kSignCredits;
      }
      break;
    case kRangeBetween:
      if (v1 < 0 && v2 == 0) {
        *sign = kSignDebits;
        *kind = kRangeAtMost;
        *second = 0;
      } else if (v1 == 0 && v2 > 0) {
        *sign = kSignCredits;
        *kind = kRangeAtMost;
        *first = v2;
        *second = 0;
      } else if (!negative) {
        *sign = kSignCredits;
      }
      break;
    default:
      if (!negative) *sign = kSignCredits;
      break;
  }
}

std::vector<CPResID> IDsOf(Handle s, const CPDataEncoding& e, const Condition& cond,
                           CPResourceSet* set) {
  std::vector<CPResID> ids;
  for (const auto& [p, offset] : cond.values) {
    int32_t at = offset;
    if (p.pType == kParamResID) {
      ids.push_back(CPResID(GetSelectionParamInteger(s, e, p, &at)));
    } else if (p.pType == kParamString && set) {
      Str255 name;
      GetSelectionParamString(s, e, p, name, &at);
      if (name[0] != 0 && set->ResourceExists(name)) ids.push_back(set->GetResourceID(name));
    }
  }
  return ids;
}

}  // namespace

bool ConvertSelectionToMask(Handle s, const CPDataEncoding& e, const VYXSelectionSets& sets,
                            VYXSelectionMask* mask) {
  if (!IsValidSelection(s, e)) return false;
  VYXSelectionMask m;
  CPSelection header;
  int32_t offset = 0;
  GetSelection(s, e, &header, &offset);
  // A selection with conditions says whether it reaches split lines by
  // ending with the criterion that does; an empty one is the default mask.
  if (header.count > 0) m.sousOperations = false;
  for (int i = 0; i < header.count; ++i) {
    Condition cond = ReadCondition(s, e, &offset);
    switch (cond.c.subject) {
      case kSubjectStatus: {
        int32_t at = cond.values[0].second;
        int32_t status = GetSelectionParamInteger(s, e, cond.values[0].first, &at);
        for (int k = 0; k < 3; ++k) m.status[k] = (k == status) != (cond.c.negative != 0);
        break;
      }
      case kSubjectMontant:
      case kSubjectMontantAbs:
        AmountOf(s, e, cond, cond.c.subject == kSubjectMontantAbs, &m.montantKind, &m.montantSign,
                 &m.montant1, &m.montant2);
        break;
      case kSubjectMontantTva:
      case kSubjectMontantTvaAbs:
        AmountOf(s, e, cond, cond.c.subject == kSubjectMontantTvaAbs, &m.tvaKind, &m.tvaSign,
                 &m.tva1, &m.tva2);
        break;
      case kSubjectDate:
        m.dateKind = KindOf(cond);
        Text(s, e, cond, 0, m.date1, 32);
        if (cond.range) Text(s, e, cond, 1, m.date2, 32);
        break;
      case kSubjectDatePointe:
        m.datePointeKind = KindOf(cond);
        Text(s, e, cond, 0, m.datePointe1, 32);
        if (cond.range) Text(s, e, cond, 1, m.datePointe2, 32);
        break;
      case kSubjectPiece:
        m.pieceKind = KindOf(cond);
        Text(s, e, cond, 0, m.piece1, 12);
        if (cond.range) Text(s, e, cond, 1, m.piece2, 12);
        break;
      case kSubjectCheque:
        m.chequeKind = KindOf(cond);
        Text(s, e, cond, 0, m.cheque1, 7);
        if (cond.range) Text(s, e, cond, 1, m.cheque2, 7);
        break;
      case kSubjectReleve:
        m.releveKind = KindOf(cond);
        Text(s, e, cond, 0, m.releve1, 5);
        if (cond.range) Text(s, e, cond, 1, m.releve2, 5);
        break;
      case kSubjectCategorie:
        m.categories = IDsOf(s, e, cond, sets.categories);
        break;
      case kSubjectAffectation:
        m.affectations = IDsOf(s, e, cond, sets.affectations);
        break;
      case kSubjectMode:
        m.modes = IDsOf(s, e, cond, sets.modes);
        break;
      case kSubjectTiers:
        m.tiers = IDsOf(s, e, cond, sets.tiers);
        break;
      case kSubjectAffaire:
        m.affaires = IDsOf(s, e, cond, sets.affaires);
        break;
      case kSubjectTva:
        m.tauxTVA = IDsOf(s, e, cond, sets.tauxTVA);
        break;
      case kSubjectMois:
        std::fill(m.months, m.months + 12, false);
        for (const auto& [p, at0] : cond.values) {
          int32_t at = at0;
          int32_t month = GetSelectionParamInteger(s, e, p, &at);
          if (month >= 1 && month <= 12) m.months[month - 1] = true;
        }
        break;
      case kSubjectLibelle: {
        std::string text;
        for (size_t k = 0; k < cond.values.size(); ++k) {
          Str255 piece;
          Text(s, e, cond, k, piece, 255);
          if (k > 0) text += char(kCPValuesSeparator);
          text += PToStd(piece);
        }
        StdToP(text, m.libelle);
        m.libelleListOp = cond.list ? cond.listOp : CPSelectionListOperator(kListAny);
        m.libelleExact = cond.c.comparator == kCompEqual;
        break;
      }
      case kSubjectSousOperations:
        m.sousOperations = true;
        break;
      default:
        break;
    }
  }
  *mask = m;
  return true;
}

bool ConvertSelectionToMask(Handle selection, const CPDataEncoding& e, VYXUserPreferences& user,
                            VYXSelectionMask* mask) {
  return ConvertSelectionToMask(selection, e, VYXSelectionSets::Of(user), mask);
}
