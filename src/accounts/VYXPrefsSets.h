// Plain sets of window and report settings that a user file and each account
// both keep, in the same form: display preferences of the windows ("MODD", 6
// bytes), table preferences ("CALC", 34), window positions ("WPOS", 16), page
// setups ("FMTX", any size), and the notes attached to operations: text
// ("NotT"), style ("NotS") and descriptions ("NotI", 12). Their bodies belong
// to the windows that write them; the sets only keep them.
#ifndef VYX_ACCOUNTS_VYXPREFSSETS_H_
#define VYX_ACCOUNTS_VYXPREFSSETS_H_

#include "resources/CPResourceSet.h"

class VYXModuleDisplayPrefsSet : public CPResourceSet {
 public:
  explicit VYXModuleDisplayPrefsSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'MODD', 6) {}
};

class VYXTablePrefsSet : public CPResourceSet {
 public:
  explicit VYXTablePrefsSet(CPResourceStorage& storage) : CPResourceSet(storage, 'CALC', 34) {}
};

class VYXWindowPosSet : public CPResourceSet {
 public:
  explicit VYXWindowPosSet(CPResourceStorage& storage) : CPResourceSet(storage, 'WPOS', 16) {}
};

// Page setups were once kept as 'FMTI' by older systems; vyx writes 'FMTX'.
class VYXPageSetupSet : public CPResourceSet {
 public:
  explicit VYXPageSetupSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'FMTX', kCPVariableSize) {}
};

class VYXSmallNotesTextSet : public CPResourceSet {
 public:
  explicit VYXSmallNotesTextSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'NotT', kCPVariableSize) {}
};

class VYXSmallNotesStyleSet : public CPResourceSet {
 public:
  explicit VYXSmallNotesStyleSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'NotS', kCPVariableSize) {}
};

class VYXSmallNotesInfosSet : public CPResourceSet {
 public:
  explicit VYXSmallNotesInfosSet(CPResourceStorage& storage) : CPResourceSet(storage, 'NotI', 12) {}
};

#endif  // VYX_ACCOUNTS_VYXPREFSSETS_H_
