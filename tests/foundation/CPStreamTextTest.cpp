// The field reader, run over a memory handle and over a real file: a file stream
// raises on any read past its end, so the reader must never ask for more than
// the stream holds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CPFileStream.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStream.h"
#include "support/VYXTestSupport.h"

namespace {

constexpr unsigned char TAB = 9, LF = 10, CR = 13;

struct Read {
  std::string field;
  unsigned char terminator;
  bool atEnd;
  bool operator==(const Read&) const = default;
};

void PrintTo(const Read& r, std::ostream* os) {
  *os << "{\"" << r.field << "\", " << int(r.terminator) << ", " << (r.atEnd ? "end" : "more")
      << "}";
}

// Every read until the reader says the stream is exhausted.
std::vector<Read> ReadAll(CPStream& s, CPTextFormat format, unsigned char separator) {
  std::vector<Read> out;
  for (int guard = 0; guard < 100; ++guard) {
    Str255 f;
    Read r{};
    s.ReadText(f, &r.terminator, &r.atEnd, format, separator);
    r.field = PToStd(f);
    out.push_back(r);
    if (r.atEnd) break;
  }
  return out;
}

const Read kEnd{"", 0, true};

struct Case {
  const char* name;
  std::string bytes;
  CPTextFormat format;
  unsigned char separator;
  std::vector<Read> reads;
};

std::vector<Case> Cases() {
  std::string x255(255, 'x'), x254(254, 'x'), x300(300, 'x');
  return {
      {"empty stream", "", kCPTabFormat, 0, {kEnd}},
      {"tab, CR LF, no final line end",
       "a\tb\r\nc",
       kCPTabFormat,
       0,
       {{"a", TAB, false}, {"b", CR, false}, {"c", 0, false}, kEnd}},
      {"final CR LF exhausts the stream", "a\r\n", kCPTabFormat, 0, {{"a", CR, true}}},
      {"byte after CR is put back",
       "a\rb",
       kCPTabFormat,
       0,
       {{"a", CR, false}, {"b", 0, false}, kEnd}},
      {"CR CR LF is two line ends",
       "a\r\r\nb",
       kCPTabFormat,
       0,
       {{"a", CR, false}, {"", CR, false}, {"b", 0, false}, kEnd}},
      {"lone LFs end fields",
       "a\n\nb",
       kCPTabFormat,
       0,
       {{"a", LF, false}, {"", LF, false}, {"b", 0, false}, kEnd}},
      {"LF CR is not one line end", "a\n\r", kCPTabFormat, 0, {{"a", LF, false}, {"", CR, true}}},
      {"tab format keeps quotes",
       "\"a\"\tb",
       kCPTabFormat,
       0,
       {{"\"a\"", TAB, false}, {"b", 0, false}, kEnd}},
      {"configured separator replaces TAB",
       "a,b\tc",
       kCPTabFormat,
       ',',
       {{"a", ',', false}, {"b\tc", 0, false}, kEnd}},
      {"quoted separator",
       "\"x;y\";z",
       kCPQuotedFormat,
       ';',
       {{"x;y", ';', false}, {"z", 0, false}, kEnd}},
      {"quoted format defaults to ';'",
       "a;b",
       kCPQuotedFormat,
       0,
       {{"a", ';', false}, {"b", 0, false}, kEnd}},
      {"doubled quotes give one", "\"a\"\"b\";", kCPQuotedFormat, ';', {{"a\"b", ';', true}}},
      {"empty and lone-quote fields",
       "\"\";\"\"\"\";",
       kCPQuotedFormat,
       ';',
       {{"", ';', false}, {"\"", ';', true}}},
      {"stray quote dropped",
       "ab\"c;d",
       kCPQuotedFormat,
       ';',
       {{"abc", ';', false}, {"d", 0, false}, kEnd}},
      {"text after the closing quote is kept",
       "\"ab\"cd\"e,",
       kCPQuotedFormat,
       ',',
       {{"abcde", ',', true}}},
      {"line ends inside quotes",
       "\"l1\r\nl2\"\r\n",
       kCPQuotedFormat,
       ';',
       {{"l1\r\nl2", CR, true}}},
      {"unclosed quote runs to the end",
       "\"ab;c",
       kCPQuotedFormat,
       ';',
       {{"ab;c", 0, false}, kEnd}},
      {"300 bytes: first 255 kept, reading goes on after the terminator",
       x300 + "\tnext",
       kCPTabFormat,
       0,
       {{x255, TAB, false}, {"next", 0, false}, kEnd}},
      {"long field ended by the stream is at the end", x300, kCPTabFormat, 0, {{x255, 0, true}}},
      {"exactly 255 bytes count as a long field", x255, kCPTabFormat, 0, {{x255, 0, true}}},
      {"254 bytes end like any short field", x254, kCPTabFormat, 0, {{x254, 0, false}, kEnd}},
      {"CR LF just past the window",
       x255 + "\r\nz",
       kCPTabFormat,
       0,
       {{x255, CR, false}, {"z", 0, false}, kEnd}},
      {"CR ending the window, LF after it",
       x254 + "\r\nz",
       kCPTabFormat,
       0,
       {{x254, CR, false}, {"z", 0, false}, kEnd}},
      {"quotes are not read past the window",
       "\"" + std::string(260, 'x') + ";y\";z",
       kCPQuotedFormat,
       ';',
       {{std::string(254, 'x'), ';', false}, {"y", ';', false}, {"z", 0, false}, kEnd}},
  };
}

class CPStreamText : public ::testing::Test {
 protected:
  // The same bytes in a memory handle, in a fixed block seen through a
  // formatted stream (the way statement readers see a file's bytes) and in a
  // file opened for reading.
  std::vector<std::unique_ptr<CPStream>> Streams(const std::string& bytes) {
    std::vector<std::unique_ptr<CPStream>> out;
    blocks_.push_back(std::make_unique<std::string>(bytes));
    ptrs_.push_back(std::make_unique<CPPtrStream>(blocks_.back()->data(), uint32_t(bytes.size())));
    out.push_back(std::make_unique<CPTabCrStream>(ptrs_.back().get(), false));
    auto h = std::make_unique<CPHandleStream>();
    h->WriteData(bytes.data(), long(bytes.size()));
    h->SetMarker(0, kCPFromStart);
    out.push_back(std::move(h));

    CPFileRef fileRef = dir_.Ref("f" + std::to_string(files_++));
    CPFileStream writer(fileRef);
    writer.Create('VYX ', 'TEXT', true);
    writer.Open(kCPFileReadWrite);
    writer.WriteData(bytes.data(), long(bytes.size()));
    writer.Close();
    auto f = std::make_unique<CPFileStream>(fileRef);
    f->Open(kCPFileRead);
    out.push_back(std::move(f));
    return out;
  }

  VYXTempDir dir_;
  int files_ = 0;
  std::vector<std::unique_ptr<std::string>> blocks_;
  std::vector<std::unique_ptr<CPPtrStream>> ptrs_;
};

TEST_F(CPStreamText, ReadsFieldsByteForByte) {
  for (const Case& c : Cases()) {
    for (auto& s : Streams(c.bytes)) {
      EXPECT_EQ(c.reads, ReadAll(*s, c.format, c.separator))
          << c.name
          << (dynamic_cast<CPFileStream*>(s.get())     ? " (file)"
              : dynamic_cast<CPTabCrStream*>(s.get()) ? " (block)"
                                                       : " (handle)");
    }
  }
}

TEST_F(CPStreamText, ReadsFromTheMarkerOn) {
  for (auto& s : Streams("skip\tfield\r\n")) {
    s->SetMarker(5, kCPFromStart);
    EXPECT_EQ((std::vector<Read>{{"field", CR, true}}), ReadAll(*s, kCPTabFormat, 0));
  }
}

TEST_F(CPStreamText, StringVariantKeepsTheStringsMaximum) {
  CPHandleStream s;
  s.WriteData("abcdefgh\tij", 11L);
  s.SetMarker(0, kCPFromStart);
  CPString field("zz");
  field.SetMaxLength(5);
  unsigned char terminator = 0;
  bool atEnd = true;
  s.ReadText(field, &terminator, &atEnd, kCPTabFormat, 0);
  EXPECT_EQ("abcde", field.Std());
  EXPECT_EQ(TAB, terminator);
  EXPECT_FALSE(atEnd);
  EXPECT_EQ(9u, s.GetMarker());
}

}  // namespace
