// vyx-exemple FOLDER: writes the sample dossier into FOLDER, as the build
// installs it beside vyx. The clock is pinned so that every build makes the
// same files; they are made beside FOLDER and put in its place once whole.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "app/VYXSampleDossier.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage : vyx-exemple DOSSIER\n");
    return 2;
  }
  fs::path target = fs::absolute(argv[1]);
  fs::path partial = target;
  partial += ".partiel";
  try {
    VYXPinSampleClock();
    fs::remove_all(partial);
    VYXMakeSampleDossier(partial);
    // The share file tells who works in the dossier: nobody, in an installation.
    for (const fs::directory_entry& entry : fs::directory_iterator(partial)) {
      if (entry.path().extension() == ".shr") fs::remove(entry.path());
    }
    fs::remove_all(target);
    fs::rename(partial, target);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vyx-exemple : %s\n", e.what());
    fs::remove_all(partial);
    return 1;
  }
  return 0;
}
