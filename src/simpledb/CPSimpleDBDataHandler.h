// A record table: the records of one type of a SimpleDB file, handed to its
// callers in their in-memory layout and stored in one of two forms:
//  - "bina": the layout itself, converted field by field to the encoding the
//    record's flags give (EncodeData / DecodeData);
//  - "stre": a stream form written and read by the record type itself
//    (DataToStream / StreamToData), for records whose layout changes.
// A handler is a session of its provider, registered as the table of its
// type; it hears of the changes to records of that type made through any
// session, including those other stations made to a shared file.
// CPSimpleDBDataHandler_T<T> binds a table to a fixed layout T.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_H_
#define VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_H_

#include <vector>

#include "foundation/CPStream.h"
#include "simpledb/CPSimpleDBSession.h"

constexpr OSType kSDBStreamFormat = CPFourCC("stre");

class CPSimpleDBDataHandler : public CPSimpleDBSession {
 public:
  CPSimpleDBDataHandler(CPSimpleDBDataProvider* provider, CPSimpleDBDataType type,
                        CPSimpleDBDataFormat format = kSDBBinaryFormat, int version = 0);
  ~CPSimpleDBDataHandler() override;

  CPSimpleDBDataType GetType() const { return type_; }
  CPSimpleDBDataFormat GetFormat() const { return format_; }
  int GetVersion() const { return version_; }
  // The information of a new record of this table: type, format, version.
  CPSimpleDBDataInfo NewInfo() const { return CPSimpleDBDataInfo(type_, format_, version_); }
  // Adds or removes this table from the provider's handlers.
  void Register();
  void Unregister();

  using CPSimpleDBSession::GetFirstData;
  using CPSimpleDBSession::GetNextData;
  // The records of this table (its type), in the provider's order.
  virtual bool GetFirstData(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);
  virtual bool GetNextData(CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum);

  virtual bool IsStreamed(const CPSimpleDBDataInfo& info) const {
    return info.format == kSDBStreamFormat;
  }
  // Bytes of the in-memory layout, 0 when records of the table vary in size.
  virtual CPDataSize GetLayoutSize() const { return 0; }
  // The stream form. Without a form of its own, a record streams as its bytes.
  virtual void DataToStream(const CPSimpleDBDataInfo& info, const void* data, CPDataSize size,
                            const CPDataEncoding& encoding, CPStream& stream);
  // Reads the stream form into `out`, the layout (grown to its size).
  virtual void StreamToData(const CPSimpleDBDataInfo& info, CPStream& stream,
                            const CPDataEncoding& encoding, std::vector<unsigned char>& out);
  // Converts the layout in place, from host form to `encoding` and back.
  // Without fields to convert, nothing changes.
  virtual void EncodeData(const CPSimpleDBDataInfo&, void*, CPDataSize, const CPDataEncoding&) {}
  virtual void DecodeData(const CPSimpleDBDataInfo&, void*, CPDataSize, const CPDataEncoding&) {}

  // Sizes, reads and writes in the layout: `encoding` on a write is the one to
  // store in, on a read the one the record was stored in.
  CPDataSize GetDataSize(CPSimpleDBRefnum refnum) override;
  void GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, CPDataEncoding* encoding,
               void* data, CPDataSize size) override;
  void AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding, const void* data,
               CPDataSize size, CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID = 0,
               uint32_t fastAdd = 0) override;
  void ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                  const void* data, CPDataSize size, CPSimpleDBRefnum* newRefnum) override;
  bool IsConcerned(const CPSimpleDBDataInfo& info) const override { return info.type == type_; }

  // The layout of a record from its stored bytes, `info` carrying the
  // encoding bits of those bytes (as the change hooks receive it).
  std::vector<unsigned char> ToLayout(const CPSimpleDBDataInfo& info, const void* stored,
                                      CPDataSize size);

 protected:
  // The stored bytes of a layout, in `encoding`.
  std::vector<unsigned char> ToStored(const CPSimpleDBDataInfo& info, const void* data,
                                      CPDataSize size, const CPDataEncoding& encoding);
  // 1301 unless `size` fits the layout.
  void CheckSize(CPDataSize size) const;

 private:
  CPSimpleDBDataType type_;
  CPSimpleDBDataFormat format_;
  int version_;
  bool registered_ = false;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_H_
