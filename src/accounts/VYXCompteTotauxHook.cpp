#include "accounts/VYXCompteTotauxHook.h"

#include "accounts/VYXCompte.h"

namespace {
VYXCompteTotauxMaker gMaker = nullptr;
VYXCompteTotauxCountMaker gCountMaker = nullptr;
}  // namespace

void VYXSetCompteTotauxMaker(VYXCompteTotauxMaker maker, VYXCompteTotauxCountMaker count) {
  gMaker = maker;
  gCountMaker = maker ? count : nullptr;
}

VYXCompteTotauxMaker VYXGetCompteTotauxMaker() { return gMaker; }

std::unique_ptr<VYXCompteTotauxCount> VYXMakeCompteTotauxCount() {
  return gCountMaker ? gCountMaker() : nullptr;
}

void VYXCompte::InitTotaux() {
  totaux_.reset();
  std::unique_ptr<VYXCompteTotauxCount> count = std::move(scanCount_);
  if (gMaker) totaux_ = gMaker(*this);
  if (totaux_ && count) totaux_->TakeCount(std::move(count));
}
