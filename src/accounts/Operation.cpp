#include "accounts/Operation.h"

#include <algorithm>
#include <cstring>

#include "accounts/VYXCompteDefaultValues.h"
#include "accounts/VYXMonthRule.h"
#include "accounts/VYXRecordCodec.h"
#include "foundation/CPDates.h"

Operation::Operation() {
  date = CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear());
}

Operation::Operation(const VYXCompteDefaultValues& defaults, bool isATitreOp) : Operation() {
  status = defaults.status;
  mode = defaults.mode;
  categorie = defaults.categorie;
  affectation = defaults.affectation;
  tva = defaults.debCred ? defaults.tvaRec : defaults.tvaDep;
  mois = VYXMonthFromRule(defaults.mois, date);
  isATitre = isATitreOp ? 1 : 0;
}

namespace {

// Leading zeros up to `width` for a text of digits only.
void FillNumber(StringPtr text, int width) {
  int n = text[0];
  if (n == 0 || n >= width) return;
  for (int i = 1; i <= n; ++i) {
    if (text[i] < '0' || text[i] > '9') return;
  }
  int pad = width - n;
  std::memmove(text + 1 + pad, text + 1, size_t(n));
  std::memset(text + 1, '0', size_t(pad));
  text[0] = static_cast<unsigned char>(width);
}

}  // namespace

void Operation::FillNoCheque(StringPtr text) { FillNumber(text, sizeof(Str7) - 1); }
void Operation::FillReleve(StringPtr text) { FillNumber(text, sizeof(Str5) - 1); }

void Operation::GetFilledNoCheque(StringPtr text) const {
  std::memcpy(text, noCheque, sizeof(noCheque));
  if (text[0] > sizeof(noCheque) - 1) text[0] = sizeof(noCheque) - 1;
  FillNoCheque(text);
}

void Operation::GetFilledReleve(StringPtr text) const {
  std::memcpy(text, releve, sizeof(releve));
  if (text[0] > sizeof(releve) - 1) text[0] = sizeof(releve) - 1;
  FillReleve(text);
}

bool Operation::VentilationDepasseMontant() const {
  if (sousOpsNbr <= 0) return false;
  constexpr double kCent = 0.005;
  double rest = GetMontantNonVentile();
  double low = std::min(0.0, double(montant)), high = std::max(0.0, double(montant));
  return rest < low - kCent || rest > high + kCent;
}

int Operation::sCompare(double a, double b) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}

void Operation::SwapFields() {
  date = VYXSwapped(date);
  montant = VYXSwapped(montant);
  tva = VYXSwapped(tva);
  montantTva = VYXSwapped(montantTva);
  sousOpsNbr = VYXSwapped(sousOpsNbr);
  montantSousOp = VYXSwapped(montantSousOp);
  mode = VYXSwapped(mode);
  categorie = VYXSwapped(categorie);
  mois = VYXSwapped(mois);
  datePointe = VYXSwapped(datePointe);
  titre = VYXSwapped(titre);
  quantity = VYXSwapped(quantity);
  virementId = VYXSwapped(virementId);
  virementKey = VYXSwapped(virementKey);
  virementTargetKey = VYXSwapped(virementTargetKey);
  note = VYXSwapped(note);
  pj = VYXSwapped(pj);
  montantTvaSousOp = VYXSwapped(montantTvaSousOp);
  tiers = VYXSwapped(tiers);
  affaire = VYXSwapped(affaire);
  montantOrigine = VYXSwapped(montantOrigine);
  facture = VYXSwapped(facture);
  affectation = VYXSwapped(affectation);
  automatique = VYXSwapped(automatique);
  pourcentagePerso = VYXSwapped(pourcentagePerso);
}

void Operation::ByteSwap() {
  header.ByteSwap();
  SwapFields();
}

void Operation::Encode(const CPDataEncoding& e) {
  header.Encode(e);
  date = CPEncodeDate(date, e);
  datePointe = CPEncodeDate(datePointe, e);
  VYXEncodeText(libelle, e);
  VYXEncodeText(noCheque, e);
  VYXEncodeText(releve, e);
  VYXEncodeText(noPiece, e);
  deviseOrigine = CPCodeToStored(deviseOrigine);
  if (CPNeedByteSwapping(e)) SwapFields();
}

void Operation::Decode(const CPDataEncoding& e) {
  header.Decode(e);
  if (CPNeedByteSwapping(e)) SwapFields();
  deviseOrigine = CPCodeFromStored(deviseOrigine);
  date = CPDecodeDate(date, e);
  datePointe = CPDecodeDate(datePointe, e);
  VYXDecodeText(libelle, e);
  VYXDecodeText(noCheque, e);
  VYXDecodeText(releve, e);
  VYXDecodeText(noPiece, e);
}
