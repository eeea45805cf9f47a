#include "foundation/CPStrings.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/CPStringTable.h"

void CPStrConcat(StringPtr dst, ConstStringPtr src) {
  int room = 255 - dst[0];
  int n = std::min<int>(src[0], room);
  std::memmove(dst + 1 + dst[0], src + 1, n);
  dst[0] = static_cast<unsigned char>(dst[0] + n);
}

void CPStrInsert(StringPtr dst, int pos, ConstStringPtr src) {
  pos = std::clamp(pos, 1, dst[0] + 1);
  int n = std::min<int>(src[0], 255 - dst[0]);
  if (n <= 0) return;
  Str255 copy;
  CPStrCopyP(copy, src);  // src may be dst itself
  std::memmove(dst + pos + n, dst + pos, dst[0] - pos + 1);
  std::memcpy(dst + pos, copy + 1, n);
  dst[0] = static_cast<unsigned char>(dst[0] + n);
}

void CPStrInsertVar(StringPtr str, int n, ConstStringPtr value) {
  for (int i = 1; i < str[0]; ++i) {
    if (str[i] == '^' && str[i + 1] == '0' + n) {
      Str255 copy;
      CPStrCopyP(copy, value);
      std::memmove(str + i, str + i + 2, str[0] - i - 1);
      str[0] = static_cast<unsigned char>(str[0] - 2);
      CPStrInsert(str, i, copy);
      return;
    }
  }
}

void CPStrDeleteAll(StringPtr str, unsigned char ch) {
  int w = 1;
  for (int r = 1; r <= str[0]; ++r)
    if (str[r] != ch) str[w++] = str[r];
  str[0] = static_cast<unsigned char>(w - 1);
}

void CPStrRemoveSpaces(StringPtr str) {
  int len = str[0], start = 1;
  while (len > 0 && str[len] == ' ') --len;
  while (start <= len && str[start] == ' ') ++start;
  int n = len - start + 1;
  std::memmove(str + 1, str + start, std::max(n, 0));
  str[0] = static_cast<unsigned char>(std::max(n, 0));
}

int CPStrPos(ConstStringPtr str, unsigned char ch, bool fromEnd) {
  if (fromEnd) {
    for (int i = str[0]; i >= 1; --i)
      if (str[i] == ch) return i;
  } else {
    for (int i = 1; i <= str[0]; ++i)
      if (str[i] == ch) return i;
  }
  return 0;
}

void CPStrCopy(ConstStringPtr str, int start, StringPtr out) {
  CPStrCopy(str, start, out, 255);
}

void CPStrCopy(ConstStringPtr str, int start, StringPtr out, int count) {
  if (start < 1) start = 1;
  int n = std::clamp(str[0] - start + 1, 0, std::max(count, 0));
  std::memmove(out + 1, str + start, n);
  out[0] = static_cast<unsigned char>(n);
}

bool CPCharInSet(unsigned char ch, const unsigned char* set, int n) {
  return std::find(set, set + n, ch) != set + n;
}

void CPStrCtoP(char* str) {
  size_t n = std::min<size_t>(std::strlen(str), 255);
  std::memmove(str + 1, str, n);
  str[0] = static_cast<char>(n);
}

void TruncPString(StringPtr dst, ConstStringPtr src, int max) {
  int n = std::clamp<int>(src[0], 0, std::max(max, 0));
  std::memmove(dst + 1, src + 1, n);
  dst[0] = static_cast<unsigned char>(n);
}

void StdToP(std::string_view s, StringPtr out, int max) {
  size_t n = std::min<size_t>(s.size(), static_cast<size_t>(std::clamp(max, 0, 255)));
  std::memmove(out + 1, s.data(), n);
  out[0] = static_cast<unsigned char>(n);
}

CPString::CPString(unsigned char ch) {
  text_[0] = 1;
  text_[1] = ch;
}

CPString::CPString(ConstStringPtr p) { CPStrCopyP(text_, p); }

CPString::CPString(ConstStringPtr p, int16_t maxLength) : max_(maxLength) {
  CPStrCopyP(text_, p);
  Cut();
}

CPString::CPString(const CPString& other, int start, int count) {
  CPStrCopy(other.text_, start, text_, count);
}

CPString::CPString(const CPString& a, const CPString& b) : max_(a.max_) {
  CPStrCopyP(text_, a.text_);
  CPStrConcat(text_, b.text_);
  Cut();
}

CPString::CPString(const char* cstr, int16_t maxLength) : max_(maxLength) {
  StdToP(cstr ? cstr : "", text_);
  Cut();
}

CPString CPString::FromType(OSType code) {
  CPString s;
  s.max_ = 4;
  s.text_[0] = 4;
  for (int i = 0; i < 4; ++i) s.text_[1 + i] = static_cast<unsigned char>(code >> (24 - 8 * i));
  return s;
}

CPString CPString::FromResource(int listID, int index) {
  return FromStd(CPGetListString(listID, index));
}

CPString CPString::FromStd(std::string_view bytes, int16_t maxLength) {
  CPString s;
  s.max_ = maxLength;
  StdToP(bytes, s.text_);
  s.Cut();
  return s;
}

CPString& CPString::operator=(const CPString& other) {
  if (this != &other) {
    CPStrCopyP(text_, other.text_);
    Cut();
  }
  return *this;
}

CPString& CPString::operator=(ConstStringPtr p) {
  CPStrCopyP(text_, p);
  Cut();
  return *this;
}

CPString& CPString::operator=(const char* cstr) {
  StdToP(cstr ? cstr : "", text_);
  Cut();
  return *this;
}

CPString& CPString::operator+=(const CPString& other) {
  CPStrConcat(text_, other.text_);
  Cut();
  return *this;
}

CPString& CPString::operator+=(unsigned char ch) {
  if (text_[0] < 255) text_[++text_[0]] = ch;
  Cut();
  return *this;
}

void CPString::SetMaxLength(int16_t max) {
  max_ = max;
  Cut();
}

void CPString::Cut() {
  int max = std::clamp<int>(max_, 0, 255);
  if (text_[0] > max) text_[0] = static_cast<unsigned char>(max);
}

OSType CPString::ToType() const {
  OSType code = 0;
  for (int i = 1; i <= 4; ++i) code = (code << 8) | (i <= text_[0] ? text_[i] : ' ');
  return code;
}

int32_t CPString::ToLong() const {
  std::string s = Std();
  return static_cast<int32_t>(std::strtol(s.c_str(), nullptr, 10));
}
