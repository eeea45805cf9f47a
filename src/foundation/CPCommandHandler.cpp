#include "foundation/CPCommandHandler.h"

bool CPCommandHandler::GetCommandName(CPCommand command, CPString* name) const {
  auto it = names_.find(command);
  if (it == names_.end()) return false;
  *name = it->second;
  return true;
}

void CPCommandHandler::SetCommandName(CPCommand command, const CPString& name) {
  names_[command] = name;
}

bool CPCommandHandler::ExecuteCommand(CPCommand command) {
  bool enabled = false, marked = false;
  if (!GetCommandState(command, &enabled, &marked) || !enabled) return false;
  return DoCommand(command);
}
