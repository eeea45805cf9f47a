// TEMPORARY LOCAL STAND-IN - NOT TO COMMIT
#ifndef VYX_USERFILE_VYXNUMEROVARIABLES_H_
#define VYX_USERFILE_VYXNUMEROVARIABLES_H_
#include "platform/CPMacTypes.h"
void VYXFormatNumero(ConstStringPtr format, int32_t number, CPDate date, StringPtr out);
#endif
