// Items of the reports' list of texts (res/strings.fr, list 30600): what
// `bilan`, `croise` and `totaux` share (arguments, charts), then each
// command's own.
#ifndef VYX_CLI_VYXREPORTTEXTS_H_
#define VYX_CLI_VYXREPORTTEXTS_H_

constexpr int kVYXReportTexts = 30600;

enum VYXReportText {
  kReportNotAMonth = 1,        // ^1: the text typed
  kReportBadStatus = 2,        // ^1: the text typed
  kReportBadMonths = 3,        // ^1: the text typed
  kReportUnknownDevise = 4,    // ^1: the code typed
  kReportBadType = 5,          // ^1: the text typed
  kReportChartBadName = 6,     // ^1: the file
  kReportChartNotWritten = 7,  // ^1: the file
  kReportChartOthers = 8,      // ^1: how many items were left out
  kReportCsvAndJson = 9,
  kReportStatusFirst = 10,    // 10 to 12: prevue, engagee, pointee as typed
  kReportTypeFirst = 13,      // 13 to 16: autres, depenses, recettes, epargne as typed
  kReportTypeNameFirst = 17,  // 17 to 20: the kinds as titles say them
  kReportBadMode = 21,        // ^1: the text typed
  kReportModeFirst = 22,      // 22 to 26: the display modes as typed
  kReportPeriodTitle = 27,    // ^1: first month, ^2: last month
  kReportDossierTitle = 28,   // ^1: the dossier's name
  kReportCompteTitle = 29,    // ^1: the account's name
  kReportNotOrdered = 30,     // ^1: --du, ^2: --au
  kReportNothing = 31,
  // Help of the options every report shares.
  kReportHelpCompte = 40,
  kReportHelpDu = 41,
  kReportHelpMois = 42,
  kReportHelpStatuts = 43,
  kReportHelpDevise = 44,
  kReportHelpCsv = 45,
  kReportHelpGraphique = 46,
  kReportHelpAu = 47,
  kReportHelpDuTotaux = 48,
};

#endif  // VYX_CLI_VYXREPORTTEXTS_H_
