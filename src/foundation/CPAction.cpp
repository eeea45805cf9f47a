#include "foundation/CPAction.h"

#include "foundation/CPErrorAlert.h"
#include "foundation/CPException.h"

CPAction::CPAction(int16_t undoListID, int16_t undoItem, int16_t redoListID, int16_t redoItem)
    : undoListID_(undoListID), undoItem_(undoItem), redoListID_(redoListID), redoItem_(redoItem) {}

CPString CPAction::GetUndoName() const {
  if (undoListID_ == 0) return CPString::FromResource(kCPUndoListID, kCPUndoItem);
  return CPString::FromResource(undoListID_, undoItem_);
}

CPString CPAction::GetRedoName() const {
  if (redoListID_ == 0) return CPString::FromResource(kCPUndoListID, kCPRedoItem);
  return CPString::FromResource(redoListID_, redoItem_);
}

bool CPActionHandler::PostToDoAction(std::unique_ptr<CPAction> action) {
  ClearLastAction();
  if (!action) return false;
  bool done = false;
  try {
    done = action->DoAction();
  } catch (const CPException& e) {
    action.reset();
    CPAlertException(e);
    return false;
  }
  if (!done) return false;
  PostDoneAction(std::move(action));
  return true;
}

void CPActionHandler::PostDoneAction(std::unique_ptr<CPAction> action) {
  // Destroy the old action only once the new one is in place: its destructor may
  // reach this handler.
  std::unique_ptr<CPAction> old = std::move(last_);
  last_ = std::move(action);
  canUndo_ = last_ != nullptr;
  canRedo_ = false;
  ++generation_;
}

void CPActionHandler::ClearLastAction() {
  std::unique_ptr<CPAction> old = std::move(last_);
  canUndo_ = canRedo_ = false;
  ++generation_;
}

bool CPActionHandler::RunStep(bool (CPAction::*step)(), bool* ok) {
  std::unique_ptr<CPAction> running = std::move(last_);
  canUndo_ = canRedo_ = false;
  const uint32_t generation = generation_;
  *ok = (running.get()->*step)();
  if (generation_ != generation) return false;  // replaced or cleared meanwhile: `running` goes
  last_ = std::move(running);
  return true;
}

bool CPActionHandler::UndoLastAction() {
  if (!CanUndo()) return false;
  bool ok = false;
  if (RunStep(&CPAction::UndoAction, &ok)) canRedo_ = ok;
  return ok;
}

bool CPActionHandler::RedoLastAction() {
  if (!CanRedo()) return false;
  bool ok = false;
  if (RunStep(&CPAction::RedoAction, &ok)) canUndo_ = ok;
  return ok;
}

bool CPActionHandler::GetCommandState(CPCommand command, bool* enabled, bool* marked) {
  if (command != kCPCmdUndo) return CPCommandHandler::GetCommandState(command, enabled, marked);
  *marked = false;
  *enabled = CanUndo() || CanRedo();
  if (CanUndo())
    SetCommandName(command, last_->GetUndoName());
  else if (CanRedo())
    SetCommandName(command, last_->GetRedoName());
  else
    SetCommandName(command, CPString::FromResource(kCPUndoListID, kCPCannotUndoItem));
  return true;
}

bool CPActionHandler::DoCommand(CPCommand command) {
  if (command != kCPCmdUndo) return CPCommandHandler::DoCommand(command);
  if (CanUndo()) return UndoLastAction();
  if (CanRedo()) return RedoLastAction();
  return false;
}
