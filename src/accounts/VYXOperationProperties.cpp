#include "accounts/VYXOperationProperties.h"

namespace {

using T = VYXPropertyType;

// Items shown by name are names of up to 255 characters whatever the field holds.
constexpr VYXOperationProperty kProperties[kVYXOperationPropertyCount] = {
    {1, 'date', T::kDate, 0, false},
    {2, 'datP', T::kDate, 0, false},
    {3, 'libl', T::kString, 99, false},
    {4, 'piec', T::kString, 12, false},
    {5, 'cate', T::kString, 255, true},
    {6, 'affe', T::kString, 255, true},
    {7, 'tier', T::kString, 255, true},
    {8, 'affa', T::kString, 255, true},
    {9, 'mois', T::kString, 255, true},
    {10, 'mode', T::kString, 255, true},
    {11, 'no  ', T::kString, 7, false},
    {12, 'stat', T::kString, 255, true},
    {13, 'taux', T::kString, 255, true},
    {14, 'tva ', T::kNumber, 0, false},
    {15, 'mont', T::kNumber, 0, false},
    {16, 'mntO', T::kNumber, 0, false},
    {17, 'devO', T::kCode, 0, false},
    {18, 'fict', T::kBoolean, 0, false},
    {19, 'rele', T::kString, 5, false},
    {20, 'tit?', T::kBoolean, 0, false},
    {21, 'titr', T::kString, 255, true},
    {22, 'qty ', T::kNumber, 0, false},
    {23, 'poss', T::kShort, 0, false},
};

}  // namespace

std::span<const VYXOperationProperty> VYXOperationProperties() { return kProperties; }

const VYXOperationProperty* VYXFindOperationProperty(OSType code) {
  for (const auto& p : kProperties) {
    if (p.code == code) return &p;
  }
  return nullptr;
}

const VYXOperationProperty* VYXGetOperationProperty(int number) {
  if (number < 1 || number > kVYXOperationPropertyCount) return nullptr;
  return &kProperties[number - 1];
}
