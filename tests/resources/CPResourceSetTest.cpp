#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CPArray_T.h"
#include "foundation/CPErrors.h"
#include "foundation/CPStream.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "resources/CPResourceErrors.h"
#include "resources/CPResourceSetIndex.h"
#include "resources/CPResourceSet_T.h"
#include "resources/CPStreamResourceStorage.h"
#include "resources/ResourceTestSupport.h"
#include "support/VYXTestSupport.h"

namespace {

using Strings = std::vector<std::string>;

class ResourceSet : public ::testing::Test {
 protected:
  void AddNamed(CPResourceSet& set, CPResID id, const std::string& name, const std::string& body = "b") {
    set.AddResource(id, P(name), body.data(), uint32_t(body.size()));
  }
  std::string Body(CPResourceSet& set, CPResID id) {
    std::string body(set.GetResourceSize(id), '\0');
    body.resize(set.GetResource(id, body.data(), uint32_t(body.size())));
    return body;
  }

  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet set_{storage_, 'LIST', kCPVariableSize};
};

TEST_F(ResourceSet, NewNamesAreMadeUnique) {
  struct Case {
    Strings existing;
    std::string added;
    std::string stored;
  };
  std::string long255(255, 'x');
  const Case cases[] = {
      {{}, "Loyer", "Loyer"},
      {{"Loyer"}, "Loyer", "Loyer 1"},
      {{"Loyer", "Loyer 1"}, "Loyer", "Loyer 2"},
      {{"loyer"}, "Loyer", "Loyer 1"},  // namesakes differ only in case
      {{"Loyer 1"}, "Loyer", "Loyer"},
      {{"Loyer", "Loyer 1", "Loyer 2", "Loyer 3", "Loyer 4", "Loyer 5", "Loyer 6", "Loyer 7",
        "Loyer 8", "Loyer 9"},
       "Loyer",
       "Loyer 10"},
      // This storage keeps 99 bytes of a name: the stem leaves room for the counter.
      {{long255}, long255, std::string(94, 'x') + " 1"},
  };
  for (const Case& c : cases) {
    CPHandleStream stream;
    CPStreamResourceStorage storage(stream);
    CPResourceSet set(storage, 'LIST', kCPVariableSize);
    CPResID id = 1;
    for (const std::string& name : c.existing) AddNamed(set, id++, name);
    AddNamed(set, 999, c.added);
    Str255 name;
    set.GetResourceName(999, name);
    EXPECT_EQ(c.stored, PToStd(name)) << c.added;
  }
}

TEST_F(ResourceSet, RenamingAppliesTheUniqueRuleToOtherResourcesOnly) {
  AddNamed(set_, 1, "Loyer");
  AddNamed(set_, 2, "Gaz");
  struct Case {
    CPResID id;
    std::string to;
    std::string stored;
  };
  const Case cases[] = {
      {1, "LOYER", "LOYER"},      // its own name in other letters: kept as typed
      {2, "loyer", "loyer 1"},    // another resource's name
      {2, "Électricité", "Électricité"},
      {1, "electricite", "electricite 1"},
  };
  for (const Case& c : cases) {
    set_.SetResourceName(c.id, P(Utf8ToMacRoman(c.to)));
    EXPECT_EQ(Utf8ToMacRoman(c.stored), NameOf(set_, c.id)) << c.to;
  }
}

TEST_F(ResourceSet, EveryChangeIsAnnounced) {
  RSRCLog log(set_);
  AddNamed(set_, 5, "a");
  AddNamed(set_, -3, "b");
  set_.SetResource(5, "xyz", 3);
  set_.SetResourceName(5, P("c"));
  set_.SetResourceName(5, P("c"));  // no change, no message
  set_.RemoveResource(5);           // storage order: -3, 5
  EXPECT_EQ((Strings{"4:5", "4:-3", "5:5", "6:5", "7:2"}), log.Take());
  EXPECT_TRUE(set_.IsDirty());
  set_.SetDirty(false);
  CPHandleStream copy;
  set_.PutTo(copy, CPHostEncoding);
  EXPECT_TRUE(set_.IsDirty());
  copy.SetMarker(0, kCPFromStart);
  set_.GetFrom(copy, CPHostEncoding);
  EXPECT_EQ((Strings{"2", "5:-3", "3"}), log.Take());
}

TEST_F(ResourceSet, ForgivingReadsAnswerFalse) {
  CountingStorage counting(storage_);
  CPResourceSet set(counting, 'LIST', kCPVariableSize);
  AddNamed(set, 4, "Loyer", "body");
  char buffer[8] = {};
  counting.calls = 0;
  EXPECT_FALSE(set.ReadResource(0, buffer, 8));
  EXPECT_EQ(0, counting.calls);  // ID 0 never reaches the storage
  EXPECT_FALSE(set.ReadResource(5, buffer, 8));
  CPResID id = 0;
  EXPECT_FALSE(set.ReadResource(P("Gaz"), &id, buffer, 8));
  EXPECT_EQ(0, id);
  EXPECT_TRUE(set.ReadResource(P("loyer"), &id, buffer, 8));
  EXPECT_EQ(4, id);
  EXPECT_EQ("body", std::string(buffer, 4));
  Handle h = nullptr;
  ASSERT_TRUE(set.ReadResource(4, &h));
  EXPECT_EQ(4u, GetHandleSize(h));
  DisposeHandle(h);
  EXPECT_CP_CODE(kCPErrNotFound, set.GetResource(5, buffer, 8));
  EXPECT_CP_CODE(kCPErrNotFound, set.GetResourceIndex(5));
  EXPECT_CP_CODE(kCPErrNotFound, set.GetNthResource(2, true));
}

TEST_F(ResourceSet, WriteResourceAddsOrReplacesAndRenames) {
  EXPECT_TRUE(set_.WriteResource(3, P("Loyer"), "one", 3));
  EXPECT_TRUE(set_.WriteResource(3, P("LOYER"), "two", 3));
  EXPECT_EQ("two", Body(set_, 3));
  EXPECT_EQ("Loyer", NameOf(set_, 3));  // same name but for case: not renamed
  EXPECT_TRUE(set_.WriteResource(3, P("Gaz"), "three", 5));
  EXPECT_EQ("Gaz", NameOf(set_, 3));
  EXPECT_FALSE(set_.WriteResource(0, P("zero"), "x", 1));  // refused, not raised
}

TEST_F(ResourceSet, FixedSizeReadsAreClippedToTheRecordSize) {
  CPResourceSet fixed(storage_, 'FIXD', 4);
  fixed.AddResource(1, P("a"), "abcdefgh", 8);
  char buffer[8] = {};
  EXPECT_EQ(4u, fixed.GetResource(1, buffer, 8));
  EXPECT_EQ(4u, fixed.GetDefaultSize());
  fixed.AddResource(2, P("b"), "wxyz", kCPVariableSize);  // stands for the record size
  EXPECT_EQ(4u, fixed.GetResourceSize(2));
}

class StreamForm : public ResourceSet {
 protected:
  // A stream of the set form made by hand: version, count, size, entries.
  struct Entry {
    CPResID id;
    std::string name, body;
  };
  static CPHandleStream* Make(int16_t count, const std::vector<Entry>& entries, uint32_t version = 1) {
    auto* s = new CPHandleStream;
    s->WriteLong(int32_t(version));
    s->WriteShort(count);
    s->WriteLong(0);
    for (const Entry& e : entries) {
      s->WriteLong(int32_t(e.body.size()));
      s->WriteShort(e.id);
      s->WriteString(P(e.name));
      s->WriteData(e.body.data(), long(e.body.size()));
    }
    s->SetMarker(0, kCPFromStart);
    return s;
  }
};

TEST_F(StreamForm, ASetSurvivesItsStreamForm) {
  AddNamed(set_, 9, "Loyer", "rent");
  AddNamed(set_, -2, "Gaz", "");
  AddNamed(set_, 300, Utf8ToMacRoman("Électricité"), std::string(1000, 'e'));
  CPHandleStream s;
  set_.PutTo(s, CPHostEncoding);

  CPHandleStream other;
  CPStreamResourceStorage storage(other);
  CPResourceSet copy(storage, 'LIST', kCPVariableSize);
  s.SetMarker(0, kCPFromStart);
  copy.GetFrom(s, CPHostEncoding);
  EXPECT_EQ(3, copy.GetResourcesCount());
  EXPECT_EQ("rent", Body(copy, 9));
  EXPECT_EQ("", Body(copy, -2));
  EXPECT_EQ(std::string(1000, 'e'), Body(copy, 300));
  EXPECT_EQ(Utf8ToMacRoman("Électricité"), NameOf(copy, 300));
}

TEST_F(StreamForm, BigEndianFormSwapsNumbersAndRecords) {
  CPResourceSet_T<TestRecord> set(storage_, 'RECS');
  set.AddResource(0x0102, P("r"), MakeRecord(3, 0x01020304, "t"));
  CPHandleStream s;
  set.PutTo(s, CPMacPowerPCEncoding);
  const unsigned char* p = s.Data();
  const unsigned char expectHead[] = {0, 0, 0, 1, 0, 1, 0, 0, 0, 24,  // version, count, size
                                      0, 0, 0, 24, 1, 2, 1, 'r'};      // length, ID, name
  ASSERT_GE(s.GetLength(), sizeof expectHead + 24);
  EXPECT_EQ(0, std::memcmp(p, expectHead, sizeof expectHead));
  const unsigned char* body = p + sizeof expectHead;
  EXPECT_EQ(3, body[0]);
  EXPECT_EQ(0, std::memcmp(body + 4, "\x01\x02\x03\x04", 4));

  CPHandleStream other;
  CPStreamResourceStorage storage(other);
  CPResourceSet_T<TestRecord> copy(storage, 'RECS');
  s.SetMarker(0, kCPFromStart);
  copy.GetFrom(s, CPMacPowerPCEncoding);
  TestRecord r;
  copy.GetResource(0x0102, &r);
  EXPECT_EQ(0x01020304, int32_t(r.big));
  EXPECT_EQ(7, int16_t(r.small));
}

TEST_F(StreamForm, EntriesWithIDZeroAreSkipped) {
  std::unique_ptr<CPHandleStream> s(Make(3, {{1, "a", "x"}, {0, "sep", ""}, {2, "b", "y"}}));
  set_.GetFrom(*s, CPHostEncoding);
  EXPECT_EQ(2, set_.GetResourcesCount());
  EXPECT_EQ("y", Body(set_, 2));
}

TEST_F(StreamForm, ReadingReplacesExistingResources) {
  AddNamed(set_, 1, "old", "old body");
  std::unique_ptr<CPHandleStream> s(Make(1, {{1, "new", "new body"}}));
  set_.GetFrom(*s, CPHostEncoding);
  EXPECT_EQ("new body", Body(set_, 1));
  EXPECT_EQ("new", NameOf(set_, 1));
}

TEST_F(StreamForm, AStreamEndingBetweenResourcesIsComplete) {
  // Older writers counted a separator they did not write.
  std::unique_ptr<CPHandleStream> s(Make(3, {{1, "a", "x"}, {2, "b", "y"}}));
  RSRCLog log(set_);
  set_.GetFrom(*s, CPHostEncoding);
  EXPECT_EQ(2, set_.GetResourcesCount());
  EXPECT_EQ((Strings{"2", "4:1", "4:2", "3"}), log.Take());
}

TEST_F(StreamForm, ATruncatedEntryRaisesAfterKeepingWhatWasRead) {
  std::unique_ptr<CPHandleStream> s(Make(2, {{1, "a", "x"}, {2, "b", "yyyyyyyy"}}));
  s->SetLength(s->GetLength() - 3);
  RSRCLog log(set_);
  EXPECT_CP_CODE(eofErr, set_.GetFrom(*s, CPHostEncoding));
  EXPECT_EQ((Strings{"2", "4:1", "3"}), log.Take());
  EXPECT_TRUE(set_.ResourceExists(1));
  EXPECT_FALSE(set_.ResourceExists(2));
}

TEST_F(StreamForm, ANewerVersionIsRefusedBeforeAnythingChanges) {
  std::unique_ptr<CPHandleStream> s(Make(1, {{1, "a", "x"}}, 2));
  RSRCLog log(set_);
  EXPECT_CP_CODE(kCPErrNewerVersion, set_.GetFrom(*s, CPHostEncoding));
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(0, set_.GetResourcesCount());
}

TEST_F(StreamForm, AnImpossibleLengthIsDamageNotAnAllocation) {
  CPHandleStream s;
  s.WriteLong(1);
  s.WriteShort(1);
  s.WriteLong(0);
  s.WriteLong(int32_t(0x7FFFFFF0));
  s.WriteShort(1);
  s.WriteString(P("a"));
  s.SetMarker(0, kCPFromStart);
  EXPECT_CP_CODE(eofErr, set_.GetFrom(s, CPHostEncoding));
}

TEST_F(ResourceSet, CopyingKeepsIDsOrMatchesNames) {
  AddNamed(set_, 1, "Loyer", "rent");
  AddNamed(set_, 2, "Gaz", "gas");
  CPHandleStream other;
  CPStreamResourceStorage storage(other);

  CPResourceSet byID(storage, 'BYID', kCPVariableSize);
  AddNamed(byID, 2, "ancien", "old");
  set_.CopyResources(&byID);
  EXPECT_EQ(2, byID.GetResourcesCount());
  EXPECT_EQ("gas", Body(byID, 2));
  EXPECT_EQ("Gaz", NameOf(byID, 2));

  CPResourceSet one(storage, 'ONE ', kCPVariableSize);
  set_.CopyResource(1, &one);
  set_.CopyResource(1, &one);  // a second copy replaces the first
  EXPECT_EQ(1, one.GetResourcesCount());
  EXPECT_EQ("rent", Body(one, 1));

  struct Case {
    bool makeUnique, replace;
    Strings names;
    std::string gazBody;
  };
  const Case cases[] = {
      {false, false, {"GAZ", "Loyer"}, "mine"},
      {false, true, {"GAZ", "Loyer"}, "gas"},
      {true, false, {"GAZ", "Loyer", "Gaz 1"}, "mine"},
  };
  ResType type = 'BYN1';
  for (const Case& c : cases) {
    CPResourceSet dest(storage, type++, kCPVariableSize);
    AddNamed(dest, 2, "GAZ", "mine");
    set_.CopyResourcesByName(&dest, c.makeUnique, c.replace);
    Strings names;
    for (int32_t n = 1; n <= dest.GetResourcesCount(); ++n) names.push_back(NameOf(dest, dest.GetNthResource(n, true)));
    std::sort(names.begin(), names.end());
    Strings expected = c.names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names) << c.makeUnique << c.replace;
    EXPECT_EQ(c.gazBody, Body(dest, 2));
  }
}

TEST_F(ResourceSet, ArraysAreKeptAsOneResource) {
  CPArray_T<CPHierResourceItem> items;
  for (CPResID id : {CPResID(3), CPResID(-7), CPResID(0)}) {
    CPHierResourceItem item;
    item.id = id;
    items.Add(item);
  }
  ASSERT_TRUE(set_.SaveArray(1000, P("Ordre"), items, CPHierResourceItem::Code));
  EXPECT_EQ(24u, set_.GetResourceSize(1000));
  CPArray_T<CPHierResourceItem> loaded;
  loaded.Add(CPHierResourceItem());
  ASSERT_TRUE(set_.LoadArray(1000, loaded, CPHierResourceItem::Code));
  ASSERT_EQ(3, loaded.Count());
  EXPECT_EQ(-7, loaded[1].id);
  EXPECT_FALSE(set_.LoadArray(1001, loaded));
  EXPECT_EQ(0, loaded.Count());  // emptied even when there is nothing to load
  EXPECT_FALSE(set_.LoadArray(0, loaded));
}

TEST_F(ResourceSet, ArraysAndRecordsAreConvertedForAStorageOfAnotherByteOrder) {
  BigEndianStorage bigEndian(storage_);
  CPResourceSet_T<TestRecord> records(bigEndian, 'RECS');
  records.AddResource(1, P("r"), MakeRecord(2, 0x0A0B0C0D));
  unsigned char raw[24];
  ASSERT_EQ(24u, storage_.GetResource('RECS', 1, nullptr, raw, 24));
  EXPECT_EQ(0, std::memcmp(raw + 4, "\x0A\x0B\x0C\x0D", 4));  // stored big-endian
  TestRecord r;
  records.GetResource(1, &r);
  EXPECT_EQ(0x0A0B0C0D, int32_t(r.big));

  CPResourceSet index(bigEndian, 'HIER', kCPVariableSize);
  CPArray_T<CPHierResourceItem> items;
  CPHierResourceItem item;
  item.level = 1;
  item.id = 0x0102;
  item.word = 100;
  items.Add(item);
  index.SaveArray(5, P("o"), items, CPHierResourceItem::Code);
  ASSERT_EQ(8u, storage_.GetResource('HIER', 5, nullptr, raw, 8));
  const unsigned char stored[] = {0, 1, 1, 2, 0, 0, 0, 100};  // level and 0 swapped as one word
  EXPECT_EQ(0, std::memcmp(raw, stored, 8));
  CPArray_T<CPHierResourceItem> loaded;
  index.LoadArray(5, loaded, CPHierResourceItem::Code);
  EXPECT_EQ(1, loaded[0].level);
  EXPECT_EQ(0x0102, loaded[0].id);
  EXPECT_EQ(100u, loaded[0].word);
}

TEST_F(ResourceSet, TypedSetsStartFromTheDefaultRecord) {
  CPResourceSet_T<TestRecord> records(storage_, 'RECS');
  EXPECT_EQ(24u, records.GetResourceSize());
  // A body shorter than the record (written by an older version) reads with defaults after it.
  records.CPResourceSet::AddResource(1, P("court"), "\x05\x00", 2);
  TestRecord r;
  records.GetResource(1, &r);
  EXPECT_EQ(5, r.kind);
  EXPECT_EQ(7, int16_t(r.small));
  EXPECT_EQ(100000, int32_t(r.big));
  EXPECT_FALSE(records.ReadResource(0, &r));
  EXPECT_FALSE(records.ReadResource(P("absent"), nullptr, &r));
  EXPECT_TRUE(records.WriteResource(2, P("w"), MakeRecord(9, 1)));
  EXPECT_TRUE(records.ReadResource(P("W"), nullptr, &r));
  EXPECT_EQ(9, r.kind);
}

// An editor that accepts after renaming and changing the record, or refuses.
class EditedSet : public CPResourceSet_T<TestRecord> {
 public:
  using CPResourceSet_T::CPResourceSet_T;
  using CPResourceSet_T::EditResource;
  bool accept = true;
  bool EditResource(StringPtr name, TestRecord* r) override {
    if (!accept) return false;
    r->big = int32_t(r->big) + 1;
    if (name[0] == 0) StdToP("édité", name);
    return true;
  }
};

TEST_F(ResourceSet, InteractiveOperationsGoThroughTheEditor) {
  CPClock::PinTicks(500, 0);
  EditedSet set(storage_, 'EDIT');
  CPResID newID = 0;
  int32_t index = -1;
  Str255 name;
  StdToP("Loyer", name);
  ASSERT_TRUE(set.AddNewResource(&newID, name, &index));
  EXPECT_EQ(500, newID);
  TestRecord r;
  set.GetResource(newID, &r);
  EXPECT_EQ(100001, int32_t(r.big));

  StdToP("Loyer", name);
  CPResID copyID = 0;
  ASSERT_TRUE(set.DuplicateResource(newID, name, true, &copyID, &index));
  EXPECT_EQ("Loyer 1", NameOf(set, copyID));
  set.GetResource(copyID, &r);
  EXPECT_EQ(100002, int32_t(r.big));

  set.accept = false;
  StdToP("Refusé", name);
  EXPECT_FALSE(set.AddNewResource(&newID, name, &index));
  EXPECT_EQ(2, set.GetResourcesCount());
  EXPECT_FALSE(set.ModifyResource(copyID, name, &index));
  EXPECT_FALSE(set.ModifyResource(12345, name, &index));

  CPScriptedInteraction user;
  user.PushNo();
  user.PushYes();
  EXPECT_FALSE(set.RenameResource(copyID, P("Charges")));
  EXPECT_EQ("Loyer 1", NameOf(set, copyID));
  EXPECT_TRUE(set.RenameResource(copyID, P("Charges")));
  EXPECT_EQ("Charges", NameOf(set, copyID));
  ASSERT_EQ(2u, user.Questions().size());
  EXPECT_NE(std::string::npos, user.Questions()[0].find("Loyer 1"));
}

TEST_F(ResourceSet, AnUntypedSetCannotEditSoItAddsNothingInteractively) {
  CPResID id = 0;
  int32_t index = 0;
  Str255 name;
  set_.GetNewResourceName(name);
  EXPECT_FALSE(name[0] == 0);
  EXPECT_FALSE(set_.AddNewResource(&id, name, &index));
  EXPECT_EQ(0, set_.GetResourcesCount());
}

}  // namespace
