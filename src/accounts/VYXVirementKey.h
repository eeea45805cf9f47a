// The key that ties the two halves of a transfer: the source carries it in
// virementKey, its twin in virementTargetKey.
#ifndef VYX_ACCOUNTS_VYXVIREMENTKEY_H_
#define VYX_ACCOUNTS_VYXVIREMENTKEY_H_

#include "accounts/VYXRecordTypes.h"

// A new key: a tick count x 100 + a process-wide counter (0 to 99) that moves
// on at each key, so that two keys made within one tick still differ in
// their last two digits. The ticks run from 1904 rather than from the start
// of the process: vyx's commands are short processes, and keys counted from
// each one's start would meet again from one command to the next. Never 0.
VirementKey GetNewVirementKey();

#endif  // VYX_ACCOUNTS_VYXVIREMENTKEY_H_
