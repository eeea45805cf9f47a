// What an account offers its user when it opens (VYXCompte::HandleOpenEvents):
// automatic operations to create, in advance (planned) or because they are
// due (committed), operations created in advance whose date has come, and
// transfer events received while it was closed ("VRMT").
#ifndef VYX_ACCOUNTS_VYXOPENEVENTS_H_
#define VYX_ACCOUNTS_VYXOPENEVENTS_H_

#include <string>
#include <vector>

#include "accounts/VYXRecordTypes.h"

struct VYXOpenEvent {
  enum Kind : uint8_t {
    kCreateBefore = 0,  // an automatic operation to create in advance, planned
    kDue = 1,           // an automatic operation that is due, committed
    kConfirm = 2,       // an operation created in advance whose date has come
    kVirementCreate = 3,  // transfer events, by the first letter of their name:
    kVirementModify = 4,  //   A, M, C and D
    kVirementConvert = 5,
    kVirementDelete = 6,
  };
  Kind kind = kDue;
  CPDate date = 0;
  std::string libelle;  // MacRoman
  double montant = 0;
  // The record it comes from: the automatic operation ("AUTO"), the
  // GenerateAuto ("GNRT") or the transfer event ("VRMT").
  CPResID id = 0;
  bool accepted = true;
};

// The order of the list: by date, then by the record it comes from, then by kind.
bool sCompareOpenEventsArrayItems(const VYXOpenEvent& a, const VYXOpenEvent& b);

// A transfer event kept by an account that was closed when its twin had to
// change ("VRMT"; the resource's name starts with A, M, C or D): numbers in
// the record's byte order.
//   0  u16  version: 1
//   2  u8   1 when the twin's amounts are the source's with the sign changed
//   3  u8   0
//   4  u32  the transfer key
//   8  64   the source's account, by its name (Str63)
struct VYXVirementEvent {
  bool invert = true;
  VirementKey key = 0;
  std::string source;  // MacRoman
};
std::vector<unsigned char> VYXWriteVirementEvent(const VYXVirementEvent& event, bool swap);
bool VYXReadVirementEvent(const void* data, size_t size, bool swap, VYXVirementEvent* event);

#endif  // VYX_ACCOUNTS_VYXOPENEVENTS_H_
