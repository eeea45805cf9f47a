// Where vyx finds its own files: the folder of the program, the examples
// installed beside it, and the user's data folder, where the sample dossier
// is copied before it is opened (the installed one is never written to).
#ifndef VYX_APP_VYXAPPFOLDERS_H_
#define VYX_APP_VYXAPPFOLDERS_H_

#include <filesystem>

// The folder of the running program; empty when the system does not say.
std::filesystem::path VYXApplicationFolder();
// "exemples" beside the program (the build tree), or "../share/vyx/exemples"
// from it (an installation, in ~/.local or /usr), or the one the build's
// install prefix names, the first that exists; "exemples" beside the program
// when none does.
std::filesystem::path VYXExamplesFolder();
// "$XDG_DATA_HOME/vyx", or "~/.local/share/vyx" when that variable is unset
// or not an absolute path.
std::filesystem::path VYXDataFolder();

#endif  // VYX_APP_VYXAPPFOLDERS_H_
