// The lists a new dossier starts with, so that its user can enter operations
// at once: the usual French payment modes, the VAT rates, and household
// categories under a few families. Their names are texts of the string
// table. A dossier made by the core has none of them (only its reference
// currency): putting them there is the choice of whoever creates it, as a
// template would be.
#ifndef VYX_APP_VYXSTARTERLISTS_H_
#define VYX_APP_VYXSTARTERLISTS_H_

class VYXUserPreferences;

// Adds the starter modes, VAT rates, families and categories to the user
// file's own lists. An item whose name the list already has is left as it is.
void VYXAddStarterLists(VYXUserPreferences& user);

#endif  // VYX_APP_VYXSTARTERLISTS_H_
