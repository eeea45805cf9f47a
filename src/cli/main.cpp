#include "cli/VYXCommandLine.h"

int main(int argc, char** argv) { return VYXRunCommandLine(argc, argv); }

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its configuration and pattern caches for the life of the
// process (pango's font map holds them) and never frees them; in a sanitized
// build LeakSanitizer would report them at the exit of every program that
// lays out a document.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
