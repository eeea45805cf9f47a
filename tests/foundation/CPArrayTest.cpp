#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/CPArray_T.h"
#include "foundation/CPBroadcastArray.h"

namespace {

std::vector<int32_t> Items(const CPArray_T<int32_t>& a) { return {a.begin(), a.end()}; }

// Shaped like an index entry: searched by its key only.
struct Entry {
  uint32_t dataID;
  uint32_t type;
  int32_t refnum;
};

TEST(CPArray, SortedArrayKeepsOrderAndFindsByKey) {
  CPArray_T<Entry> index([](const Entry& a, const Entry& b) {
    return a.dataID < b.dataID ? -1 : a.dataID > b.dataID ? 1 : 0;
  });
  for (uint32_t id : {50u, 10u, 40u, 20u, 30u}) index.Add({id, 'OPER', int32_t(id) * 2});
  ASSERT_EQ(5, index.Count());
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(uint32_t(10 * (i + 1)), index[i].dataID);

  EXPECT_EQ(2, index.Find({30, 0, 0}));
  EXPECT_EQ(60, index[index.Find({30, 0, 0})].refnum);
  for (uint32_t missing : {0u, 25u, 99u}) EXPECT_EQ(kCPArrayNoIndex, index.Find({missing, 0, 0}));

  // Equal keys go after those already there.
  EXPECT_EQ(3, index.Add({30, 'SOUS', 1}));
  EXPECT_EQ(int32_t('SOUS'), int32_t(index[3].type));
  EXPECT_TRUE(index.Remove({10, 0, 0}));
  EXPECT_FALSE(index.Remove({10, 0, 0}));
  EXPECT_EQ(20u, index[0].dataID);
}

TEST(CPArray, PositionalOperations) {
  CPArray_T<int32_t> a;
  for (int32_t v : {1, 2, 3, 4, 5}) a.Add(v);
  EXPECT_TRUE(a.MoveItem(0, 3));
  EXPECT_EQ((std::vector<int32_t>{2, 3, 4, 1, 5}), Items(a));
  EXPECT_TRUE(a.MoveItem(4, 1));
  EXPECT_EQ((std::vector<int32_t>{2, 5, 3, 4, 1}), Items(a));
  EXPECT_TRUE(a.SwapItems(0, 4));
  EXPECT_EQ((std::vector<int32_t>{1, 5, 3, 4, 2}), Items(a));
  a.InsertAt(99, 6);  // past the end: appended
  a.InsertAt(0, 0);
  EXPECT_EQ((std::vector<int32_t>{0, 1, 5, 3, 4, 2, 6}), Items(a));
  EXPECT_TRUE(a.RemoveItemsAt(5, 10));  // cut to what there is
  EXPECT_EQ((std::vector<int32_t>{0, 1, 5, 3, 4}), Items(a));
  EXPECT_EQ(2, a.Find(5));

  // Inserting items that live in the array itself.
  a.InsertItemsAt(1, a.ItemPtr(3), 2);
  EXPECT_EQ((std::vector<int32_t>{0, 3, 4, 1, 5, 3, 4}), Items(a));

  // Out of range: nothing happens and the output is left alone.
  int32_t out = -7;
  EXPECT_FALSE(a.Get(7, &out));
  EXPECT_FALSE(a.Get(-1, &out));
  EXPECT_EQ(-7, out);
  EXPECT_FALSE(a.SetAt(7, 1));
  EXPECT_FALSE(a.RemoveItemsAt(-1));
  EXPECT_FALSE(a.MoveItem(0, 7));
  EXPECT_FALSE(a.SwapItems(7, 0));
  EXPECT_EQ(7, a.Count());
}

TEST(CPArray, ItemSizeChosenAtRunTime) {
  // Six-byte items (a 2-byte key and a 4-byte ID, unaligned), found byte for byte.
  CPArray keys(6);
  const char* items[] = {"ab0001", "cd0002", "ef0003"};
  for (const char* item : items) keys.AddItem(item);
  EXPECT_EQ(1, keys.FindItem("cd0002"));
  EXPECT_EQ(kCPArrayNoIndex, keys.FindItem("cd0003"));
  char out[6];
  ASSERT_TRUE(keys.GetItem(2, out));
  EXPECT_EQ(0, std::memcmp(out, "ef0003", 6));
}

struct Heard {
  uint32_t code;
  int32_t index, count, to;
  bool operator==(const Heard&) const = default;
};

class ArrayListener : public CPListener {
 public:
  std::vector<Heard> heard;
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    EXPECT_EQ(kCPArrayCategory, category);
    auto* change = static_cast<CPArrayChange*>(data);
    heard.push_back(change ? Heard{code, change->index, change->count, change->to}
                           : Heard{code, -1, -1, -1});
  }
};

TEST(CPBroadcastArray, AnnouncesEachChange) {
  CPBroadcastArray a(sizeof(int32_t));
  ArrayListener listener;
  a.AddListener(&listener);
  int32_t v[] = {10, 20, 30};
  a.InsertItemsAt(0, v, 3);
  a.SetItemAt(1, &v[0]);
  a.MoveItem(0, 2);
  a.SwapItems(0, 1);
  a.RemoveItemsAt(1, 2);
  a.RemoveItemsAt(5);  // nothing removed, nothing said
  a.SwapItems(0, 0);   // nothing changed, nothing said
  EXPECT_EQ((std::vector<Heard>{{kCPArrayItemsInserted, 0, 3, 0},
                                {kCPArrayItemChanged, 1, 1, 0},
                                {kCPArrayItemMoved, 0, 1, 2},
                                {kCPArrayItemsSwapped, 0, 1, 1},
                                {kCPArrayItemsRemoved, 1, 2, 0}}),
            listener.heard);
}

TEST(CPBroadcastArray, LoadsAreAnnouncedOnceAndSilenceTheItems) {
  CPBroadcastArray a(sizeof(int32_t), [](const void* x, const void* y) {
    return *static_cast<const int32_t*>(x) - *static_cast<const int32_t*>(y);
  });
  ArrayListener listener;
  a.AddListener(&listener);
  a.StartLoading();
  a.StartLoading();
  for (int32_t v : {3, 1, 2}) a.AddItem(&v);
  a.EndLoading();
  EXPECT_TRUE(a.IsLoading());
  a.EndLoading();
  a.EndLoading();  // unbalanced: ignored
  EXPECT_EQ(
      (std::vector<Heard>{{kCPArrayLoadStarted, -1, -1, -1}, {kCPArrayLoadEnded, -1, -1, -1}}),
      listener.heard);

  // A broadcaster that is not broadcasting keeps quiet.
  listener.heard.clear();
  a.StopBroadcasting();
  a.RemoveAll();
  EXPECT_TRUE(listener.heard.empty());
  EXPECT_TRUE(a.IsEmpty());
}

}  // namespace
