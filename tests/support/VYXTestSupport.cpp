#include "support/VYXTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "foundation/CPDates.h"
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
  CPClock::PinDate(CPGetDate(day, month, year) + static_cast<CPDate>(hour * 3600 + minute * 60));
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
