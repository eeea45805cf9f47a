// The columns in which the user file's lists are exchanged as text (`vyx
// liste TYPE exporter` and `importer`): for each list its fields, their
// titles and their keys, and the rules of its names. Fields that only an
// account gives meaning to (a mode's card, its cheque book) are not
// exchanged; a category's family is, by its name.
#ifndef VYX_USERFILE_VYXUSERIMEX_H_
#define VYX_USERFILE_VYXUSERIMEX_H_

#include <string>

#include "resources/CPImExStructure.h"
#include "userfile/VYXUserPreferences.h"

// The structure of the list of type `type` ('CATE', 'AFFE', 'CLFO', 'AFFA',
// 'MODE', 'DEVI', 'TVA '); the user file must outlive it (a category's
// family is read and set through it). Without a user file it only names the
// columns, to check a file's titles before the dossier is opened. Raises
// paramErr for another type.
CPImExStructure VYXUserImExStructure(VYXUserPreferences* user, ResType type);

// The family of categories named `name` (MacRoman, letter case and accents
// aside); made when the user file has none and `make`, else 0.
CPResID VYXCatFamilyNamed(VYXUserPreferences& user, const std::string& name, bool make);

#endif  // VYX_USERFILE_VYXUSERIMEX_H_
