// The `vyx` command: parses the command line (French help), runs the command
// and turns exceptions into French messages and exit codes: 0 success, 1 a
// refused or failed command, 2 a usage error. A cancelled command prints nothing.
#ifndef VYX_CLI_VYXCOMMANDLINE_H_
#define VYX_CLI_VYXCOMMANDLINE_H_

int VYXRunCommandLine(int argc, char** argv);

#endif  // VYX_CLI_VYXCOMMANDLINE_H_
