// The field reader of CPStream. Exchange files (bank exports, spreadsheets,
// statements) are read with it, so its handling of line ends, quotes and long
// fields is part of what those files mean to us and must not drift.
#include <algorithm>
#include <cstring>

#include "foundation/CPStream.h"

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

}  // namespace

void CPStream::ReadText(StringPtr field, unsigned char* terminator, bool* atEnd,
                        CPTextFormat format, unsigned char separator) {
  field[0] = 0;
  *terminator = 0;
  *atEnd = false;
  if (separator == 0) separator = format == kCPQuotedFormat ? ';' : kTab;

  const uint32_t start = GetMarker();
  const uint32_t length = GetLength();
  const uint32_t available = length > start ? length - start : 0;
  if (available == 0) {
    *atEnd = true;
    return;
  }

  // Bytes in memory are looked at where they lie; the window of a file is
  // copied out. Either way no more than the window is examined below.
  long n = std::min<long>(available, kWindow);
  uint32_t inMemory = 0;
  const unsigned char* bytes = BytesAtMarker(&inMemory);
  const bool direct = bytes != nullptr && inMemory >= available;
  unsigned char copy[kWindow];
  const unsigned char* window = bytes;
  if (!direct) {
    ReadData(copy, &n);
    window = copy;
  }
  // Where the marker is left, relative to `start`.
  uint32_t after = static_cast<uint32_t>(n);

  auto append = [field](unsigned char b) {
    if (field[0] < 255) field[++field[0]] = b;
  };

  bool found = false;
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
    }
    if (IsTerminator(b, separator)) {
      *terminator = b;
      after = static_cast<uint32_t>(i) + 1;
      found = true;
      break;
    }
    if (format == kCPQuotedFormat && b == kQuote) continue;
    if (format == kCPTabFormat) {
      // Plain bytes up to the next terminator, in one copy.
      long j = i + 1;
      while (j < n && !IsTerminator(window[j], separator)) ++j;
      int keep = std::min<int>(int(j - i), 255 - field[0]);
      std::memcpy(field + 1 + field[0], window + i, size_t(keep));
      field[0] = static_cast<unsigned char>(field[0] + keep);
      i = j - 1;
      continue;
    }
    append(b);
  }

  if (!found && n == kWindow) {
    // A field longer than we can keep: skip the rest of it as plain bytes,
    // from just after the window.
    if (direct) {
      while (after < available && !IsTerminator(bytes[after], separator)) ++after;
      if (after < available) *terminator = bytes[after++];
    } else {
      while (start + after < length) {
        unsigned char b = ReadChar();
        ++after;
        if (IsTerminator(b, separator)) {
          *terminator = b;
          break;
        }
      }
    }
  }
  // CR LF is one line end; any other byte after a CR starts the next field.
  if (*terminator == kCR && after < available) {
    unsigned char next = 0;
    if (direct) {
      next = bytes[after];
    } else {
      SetMarker(static_cast<int32_t>(start + after), kCPFromStart);
      next = ReadChar();
    }
    if (next == kLF) ++after;
  }
  SetMarker(static_cast<int32_t>(start + after), kCPFromStart);
  // A field cut short by the end of the stream (no terminator, shorter than
  // the window) leaves at-end false: the caller learns of the end on its
  // next read.
  *atEnd = (found || n == kWindow) && after == available;
}

void CPStream::ReadText(CPString& field, unsigned char* terminator, bool* atEnd,
                        CPTextFormat format, unsigned char separator) {
  Str255 p;
  ReadText(p, terminator, atEnd, format, separator);
  field = p;
}
