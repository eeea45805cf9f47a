#include "userfile/VYXUserSets.h"

#include <vector>

void VYXFollowerSet::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void*) {
  if (from != &owner_ || category != kCPResourceMessage) return;
  if (code != kCPResRemoved && code != kCPResReloaded && code != kCPResEndLoading) return;
  std::vector<CPResID> orphans;
  int32_t count = GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = GetNthResource(n, false);
    if (!owner_.ResourceExists(id)) orphans.push_back(id);
  }
  for (CPResID id : orphans) RemoveResource(id);
}

int VYXUserCategoriesSet::KindRank(uint8_t kind) {
  switch (kind) {
    case kCategorieRecette:
      return 1;
    case kCategorieDepense:
      return 2;
    case kCategorieEpargne:
      return 3;
    case kCategorieAucune:
      return 4;
    default:
      return 0;
  }
}

int VYXUserCategoriesSet::CompareResources(ConstStringPtr name1, const Categorie& c1,
                                           ConstStringPtr name2, const Categorie& c2) {
  int r1 = KindRank(c1.type), r2 = KindRank(c2.type);
  if (r1 != r2) return r1 < r2 ? -1 : 1;
  return CPResourceSet::CompareResources(name1, nullptr, 0, name2, nullptr, 0);
}

int VYXUserTiersSet::KindRank(uint8_t kind) {
  switch (kind) {
    case kTiersClient:
      return 1;
    case kTiersFournisseur:
      return 2;
    case kTiersAssocie:
      return 3;
    case 4:
      return 4;
    case 0:
      return 5;
    default:
      return 0;
  }
}

int VYXUserTiersSet::CompareResources(ConstStringPtr name1, const UserTiers& t1,
                                      ConstStringPtr name2, const UserTiers& t2) {
  int r1 = KindRank(t1.type), r2 = KindRank(t2.type);
  if (r1 != r2) return r1 < r2 ? -1 : 1;
  return CPResourceSet::CompareResources(name1, nullptr, 0, name2, nullptr, 0);
}
