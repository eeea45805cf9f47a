#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPFileStream.h"
#include "foundation/CPTextEncoding.h"
#include "resources/CPHierarchicResourceSet.h"
#include "resources/CPResourceSetArray_T.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPSortedResourceSet.h"
#include "resources/CPStreamResourceStorage.h"
#include "resources/ResourceTestSupport.h"
#include "support/VYXTestSupport.h"

namespace {

using Strings = std::vector<std::string>;
using Records = CPSortableResourceSet_T<TestRecord>;
using Groups = CPHierResourceSet_T<TestRecord>;

// Names are written here in UTF-8 and kept in MacRoman.
void Add(CPResourceSet_T<TestRecord>& set, CPResID id, const std::string& name, int32_t big = 0) {
  set.AddResource(id, P(Utf8ToMacRoman(name)), MakeRecord(1, big));
}

Strings Utf8(const Strings& macRoman) {
  Strings out;
  for (const std::string& s : macRoman) out.push_back(MacRomanToUtf8(s));
  return out;
}

// Two-level display: "name" for a resource, "  name" for a sub-resource.
Strings TwoLevel(CPResourceSet& set) {
  Strings out;
  CPResourceSet* subs = set.GetSubResources();
  for (int32_t n = 1, count = set.GetResourcesCount(true); n <= count; ++n) {
    bool isSub = false;
    CPResID id = set.GetNthResource(n, true, &isSub);
    out.push_back(isSub ? "  " + NameOf(*subs, id) : NameOf(set, id));
  }
  return Utf8(out);
}

// The raw items of an order, "|" for the separator.
Strings Items(CPResourceSet& set) {
  auto* index = dynamic_cast<CPSortableResourceIndex*>(set.GetIndex());
  Strings out;
  for (const CPHierResourceItem& item : *index) {
    if (item.IsSeparator()) {
      out.push_back("|");
    } else if (item.level == 1) {
      out.push_back("  " + NameOf(*set.GetSubResources(), item.id));
    } else {
      out.push_back(NameOf(set, item.id));
    }
  }
  return Utf8(out);
}

class Indexes : public ::testing::Test {
 protected:
  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet orders_{storage_, 'HIER', kCPVariableSize};
};

TEST_F(Indexes, ASortableSetKeepsTheOrderResourcesCameIn) {
  Records set(storage_, 'CATE', orders_, 1001);
  Add(set, 30, "Loyer");
  Add(set, -4, "Alimentation");
  Add(set, 7, "Gaz");
  EXPECT_EQ((Strings{"Loyer", "Alimentation", "Gaz"}), DisplayNames(set));
  EXPECT_EQ(2, set.GetResourceIndex(-4));
  EXPECT_EQ(-4, set.GetNthResource(1, false));  // the storage's own order
  EXPECT_FALSE(set.IsSorted());

  RSRCLog log(set);
  set.StartMovingResources();
  EXPECT_TRUE(set.MoveResourceTo(3, 1));
  set.EndMovingResources();
  EXPECT_EQ((Strings{"Gaz", "Loyer", "Alimentation"}), DisplayNames(set));
  set.SortResources();
  EXPECT_EQ((Strings{"Alimentation", "Gaz", "Loyer"}), DisplayNames(set));
  EXPECT_TRUE(set.IsSorted());
  set.RemoveResource(7);
  EXPECT_EQ((Strings{"8", "10:3,1", "9", "11", "7:2"}), log.Take());
}

TEST_F(Indexes, MovesFollowTheIndexRules) {
  Records set(storage_, 'CATE', orders_, 1001);
  Add(set, 1, "a");
  Add(set, 2, "b");
  Add(set, 3, "c");
  struct Case {
    int32_t from, to;
    bool moved;
    Strings after;
  };
  const Case cases[] = {
      {1, 1, false, {"a", "b", "c"}},  // onto itself
      {1, 9, true, {"b", "c", "a"}},   // clipped to the count
      {3, 2, true, {"b", "a", "c"}},
      {0, 1, false, {"b", "a", "c"}},
      {4, 1, false, {"b", "a", "c"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.moved, set.MoveResourceTo(c.from, c.to)) << c.from << "->" << c.to;
    EXPECT_EQ(c.after, DisplayNames(set)) << c.from << "->" << c.to;
  }
  CPResourceSet plain(storage_, 'PLAI', kCPVariableSize);
  EXPECT_FALSE(plain.CanMoveResource());
  EXPECT_FALSE(plain.MoveResourceTo(1, 2));
}

TEST_F(Indexes, TheSavedOrderIsRebuiltAgainstTheStorage) {
  {
    Records set(storage_, 'CATE', orders_, 1001);
    Add(set, 1, "a");
    Add(set, 2, "b");
    Add(set, 3, "c");
    set.MoveResourceTo(1, 3);
    set.SaveIndex();
  }
  EXPECT_TRUE(orders_.ResourceExists(1001));
  EXPECT_EQ(24u, orders_.GetResourceSize(1001));
  // Behind the sets' backs: one resource goes, another comes.
  storage_.RemoveResource('CATE', 2);
  storage_.AddResource('CATE', -9, CPHostEncoding, P("z"), "", 0, nullptr);
  Records set(storage_, 'CATE', orders_, 1001);
  EXPECT_EQ((Strings{"c", "a", "z"}), DisplayNames(set));
}

TEST_F(Indexes, ACheckRebuildsWhenTheCountsDisagree) {
  Records set(storage_, 'CATE', orders_, 1001);
  Add(set, 1, "a");
  Add(set, 2, "b");
  storage_.AddResource('CATE', 3, CPHostEncoding, P("c"), "", 0, nullptr);
  EXPECT_EQ(3, set.GetResourcesCount());
  EXPECT_EQ(3, set.GetResourceIndex(3));
  storage_.RemoveResource('CATE', 1);
  EXPECT_EQ((Strings{"b", "c"}), DisplayNames(set));
}

class Hierarchy : public Indexes {
 protected:
  void SetUp() override {
    Add(cats_, 11, "Loyer");
    Add(cats_, 12, "Gaz");
    Add(cats_, 13, "Cinéma");
    Add(cats_, 14, "Divers");
    Add(posts_, 1, "Maison");
    Add(posts_, 2, "Loisirs");
    posts_.SetSubResources(&cats_);
    posts_.SetSupResourceID(11, 1);
    posts_.SetSupResourceID(12, 1);
    posts_.SetSupResourceID(13, 2);
  }
  Records cats_{storage_, 'CATE', orders_, 1001};
  Groups posts_{storage_, 'PBDG', orders_, 1003};
};

TEST_F(Hierarchy, SubResourcesAreFiledUnderTheirResources) {
  EXPECT_EQ((Strings{"Maison", "  Loyer", "  Gaz", "Loisirs", "  Cinéma", "|", "  Divers"}), Items(posts_));
  EXPECT_EQ((Strings{"Maison", "  Loyer", "  Gaz", "Loisirs", "  Cinéma"}), TwoLevel(posts_));
  EXPECT_EQ(2, posts_.GetResourcesCount());
  EXPECT_EQ(5, posts_.GetResourcesCount(true));
  EXPECT_CP_CODE(kCPErrNotFound, posts_.GetNthResource(6, true, nullptr));
  EXPECT_EQ(2, posts_.GetSubResourcesCount(1));
  EXPECT_EQ(12, posts_.GetNthSubResource(1, 2));
  CPResID sub = 0;
  EXPECT_EQ(3, posts_.GetSubResourceIndex(1, 2, &sub));
  EXPECT_EQ(12, sub);
  int32_t n = 0;
  EXPECT_EQ(2, posts_.GetSupResourceID(13, &n));
  EXPECT_EQ(1, n);
  EXPECT_EQ(2, posts_.GetSupResourceIndex(13));
  EXPECT_EQ(0, posts_.GetSupResourceID(14));  // under nothing
  CPResID sup = 0;
  EXPECT_EQ(5, posts_.GetSubResourceIndex(13, &sup));
  EXPECT_EQ(2, sup);
  EXPECT_EQ(4, posts_.GetResourceIndex(2, true));
  EXPECT_EQ(2, posts_.GetResourceIndex(2));
  EXPECT_CP_CODE(kCPErrNotFound, posts_.SetSupResourceID(14, 99));
}

TEST_F(Hierarchy, ANewResourceLandsAboveTheSeparator) {
  int32_t index = 0;
  posts_.AddResource(3, P("Voiture"), MakeRecord(1, 0), &index);
  EXPECT_EQ(3, index);
  EXPECT_EQ((Strings{"Maison", "  Loyer", "  Gaz", "Loisirs", "  Cinéma", "Voiture", "|", "  Divers"}),
            Items(posts_));
}

TEST_F(Hierarchy, ASortableOrderHoldingASeparatorAddsAboveIt) {
  // A sortable order rebuilt from storage holds no separator; one put there by
  // its owner takes new resources just above it.
  auto* order = dynamic_cast<CPSortableResourceIndex*>(cats_.GetIndex());
  order->InsertAt(2, CPHierResourceItem());
  int32_t index = 0;
  cats_.AddResource(15, P(Utf8ToMacRoman("Impôts")), MakeRecord(1, 0), &index);
  EXPECT_EQ(3, index);
  EXPECT_EQ((Strings{"Loyer", "Gaz", "Impôts", "|", "Cinéma", "Divers"}), Items(cats_));
}

TEST_F(Hierarchy, RemovingAResourceLeavesItsSubResourcesUnderNothing) {
  posts_.RemoveResource(1);
  EXPECT_EQ((Strings{"Loisirs", "  Cinéma", "|", "  Divers", "  Loyer", "  Gaz"}), Items(posts_));
}

TEST_F(Hierarchy, RefilingAndSortingKeepBlocksTogether) {
  posts_.SetSupResourceID(14, 2);  // Divers under Loisirs, after Cinéma
  posts_.SetSupResourceID(11, 0);  // Loyer under nothing
  EXPECT_EQ((Strings{"Maison", "  Gaz", "Loisirs", "  Cinéma", "  Divers", "|", "  Loyer"}), Items(posts_));
  posts_.SetSupResourceID(11, 1);
  posts_.SortResources();
  EXPECT_EQ((Strings{"Loisirs", "  Cinéma", "  Divers", "Maison", "  Gaz", "  Loyer", "|"}), Items(posts_));
  EXPECT_TRUE(posts_.IsSorted());
}

TEST_F(Hierarchy, MovesInTwoLevels) {
  // A sub-resource cannot go first; a resource moved past the separator stops above it.
  EXPECT_FALSE(posts_.MoveResourceTo(2, 1));
  EXPECT_TRUE(posts_.MoveResourceTo(1, 7));
  EXPECT_EQ((Strings{"Loyer", "Gaz", "Loisirs", "Cinéma", "Maison", "|", "Divers"}),
            [&] {
              Strings names;
              for (const std::string& s : Items(posts_)) names.push_back(s.substr(s[0] == ' ' ? 2 : 0));
              return names;
            }());
  EXPECT_FALSE(posts_.MoveResourceTo(6, 1));  // the separator stays put
}

TEST_F(Hierarchy, BuildDropsWhatTheStorageLost) {
  posts_.SaveIndex();
  storage_.RemoveResource('PBDG', 1);  // Maison and its block go
  storage_.RemoveResource('CATE', 13);
  Groups again(storage_, 'PBDG', orders_, 1003);
  again.SetSubResources(&cats_);
  // Sub-resources filed under nothing follow the sub-resources' own order.
  EXPECT_EQ((Strings{"Loisirs", "|", "  Loyer", "  Gaz", "  Divers"}), Items(again));
}

TEST_F(Hierarchy, WithoutAnIndexTheHierarchyRaises) {
  CPResourceSet plain(storage_, 'PLAI', kCPVariableSize);
  EXPECT_CP_CODE(kCPErrNotFound, plain.GetSubResourcesCount(1));
  EXPECT_CP_CODE(kCPErrNotFound, plain.GetSupResourceID(1));
  EXPECT_CP_CODE(kCPErrNotFound, plain.SetSupResourceID(1, 2));
  EXPECT_EQ(0, cats_.GetSubResourcesCount(11));  // a sortable order has no sub-resources
}

TEST_F(Indexes, ASortedSetFollowsTheNames) {
  CPSortedResourceSet_T<TestRecord> set(storage_, 'FLTR');
  for (const char* name : {"zèbre", "Été", "abricot", "étage", "Ecole"}) Add(set, set.GetUniqueID(), name);
  EXPECT_EQ((Strings{"abricot", "Ecole", "étage", "Été", "zèbre"}), Utf8(DisplayNames(set)));
  set.SetResourceName(set.GetResourceID(P("abricot")), P("zoo"));
  EXPECT_EQ("zoo", DisplayNames(set).back());
  EXPECT_FALSE(set.CanMoveResource());
  EXPECT_FALSE(set.CanSortResources());
  CPSortedResourceSet_T<TestRecord> rebuilt(storage_, 'FLTR');
  EXPECT_EQ(DisplayNames(set), DisplayNames(rebuilt));
}

#pragma pack(push, 1)
struct Header {
  int16_t colour = 3;
  uint8_t rest[20] = {};
  void Encode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) CPSwapField(colour);
  }
  void Decode(const CPDataEncoding& e) { Encode(e); }
};
struct Line {
  int16_t a = 0, b = 0;
  int32_t c = 0, d = 0;
  void Encode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) {
      CPSwapField(a);
      CPSwapField(c);
    }
  }
  void Decode(const CPDataEncoding& e) { Encode(e); }
};
#pragma pack(pop)

TEST_F(Indexes, HeaderPlusItemsRecordsRoundTrip) {
  BigEndianStorage bigEndian(storage_);
  CPResourceSetArray_T<Header, Line> set(bigEndian, 'PBDG');
  Header h;
  h.colour = 0x0102;
  CPArray_T<Line> lines;
  for (int i = 1; i <= 3; ++i) {
    Line l;
    l.a = int16_t(i);
    l.c = 0x01000000 * i;
    lines.Add(l);
  }
  set.AddResource(1, P("Maison"), h, lines);
  EXPECT_EQ(22u + 3 * 12, set.GetResourceSize(1));
  unsigned char raw[58];
  storage_.GetResource('PBDG', 1, nullptr, raw, 58);
  EXPECT_EQ(1, raw[0]);           // header colour, big-endian
  EXPECT_EQ(2, raw[22 + 12 + 1]);  // second line's a
  Header h2;
  CPArray_T<Line> lines2;
  ASSERT_TRUE(set.ReadResource(1, &h2, &lines2));
  EXPECT_EQ(0x0102, h2.colour);
  ASSERT_EQ(3, lines2.Count());
  EXPECT_EQ(0x03000000, lines2[2].c);
  lines2.RemoveItemsAt(0);
  EXPECT_TRUE(set.WriteResource(1, P("Maison"), h2, lines2));
  set.GetResource(1, &h2, &lines2);
  EXPECT_EQ(2, lines2.Count());
  EXPECT_FALSE(set.ReadResource(2, &h2, &lines2));
}

TEST(IndexesFile, SetsSurviveClosingAndReopeningTheirFile) {
  VYXPinnedClock clock(14, 7, 2024);
  VYXTempDir dir;
  CPFileRef fileRef = dir.Ref("groupe.rsrc");
  Strings cats, posts;
  {
    CPFileStream file(fileRef);
    file.Create('VyxP', 'RSRC', false);
    file.Open(kCPFileReadWrite);
    CPStreamResourceStorage storage(file);
    CPResourceSet orders(storage, 'HIER', kCPVariableSize);
    Records cat(storage, 'CATE', orders, 1001);
    Groups post(storage, 'PBDG', orders, 1003);
    post.SetSubResources(&cat);
    for (const char* name : {"Loyer", "Gaz", "Cinéma", "Loyer"}) Add(cat, cat.GetUniqueID(), name, 42);
    Add(post, 5, "Maison");
    Add(post, 6, "Loisirs");
    post.SetSupResourceID(cat.GetResourceID(P("Gaz")), 5);
    cat.MoveResourceTo(3, 1);
    cat.SaveIndex();
    post.SaveIndex();
    cats = Utf8(DisplayNames(cat));
    posts = TwoLevel(post);
  }
  CPFileStream file(fileRef);
  file.Open(kCPFileReadWrite);
  CPStreamResourceStorage storage(file);
  CPResourceSet orders(storage, 'HIER', kCPVariableSize);
  Records cat(storage, 'CATE', orders, 1001);
  Groups post(storage, 'PBDG', orders, 1003);
  post.SetSubResources(&cat);
  EXPECT_EQ(cats, Utf8(DisplayNames(cat)));
  EXPECT_EQ((Strings{"Cinéma", "Loyer", "Gaz", "Loyer 1"}), cats);
  EXPECT_EQ(posts, TwoLevel(post));
  EXPECT_EQ((Strings{"Maison", "  Gaz", "Loisirs"}), posts);
  TestRecord r;
  cat.GetResource(cat.GetResourceID(P("Loyer 1")), &r);
  EXPECT_EQ(42, int32_t(r.big));
}

}  // namespace
