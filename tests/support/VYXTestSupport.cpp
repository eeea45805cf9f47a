#include "support/VYXTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

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

VYXRunResult VYXRunProgram(const std::string& program, const std::vector<std::string>& args) {
  VYXRunResult result;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return result;
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]), ::close(err[0]), ::close(out[1]), ::close(err[1]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  // Both pipes are drained together so that a full one never blocks the child.
  struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && ::poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}
