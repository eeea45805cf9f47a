// What the totals and the reports raise, and the texts they take
// (res/strings.fr).
#ifndef VYX_ANALYSIS_VYXANALYSISERRORS_H_
#define VYX_ANALYSIS_VYXANALYSISERRORS_H_

#include <cstdint>

enum : int16_t {
  kVYXErrTotauxVersion = 5,     // saved totals of another version (a bare code)
  kVYXErrTotauxDamaged = 3460,  // saved totals whose markers do not match
};

// Item 8 of list 351: saved totals that cannot be read.
constexpr int kVYXTotauxErrorsList = 351;
constexpr int kVYXTotauxDamagedItem = 8;

#endif  // VYX_ANALYSIS_VYXANALYSISERRORS_H_
