#include "userfile/VYXUserImEx.h"

#include <cctype>
#include <cstddef>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/Devise.h"

namespace {

// Titles and words of the exchanged columns (res/strings.fr).
constexpr int kColumnsList = 30507;
enum : int {
  kType = 1,
  kFamille,
  kObjectif,
  kCouleur,
  kNoCompte,
  kTaux,
  kUtilisation,
  kTypeTaux,
  kTypeTVA,
  kImmo,
  kBase,
  kMonnaie,
  kSymbole,
  kChequier,
  kReleveSepare,
  kDebitRegle,
  kDebitGenre,
  kDebitJours,
  kDebitArret,
  kCreditRegle,
  kCreditGenre,
  kCreditJours,
  kCreditArret,
  kSociete,
  kNomFamille,
  kPrenom,
  kAdresse1,
  kAdresse2,
  kCodePostal,
  kVille,
  kPays,
  kTelephone,
  kMobile,
  kFax,
  kCourriel,
  kWeb,
  kSiret,
  kConditions,
  kCategorieWords = 50,  // 4: the kinds of categories, 0 to 3
  kTiersWords = 55,      // 6: the kinds of third parties, 0 to 5
  kModeWords = 62,       // 6: the kinds of modes, 0 to 5
  kRuleWords = 69,       // 3: the kinds of bank-date rules, 0 to 2
  kBadDeviseName = 75,   // ^1: the name
  kReferenceDevise,
};

std::string Text(int item) { return CPGetListString(kColumnsList, item); }

std::vector<std::string> Words(int first, int count) {
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) words.push_back(Text(first + i));
  return words;
}

CPDataField Field(OSType key, CPFieldKind kind, size_t offset, int heading, uint32_t size = 0) {
  CPDataField f;
  f.key = key;
  f.kind = kind;
  f.offset = uint32_t(offset);
  f.size = size;
  f.heading = Text(heading);
  return f;
}

CPDataField Enum(OSType key, size_t offset, int heading, std::vector<std::string> words) {
  CPDataField f = Field(key, CPFieldKind::kEnum, offset, heading);
  f.words = std::move(words);
  return f;
}

template <size_t N>
CPDataField PString(OSType key, size_t offset, int heading, const unsigned char (&)[N]) {
  return Field(key, CPFieldKind::kPString, offset, heading, uint32_t(N));
}

CPImExStructure Make(std::vector<CPDataField> fields) {
  CPDataStructure data;
  std::vector<OSType> columns;
  for (CPDataField& f : fields) {
    columns.push_back(f.key);
    data.Add(std::move(f));
  }
  return CPImExStructure(std::move(data), std::move(columns));
}

// A bank-date rule of a mode: whether it applies, its kind, its days.
void AddRule(std::vector<CPDataField>& fields, size_t at, const char keys[4][5], int first) {
  fields.push_back(Field(CPFourCC(keys[0]), CPFieldKind::kBool, at + offsetof(ModeTypeInfo, Enabled),
                         first));
  fields.push_back(Enum(CPFourCC(keys[1]), at + offsetof(ModeTypeInfo, ModeType), first + 1,
                        Words(kRuleWords, 3)));
  fields.push_back(Field(CPFourCC(keys[2]), CPFieldKind::kShort, at + 2, first + 2));
  fields.push_back(Field(CPFourCC(keys[3]), CPFieldKind::kShort, at + offsetof(ModeTypeInfo, StopDay),
                         first + 3));
}

}  // namespace

CPResID VYXCatFamilyNamed(VYXUserPreferences& user, const std::string& name, bool make) {
  VYXUserCatFamiliesSet& families = user.GetCatFamilies();
  Str255 key;
  StdToP(name, key);
  if (families.ResourceExists(key)) return families.GetResourceID(key);
  if (!make || name.empty()) return 0;
  UserCatFamily family;
  return user.AddItem(families, key, &family, sizeof family);
}

CPImExStructure VYXUserImExStructure(VYXUserPreferences* user, ResType type) {
  using K = CPFieldKind;
  switch (type) {
    case 'CATE': {
      CPDataField famille;
      famille.key = 'fami';
      famille.kind = K::kComputed;
      famille.heading = Text(kFamille);
      VYXUserPreferences* u = user;
      famille.get = [u](CPResID id) {
        if (!u) return std::string();
        CPResID family = u->GetCategorieFamily(id);
        if (family == 0) return std::string();
        Str255 name;
        u->GetCatFamilies().GetResourceName(family, name);
        return PToStd(name);
      };
      famille.set = [u](CPResID id, const std::string& text, std::string*) {
        if (u) u->SetCategorieFamily(id, VYXCatFamilyNamed(*u, text, true));
        return u != nullptr;
      };
      Categorie c;
      return Make({Enum('dep ', offsetof(Categorie, type), kType, Words(kCategorieWords, 4)),
                   std::move(famille),
                   Field('objt', K::kNumber, offsetof(Categorie, objectif), kObjectif),
                   Field('colr', K::kShort, offsetof(Categorie, colorID), kCouleur),
                   PString('ncpt', offsetof(Categorie, noCompte), kNoCompte, c.noCompte)});
    }
    case 'AFFE':
      return Make({Field('objt', K::kNumber, offsetof(Affectation, objectif), kObjectif),
                   Field('colr', K::kShort, offsetof(Affectation, colorID), kCouleur)});
    case 'AFFA':
      return Make({Field('objt', K::kNumber, offsetof(UserAffaire, objectif), kObjectif),
                   Field('colr', K::kShort, offsetof(UserAffaire, colorID), kCouleur)});
    case 'TVA ': {
      TauxTVA t;
      return Make({Field('taux', K::kNumber, offsetof(TauxTVA, taux), kTaux),
                   Field('affe', K::kEnum, offsetof(TauxTVA, utilisation), kUtilisation),
                   Field('tyTx', K::kEnum, offsetof(TauxTVA, typeTaux), kTypeTaux),
                   Field('tTVA', K::kEnum, offsetof(TauxTVA, typeTVA), kTypeTVA),
                   Field('immo', K::kBool, offsetof(TauxTVA, immo), kImmo),
                   PString('cpt ', offsetof(TauxTVA, noCompte), kNoCompte, t.noCompte)});
    }
    case 'DEVI': {
      Devise d;
      CPImExStructure s =
          Make({Field('taux', K::kNumber, offsetof(Devise, taux), kTaux),
                Field('base', K::kNumber, offsetof(Devise, base), kBase),
                PString('monn', offsetof(Devise, monnaie), kMonnaie, d.monnaie),
                PString('symb', offsetof(Devise, symbole), kSymbole, d.symbole)});
      // A currency is known by its code: four characters at most, in
      // capitals; another one under a numbered code would name nothing.
      s.numberedNames = false;
      s.checkName = [](std::string* name, std::string* why) {
        if (name->size() > 4 || name->find(' ') != std::string::npos) {
          *why = Text(kBadDeviseName);
          CPReplaceVar(*why, 1, *name);
          return false;
        }
        for (char& c : *name) c = char(std::toupper(static_cast<unsigned char>(c)));
        return true;
      };
      s.canChange = [](CPResID id, std::string* why) {
        if (id != 1) return true;
        *why = Text(kReferenceDevise);
        return false;
      };
      return s;
    }
    case 'MODE': {
      std::vector<CPDataField> fields{
          Enum('type', offsetof(Mode, type), kType, Words(kModeWords, 6)),
          Field('chqs', K::kBool, offsetof(Mode, askForChequier), kChequier),
          Field('rsep', K::kBool, offsetof(Mode, releveSepare), kReleveSepare)};
      const char debit[4][5] = {"dreg", "dgen", "djou", "darr"};
      const char credit[4][5] = {"creg", "cgen", "cjou", "carr"};
      AddRule(fields, offsetof(Mode, debitModeType), debit, kDebitRegle);
      AddRule(fields, offsetof(Mode, creditModeType), credit, kCreditRegle);
      return Make(std::move(fields));
    }
    case 'CLFO': {
      UserTiers t;
      const size_t f = offsetof(UserTiers, facturation);
      return Make({
          Enum('type', offsetof(UserTiers, type), kType, Words(kTiersWords, 6)),
          PString('ncpt', offsetof(UserTiers, noCompte), kNoCompte, t.noCompte),
          Field('objt', K::kNumber, offsetof(UserTiers, objectif), kObjectif),
          PString('fSoc', f + offsetof(TiersAdresse, societe), kSociete, t.facturation.societe),
          PString('fNom', f + offsetof(TiersAdresse, nom), kNomFamille, t.facturation.nom),
          PString('fPre', f + offsetof(TiersAdresse, prenom), kPrenom, t.facturation.prenom),
          PString('fAd1', f + offsetof(TiersAdresse, adresse1), kAdresse1, t.facturation.adresse1),
          PString('fAd2', f + offsetof(TiersAdresse, adresse2), kAdresse2, t.facturation.adresse2),
          PString('fCP ', f + offsetof(TiersAdresse, codePostal), kCodePostal,
                  t.facturation.codePostal),
          PString('fVil', f + offsetof(TiersAdresse, ville), kVille, t.facturation.ville),
          PString('fPay', f + offsetof(TiersAdresse, pays), kPays, t.facturation.pays),
          PString('tel ', offsetof(UserTiers, telephone), kTelephone, t.telephone),
          PString('mob ', offsetof(UserTiers, mobile), kMobile, t.mobile),
          PString('fax ', offsetof(UserTiers, fax), kFax, t.fax),
          PString('mail', offsetof(UserTiers, email), kCourriel, t.email),
          PString('web ', offsetof(UserTiers, web), kWeb, t.web),
          PString('sire', offsetof(UserTiers, siret), kSiret, t.siret),
          PString('cond', offsetof(UserTiers, conditions), kConditions, t.conditions),
      });
    }
    default:
      CPThrow(paramErr);
  }
}
