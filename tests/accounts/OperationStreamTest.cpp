// The stream forms of operations and split lines, as the record tables keep them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "VYXRecordTestSupport.h"
#include "accounts/VYXOperationStream.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

std::vector<unsigned char> Written(const CPHandleStream& s) {
  return std::vector<unsigned char>(s.Data(), s.Data() + s.GetLength());
}

SousOperation SampleLine() {
  SousOperation line;
  line.header.creation = CPGetDate(3, 2, 2008) + 60;
  line.header.modification = CPGetDate(4, 2, 2008);
  line.header.dataID = 2;
  line.operation = 77;
  SetText(line.libelle, "R\x8Epartition");
  line.montant = -400.5;
  line.tva = 2;
  line.montantTva = -65.62;
  line.categorie = 21;
  line.mois = 65534;
  line.pieceJointe = 1;
  line.tiers = 3;
  line.affaire = -4;
  line.deviseOrigine = 'CHF ';
  line.montantOrigine = -600.0;
  line.affectation = 5;
  line.note = 6;
  line.pj = 7;
  line.pourcentagePerso = 40;
  return line;
}

TEST(OperationStream, RoundTripInEachEncodingKeepsEveryStreamedField) {
  VYXPinnedClock clock(1, 1, 2008);
  const CPDataEncoding encodings[] = {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding};
  for (const CPDataEncoding& e : encodings) {
    SCOPED_TRACE(int(e.integerEncoding) * 100 + int(e.stringEncoding) * 10 + e.dateEncoding);
    Operation op = SampleOperation();
    op.header.deleted = 1;  // not in the stream: read back as live
    CPHandleStream stream;
    VYXWriteOperation(stream, op, e);
    stream.SetMarker(0, kCPFromStart);
    Operation back;
    VYXReadOperation(stream, &back, e);
    EXPECT_TRUE(stream.AtEnd());

    Operation expected = SampleOperation();
    expected.pourcentagePerso = 0;
    EXPECT_EQ(BytesOf(expected), BytesOf(back));
    // The stored bytes of a table go through their own reader: same record.
    Operation fromBytes;
    fromBytes.montant = 42.0;
    VYXReadOperation(stream.Data(), uint32_t(stream.GetLength()), &fromBytes, e);
    EXPECT_EQ(BytesOf(expected), BytesOf(fromBytes));
    // Its figures alone: every field but the texts, which stay empty.
    Operation figures;
    VYXReadOperationFigures(stream.Data(), uint32_t(stream.GetLength()), &figures, e);
    Operation withoutTexts = expected;
    std::memset(withoutTexts.libelle, 0, sizeof withoutTexts.libelle);
    std::memset(withoutTexts.noCheque, 0, sizeof withoutTexts.noCheque);
    std::memset(withoutTexts.releve, 0, sizeof withoutTexts.releve);
    std::memset(withoutTexts.noPiece, 0, sizeof withoutTexts.noPiece);
    EXPECT_EQ(BytesOf(withoutTexts), BytesOf(figures));

    SousOperation line = SampleLine();
    CPHandleStream lineStream;
    VYXWriteSousOperation(lineStream, line, e);
    lineStream.SetMarker(0, kCPFromStart);
    SousOperation lineBack;
    VYXReadSousOperation(lineStream, &lineBack, e);
    line.pourcentagePerso = 0;
    EXPECT_EQ(BytesOf(line), BytesOf(lineBack));
    SousOperation lineFromBytes;
    VYXReadSousOperation(lineStream.Data(), uint32_t(lineStream.GetLength()), &lineFromBytes, e);
    EXPECT_EQ(BytesOf(line), BytesOf(lineFromBytes));
  }
}

// The operation stream of a big-endian file, item by item as the table's
// stream form lists them.
TEST(OperationStream, BigEndianOperationStreamIsByteExact) {
  VYXPinnedClock clock(1, 1, 2008);
  BigEndianImage img;
  img.AddU32(CPGetDate(1, 2, 2008) + 3600);
  img.AddU32(CPGetDate(2, 2, 2008) + 7200);
  img.AddU32(77);
  img.AddU32(CPGetDate(10, 3, 2008));
  img.AddStr("Caf\x8E \x88 No\x91l");
  img.AddU8(1);
  img.AddF64(-1234.56);
  img.AddU16(2);
  img.AddF64(-202.3);
  img.AddU16(3);
  img.AddF64(-1000.25);
  img.AddU16(4);
  img.AddStr("1000042");
  img.AddU16(uint16_t(-5));
  img.AddU16(3);
  img.AddU16(2);  // status, as a 16-bit item
  img.AddU32(0);
  img.AddStr("12");
  img.AddU8(1);
  img.AddU16(7);
  img.AddF64(2.5);
  img.AddU16(8);
  img.AddU32(0x01020304);
  img.AddU32(0xA0B0C0D0);
  img.AddU16(9);
  img.AddU16(10);
  img.AddF64(-150.5);
  img.AddU16(11);
  img.AddU16(12);
  img.AddCode("USD ");
  img.AddF64(-1500.75);
  img.AddU32(99999);
  img.AddU16(13);
  img.AddU16(14);
  img.AddStr("F-2008-0001");

  CPHandleStream stream;
  VYXWriteOperation(stream, SampleOperation(), CPMacPowerPCEncoding);
  EXPECT_EQ(img.Bytes(), Written(stream));

  // Read from those bytes alone.
  CPPtrStream in(img.Bytes().data(), uint32_t(img.Bytes().size()));
  Operation op;
  VYXReadOperation(in, &op, CPMacPowerPCEncoding);
  EXPECT_EQ(kOpPointee, op.status);
  EXPECT_EQ(OSType('USD '), V(op.deviseOrigine));
  EXPECT_EQ(-1234.56, V(op.montant));
  EXPECT_EQ(kCompteDataMarker, V(op.header.marker));
  EXPECT_EQ(kOperationData, op.header.type);
}

TEST(OperationStream, BigEndianSplitLineStreamIsByteExact) {
  BigEndianImage img;
  img.AddU32(CPGetDate(3, 2, 2008) + 60);
  img.AddU32(CPGetDate(4, 2, 2008));
  img.AddU32(2);
  img.AddU16(77);
  img.AddStr("R\x8Epartition");
  img.AddF64(-400.5);
  img.AddU16(2);
  img.AddF64(-65.62);
  img.AddU16(21);
  img.AddU16(65534);
  img.AddU8(1);
  img.AddU16(3);
  img.AddU16(uint16_t(-4));
  img.AddCode("CHF ");
  img.AddF64(-600.0);
  img.AddU16(5);
  img.AddU16(6);
  img.AddU16(7);

  CPHandleStream stream;
  VYXWriteSousOperation(stream, SampleLine(), CPMacPowerPCEncoding);
  EXPECT_EQ(img.Bytes(), Written(stream));
}

TEST(OperationStream, WindowsStreamHasUnixDatesAndLatin1Text) {
  VYXPinnedClock clock(1, 1, 2008);
  CPHandleStream stream;
  VYXWriteOperation(stream, SampleOperation(), CPWindowsEncoding);
  auto bytes = Written(stream);
  uint32_t date = 0;
  std::memcpy(&date, bytes.data() + 12, 4);
  EXPECT_EQ(CPGetDate(10, 3, 2008) - kCPSecondsFrom1904To1970, date);
  EXPECT_EQ(11, bytes[16]);    // libelle length
  EXPECT_EQ(0xE9, bytes[20]);  // é in code page 1252
}

TEST(OperationStream, TruncatedRecordRaisesAndAStreamLeavesTheOutputAlone) {
  VYXPinnedClock clock(1, 1, 2008);
  CPHandleStream stream;
  VYXWriteOperation(stream, SampleOperation(), CPMacIntelEncoding);
  auto bytes = Written(stream);
  // Cut inside the first label, inside a number, and just before the last byte.
  for (size_t cut : {size_t(0), size_t(20), size_t(60), bytes.size() - 1}) {
    CPPtrStream in(bytes.data(), uint32_t(cut));
    Operation op;
    op.montant = 42.0;
    EXPECT_CP_CODE(eofErr, VYXReadOperation(in, &op, CPMacIntelEncoding)) << cut;
    EXPECT_EQ(42.0, V(op.montant));
  }
  // The stored bytes of a table, cut anywhere (in a run of numbers, on a
  // text's length, inside a text), raise the same way.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    Operation op;
    EXPECT_CP_CODE(eofErr, VYXReadOperation(bytes.data(), uint32_t(cut), &op, CPMacIntelEncoding))
        << cut;
    EXPECT_CP_CODE(eofErr,
                   VYXReadOperationFigures(bytes.data(), uint32_t(cut), &op, CPMacIntelEncoding))
        << cut;
  }

  CPHandleStream lineStream;
  VYXWriteSousOperation(lineStream, SampleLine(), CPMacIntelEncoding);
  auto lineBytes = Written(lineStream);
  CPPtrStream in(lineBytes.data(), uint32_t(lineBytes.size() - 2));
  SousOperation line;
  EXPECT_CP_CODE(eofErr, VYXReadSousOperation(in, &line, CPMacIntelEncoding));
  for (size_t cut = 0; cut < lineBytes.size(); ++cut) {
    EXPECT_CP_CODE(eofErr,
                   VYXReadSousOperation(lineBytes.data(), uint32_t(cut), &line, CPMacIntelEncoding))
        << cut;
  }
}

TEST(OperationStream, OverlongTextIsCutToItsField) {
  VYXPinnedClock clock(1, 1, 2008);
  CPHandleStream stream;
  VYXWriteOperation(stream, SampleOperation(), CPMacIntelEncoding);
  auto bytes = Written(stream);
  // Make the cheque number (after 4 longs, the label, a bool, double, short,
  // double, short, double and short) ten characters long.
  size_t at = 16 + 1 + bytes[16] + 1 + 8 + 2 + 8 + 2 + 8 + 2;
  ASSERT_EQ(7, bytes[at]);
  const unsigned char longer[] = {10, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
  bytes.erase(bytes.begin() + long(at), bytes.begin() + long(at) + 8);
  bytes.insert(bytes.begin() + long(at), longer, longer + sizeof longer);

  CPPtrStream in(bytes.data(), uint32_t(bytes.size()));
  Operation op;
  VYXReadOperation(in, &op, CPMacIntelEncoding);
  EXPECT_EQ("1234567", Text(op.noCheque));
  EXPECT_EQ(-5, V(op.categorie));  // the items after it are still in step
  EXPECT_EQ("F-2008-0001", Text(op.noPiece));
}

}  // namespace
