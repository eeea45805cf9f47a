// A record table of fixed-layout records T (for example Operation, 252 bytes).
// Records of another size are refused (1301). By default a record converts
// itself with its own Encode / Decode when it has them, and streams as its
// layout in the stored encoding. Application tables derive from it and
// override the typed hooks to follow the changes of their records.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_T_H_
#define VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_T_H_

#include <cstring>
#include <vector>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBDataHandler.h"
#include "simpledb/CPSimpleDBErrors.h"

template <typename T>
class CPSimpleDBDataHandler_T : public CPSimpleDBDataHandler {
 public:
  CPSimpleDBDataHandler_T(CPSimpleDBDataProvider* provider, CPSimpleDBDataType type,
                          CPSimpleDBDataFormat format = kSDBBinaryFormat, int version = 0)
      : CPSimpleDBDataHandler(provider, type, format, version) {}

  CPDataSize GetLayoutSize() const override { return sizeof(T); }

  using CPSimpleDBDataHandler::AddData;
  using CPSimpleDBDataHandler::DataAdded;
  using CPSimpleDBDataHandler::DataDeleted;
  using CPSimpleDBDataHandler::DataModified;
  using CPSimpleDBDataHandler::DataToStream;
  using CPSimpleDBDataHandler::DecodeData;
  using CPSimpleDBDataHandler::EncodeData;
  using CPSimpleDBDataHandler::GetData;
  using CPSimpleDBDataHandler::ModifyData;
  using CPSimpleDBDataHandler::StreamToData;

  void GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, T* t) {
    GetData(refnum, info, nullptr, t, sizeof(T));
  }
  void AddData(CPSimpleDBDataInfo* info, const CPDataEncoding& encoding, const T& t,
               CPSimpleDBRefnum* refnum, CPSimpleDBDataID dataID = 0, uint32_t fastAdd = 0) {
    AddData(info, encoding, &t, sizeof(T), refnum, dataID, fastAdd);
  }
  void ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, const CPDataEncoding& encoding,
                  const T& t, CPSimpleDBRefnum* newRefnum) {
    ModifyData(refnum, info, encoding, &t, sizeof(T), newRefnum);
  }

  virtual void EncodeData(const CPSimpleDBDataInfo&, T* t, const CPDataEncoding& encoding) {
    if constexpr (requires { t->Encode(encoding); }) t->Encode(encoding);
  }
  virtual void DecodeData(const CPSimpleDBDataInfo&, T* t, const CPDataEncoding& encoding) {
    if constexpr (requires { t->Decode(encoding); }) t->Decode(encoding);
  }
  virtual void DataToStream(const CPSimpleDBDataInfo& info, const T& t,
                            const CPDataEncoding& encoding, CPStream& stream) {
    T copy = t;
    EncodeData(info, &copy, encoding);
    stream.WriteData(&copy, static_cast<long>(sizeof(T)));
  }
  virtual void StreamToData(const CPSimpleDBDataInfo& info, CPStream& stream,
                            const CPDataEncoding& encoding, T* t) {
    stream.ReadData(t, static_cast<long>(sizeof(T)));
    DecodeData(info, t, encoding);
  }

  // Typed hooks: the record as it is (or was) in host form. `flag` is true for
  // changes made through this file's own operations, false for the changes of
  // other stations learnt from the log.
  virtual void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, T&, bool) {}
  virtual void DataModified(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, T&, CPSimpleDBRefnum, T&,
                            bool) {}
  virtual void DataDeleted(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, T&, bool) {}

  // The untyped forms, bound to T.
  void EncodeData(const CPSimpleDBDataInfo& info, void* data, CPDataSize size,
                  const CPDataEncoding& encoding) final {
    CheckSize(size);
    T t;
    std::memcpy(&t, data, sizeof(T));
    EncodeData(info, &t, encoding);
    std::memcpy(data, &t, sizeof(T));
  }
  void DecodeData(const CPSimpleDBDataInfo& info, void* data, CPDataSize size,
                  const CPDataEncoding& encoding) final {
    CheckSize(size);
    T t;
    std::memcpy(&t, data, sizeof(T));
    DecodeData(info, &t, encoding);
    std::memcpy(data, &t, sizeof(T));
  }
  void DataToStream(const CPSimpleDBDataInfo& info, const void* data, CPDataSize size,
                    const CPDataEncoding& encoding, CPStream& stream) final {
    CheckSize(size);
    T t;
    std::memcpy(&t, data, sizeof(T));
    DataToStream(info, t, encoding, stream);
  }
  void StreamToData(const CPSimpleDBDataInfo& info, CPStream& stream,
                    const CPDataEncoding& encoding, std::vector<unsigned char>& out) final {
    T t{};
    StreamToData(info, stream, encoding, &t);
    out.resize(sizeof(T));
    std::memcpy(out.data(), &t, sizeof(T));
  }

  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                 CPDataSize size, bool flag) final {
    T t = Typed(info, data, size);
    DataAdded(info, refnum, t, flag);
  }
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                    CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                    CPDataSize newSize, bool flag) final {
    CPSimpleDBDataInfo oldInfo = info;
    oldInfo.SetEncoding(GetProvider()->GetOldDataEncoding(info));
    T before = Typed(oldInfo, oldData, oldSize), after = Typed(info, newData, newSize);
    DataModified(info, oldRefnum, before, newRefnum, after, flag);
  }
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                   CPDataSize size, bool flag) final {
    T t = Typed(info, data, size);
    DataDeleted(info, refnum, t, flag);
  }

 private:
  T Typed(const CPSimpleDBDataInfo& info, const void* stored, CPDataSize size) {
    std::vector<unsigned char> layout = ToLayout(info, stored, size);
    if (layout.size() != sizeof(T)) CPThrow(kSDBErrBadSize);
    T t;
    std::memcpy(&t, layout.data(), sizeof(T));
    return t;
  }
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBDATAHANDLER_T_H_
