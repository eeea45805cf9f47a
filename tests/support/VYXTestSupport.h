// What every vyx test needs: a temporary folder removed at the end, the pinned
// clock and French settings, and an assertion that a call raises a given code.
#ifndef VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_
#define VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
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

// Sets an environment variable for the object's lifetime (VYX_ATTENTE, the
// wait for a busy file, most often).
class VYXScopedEnv {
 public:
  VYXScopedEnv(const char* name, const char* value);
  ~VYXScopedEnv();
  VYXScopedEnv(const VYXScopedEnv&) = delete;
  VYXScopedEnv& operator=(const VYXScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> was_;
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
// How a program is started: variables added to its environment, whether it
// runs as the user "nobody" (when the tests run as root, a user for whom a
// file without write permission really cannot be written), and a limit to
// the size of the files it writes.
struct VYXRunOptions {
  std::vector<std::pair<std::string, std::string>> env;
  bool asNobody = false;
  // When not 0: no file may grow past this many bytes (RLIMIT_FSIZE, with
  // SIGXFSZ ignored), so that writes beyond it come back short, then fail
  // with EFBIG, as on a disk that is full.
  uint64_t fileSizeLimit = 0;
  std::string cwd;  // its current folder, when not the tests'
};
// A program started and not yet waited for; its input is empty.
struct VYXRunningProgram {
  int pid = -1;
  int out = -1;
  int err = -1;
};
VYXRunningProgram VYXStartProgram(const std::string& program, const std::vector<std::string>& args,
                                  const VYXRunOptions& options = {});
// True once it has ended (its outputs are still to be read by VYXFinishProgram).
bool VYXProgramEnded(VYXRunningProgram& running);
// Reads its outputs to their end and waits for it.
VYXRunResult VYXFinishProgram(VYXRunningProgram& running);
// Runs `program` with `args` and waits for it; its input is empty.
VYXRunResult VYXRunProgram(const std::string& program, const std::vector<std::string>& args,
                           const VYXRunOptions& options = {});
#ifdef VYX_BINARY_PATH
// Runs the real `vyx` built with the tests.
inline VYXRunResult VYXRunVyx(const std::vector<std::string>& args,
                              const VYXRunOptions& options = {}) {
  return VYXRunProgram(VYX_BINARY_PATH, args, options);
}
inline VYXRunningProgram VYXStartVyx(const std::vector<std::string>& args,
                                     const VYXRunOptions& options = {}) {
  return VYXStartProgram(VYX_BINARY_PATH, args, options);
}
#endif

#endif  // VYX_TESTS_SUPPORT_VYXTESTSUPPORT_H_
