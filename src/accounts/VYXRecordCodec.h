// Helpers that the records of this folder share to convert their fields
// between the host form and a file's CPDataEncoding. Internal to accounts.
#ifndef VYX_ACCOUNTS_VYXRECORDCODEC_H_
#define VYX_ACCOUNTS_VYXRECORDCODEC_H_

#include <cstddef>

#include "foundation/CPDataEncoding.h"

// The value with its bytes reversed. Takes and returns copies, so that it can
// be used on packed fields: `f = VYXSwapped(f);`.
template <typename T>
inline T VYXSwapped(T v) {
  CPSwapField(v);
  return v;
}

// A length-prefixed field of N bytes (capacity N - 1) to the file's character set.
template <size_t N>
inline void VYXEncodeText(unsigned char (&s)[N], const CPDataEncoding& e) {
  if (s[0] > N - 1) s[0] = N - 1;
  CPEncodeString(s, int(N - 1), kCPMacRoman, e.stringEncoding);
}

// Back to MacRoman. A length byte beyond the field's capacity (a damaged
// record) is cut to the capacity first, so no reader runs past the field.
template <size_t N>
inline void VYXDecodeText(unsigned char (&s)[N], const CPDataEncoding& e) {
  if (s[0] > N - 1) s[0] = N - 1;
  CPDecodeString(s, int(N - 1), e);
}

#endif  // VYX_ACCOUNTS_VYXRECORDCODEC_H_
