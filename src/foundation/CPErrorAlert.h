// Shows a CPException to the user as an error alert: its text and its code. A
// code of 0 means the user cancelled, and nothing is shown.
#ifndef VYX_FOUNDATION_CPERRORALERT_H_
#define VYX_FOUNDATION_CPERRORALERT_H_

#include "foundation/CPException.h"

void CPAlertException(const CPException& error);

#endif  // VYX_FOUNDATION_CPERRORALERT_H_
