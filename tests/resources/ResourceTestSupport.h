// What the tests of resource sets share: a record type with numbers and text to
// convert, a listener that writes down the 'RSRC' messages it hears, and
// storages built on the patcher that count calls or claim another byte order.
#ifndef VYX_TESTS_RESOURCES_RESOURCETESTSUPPORT_H_
#define VYX_TESTS_RESOURCES_RESOURCETESTSUPPORT_H_

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/CPBroadcaster.h"
#include "foundation/CPDataEncoding.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet.h"
#include "resources/CPResourceStoragePatcher.h"

#pragma pack(push, 1)
// A small record: a kind byte, a 16-bit and a 32-bit number and a text.
struct TestRecord {
  uint8_t kind = 1;
  uint8_t unused = 0;
  int16_t small = 7;
  int32_t big = 100000;
  Str15 text = {};

  void Encode(const CPDataEncoding& e) {
    CPEncodeString(text, 15, kCPMacRoman, e.stringEncoding);
    if (CPNeedByteSwapping(e)) Swap();
  }
  void Decode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) Swap();
    CPDecodeString(text, 15, e);
  }
  void Swap() {
    int16_t s = small;
    int32_t b = big;
    CPSwapField(s);
    CPSwapField(b);
    small = s;
    big = b;
  }
};
#pragma pack(pop)
static_assert(sizeof(TestRecord) == 24);

inline TestRecord MakeRecord(uint8_t kind, int32_t big, const std::string& text = "") {
  TestRecord r;
  r.kind = kind;
  r.big = big;
  StdToP(text, r.text, 15);
  return r;
}

inline CPString P(const std::string& s) { return CPString::FromStd(s); }

inline std::string NameOf(CPResourceSet& set, CPResID id) {
  Str255 name;
  set.GetResourceName(id, name);
  return PToStd(name);
}

// Names in display order ("|" for a separator).
inline std::vector<std::string> DisplayNames(CPResourceSet& set) {
  std::vector<std::string> names;
  for (int32_t n = 1, count = set.GetResourcesCount(); n <= count; ++n) {
    CPResID id = set.GetNthResource(n, true);
    names.push_back(id ? NameOf(set, id) : "|");
  }
  return names;
}

// Writes each 'RSRC' message as "code" or "code:v1" or "code:v1,v2"; how many
// 16-bit values a code carries is set per recorder (two for codes 5 and 6 of a view).
class RSRCLog : public CPListener {
 public:
  explicit RSRCLog(CPBroadcaster& from, bool viewCodes = false) : viewCodes_(viewCodes) {
    from.AddListener(this);
  }
  std::vector<std::string> messages;

  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    EXPECT_EQ(OSType('RSRC'), category);
    std::string m = std::to_string(code);
    int values = 0;
    if (code >= 4 && code <= 7) values = 1;
    if (code == 10 || (viewCodes_ && (code == 5 || code == 6))) values = 2;
    if (values && data) {
      const int16_t* v = static_cast<const int16_t*>(data);
      m += ":" + std::to_string(v[0]);
      if (values == 2) m += "," + std::to_string(v[1]);
    }
    messages.push_back(m);
  }
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(messages);
    return out;
  }

 private:
  bool viewCodes_;
};

// Counts the calls that reach the storage.
class CountingStorage : public CPResourceStoragePatcher {
 public:
  using CPResourceStoragePatcher::CPResourceStoragePatcher;
  int calls = 0;

  bool ResourceExists(CPResourceSetRef ref, CPResID id) override {
    ++calls;
    return CPResourceStoragePatcher::ResourceExists(ref, id);
  }
  uint32_t GetResource(CPResourceSetRef ref, CPResID id, CPDataEncoding* e, void* data,
                       uint32_t size) override {
    ++calls;
    return CPResourceStoragePatcher::GetResource(ref, id, e, data, size);
  }
};

// A storage that takes and gives bodies in big-endian order, as one written by
// another machine would: what sets must convert on the way in and out.
class BigEndianStorage : public CPResourceStoragePatcher {
 public:
  using CPResourceStoragePatcher::CPResourceStoragePatcher;

  void GetEncoding(CPDataEncoding* e) override { *e = CPMacPowerPCEncoding; }
  uint32_t GetResource(CPResourceSetRef ref, CPResID id, CPDataEncoding* e, void* data,
                       uint32_t size) override {
    uint32_t n = CPResourceStoragePatcher::GetResource(ref, id, e, data, size);
    if (e) *e = CPMacPowerPCEncoding;
    return n;
  }
};

#endif  // VYX_TESTS_RESOURCES_RESOURCETESTSUPPORT_H_
