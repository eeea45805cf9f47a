#include "cli/VYXCommandLine.h"

int main(int argc, char** argv) { return VYXRunCommandLine(argc, argv); }

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its configuration and pattern caches for the life of the
// process (pango's font map holds them) and never frees them; in a sanitized
// build LeakSanitizer would report them at the exit of every program that
// lays out a document.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// Said once at exit, the list of suppressions used would end up in the
// output that tests compare.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
