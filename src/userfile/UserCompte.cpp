#include "userfile/UserCompte.h"

#include "accounts/VYXRecordCodec.h"

namespace {

// The flag a module follows, or null for the modules that include every
// account (1, 2, 10, 18, 19, 20) and those that are not modules.
Boolean* FlagOf(UserCompte& c, ModuleGlobal module) {
  switch (module) {
    case 3:
      return &c.gSol;
    case 4:
      return &c.gTre;
    case 5:
    case 14:
    case 15:
    case 16:
    case 17:
    case 21:
    case 23:
    case 24:
      return &c.gBil;
    case 6:
      return &c.gFil;
    case 7:
      return &c.gPor;
    case 8:
      return &c.gBud;
    case 9:
      return &c.gEch;
    case 11:
      return &c.included;
    case 12:
    case 13:
    case 25:
      return &c.gPro;
    default:
      return nullptr;
  }
}

}  // namespace

bool UserCompte::ModuleIsChecked(ModuleGlobal module) const {
  if (module > kModuleLast) return false;
  if (module == kModuleAll) return gSol && gTre && gBil && gFil && gBud && gPor && gPro;
  UserCompte copy = *this;
  Boolean* flag = FlagOf(copy, module);
  return flag == nullptr || *flag != 0;
}

bool UserCompte::CheckModule(ModuleGlobal module, bool checked) {
  if (module > kModuleLast) return false;
  if (module == kModuleAll) {
    gSol = gTre = gBil = gFil = gBud = gPor = gPro = checked;
    return true;
  }
  Boolean* flag = FlagOf(*this, module);
  if (flag == nullptr) return false;
  *flag = checked;
  return true;
}

void UserCompte::ByteSwap() {
  aliasID = VYXSwapped(aliasID);
  for (int i = 0; i < 9; ++i) values[i] = VYXSwapped(double(values[i]));
  deviseID = VYXSwapped(deviseID);
  value346 = VYXSwapped(value346);
  value446 = VYXSwapped(value446);
}

void UserCompte::Encode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserCompte::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
}
