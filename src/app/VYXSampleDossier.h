// The sample dossier that vyx opens before its user has one: the Martin
// household in 2024, a current account and a savings account with a year of
// operations (salaries, rent, bills, shopping split between categories,
// cheques from a cheque book, monthly savings), the lists every new dossier
// starts with (payment modes, VAT rates, categories and families) and the
// household's payees, and the first quarter of the current account locked.
// Made at build time by the program vyx-exemple, the same every time.
#ifndef VYX_APP_VYXSAMPLEDOSSIER_H_
#define VYX_APP_VYXSAMPLEDOSSIER_H_

#include <filesystem>

// The file names, as the string list of examples names the dossier.
constexpr const char* kVYXSampleDossierName = "Exemple.grp";
constexpr const char* kVYXSampleCourantName = "Compte courant";
constexpr const char* kVYXSampleLivretName = "Livret A";

// Writes the sample's files into `folder` (made if need be; files already
// there are replaced). The dossier finds its accounts by their place beside
// it only, so that the files do not depend on where they were made.
void VYXMakeSampleDossier(const std::filesystem::path& folder);
// Pins the clock and the tick count as the build does, so that dates and IDs
// come out the same every time.
void VYXPinSampleClock();

#endif  // VYX_APP_VYXSAMPLEDOSSIER_H_
