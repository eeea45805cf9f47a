// Records through Encode / Decode: byte images in the files' encodings.
#include <gtest/gtest.h>

#include "VYXRecordTestSupport.h"
#include "accounts/Chequier.h"
#include "accounts/CompteInfos.h"
#include "accounts/LibelleTelematique.h"
#include "accounts/Mode.h"
#include "accounts/OpPredefinie.h"
#include "accounts/Operation.h"
#include "accounts/OperationAuto.h"
#include "accounts/SousOperation.h"
#include "accounts/VYXCompteDefaultValues.h"
#include "foundation/CPDates.h"
#include "support/VYXTestSupport.h"

namespace {

const CPDataEncoding kEncodings[] = {CPMacIntelEncoding, CPMacPowerPCEncoding, CPWindowsEncoding};

std::string Name(const CPDataEncoding& e) {
  return "encoding {" + std::to_string(e.integerEncoding) + "," +
         std::to_string(e.stringEncoding) + "," + std::to_string(e.dateEncoding) + "}";
}

// Encoding then decoding gives back every byte of the record.
template <typename T>
void ExpectRoundTrip(const T& record) {
  for (const CPDataEncoding& e : kEncodings) {
    T copy = record;
    copy.Encode(e);
    copy.Decode(e);
    EXPECT_EQ(BytesOf(record), BytesOf(copy)) << Name(e);
  }
}

TEST(RecordCodec, EveryRecordComesBackUnchangedFromEachEncoding) {
  VYXPinnedClock clock(1, 1, 2008);
  Operation op = SampleOperation();
  ExpectRoundTrip(op);

  SousOperation line(op);
  line.montant = -10.5;
  line.deviseOrigine = 'CHF ';
  line.montantOrigine = -16.0;
  SetText(line.libelle, "Ligne");
  line.pourcentagePerso = 50;
  ExpectRoundTrip(line);

  CompteInfos infos;
  infos.SetPassWord(reinterpret_cast<ConstStringPtr>("\x06secret"));
  infos.report = MontantSet{{1.5, -2.25, 3.0}};
  infos.total = MontantSet{{10, 20, 30}};
  infos.tvaTotaux = TvaMontant{4.5, 6.75};
  infos.autoIncrement = 300;
  infos.nbOfOperations = 150;
  infos.linkID = -3;
  infos.historiqueDate = CPGetDate(31, 12, 2006);
  infos.historiqueOffset = 123456;
  infos.devise = 'EUR ';
  infos.lastReloadDate = CPGetDate(1, 1, 2008) + 45;
  infos.lockDate = CPGetDate(31, 1, 2008);
  ExpectRoundTrip(infos);

  Mode mode;
  mode.chequierID = 2;
  mode.virementID = -4;
  mode.colorID = 5;
  mode.debitModeType.Enabled = 1;
  mode.debitModeType.ModeType = kModeTypeDeferred;
  mode.debitModeType.MonthDay = 5;
  mode.debitModeType.StopDay = 25;
  mode.creditModeType.ModeType = kModeTypeDelta;
  mode.creditModeType.DeltaDay = -2;
  SetText(mode.noCarte, "4970 1234 5678 9012");
  mode.expirationCarte = CPGetDate(1, 9, 2010);
  SetText(mode.titulaireCarte, "H\x8El\x8Fne Dupont");
  SetText(mode.noAppelCarte, "0800 123 456");
  ExpectRoundTrip(mode);

  Chequier book;
  SetText(book.prefix, "A");
  ExpectRoundTrip(book);
  ExpectRoundTrip(CompteTarget{-7});

  OperationAuto autoOp;
  autoOp.next = CPGetDate(31, 1, 2008);
  autoOp.dateLimit = CPGetDate(31, 12, 2008);
  autoOp.monthFilter = 0x00000FF5;
  autoOp.numberLimit = 12;
  autoOp.mois = 65535;
  SetText(autoOp.libelle, "Loyer ^mois");
  SetText(autoOp.montant, "-650+12*2");
  autoOp.virement = 3;
  ExpectRoundTrip(autoOp);

  GenerateAuto generated;
  generated.dateEngage = CPGetDate(5, 2, 2008);
  generated.dataID = int16_t(40001);
  SetText(generated.libelle, "Loyer");
  ExpectRoundTrip(generated);

  OpPredefinie pred;
  pred.date = CPGetDate(5, 2, 2008);
  SetText(pred.montant, "100");
  pred.sousOpsID = 6;
  ExpectRoundTrip(pred);

  SousOpPredefinie predLine;
  predLine.opTva = 1;
  predLine.affectation = 4;
  SetText(predLine.libelle, "Part");
  ExpectRoundTrip(predLine);

  LibelleTelematique rule;
  SetText(rule.libelle, "CB CARREFOUR\\");
  rule.categorie = 3;
  rule.mois = 65534;
  ExpectRoundTrip(rule);

  VYXCompteDefaultValues defaults;
  defaults.tvaRec = 300;
  ExpectRoundTrip(defaults);
}

// An operation image as a big-endian, 1904-dated, MacRoman file holds it,
// laid out by hand from the field table.
BigEndianImage BigEndianOperationImage() {
  BigEndianImage img(252);
  img.U32(0, 0xA5B1C91D);
  img.U8(4, 2);
  img.U32(6, CPGetDate(1, 2, 2008) + 3600);
  img.U32(10, CPGetDate(2, 2, 2008) + 7200);
  img.U32(14, 77);
  img.U32(18, CPGetDate(10, 3, 2008));
  img.Str(22, "Caf\x8E \x88 No\x91l");
  img.U8(122, 1);
  img.F64(124, -1234.56);
  img.U16(132, 2);
  img.F64(134, -202.3);
  img.U16(142, 3);
  img.F64(144, -1000.25);
  img.U16(152, 4);
  img.Str(154, "1000042");
  img.U16(162, uint16_t(-5));
  img.U16(164, 3);
  img.U8(166, 2);
  img.U32(168, 0);
  img.Str(172, "12");
  img.U8(178, 1);
  img.U16(180, 7);
  img.F64(182, 2.5);
  img.U16(190, 8);
  img.U32(192, 0x01020304);
  img.U32(196, 0xA0B0C0D0);
  img.U16(200, 9);
  img.U16(202, 10);
  img.F64(204, -150.5);
  img.U16(212, 11);
  img.U16(214, 12);
  img.Code(216, "USD ");
  img.F64(220, -1500.75);
  img.U32(228, 99999);
  img.U16(232, 13);
  img.U16(234, 14);
  img.Str(236, "F-2008-0001");
  img.U16(250, 30);
  return img;
}

TEST(RecordCodec, BigEndianOperationImageDecodesToItsValues) {
  VYXPinnedClock clock(1, 1, 2008);
  BigEndianImage img = BigEndianOperationImage();
  Operation op = img.As<Operation>();
  op.Decode(CPMacPowerPCEncoding);

  EXPECT_EQ(kCompteDataMarker, V(op.header.marker));
  EXPECT_EQ(kOperationData, op.header.type);
  EXPECT_EQ(77u, V(op.header.dataID));
  EXPECT_EQ(CPGetDate(1, 2, 2008) + 3600, V(op.header.creation));
  EXPECT_EQ(CPGetDate(10, 3, 2008), V(op.date));
  EXPECT_EQ("Caf\x8E \x88 No\x91l", Text(op.libelle));
  EXPECT_EQ(-1234.56, V(op.montant));
  EXPECT_EQ(-202.3, V(op.montantTva));
  EXPECT_EQ(3, V(op.sousOpsNbr));
  EXPECT_EQ(-5, V(op.categorie));
  EXPECT_EQ(kOpPointee, op.status);
  EXPECT_EQ(0u, V(op.datePointe));
  EXPECT_EQ("12", Text(op.releve));
  EXPECT_EQ(2.5, V(op.quantity));
  EXPECT_EQ(0xA0B0C0D0u, V(op.virementTargetKey));
  EXPECT_EQ(OSType('USD '), V(op.deviseOrigine));
  EXPECT_EQ(99999u, V(op.facture));
  EXPECT_EQ("F-2008-0001", Text(op.noPiece));
  EXPECT_EQ(30, V(op.pourcentagePerso));

  // And the same values encode to exactly that image.
  Operation sample = SampleOperation();
  sample.Encode(CPMacPowerPCEncoding);
  EXPECT_EQ(img.Bytes(), BytesOf(sample));
}

TEST(RecordCodec, WindowsImageHasUnixDatesLatin1TextAndCodesInTextOrder) {
  VYXPinnedClock clock(1, 1, 2008);
  Operation op = SampleOperation();
  op.Encode(CPWindowsEncoding);
  auto bytes = BytesOf(op);
  auto u32le = [&](size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
  };
  EXPECT_EQ(CPGetDate(10, 3, 2008) - kCPSecondsFrom1904To1970, u32le(18));
  EXPECT_EQ(0u, u32le(168));  // no bank date stays 0
  EXPECT_EQ(0xE9, bytes[22 + 4]);  // é in code page 1252
  EXPECT_EQ(0xE0, bytes[22 + 6]);  // à
  EXPECT_EQ(std::string("USD "), std::string(bytes.begin() + 216, bytes.begin() + 220));

  CompteInfos infos;
  infos.devise = 'EUR ';
  for (const CPDataEncoding& e : kEncodings) {
    CompteInfos copy = infos;
    copy.Encode(e);
    auto image = BytesOf(copy);
    EXPECT_EQ("EUR ", std::string(image.begin() + 360, image.begin() + 364)) << Name(e);
    EXPECT_EQ(0u, V(copy.lockDate)) << Name(e);
  }
}

TEST(RecordCodec, ByteSwapLeavesCurrencyCodesAlone) {
  Operation op;
  op.deviseOrigine = 'USD ';
  op.montant = 1.0;
  op.ByteSwap();
  EXPECT_EQ(OSType('USD '), V(op.deviseOrigine));
  EXPECT_NE(1.0, V(op.montant));
  op.ByteSwap();
  EXPECT_EQ(1.0, V(op.montant));

  CompteInfos infos;
  infos.devise = 'GBP ';
  infos.ByteSwap();
  EXPECT_EQ(OSType('GBP '), V(infos.devise));
}

TEST(RecordCodec, DamagedLengthBytesAreCutToTheField) {
  Operation op;
  op.Encode(CPMacIntelEncoding);
  op.noPiece[0] = 200;  // the last text of the record: reading it would leave the record
  op.libelle[0] = 255;
  op.Decode(CPMacIntelEncoding);
  EXPECT_EQ(12, op.noPiece[0]);
  EXPECT_EQ(99, op.libelle[0]);
}

TEST(RecordCodec, RecordDefaults) {
  CompteInfos infos;
  EXPECT_EQ(kCompteInfosData, infos.header.type);
  EXPECT_EQ(0, infos.fileVersion);
  EXPECT_EQ(9, infos.creatorAppVersion);
  EXPECT_EQ(9, infos.modificationAppVersion);
  EXPECT_EQ(1, infos.crypt);
  EXPECT_FALSE(infos.HasPassWord());
  EXPECT_EQ(1, infos.autoGenerate);
  EXPECT_EQ(1, infos.compteTVA);
  EXPECT_EQ(1, infos.compteNoPiece);
  EXPECT_EQ(0, infos.compteTitres);
  EXPECT_EQ(0, infos.typeOfCompte);
  EXPECT_EQ(0.0, MontantSet_Total(infos.total));

  Chequier book;
  EXPECT_EQ(1000000, V(book.first));
  EXPECT_EQ(50, V(book.number));
  EXPECT_EQ(1, V(book.next));

  OperationAuto autoOp;
  EXPECT_EQ(1, V(autoOp.periode));
  EXPECT_EQ(kTimeMonths, autoOp.periodeUnit);
  EXPECT_EQ(0xFFFFFFFFu, V(autoOp.monthFilter));
  EXPECT_EQ(2, V(autoOp.before));
  EXPECT_EQ(kTimeWeeks, autoOp.beforeUnit);
  EXPECT_EQ(0u, V(autoOp.next));

  OpPredefinie pred;
  EXPECT_EQ(1, pred.askForMontant);
  EXPECT_EQ(1, pred.askForDate);
  EXPECT_EQ(kOpEngagee, pred.status);

  Mode mode;
  EXPECT_EQ(std::vector<unsigned char>(sizeof(Mode), 0), BytesOf(mode));
}

}  // namespace
