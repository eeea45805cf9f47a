#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CPFormattedStream.h"
#include "support/VYXTestSupport.h"

namespace {

// A memory stream holding `bytes`, its marker at the start.
struct Bytes {
  explicit Bytes(const std::string& bytes) {
    s.WriteData(bytes.data(), long(bytes.size()));
    s.SetMarker(0, kCPFromStart);
  }
  std::string Written() const {
    return std::string(reinterpret_cast<const char*>(s.Data()), s.GetLength());
  }
  CPHandleStream s;
};

Str255 gScratch;
ConstStringPtr P(const std::string& text) {
  StdToP(text, gScratch);
  return gScratch;
}

struct Field {
  std::string text;
  bool endOfRecord;
  bool atEnd;
  bool operator==(const Field&) const = default;
};

void PrintTo(const Field& f, std::ostream* os) {
  *os << "{\"" << f.text << "\"" << (f.endOfRecord ? ", eor" : "") << (f.atEnd ? ", end" : "")
      << "}";
}

std::vector<Field> ReadFields(CPFormattedStream& s) {
  std::vector<Field> out;
  for (int guard = 0; guard < 100; ++guard) {
    Str255 text;
    Field f{};
    f.atEnd = s.ReadField(text, &f.endOfRecord);
    f.text = PToStd(text);
    out.push_back(f);
    if (f.atEnd) break;
  }
  return out;
}

TEST(CPTabCrStream, ReadFieldEndsRecordsAtLineEndsAndAtTheEnd) {
  struct Case {
    std::string bytes;
    std::vector<Field> fields;
  } cases[] = {
      {"a\tb\r\nc", {{"a", false, false}, {"b", true, false}, {"c", true, true}}},
      {"a\tb\r\n", {{"a", false, false}, {"b", true, true}}},
      {"a\nb\rc", {{"a", true, false}, {"b", true, false}, {"c", true, true}}},
      {"", {{"", true, true}}},
  };
  for (const Case& c : cases) {
    Bytes b(c.bytes);
    CPTabCrStream s(&b.s, false);
    EXPECT_EQ(c.fields, ReadFields(s)) << c.bytes;
  }
}

TEST(CPTabCrStream, CountsRecordsByCROnly) {
  struct Case {
    std::string bytes;
    int32_t records;
  } cases[] = {
      {"", 1},          {"a", 1},          {"a\tb\r\nc\td", 2}, {"a\r\nb\r\n", 2},
      {"a\rb\rc\r", 3}, {"x\r\n\r\ny", 3}, {"a\nb\nc\n", 1},  // LF-only line ends are not records
      {"a\tb\t", 1},
  };
  for (const Case& c : cases) {
    Bytes b(c.bytes);
    CPTabCrStream s(&b.s, false);
    EXPECT_EQ(c.records, s.GetNbOfRecords(true)) << c.bytes;
    EXPECT_EQ(0u, s.GetMarker());
  }

  Bytes b("a\r\nb\r\ncc\tdd");
  CPTabCrStream s(&b.s, false);
  s.SetMarker(3, kCPFromStart);
  EXPECT_EQ(3, s.GetNbOfRecords(true));
  EXPECT_EQ(3u, s.GetMarker());
  EXPECT_EQ(3, s.GetNbOfRecords(false));
  EXPECT_TRUE(s.AtEnd());
}

TEST(CPTabCrStream, GoesToRecordsAndFields) {
  Bytes b("a\tb\r\nc\td\r\ne");
  CPTabCrStream s(&b.s, false);
  Str255 text;
  bool eor = false;

  ASSERT_TRUE(s.GoToRecord(3));
  s.ReadField(text, &eor);
  EXPECT_EQ("e", PToStd(text));
  EXPECT_FALSE(s.GoToRecord(4));
  ASSERT_TRUE(s.GoToRecord(1));
  EXPECT_EQ(0u, s.GetMarker());

  ASSERT_TRUE(s.GoToRecord(2));
  uint32_t record2 = s.GetMarker();
  bool atEnd = true;
  EXPECT_EQ(2, s.GetNbOfFields(true, &atEnd));
  EXPECT_FALSE(atEnd);
  EXPECT_EQ(record2, s.GetMarker());
  ASSERT_TRUE(s.GoToField(2));
  s.ReadField(text, &eor);
  EXPECT_EQ("d", PToStd(text));
  EXPECT_TRUE(eor);

  s.SetMarker(static_cast<int32_t>(record2), kCPFromStart);
  EXPECT_FALSE(s.GoToField(3));  // the record ends first

  ASSERT_TRUE(s.GoToRecord(3));
  EXPECT_EQ(1, s.GetNbOfFields(false, &atEnd));
  EXPECT_TRUE(atEnd);
  EXPECT_FALSE(s.GoToField(2));

  // A record that ends the stream has no successor.
  Bytes last("a\r\n");
  CPTabCrStream t(&last.s, false);
  EXPECT_FALSE(t.GoToRecord(2));
  Bytes open("a\tb");
  CPTabCrStream u(&open.s, false);
  EXPECT_FALSE(u.GoToRecord(2));
}

TEST(CPTabCrStream, WritesTabsAndLineEnds) {
  for (bool crOnly : {false, true}) {
    CPHandleStream out;
    CPTabCrStream s(&out, crOnly);
    s.WriteField(P("a"), false);
    s.WriteField(P("b"), true);
    s.WriteField(P(""), true);
    std::string expected = crOnly ? "a\tb\r\r" : "a\tb\r\n\r\n";
    EXPECT_EQ(expected, std::string(reinterpret_cast<const char*>(out.Data()), out.GetLength()));
  }
}

TEST(CPTabCrStream, FixWidthFieldsArePaddedOrCut) {
  struct Case {
    std::string text;
    int width;
    bool padAfter;
    std::string written;
  } cases[] = {
      {"abc", 6, false, "000abc\t"},      {"abc", 6, true, "abc000\t"},
      {"abcdefgh", 6, false, "abcdef\t"}, {"abcdefgh", 6, true, "abcdef\t"},
      {"abcdef", 6, false, "abcdef\t"},   {"abc", 0, true, "\t"},
  };
  for (const Case& c : cases) {
    CPHandleStream out;
    CPTabCrStream s(&out, false);
    s.WriteFixWidthField(P(c.text), false, c.width, c.padAfter, '0');
    EXPECT_EQ(c.written, std::string(reinterpret_cast<const char*>(out.Data()), out.GetLength()))
        << c.text << " " << c.width << " " << c.padAfter;
  }
}

TEST(CPCSVStream, ReadsQuotedFieldsAndCountsWithItsSeparator) {
  Bytes b("\"x;y\";\"a\"\"b\";c\"d\r\n\"l1\r\nl2\";z");
  CPCSVStream s(&b.s, ';', false);
  EXPECT_EQ(2, s.GetNbOfRecords(true));
  bool atEnd = false;
  EXPECT_EQ(3, s.GetNbOfFields(true, &atEnd));
  EXPECT_EQ((std::vector<Field>{{"x;y", false, false},
                                {"a\"b", false, false},
                                {"cd", true, false},
                                {"l1\r\nl2", false, false},
                                {"z", true, true}}),
            ReadFields(s));

  Bytes comma("a;b,c\r\nd");
  CPCSVStream t(&comma.s, ',', false);
  EXPECT_EQ(2, t.GetNbOfFields(true, &atEnd));
  EXPECT_EQ((std::vector<Field>{{"a;b", false, false}, {"c", true, false}, {"d", true, true}}),
            ReadFields(t));

  t.SetSepChar(';');
  EXPECT_TRUE(t.GoToRecord(1));
  EXPECT_EQ(2, t.GetNbOfFields(true, &atEnd));

  // No separator given reads ';', and fields are counted with it.
  CPCSVStream u(&comma.s, 0, false);
  u.SetMarker(0, kCPFromStart);
  EXPECT_EQ(2, u.GetNbOfFields(false, &atEnd));
  EXPECT_TRUE(u.GoToRecord(2));
}

TEST(CPCSVStream, WritesFieldsThatReadBack) {
  const std::vector<std::string> texts = {"plain",        "x;y", "say \"hi\"", "\"",
                                          "two\r\nlines", "",    "a,b"};
  for (bool quote : {false, true}) {
    CPHandleStream out;
    CPCSVStream w(&out, ';', quote);
    for (size_t i = 0; i < texts.size(); ++i) w.WriteField(P(texts[i]), i + 1 == texts.size());
    out.SetMarker(0, kCPFromStart);
    CPCSVStream r(&out, ';', quote);
    std::vector<Field> fields = ReadFields(r);
    ASSERT_EQ(texts.size(), fields.size()) << quote;
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], fields[i].text) << quote;
  }

  CPHandleStream out;
  CPCSVStream w(&out, ';', false);
  w.WriteField(P("a"), false);
  w.SetExportGuillements(true);
  w.SetSepChar(',');
  w.WriteField(P("b"), false);
  w.WriteField(P("c"), true);
  EXPECT_EQ("a;\"b\",\"c\"\r\n",
            std::string(reinterpret_cast<const char*>(out.Data()), out.GetLength()));
}

TEST(CPTextStream, WritesLinesEndedByCR) {
  CPHandleStream out;
  CPTextStream s(&out);
  s.WriteText(P("first\tline"), false, false);
  s.WriteEndOfLine(false);
  s.WriteText(P("second"), true, true);
  EXPECT_EQ("first\tline\rsecond",
            std::string(reinterpret_cast<const char*>(out.Data()), out.GetLength()));
  EXPECT_EQ(2, s.GetNbOfRecords(false));
}

}  // namespace
