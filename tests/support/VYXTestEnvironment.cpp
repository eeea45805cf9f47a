// Linked into every test program. CTest passes a test only one environment
// variable through gtest_discover_tests (its ENVIRONMENT value cannot hold a
// list), so what the tests and the programs they start need is set here,
// before any test runs.
#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    ::setenv("TZ", "Europe/Paris", 0);
    ::setenv("VYX_CORPUS", VYX_CORPUS_DIR, 0);
    // Tests talk to servers they start on this machine, never through a proxy.
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
  }
};

TestEnvironment environment;

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its configuration and pattern caches for the life of the
// process (pango's font map holds them) and never frees them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// Said once at exit, the list of suppressions used would end up in the
// output that tests compare.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
