#include "business/VYXFactureProperties.h"

#include <array>
#include <cstring>

#include "business/VYXBusinessTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"

namespace {

using T = VYXPropType;

constexpr std::array<VYXFactureProperty, 59> kProperties = {{
    {1, 'date', T::kDate, 0},    {2, 'no  ', T::kText, 13},   {3, 'libl', T::kText, 100},
    {4, 'ref ', T::kText, 13},   {5, 'etat', T::kText, 256},  {6, 'datD', T::kDate, 0},
    {7, 'numD', T::kText, 13},   {8, 'etaD', T::kText, 256},  {9, 'datL', T::kDate, 0},
    {10, 'numL', T::kText, 13},  {11, 'clie', T::kText, 256}, {12, 'cSoc', T::kText, 32},
    {13, 'cPre', T::kText, 32},  {14, 'cNom', T::kText, 32},  {15, 'cAd1', T::kText, 71},
    {16, 'cAd2', T::kText, 71},  {17, 'cCP ', T::kText, 9},   {18, 'cVil', T::kText, 31},
    {19, 'cPay', T::kText, 31},  {20, 'livr', T::kBool, 0},   {21, 'lSoc', T::kText, 32},
    {22, 'lPre', T::kText, 32},  {23, 'lNom', T::kText, 32},  {24, 'lAd1', T::kText, 71},
    {25, 'lAd2', T::kText, 71},  {26, 'lCP ', T::kText, 9},   {27, 'lVil', T::kText, 31},
    {28, 'lPay', T::kText, 31},  {29, 'ttht', T::kNumber, 0}, {30, 'ttva', T::kNumber, 0},
    {31, 'tttc', T::kNumber, 0}, {32, 'tep ', T::kNumber, 0}, {33, 'nii ', T::kText, 32},
    {34, 'moda', T::kEnum, 0},   {35, 'eche', T::kDate, 0},   {36, 'sold', T::kNumber, 0},
    {37, 'slde', T::kBool, 0},   {38, 'mode', T::kText, 256}, {39, 'affa', T::kText, 256},
    {40, 'affe', T::kText, 256}, {41, 'mois', T::kText, 256}, {42, 'rela', T::kShort, 0},
    {43, 'rel1', T::kDate, 0},   {44, 'rel2', T::kDate, 0},   {45, 'rel3', T::kDate, 0},
    {46, 'cmt1', T::kText, 64},  {47, 'cmt2', T::kText, 64},  {48, 'cmt3', T::kText, 64},
    {49, 'cmt4', T::kText, 64},  {50, 'cpte', T::kResID, 0},  {51, 'oper', T::kLong, 0},
    {52, 'lRef', T::kText, 13},  {53, 'lLib', T::kText, 100}, {54, 'lQte', T::kNumber, 0},
    {55, 'lPU ', T::kNumber, 0}, {56, 'lEP ', T::kNumber, 0}, {57, 'lRem', T::kNumber, 0},
    {58, 'lTVA', T::kText, 256}, {59, 'nlig', T::kShort, 0},
}};

// A text field of the document: its bytes and capacity (length byte included).
struct TextField {
  unsigned char* p = nullptr;
  int capacity = 0;
};

template <size_t N>
TextField F(unsigned char (&s)[N]) {
  return {s, int(N)};
}

// 'cSoc'... the customer's address, 'lSoc'... the delivery address.
TextField AddressField(Facture& f, OSType code) {
  switch (code) {
    case 'cSoc':
      return F(f.client.societe);
    case 'cPre':
      return F(f.client.prenom);
    case 'cNom':
      return F(f.client.nom);
    case 'cAd1':
      return F(f.client.adresse1);
    case 'cAd2':
      return F(f.client.adresse2);
    case 'cCP ':
      return F(f.client.cp);
    case 'cVil':
      return F(f.client.ville);
    case 'cPay':
      return F(f.client.pays);
    case 'lSoc':
      return F(f.livraison.societe);
    case 'lPre':
      return F(f.livraison.prenom);
    case 'lNom':
      return F(f.livraison.nom);
    case 'lAd1':
      return F(f.livraison.adresse1);
    case 'lAd2':
      return F(f.livraison.adresse2);
    case 'lCP ':
      return F(f.livraison.cp);
    case 'lVil':
      return F(f.livraison.ville);
    case 'lPay':
      return F(f.livraison.pays);
    default:
      return {};
  }
}

// The plain text fields, by code; null `p` for the others.
TextField TextOf(Facture& f, OSType code, int ligne) {
  FactureHeader& h = f.header;
  if (TextField a = AddressField(f, code); a.p) return a;
  switch (code) {
    case 'no  ':
      return F(h.numero);
    case 'libl':
      return F(h.libelle);
    case 'ref ':
      return F(h.reference);
    case 'numD':
      return F(h.no_devis);
    case 'numL':
      return F(h.no_bl);
    case 'nii ':
      return F(f.extra.nii);
    case 'cmt1':
      return F(f.extra.commentaire1);
    case 'cmt2':
      return F(f.extra.commentaire2);
    case 'cmt3':
      return F(f.extra.commentaire3);
    case 'cmt4':
      return F(f.extra.commentaire4);
    case 'lRef':
      return F(f.lignes[ligne - 1].reference);
    case 'lLib':
      return F(f.lignes[ligne - 1].libelle);
    default:
      return {};
  }
}

std::string Word(int item) { return CPGetListString(kVYXBusinessTexts, item); }

bool SameWord(const std::string& a, const std::string& b) { return CPEqualString(a, b, false, false); }

// A whole number of at most `max`, possibly negative.
bool ParseLong(const std::string& text, long min, long max, long* value) {
  if (text.empty() || text.size() > 11) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  long n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
  }
  if (text[0] == '-') n = -n;
  if (n < min || n > max) return false;
  *value = n;
  return true;
}

std::string DateText(CPDate date) { return date ? CPDateToStr(date) : std::string(); }

bool ParseDate(const std::string& text, CPDate* date) {
  if (text.empty()) {
    *date = 0;
    return true;
  }
  CPDate d = 0;
  if (!CPStrToDate(text, d)) return false;
  *date = d;
  return true;
}

bool ParseBool(const std::string& text, uint8_t* value) {
  for (const char* yes : {"1", "oui", "vrai"}) {
    if (SameWord(text, yes)) return *value = 1, true;
  }
  for (const char* no : {"0", "non", "faux", ""}) {
    if (SameWord(text, no)) return *value = 0, true;
  }
  return false;
}

std::string NameIn(CPResourceSet& set, CPResID id) {
  Str255 name = {0};
  if (id != 0 && set.ResourceExists(id)) set.GetResourceName(id, name);
  return PToStd(name);
}

bool IDIn(CPResourceSet& set, const std::string& name, CPResID* id) {
  if (name.empty()) {
    *id = 0;
    return true;
  }
  CPString n = CPString::FromStd(name);
  if (!set.ResourceExists(n)) return false;
  *id = set.GetResourceID(n);
  return true;
}

CPResourceSet* ListOf(VYXUserPreferences& user, OSType code) {
  switch (code) {
    case 'clie':
      return &user.GetTiers();
    case 'mode':
      return &user.GetModes();
    case 'affa':
      return &user.GetAffaires();
    case 'affe':
      return &user.GetAffectations();
    case 'lTVA':
      return &user.GetTauxTVA();
    default:
      return nullptr;
  }
}

}  // namespace

std::span<const VYXFactureProperty> VYXFactureProperties() { return kProperties; }

const VYXFactureProperty* VYXFindFactureProperty(OSType code) {
  for (const VYXFactureProperty& p : kProperties) {
    if (p.code == code) return &p;
  }
  return nullptr;
}

std::string VYXFacturePropertyName(const VYXFactureProperty& property) {
  return CPGetListString(kVYXFacturePropertyNames, property.no);
}

bool VYXIsLineProperty(OSType code) {
  const VYXFactureProperty* p = VYXFindFactureProperty(code);
  return p && p->no >= 52 && p->no <= 58;
}

bool VYXGetFactureProperty(VYXUserPreferences& user, const Facture& facture, OSType code,
                           int ligne, std::string* value) {
  const VYXFactureProperty* property = VYXFindFactureProperty(code);
  if (!property) return false;
  if (VYXIsLineProperty(code) && (ligne < 1 || size_t(ligne) > facture.lignes.size())) return false;
  Facture& f = const_cast<Facture&>(facture);  // only read
  const FactureHeader& h = facture.header;
  if (TextField t = TextOf(f, code, ligne); t.p) {
    *value = PToStd(t.p);
    return true;
  }
  if (CPResourceSet* list = ListOf(user, code)) {
    *value = NameIn(*list, code == 'lTVA'  ? CPResID(facture.lignes[ligne - 1].tauxTVA)
                           : code == 'clie' ? CPResID(h.client)
                           : code == 'mode' ? CPResID(h.mode)
                           : code == 'affa' ? CPResID(h.affaire)
                                            : CPResID(h.affectation));
    return true;
  }
  auto number = [&](double v) { *value = MacNumToStr(v, -1, false); };
  switch (code) {
    case 'date':
      *value = DateText(h.date);
      return true;
    case 'datD':
      *value = DateText(h.date_devis);
      return true;
    case 'datL':
      *value = DateText(h.date_bl);
      return true;
    case 'eche':
      *value = DateText(h.echeance);
      return true;
    case 'rel1':
      *value = DateText(h.relance1);
      return true;
    case 'rel2':
      *value = DateText(h.relance2);
      return true;
    case 'rel3':
      *value = DateText(h.relance3);
      return true;
    case 'etat':
      *value = h.etat >= 1 && h.etat <= 3 ? Word(kBizEtatFirst + h.etat - 1) : std::string();
      return true;
    case 'etaD':
      *value = h.etatDevis >= 1 && h.etatDevis <= 3 ? Word(kBizEtatDevisFirst + h.etatDevis - 1)
                                                     : std::string();
      return true;
    case 'livr':
      *value = h.hasLivraison ? "1" : "0";
      return true;
    case 'slde':
      *value = h.soldee ? "1" : "0";
      return true;
    case 'ttht':
      number(h.totalHT);
      return true;
    case 'ttva':
      number(h.totalTVA);
      return true;
    case 'tttc':
      number(h.totalTTC);
      return true;
    case 'tep ': {
      double eco = 0;
      user.CalculateFacture(facture, nullptr, &eco, nullptr);
      number(eco);
      return true;
    }
    case 'sold':
      number(h.sold);
      return true;
    case 'moda':
      *value = std::to_string(h.modalite);
      return true;
    case 'mois': {
      Str255 name = {0};
      if (h.mois >= 1 && h.mois <= 12) CPGetMonthName(h.mois, name);
      *value = PToStd(name);
      return true;
    }
    case 'rela':
      *value = std::to_string(h.relances);
      return true;
    case 'cpte':
      *value = std::to_string(h.compte);
      return true;
    case 'oper':
      *value = std::to_string(h.operation);
      return true;
    case 'nlig':
      *value = std::to_string(facture.lignes.size());
      return true;
    case 'lQte':
      number(facture.lignes[ligne - 1].quantity);
      return true;
    case 'lPU ':
      number(facture.lignes[ligne - 1].prixUnitaire);
      return true;
    case 'lEP ':
      number(facture.lignes[ligne - 1].ecoParticipation);
      return true;
    case 'lRem':
      number(facture.lignes[ligne - 1].remise);
      return true;
    default:
      return false;
  }
}

bool VYXSetFactureProperty(VYXUserPreferences& user, Facture& f, OSType code, int ligne,
                           const std::string& value) {
  const VYXFactureProperty* property = VYXFindFactureProperty(code);
  if (!property) return false;
  if (VYXIsLineProperty(code) && (ligne < 1 || size_t(ligne) > f.lignes.size())) return false;
  FactureHeader& h = f.header;
  if (TextField t = TextOf(f, code, ligne); t.p) {
    StdToP(value, t.p, t.capacity - 1);
    return true;
  }
  if (CPResourceSet* list = ListOf(user, code)) {
    CPResID id = 0;
    if (!IDIn(*list, value, &id)) return false;
    switch (code) {
      case 'lTVA':
        f.lignes[ligne - 1].tauxTVA = id;
        break;
      case 'clie':
        h.client = id;
        break;
      case 'mode':
        h.mode = id;
        break;
      case 'affa':
        h.affaire = id;
        break;
      default:
        h.affectation = id;
        break;
    }
    return true;
  }
  CPDate date = 0;
  double number = 0;
  long n = 0;
  uint8_t flag = 0;
  switch (code) {
    case 'date':
    case 'datD':
    case 'datL':
    case 'eche':
    case 'rel1':
    case 'rel2':
    case 'rel3':
      if (!ParseDate(value, &date)) return false;
      if (code == 'date') h.date = date;
      if (code == 'datD') h.date_devis = date;
      if (code == 'datL') h.date_bl = date;
      if (code == 'eche') h.echeance = date;
      if (code == 'rel1') h.relance1 = date;
      if (code == 'rel2') h.relance2 = date;
      if (code == 'rel3') h.relance3 = date;
      return true;
    case 'etat':
    case 'etaD': {
      int first = code == 'etat' ? kBizEtatFirst : kBizEtatDevisFirst;
      for (int i = 0; i < 3; ++i) {
        if (SameWord(value, Word(first + i)) || value == std::to_string(i + 1)) {
          (code == 'etat' ? h.etat : h.etatDevis) = uint8_t(i + 1);
          return true;
        }
      }
      return false;
    }
    case 'livr':
    case 'slde':
      if (!ParseBool(value, &flag)) return false;
      (code == 'livr' ? h.hasLivraison : h.soldee) = flag;
      return true;
    case 'sold':
    case 'lQte':
    case 'lPU ':
    case 'lEP ':
    case 'lRem':
      if (value.empty() || !MacStrToNum(value, number)) return false;
      if (code == 'sold') h.sold = number;
      if (code == 'lQte') f.lignes[ligne - 1].quantity = number;
      if (code == 'lPU ') f.lignes[ligne - 1].prixUnitaire = number;
      if (code == 'lEP ') f.lignes[ligne - 1].ecoParticipation = number;
      if (code == 'lRem') f.lignes[ligne - 1].remise = number;
      return true;
    case 'moda':
      if (!ParseLong(value, 1, kReglementLast, &n)) return false;
      h.modalite = uint8_t(n);
      return true;
    case 'mois':
      for (int m = 1; m <= 12; ++m) {
        Str255 name;
        CPGetMonthName(m, name);
        if (SameWord(value, PToStd(name)) || value == std::to_string(m)) {
          h.mois = int16_t(m);
          return true;
        }
      }
      return false;
    case 'rela':
      if (!ParseLong(value, 0, 3, &n)) return false;
      h.relances = int16_t(n);
      return true;
    case 'cpte':
      if (!ParseLong(value, -32768, 32767, &n)) return false;
      h.compte = CPResID(n);
      return true;
    case 'oper':
      if (!ParseLong(value, INT32_MIN, INT32_MAX, &n)) return false;
      h.operation = int32_t(n);
      return true;
    default:
      // The totals and the number of lines are the lines' to say.
      return false;
  }
}
