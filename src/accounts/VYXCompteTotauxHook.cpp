#include "accounts/VYXCompteTotauxHook.h"

#include "accounts/VYXCompte.h"

namespace {
VYXCompteTotauxMaker gMaker = nullptr;
}  // namespace

void VYXSetCompteTotauxMaker(VYXCompteTotauxMaker maker) { gMaker = maker; }

VYXCompteTotauxMaker VYXGetCompteTotauxMaker() { return gMaker; }

void VYXCompte::InitTotaux() {
  totaux_.reset();
  if (gMaker) totaux_ = gMaker(*this);
}

void VYXCompte::RefreshTotaux() {
  if (totaux_) totaux_->Refresh();
}
