// Helpers for the tests of account records: copies of packed fields, texts in
// and out of length-prefixed fields, and big-endian byte images built by hand.
#ifndef VYX_TESTS_ACCOUNTS_VYXRECORDTESTSUPPORT_H_
#define VYX_TESTS_ACCOUNTS_VYXRECORDTESTSUPPORT_H_

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "accounts/Operation.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"

// Packed fields must be copied before gtest binds them to references.
template <typename T>
T V(T value) {
  return value;
}

template <size_t N>
void SetText(unsigned char (&field)[N], const std::string& text) {
  StdToP(text, field, int(N - 1));
}
inline std::string Text(ConstStringPtr p) { return PToStd(p); }

// Bytes as a record image, written most significant byte first.
class BigEndianImage {
 public:
  explicit BigEndianImage(size_t size = 0) : bytes_(size, 0) {}

  void U8(size_t at, uint8_t v) { Put(at, &v, 1); }
  void U16(size_t at, uint16_t v) { PutBE(at, v, 2); }
  void U32(size_t at, uint32_t v) { PutBE(at, v, 4); }
  void F64(size_t at, double v) { PutBE(at, std::bit_cast<uint64_t>(v), 8); }
  void Str(size_t at, const std::string& s) {
    U8(at, uint8_t(s.size()));
    Put(at + 1, s.data(), s.size());
  }
  void Code(size_t at, const char (&c)[5]) { Put(at, c, 4); }

  // Appending forms, for streams.
  void AddU8(uint8_t v) { U8(bytes_.size(), v); }
  void AddU16(uint16_t v) { U16(bytes_.size(), v); }
  void AddU32(uint32_t v) { U32(bytes_.size(), v); }
  void AddF64(double v) { F64(bytes_.size(), v); }
  void AddStr(const std::string& s) { Str(bytes_.size(), s); }
  void AddCode(const char (&c)[5]) { Code(bytes_.size(), c); }

  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  template <typename T>
  T As() const {
    T record;
    std::memcpy(static_cast<void*>(&record), bytes_.data(), sizeof record);
    return record;
  }

 private:
  void Put(size_t at, const void* p, size_t n) {
    if (bytes_.size() < at + n) bytes_.resize(at + n, 0);
    std::memcpy(bytes_.data() + at, p, n);
  }
  void PutBE(size_t at, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) {
      uint8_t b = uint8_t(v >> (8 * (n - 1 - i)));
      Put(at + size_t(i), &b, 1);
    }
  }

  std::vector<unsigned char> bytes_;
};

// The bytes of a record, to compare two records whole (they have no padding).
template <typename T>
std::vector<unsigned char> BytesOf(const T& record) {
  std::vector<unsigned char> out(sizeof record);
  std::memcpy(out.data(), static_cast<const void*>(&record), sizeof record);
  return out;
}

// An operation with every stored field set, texts in MacRoman.
inline Operation SampleOperation() {
  Operation op;
  op.header.creation = CPGetDate(1, 2, 2008) + 3600;
  op.header.modification = CPGetDate(2, 2, 2008) + 7200;
  op.header.dataID = 77;
  op.date = CPGetDate(10, 3, 2008);
  SetText(op.libelle, "Caf\x8E \x88 No\x91l");  // MacRoman é, à, ë
  op.fictive = 1;
  op.montant = -1234.56;
  op.tva = 2;
  op.montantTva = -202.3;
  op.sousOpsNbr = 3;
  op.montantSousOp = -1000.25;
  op.mode = 4;
  SetText(op.noCheque, "1000042");
  op.categorie = -5;
  op.mois = 3;
  op.status = kOpPointee;
  op.datePointe = 0;  // no date: must stay 0 in every encoding
  SetText(op.releve, "12");
  op.isATitre = 1;
  op.titre = 7;
  op.quantity = 2.5;
  op.virementId = 8;
  op.virementKey = 0x01020304;
  op.virementTargetKey = 0xA0B0C0D0;
  op.note = 9;
  op.pj = 10;
  op.montantTvaSousOp = -150.5;
  op.tiers = 11;
  op.affaire = 12;
  op.deviseOrigine = 'USD ';
  op.montantOrigine = -1500.75;
  op.facture = 99999;
  op.affectation = 13;
  op.automatique = 14;
  SetText(op.noPiece, "F-2008-0001");
  op.pourcentagePerso = 30;
  return op;
}

#endif  // VYX_TESTS_ACCOUNTS_VYXRECORDTESTSUPPORT_H_
