#include "foundation/CPFormattedStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kLF = 10;
constexpr unsigned char kCR = 13;
constexpr unsigned char kQuote = '"';

}  // namespace

void CPFormattedStream::WriteFixWidthField(ConstStringPtr text, bool lastOfRecord, int width,
                                           bool padAfter, unsigned char padChar) {
  width = std::clamp(width, 0, 255);
  Str255 field;
  int n = std::min<int>(text[0], width);
  int pad = width - n;
  unsigned char* chars = field + 1;
  if (padAfter) {
    std::memcpy(chars, text + 1, n);
    std::memset(chars + n, padChar, pad);
  } else {
    std::memset(chars, padChar, pad);
    std::memcpy(chars + pad, text + 1, n);
  }
  field[0] = static_cast<unsigned char>(width);
  WriteField(field, lastOfRecord);
}

// ---- CPTabCrStream

// "Exhausted" is judged on the marker rather than on the reader's flag: a last
// field that the end of the stream cut (no final line end) ends its record and
// the data, and must not be followed by a phantom empty field.
CPTabCrStream::Field CPTabCrStream::SkipField() {
  Str255 scratch;
  Field f{};
  GetStream()->ReadText(scratch, &f.terminator, &f.atEnd, format_, separator_);
  f.atEnd = f.atEnd || GetStream()->AtEnd();
  return f;
}

bool CPTabCrStream::ReadField(StringPtr text, bool* endOfRecord) {
  unsigned char terminator = 0;
  bool atEnd = false;
  GetStream()->ReadText(text, &terminator, &atEnd, format_, separator_);
  atEnd = atEnd || GetStream()->AtEnd();
  *endOfRecord = atEnd || terminator == kCR || terminator == kLF;
  return atEnd;
}

bool CPTabCrStream::GoToField(int32_t n) {
  for (int32_t i = 1; i < n; ++i) {
    Field f = SkipField();
    if (f.terminator == kCR || f.atEnd) return false;
  }
  return true;
}

int32_t CPTabCrStream::GetNbOfFields(bool restore, bool* atEnd) {
  uint32_t marker = GetMarker();
  int32_t count = 0;
  Field f;
  do {
    f = SkipField();
    ++count;
  } while (f.terminator == separator_ && !f.atEnd);
  *atEnd = f.atEnd;
  if (restore) SetMarker(static_cast<int32_t>(marker), kCPFromStart);
  return count;
}

bool CPTabCrStream::GoToRecord(int32_t n) {
  SetMarker(0, kCPFromStart);
  for (int32_t record = 1; record < n; ++record) {
    Field f;
    do {
      f = SkipField();
      if (f.terminator == separator_ && f.atEnd) return false;
    } while (f.terminator == separator_);
    if (f.terminator != kCR || f.atEnd) return false;
  }
  return true;
}

int32_t CPTabCrStream::GetNbOfRecords(bool restore) {
  uint32_t marker = GetMarker();
  SetMarker(0, kCPFromStart);
  int32_t count = 0;
  for (;;) {
    Field f;
    // Every field that ends with the separator consumed it, so this ends.
    do {
      f = SkipField();
    } while (f.terminator == separator_);
    ++count;
    if (f.terminator != kCR || f.atEnd) break;
  }
  if (restore) SetMarker(static_cast<int32_t>(marker), kCPFromStart);
  return count;
}

void CPTabCrStream::WriteEndOfRecord() {
  WriteChar(kCR);
  if (!crOnly_) WriteChar(kLF);
}

void CPTabCrStream::WriteField(ConstStringPtr text, bool lastOfRecord) {
  WriteData(text + 1, long(text[0]));
  if (lastOfRecord) {
    WriteEndOfRecord();
  } else {
    WriteChar(separator_);
  }
}

// ---- CPCSVStream

namespace {

// A separator of 0 reads as ";" (CPStream::ReadText); keeping the byte it
// stands for lets the field counts compare with what the reader really met.
unsigned char EffectiveSeparator(unsigned char separator) { return separator ? separator : ';'; }

}  // namespace

CPCSVStream::CPCSVStream(CPStream* stream, unsigned char separator, bool quoteOnExport)
    : CPTabCrStream(stream, kCPQuotedFormat, EffectiveSeparator(separator), false),
      quoteOnExport_(quoteOnExport) {}

void CPCSVStream::SetSepChar(unsigned char separator) {
  SetSeparator(EffectiveSeparator(separator));
}

void CPCSVStream::WriteField(ConstStringPtr text, bool lastOfRecord) {
  const unsigned char* begin = text + 1;
  const unsigned char* end = begin + text[0];
  // A field holding the separator, a line end or a quote would not read back as
  // one field unless quoted, whatever the export setting; inside quotes, a quote
  // is doubled so that the reader gives it back.
  bool quote = quoteOnExport_ || std::any_of(begin, end, [this](unsigned char b) {
                 return b == Separator() || b == kCR || b == kLF || b == kQuote;
               });
  if (quote) {
    WriteChar(kQuote);
    for (const unsigned char* p = begin; p != end;) {
      const unsigned char* q = std::find(p, end, kQuote);
      WriteData(p, long(q - p));
      if (q == end) break;
      WriteData("\"\"", 2L);
      p = q + 1;
    }
    WriteChar(kQuote);
  } else {
    WriteData(begin, long(end - begin));
  }
  if (lastOfRecord) {
    WriteEndOfRecord();
  } else {
    WriteChar(Separator());
  }
}
