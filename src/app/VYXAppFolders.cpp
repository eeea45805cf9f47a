#include "app/VYXAppFolders.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

fs::path VYXApplicationFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path();
}

fs::path VYXExamplesFolder() {
  fs::path app = VYXApplicationFolder();
  if (app.empty()) return {};
  std::error_code ec;
  fs::path beside = app / "exemples";
  if (fs::is_directory(beside, ec)) return beside;
  fs::path shared = (app / ".." / "share" / "vyx" / "exemples").lexically_normal();
  if (fs::is_directory(shared, ec)) return shared;
#ifdef VYX_INSTALLED_EXAMPLES
  fs::path installed = VYX_INSTALLED_EXAMPLES;
  if (fs::is_directory(installed, ec)) return installed;
#endif
  return beside;
}

fs::path VYXDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) return fs::path(xdg) / "vyx";
  const char* home = std::getenv("HOME");
  return fs::path(home ? home : "") / ".local" / "share" / "vyx";
}
