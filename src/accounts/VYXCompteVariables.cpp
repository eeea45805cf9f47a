#include "accounts/VYXCompteVariables.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "accounts/VYXCompte.h"
#include "accounts/VYXComptePrefs.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"

namespace {

// Where the bank details record (900) keeps the two texts variables name:
// the bank's name and the account-number part of the bank identifier
// (docs/account-file.md).
constexpr size_t kBankNameAt = 0, kBankNameWidth = 51;
constexpr size_t kBankNumberAt = 64, kBankNumberWidth = 11;

void BankText(const VYXCompte& compte, size_t at, size_t width, StringPtr value) {
  CPDataEncoding encoding;
  const std::vector<unsigned char>& bytes =
      compte.GetPrefs().GetRecord(kVYXBanqueInfosID, &encoding);
  value[0] = 0;
  if (bytes.size() <= at) return;
  size_t len = std::min({size_t(bytes[at]), width, bytes.size() - at - 1});
  value[0] = uint8_t(len);
  std::memcpy(value + 1, bytes.data() + at + 1, len);
  CPDecodeString(value, 255, encoding);
}

void Word(double montant, int negative, int positive, StringPtr value) {
  CPGetIndString(value, kVYXVariableWordsList, montant < 0 ? negative : positive);
}

void Text(const std::string& text, StringPtr value) { StdToP(text, value); }

int NextMonth(int m) { return m >= 12 ? 1 : m + 1; }
int PreviousMonth(int m) { return m <= 1 ? 12 : m - 1; }

}  // namespace

VYXCompteVariables::VYXCompteVariables(VYXCompte& compte, CPVariablesProvider* parent)
    : CPVariablesProvider(parent ? parent : CPGetStandardVariables(), kVYXVariablesList, 1, 3),
      compte_(compte) {}

bool VYXCompteVariables::EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) {
  switch (FindOwnVariable(name)) {
    case 1:
      BankText(compte_, kBankNameAt, kBankNameWidth, value);
      return true;
    case 2:
      compte_.GetName(value);
      return true;
    case 3:
      BankText(compte_, kBankNumberAt, kBankNumberWidth, value);
      return true;
    default:
      return CPVariablesProvider::EvaluateVariable(name, interactive, value);
  }
}

bool VYXOperationVariables::EvaluateVariable(ConstStringPtr name, bool interactive,
                                             StringPtr value) {
  int index = FindOwnVariable(name);
  if (index == 0) return CPVariablesProvider::EvaluateVariable(name, interactive, value);
  double montant = op_.montant;
  int mois = op_.mois;
  // The security's variables say nothing of an operation on none.
  bool titre = op_.isATitre && op_.titre != 0 && compte_.GetTitres().ResourceExists(op_.titre);
  value[0] = 0;
  switch (index) {
    case 4:
      Word(montant, 30, 31, value);
      break;
    case 5:
      CPGetMonthName(mois, value);
      break;
    case 6:
      CPGetMonthName(NextMonth(mois), value);
      break;
    case 7:
      CPGetMonthName(PreviousMonth(mois), value);
      break;
    case 8:
      Text(std::to_string(mois), value);
      break;
    case 9:
      Text(std::to_string(NextMonth(mois)), value);
      break;
    case 10:
      Text(std::to_string(PreviousMonth(mois)), value);
      break;
    case 11:
      Text(std::to_string((std::clamp(mois, 1, 12) - 1) / 3 + 1), value);
      break;
    case 12:
      CPGetShortYear(CPGetYear(op_.date), value);
      break;
    case 13:
      Text(std::to_string(CPGetYear(op_.date)), value);
      break;
    case 14:
      if (titre) compte_.GetTitres().GetResourceName(op_.titre, value);
      break;
    case 15:
      if (titre) Word(montant, 33, 32, value);
      break;
    case 16:
      if (titre) {
        int16_t decimals = 4;
        bool thousands = true;
        compte_.GetSupervisor().GetQuantityFormat(&decimals, &thousands);
        MacNumToStr(op_.quantity, value, decimals, thousands);
      }
      break;
  }
  return true;
}

bool VYXSsOperationVariables::EvaluateVariable(ConstStringPtr name, bool interactive,
                                               StringPtr value) {
  switch (FindOwnVariable(name)) {
    case 17:
      CPStrCopyP(value, op_.libelle);
      return true;
    case 18:
      Word(line_.montant, 30, 31, value);
      return true;
    case 19:
      CPGetMonthName(line_.mois, value);
      return true;
    default:
      return CPVariablesProvider::EvaluateVariable(name, interactive, value);
  }
}

int16_t VYXDicoVariables::GetNbOfVariables() {
  int16_t parent = GetParent() ? GetParent()->GetNbOfVariables() : 0;
  return int16_t(dico_.GetResourcesCount() + parent);
}

void VYXDicoVariables::GetVariablesInfos(int16_t index, VariablesInfos* infos) {
  int32_t own = dico_.GetResourcesCount();
  *infos = VariablesInfos();
  if (index >= 1 && index <= own) {
    Str255 name;
    dico_.GetNthResource(index, name);
    TruncPString(infos->name, name, 32);
  } else if (index > own && GetParent()) {
    GetParent()->GetVariablesInfos(int16_t(index - own), infos);
  }
}
