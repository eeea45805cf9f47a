// Undoable changes. A CPAction packages one change so that it can do, undo and
// redo itself; a CPActionHandler (a document, a window) owns the last one and
// offers it through the undo command. One level of undo: posting a new action
// destroys the previous one.
#ifndef VYX_FOUNDATION_CPACTION_H_
#define VYX_FOUNDATION_CPACTION_H_

#include <cstdint>
#include <memory>

#include "foundation/CPCommandHandler.h"
#include "foundation/CPStrings.h"

// String list of the Edit menu's undo item.
constexpr int16_t kCPUndoListID = 270;
constexpr int16_t kCPCannotUndoItem = 1;  // no action, or one that can no longer be undone
constexpr int16_t kCPUndoItem = 2;        // undo name of an action that gives none
constexpr int16_t kCPRedoItem = 3;        // redo name of an action that gives none

class CPAction {
 public:
  // The menu names for undoing and redoing, as string list and item; a list of 0
  // takes the plain "Annuler" and "Rétablir".
  CPAction(int16_t undoListID = 0, int16_t undoItem = 0, int16_t redoListID = 0,
           int16_t redoItem = 0);
  virtual ~CPAction() = default;
  CPAction(const CPAction&) = delete;
  CPAction& operator=(const CPAction&) = delete;

  // Each returns whether it succeeded, and may raise CPException.
  virtual bool DoAction() = 0;
  virtual bool UndoAction() = 0;
  // Doing again what was undone is, unless told otherwise, doing it.
  virtual bool RedoAction() { return DoAction(); }

  CPString GetUndoName() const;
  CPString GetRedoName() const;

 private:
  int16_t undoListID_, undoItem_, redoListID_, redoItem_;
};

// Owns the last action. An action that fails to do itself is not kept; a
// CPException it raises is shown to the user (unless its code is 0, a
// cancellation) and goes no further. Exceptions raised while undoing or redoing
// go to the caller, and the handler then keeps no action.
class CPActionHandler : public CPCommandHandler {
 public:
  CPActionHandler() = default;
  ~CPActionHandler() override = default;

  // Does `action` and, when it succeeds, keeps it as the last action.
  bool PostToDoAction(std::unique_ptr<CPAction> action);
  // Keeps `action`, whose change has already been made, as the last action.
  void PostDoneAction(std::unique_ptr<CPAction> action);
  bool UndoLastAction();
  bool RedoLastAction();
  // Forgets the last action: a change that cannot be undone has followed it.
  void ClearLastAction();

  CPAction* GetLastAction() const { return last_.get(); }
  bool CanUndo() const { return last_ && canUndo_; }
  bool CanRedo() const { return last_ && canRedo_; }

  // kCPCmdUndo: enabled when the last action can be undone or redone, its menu
  // item named after what it would do.
  bool GetCommandState(CPCommand command, bool* enabled, bool* marked) override;
  bool DoCommand(CPCommand command) override;

 private:
  // Runs `step` (undo or redo) on the last action, holding it outside last_ so
  // that an action which clears or replaces the handler's action while it runs
  // is not destroyed under its own feet. Returns whether the action is still the
  // last one afterwards; `ok` gets the step's result.
  bool RunStep(bool (CPAction::*step)(), bool* ok);

  std::unique_ptr<CPAction> last_;
  bool canUndo_ = false;
  bool canRedo_ = false;
  // Counts the replacements of last_, to tell whether one happened during a step.
  uint32_t generation_ = 0;
};

#endif  // VYX_FOUNDATION_CPACTION_H_
