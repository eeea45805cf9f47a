// Something that answers numbered commands (menu items, keys): it tells whether
// it knows a command and whether the command is available, and carries it out.
// It also remembers the name it gives a command's menu item, which changes with
// its state ("Annuler la saisie", "Rétablir la saisie").
#ifndef VYX_FOUNDATION_CPCOMMANDHANDLER_H_
#define VYX_FOUNDATION_CPCOMMANDHANDLER_H_

#include <cstdint>
#include <map>

#include "foundation/CPStrings.h"

using CPCommand = int32_t;

constexpr CPCommand kCPCmdUndo = 11;  // undo or redo the last action, whichever applies

class CPCommandHandler {
 public:
  virtual ~CPCommandHandler() = default;

  // Returns whether this handler knows `command`; when it does, `enabled` and
  // `marked` (neither may be null) say how its menu item shows.
  virtual bool GetCommandState(CPCommand command, bool* enabled, bool* marked) {
    (void)command;
    *enabled = *marked = false;
    return false;
  }
  // Carries out `command`; returns whether it was done.
  virtual bool DoCommand(CPCommand /*command*/) { return false; }
  // The name last given to the command's menu item; false when it has none.
  virtual bool GetCommandName(CPCommand command, CPString* name) const;
  virtual void SetCommandName(CPCommand command, const CPString& name);
  // A key typed while this handler is in front: the character (MacRoman) and the
  // modifier keys held. Returns whether the key was used.
  virtual bool HandleKeyDown(unsigned char /*charCode*/, uint16_t /*modifiers*/) { return false; }

  // Does `command` when this handler knows it and it is enabled.
  bool ExecuteCommand(CPCommand command);

 private:
  std::map<CPCommand, CPString> names_;
};

#endif  // VYX_FOUNDATION_CPCOMMANDHANDLER_H_
