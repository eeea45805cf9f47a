// A database file in a temporary folder, under a pinned clock, with short ways
// to add and read records through a session. Parameterised by whether the file
// keeps a memory copy, so that both kinds of file run the same tests; the
// memory copy is checked against the file after every test.
#ifndef VYX_TESTS_SIMPLEDB_SDBFILEFIXTURE_H_
#define VYX_TESTS_SIMPLEDB_SDBFILEFIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SDBTestSupport.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "simpledb/CPSimpleDBSession.h"
#include "support/VYXTestSupport.h"

class SDBFileTest : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<CPSimpleDBFile> Make(const CPFileRef& fileRef) const {
    if (GetParam()) return std::make_unique<CPSimpleDBFullMemoryFile>(fileRef);
    return std::make_unique<CPSimpleDBFile>(fileRef);
  }
  std::unique_ptr<CPSimpleDBFile> Create(const CPFileRef& fileRef) {
    auto f = Make(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f->Create('VyxP', 'CPT5', signature, 3, false);
    return f;
  }
  std::unique_ptr<CPSimpleDBFile> Create() { return Create(fileRef_); }
  std::unique_ptr<CPSimpleDBFile> Open(const CPFileRef& fileRef, bool readOnly = false,
                                       uint32_t maxVersion = 10) {
    auto f = Make(fileRef);
    f->Open(maxVersion, false, readOnly);
    return f;
  }
  std::unique_ptr<CPSimpleDBFile> Open(bool readOnly = false) { return Open(fileRef_, readOnly); }

  CPSimpleDBRefnum Add(CPSimpleDBFile& f, uint32_t size, uint32_t seed, OSType type = 'TEST',
                       CPSimpleDBDataInfo* out = nullptr, uint32_t flags = 0) {
    CPSimpleDBSession s(&f);
    CPSimpleDBDataInfo info(type, 'bina', 1);
    info.flags |= flags;
    std::vector<unsigned char> data = SDBBytes(size, seed);
    CPSimpleDBRefnum r = 0;
    s.AddData(&info, CPHostEncoding, data.data(), size, &r);
    if (out) *out = info;
    return r;
  }
  std::vector<unsigned char> ReadID(CPSimpleDBFile& f, CPSimpleDBDataID id) {
    CPSimpleDBSession s(&f);
    CPSimpleDBRefnum r = 0;
    if (!s.GetDataRefnum(id, &r)) return {};
    std::vector<unsigned char> data(s.GetDataSize(r));
    s.GetData(r, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
    return data;
  }
  // Every live record (dataID, type, refnum) as the file's lookups answer.
  static std::vector<CPSimpleDBFileIndexItem> Items(CPSimpleDBFile& f) {
    return f.GetFileIndex().Items();
  }
  static void CheckCopy(CPSimpleDBFile& f) {
    if (auto* m = dynamic_cast<CPSimpleDBFullMemoryFile*>(&f)) m->CheckMemory();
  }
  uint64_t Length() const { return std::filesystem::file_size(fileRef_.Path()); }

  VYXTempDir dir_;
  VYXPinnedClock clock_{15, 3, 2024};
  CPFileRef fileRef_ = dir_.Ref("compte.cpt");
};

#endif  // VYX_TESTS_SIMPLEDB_SDBFILEFIXTURE_H_
