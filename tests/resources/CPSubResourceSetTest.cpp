#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CPErrors.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPStreamResourceStorage.h"
#include "resources/CPSubResourceSet.h"
#include "resources/ResourceTestSupport.h"
#include "support/VYXTestSupport.h"

namespace {

using Strings = std::vector<std::string>;
using Records = CPSortableResourceSet_T<TestRecord>;

// The records of one kind.
class KindView : public CPSubResourceSet_T<TestRecord> {
 public:
  KindView(CPResourceSet_T<TestRecord>& parent, uint8_t kind) : CPSubResourceSet_T(parent), kind_(kind) {}
  bool IsConcerned(ConstStringPtr, const TestRecord& r) override { return r.kind == kind_; }
  void SetKind(uint8_t kind) {
    kind_ = kind;
    FilterChanged();
  }

 private:
  uint8_t kind_;
};

// An untyped view: the names that start with a given letter.
class InitialView : public CPSubResourceSet {
 public:
  InitialView(CPResourceSet& parent, unsigned char initial) : CPSubResourceSet(parent), initial_(initial) {}
  bool IsConcerned(ConstStringPtr name, const void*, uint32_t) override {
    return name[0] > 0 && name[1] == initial_;
  }

 private:
  unsigned char initial_;
};

class Views : public ::testing::Test {
 protected:
  void Add(CPResID id, const std::string& name, uint8_t kind) {
    parent_.AddResource(id, P(name), MakeRecord(kind, id));
  }
  void SetKind(CPResID id, uint8_t kind) {
    TestRecord r;
    parent_.GetResource(id, &r);
    r.kind = kind;
    parent_.SetResource(id, r);
  }

  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet orders_{storage_, 'HIER', kCPVariableSize};
  Records parent_{storage_, 'CATE', orders_, 1001};
  KindView expenses_{parent_, 1};
  KindView income_{parent_, 2};
};

TEST_F(Views, AViewShowsTheConcernedResourcesInTheParentsOrder) {
  Add(10, "Loyer", 1);
  Add(11, "Salaire", 2);
  Add(12, "Gaz", 1);
  parent_.MoveResourceTo(3, 1);
  EXPECT_EQ((Strings{"Gaz", "Loyer"}), DisplayNames(expenses_));
  EXPECT_EQ((Strings{"Salaire"}), DisplayNames(income_));
  EXPECT_EQ(2, expenses_.GetResourceIndex(10));
  EXPECT_CP_CODE(kCPErrNotFound, expenses_.GetResourceIndex(11));
  EXPECT_TRUE(expenses_.ResourceExists(12));
  EXPECT_FALSE(expenses_.ResourceExists(11));
  EXPECT_FALSE(expenses_.ResourceExists(CPResID(0)));
  EXPECT_EQ(10, expenses_.GetResourceID(P("LOYER")));
  EXPECT_FALSE(expenses_.ResourceExists(P("Salaire")));
  EXPECT_CP_CODE(kCPErrNotFound, expenses_.GetResourceID(P("Salaire")));
  EXPECT_CP_CODE(kCPErrNotFound, expenses_.GetNthResource(3, true));
  // Reads are the parent's, whatever the view holds.
  EXPECT_EQ("Salaire", NameOf(expenses_, 11));
  TestRecord r;
  EXPECT_TRUE(expenses_.ReadResource(11, &r));
  EXPECT_EQ(2, r.kind);
}

TEST_F(Views, AViewOverAnEmptyParentIsEmpty) {
  EXPECT_EQ(0, expenses_.GetResourcesCount());
  EXPECT_CP_CODE(kCPErrNotFound, expenses_.GetNthResource(1, true));
}

TEST_F(Views, ChangingAKindMovesTheResourceFromOneViewToTheOther) {
  Add(10, "Loyer", 1);
  Add(11, "Salaire", 2);
  Add(12, "Gaz", 1);
  ASSERT_EQ(2, expenses_.GetResourcesCount());
  ASSERT_EQ(1, income_.GetResourcesCount());
  RSRCLog expenseLog(expenses_, true), incomeLog(income_, true);
  SetKind(12, 2);
  EXPECT_EQ((Strings{"7:2"}), expenseLog.Take());
  EXPECT_EQ((Strings{"4:12"}), incomeLog.Take());
  EXPECT_EQ(1, expenses_.GetResourcesCount());
  EXPECT_EQ(2, income_.GetResourcesCount());
}

TEST_F(Views, ParentMessagesAreReannouncedInTheViewsTerms) {
  Add(10, "Loyer", 1);
  Add(11, "Salaire", 2);
  Add(12, "Gaz", 1);
  ASSERT_EQ(2, expenses_.GetResourcesCount());
  RSRCLog log(expenses_, true);
  struct Step {
    const char* what;
    std::function<void()> change;
    Strings heard;
  };
  const Step steps[] = {
      {"add concerned", [&] { Add(13, "Eau", 1); }, {"4:13"}},
      {"add other", [&] { Add(14, "Prime", 2); }, {}},
      {"change concerned", [&] { parent_.SetResource(12, MakeRecord(1, 5)); }, {"5:12,2"}},
      {"change other", [&] { parent_.SetResource(14, MakeRecord(2, 5)); }, {}},
      {"rename concerned", [&] { parent_.SetResourceName(10, P("Loyers")); }, {"6:10,1"}},
      {"rename other", [&] { parent_.SetResourceName(11, P("Salaires")); }, {}},
      {"other becomes concerned", [&] { SetKind(14, 1); }, {"4:14"}},
      {"remove other", [&] { parent_.RemoveResource(11); }, {}},
      {"remove concerned", [&] { parent_.RemoveResource(12); }, {"7:2"}},
      {"move", [&] { parent_.MoveResourceTo(1, 3); }, {"11"}},
      {"sort", [&] { parent_.SortResources(); }, {"11"}},
      {"start and end moving", [&] { parent_.StartMovingResources(); parent_.EndMovingResources(); }, {}},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(step.heard, log.Take()) << step.what;
  }
  EXPECT_EQ((Strings{"Eau", "Loyers", "Prime"}), DisplayNames(expenses_));
}

TEST_F(Views, LoadingIsBracketedAndReadAtItsEnd) {
  Add(10, "Loyer", 1);
  ASSERT_EQ(1, expenses_.GetResourcesCount());
  CPHandleStream s;
  {
    CPHandleStream other;
    CPStreamResourceStorage storage(other);
    CPResourceSet_T<TestRecord> source(storage, 'CATE');
    source.AddResource(20, P("Gaz"), MakeRecord(1, 0));
    source.AddResource(21, P("Salaire"), MakeRecord(2, 0));
    source.PutTo(s, CPHostEncoding);
  }
  RSRCLog log(expenses_, true);
  s.SetMarker(0, kCPFromStart);
  parent_.GetFrom(s, CPHostEncoding);
  EXPECT_EQ((Strings{"2", "4:20", "3"}), log.Take());
  EXPECT_EQ((Strings{"Loyer", "Gaz"}), DisplayNames(expenses_));
}

TEST_F(Views, WritesThroughAViewAreTheParents) {
  RSRCLog log(expenses_, true);
  int32_t index = -1;
  expenses_.AddResource(30, P("Loyer"), MakeRecord(1, 0), &index);
  EXPECT_EQ(1, index);
  expenses_.AddResource(31, P("Salaire"), MakeRecord(2, 0), &index);
  EXPECT_EQ(0, index);  // added to the parent, not to this view
  EXPECT_EQ(2, parent_.GetResourcesCount());
  // A record written through the view that no longer fits it leaves it.
  expenses_.SetResource(30, MakeRecord(2, 0));
  EXPECT_EQ(0, expenses_.GetResourcesCount());
  EXPECT_EQ((Strings{"4:30", "7:1"}), log.Take());
  expenses_.SetResourceName(31, P("Loyer"));  // names stay unique across the parent
  EXPECT_EQ("Loyer 1", NameOf(parent_, 31));
  expenses_.RemoveResource(31);
  EXPECT_FALSE(parent_.ResourceExists(31));
}

TEST_F(Views, MovesThroughAViewUseItsPositions) {
  Add(10, "a", 1);
  Add(11, "x", 2);
  Add(12, "b", 1);
  Add(13, "c", 1);
  ASSERT_TRUE(expenses_.MoveResourceTo(3, 1));  // c before a
  EXPECT_EQ((Strings{"c", "a", "x", "b"}), DisplayNames(parent_));
  EXPECT_EQ((Strings{"c", "a", "b"}), DisplayNames(expenses_));
  EXPECT_FALSE(expenses_.MoveResourceTo(4, 1));
}

TEST_F(Views, ChangingTheFilterRebuilds) {
  Add(10, "Loyer", 1);
  Add(11, "Salaire", 2);
  ASSERT_EQ(1, expenses_.GetResourcesCount());
  RSRCLog log(expenses_, true);
  expenses_.SetKind(2);
  EXPECT_EQ((Strings{"1"}), log.Take());
  EXPECT_EQ((Strings{"Salaire"}), DisplayNames(expenses_));
}

TEST_F(Views, AnUntypedViewFiltersOnNamesAndBytes) {
  Add(10, "Loyer", 1);
  Add(11, "Lait", 2);
  Add(12, "Gaz", 1);
  InitialView ls(parent_, 'L');
  EXPECT_EQ((Strings{"Loyer", "Lait"}), DisplayNames(ls));
  RSRCLog log(ls, true);
  parent_.SetResourceName(12, P("Lumière"));
  EXPECT_EQ((Strings{"4:12"}), log.Take());
  parent_.SetResourceName(10, P("Abonnement"));
  EXPECT_EQ((Strings{"7:1"}), log.Take());
}

TEST_F(Views, AViewDestroyedBeforeItsParentLeavesNoListener) {
  int32_t before = parent_.CountListeners();
  {
    KindView savings(parent_, 3);
    EXPECT_EQ(before + 1, parent_.CountListeners());
  }
  EXPECT_EQ(before, parent_.CountListeners());
  Add(10, "Loyer", 3);  // nobody left to hear it
}

}  // namespace
