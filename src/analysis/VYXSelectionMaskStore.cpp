// The stored form of a mask, and the masks saved in the user file.
#include <cstring>

#include "analysis/VYXSelectionMask.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserSelections.h"

namespace {

// vyx's flags, in the 16-bit word after the lists.
constexpr uint16_t kFlagLibelleExact = 1;

class Image {
 public:
  Image(unsigned char* bytes, const CPDataEncoding& e) : p_(bytes), e_(e) {}

  template <typename T>
  void Put(size_t at, T v) {
    if (CPNeedByteSwapping(e_)) CPSwapField(v);
    std::memcpy(p_ + at, &v, sizeof v);
  }
  template <typename T>
  T Get(size_t at) const {
    T v;
    std::memcpy(&v, p_ + at, sizeof v);
    if (CPNeedByteSwapping(e_)) CPSwapField(v);
    return v;
  }
  void PutText(size_t at, ConstStringPtr text, int capacity) {
    Str255 s;
    TruncPString(s, text, capacity);
    CPEncodeString(s, capacity, kCPMacRoman, e_.stringEncoding);
    std::memcpy(p_ + at, s, s[0] + 1u);
  }
  void GetText(size_t at, StringPtr text, int capacity) const {
    text[0] = uint8_t(std::min<int>(p_[at], capacity));
    std::memcpy(text + 1, p_ + at + 1, text[0]);
    CPDecodeString(text, capacity, e_);
  }
  void PutBools(size_t at, const bool* flags, int n) {
    for (int i = 0; i < n; ++i) p_[at + size_t(i)] = flags[i] ? 1 : 0;
  }
  void GetBools(size_t at, bool* flags, int n) const {
    for (int i = 0; i < n; ++i) flags[i] = p_[at + size_t(i)] != 0;
  }

 private:
  unsigned char* p_;
  const CPDataEncoding& e_;
};

VYXMaskLists ListsOf(const VYXSelectionMask& m) {
  return {m.modes, m.categories, m.affectations, m.tauxTVA, m.tiers, m.affaires};
}

}  // namespace

std::vector<unsigned char> VYXEncodeSelectionMask(const VYXSelectionMask& m,
                                                  const CPDataEncoding& e) {
  std::vector<unsigned char> out(kVYXMaskImageSize, 0);
  Image image(out.data(), e);
  image.Put<int16_t>(0, m.version);
  out[2] = m.libelleListOp;
  image.PutText(3, m.libelle, 255);
  image.Put<int16_t>(260, m.montantKind);
  image.Put<int16_t>(262, m.montantSign);
  image.Put<double>(264, m.montant1);
  image.Put<double>(272, m.montant2);
  image.Put<int16_t>(280, m.dateKind);
  image.PutText(282, m.date1, 32);
  image.PutText(315, m.date2, 32);
  image.PutBools(348, m.status, 3);
  image.Put<int16_t>(356, m.chequeKind);
  image.PutText(358, m.cheque1, 7);
  image.PutText(366, m.cheque2, 7);
  image.PutBools(382, m.months, 12);
  image.Put<int16_t>(398, m.tvaKind);
  image.Put<int16_t>(400, m.tvaSign);
  image.Put<double>(402, m.tva1);
  image.Put<double>(410, m.tva2);
  image.Put<int16_t>(418, m.datePointeKind);
  image.PutText(420, m.datePointe1, 32);
  image.PutText(453, m.datePointe2, 32);
  image.Put<int16_t>(486, m.releveKind);
  image.PutText(488, m.releve1, 5);
  image.PutText(494, m.releve2, 5);
  image.Put<int16_t>(500, m.setting);
  out[502] = m.sousOperations ? 1 : 0;
  image.Put<int16_t>(504, m.pieceKind);
  image.PutText(506, m.piece1, 12);
  image.PutText(519, m.piece2, 12);
  VYXWriteMaskLists(out, e, ListsOf(m));
  unsigned char flags[2];
  Image(flags, e).Put<uint16_t>(0, m.libelleExact ? kFlagLibelleExact : 0);
  out.insert(out.end(), flags, flags + 2);
  return out;
}

bool VYXDecodeSelectionMask(const unsigned char* body, size_t size, const CPDataEncoding& e,
                            VYXSelectionMask* mask) {
  VYXMaskLists lists;
  size_t end = 0;
  if (!VYXReadMaskLists(body, size, e, &lists, &end)) return false;
  std::vector<unsigned char> bytes(body, body + size);
  Image image(bytes.data(), e);
  VYXSelectionMask m;
  m.version = image.Get<int16_t>(0);
  m.libelleListOp = bytes[2];
  image.GetText(3, m.libelle, 255);
  m.montantKind = image.Get<int16_t>(260);
  m.montantSign = image.Get<int16_t>(262);
  m.montant1 = image.Get<double>(264);
  m.montant2 = image.Get<double>(272);
  m.dateKind = image.Get<int16_t>(280);
  image.GetText(282, m.date1, 32);
  image.GetText(315, m.date2, 32);
  image.GetBools(348, m.status, 3);
  m.chequeKind = image.Get<int16_t>(356);
  image.GetText(358, m.cheque1, 7);
  image.GetText(366, m.cheque2, 7);
  image.GetBools(382, m.months, 12);
  m.tvaKind = image.Get<int16_t>(398);
  m.tvaSign = image.Get<int16_t>(400);
  m.tva1 = image.Get<double>(402);
  m.tva2 = image.Get<double>(410);
  m.datePointeKind = image.Get<int16_t>(418);
  image.GetText(420, m.datePointe1, 32);
  image.GetText(453, m.datePointe2, 32);
  m.releveKind = image.Get<int16_t>(486);
  image.GetText(488, m.releve1, 5);
  image.GetText(494, m.releve2, 5);
  m.setting = image.Get<int16_t>(500);
  m.sousOperations = bytes[502] != 0;
  m.pieceKind = image.Get<int16_t>(504);
  image.GetText(506, m.piece1, 12);
  image.GetText(519, m.piece2, 12);
  m.modes = lists[0];
  m.categories = lists[1];
  m.affectations = lists[2];
  m.tauxTVA = lists[3];
  m.tiers = lists[4];
  m.affaires = lists[5];
  if (size >= end + 2) {
    m.libelleExact = (Image(bytes.data() + end, e).Get<uint16_t>(0) & kFlagLibelleExact) != 0;
  }
  *mask = m;
  return true;
}

// ---- saved masks

bool VYXReadSavedMask(VYXUserPreferences& user, ConstStringPtr name, VYXSelectionMask* mask,
                      CPResID* id) {
  VYXUserOpSelectionsSet& set = user.GetSelections();
  try {
    if (!set.ResourceExists(name)) return false;
    CPResID found = set.GetResourceID(name);
    std::vector<unsigned char> body(set.GetResourceSize(found));
    CPDataEncoding e;
    body.resize(set.GetResource(found, &e, body.data(), uint32_t(body.size())));
    if (!VYXDecodeSelectionMask(body.data(), body.size(), e, mask)) return false;
    if (id) *id = found;
    return true;
  } catch (const CPException&) {
    return false;
  }
}

CPResID VYXAddSavedMask(VYXUserPreferences& user, ConstStringPtr name,
                        const VYXSelectionMask& mask) {
  VYXUserPreferences::Exclusive hold(user);
  VYXUserOpSelectionsSet& set = user.GetSelections();
  if (set.ResourceExists(name)) CPThrow(kCPErrAlreadyExists);
  std::vector<unsigned char> body = VYXEncodeSelectionMask(mask, CPHostEncoding);
  CPResID id = set.GetUniqueID();
  set.AddResource(id, CPHostEncoding, name, body.data(), uint32_t(body.size()));
  return id;
}

void VYXWriteSavedMask(VYXUserPreferences& user, CPResID id, const VYXSelectionMask& mask) {
  std::vector<unsigned char> body = VYXEncodeSelectionMask(mask, CPHostEncoding);
  user.GetSelections().SetResource(id, CPHostEncoding, body.data(), uint32_t(body.size()));
}
