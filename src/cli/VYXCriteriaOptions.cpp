#include "cli/VYXCriteriaOptions.h"

#include <algorithm>
#include <cmath>

#include "accounts/VYXCompteErrors.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliTexts.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXFiltreTexts, item); }

// A repeatable option: one value each time it is given.
void Repeatable(CLI::App* sub, const char* name, std::vector<std::string>& values, int help) {
  sub->add_option(name, values, T(help))
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// A text that must fit `width` characters.
std::string Fitting(const char* option, const std::string& utf8, size_t width) {
  std::string text = VYXArgText(utf8);
  if (text.size() > width) {
    CPThrowList(paramErr, kVYXFiltreTexts, kCritTooLong, {option, text, std::to_string(width)});
  }
  return text;
}

// "a,b" and repeated options alike.
std::vector<std::string> Split(const std::vector<std::string>& typed) {
  std::vector<std::string> out;
  for (const std::string& t : typed) {
    size_t start = 0;
    for (;;) {
      size_t comma = t.find(',', start);
      std::string piece = t.substr(start, comma == std::string::npos ? comma : comma - start);
      while (!piece.empty() && piece.front() == ' ') piece.erase(0, 1);
      while (!piece.empty() && piece.back() == ' ') piece.pop_back();
      if (!piece.empty()) out.push_back(piece);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return out;
}

// A date, or a date formula: checked now, kept as typed so that a formula
// (and a date without its year) follows the day the filter is used.
std::string DateText(const char* option, const std::string& utf8) {
  std::string text = Fitting(option, utf8, 32);
  Str255 p;
  StdToP(text, p);
  if (CPIsValidDateStr(p)) {
    CPDate date = 0;
    if (!CPStrToDate(p, date)) VYXArgDate(utf8);  // which refuses it
    return text;
  }
  VYXCheckFormulaSyntax(option, text);
  return text;
}

int MonthOf(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (text.size() <= 2 && !text.empty() &&
      text.find_first_not_of("0123456789") == std::string::npos) {
    int m = std::stoi(text);
    if (m >= 1 && m <= 12) return m;
  }
  for (int m = 1; m <= 12; ++m) {
    Str255 name;
    CPGetMonthName(m, name);
    if (CPEqualString(text, PToStd(name), false, false)) return m;
  }
  CPThrowList(paramErr, kVYXFiltreTexts, kCritBadMonth, {text});
}

std::optional<std::vector<std::string>> Names(const std::vector<std::string>& typed) {
  if (typed.empty()) return std::nullopt;
  std::vector<std::string> names;
  for (const std::string& t : typed) {
    if (!t.empty()) names.push_back(VYXArgText(t));
  }
  return names;
}

}  // namespace

void VYXAddCriteriaOptions(CLI::App* sub, VYXCriteriaArgs& a, VYXCriteriaUse use) {
  Repeatable(sub, "--libelle", a.libelle, kCritHelpLibelle);
  sub->add_flag("--libelle-exact", a.libelleExact, T(kCritHelpLibelleExact));
  CLI::Option* montant = sub->add_option("--montant", a.montant, T(kCritHelpMontant));
  CLI::Option* min = sub->add_option("--montant-min", a.montantMin, T(kCritHelpMontantMin));
  CLI::Option* max = sub->add_option("--montant-max", a.montantMax, T(kCritHelpMontantMax));
  montant->excludes(min)->excludes(max);
  CLI::Option* debits = sub->add_flag("--debits", a.debits, T(kCritHelpDebits));
  CLI::Option* credits = sub->add_flag("--credits", a.credits, T(kCritHelpCredits));
  debits->excludes(credits);
  sub->add_option("--du", a.du, T(kCritHelpDu));
  sub->add_option("--au", a.au, T(kCritHelpAu));
  Repeatable(sub, "--statut", a.statut, kCritHelpStatut);
  Repeatable(sub, "--categorie", a.categorie, kCritHelpCategorie);
  Repeatable(sub, "--tiers", a.tiers, kCritHelpTiers);
  Repeatable(sub, "--affaire", a.affaire, kCritHelpAffaire);
  Repeatable(sub, "--affectation", a.affectation, kCritHelpAffectation);
  Repeatable(sub, "--mode", a.mode, kCritHelpMode);
  Repeatable(sub, "--tva", a.tva, kCritHelpTva);
  Repeatable(sub, "--mois", a.mois, kCritHelpMois);
  sub->add_option("--cheque", a.cheque, T(kCritHelpCheque));
  sub->add_option("--piece", a.piece, T(kCritHelpPiece));
  sub->add_option("--releve", a.releve, T(kCritHelpReleve));
  CLI::Option* ventilees = sub->add_flag("--ventilees", a.ventilees, T(kCritHelpVentilees));
  if (use == VYXCriteriaUse::kEdit) {
    sub->add_flag("--sans-ventilees", a.sansVentilees, T(kCritHelpSansVentilees))
        ->excludes(ventilees);
  }
}

bool VYXCriteria::Empty() const {
  return !libelle && !amountGiven && !du && !au && !status && !months && !categories &&
         !affectations && !tiers && !affaires && !modes && !tauxTVA && !cheque && !piece &&
         !releve && !ventilees;
}

VYXCriteria VYXReadCriteria(const VYXCriteriaArgs& a) {
  VYXCriteria c;
  if (!a.libelle.empty()) {
    std::string joined;
    for (const std::string& t : a.libelle) {
      std::string text = VYXArgText(t);
      if (text.empty()) continue;
      if (!joined.empty()) joined += char(kCPValuesSeparator);
      joined += text;
    }
    c.libelle = Fitting("--libelle", MacRomanToUtf8(joined), 255);
    c.libelleExact = a.libelleExact;
  }

  // Amounts: without a sense, as typed; with one, as a size of debit or credit.
  c.amountGiven = a.montant || a.montantMin || a.montantMax || a.debits || a.credits;
  c.amountSign = a.debits ? kSignDebits : a.credits ? kSignCredits : kSignEither;
  bool cleared = a.montant && a.montant->empty() && !a.debits && !a.credits;
  if (a.montant && !a.montant->empty()) {
    c.amountKind = kRangeEqual;
    c.amount1 = VYXArgAmountOrFormula("--montant", *a.montant);
  } else if (a.montantMin && a.montantMax) {
    c.amountKind = kRangeBetween;
    c.amount1 = VYXArgAmountOrFormula("--montant-min", *a.montantMin);
    c.amount2 = VYXArgAmountOrFormula("--montant-max", *a.montantMax);
  } else if (a.montantMin) {
    c.amountKind = kRangeAtLeast;
    c.amount1 = VYXArgAmountOrFormula("--montant-min", *a.montantMin);
  } else if (a.montantMax) {
    c.amountKind = kRangeAtMost;
    c.amount1 = VYXArgAmountOrFormula("--montant-max", *a.montantMax);
  }
  if (cleared) c.amountSign = kSignEither;

  if (a.du) c.du = DateText("--du", *a.du);
  if (a.au) c.au = DateText("--au", *a.au);

  if (!a.statut.empty()) {
    c.status = std::vector<bool>(3, false);
    std::vector<std::string> statuses = Split(a.statut);
    if (statuses.empty()) c.status = std::vector<bool>(3, true);
    for (const std::string& s : statuses) {
      VYXOpeArgs one;
      one.statut = s;
      (*c.status)[*VYXReadOpeArgs(one).status] = true;
    }
  }
  if (!a.mois.empty()) {
    std::vector<std::string> months = Split(a.mois);
    c.months = std::vector<bool>(12, months.empty());
    for (const std::string& m : months) (*c.months)[size_t(MonthOf(m) - 1)] = true;
  }
  c.categories = Names(a.categorie);
  c.affectations = Names(a.affectation);
  c.tiers = Names(a.tiers);
  c.affaires = Names(a.affaire);
  c.modes = Names(a.mode);
  c.tauxTVA = Names(a.tva);
  if (a.cheque) {
    std::string text = VYXArgText(*a.cheque);
    size_t dash = text.find('-');
    if (dash != std::string::npos && dash > 0 && dash + 1 < text.size() &&
        text.find('-', dash + 1) == std::string::npos) {
      c.cheque = {Fitting("--cheque", MacRomanToUtf8(text.substr(0, dash)), 7),
                  Fitting("--cheque", MacRomanToUtf8(text.substr(dash + 1)), 7)};
    } else {
      c.cheque = {Fitting("--cheque", *a.cheque, 7), ""};
    }
  }
  if (a.piece) c.piece = Fitting("--piece", *a.piece, 12);
  if (a.releve) c.releve = Fitting("--releve", *a.releve, 5);
  if (a.ventilees) c.ventilees = true;
  if (a.sansVentilees) c.ventilees = false;
  return c;
}

VYXSelectionMask VYXCliMask() {
  VYXSelectionMask mask;
  mask.sousOperations = false;
  return mask;
}

namespace {

// The dossier's items of these names; for categories, a family's name
// stands for the categories filed under it.
std::vector<CPResID> IDsOf(VYXSDBUserPreferences& user, VYXCompteList list, CPResourceSet& set,
                           const std::vector<std::string>& names) {
  std::vector<CPResID> ids;
  auto add = [&](CPResID id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  };
  for (const std::string& name : names) {
    Str255 key;
    StdToP(name, key);
    if (set.ResourceExists(key)) {
      add(set.GetResourceID(key));
      continue;
    }
    if (list == kVYXListCategories && user.GetCatFamilies().ResourceExists(key)) {
      VYXUserCatFamiliesSet& families = user.GetCatFamilies();
      CPResID family = families.GetResourceID(key);
      for (int32_t n = 1, count = families.GetSubResourcesCount(family); n <= count; ++n) {
        add(families.GetNthSubResource(family, n));
      }
      continue;
    }
    CPThrowList(kVYXErrCompteBadData, kVYXFiltreTexts, kCritUnknownItem,
                {CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(list)), name});
  }
  return ids;
}

void CopyText(const std::string& text, StringPtr field, int capacity) {
  StdToP(text, field, capacity);
}

}  // namespace

void VYXApplyCriteria(const VYXCriteria& c, VYXSDBUserPreferences& user,
                      CPFunctionsProvider* functions, VYXSelectionMask* m) {
  int decimals = user.GetDecimals(kDecimalsMontants);
  if (c.libelle) {
    CopyText(*c.libelle, m->libelle, 255);
    m->libelleListOp = kListAny;
    m->libelleExact = c.libelleExact;
  }
  if (c.amountGiven) {
    m->montantKind = c.amountKind;
    m->montantSign = c.amountSign;
    auto value = [&](const std::optional<VYXAmountArg>& arg) {
      if (!arg) return 0.0;
      double v = VYXEvaluateAmount(*arg, functions, decimals);
      if (c.amountSign == kSignDebits) return -std::fabs(v);
      if (c.amountSign == kSignCredits) return std::fabs(v);
      return v;
    };
    m->montant1 = value(c.amount1) + 0.0;
    m->montant2 = value(c.amount2) + 0.0;
    // Between two debits, the larger debit is the lower bound.
    if (m->montantKind == kRangeBetween && m->montant1 > m->montant2) {
      std::swap(m->montant1, m->montant2);
    }
  }
  if (c.du || c.au) {
    // Each bound given replaces the mask's; the other one stays.
    std::string du, au;
    if (m->dateKind == kRangeBetween || m->dateKind == kRangeAtLeast) du = PToStd(m->date1);
    if (m->dateKind == kRangeBetween) au = PToStd(m->date2);
    if (m->dateKind == kRangeAtMost) au = PToStd(m->date1);
    if (c.du) du = *c.du;
    if (c.au) au = *c.au;
    m->dateKind = !du.empty() && !au.empty() ? kRangeBetween
                  : !du.empty()              ? kRangeAtLeast
                  : !au.empty()              ? kRangeAtMost
                                             : kRangeNone;
    CopyText(du.empty() ? au : du, m->date1, 32);
    CopyText(!du.empty() && !au.empty() ? au : "", m->date2, 32);
  }
  if (c.status) std::copy(c.status->begin(), c.status->end(), m->status);
  if (c.months) std::copy(c.months->begin(), c.months->end(), m->months);
  if (c.categories)
    m->categories = IDsOf(user, kVYXListCategories, user.GetCategories(), *c.categories);
  if (c.affectations) {
    m->affectations = IDsOf(user, kVYXListAffectations, user.GetAffectations(), *c.affectations);
  }
  if (c.tiers) m->tiers = IDsOf(user, kVYXListTiers, user.GetTiers(), *c.tiers);
  if (c.affaires) m->affaires = IDsOf(user, kVYXListAffaires, user.GetAffaires(), *c.affaires);
  if (c.modes) m->modes = IDsOf(user, kVYXListModes, user.GetModes(), *c.modes);
  if (c.tauxTVA) m->tauxTVA = IDsOf(user, kVYXListTauxTVA, user.GetTauxTVA(), *c.tauxTVA);
  if (c.cheque) {
    m->chequeKind = c.cheque->first.empty()    ? kRangeNone
                    : c.cheque->second.empty() ? kRangeEqual
                                               : kRangeBetween;
    CopyText(c.cheque->first, m->cheque1, 7);
    CopyText(c.cheque->second, m->cheque2, 7);
  }
  if (c.piece) {
    m->pieceKind = c.piece->empty() ? kRangeNone : kRangeEqual;
    CopyText(*c.piece, m->piece1, 12);
  }
  if (c.releve) {
    m->releveKind = c.releve->empty() ? kRangeNone : kRangeEqual;
    CopyText(*c.releve, m->releve1, 5);
  }
  if (c.ventilees) m->sousOperations = *c.ventilees;
}

// ---- in words

namespace {

std::string Quoted(const std::string& macRoman) { return "« " + VYXText(macRoman) + " »"; }

std::string Range(int16_t kind, const std::string& a, const std::string& b, bool text) {
  switch (kind) {
    case kRangeEqual:
      return VYXHelp(kVYXFiltreTexts, kWordEqual, {a});
    case kRangeDifferent:
      return VYXHelp(kVYXFiltreTexts, kWordDifferent, {a});
    case kRangeBetween:
      return VYXHelp(kVYXFiltreTexts, kWordBetween, {a, b});
    case kRangeOutside:
      return VYXHelp(kVYXFiltreTexts, kWordOutside, {a, b});
    case kRangeAtLeast:
      return VYXHelp(kVYXFiltreTexts, text ? kWordBegins : kWordAtLeast, {a});
    case kRangeAtMost:
      return VYXHelp(kVYXFiltreTexts, text ? kWordEnds : kWordAtMost, {a});
    default:
      return {};
  }
}

std::string DateRange(int16_t kind, const std::string& a, const std::string& b) {
  switch (kind) {
    case kRangeEqual:
      return VYXHelp(kVYXFiltreTexts, kWordDateOn, {a});
    case kRangeDifferent:
      return VYXHelp(kVYXFiltreTexts, kWordDateNotOn, {a});
    case kRangeBetween:
      return VYXHelp(kVYXFiltreTexts, kWordDateBetween, {a, b});
    case kRangeOutside:
      return VYXHelp(kVYXFiltreTexts, kWordDateOutside, {a, b});
    case kRangeAtLeast:
      return VYXHelp(kVYXFiltreTexts, kWordDateFrom, {a});
    case kRangeAtMost:
      return VYXHelp(kVYXFiltreTexts, kWordDateTo, {a});
    default:
      return {};
  }
}

std::string Amounts(int16_t kind, int16_t sign, double a, double b) {
  // Debits and credits are given and shown without their sign.
  if (sign != kSignEither) {
    a = std::fabs(a);
    b = std::fabs(b);
    if (b < a && (kind == kRangeBetween || kind == kRangeOutside)) std::swap(a, b);
  }
  std::string range = Range(kind, VYXAmountText(a), VYXAmountText(b), false);
  std::string sense = sign == kSignDebits    ? T(kWordDebits)
                      : sign == kSignCredits ? T(kWordCredits)
                                             : "";
  if (sense.empty()) return range;
  return range.empty() ? sense : sense + ", " + range;
}

std::string Items(CPResourceSet& set, const std::vector<CPResID>& ids) {
  std::string out;
  for (CPResID id : ids) {
    Str255 name;
    name[0] = 0;
    if (set.ResourceExists(id)) set.GetResourceName(id, name);
    if (!out.empty()) out += ", ";
    out += VYXText(PToStd(name));
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> VYXDescribeMask(const VYXSelectionMask& m,
                                                                 VYXSDBUserPreferences& user) {
  std::vector<std::pair<std::string, std::string>> out;
  if (m.libelle[0] != 0) {
    std::string values, piece;
    std::string joiner = T(m.libelleListOp == kListAll ? kWordAnd : kWordOr);
    auto flush = [&] {
      if (piece.empty()) return;
      if (!values.empty()) values += joiner;
      values += Quoted(piece);
      piece.clear();
    };
    for (int i = 1; i <= m.libelle[0]; ++i) {
      if (m.libelle[i] == kCPValuesSeparator) {
        flush();
      } else {
        piece += char(m.libelle[i]);
      }
    }
    flush();
    out.emplace_back(T(kWordLibelle),
                     VYXHelp(kVYXFiltreTexts, m.libelleExact ? kWordIs : kWordContains, {values}));
  }
  if (m.montantKind > kRangeNone || m.montantSign != kSignEither) {
    out.emplace_back(T(kWordMontant),
                     Amounts(m.montantKind, m.montantSign, m.montant1, m.montant2));
  }
  if (m.tvaKind > kRangeNone || m.tvaSign != kSignEither) {
    out.emplace_back(T(kWordTva), Amounts(m.tvaKind, m.tvaSign, m.tva1, m.tva2));
  }
  if (m.dateKind > kRangeNone) {
    out.emplace_back(T(kWordDate),
                     DateRange(m.dateKind, VYXText(PToStd(m.date1)), VYXText(PToStd(m.date2))));
  }
  if (m.datePointeKind > kRangeNone) {
    out.emplace_back(T(kWordDatePointe), DateRange(m.datePointeKind, VYXText(PToStd(m.datePointe1)),
                                                   VYXText(PToStd(m.datePointe2))));
  }
  int statuses = m.status[0] + m.status[1] + m.status[2];
  if (statuses != 0 && statuses != 3) {
    std::string text;
    for (int s = 0; s < 3; ++s) {
      if (!m.status[s]) continue;
      if (!text.empty()) text += T(kWordOr);
      text += VYXStatusText(OpStatus(s));
    }
    out.emplace_back(T(kWordStatut), text);
  }
  const struct {
    int word;
    CPResourceSet& set;
    const std::vector<CPResID>& ids;
  } lists[] = {
      {kWordCategories, user.GetCategories(), m.categories},
      {kWordAffectations, user.GetAffectations(), m.affectations},
      {kWordTiers, user.GetTiers(), m.tiers},
      {kWordAffaires, user.GetAffaires(), m.affaires},
      {kWordModes, user.GetModes(), m.modes},
      {kWordTauxTVA, user.GetTauxTVA(), m.tauxTVA},
  };
  for (const auto& l : lists) {
    if (!l.ids.empty()) out.emplace_back(T(l.word), Items(l.set, l.ids));
  }
  if (std::count(m.months, m.months + 12, true) != 12) {
    std::string text;
    for (int i = 0; i < 12; ++i) {
      if (!m.months[i]) continue;
      Str255 name;
      CPGetMonthName(i + 1, name);
      if (!text.empty()) text += ", ";
      text += VYXText(PToStd(name));
    }
    out.emplace_back(T(kWordMois), text);
  }
  if (m.chequeKind > kRangeNone) {
    out.emplace_back(T(kWordCheque), Range(m.chequeKind, VYXText(PToStd(m.cheque1)),
                                           VYXText(PToStd(m.cheque2)), true));
  }
  if (m.pieceKind > kRangeNone) {
    out.emplace_back(T(kWordPiece), Range(m.pieceKind, VYXText(PToStd(m.piece1)),
                                          VYXText(PToStd(m.piece2)), true));
  }
  if (m.releveKind > kRangeNone) {
    out.emplace_back(T(kWordReleve), Range(m.releveKind, VYXText(PToStd(m.releve1)),
                                           VYXText(PToStd(m.releve2)), true));
  }
  if (m.sousOperations) out.emplace_back(T(kWordVentilations), T(kWordIncluded));
  return out;
}
