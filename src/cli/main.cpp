#include "cli/VYXCommandLine.h"

int main(int argc, char** argv) { return VYXRunCommandLine(argc, argv); }
