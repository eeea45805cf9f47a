#include "accounts/CPCryptString.h"

namespace {

// The value added to the byte at 1-based position i; 37 is odd, so the 255
// positions of a string get 255 different values.
unsigned char KeyAt(int i) { return static_cast<unsigned char>(0x5D + 37 * i); }

}  // namespace

bool CPCryptString(StringPtr str, uint8_t version) {
  if (version == 0) return true;
  if (version != 1) return false;
  for (int i = 1; i <= str[0]; ++i) str[i] = static_cast<unsigned char>(str[i] + KeyAt(i));
  return true;
}

bool CPDecryptString(StringPtr str, uint8_t version) {
  if (version == 0) return true;
  if (version != 1) return false;
  for (int i = 1; i <= str[0]; ++i) str[i] = static_cast<unsigned char>(str[i] - KeyAt(i));
  return true;
}
