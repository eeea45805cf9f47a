#include "userfile/VYXUserSelections.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"

const VYXMaskListSlot kVYXMaskListSlots[kVYXMaskListCount] = {
    {352, VYXSharedList::kMode},        {374, VYXSharedList::kCategorie},
    {378, VYXSharedList::kAffectation}, {394, VYXSharedList::kTauxTVA},
    {532, VYXSharedList::kTiers},       {536, VYXSharedList::kAffaire},
};

namespace {

template <typename T>
T Load(const unsigned char* p, const CPDataEncoding& e) {
  T v;
  std::memcpy(&v, p, sizeof v);
  if (CPNeedByteSwapping(e)) CPSwapField(v);
  return v;
}

template <typename T>
void Store(unsigned char* p, T v, const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) CPSwapField(v);
  std::memcpy(p, &v, sizeof v);
}

}  // namespace

bool VYXReadMaskLists(const unsigned char* body, size_t size, const CPDataEncoding& e,
                      VYXMaskLists* lists, size_t* end) {
  if (size < kVYXMaskImageSize) return false;
  size_t at = kVYXMaskImageSize;
  for (int i = 0; i < kVYXMaskListCount; ++i) {
    auto count = Load<uint32_t>(body + kVYXMaskListSlots[i].offset, e);
    if (count > (size - at) / 2) return false;
    (*lists)[i].clear();
    for (uint32_t k = 0; k < count; ++k, at += 2)
      (*lists)[i].push_back(Load<int16_t>(body + at, e));
  }
  *end = at;
  return true;
}

void VYXWriteMaskLists(std::vector<unsigned char>& out, const CPDataEncoding& e,
                       const VYXMaskLists& lists) {
  if (out.size() < kVYXMaskImageSize) out.resize(kVYXMaskImageSize);
  for (int i = 0; i < kVYXMaskListCount; ++i) {
    Store(out.data() + kVYXMaskListSlots[i].offset, uint32_t(lists[i].size()), e);
    for (CPResID id : lists[i]) {
      unsigned char bytes[2];
      Store(bytes, id, e);
      out.insert(out.end(), bytes, bytes + 2);
    }
  }
}

// Saved selections name shared items by the user file's IDs: a merge moves
// them to the item kept (named once), a deletion takes them out.
void VYXUserPreferences::ChangeSavedSelections(VYXSharedList list, CPResID oldID, CPResID newID) {
  if (oldID == 0 || oldID == newID) return;
  VYXUserOpSelectionsSet& selections = GetSelections();
  for (CPResID id : CPResourceIDsInOrder(selections)) {
    std::vector<unsigned char> body(selections.GetResourceSize(id));
    CPDataEncoding e;
    body.resize(selections.GetResource(id, &e, body.data(), uint32_t(body.size())));
    VYXMaskLists lists;
    size_t end = 0;
    if (!VYXReadMaskLists(body.data(), body.size(), e, &lists, &end)) continue;
    bool changed = false;
    for (int i = 0; i < kVYXMaskListCount; ++i) {
      if (kVYXMaskListSlots[i].list != list) continue;
      std::vector<CPResID>& ids = lists[i];
      auto at = std::find(ids.begin(), ids.end(), oldID);
      if (at == ids.end()) continue;
      changed = true;
      bool hasNew = std::find(ids.begin(), ids.end(), newID) != ids.end();
      if (newID == 0 || hasNew) {
        ids.erase(at);
      } else {
        *at = newID;
      }
    }
    if (!changed) continue;
    std::vector<unsigned char> rest(body.begin() + long(end), body.end());
    body.resize(kVYXMaskImageSize);
    VYXWriteMaskLists(body, e, lists);
    body.insert(body.end(), rest.begin(), rest.end());
    selections.SetResource(id, e, body.data(), uint32_t(body.size()));
  }
}
