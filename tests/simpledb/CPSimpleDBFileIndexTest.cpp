#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "simpledb/CPSimpleDBFileIndex.h"

namespace {

// Walks of one type, counts and n-th items against a plain sorted map, through
// additions, replacements that change an item's type, and removals (of the
// last item of a type among them), in a file large enough for many slices.
TEST(CPSimpleDBFileIndex, TypedLookupsAgreeWithAPlainListThroughEveryChange) {
  const CPSimpleDBDataType kTypes[] = {'CPTO', 'CPTS', 'CATE', 'MODE'};
  std::map<CPSimpleDBDataID, CPSimpleDBFileIndexItem> model;
  CPSimpleDBFileIndex index;
  std::mt19937 rng(7);
  auto check = [&](int step) {
    ASSERT_EQ(model.size(), index.Count()) << step;
    for (CPSimpleDBDataType type : kTypes) {
      std::vector<CPSimpleDBFileIndexItem> expected;
      for (const auto& [id, item] : model) {
        if (item.type == type) expected.push_back(item);
      }
      std::vector<CPSimpleDBFileIndexItem> walked;
      for (const CPSimpleDBFileIndexItem* item = index.Next(0, type); item;
           item = index.Next(item->dataID, type)) {
        walked.push_back(*item);
      }
      ASSERT_EQ(expected, walked) << step;
      ASSERT_EQ(expected.size(), index.CountOf(type)) << step;
      if (!expected.empty()) {
        ASSERT_EQ(expected.back(), *index.Nth(expected.size(), type)) << step;
      }
      ASSERT_EQ(nullptr, index.Nth(expected.size() + 1, type)) << step;
      std::vector<CPSimpleDBFileIndexItem> visited;
      index.ForEach(type, [&](const CPSimpleDBFileIndexItem& item) {
        visited.push_back(item);
        return true;
      });
      ASSERT_EQ(expected, visited) << step;
    }
  };
  for (CPSimpleDBDataID id = 1; id <= 3000; ++id) {
    CPSimpleDBFileIndexItem item{id, kTypes[rng() % 2], id};
    index.Append(item);
    model[id] = item;
  }
  check(0);
  for (int step = 1; step <= 3000; ++step) {
    CPSimpleDBDataID id = 1 + rng() % 4000;
    switch (rng() % 3) {
      case 0: {  // add, or replace with another type
        CPSimpleDBFileIndexItem item{id, kTypes[rng() % 4], CPSimpleDBRefnum(step)};
        index.Insert(item);
        model[id] = item;
        break;
      }
      case 1: {  // remove the last item of a type
        CPSimpleDBDataType type = kTypes[rng() % 4];
        auto last = std::find_if(model.rbegin(), model.rend(),
                                 [&](const auto& entry) { return entry.second.type == type; });
        if (last == model.rend()) break;
        EXPECT_TRUE(index.Remove(last->first));
        model.erase(std::next(last).base());
        break;
      }
      default:
        EXPECT_EQ(model.erase(id) == 1, index.Remove(id));
    }
    if (step % 100 == 0) check(step);
  }
  check(-1);
  index.Clear();
  model.clear();
  check(-2);
}

}  // namespace
