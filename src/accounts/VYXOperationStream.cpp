#include "accounts/VYXOperationStream.h"

#include <cstring>

#include "accounts/VYXRecordCodec.h"
#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

namespace {

// Writes the items of a record that is already in the file's encoding, so
// every number goes out as it lies in memory.
class ItemWriter {
 public:
  explicit ItemWriter(CPStream& stream) : stream_(stream) {}
  void Long(uint32_t v) { stream_.WriteLong(static_cast<int32_t>(v)); }
  void Short(int16_t v) { stream_.WriteShort(v); }
  void Double(double v) { stream_.WriteDouble(v); }
  void Bool(uint8_t v) { stream_.WriteBool(v != 0); }
  void Text(ConstStringPtr s) { stream_.WriteString(s); }
  void Raw4(uint32_t v) { stream_.WriteData(&v, 4L); }

 private:
  CPStream& stream_;
};

// Reads items as they lie in the stored form; a short read is damage and
// raises. `Source` brings the bytes (a stream); the stored bytes in memory
// have their own reader below.
template <typename Source>
class ItemReader {
 public:
  explicit ItemReader(Source source) : source_(source) {}
  uint32_t Long() { return Get<uint32_t>(); }
  int16_t Short() { return Get<int16_t>(); }
  double Double() { return Get<double>(); }
  uint8_t Bool() { return Get<uint8_t>() != 0 ? 1 : 0; }
  uint32_t Raw4() { return Get<uint32_t>(); }
  // A length-prefixed text into a field of N bytes, cut to its capacity.
  template <size_t N>
  void Text(unsigned char (&field)[N]) {
    unsigned char length = Get<uint8_t>();
    unsigned char kept = length > N - 1 ? N - 1 : length;
    field[0] = kept;
    source_.Bytes(field + 1, kept);
    source_.Skip(length - kept);
  }

 private:
  template <typename T>
  T Get() {
    T v;
    source_.Bytes(&v, sizeof v);
    return v;
  }

  Source source_;
};

class StreamSource {
 public:
  explicit StreamSource(CPStream& stream) : stream_(&stream) {}
  void Bytes(void* p, long n) {
    long count = n;
    stream_->ReadData(p, &count);
    if (count != n) CPThrow(eofErr);
  }
  void Skip(long n) {
    Str255 unused;
    Bytes(unused, n);
  }

 private:
  CPStream* stream_;
};


// The status byte travels as a 16-bit item in the file's byte order.
int16_t StatusItem(OpStatus status, const CPDataEncoding& e) {
  int16_t v = status;
  return CPNeedByteSwapping(e) ? VYXSwapped(v) : v;
}

OpStatus StatusFromItem(int16_t item, const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) item = VYXSwapped(item);
  return static_cast<OpStatus>(item);
}

}  // namespace

void VYXWriteOperation(CPStream& stream, const Operation& source, const CPDataEncoding& e) {
  Operation op = source;
  op.Encode(e);
  ItemWriter w(stream);
  w.Long(op.header.creation);
  w.Long(op.header.modification);
  w.Long(op.header.dataID);
  w.Long(op.date);
  w.Text(op.libelle);
  w.Bool(op.fictive);
  w.Double(op.montant);
  w.Short(op.tva);
  w.Double(op.montantTva);
  w.Short(op.sousOpsNbr);
  w.Double(op.montantSousOp);
  w.Short(op.mode);
  w.Text(op.noCheque);
  w.Short(op.categorie);
  w.Short(static_cast<int16_t>(op.mois));
  w.Short(StatusItem(op.status, e));
  w.Long(op.datePointe);
  w.Text(op.releve);
  w.Bool(op.isATitre);
  w.Short(op.titre);
  w.Double(op.quantity);
  w.Short(op.virementId);
  w.Long(op.virementKey);
  w.Long(op.virementTargetKey);
  w.Short(op.note);
  w.Short(op.pj);
  w.Double(op.montantTvaSousOp);
  w.Short(op.tiers);
  w.Short(op.affaire);
  w.Raw4(op.deviseOrigine);
  w.Double(op.montantOrigine);
  w.Long(op.facture);
  w.Short(op.affectation);
  w.Short(op.automatique);
  w.Text(op.noPiece);
}

// Every field a record has outside its stream is set below: the records start
// from a blank made once, so that reading a table does not ask the clock for
// a date of creation once per record.
namespace {

const Operation& BlankOperation() {
  static const Operation kBlank;
  return kBlank;
}

const SousOperation& BlankSousOperation() {
  static const SousOperation kBlank;
  return kBlank;
}

// Into `op`, which holds the blank.
template <typename Source>
void ReadOperation(ItemReader<Source> r, Operation& op, const CPDataEncoding& e) {
  op.header.creation = r.Long();
  op.header.modification = r.Long();
  op.header.dataID = r.Long();
  op.date = r.Long();
  r.Text(op.libelle);
  op.fictive = r.Bool();
  op.montant = r.Double();
  op.tva = r.Short();
  op.montantTva = r.Double();
  op.sousOpsNbr = r.Short();
  op.montantSousOp = r.Double();
  op.mode = r.Short();
  r.Text(op.noCheque);
  op.categorie = r.Short();
  op.mois = static_cast<CPMonth>(r.Short());
  op.status = StatusFromItem(r.Short(), e);
  op.datePointe = r.Long();
  r.Text(op.releve);
  op.isATitre = r.Bool();
  op.titre = r.Short();
  op.quantity = r.Double();
  op.virementId = r.Short();
  op.virementKey = r.Long();
  op.virementTargetKey = r.Long();
  op.note = r.Short();
  op.pj = r.Short();
  op.montantTvaSousOp = r.Double();
  op.tiers = r.Short();
  op.affaire = r.Short();
  op.deviseOrigine = r.Raw4();
  op.montantOrigine = r.Double();
  op.facture = r.Long();
  op.affectation = r.Short();
  op.automatique = r.Short();
  r.Text(op.noPiece);
  op.Decode(e);
  // What the stream does not carry takes its defaults (Decode swapped them).
  op.header.marker = kCompteDataMarker;
  op.header.type = kOperationData;
  op.header.deleted = 0;
  op.pourcentagePerso = 0;
}

}  // namespace

void VYXWriteSousOperation(CPStream& stream, const SousOperation& source, const CPDataEncoding& e) {
  SousOperation line = source;
  line.Encode(e);
  ItemWriter w(stream);
  w.Long(line.header.creation);
  w.Long(line.header.modification);
  w.Long(line.header.dataID);
  w.Short(static_cast<int16_t>(line.operation));
  w.Text(line.libelle);
  w.Double(line.montant);
  w.Short(line.tva);
  w.Double(line.montantTva);
  w.Short(line.categorie);
  w.Short(static_cast<int16_t>(line.mois));
  w.Bool(line.pieceJointe);
  w.Short(line.tiers);
  w.Short(line.affaire);
  w.Raw4(line.deviseOrigine);
  w.Double(line.montantOrigine);
  w.Short(line.affectation);
  w.Short(line.note);
  w.Short(line.pj);
}

namespace {

template <typename Source>
void ReadSousOperation(ItemReader<Source> r, SousOperation& line, const CPDataEncoding& e) {
  line.header.creation = r.Long();
  line.header.modification = r.Long();
  line.header.dataID = r.Long();
  line.operation = static_cast<uint16_t>(r.Short());
  r.Text(line.libelle);
  line.montant = r.Double();
  line.tva = r.Short();
  line.montantTva = r.Double();
  line.categorie = r.Short();
  line.mois = static_cast<CPMonth>(r.Short());
  line.pieceJointe = r.Bool();
  line.tiers = r.Short();
  line.affaire = r.Short();
  line.deviseOrigine = r.Raw4();
  line.montantOrigine = r.Double();
  line.affectation = r.Short();
  line.note = r.Short();
  line.pj = r.Short();
  line.Decode(e);
  line.header.marker = kCompteDataMarker;
  line.header.type = kSousOperationData;
  line.header.deleted = 0;
  line.pourcentagePerso = 0;
}

// The stored bytes of a table are read in runs: the items between two texts
// have fixed sizes, so each run is checked against the end once and its
// items taken at fixed offsets, where the item reader checks and moves for
// each. The layout is the one ReadOperation and ReadSousOperation read.
class MemoryCursor {
 public:
  MemoryCursor(const void* bytes, uint32_t size)
      : at_(static_cast<const unsigned char*>(bytes)), left_(size) {}
  // The next `n` bytes; raises when fewer are left.
  const unsigned char* Take(uint32_t n) {
    if (n > left_) CPThrow(eofErr);
    const unsigned char* p = at_;
    at_ += n;
    left_ -= n;
    return p;
  }
  // A text into its field, or only stepped over when `kWithText` is false
  // (the field, blank, stays empty).
  template <bool kWithText, size_t N>
  void Text(unsigned char (&field)[N]) {
    unsigned char length = *Take(1);
    const unsigned char* p = Take(length);
    if constexpr (kWithText) {
      unsigned char kept = length > N - 1 ? N - 1 : length;
      field[0] = kept;
      std::memcpy(field + 1, p, kept);
    }
  }

 private:
  const unsigned char* at_;
  uint32_t left_;
};

template <typename T>
T At(const unsigned char* p, size_t offset) {
  T v;
  std::memcpy(&v, p + offset, sizeof v);
  return v;
}

// Into `op`, which holds the blank.
template <bool kWithTexts>
void ReadOperationFrom(MemoryCursor c, Operation& op, const CPDataEncoding& e) {
  const unsigned char* p = c.Take(16);
  op.header.creation = At<uint32_t>(p, 0);
  op.header.modification = At<uint32_t>(p, 4);
  op.header.dataID = At<uint32_t>(p, 8);
  op.date = At<uint32_t>(p, 12);
  c.Text<kWithTexts>(op.libelle);
  p = c.Take(31);
  op.fictive = p[0] != 0 ? 1 : 0;
  op.montant = At<double>(p, 1);
  op.tva = At<int16_t>(p, 9);
  op.montantTva = At<double>(p, 11);
  op.sousOpsNbr = At<int16_t>(p, 19);
  op.montantSousOp = At<double>(p, 21);
  op.mode = At<int16_t>(p, 29);
  c.Text<kWithTexts>(op.noCheque);
  p = c.Take(10);
  op.categorie = At<int16_t>(p, 0);
  op.mois = static_cast<CPMonth>(At<int16_t>(p, 2));
  op.status = StatusFromItem(At<int16_t>(p, 4), e);
  op.datePointe = At<uint32_t>(p, 6);
  c.Text<kWithTexts>(op.releve);
  p = c.Take(57);
  op.isATitre = p[0] != 0 ? 1 : 0;
  op.titre = At<int16_t>(p, 1);
  op.quantity = At<double>(p, 3);
  op.virementId = At<int16_t>(p, 11);
  op.virementKey = At<uint32_t>(p, 13);
  op.virementTargetKey = At<uint32_t>(p, 17);
  op.note = At<int16_t>(p, 21);
  op.pj = At<int16_t>(p, 23);
  op.montantTvaSousOp = At<double>(p, 25);
  op.tiers = At<int16_t>(p, 33);
  op.affaire = At<int16_t>(p, 35);
  op.deviseOrigine = At<uint32_t>(p, 37);
  op.montantOrigine = At<double>(p, 41);
  op.facture = At<uint32_t>(p, 49);
  op.affectation = At<int16_t>(p, 53);
  op.automatique = At<int16_t>(p, 55);
  c.Text<kWithTexts>(op.noPiece);
  op.Decode(e);
  op.header.marker = kCompteDataMarker;
  op.header.type = kOperationData;
  op.header.deleted = 0;
  op.pourcentagePerso = 0;
}

void ReadSousOperationFrom(MemoryCursor c, SousOperation& line, const CPDataEncoding& e) {
  const unsigned char* p = c.Take(14);
  line.header.creation = At<uint32_t>(p, 0);
  line.header.modification = At<uint32_t>(p, 4);
  line.header.dataID = At<uint32_t>(p, 8);
  line.operation = At<uint16_t>(p, 12);
  c.Text<true>(line.libelle);
  p = c.Take(45);
  line.montant = At<double>(p, 0);
  line.tva = At<int16_t>(p, 8);
  line.montantTva = At<double>(p, 10);
  line.categorie = At<int16_t>(p, 18);
  line.mois = static_cast<CPMonth>(At<int16_t>(p, 20));
  line.pieceJointe = p[22] != 0 ? 1 : 0;
  line.tiers = At<int16_t>(p, 23);
  line.affaire = At<int16_t>(p, 25);
  line.deviseOrigine = At<uint32_t>(p, 27);
  line.montantOrigine = At<double>(p, 31);
  line.affectation = At<int16_t>(p, 39);
  line.note = At<int16_t>(p, 41);
  line.pj = At<int16_t>(p, 43);
  line.Decode(e);
  line.header.marker = kCompteDataMarker;
  line.header.type = kSousOperationData;
  line.header.deleted = 0;
  line.pourcentagePerso = 0;
}

}  // namespace

// A stream is read into a copy, so that a short one leaves the output as it
// was. Stored bytes go straight into the output: copying a record that was
// just written field by field would make each wide load of the copy wait
// for the narrow stores before it, which costs more than the decoding.
void VYXReadOperation(CPStream& stream, Operation* op, const CPDataEncoding& e) {
  Operation read = BlankOperation();
  ReadOperation(ItemReader<StreamSource>(StreamSource(stream)), read, e);
  *op = read;
}

void VYXReadOperation(const void* bytes, uint32_t size, Operation* op, const CPDataEncoding& e) {
  *op = BlankOperation();
  ReadOperationFrom<true>(MemoryCursor(bytes, size), *op, e);
}

void VYXReadOperationFigures(const void* bytes, uint32_t size, Operation* op,
                             const CPDataEncoding& e) {
  *op = BlankOperation();
  ReadOperationFrom<false>(MemoryCursor(bytes, size), *op, e);
}

void VYXReadSousOperation(CPStream& stream, SousOperation* line, const CPDataEncoding& e) {
  SousOperation read = BlankSousOperation();
  ReadSousOperation(ItemReader<StreamSource>(StreamSource(stream)), read, e);
  *line = read;
}

void VYXReadSousOperation(const void* bytes, uint32_t size, SousOperation* line,
                          const CPDataEncoding& e) {
  *line = BlankSousOperation();
  ReadSousOperationFrom(MemoryCursor(bytes, size), *line, e);
}
