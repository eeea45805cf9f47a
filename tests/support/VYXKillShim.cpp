// Loaded into a program with LD_PRELOAD, counts the program's writes to
// files (pwrite, ftruncate: every write of vyx's files goes through them) and
// kills the program with SIGKILL just before write number VYX_KILL_AT, so
// that a test can stop a real process at any chosen point of its work. With
// VYX_WRITE_LOG, each write is first recorded there as "number path".
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

long gKillAt = -1;
long gCount = 0;

void Count(int fd) {
  if (gKillAt < 0) {
    const char* at = std::getenv("VYX_KILL_AT");
    gKillAt = at ? std::atol(at) : 0;
  }
  ++gCount;
  if (const char* log = std::getenv("VYX_WRITE_LOG")) {
    char link[64], path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = ::readlink(link, path, sizeof path - 1);
    path[n > 0 ? n : 0] = 0;
    int out = ::open(log, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (out >= 0) {
      char line[4200];
      int len = std::snprintf(line, sizeof line, "%ld %s\n", gCount, path);
      if (len > 0 && ::write(out, line, size_t(len)) < 0) {
      }
      ::close(out);
    }
  }
  if (gKillAt > 0 && gCount >= gKillAt) ::kill(::getpid(), SIGKILL);
}

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  Count(fd);
  return real(fd, buf, count, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t count, off64_t offset) {
  static auto real = Real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
  Count(fd);
  return real(fd, buf, count, offset);
}

int ftruncate(int fd, off_t length) {
  static auto real = Real<int (*)(int, off_t)>("ftruncate");
  Count(fd);
  return real(fd, length);
}

int ftruncate64(int fd, off64_t length) {
  static auto real = Real<int (*)(int, off64_t)>("ftruncate64");
  Count(fd);
  return real(fd, length);
}

}  // extern "C"
