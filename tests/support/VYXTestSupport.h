// What every vyx test needs: a temporary folder removed at the end, the pinned
// clock and French settings, and an assertion that a call raises a given code.
#ifndef VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_
#define VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "foundation/CPException.h"
#include "platform/CPFileRef.h"

// A fresh folder under the system's temporary directory, deleted with the object.
class VYXTempDir {
 public:
  VYXTempDir();
  ~VYXTempDir();
  const std::filesystem::path& Path() const { return path_; }
  CPFileRef Ref(const std::string& name) const { return CPFileRef(path_ / name); }

 private:
  std::filesystem::path path_;
};

// Pins the clock to a date (day, month, year, hour:minute) for the test's life.
class VYXPinnedClock {
 public:
  VYXPinnedClock(int day, int month, int year, int hour = 12, int minute = 0);
  ~VYXPinnedClock();
};

// The code a call raised as CPException, or nothing when it did not raise.
template <typename F>
std::optional<int16_t> VYXCaughtCode(F&& f) {
  try {
    f();
  } catch (const CPException& e) {
    return e.Code();
  }
  return std::nullopt;
}

#define EXPECT_CP_CODE(code, statement) \
  EXPECT_EQ(std::optional<int16_t>(code), VYXCaughtCode([&] { statement; }))

// The folder of real-world statements (QIF, OFX), or empty when this machine has none.
std::filesystem::path VYXCorpusDir();

// Bytes of a file, for before/after comparisons.
std::string VYXReadFile(const std::filesystem::path& path);

// What a program run to its end wrote and answered.
struct VYXRunResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string out;    // standard output
  std::string err;    // standard error
};
// Runs `program` with `args` and waits for it; its input is empty.
VYXRunResult VYXRunProgram(const std::string& program, const std::vector<std::string>& args);
#ifdef VYX_BINARY_PATH
// Runs the real `vyx` built with the tests.
inline VYXRunResult VYXRunVyx(const std::vector<std::string>& args) {
  return VYXRunProgram(VYX_BINARY_PATH, args);
}
#endif

#endif  // VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_
