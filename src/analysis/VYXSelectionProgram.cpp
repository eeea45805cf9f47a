#include "analysis/VYXSelectionProgram.h"

#include <cmath>
#include <cstring>

#include "analysis/CPSelectionBytes.h"
#include "analysis/VYXSelectionCriteria.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPStandardFunctions.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet.h"

namespace {

// What a leaf does with its value, decided by its subject and its type.
enum class Kind : uint8_t {
  kFail,      // a type the subject does not take
  kPass,      // a subject the operations do not have
  kAmount,    // amount
  kDay,       // number: a calendar day
  kText,      // text, already brought to the form lists show
  kInteger,   // number: a status or a month
  kItemID,    // number: an item's ID
  kItemName,  // text: an item's name
  kLines,     // block: a selection of split lines (`hasBlock` false: none)
};

int64_t Day(CPDate date) { return date / 86400u; }

bool IsItemSubject(CPSelectionSubject s, VYXCompteList* list) {
  switch (s) {
    case kSubjectMode:
      *list = kVYXListModes;
      return true;
    case kSubjectTva:
      *list = kVYXListTauxTVA;
      return true;
    case kSubjectCategorie:
      *list = kVYXListCategories;
      return true;
    case kSubjectTiers:
      *list = kVYXListTiers;
      return true;
    case kSubjectAffaire:
      *list = kVYXListAffaires;
      return true;
    case kSubjectAffectation:
      *list = kVYXListAffectations;
      return true;
    default:
      return false;
  }
}

// Text subjects: their field's capacity and the filling lists show.
bool IsTextSubject(CPSelectionSubject s, CPSelectionComparator comparator, int* capacity,
                   void (**fill)(StringPtr)) {
  *fill = nullptr;
  switch (s) {
    case kSubjectLibelle:
      *capacity = sizeof(Str99) - 1;
      return true;
    case kSubjectCheque:
      *capacity = sizeof(Str7) - 1;
      *fill = Operation::FillNoCheque;
      return true;
    case kSubjectReleve:
      // "At least" and "at most" compare the statement numbers as stored.
      *capacity = sizeof(Str5) - 1;
      if (comparator != kCompAtLeast && comparator != kCompAtMost) *fill = Operation::FillReleve;
      return true;
    case kSubjectPiece:
      *capacity = sizeof(Str12) - 1;
      return true;
    default:
      return false;
  }
}

ConstStringPtr TextOf(const VYXSelectionFields& f, CPSelectionSubject s) {
  switch (s) {
    case kSubjectLibelle:
      return f.libelle;
    case kSubjectCheque:
      return f.noCheque;
    case kSubjectReleve:
      return f.releve;
    default:
      return f.noPiece;
  }
}

double AmountOf(const VYXSelectionFields& f, CPSelectionSubject s) {
  switch (s) {
    case kSubjectMontant:
      return f.montant;
    case kSubjectMontantAbs:
      return std::fabs(f.montant);
    case kSubjectMontantTva:
      return f.montantTva;
    default:
      return std::fabs(f.montantTva);
  }
}

CPResID ItemOf(const VYXSelectionFields& f, CPSelectionSubject s) {
  switch (s) {
    case kSubjectMode:
      return f.mode;
    case kSubjectTva:
      return f.tva;
    case kSubjectCategorie:
      return f.categorie;
    case kSubjectTiers:
      return f.tiers;
    case kSubjectAffaire:
      return f.affaire;
    default:
      return f.affectation;
  }
}

// Whether the formula of a date criterion gives the same date whatever the day.
bool IsFixedDate(ConstStringPtr text) {
  return CPIsValidDateStr(text) && CPDateStrIsComplete(text);
}

}  // namespace

struct VYXSelectionProgram::Leaf {
  CPSelectionSubject subject = 0;
  Kind kind = Kind::kFail;
  bool negative = false;
  CPSelectionComparator comparator = kCompNone;
  void (*fill)(StringPtr) = nullptr;        // texts
  int capacity = 0;                         // texts
  VYXCompteList list = kVYXListCategories;  // names
  bool today = false;                       // a date's formula that depends on today
  bool hasBlock = false;                    // split lines
  int32_t block = -1;
  int64_t number = 0;
  double amount = 0;
  Str255 text = {0};  // texts and names; a date's formula
  // Names: the verdict on each item of the account, by ID (-1: not asked yet).
  std::vector<int8_t> verdicts;
};

struct VYXSelectionProgram::Criterion {
  CPSelectionOperator op = kSelAnd;
  enum Shape : uint8_t { kSingle, kList, kRange } shape = kSingle;
  bool negative = false;         // ranges
  bool all = false;              // lists: every value must pass
  int32_t first = 0, count = 0;  // its leaves
};

struct VYXSelectionProgram::Block {
  std::vector<Criterion> criteria;
  std::vector<Leaf> leaves;
};

VYXSelectionProgram::VYXSelectionProgram(VYXCompte& compte, Handle selection,
                                         const CPDataEncoding& e, int16_t decimals)
    : compte_(compte), selection_(selection), encoding_(e), decimals_(decimals) {
  CPSelection header;
  int32_t offset = 0;
  readable_ = GetSelection(selection, e, &header, &offset);
  if (readable_) CompileBlock(offset, header.count);
  selection_ = nullptr;
}

VYXSelectionProgram::~VYXSelectionProgram() = default;

// The criteria are read at the offsets the walk reads them at: a criterion's
// content is left by its size whatever its items hold, a list's items and a
// range's bounds follow one another by their own sizes.
int32_t VYXSelectionProgram::CompileBlock(int32_t offset, int count) {
  Block block;
  for (int i = 0; i < count; ++i) {
    CPSelectionCriteria c;
    CPSelectionParam p;
    GetSelectionCriteria(selection_, encoding_, &c, &p, &offset);
    int32_t end = offset + p.size;
    Criterion k;
    k.op = c.op;
    k.first = int32_t(block.leaves.size());
    if (p.pType == kParamList) {
      CPSelectionListHeader list;
      GetSelectionListHeader(selection_, encoding_, &list, &offset);
      k.shape = Criterion::kList;
      k.all = list.op == kListAll;
      for (int n = 0; n < list.count; ++n) {
        CPSelectionParam item;
        GetSelectionParam(selection_, encoding_, &item, &offset);
        CompileLeaf(block, c.subject, c.negative != 0, c.comparator, item, offset);
        offset += item.size;
      }
    } else if (p.pType == kParamRange) {
      CPSelectionRangeHeader range;
      GetSelectionRangeHeader(selection_, encoding_, &range, &offset);
      bool include = range.includeLimits != 0;
      k.shape = Criterion::kRange;
      k.negative = c.negative != 0;
      CPSelectionParam bound;
      GetSelectionParam(selection_, encoding_, &bound, &offset);
      CompileLeaf(block, c.subject, false, include ? kCompGreaterOrEqual : kCompGreater, bound,
                  offset);
      offset += bound.size;
      GetSelectionParam(selection_, encoding_, &bound, &offset);
      CompileLeaf(block, c.subject, true, include ? kCompGreater : kCompGreaterOrEqual, bound,
                  offset);
    } else {
      CompileLeaf(block, c.subject, c.negative != 0, c.comparator, p, offset);
    }
    k.count = int32_t(block.leaves.size()) - k.first;
    block.criteria.push_back(k);
    offset = end;
  }
  blocks_.push_back(std::move(block));
  int32_t index = int32_t(blocks_.size()) - 1;
  for (int32_t leaf = 0; leaf < int32_t(blocks_[index].leaves.size()); ++leaf) {
    const Leaf& l = blocks_[index].leaves[leaf];
    if (l.today) {
      todayLeaves_.emplace_back(index, leaf);
    }
  }
  return index;
}

void VYXSelectionProgram::CompileLeaf(Block& block, CPSelectionSubject subject, bool negative,
                                      CPSelectionComparator comparator,
                                      const CPSelectionParam& param, int32_t offset) {
  Leaf leaf;
  leaf.subject = subject;
  leaf.negative = negative;
  leaf.comparator = comparator;
  Handle s = selection_;
  const CPDataEncoding& e = encoding_;
  VYXCompteList list;
  switch (subject) {
    case kSubjectDate:
    case kSubjectDatePointe:
      if (param.pType == kParamDate) {
        leaf.kind = Kind::kDay;
        leaf.number = Day(GetSelectionParamDate(s, e, param, &offset));
      } else if (param.pType == kParamString) {
        leaf.kind = Kind::kDay;
        GetSelectionParamString(s, e, param, leaf.text, &offset);
        leaf.today = !IsFixedDate(leaf.text);
        leaf.number = Day(CPEvaluateSelectionDate(leaf.text));
      }
      break;
    case kSubjectMontant:
    case kSubjectMontantAbs:
    case kSubjectMontantTva:
    case kSubjectMontantTvaAbs:
      if (param.pType == kParamCents || param.pType == kParamDouble) {
        leaf.kind = Kind::kAmount;
        leaf.amount = CPArrondi(GetSelectionParamMontant(s, e, param, &offset), decimals_);
      }
      break;
    case kSubjectStatus:
    case kSubjectMois:
      if (param.pType == (subject == kSubjectStatus ? kParamStatus : kParamMonth)) {
        leaf.kind = Kind::kInteger;
        leaf.number = GetSelectionParamInteger(s, e, param, &offset);
      }
      break;
    case kSubjectSousOperations:
      leaf.kind = Kind::kLines;
      if (param.pType == kParamSelection) {
        // The content is a whole selection: its header, then its criteria.
        int16_t count = cpsel::Get<int16_t>(s, offset + 2, e);
        leaf.hasBlock = true;
        leaf.block = CompileBlock(offset + kCPSelectionSize, count);
      }
      break;
    default:
      if (IsTextSubject(subject, comparator, &leaf.capacity, &leaf.fill)) {
        if (param.pType != kParamString) break;
        leaf.kind = Kind::kText;
        GetSelectionParamString(s, e, param, leaf.text, &offset);
        if (leaf.fill) leaf.fill(leaf.text);
        if (comparator == kCompContains) {
          // Trimmed once, as the comparison of texts would at each operation.
          int from = 1, to = leaf.text[0];
          while (from <= to && leaf.text[from] == ' ') ++from;
          while (to >= from && leaf.text[to] == ' ') --to;
          leaf.text[0] = uint8_t(to - from + 1);
          std::memmove(leaf.text + 1, leaf.text + from, leaf.text[0]);
        }
      } else if (IsItemSubject(subject, &list)) {
        leaf.list = list;
        if (param.pType == kParamResID) {
          leaf.kind = Kind::kItemID;
          leaf.number = GetSelectionParamInteger(s, e, param, &offset);
        } else if (param.pType == kParamString) {
          leaf.kind = Kind::kItemName;
          GetSelectionParamString(s, e, param, leaf.text, &offset);
        }
      } else {
        leaf.kind = Kind::kPass;
      }
      break;
  }
  block.leaves.push_back(std::move(leaf));
}

void VYXSelectionProgram::ReadTodayDates() {
  for (auto [block, leaf] : todayLeaves_) {
    Leaf& l = blocks_[block].leaves[leaf];
    l.number = Day(CPEvaluateSelectionDate(l.text));
  }
}

void VYXSelectionProgram::ForgetNames() {
  for (Block& b : blocks_) {
    for (Leaf& l : b.leaves) l.verdicts.clear();
  }
}

bool VYXSelectionProgram::Selects(const Operation& op) {
  return readable_ && Run(blocks_.back(), VYXFieldsOfOperation(op));
}

bool VYXSelectionProgram::Selects(const Operation& op, const SousOperation& line) {
  return readable_ && Run(blocks_.back(), VYXFieldsOfLine(line, op));
}

bool VYXSelectionProgram::Run(Block& block, const VYXSelectionFields& f) {
  bool result = true;
  for (size_t i = 0; i < block.criteria.size(); ++i) {
    const Criterion& c = block.criteria[i];
    // "And" after false, "or" after true and operators the system lacks
    // cannot change the result.
    bool useful =
        i == 0 || (c.op == kSelOr ? !result : (c.op == kSelAnd || c.op == kSelAndNot) && result);
    if (!useful) continue;
    Leaf* leaves = block.leaves.data() + c.first;
    bool v = false;
    switch (c.shape) {
      case Criterion::kSingle:
        v = Test(leaves[0], f);
        break;
      case Criterion::kList:
        v = c.all;
        for (int32_t n = 0; n < c.count; ++n) {
          v = Test(leaves[n], f);
          if (c.all ? !v : v) break;
        }
        break;
      case Criterion::kRange:
        v = Test(leaves[0], f) && Test(leaves[1], f);
        if (c.negative) v = !v;
        break;
    }
    if (i == 0) {
      result = c.op == kSelAndNot ? !v : c.op <= kSelOr ? v : result;
    } else if (c.op == kSelAnd) {
      result = result && v;
    } else if (c.op == kSelOr) {
      result = result || v;
    } else if (c.op == kSelAndNot) {
      result = result && !v;
    }
  }
  return result;
}

bool VYXSelectionProgram::Test(Leaf& leaf, const VYXSelectionFields& f) {
  bool pass = false;
  switch (leaf.kind) {
    case Kind::kFail:
      break;
    case Kind::kPass:
      pass = true;
      break;
    case Kind::kAmount:
      pass = SelectionTestMontant(AmountOf(f, leaf.subject), leaf.amount, leaf.comparator);
      break;
    case Kind::kDay:
      pass = SelectionTest(Day(leaf.subject == kSubjectDate ? f.date : f.datePointe), leaf.number,
                           leaf.comparator);
      break;
    case Kind::kInteger:
      pass = SelectionTest(int64_t(leaf.subject == kSubjectStatus ? f.status : f.mois), leaf.number,
                           leaf.comparator);
      break;
    case Kind::kItemID:
      pass = SelectionTest(int64_t(ItemOf(f, leaf.subject)), leaf.number, leaf.comparator);
      break;
    case Kind::kItemName:
      pass = NameTest(leaf, leaf.list, ItemOf(f, leaf.subject));
      break;
    case Kind::kText: {
      ConstStringPtr x = TextOf(f, leaf.subject);
      Str255 copy;
      if (x[0] > leaf.capacity || leaf.fill) {
        TruncPString(copy, x, leaf.capacity);
        if (leaf.fill) leaf.fill(copy);
        x = copy;
      }
      pass = leaf.comparator == kCompContains ? CPStrFindSubString(x, leaf.text)
                                              : SelectionTest(x, leaf.text, leaf.comparator);
      break;
    }
    case Kind::kLines:
      // A split line has no split lines: not its subject.
      pass = !f.op || (leaf.hasBlock && LinesTest(leaf, *f.op));
      break;
  }
  return leaf.negative ? !pass : pass;
}

bool VYXSelectionProgram::NameTest(Leaf& leaf, VYXCompteList list, CPResID id) {
  size_t at = uint16_t(id);
  if (at >= leaf.verdicts.size()) leaf.verdicts.resize(at + 1, -1);
  if (leaf.verdicts[at] < 0) {
    Str255 name;
    name[0] = 0;
    CPResourceSet& set = compte_.GetListSet(list);
    if (id != 0 && set.ResourceExists(id)) set.GetResourceName(id, name);
    leaf.verdicts[at] = SelectionTest(name, leaf.text, leaf.comparator) ? 1 : 0;
  }
  return leaf.verdicts[at] != 0;
}

bool VYXSelectionProgram::LinesTest(const Leaf& leaf, const Operation& op) {
  if (op.sousOpsNbr <= 0) return false;
  SousOperation line;
  VYXDataRef ref = 0;
  for (bool more = compte_.GetFirstSousOperation(op, &line, &ref); more;
       more = compte_.GetNextSousOperation(op, &line, &ref)) {
    if (Run(blocks_[leaf.block], VYXFieldsOfLine(line, op))) return true;
  }
  return false;
}
