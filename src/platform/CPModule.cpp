#include "platform/CPModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Where the build writes the modules; a program that was moved or installed
// finds them beside itself first.
#ifndef VYX_MODULE_DIR
#define VYX_MODULE_DIR ""
#endif

std::string FileOf(const std::string& name) { return name + ".so"; }

void* Open(const std::string& name, std::string* why) {
  std::vector<fs::path> places;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    places.push_back(self.parent_path() / FileOf(name));
    places.push_back(self.parent_path().parent_path() / "lib" / "vyx" / FileOf(name));  // installed
  }
  if (*VYX_MODULE_DIR) places.push_back(fs::path(VYX_MODULE_DIR) / FileOf(name));
  std::string reasons;
  for (const fs::path& place : places) {
    if (!fs::exists(place, ec)) continue;
    // Local: the module's own copies of what the program also holds stay its own.
    if (void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    const char* error = dlerror();
    reasons += error ? error : place.string();
  }
  *why = reasons.empty() ? FileOf(name) + " : fichier introuvable" : reasons;
  return nullptr;
}

}  // namespace

void* CPModuleSymbol(const std::string& name, const char* symbol, std::string* why) {
  static std::mutex mutex;
  static std::map<std::string, void*> handles;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = handles.find(name);
  void* handle = found != handles.end() ? found->second : nullptr;
  if (!handle) {
    handle = Open(name, why);
    if (!handle) return nullptr;
    handles[name] = handle;
  }
  void* address = dlsym(handle, symbol);
  if (!address) *why = name + " : " + symbol + " absent";
  return address;
}
