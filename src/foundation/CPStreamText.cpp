// The field reader of CPStream. Exchange files (bank exports, spreadsheets,
// statements) are read with it, so its handling of line ends, quotes and long
// fields is part of what those files mean to us and must not drift.
#include <algorithm>
#include <cstring>

#include "foundation/CPStream.h"
#include "foundation/CPTextFields.h"

namespace {

constexpr unsigned char kTab = 9;
constexpr unsigned char kLF = 10;
constexpr unsigned char kCR = 13;
constexpr unsigned char kQuote = '"';
// A field is a length-prefixed string: no more than this is ever kept, and no
// more than this is looked at before giving up on finding its end.
constexpr long kWindow = 255;

bool IsTerminator(unsigned char b, unsigned char separator) {
  return b == separator || b == kCR || b == kLF;
}

// Reads a field from the `n` bytes of `window` (no more than kWindow) into
// `field`. Answers where the field's terminator lies plus one, or 0 when the
// window holds none.
long ScanWindow(const unsigned char* window, long n, StringPtr field, CPTextFormat format,
                unsigned char separator, unsigned char* terminator) {
  auto append = [field](unsigned char b) {
    if (field[0] < 255) field[++field[0]] = b;
  };
  bool quoted = false;
  for (long i = 0; i < n; ++i) {
    unsigned char b = window[i];
    if (format == kCPQuotedFormat) {
      if (i == 0 && b == kQuote) {
        quoted = true;
        continue;
      }
      if (quoted) {
        if (b != kQuote) {
          append(b);
        } else if (i + 1 < n && window[i + 1] == kQuote) {
          append(kQuote);
          ++i;
        } else {
          quoted = false;
        }
        continue;
      }
      if (IsTerminator(b, separator)) {
        *terminator = b;
        return i + 1;
      }
      if (b != kQuote) append(b);
      continue;
    }
    // Plain bytes up to the next terminator, in one copy.
    long j = i;
    // Line ends lie below every printable byte: one comparison rules most
    // bytes out.
    while (j < n) {
      unsigned char c = window[j];
      if (c == separator || (c <= kCR && (c == kCR || c == kLF))) break;
      ++j;
    }
    int keep = std::min<int>(int(j - i), 255 - field[0]);
    std::memcpy(field + 1 + field[0], window + i, size_t(keep));
    field[0] = static_cast<unsigned char>(field[0] + keep);
    if (j < n) {
      *terminator = window[j];
      return j + 1;
    }
    break;
  }
  return 0;
}

unsigned char Separator(CPTextFormat format, unsigned char separator) {
  return separator != 0 ? separator : format == kCPQuotedFormat ? ';' : kTab;
}

}  // namespace

uint32_t CPReadTextIn(const unsigned char* bytes, uint32_t available, StringPtr field,
                      unsigned char* terminator, bool* atEnd, CPTextFormat format,
                      unsigned char separator) {
  field[0] = 0;
  *terminator = 0;
  *atEnd = false;
  separator = Separator(format, separator);
  if (available == 0) {
    *atEnd = true;
    return 0;
  }
  long n = std::min<long>(available, kWindow);
  long found = ScanWindow(bytes, n, field, format, separator, terminator);
  uint32_t after = found ? uint32_t(found) : uint32_t(n);
  if (!found && n == kWindow) {
    // A field longer than we can keep: skip the rest of it as plain bytes.
    while (after < available && !IsTerminator(bytes[after], separator)) ++after;
    if (after < available) *terminator = bytes[after++];
  }
  // CR LF is one line end; any other byte after a CR starts the next field.
  if (*terminator == kCR && after < available && bytes[after] == kLF) ++after;
  // A field cut short by the end of the stream (no terminator, shorter than
  // the window) leaves at-end false: the caller learns of the end on its
  // next read.
  *atEnd = (found || n == kWindow) && after == available;
  return after;
}

void CPStream::ReadText(StringPtr field, unsigned char* terminator, bool* atEnd,
                        CPTextFormat format, unsigned char separator) {
  const uint32_t start = GetMarker();
  const uint32_t length = GetLength();
  const uint32_t available = length > start ? length - start : 0;
  // Bytes in memory are looked at where they lie.
  uint32_t inMemory = 0;
  const unsigned char* bytes = available ? BytesAtMarker(&inMemory) : nullptr;
  if (bytes != nullptr && inMemory >= available) {
    uint32_t consumed =
        CPReadTextIn(bytes, available, field, terminator, atEnd, format, separator);
    SetMarker(static_cast<int32_t>(start + consumed), kCPFromStart);
    return;
  }

  field[0] = 0;
  *terminator = 0;
  *atEnd = false;
  separator = Separator(format, separator);
  if (available == 0) {
    *atEnd = true;
    return;
  }
  // The window of a file is copied out; no more than it is examined.
  unsigned char window[kWindow];
  long n = std::min<long>(available, kWindow);
  ReadData(window, &n);
  long found = ScanWindow(window, n, field, format, separator, terminator);
  if (found) SetMarker(static_cast<int32_t>(start + uint32_t(found)), kCPFromStart);
  if (!found && n == kWindow) {
    // A field longer than we can keep: skip the rest of it as plain bytes. The
    // marker already stands after the window.
    while (GetMarker() < length) {
      unsigned char b = ReadChar();
      if (IsTerminator(b, separator)) {
        *terminator = b;
        break;
      }
    }
  }
  if (*terminator == kCR && GetMarker() < length) {
    // CR LF is one line end; any other byte starts the next field.
    if (ReadChar() != kLF) SetMarker(-1, kCPFromMarker);
  }
  *atEnd = (found || n == kWindow) && GetMarker() >= length;
}

void CPStream::ReadText(CPString& field, unsigned char* terminator, bool* atEnd,
                        CPTextFormat format, unsigned char separator) {
  Str255 p;
  ReadText(p, terminator, atEnd, format, separator);
  field = p;
}
