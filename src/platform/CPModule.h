// Modules: parts of vyx built as shared objects beside the program and
// loaded the first time a command needs them, so that the libraries they
// pull in (libcurl and its TLS, Kerberos and LDAP stacks) are not loaded by
// every start of the program. A module is looked for beside the running
// program, then where the build put it.
#ifndef VYX_PLATFORM_CPMODULE_H_
#define VYX_PLATFORM_CPMODULE_H_

#include <string>

// The address of `symbol` in module `name` ("vyx-http"), loading it once;
// null when it cannot be loaded, with the loader's reason in `why`.
void* CPModuleSymbol(const std::string& name, const char* symbol, std::string* why);

#endif  // VYX_PLATFORM_CPMODULE_H_
