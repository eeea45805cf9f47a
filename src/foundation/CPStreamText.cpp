// The field reader of CPStream. Exchange files (bank exports, spreadsheets,
// statements) are read with it, so its handling of line ends, quotes and long
// fields is part of what those files mean to us and must not drift.
#include <algorithm>

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

  unsigned char window[kWindow];
  long n = std::min<long>(available, kWindow);
  ReadData(window, &n);

  auto append = [field](unsigned char b) {
    if (field[0] < 255) field[++field[0]] = b;
  };
  auto endAfter = [&](long i) {
    *terminator = window[i];
    uint32_t marker = start + static_cast<uint32_t>(i) + 1;
    SetMarker(static_cast<int32_t>(marker), kCPFromStart);
    *atEnd = marker == length;
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
      endAfter(i);
      found = true;
      break;
    }
    if (format == kCPQuotedFormat && b == kQuote) continue;
    append(b);
  }

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
    *atEnd = GetMarker() >= length;
  }
  // Otherwise a field cut by the end of the stream keeps terminator 0 and
  // at-end false: the caller learns of the end on its next read.

  if (*terminator == kCR && GetMarker() < length) {
    // CR LF is one line end; any other byte starts the next field.
    if (ReadChar() == kLF) {
      *atEnd = GetMarker() >= length;
    } else {
      SetMarker(-1, kCPFromMarker);
    }
  }
}

void CPStream::ReadText(CPString& field, unsigned char* terminator, bool* atEnd,
                        CPTextFormat format, unsigned char separator) {
  Str255 p;
  ReadText(p, terminator, atEnd, format, separator);
  field = p;
}
