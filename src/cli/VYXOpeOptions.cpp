#include "cli/VYXOpeOptions.h"

#include <cmath>
#include <sstream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXListMapping.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXJsonWriter.h"
#include "cli/VYXVirementCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXOpeTexts, item); }

// A text option in MacRoman, refused when its field cannot hold it whole:
// cutting a label or a cheque number silently would store something else
// than what the user typed.
std::string FieldText(const std::string& utf8, size_t width, int field) {
  std::string text = VYXArgText(utf8);
  if (text.size() > width) {
    CPThrowList(paramErr, kVYXOpeTexts, kOpeTooLong,
                {CPGetListString(kVYXOpeTexts, field), text, std::to_string(width)});
  }
  return text;
}

OpStatus StatusOf(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (CPEqualString(text, CPGetListString(kVYXOpeTexts, kOpeStatusFirst + s), false, false)) {
      return OpStatus(s);
    }
  }
  CPThrowList(paramErr, kVYXOpeTexts, kOpeBadStatus, {text});
}

// A whole number typed in digits only, within [1, max]; 0 when it is not one.
uint32_t Number(const std::string& utf8, uint32_t max) {
  if (utf8.empty() || utf8.size() > 10) return 0;
  uint64_t n = 0;
  for (char c : utf8) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + uint64_t(c - '0');
  }
  return n >= 1 && n <= max ? uint32_t(n) : 0;
}

std::string Typed(const std::string& utf8) { return VYXTypedText(utf8); }

}  // namespace

void VYXAddOpeOptions(CLI::App* sub, VYXOpeArgs& a, VYXOpeOptionSet set) {
  bool op = set == VYXOpeOptionSet::kOperation;
  if (op) sub->add_option("--date", a.date, T(kOpeHelpDate));
  sub->add_option("--montant", a.montant, T(kOpeHelpMontant));
  sub->add_option("--libelle", a.libelle, T(kOpeHelpLibelle));
  sub->add_option("--categorie", a.categorie, T(kOpeHelpCategorie));
  sub->add_option("--tiers", a.tiers, T(kOpeHelpTiers));
  sub->add_option("--affaire", a.affaire, T(kOpeHelpAffaire));
  sub->add_option("--affectation", a.affectation, T(kOpeHelpAffectation));
  if (op) sub->add_option("--mode", a.mode, T(kOpeHelpMode));
  sub->add_option("--tva", a.tva, T(kOpeHelpTva));
  sub->add_option("--montant-tva", a.montantTva, T(kOpeHelpMontantTva));
  if (op) {
    sub->add_option("--cheque", a.cheque, T(kOpeHelpCheque));
    sub->add_option("--piece", a.piece, T(kOpeHelpPiece));
    sub->add_option("--statut", a.statut, T(kOpeHelpStatut));
    sub->add_option("--date-pointe", a.datePointe, T(kOpeHelpDatePointe));
    sub->add_option("--releve", a.releve, T(kOpeHelpReleve));
    sub->add_option("--virement", a.virement, VYXHelp(kVYXVirementCliTexts, kVirHelpVirement));
  }
  sub->add_option("--mois", a.mois, T(kOpeHelpMois));
}

bool VYXOpeValues::Empty() const {
  for (const auto& item : items) {
    if (item) return false;
  }
  return !date && !datePointe && !montant && !montantTva && !montantFormule &&
         !montantTvaFormule && !libelle && !cheque && !piece && !releve && !status && !mois &&
         !virement;
}

VYXOpeValues VYXReadOpeArgs(const VYXOpeArgs& a) {
  VYXOpeValues v;
  if (a.date) {
    v.date = VYXArgDate(*a.date);
    if (*v.date == 0) CPThrowList(kCPErrBadDate, kVYXOpeTexts, kOpeNoDate);
  }
  if (a.datePointe) v.datePointe = VYXArgDate(*a.datePointe);
  auto amount = [](const char* option, const std::string& typed, std::optional<double>& value,
                   std::optional<VYXAmountArg>& formula) {
    VYXAmountArg arg = VYXArgAmountOrFormula(option, typed);
    if (arg.IsFormula()) {
      formula = arg;
    } else {
      value = arg.value;
    }
  };
  if (a.montant) amount("--montant", *a.montant, v.montant, v.montantFormule);
  if (a.montantTva) amount("--montant-tva", *a.montantTva, v.montantTva, v.montantTvaFormule);
  if (a.libelle) v.libelle = FieldText(*a.libelle, sizeof(Str99) - 1, kOpeFieldLibelle);
  if (a.cheque) v.cheque = FieldText(*a.cheque, sizeof(Str7) - 1, kOpeFieldCheque);
  if (a.piece) v.piece = FieldText(*a.piece, sizeof(Str12) - 1, kOpeFieldPiece);
  if (a.releve) v.releve = FieldText(*a.releve, sizeof(Str5) - 1, kOpeFieldReleve);
  const std::pair<VYXCompteList, const std::optional<std::string>*> items[] = {
      {kVYXListCategories, &a.categorie}, {kVYXListAffectations, &a.affectation},
      {kVYXListTiers, &a.tiers},          {kVYXListAffaires, &a.affaire},
      {kVYXListTauxTVA, &a.tva},          {kVYXListModes, &a.mode},
  };
  for (const auto& [list, typed] : items) {
    if (*typed) v.items[list] = VYXArgText(**typed);
  }
  if (a.statut) v.status = StatusOf(*a.statut);
  if (a.virement) v.virement = VYXArgText(*a.virement);
  if (a.mois) {
    uint32_t month = Number(*a.mois, 12);
    if (month == 0) CPThrowList(paramErr, kVYXOpeTexts, kOpeBadMonth, {Typed(*a.mois)});
    v.mois = CPMonth(month);
  }
  return v;
}

void VYXEvaluateOpeFormulas(VYXOpeValues& v, CPFunctionsProvider* provider, int decimals) {
  if (v.montantFormule) v.montant = VYXEvaluateAmount(*v.montantFormule, provider, decimals);
  if (v.montantTvaFormule) {
    v.montantTva = VYXEvaluateAmount(*v.montantTvaFormule, provider, decimals);
  }
}

void VYXCheckOpeDecimals(const VYXOpeArgs& a, const VYXOpeValues& v, int decimals) {
  // A formula's result is rounded: only a number typed is held to the decimals.
  if (a.montant && !v.montantFormule) VYXCheckAmountDecimals(*a.montant, decimals);
  if (a.montantTva && !v.montantTvaFormule) VYXCheckAmountDecimals(*a.montantTva, decimals);
}

DataID VYXArgKey(const std::string& utf8) {
  DataID key = Number(utf8, UINT32_MAX);
  if (key == 0) CPThrowList(paramErr, kVYXOpeTexts, kOpeBadKey, {Typed(utf8)});
  return key;
}

DataID VYXArgLine(const std::string& utf8) {
  DataID line = Number(utf8, UINT32_MAX);
  if (line == 0) CPThrowList(paramErr, kVYXOpeTexts, kOpeBadLine, {Typed(utf8)});
  return line;
}

VYXDataRef VYXFindOperation(VYXCompte& compte, DataID key, Operation* op) {
  VYXDataRef ref = 0;
  if (!compte.FindOperation(key, op, &ref)) {
    CPThrowList(kVYXErrCompteNoOperation, kVYXOpeTexts, kOpeNoSuchKey,
                {compte.GetName(), std::to_string(key)});
  }
  return ref;
}

// ---- named items

namespace {

// The field of a record of type R that refers to an item of `list`; none for
// the lists R does not have (a split line has no payment mode).
template <typename R>
CPResID R::*ItemField(VYXCompteList list) {
  switch (list) {
    case kVYXListCategories:
      return &R::categorie;
    case kVYXListAffectations:
      return &R::affectation;
    case kVYXListTiers:
      return &R::tiers;
    case kVYXListAffaires:
      return &R::affaire;
    case kVYXListTauxTVA:
      return &R::tva;
    case kVYXListModes:
      if constexpr (requires { &R::mode; }) return &R::mode;
      return nullptr;
    default:
      return nullptr;
  }
}

template <typename R>
CPResID ItemOf(const R& record, VYXCompteList list) {
  CPResID R::*field = ItemField<R>(list);
  return field ? record.*field : 0;
}

template <typename R>
void SetItem(R& record, VYXCompteList list, CPResID id) {
  if (CPResID R::*field = ItemField<R>(list)) record.*field = id;
}

}  // namespace

CPResID VYXItemOf(const Operation& op, VYXCompteList list) { return ItemOf(op, list); }
CPResID VYXItemOf(const SousOperation& line, VYXCompteList list) { return ItemOf(line, list); }
void VYXSetItem(Operation& op, VYXCompteList list, CPResID id) { SetItem(op, list, id); }
void VYXSetItem(SousOperation& line, VYXCompteList list, CPResID id) { SetItem(line, list, id); }
CPResID VYXItemOf(const OperationAuto& automatic, VYXCompteList list) {
  return ItemOf(automatic, list);
}
void VYXSetItem(OperationAuto& automatic, VYXCompteList list, CPResID id) {
  SetItem(automatic, list, id);
}

namespace {

// The dossier's list of the same kind as the account's `list`; null for the
// lists only accounts keep.
CPResourceSet* UserSet(VYXSDBUserPreferences& user, VYXCompteList list) {
  switch (list) {
    case kVYXListCategories:
      return &user.GetCategories();
    case kVYXListAffectations:
      return &user.GetAffectations();
    case kVYXListTiers:
      return &user.GetTiers();
    case kVYXListAffaires:
      return &user.GetAffaires();
    case kVYXListTauxTVA:
      return &user.GetTauxTVA();
    case kVYXListModes:
      return &user.GetModes();
    default:
      return nullptr;
  }
}

}  // namespace

VYXOpeItems::VYXOpeItems(VYXCliSession& session, VYXCompte& compte)
    : session_(session), compte_(compte) {}

void VYXOpeItems::Find(VYXCompteList list, const std::string& name) {
  compteID_[list] = userID_[list] = 0;
  if (name.empty()) return;
  Str255 key;
  StdToP(name, key);
  CPResourceSet& own = compte_.GetListSet(list);
  if (own.ResourceExists(key)) {
    compteID_[list] = own.GetResourceID(key);
    return;
  }
  CPResourceSet* user = UserSet(session_.Dossier(), list);
  if (user && user->ResourceExists(key)) {
    userID_[list] = user->GetResourceID(key);
    return;
  }
  CPThrowList(kVYXErrCompteBadData, kVYXOpeTexts, kOpeUnknownItem,
              {CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(list)), name});
}

void VYXOpeItems::Make() {
  VYXSDBUserPreferences& user = session_.Dossier();
  for (int i = 0; i < kVYXCompteListCount; ++i) {
    auto list = VYXCompteList(i);
    CPResID id = userID_[list];
    if (id == 0) continue;
    CPResID made = 0;
    switch (list) {
      case kVYXListCategories:
        made =
            UserToCompteCategorie(user.GetCategories(), compte_.GetCategories(), id, true, false);
        break;
      case kVYXListAffectations:
        made = UserToCompteAffectation(user.GetAffectations(), compte_.GetAffectations(), id, true,
                                       false);
        break;
      case kVYXListTiers:
        made = UserToCompteTiers(user.GetTiers(), compte_.GetTiers(), id, true, false);
        break;
      case kVYXListAffaires:
        made = UserToCompteAffaire(user.GetAffaires(), compte_.GetAffaires(), id, true, false);
        break;
      case kVYXListTauxTVA:
        made = UserToCompteTauxTVA(user.GetTauxTVA(), compte_.GetTVAs(), id, true, false);
        break;
      case kVYXListModes:
        made = UserToCompteMode(user.GetModes(), compte_.GetModes(), id, true);
        break;
      default:
        break;
    }
    compteID_[list] = made;
    userID_[list] = 0;
  }
}

bool VYXOpeItems::GetMode(Mode* mode) const {
  if (userID_[kVYXListModes] != 0) {
    if (!session_.Dossier().GetModes().ReadResource(userID_[kVYXListModes], mode)) return false;
    // As the account's copy will have it.
    VYXClearCompteFields(*mode);
    return true;
  }
  return compte_.GetModes().ReadResource(compteID_[kVYXListModes], mode);
}

bool VYXOpeItems::GetTauxTVA(TauxTVA* taux) const {
  if (userID_[kVYXListTauxTVA] != 0) {
    return session_.Dossier().GetTauxTVA().ReadResource(userID_[kVYXListTauxTVA], taux);
  }
  return compte_.GetTVAs().ReadResource(compteID_[kVYXListTauxTVA], taux);
}

double VYXTvaOf(double montant, double taux, int decimals) {
  double base = 100.0 + taux;
  if (base == 0 || !std::isfinite(base)) return 0;
  double net = CPArrondi(montant * 100.0 / base, short(decimals));
  return CPArrondi(montant - net, short(decimals)) + 0.0;
}

// ---- output

std::string VYXStatusText(OpStatus status) {
  return status < kOpStatusCount ? T(kOpeStatusFirst + status) : "?";
}

std::string VYXItemName(VYXCompte& compte, VYXCompteList list, CPResID id) {
  if (id == 0) return {};
  CPResourceSet& set = compte.GetListSet(list);
  if (!set.ResourceExists(id)) return {};
  Str255 name;
  set.GetResourceName(id, name);
  return VYXText(PToStd(name));
}

namespace {

// A list item's name, null for none.
void WriteName(VYXJsonWriter& w, VYXCompte& compte, VYXCompteList list, CPResID id) {
  std::string name = VYXItemName(compte, list, id);
  if (name.empty()) {
    w.Null();
  } else {
    w.String(name);
  }
}

void WriteDate(VYXJsonWriter& w, CPDate date) {
  if (date == 0) {
    w.Null();
  } else {
    w.String(VYXDateIso(date));
  }
}

void WriteLine(VYXJsonWriter& w, VYXCompte& compte, const SousOperation& line) {
  w.BeginObject();
  w.Key("affaire"), WriteName(w, compte, kVYXListAffaires, line.affaire);
  w.Key("affectation"), WriteName(w, compte, kVYXListAffectations, line.affectation);
  w.Key("categorie"), WriteName(w, compte, kVYXListCategories, line.categorie);
  w.Key("dataID").Int(DataID(line.header.dataID));
  w.Key("libelle").String(VYXText(PToStd(line.libelle)));
  w.Key("mois").Int(int(line.mois));
  w.Key("montant").Number(VYXAmountValue(line.montant));
  w.Key("montantTva").Number(VYXAmountValue(line.montantTva));
  w.Key("tiers"), WriteName(w, compte, kVYXListTiers, line.tiers);
  w.Key("tva"), WriteName(w, compte, kVYXListTauxTVA, line.tva);
  w.EndObject();
}

}  // namespace

// Keys go in byte order, the order of a dumped tree, so that the single
// operation a command prints (VYXOperationJson) and a streamed list agree.
void VYXWriteOperationJson(VYXJsonWriter& w, VYXCompte& compte, const Operation& op,
                           const VYXOperationJsonExtras& extras) {
  w.BeginObject();
  w.Key("affaire"), WriteName(w, compte, kVYXListAffaires, op.affaire);
  w.Key("affectation"), WriteName(w, compte, kVYXListAffectations, op.affectation);
  w.Key("categorie"), WriteName(w, compte, kVYXListCategories, op.categorie);
  if (extras.compte) w.Key("compte").String(*extras.compte);
  w.Key("dataID").Int(DataID(op.header.dataID));
  w.Key("date"), WriteDate(w, op.date);
  w.Key("datePointe"), WriteDate(w, op.datePointe);
  w.Key("fictive").Bool(op.fictive != 0);
  w.Key("libelle").String(VYXText(PToStd(op.libelle)));
  w.Key("mode"), WriteName(w, compte, kVYXListModes, op.mode);
  w.Key("mois").Int(int(op.mois));
  w.Key("montant").Number(VYXAmountValue(op.montant));
  w.Key("montantNonVentile").Number(VYXAmountValue(op.GetMontantNonVentile()));
  w.Key("montantSousOp").Number(VYXAmountValue(op.montantSousOp));
  w.Key("montantTva").Number(VYXAmountValue(op.montantTva));
  w.Key("montantTvaSousOp").Number(VYXAmountValue(op.montantTvaSousOp));
  w.Key("noCheque").String(VYXText(PToStd(op.noCheque)));
  w.Key("noPiece").String(VYXText(PToStd(op.noPiece)));
  w.Key("releve").String(VYXText(PToStd(op.releve)));
  if (extras.solde) w.Key("solde").Number(VYXAmountValue(*extras.solde));
  w.Key("sousOperations").BeginArray();
  SousOperation line;
  VYXDataRef sousRef;
  for (bool more = compte.GetFirstSousOperation(op, &line, &sousRef); more;
       more = compte.GetNextSousOperation(op, &line, &sousRef)) {
    WriteLine(w, compte, line);
  }
  w.EndArray();
  w.Key("sousOpsNbr").Int(int(op.sousOpsNbr));
  w.Key("status").Int(int(op.status));
  w.Key("tiers"), WriteName(w, compte, kVYXListTiers, op.tiers);
  w.Key("tva"), WriteName(w, compte, kVYXListTauxTVA, op.tva);
  // The account a source goes to; a twin's source is its lister's to find.
  w.Key("virement");
  if (extras.virement) {
    w.BeginObject();
    w.Key("compte").String(extras.virement->compte);
    w.Key("source").Bool(extras.virement->source);
    w.EndObject();
  } else if (op.virementId != 0) {
    w.BeginObject();
    w.Key("compte").String(VYXItemName(compte, kVYXListTargets, op.virementId));
    w.Key("source").Bool(true);
    w.EndObject();
  } else {
    w.Null();
  }
  w.EndObject();
}

nlohmann::json VYXOperationJson(VYXCompte& compte, const Operation& op) {
  std::ostringstream text;
  {
    VYXJsonWriter w(text);
    VYXWriteOperationJson(w, compte, op);
  }
  return nlohmann::json::parse(text.str());
}
