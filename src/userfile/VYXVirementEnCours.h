// One entry of the dossier's journal of transfers in progress ("VREC", 16
// bytes): a change of a transfer that touches two accounts, written before
// the first of them and removed after the last (VYXVirementChange.h). The
// accounts are named by their IDs in the dossier's list; an entry of an
// account no longer listed has nothing left to finish.
#ifndef VYX_USERFILE_VYXVIREMENTENCOURS_H_
#define VYX_USERFILE_VYXVIREMENTENCOURS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"
#include "resources/CPResourceSet_T.h"

constexpr ResType kVYXVirementsEnCoursType = 'VREC';
constexpr uint16_t kVYXVirementEnCoursVersion = 1;

#pragma pack(push, 1)

struct VYXVirementEnCours {
  uint16_t version = kVYXVirementEnCoursVersion;
  uint8_t kind = 'S';     // 'S': the twin follows its source; 'D': both halves go
  Boolean invert = 1;     // the twin's amounts are the source's, sign changed
  CPResID source = 0;     // the source's account in the dossier's list
  CPResID target = 0;     // the twin's account
  VirementKey key = 0;
  uint32_t reserved = 0;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXVirementEnCours) == 16);
static_assert(std::is_trivially_copyable_v<VYXVirementEnCours>);
static_assert(offsetof(VYXVirementEnCours, source) == 4);
static_assert(offsetof(VYXVirementEnCours, key) == 8);

class VYXUserVirementsSet : public CPResourceSet_T<VYXVirementEnCours> {
 public:
  explicit VYXUserVirementsSet(CPResourceStorage& storage)
      : CPResourceSet_T(storage, kVYXVirementsEnCoursType) {}
};

#endif  // VYX_USERFILE_VYXVIREMENTENCOURS_H_
