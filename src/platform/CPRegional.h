// The regional settings that values are parsed and formatted with. vyx does not
// follow the machine's locale: its defaults are those of France, and tests or a
// future preference may replace them for the whole process.
#ifndef VYX_PLATFORM_CPREGIONAL_H_
#define VYX_PLATFORM_CPREGIONAL_H_

#include <array>
#include <string>

// Orders of the three fields of a typed or printed date.
enum class CPDateOrder { kDMY, kMDY, kYMD, kMYD, kDYM, kYDM };

struct CPRegional {
  unsigned char decimalChar = ',';
  unsigned char thousandSep = ' ';  // 0 when there is none
  unsigned char dateSep = '/';
  CPDateOrder dateOrder = CPDateOrder::kDMY;
  // Names in MacRoman, lower case as the system writes them.
  std::array<std::string, 12> monthNames;
  std::array<std::string, 12> monthAbbrevs;
  std::array<std::string, 7> dayNames;  // Monday first
  std::array<std::string, 7> dayAbbrevs;

  static CPRegional French();
  // The settings in force; French() until Set is called.
  static const CPRegional& Get();
  static void Set(const CPRegional& settings);
};

#endif  // VYX_PLATFORM_CPREGIONAL_H_
