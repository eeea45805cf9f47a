#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "foundation/CPAction.h"
#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"

namespace {

// Adds `step` to a counter; what each stage answers (or raises) can be changed.
class AddAction : public CPAction {
 public:
  AddAction(int* counter, int step, bool* destroyed = nullptr)
      : counter_(counter), step_(step), destroyed_(destroyed) {}
  AddAction(int* counter, int step, int16_t undoList, int16_t undoItem, int16_t redoList,
            int16_t redoItem)
      : CPAction(undoList, undoItem, redoList, redoItem), counter_(counter), step_(step) {}
  ~AddAction() override {
    if (destroyed_) *destroyed_ = true;
  }

  std::function<bool()> onDo, onUndo;

  bool DoAction() override {
    if (onDo && !onDo()) return false;
    *counter_ += step_;
    return true;
  }
  bool UndoAction() override {
    if (onUndo && !onUndo()) return false;
    *counter_ -= step_;
    return true;
  }

 private:
  int* counter_;
  int step_;
  bool* destroyed_ = nullptr;
};

std::string Utf8(const CPString& s) { return MacRomanToUtf8(s.Std()); }

struct MenuItem {
  bool known, enabled;
  std::string name;
};

MenuItem UndoItem(CPActionHandler& handler) {
  bool enabled = true, marked = true;
  bool known = handler.GetCommandState(kCPCmdUndo, &enabled, &marked);
  EXPECT_FALSE(marked);
  CPString name;
  EXPECT_TRUE(handler.GetCommandName(kCPCmdUndo, &name));
  return {known, enabled, Utf8(name)};
}

TEST(CPActionHandler, UndoRedoUndoThroughTheCommand) {
  int counter = 0;
  CPActionHandler handler;
  EXPECT_EQ("Impossible d'annuler", UndoItem(handler).name);
  EXPECT_FALSE(UndoItem(handler).enabled);
  EXPECT_FALSE(handler.ExecuteCommand(kCPCmdUndo));

  ASSERT_TRUE(handler.PostToDoAction(std::make_unique<AddAction>(&counter, 5)));
  EXPECT_EQ(5, counter);
  MenuItem item = UndoItem(handler);
  EXPECT_TRUE(item.known && item.enabled);
  EXPECT_EQ("Annuler", item.name);

  EXPECT_TRUE(handler.ExecuteCommand(kCPCmdUndo));
  EXPECT_EQ(0, counter);
  EXPECT_EQ("Rétablir", UndoItem(handler).name);
  EXPECT_TRUE(handler.ExecuteCommand(kCPCmdUndo));
  EXPECT_EQ(5, counter);
  EXPECT_EQ("Annuler", UndoItem(handler).name);
  EXPECT_TRUE(handler.ExecuteCommand(kCPCmdUndo));
  EXPECT_EQ(0, counter);

  // Undo and redo only apply in their own state.
  EXPECT_FALSE(handler.UndoLastAction());
  EXPECT_EQ(0, counter);

  // Other commands are not the handler's.
  bool enabled, marked;
  EXPECT_FALSE(handler.GetCommandState(12, &enabled, &marked));
  EXPECT_FALSE(handler.ExecuteCommand(12));
}

TEST(CPActionHandler, MenuNamesComeFromTheAction) {
  int counter = 0;
  CPActionHandler handler;
  // Named with the list's items the other way round, to tell them from the defaults.
  handler.PostToDoAction(std::make_unique<AddAction>(&counter, 1, 270, 3, 270, 2));
  EXPECT_EQ("Rétablir", UndoItem(handler).name);
  handler.UndoLastAction();
  EXPECT_EQ("Annuler", UndoItem(handler).name);
}

TEST(CPActionHandler, NewActionAfterUndoLosesTheRedo) {
  int counter = 0;
  bool firstGone = false;
  CPActionHandler handler;
  handler.PostToDoAction(std::make_unique<AddAction>(&counter, 5, &firstGone));
  handler.UndoLastAction();
  ASSERT_TRUE(handler.CanRedo());

  handler.PostDoneAction(std::make_unique<AddAction>(&counter, 7));
  EXPECT_TRUE(firstGone);
  EXPECT_FALSE(handler.CanRedo());
  EXPECT_FALSE(handler.RedoLastAction());
  EXPECT_EQ(0, counter);  // posted as done: not done again
  EXPECT_TRUE(handler.UndoLastAction());
  EXPECT_EQ(-7, counter);

  handler.ClearLastAction();
  EXPECT_EQ(nullptr, handler.GetLastAction());
  EXPECT_FALSE(UndoItem(handler).enabled);
}

TEST(CPActionHandler, FailedUndoLeavesNothingToRedo) {
  int counter = 0;
  CPActionHandler handler;
  auto action = std::make_unique<AddAction>(&counter, 5);
  action->onUndo = [] { return false; };
  handler.PostToDoAction(std::move(action));
  EXPECT_FALSE(handler.UndoLastAction());
  EXPECT_NE(nullptr, handler.GetLastAction());
  MenuItem item = UndoItem(handler);
  EXPECT_FALSE(item.enabled);
  EXPECT_EQ("Impossible d'annuler", item.name);
}

TEST(CPActionHandler, FailingActionIsNotKeptAndItsErrorIsShown) {
  struct Case {
    const char* what;
    std::function<bool()> onDo;
    std::string alert;  // UTF-8; empty: no alert
  };
  const Case cases[] = {
      {"answers false", [] { return false; }, ""},
      {"message", []() -> bool { CPThrowMessage(5, Utf8ToMacRoman("Opération refusée.")); },
       "Opération refusée. (erreur n° 5)"},
      {"code with a text", []() -> bool { CPThrow(-34); }, "Le disque est plein. (erreur n° -34)"},
      {"unknown code", []() -> bool { CPThrow(12345); }, "Erreur n° 12345."},
      {"cancelled", []() -> bool { CPThrowCancel(); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CPScriptedInteraction user;
    int counter = 0;
    bool previousGone = false, failedGone = false;
    CPActionHandler handler;
    handler.PostDoneAction(std::make_unique<AddAction>(&counter, 1, &previousGone));

    auto action = std::make_unique<AddAction>(&counter, 5, &failedGone);
    action->onDo = c.onDo;
    EXPECT_FALSE(handler.PostToDoAction(std::move(action)));
    EXPECT_TRUE(previousGone);
    EXPECT_TRUE(failedGone);
    EXPECT_EQ(nullptr, handler.GetLastAction());
    EXPECT_EQ(0, counter);
    EXPECT_FALSE(UndoItem(handler).enabled);
    if (c.alert.empty()) {
      EXPECT_TRUE(user.Alerts().empty());
    } else {
      ASSERT_EQ(1u, user.Alerts().size());
      EXPECT_EQ(c.alert, MacRomanToUtf8(user.Alerts()[0]));
    }
  }
}

TEST(CPActionHandler, ActionThatClearsTheHandlerWhileUndoingIsNotDestroyedUnderItself) {
  int counter = 0;
  bool gone = false;
  CPActionHandler handler;
  auto action = std::make_unique<AddAction>(&counter, 5, &gone);
  AddAction* raw = action.get();
  raw->onUndo = [&] {
    handler.ClearLastAction();  // a change that cannot be undone follows
    EXPECT_FALSE(gone);
    return true;
  };
  handler.PostToDoAction(std::move(action));
  EXPECT_TRUE(handler.UndoLastAction());
  EXPECT_TRUE(gone);
  EXPECT_EQ(0, counter);
  EXPECT_EQ(nullptr, handler.GetLastAction());
}

TEST(CPActionHandler, ExceptionWhileUndoingGoesToTheCallerAndDropsTheAction) {
  int counter = 0;
  CPActionHandler handler;
  auto action = std::make_unique<AddAction>(&counter, 5);
  action->onUndo = []() -> bool { CPThrow(-34); };
  handler.PostToDoAction(std::move(action));
  EXPECT_CP_CODE(-34, handler.UndoLastAction());
  EXPECT_EQ(nullptr, handler.GetLastAction());
  EXPECT_FALSE(handler.CanRedo());
}

}  // namespace
