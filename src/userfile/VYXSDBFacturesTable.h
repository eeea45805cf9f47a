// The record table of the user file's sales documents ("FACT", format
// "bina"): one record per document, so that a document and its lines are
// written in one go and a write cut short never leaves half of them. A
// record is the header (270 bytes), the customer's address (314), the
// delivery address (314), the extra texts (288), then each line (172); see
// docs/invoices.md. The header's data identifier is the record's dataID, and
// each line's `facture` repeats it.
//
// The table keeps the list of its records' dataIDs, in ascending order (the
// order documents were made), made again after any change, including those
// of other stations. A session of the file, which must outlive it.
#ifndef VYX_USERFILE_VYXSDBFACTURESTABLE_H_
#define VYX_USERFILE_VYXSDBFACTURESTABLE_H_

#include <vector>

#include "simpledb/CPSimpleDBDataHandler.h"
#include "userfile/Facture.h"

constexpr CPSimpleDBDataType kVYXFacturesTable = 'FACT';

// The stored layout of a document, in host form, and back. False when the
// bytes cannot be one (too short, or not a whole number of lines).
std::vector<unsigned char> VYXFactureToLayout(const Facture& facture);
bool VYXFactureFromLayout(const unsigned char* data, size_t size, Facture* facture);

class VYXSDBFacturesHandler : public CPSimpleDBDataHandler {
 public:
  explicit VYXSDBFacturesHandler(CPSimpleDBDataProvider* provider)
      : CPSimpleDBDataHandler(provider, kVYXFacturesTable, kSDBBinaryFormat) {}

  // The dataIDs of every document, ascending.
  const std::vector<DataID>& List();
  // False when there is no such record; raises when it cannot be read.
  bool Read(DataID dataID, Facture* facture);
  // Stores a new document under a new dataID, which its header and lines
  // receive, and answers it.
  DataID Add(Facture& facture);
  // Rewrites the document `dataID` (its identifiers are set again).
  void Modify(DataID dataID, Facture& facture);
  void Delete(DataID dataID);

  void EncodeData(const CPSimpleDBDataInfo& info, void* data, CPDataSize size,
                  const CPDataEncoding& encoding) override;
  void DecodeData(const CPSimpleDBDataInfo& info, void* data, CPDataSize size,
                  const CPDataEncoding& encoding) override;

  void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                 bool) override {
    stale_ = true;
  }
  void DataDeleted(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                   bool) override {
    stale_ = true;
  }

 private:
  static void Identify(DataID dataID, Facture& facture);

  std::vector<DataID> list_;
  bool stale_ = true;
};

#endif  // VYX_USERFILE_VYXSDBFACTURESTABLE_H_
