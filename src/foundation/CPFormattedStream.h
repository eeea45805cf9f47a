// Text organised as records (lines) of fields, over another stream. A formatted
// stream forwards every byte operation to that stream, which it does not own and
// which must outlive it. The end of the data is reported through results and
// flags, never by an error; errors of the stream underneath pass through.
#ifndef VYX_FOUNDATION_CPFORMATTEDSTREAM_H_
#define VYX_FOUNDATION_CPFORMATTEDSTREAM_H_

#include <cstdint>

#include "foundation/CPStream.h"

class CPFormattedStream : public CPStream {
 public:
  explicit CPFormattedStream(CPStream* stream) : stream_(stream) {}

  void SetMarker(int32_t offset, CPStreamFrom from) override { stream_->SetMarker(offset, from); }
  uint32_t GetMarker() const override { return stream_->GetMarker(); }
  void SetLength(uint32_t length) override { stream_->SetLength(length); }
  uint32_t GetLength() const override { return stream_->GetLength(); }
  void WriteData(const void* data, long* count) override { stream_->WriteData(data, count); }
  void ReadData(void* data, long* count) override { stream_->ReadData(data, count); }
  const unsigned char* BytesAtMarker(uint32_t* count) const override {
    return stream_->BytesAtMarker(count);
  }
  using CPStream::ReadData;
  using CPStream::WriteData;

  // Records counted from the start; with `restore` the marker is put back.
  virtual int32_t GetNbOfRecords(bool restore) = 0;
  // Places the marker at the start of record `n` (1-based); false when there is none.
  virtual bool GoToRecord(int32_t n) = 0;
  // Fields from the marker to the end of its record, the last one included.
  virtual int32_t GetNbOfFields(bool restore, bool* atEnd) = 0;
  // From the start of a record, skips to its field `n` (1-based); false when the
  // record or the stream ends first.
  virtual bool GoToField(int32_t n) = 0;
  virtual void WriteField(ConstStringPtr text, bool lastOfRecord) = 0;
  // True when the stream is exhausted after this field.
  virtual bool ReadField(StringPtr text, bool* endOfRecord) = 0;

  // `text` cut to `width` characters, or padded to it with `padChar` after it
  // (`padAfter`) or in front of it, written with WriteField.
  void WriteFixWidthField(ConstStringPtr text, bool lastOfRecord, int width, bool padAfter,
                          unsigned char padChar);

  CPStream* GetStream() const { return stream_; }

 private:
  CPStream* stream_;
};

// Fields ended by a separator byte, records by CR (alone or with LF). Reading
// also takes a lone LF as a record end, but counting and skipping records do not.
// Writes TAB between fields and CR LF (CR alone when `crOnly`) after the last.
class CPTabCrStream : public CPFormattedStream {
 public:
  CPTabCrStream(CPStream* stream, bool crOnly) : CPTabCrStream(stream, kCPTabFormat, 9, crOnly) {}

  int32_t GetNbOfRecords(bool restore) override;
  bool GoToRecord(int32_t n) override;
  int32_t GetNbOfFields(bool restore, bool* atEnd) override;
  bool GoToField(int32_t n) override;
  void WriteField(ConstStringPtr text, bool lastOfRecord) override;
  bool ReadField(StringPtr text, bool* endOfRecord) override;

 protected:
  CPTabCrStream(CPStream* stream, CPTextFormat format, unsigned char separator, bool crOnly)
      : CPFormattedStream(stream), format_(format), separator_(separator), crOnly_(crOnly) {}

  void SetSeparator(unsigned char separator) { separator_ = separator; }
  unsigned char Separator() const { return separator_; }
  void WriteEndOfRecord();

 private:
  struct Field {
    unsigned char terminator;
    bool atEnd;  // the stream is exhausted after it
  };
  Field SkipField();

  CPTextFormat format_;
  unsigned char separator_;
  bool crOnly_;
};

// Fields ended by a separator (";" or "," as the system builds them) and read
// with quotes: a field that opens with a double quote may hold the separator and
// line ends, and doubled quotes inside it stand for one.
class CPCSVStream : public CPTabCrStream {
 public:
  CPCSVStream(CPStream* stream, unsigned char separator, bool quoteOnExport);

  void SetSepChar(unsigned char separator);
  void SetExportGuillements(bool quote) { quoteOnExport_ = quote; }

  void WriteField(ConstStringPtr text, bool lastOfRecord) override;

 private:
  bool quoteOnExport_;
};

// Plain text lines: characters as given, each line ended by CR. It reads and
// skips records as a tab stream does.
class CPTextStream : public CPTabCrStream {
 public:
  explicit CPTextStream(CPStream* stream) : CPTabCrStream(stream, true) {}

  // The flags are those that every writer of the family passes; plain text
  // has no use for them and the characters are written as they are.
  void WriteText(ConstStringPtr text, bool = false, bool = false) {
    WriteData(text + 1, long(text[0]));
  }
  void WriteEndOfLine(bool = false) { WriteEndOfRecord(); }
};

#endif  // VYX_FOUNDATION_CPFORMATTEDSTREAM_H_
