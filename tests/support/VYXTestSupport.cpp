#include "support/VYXTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/CPClock.h"

namespace fs = std::filesystem;

VYXTempDir::VYXTempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = fs::temp_directory_path() / ("vyx-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

VYXTempDir::~VYXTempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

VYXPinnedClock::VYXPinnedClock(int day, int month, int year, int hour, int minute) {
  // Days from 1 January 1904 by the civil calendar (no time zone: dates are local).
  auto daysFromCivil = [](int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
  };
  long days = daysFromCivil(year, month, day) - daysFromCivil(1904, 1, 1);
  CPClock::PinDate(static_cast<CPDate>(days * 86400 + hour * 3600 + minute * 60));
  CPClock::PinTicks(1000);
}

VYXPinnedClock::~VYXPinnedClock() { CPClock::Unpin(); }

fs::path VYXCorpusDir() {
  const char* dir = std::getenv("VYX_CORPUS");
  if (dir && fs::is_directory(dir)) return dir;
  return {};
}

std::string VYXReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
