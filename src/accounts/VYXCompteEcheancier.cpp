// The account's schedule: operations made from automatic operations, the
// list of what is due when the account opens, and making what the user
// accepts of it. Creating an occurrence is three writes (the operation, its
// lines, the automatic operation moved on): a run cut short between them is
// recognised at the next opening by the operation already there for that
// automatic operation and that day, which is then not made twice.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <set>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteDirectory.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXCompteVariables.h"
#include "accounts/VYXDatePointe.h"
#include "accounts/VYXMonthRule.h"
#include "accounts/VYXVirementChange.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPFormule.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextVariables.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"

namespace {

// Texts of the schedule (list 30720).
constexpr int kVYXEcheancierList = 30720;
enum : int {
  kPendingTitleItem = 1,  // ^1 the account's name
  kPendingQuestionItem = 2,
  kPendingLineItem = 3,  // ^1 date, ^2 label, ^3 amount, ^4 kind
  kPendingMoreItem = 4,  // ^1 how many more
  kPendingReadOnlyItem = 5,
  kKindFirstItem = 10,   // 10 + VYXOpenEvent::Kind
};

// An occurrence loops forever on a period that does not move the date.
constexpr int kMaxSteps = 10000;
// The lines the question at opening lists.
constexpr size_t kMaxListed = 20;

// The amount typed in an automatic operation or a predefined line: a
// formula, computed with the functions of its account and occurrence (a
// number read digit by digit made 70 020 of « 700+20 »).
bool EvaluateMontant(ConstStringPtr text, CPFunctionsProvider* functions, double* value) {
  double v = 0;
  short error = 0, position = 0, length = 0;
  if (!CPEvaluateFormule(text, functions, &v, &error, &position, &length) || error != 0 ||
      !std::isfinite(v)) {
    return false;
  }
  *value = v;
  return true;
}

// A label with «variables», replaced by their values for `op`.
void EvaluateLibelle(VYXCompte& compte, const Operation& op, bool interactive, StringPtr libelle) {
  VYXCompteVariables account(compte);
  VYXOperationVariables operation(&account, compte, op);
  Str255 text;
  std::memcpy(text, libelle, size_t(libelle[0]) + 1);
  CPEvaluateString(text, interactive, &operation);
  StdToP(PToStd(text), libelle, sizeof(Str99) - 1);
}

[[noreturn]] void RefuseFormula(ConstStringPtr text) {
  CPThrowList(kVYXErrFormule, kVYXAutoErrorsList, kVYXBadFormulaItem, {PToStd(text)});
}

double TvaOf(double montant, double taux, int decimals) {
  double base = 100.0 + taux;
  if (base == 0 || !std::isfinite(base)) return 0;
  double net = CPArrondi(montant * 100.0 / base, short(decimals));
  return CPArrondi(montant - net, short(decimals)) + 0.0;
}

// The days on which each automatic operation already made an operation.
using Made = std::set<std::pair<CPResID, int64_t>>;
int64_t Day(CPDate date) { return int64_t(date) / kCPSecondsPerDay; }

Made MadeOccurrences(VYXCompte& compte) {
  Made made;
  Operation op;
  VYXDataRef ref;
  for (bool more = compte.GetFirstOperation(&op, &ref); more;
       more = compte.GetNextOperation(&op, &ref)) {
    if (op.automatique != 0) made.emplace(CPResID(op.automatique), Day(op.date));
  }
  return made;
}

// SetNextDate, false when the date did not move (a period of 0).
bool Advance(OperationAuto& a) {
  CPDate was = a.next;
  a.SetNextDate();
  return CPCompareDates(a.next, was) > 0 || (a.periodeUnit <= kTimeHours && a.next > was);
}

void CodeU16(unsigned char* p, uint16_t v, bool swap) {
  if (swap) v = uint16_t((v >> 8) | (v << 8));
  std::memcpy(p, &v, 2);
}
void CodeU32(unsigned char* p, uint32_t v, bool swap) {
  if (swap) v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}

}  // namespace

bool sCompareOpenEventsArrayItems(const VYXOpenEvent& a, const VYXOpenEvent& b) {
  int days = CPCompareDates(a.date, b.date);
  if (days != 0) return days < 0;
  if (a.id != b.id) return a.id < b.id;
  return a.kind < b.kind;
}

std::vector<unsigned char> VYXWriteVirementEvent(const VYXVirementEvent& event, bool swap) {
  std::vector<unsigned char> body(72, 0);
  CodeU16(body.data(), 1, swap);
  body[2] = event.invert ? 1 : 0;
  CodeU32(body.data() + 4, event.key, swap);
  size_t n = std::min<size_t>(event.source.size(), 63);
  body[8] = uint8_t(n);
  std::memcpy(body.data() + 9, event.source.data(), n);
  return body;
}

bool VYXReadVirementEvent(const void* data, size_t size, bool swap, VYXVirementEvent* event) {
  const auto* p = static_cast<const unsigned char*>(data);
  if (size < 9) return false;
  uint16_t version;
  uint32_t key;
  std::memcpy(&version, p, 2);
  std::memcpy(&key, p + 4, 4);
  if (swap) {
    version = uint16_t((version >> 8) | (version << 8));
    key = __builtin_bswap32(key);
  }
  if (version != 1 || size < size_t(9) + p[8] || p[8] > 63) return false;
  event->invert = p[2] != 0;
  event->key = key;
  event->source.assign(reinterpret_cast<const char*>(p + 9), p[8]);
  return true;
}

// ---- operations made from automatic operations

void VYXCompte::AutoToOperation(const OperationAuto& automatic, CPResID autoID, Operation* op,
                                OpStatus status, bool evaluate) {
  Operation made;
  made.automatique = autoID;
  made.date = automatic.next;
  made.status = status;
  made.fictive = automatic.fictive;
  made.mode = automatic.mode;
  made.categorie = automatic.categorie;
  made.affectation = automatic.affectation;
  made.tiers = automatic.tiers;
  made.affaire = automatic.affaire;
  made.mois = VYXMonthFromRule(automatic.mois, automatic.next);
  made.virementKey = 0;
  made.virementId = automatic.virement;
  Mode mode;
  bool hasMode = automatic.mode != 0 && GetModes().ReadResource(automatic.mode, &mode);
  if (made.virementId == 0 && hasMode && mode.virementID != 0) made.virementId = mode.virementID;

  double value = 0;
  VYXCompteFunctions account(*this);
  VYXOpAutoFunctions occurrence(&account, automatic);
  if (!EvaluateMontant(automatic.montant, &occurrence, &value)) {
    *op = made;
    op->montant = 0;
    RefuseFormula(automatic.montant);
  }
  made.montant = (automatic.debCred == kMontantCredit ? value : -value) + 0.0;
  made.montant = CPArrondi(made.montant, short(supervisor_.GetMontantDecimals())) + 0.0;

  made.tva = automatic.tva;
  TauxTVA taux;
  if (automatic.tva != 0 && GetTVAs().ReadResource(automatic.tva, &taux)) {
    made.montantTva = TvaOf(made.montant, taux.taux, supervisor_.GetMontantDecimals());
  }
  // Label variables are replaced when asked (evaluate); the label is cut to its field.
  StdToP(PToStd(automatic.libelle), made.libelle, sizeof(Str99) - 1);
  if (evaluate) EvaluateLibelle(*this, made, true, made.libelle);
  made.datePointe = hasMode ? ::DateToDatePointe(made.date, mode, made.GetMontantType())
                            : CPDate(made.date);
  made.releve[0] = 0;
  *op = made;
}

void VYXCompte::GetOpAutoSousOpsArray(CPResID sousOpsID, std::vector<CPResID>* ids) {
  ids->clear();
  CPArray array(sizeof(CPResID));
  auto coder = [](void* item, const CPDataEncoding&, bool) {
    auto* p = static_cast<unsigned char*>(item);
    std::swap(p[0], p[1]);
  };
  if (sousOpsID == 0 || !GetOpAutoSousOps().LoadArray(sousOpsID, array, coder)) return;
  for (int32_t n = 0; n < array.Count(); ++n) {
    CPResID id = 0;
    array.GetItem(n, &id);
    ids->push_back(id);
  }
}

void VYXCompte::SetOpAutoSousOpsArray(CPResID* sousOpsID, const std::vector<CPResID>& ids) {
  CPResourceSet& set = GetOpAutoSousOps();
  if (ids.empty()) {
    if (*sousOpsID != 0 && set.ResourceExists(*sousOpsID)) set.RemoveResource(*sousOpsID);
    *sousOpsID = 0;
    return;
  }
  if (*sousOpsID == 0) *sousOpsID = set.GetUniqueID();
  CPArray array(sizeof(CPResID));
  for (CPResID id : ids) array.AddItem(&id);
  auto coder = [](void* item, const CPDataEncoding&, bool) {
    auto* p = static_cast<unsigned char*>(item);
    std::swap(p[0], p[1]);
  };
  Str255 name = {0};
  if (!set.SaveArray(*sousOpsID, name, array, coder)) CPThrow(ioErr);
}

std::vector<SousOperation> VYXCompte::AutoSousOperations(const OperationAuto& automatic,
                                                         const Operation& op, bool evaluate) {
  std::vector<SousOperation> lines;
  std::vector<CPResID> ids;
  GetOpAutoSousOpsArray(automatic.sousOpsID, &ids);
  int decimals = supervisor_.GetMontantDecimals();
  VYXCompteFunctions account(*this);
  VYXOperationFunctions operation(&account, op);
  for (CPResID id : ids) {
    SousOpPredefinie p;
    if (!GetSousOpPredefinies().ReadResource(id, &p)) continue;
    SousOperation line(op);
    StdToP(PToStd(p.libelle), line.libelle, sizeof(Str99) - 1);
    if (evaluate) EvaluateLibelle(*this, op, true, line.libelle);
    double value = 0;
    if (!EvaluateMontant(p.montant, &operation, &value)) RefuseFormula(p.montant);
    line.montant = CPArrondi(p.debCred == kMontantCredit ? value : -value, short(decimals)) + 0.0;
    if (!p.opTva) line.tva = p.tva;
    if (!p.opCategorie) line.categorie = p.categorie;
    if (!p.opTiers) line.tiers = p.tiers;
    if (!p.opAffaire) line.affaire = p.affaire;
    if (!p.opAffectation) line.affectation = p.affectation;
    if (p.mois != 0) line.mois = VYXMonthFromRule(p.mois, op.date);
    TauxTVA taux;
    line.montantTva = line.tva != 0 && GetTVAs().ReadResource(line.tva, &taux)
                          ? TvaOf(line.montant, taux.taux, decimals)
                          : 0.0;
    lines.push_back(line);
  }
  return lines;
}

// ---- what opening offers

void VYXCompte::BuildOpenEventsArray(bool /*automatic*/, CPDate date,
                                     std::vector<VYXOpenEvent>* events) {
  events->clear();
  CPResourceSet_T<OperationAuto>& autos = GetOpAutomatiques();
  // Most accounts have no automatic operation: their operations are not read.
  Made made;
  if (autos.GetResourcesCount() > 0) made = MadeOccurrences(*this);
  for (int32_t n = 1, count = autos.GetResourcesCount(); n <= count; ++n) {
    CPResID id = autos.GetNthResource(n);
    OperationAuto a;
    if (id == 0 || !autos.ReadResource(id, &a) || a.next == 0) continue;
    for (int steps = 0; a.CanBeGenerated() && steps < kMaxSteps; ++steps) {
      bool ahead = CPCompareDates(a.next, date) > 0;
      if (ahead && (!a.createBefore ||
                    CPCompareDates(DateOffset(a.next, -a.before, a.beforeUnit), date) > 0)) {
        break;
      }
      if (a.IsValidMonth(CPGetMonth(a.next))) {
        if (!made.count({id, Day(a.next)})) {
          Operation op;
          try {
            AutoToOperation(a, id, &op, ahead ? kOpPrevue : kOpEngagee, false);
          } catch (const CPException& e) {
            CPGetInteraction().Alert(e.DisplayText());
            break;
          }
          VYXOpenEvent event;
          event.kind = ahead ? VYXOpenEvent::kCreateBefore : VYXOpenEvent::kDue;
          event.date = a.next;
          event.libelle = PToStd(op.libelle);
          event.montant = op.montant;
          event.id = id;
          events->push_back(event);
        }
        ++a.number;
      }
      if (!Advance(a)) break;
    }
  }

  CPResourceSet_T<GenerateAuto>& generated = GetOpAutoGenerates();
  for (int32_t n = 1, count = generated.GetResourcesCount(); n <= count; ++n) {
    CPResID id = generated.GetNthResource(n);
    GenerateAuto g;
    if (id == 0 || !generated.ReadResource(id, &g) || g.toBeDeleted) continue;
    Operation op;
    VYXDataRef ref;
    if (!FindOperation(uint16_t(g.dataID), &op, &ref) || op.status != kOpPrevue) continue;
    if (CPCompareDates(op.date, date) > 0) continue;
    VYXOpenEvent event;
    event.kind = VYXOpenEvent::kConfirm;
    event.date = op.date;
    event.libelle = PToStd(op.libelle);
    event.montant = op.montant;
    event.id = id;
    events->push_back(event);
  }

  CPResourceSet& received = GetVirementEvts();
  for (int32_t n = 1, count = received.GetResourcesCount(); n <= count; ++n) {
    CPResID id = received.GetNthResource(n);
    if (id == 0) continue;
    Str255 name;
    received.GetResourceName(id, name);
    VYXOpenEvent event;
    switch (name[0] ? name[1] : 0) {
      case 'A':
        event.kind = VYXOpenEvent::kVirementCreate;
        break;
      case 'M':
        event.kind = VYXOpenEvent::kVirementModify;
        break;
      case 'C':
        event.kind = VYXOpenEvent::kVirementConvert;
        break;
      case 'D':
        event.kind = VYXOpenEvent::kVirementDelete;
        break;
      default:
        continue;
    }
    event.libelle = PToStd(name);
    event.id = id;
    events->push_back(event);
  }
  std::stable_sort(events->begin(), events->end(), sCompareOpenEventsArrayItems);
}

std::string VYXCompte::OpenEventsText(const std::vector<VYXOpenEvent>& events) const {
  std::string question = CPGetListString(kVYXEcheancierList, kPendingTitleItem);
  CPReplaceVar(question, 1, GetName());
  size_t shown = 0;
  for (const VYXOpenEvent& e : events) {
    // A long list is cut: the question is read on one screen.
    if (++shown > kMaxListed) {
      std::string more = CPGetListString(kVYXEcheancierList, kPendingMoreItem);
      CPReplaceVar(more, 1, std::to_string(events.size() - kMaxListed));
      question += "\n" + more;
      break;
    }
    std::string line = CPGetListString(kVYXEcheancierList, kPendingLineItem);
    CPReplaceVar(line, 1, e.date ? CPDateToStr(e.date) : std::string());
    CPReplaceVar(line, 2, e.libelle);
    CPReplaceVar(line, 3, e.kind <= VYXOpenEvent::kConfirm ? MacNumToStr(e.montant, 2, true) : "");
    CPReplaceVar(line, 4, CPGetListString(kVYXEcheancierList, kKindFirstItem + int(e.kind)));
    question += "\n" + line;
  }
  return question;
}

std::string VYXCompte::OpenEventsReadOnlyText(const std::vector<VYXOpenEvent>& events) const {
  return OpenEventsText(events) + "\n" + CPGetListString(kVYXEcheancierList, kPendingReadOnlyItem);
}

bool VYXCompte::EditOpenEventsArray(std::vector<VYXOpenEvent>* events) {
  std::string question = OpenEventsText(*events);
  question += "\n" + CPGetListString(kVYXEcheancierList, kPendingQuestionItem);
  bool yes = CPGetInteraction().AskYesNo(question, false);
  for (VYXOpenEvent& e : *events) e.accepted = yes;
  return yes;
}

void VYXCompte::HandleOpenEvents(bool automatic, CPDate date) {
  if (automatic && !GetGenerateOpAuto()) return;
  std::vector<VYXOpenEvent> events;
  BuildOpenEventsArray(automatic, date, &events);
  if (events.empty() || !EditOpenEventsArray(&events)) return;
  ApplyOpenEventsArray(&events);
}

// ---- making what was accepted

int VYXCompte::ApplyOpenEventsArray(std::vector<VYXOpenEvent>* events) {
  VYXCompteBulk bulk(*this);
  Made made = MadeOccurrences(*this);
  std::set<CPResID> stopped;  // automatic operations an earlier occurrence of which was not made
  std::optional<CPException> failure;
  int done = 0;
  CPResourceSet_T<OperationAuto>& autos = GetOpAutomatiques();
  CPResourceSet_T<GenerateAuto>& generated = GetOpAutoGenerates();

  for (const VYXOpenEvent& e : *events) {
    try {
      switch (e.kind) {
        case VYXOpenEvent::kCreateBefore:
        case VYXOpenEvent::kDue: {
          if (!e.accepted) stopped.insert(e.id);
          if (stopped.count(e.id)) break;
          OperationAuto a;
          if (!autos.ReadResource(e.id, &a)) break;
          // Months the filter leaves out are stepped over; an occurrence a
          // run cut short already made counts as made.
          int steps = 0;
          while (a.CanBeGenerated() && steps++ < kMaxSteps) {
            bool valid = a.IsValidMonth(CPGetMonth(a.next));
            if (valid && !made.count({e.id, Day(a.next)})) break;
            if (valid) ++a.number;
            if (!Advance(a)) break;
          }
          if (!a.CanBeGenerated()) {
            autos.SetResource(e.id, a);
            break;
          }
          OpStatus status = e.kind == VYXOpenEvent::kCreateBefore ? kOpPrevue : kOpEngagee;
          Operation op;
          AutoToOperation(a, e.id, &op, status, true);
          std::vector<SousOperation> lines = AutoSousOperations(a, op, true);
          VYXVirementChange change(*this);
          change.Prepare(nullptr, &op, &lines);
          VYXDataRef ref = 0;
          change.Run([&](const VYXVirementChange::Half& half) {
            op.virementId = half.target;
            op.virementKey = half.key;
            AddOperation(op, &ref);
            for (SousOperation& line : lines) AddSousOperation(ref, line, nullptr);
          });
          made.emplace(e.id, Day(op.date));
          if (status == kOpPrevue) {
            GenerateAuto g;
            g.dataID = int16_t(uint16_t(op.header.dataID));
            g.dateEngage = op.date;
            g.confirmation = 1;
            StdToP(PToStd(op.libelle), g.libelle);
            Str255 name;
            StdToP(PToStd(op.libelle), name);
            generated.MakeUniqueName(name);
            generated.AddResource(generated.GetUniqueID(), name, g);
          }
          ++a.number;
          Advance(a);
          autos.SetResource(e.id, a);
          ++done;
          break;
        }
        case VYXOpenEvent::kConfirm: {
          if (!e.accepted) break;
          GenerateAuto g;
          if (!generated.ReadResource(e.id, &g)) break;
          Operation op;
          VYXDataRef ref = 0;
          if (FindOperation(uint16_t(g.dataID), &op, &ref) && op.status == kOpPrevue) {
            Operation next = op;
            next.status = kOpEngagee;
            VYXModifySource(*this, ref, next);
            ++done;
          }
          generated.RemoveResource(e.id);
          break;
        }
        default: {
          if (!e.accepted) break;
          CPResourceSet& received = GetVirementEvts();
          if (!received.ResourceExists(e.id)) break;
          std::vector<unsigned char> body(received.GetResourceSize(e.id));
          CPDataEncoding encoding;
          received.GetResource(e.id, &encoding, body.data(), uint32_t(body.size()));
          VYXVirementEvent event;
          if (VYXReadVirementEvent(body.data(), body.size(), CPNeedByteSwapping(encoding),
                                   &event)) {
            if (e.kind == VYXOpenEvent::kVirementDelete) {
              Operation twin;
              VYXDataRef twinRef = 0;
              if (FindTargetOperation(event.key, &twinRef, &twin)) DeleteOperation(twinRef);
            } else {
              VYXCompteDirectory& directory = GetDirectory();
              CPFileRef file;
              if (!directory.ResolveAlias(*this, 0, event.source, false, &file)) {
                CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXTargetNotFoundItem,
                            {event.source});
              }
              VYXCompte& source = directory.AcquireCompte(file);
              try {
                VYXVirementJournalEntry entry;
                entry.invert = event.invert;
                entry.key = event.key;
                entry.source = file;
                entry.target = GetCompteFile();
                VYXFinishVirementChange(entry, source, *this);
              } catch (...) {
                directory.ReleaseCompte(source);
                throw;
              }
              directory.ReleaseCompte(source);
            }
          }
          received.RemoveResource(e.id);
          ++done;
          break;
        }
      }
    } catch (const CPException& ex) {
      if (ex.IsCancel()) throw;
      if (e.kind <= VYXOpenEvent::kDue) stopped.insert(e.id);
      if (!failure) failure = ex;
    }
  }

  // Records of operations made in advance that were deleted, or confirmed
  // by hand since, have nothing left to confirm.
  std::vector<CPResID> gone;
  for (int32_t n = 1, count = generated.GetResourcesCount(); n <= count; ++n) {
    CPResID id = generated.GetNthResource(n);
    GenerateAuto g;
    if (id == 0 || !generated.ReadResource(id, &g)) continue;
    Operation op;
    VYXDataRef ref;
    if (g.toBeDeleted || !FindOperation(uint16_t(g.dataID), &op, &ref) || op.status != kOpPrevue) {
      gone.push_back(id);
    }
  }
  for (CPResID id : gone) generated.RemoveResource(id);
  if (failure) throw *failure;
  return done;
}
