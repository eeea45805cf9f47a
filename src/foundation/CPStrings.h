// Length-prefixed MacRoman strings: the free functions that every record and list
// uses on them, and CPString, a string with a maximum length that every change
// respects. Nothing here fails: texts are cut at 255 bytes or at the maximum.
#ifndef VYX_FOUNDATION_CPSTRINGS_H_
#define VYX_FOUNDATION_CPSTRINGS_H_

#include <cstring>
#include <string>
#include <string_view>

#include "platform/CPMacTypes.h"

// Positions are 1-based; 0 means "not found".
void CPStrConcat(StringPtr dst, ConstStringPtr src);
void CPStrInsert(StringPtr dst, int pos, ConstStringPtr src);
void CPStrInsertVar(StringPtr str, int n, ConstStringPtr value);
void CPStrDeleteAll(StringPtr str, unsigned char ch);
void CPStrRemoveSpaces(StringPtr str);
int CPStrPos(ConstStringPtr str, unsigned char ch, bool fromEnd = false);
void CPStrCopy(ConstStringPtr str, int start, StringPtr out);
void CPStrCopy(ConstStringPtr str, int start, StringPtr out, int count);
bool CPCharInSet(unsigned char ch, const unsigned char* set, int n);
void CPStrCtoP(char* str);
// Copies `src` cut to `max` bytes (MacRoman has no two-byte characters, so the
// cut never splits one).
void TruncPString(StringPtr dst, ConstStringPtr src, int max);

// Conversions with std::string (the bytes, unchanged).
inline std::string PToStd(ConstStringPtr p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }
// Copies `s` into a length-prefixed buffer of capacity `max` bytes, cut to fit.
void StdToP(std::string_view s, StringPtr out, int max = 255);
inline void CPStrCopyP(StringPtr dst, ConstStringPtr src) { std::memmove(dst, src, src[0] + 1u); }
inline bool CPStrEqual(ConstStringPtr a, ConstStringPtr b) {
  return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

class CPString {
 public:
  CPString() { text_[0] = 0; }
  explicit CPString(unsigned char ch);
  CPString(ConstStringPtr p);  // NOLINT: a length-prefixed string is a CPString
  CPString(ConstStringPtr p, int16_t maxLength);
  CPString(const CPString& other, int start, int count);
  CPString(const CPString& a, const CPString& b);
  explicit CPString(const char* cstr, int16_t maxLength = 255);
  // The four characters of a code in text order; length and maximum 4.
  static CPString FromType(OSType code);
  // Entry `index` of string list `listID`.
  static CPString FromResource(int listID, int index);
  // From bytes (MacRoman), cut to the maximum.
  static CPString FromStd(std::string_view bytes, int16_t maxLength = 255);

  CPString(const CPString& other) = default;
  CPString& operator=(const CPString& other);
  CPString& operator=(ConstStringPtr p);
  CPString& operator=(const char* cstr);
  CPString& operator+=(const CPString& other);
  CPString& operator+=(unsigned char ch);
  friend CPString operator+(const CPString& a, const CPString& b) { return CPString(a, b); }

  int Length() const { return text_[0]; }
  bool IsEmpty() const { return text_[0] == 0; }
  int16_t MaxLength() const { return max_; }
  void SetMaxLength(int16_t max);
  unsigned char operator[](int pos) const { return text_[pos]; }  // 1-based

  ConstStringPtr P() const { return text_; }
  operator ConstStringPtr() const { return text_; }  // NOLINT
  StringPtr Buffer() { return text_; }  // the caller keeps length <= maximum
  std::string Std() const { return PToStd(text_); }
  // First four characters as a code, padded with spaces.
  OSType ToType() const;
  // Decimal text to a signed 32-bit integer (leading spaces and sign allowed).
  int32_t ToLong() const;

  bool operator==(const CPString& o) const { return CPStrEqual(text_, o.text_); }
  bool operator!=(const CPString& o) const { return !(*this == o); }

 private:
  void Cut();

  Str255 text_;
  int16_t max_ = 255;
};

inline CPString CPDataTypeString(OSType code) { return CPString::FromType(code); }

#endif  // VYX_FOUNDATION_CPSTRINGS_H_
