// The saved selections of the user file ('SEL ' set): the masks of the filter
// dialog (their own layout and meaning are analysis/VYXSelectionMask.h's).
// What the user file knows of them is where they name items of the shared
// lists, so that renaming, merging and deleting an item carries to them:
// a stored mask is a 540-byte image whose six list slots hold the number of
// IDs of each list, then those IDs (16-bit, in the slots' order), then what
// vyx adds (docs/user-file.md). Every part is in the record's encoding.
#ifndef VYX_USERFILE_VYXUSERSELECTIONS_H_
#define VYX_USERFILE_VYXUSERSELECTIONS_H_

#include <array>
#include <cstddef>
#include <vector>

#include "foundation/CPDataEncoding.h"
#include "userfile/VYXUserPreferences.h"

constexpr size_t kVYXMaskImageSize = 540;
constexpr int kVYXMaskListCount = 6;

// The list slots of the image, in the order their IDs follow it.
struct VYXMaskListSlot {
  size_t offset;
  VYXSharedList list;
};
extern const VYXMaskListSlot kVYXMaskListSlots[kVYXMaskListCount];

using VYXMaskLists = std::array<std::vector<CPResID>, kVYXMaskListCount>;

// The lists of a stored mask; false when the record is too short to hold
// them. `end` receives where they end (what vyx adds starts there).
bool VYXReadMaskLists(const unsigned char* body, size_t size, const CPDataEncoding& e,
                      VYXMaskLists* lists, size_t* end);
// Writes the counts into the slots of the image `out` begins with, and
// appends the IDs.
void VYXWriteMaskLists(std::vector<unsigned char>& out, const CPDataEncoding& e,
                       const VYXMaskLists& lists);

#endif  // VYX_USERFILE_VYXUSERSELECTIONS_H_
