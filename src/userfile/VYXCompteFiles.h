// How users see vyx's files: a user file "NOM.grp", an account "NOM.cpt"
// whose name is its file's name without that extension. The event log and
// the share file of a user file sit beside it as "NOM.evt" and "NOM.shr".
#ifndef VYX_USERFILE_VYXCOMPTEFILES_H_
#define VYX_USERFILE_VYXCOMPTEFILES_H_

#include <string>
#include <vector>

#include "platform/CPFileRef.h"

constexpr const char* kVYXUserFileExtension = ".grp";
constexpr const char* kVYXCompteExtension = ".cpt";

// The account's name (UTF-8, as the file system spells it): the file's name
// without ".cpt", or the whole name when it has another extension or none.
std::string VYXCompteNameOfFile(const CPFileRef& file);
// The file of an account named `name` (UTF-8) in `folder`.
CPFileRef VYXCompteFileIn(const CPFileRef& folder, const std::string& name);

// The event log and the share file that sit beside a shared database file:
// its name with ".evt" and ".shr" in place of a three-letter extension.
std::vector<CPFileRef> VYXCompanionFiles(const CPFileRef& file);

// Whether `file` is a vyx user file: a database whose header carries the
// user file's type and signature (read from its first bytes, without opening
// it as a database).
bool VYXIsUserFile(const CPFileRef& file);
// The same for an account file.
bool VYXIsCompteFile(const CPFileRef& file);

#endif  // VYX_USERFILE_VYXCOMPTEFILES_H_
