// Currencies of the user file: the reference currency (ID 1) and the euro
// set up at opening, the codes, and conversions into and out of the
// reference currency.
#include <cmath>
#include <cstring>

#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXUserTexts.h"

namespace {

constexpr OSType kEuroCode = 'EUR ';
constexpr CPResID kReferenceID = 1;

// The set's name of a code: its characters up to the first space.
CPString NameOfCode(OSType code) {
  CPString name = CPString::FromType(code);
  int length = name.Length();
  while (length > 0 && name[length] == ' ') --length;
  return CPString(name, 1, length);
}

Devise NewDevise(double taux, double base) {
  Devise d;
  d.taux = taux;
  d.base = base;
  StdToP(CPGetListString(kVYXEuroLongNameList, 1), d.monnaie, 31);
  StdToP(CPGetListString(kVYXEuroSymbolList, 1), d.symbole, 4);
  return d;
}

}  // namespace

CPResID VYXUserPreferences::DeviseCodeToId(OSType code) {
  if (code == 0) return 0;
  CPString name = NameOfCode(code);
  VYXUserDevisesSet& devises = GetDevises();
  if (name.IsEmpty() || !devises.ResourceExists(name)) return 0;
  return devises.GetResourceID(name);
}

OSType VYXUserPreferences::DeviseIdToCode(CPResID id) {
  Str255 name = {0};
  VYXUserDevisesSet& devises = GetDevises();
  if (id == 0 || !devises.ResourceExists(id)) return 0;
  devises.GetResourceName(id, name);
  return CPString(name).ToType();
}

void VYXUserPreferences::InitDevises() {
  VYXUserDevisesSet& devises = GetDevises();
  CPString euro = CPString::FromStd(CPGetListString(kVYXEuroNameList, 1));
  Str255 xeu = "\003XEU";
  if (devises.ResourceExists(xeu) && !devises.ResourceExists(euro)) {
    devises.SetResourceName(devises.GetResourceID(xeu), euro);
  }
  if (devises.ResourceExists(kReferenceID)) {
    Devise ref;
    devises.GetResource(kReferenceID, &ref);
    if (double(ref.taux) != 1.0 || double(ref.base) != 1.0) {
      ref.taux = 1.0;
      ref.base = 1.0;
      devises.SetResource(kReferenceID, ref);
    }
  } else {
    Devise ref = NewDevise(1.0, 1.0);
    if (devises.ResourceExists(euro)) {
      // A euro kept under another ID becomes the reference: the accounts that
      // named it name the reference.
      CPResID old = devises.GetResourceID(euro);
      devises.GetResource(old, &ref);
      ref.taux = 1.0;
      ref.base = 1.0;
      devises.RemoveResource(old);
      int32_t count = GetNbOfComptes();
      for (int32_t n = 1; n <= count; ++n) {
        UserCompte compte;
        if (GetCompteInfos(n, &compte) && compte.deviseID == old) {
          compte.deviseID = kReferenceID;
          SetCompteInfos(n, compte);
        }
      }
    }
    devises.AddResource(kReferenceID, euro, ref);
  }
  Str255 refName;
  devises.GetResourceName(kReferenceID, refName);
  if (CPEqualString(refName, euro, false, false) || devises.ResourceExists(euro)) return;
  // The euro beside another reference: at the fixed rate when the reference
  // is one of the currencies the euro replaced, else at par until the user
  // sets its rate.
  double rate = 1.0;
  CPIsDeviseZoneEuro(CPString(refName).ToType(), rate);
  devises.AddResource(devises.GetUniqueID(), euro, NewDevise(rate, 1.0));
}

double VYXUserPreferences::GetDeviseCoeff(OSType code) {
  OSType reference = GetReferenceDevise();
  if (code == 0 || code == reference) return 1.0;
  double rate = 0;
  if (reference == kEuroCode && CPIsDeviseZoneEuro(code, rate)) return 1.0 / rate;
  if (code == kEuroCode && CPIsDeviseZoneEuro(reference, rate)) return rate;
  CPResID id = DeviseCodeToId(code);
  Devise d;
  if (id == 0 || !GetDevises().ReadResource(id, &d)) return 1.0;
  double taux = d.taux, base = d.base;
  return base == 0 ? taux : taux / base;
}

namespace {

double Converted(double amount, double coeff, bool multiply, int16_t decimals) {
  if (std::fabs(amount) < 0.0001) return 0;
  if (coeff == 0.0 || coeff == 1.0) return amount;
  double value = multiply ? amount * coeff : amount / coeff;
  return CPArrondi(value, decimals);
}

}  // namespace

double VYXUserPreferences::DeviseToMontant(OSType code, double amount) {
  return Converted(amount, GetDeviseCoeff(code), true, GetDecimals(kDecimalsMontants));
}

double VYXUserPreferences::MontantToDevise(OSType code, double amount) {
  return Converted(amount, GetDeviseCoeff(code), false, GetDecimals(kDecimalsMontants));
}

bool VYXUserPreferences::EvaluateDevise(ConstStringPtr name, ParamStack* params, DeviseCode devise,
                                        double* result, bool* found) {
  VYXUserDevisesSet& devises = GetDevises();
  std::vector<CPResID> ids = CPResourceIDsInOrder(devises);
  CPResID match = 0;
  for (CPResID id : ids) {
    Str255 code;
    devises.GetResourceName(id, code);
    if (CPStrEqual(code, name)) {
      match = id;
      break;
    }
  }
  if (match == 0 && params->count == 1) {
    for (CPResID id : ids) {
      Devise d;
      if (!devises.ReadResource(id, &d)) continue;
      Str255 symbol;
      TruncPString(symbol, d.symbole, 4);
      if (symbol[0] != 0 && CPStrEqual(symbol, name)) {
        match = id;
        break;
      }
    }
  }
  if (match == 0) return false;
  *found = params->count == 1;
  if (*found) {
    if (devise == 0) devise = GetReferenceDevise();
    *result = DeviseToMontant(DeviseIdToCode(match), MontantToDevise(devise, params->params[0]));
  }
  return true;
}

void VYXUserPreferences::GetQuantityFormat(int16_t* decimals, bool* thousands) {
  *decimals = GetDecimals(kDecimalsQuantites);
  *thousands = GetProPrefs().separateurMilliers != 0;
}
