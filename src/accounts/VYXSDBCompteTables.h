// The three record tables of an account file: "CPTI" holds the one
// information record as its encoded image ("bina"); "CPTO" the operations and
// "CPTS" the split lines, each in its stream form ("stre", see
// VYXOperationStream.h). The operation and split-line tables keep in memory
// where each record lies (in table order, by key, by operation), filled when
// the file opens and kept current by the change hooks, so that finding an
// operation, the n-th one or the lines of one reads no other record.
// Each table is a session of the file, which must outlive it.
#ifndef VYX_ACCOUNTS_VYXSDBCOMPTETABLES_H_
#define VYX_ACCOUNTS_VYXSDBCOMPTETABLES_H_

#include <unordered_map>
#include <vector>

#include "accounts/CompteInfos.h"
#include "accounts/Operation.h"
#include "accounts/SousOperation.h"
#include "accounts/VYXCompteMessages.h"
#include "simpledb/CPSimpleDBDataHandler_T.h"

constexpr CPSimpleDBDataType kVYXCompteInfosTable = 'CPTI';
constexpr CPSimpleDBDataType kVYXOperationsTable = 'CPTO';
constexpr CPSimpleDBDataType kVYXSousOperationsTable = 'CPTS';

class VYXSDBCompteInfosHandler : public CPSimpleDBDataHandler_T<CompteInfos> {
 public:
  explicit VYXSDBCompteInfosHandler(CPSimpleDBDataProvider* provider)
      : CPSimpleDBDataHandler_T(provider, kVYXCompteInfosTable, kSDBBinaryFormat) {}

  // The first record of the table; false when there is none.
  bool Read(CompteInfos* infos);
  // Rewrites the first record, or adds it when there is none.
  void Write(const CompteInfos& infos);
};

class VYXSDBOperationHandler : public CPSimpleDBDataHandler_T<Operation> {
 public:
  explicit VYXSDBOperationHandler(CPSimpleDBDataProvider* provider)
      : CPSimpleDBDataHandler_T(provider, kVYXOperationsTable, kSDBStreamFormat) {}

  using CPSimpleDBDataHandler_T::DataToStream;
  using CPSimpleDBDataHandler_T::StreamToData;
  void DataToStream(const CPSimpleDBDataInfo& info, const Operation& op,
                    const CPDataEncoding& encoding, CPStream& stream) override;
  void StreamToData(const CPSimpleDBDataInfo& info, CPStream& stream,
                    const CPDataEncoding& encoding, Operation* op) override;

  // Reads a record: the same as GetData, without the copies a table of any
  // layout makes on the way.
  void Read(VYXDataRef ref, Operation* op);
  // An operation from its stored bytes (`info` carries their encoding).
  void Decode(const CPSimpleDBDataInfo& info, const unsigned char* stored, CPDataSize size,
              Operation* op);

  // The list of where each record lies is made by a walk of the file that
  // reads every record anyway (VYXSDBCompte::ScanCompteFile): StartList
  // empties it, then each record of the table, in table order, goes through
  // List, which also decodes it into `op`, all but its texts (left empty):
  // the walk counts and sums, and copying four texts per operation would
  // cost a third of the decoding.
  void StartList();
  void List(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const unsigned char* stored,
            CPDataSize size, Operation* op);
  uint32_t Count() const { return uint32_t(entries_.size()); }
  // The n-th record (from 1), 0 past the end.
  VYXDataRef Nth(uint32_t n) const {
    return n >= 1 && n <= entries_.size() ? entries_[n - 1].refnum : 0;
  }
  // The record after `ref`, 0 after the last or for a reference the table lacks.
  VYXDataRef Next(VYXDataRef ref);
  bool Contains(VYXDataRef ref);
  // The first record (in table order) of that key, 0 when none.
  VYXDataRef Find(DataID key) const;

  using CPSimpleDBDataHandler_T::DataAdded;
  using CPSimpleDBDataHandler_T::DataDeleted;
  using CPSimpleDBDataHandler_T::DataModified;
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, Operation& op,
                 bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, Operation& oldOp,
                    CPSimpleDBRefnum newRefnum, Operation& newOp, bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, Operation& op,
                   bool flag) override;

 private:
  struct Entry {
    CPSimpleDBDataID dbID;
    CPSimpleDBRefnum refnum;
    DataID key;
  };

  // Position in entries_ of the record, entries_.size() when not listed.
  size_t PositionOf(CPSimpleDBRefnum refnum);
  size_t PositionOfID(CPSimpleDBDataID dbID) const;
  void Insert(const Entry& entry);
  void Erase(size_t position);
  void IndexKey(DataID key, CPSimpleDBDataID dbID);
  void UnindexKey(DataID key, CPSimpleDBDataID dbID);

  std::vector<Entry> entries_;  // ascending dbID: the table's order
  // The first record of each key: its dbID, 0 for none. Keys above 16 bits
  // (written by hand into old files) go to the map.
  std::vector<CPSimpleDBDataID> byKey_;
  std::unordered_map<DataID, CPSimpleDBDataID> byLargeKey_;
  size_t cursor_ = 0;  // where the last Next found its record
};

class VYXSDBSousOperationHandler : public CPSimpleDBDataHandler_T<SousOperation> {
 public:
  explicit VYXSDBSousOperationHandler(CPSimpleDBDataProvider* provider)
      : CPSimpleDBDataHandler_T(provider, kVYXSousOperationsTable, kSDBStreamFormat) {}

  using CPSimpleDBDataHandler_T::DataToStream;
  using CPSimpleDBDataHandler_T::StreamToData;
  void DataToStream(const CPSimpleDBDataInfo& info, const SousOperation& line,
                    const CPDataEncoding& encoding, CPStream& stream) override;
  void StreamToData(const CPSimpleDBDataInfo& info, CPStream& stream,
                    const CPDataEncoding& encoding, SousOperation* line) override;

  void Read(VYXDataRef ref, SousOperation* line);
  // A line from its stored bytes (`info` carries their encoding).
  void Decode(const CPSimpleDBDataInfo& info, const unsigned char* stored, CPDataSize size,
              SousOperation* line);

  // Listing, as for the operations: StartList, then List for each line.
  void StartList();
  void List(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const unsigned char* stored,
            CPDataSize size);
  uint32_t Count() const { return count_; }
  // The lines of the operation with that key, in table order; 0 when none.
  VYXDataRef First(DataID opKey) const;
  VYXDataRef Next(DataID opKey, VYXDataRef ref) const;

  using CPSimpleDBDataHandler_T::DataAdded;
  using CPSimpleDBDataHandler_T::DataDeleted;
  using CPSimpleDBDataHandler_T::DataModified;
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, SousOperation& line,
                 bool flag) override;
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum,
                    SousOperation& oldLine, CPSimpleDBRefnum newRefnum, SousOperation& newLine,
                    bool flag) override;
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, SousOperation& line,
                   bool flag) override;

 private:
  struct Entry {
    CPSimpleDBDataID dbID;
    CPSimpleDBRefnum refnum;
  };

  void Insert(uint16_t opKey, const Entry& entry);
  bool Erase(uint16_t opKey, CPSimpleDBDataID dbID);
  void EraseAnywhere(uint16_t opKey, CPSimpleDBDataID dbID);

  // By the low 16 bits of the operation's key, which is all a line keeps.
  std::unordered_map<uint16_t, std::vector<Entry>> byOperation_;
  uint32_t count_ = 0;
};

#endif  // VYX_ACCOUNTS_VYXSDBCOMPTETABLES_H_
