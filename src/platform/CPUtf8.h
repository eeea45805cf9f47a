// UTF-8 checks for the platform stand-ins, which keep texts in UTF-8 where the
// outside world does (files, HTTP) but cannot use the conversions of the layers
// above.
#ifndef VYX_PLATFORM_CPUTF8_H_
#define VYX_PLATFORM_CPUTF8_H_

#include <string_view>

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool CPIsValidUtf8(std::string_view text);

#endif  // VYX_PLATFORM_CPUTF8_H_
