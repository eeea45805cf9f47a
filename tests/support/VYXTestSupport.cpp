#include "support/VYXTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
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

VYXScopedEnv::VYXScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* was = std::getenv(name)) was_ = was;
  ::setenv(name, value, 1);
}

VYXScopedEnv::~VYXScopedEnv() {
  if (was_) {
    ::setenv(name_.c_str(), was_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
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

VYXRunningProgram VYXStartProgram(const std::string& program, const std::vector<std::string>& args,
                                  const VYXRunOptions& options) {
  VYXRunningProgram running;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return running;
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]), ::close(err[0]), ::close(out[1]), ::close(err[1]);
    for (const auto& [name, value] : options.env) ::setenv(name.c_str(), value.c_str(), 1);
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
    if (options.asNobody && ::geteuid() == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
    }
    if (options.fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);  // kept through exec: writes fail instead of killing
      struct rlimit limit = {options.fileSizeLimit, options.fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  running.pid = pid;
  running.out = out[0];
  running.err = err[0];
  return running;
}

bool VYXProgramEnded(VYXRunningProgram& running) {
  siginfo_t info = {};
  return ::waitid(P_PID, static_cast<id_t>(running.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == running.pid;
}

VYXRunResult VYXFinishProgram(VYXRunningProgram& running) {
  VYXRunResult result;
  if (running.pid < 0) return result;
  // Both pipes are drained together so that a full one never blocks the child.
  struct pollfd fds[2] = {{running.out, POLLIN, 0}, {running.err, POLLIN, 0}};
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
  ::waitpid(running.pid, &status, 0);
  running.pid = -1;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

VYXRunResult VYXRunProgram(const std::string& program, const std::vector<std::string>& args,
                           const VYXRunOptions& options) {
  VYXRunningProgram running = VYXStartProgram(program, args, options);
  return VYXFinishProgram(running);
}
