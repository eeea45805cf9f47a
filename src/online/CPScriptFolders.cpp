// The special folders a script may name, on a Linux desktop: the XDG folders.
#include <cstdlib>
#include <fstream>

#include "app/VYXAppFolders.h"
#include "online/CPSimpleScriptRunner.h"

namespace fs = std::filesystem;

namespace {

fs::path Home() {
  const char* home = std::getenv("HOME");
  return home && *home ? fs::path(home) : fs::path("/");
}

fs::path FromEnv(const char* variable, const fs::path& fallback) {
  const char* v = std::getenv(variable);
  return v && *v == '/' ? fs::path(v) : fallback;
}

// A user folder ("DESKTOP", "DOCUMENTS") as user-dirs.dirs names it.
fs::path UserDir(const std::string& key, const fs::path& fallback) {
  fs::path config = FromEnv("XDG_CONFIG_HOME", Home() / ".config") / "user-dirs.dirs";
  std::ifstream in(config);
  std::string line, prefix = "XDG_" + key + "_DIR=";
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::string value = line.substr(prefix.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) return Home() / fs::path(value.substr(5)).relative_path();
    if (!value.empty() && value[0] == '/') return value;
  }
  return fallback;
}

}  // namespace

bool CPSimpleScriptRunner::GetSpecialFolder(std::string_view name, fs::path* folder) const {
  if (name == "APPFOLDER") *folder = VYXApplicationFolder();
  else if (name == "CACHE") *folder = FromEnv("XDG_CACHE_HOME", Home() / ".cache") / "vyx";
  else if (name == "DESKTOP") *folder = UserDir("DESKTOP", Home() / "Desktop");
  else if (name == "USER") *folder = Home();
  else if (name == "DOCUMENT" || name == "DOCUMENTS") *folder = UserDir("DOCUMENTS", Home() / "Documents");
  else return false;
  return !folder->empty();
}
