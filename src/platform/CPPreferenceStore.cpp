#include "platform/CPPreferenceStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <set>
#include <system_error>

#include <nlohmann/json.hpp>

#include "platform/CPFileRef.h"
#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"
#include "platform/CPUtf8.h"

namespace fs = std::filesystem;
using json = nlohmann::json;

struct CPPreferenceStore::Values {
  json object = json::object();
  std::set<std::string> changed;

  // A value set as it already was is no change: the file is not rewritten for it.
  void Set(const std::string& key, json value) {
    auto it = object.find(key);
    if (it != object.end() && *it == value) return;
    object[key] = std::move(value);
    changed.insert(key);
  }
};

namespace {

// Holds an exclusive lock on the preferences folder while one process reads or
// replaces the file, so that a merge never works from a file another process is
// about to replace, and a damaged file is not set aside twice.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
      err_ = CPFileSystem::FromErrno(errno);
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        err_ = CPFileSystem::FromErrno(errno);
        return;
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  OSErr Error() const { return err_; }
  // Makes a rename in the folder durable.
  void SyncFolder() const {
    if (fd_ >= 0) ::fsync(fd_);
  }

 private:
  int fd_ = -1;
  OSErr err_ = noErr;
};

OSErr ReadWholeFile(const fs::path& path, std::string* text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return CPFileSystem::FromErrno(errno);
  text->clear();
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return CPFileSystem::FromErrno(err);
    }
    if (n == 0) break;
    text->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return noErr;
}

OSErr WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return CPFileSystem::FromErrno(errno);
    }
    done += static_cast<size_t>(n);
  }
  return noErr;
}

// The first free name among "<file>.bak", "<file>.bak.1", "<file>.bak.2"...
fs::path SetAsideName(const fs::path& file) {
  std::error_code ec;
  fs::path candidate = file.string() + ".bak";
  for (int n = 1; fs::exists(candidate, ec) && n < 1000; ++n) {
    candidate = file.string() + ".bak." + std::to_string(n);
  }
  return candidate;
}

// Reads the file (under the folder lock) into `out`. A damaged file is renamed
// aside, its new name left in `setAside`, and reads as an empty object.
OSErr ReadLocked(const fs::path& file, json* out, fs::path* setAside) {
  std::string text;
  OSErr err = ReadWholeFile(file, &text);
  if (err == fnfErr) {
    *out = json::object();
    return noErr;
  }
  if (err != noErr) return err;
  json parsed = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (!parsed.is_discarded() && parsed.is_object()) {
    *out = std::move(parsed);
    return noErr;
  }
  fs::path aside = SetAsideName(file);
  if (::rename(file.c_str(), aside.c_str()) != 0) return CPFileSystem::FromErrno(errno);
  *setAside = aside;
  *out = json::object();
  return kCPErrPrefsDamaged;
}

}  // namespace

CPPreferenceStore::CPPreferenceStore(fs::path file)
    : file_(std::move(file)), values_(std::make_unique<Values>()) {}

CPPreferenceStore::~CPPreferenceStore() = default;

fs::path CPPreferenceStore::DefaultFile() {
  fs::path base;
  // Relative values are to be ignored, as the XDG rules say.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = fs::path(home) / ".config";
  } else {
    base = fs::current_path() / ".config";
  }
  return base / "vyx" / "preferences.json";
}

bool CPPreferenceStore::HasUnsavedChanges() const { return !values_->changed.empty(); }

fs::path CPPreferenceStore::TakeSetAside() {
  fs::path taken = std::move(setAside_);
  setAside_.clear();
  return taken;
}

OSErr CPPreferenceStore::Load() {
  values_->object = json::object();
  values_->changed.clear();
  loadError_ = noErr;
  std::error_code ec;
  if (!fs::exists(file_.parent_path(), ec)) return noErr;
  FolderLock lock(file_.parent_path());
  if (lock.Error() != noErr) return loadError_ = lock.Error();
  json read;
  OSErr err = ReadLocked(file_, &read, &setAside_);
  if (err != noErr && err != kCPErrPrefsDamaged) return loadError_ = err;
  if (err == kCPErrPrefsDamaged) lock.SyncFolder();
  values_->object = std::move(read);
  return err;
}

OSErr CPPreferenceStore::Save() {
  if (loadError_ != noErr) return loadError_;
  if (values_->changed.empty()) return noErr;
  fs::path folder = file_.parent_path();
  std::error_code ec;
  if (!fs::exists(folder, ec)) {
    fs::create_directories(folder, ec);
    if (ec) return CPFileSystem::FromErrno(ec.value());
    // Only the user reads the folder of a file that may hold a password.
    fs::permissions(folder, fs::perms::owner_all, ec);
  }
  FolderLock lock(folder);
  if (lock.Error() != noErr) return lock.Error();

  // Start from what is on disk now, so that keys other processes changed since
  // our Load survive, and lay our own changes over it.
  json merged;
  OSErr err = ReadLocked(file_, &merged, &setAside_);
  if (err != noErr && err != kCPErrPrefsDamaged) return err;
  for (const std::string& key : values_->changed) {
    auto it = values_->object.find(key);
    if (it != values_->object.end()) {
      merged[key] = *it;
    } else {
      merged.erase(key);
    }
  }
  // A damaged file on disk was set aside: what we hold is the best copy left.
  if (err == kCPErrPrefsDamaged) merged.update(values_->object);

  std::string text;
  try {
    text = merged.dump(2) + "\n";
  } catch (const json::exception&) {
    return kCPErrPrefsBadValue;
  }

  std::string tmpl = file_.string() + ".XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return CPFileSystem::FromErrno(errno);
  err = noErr;
  if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) err = CPFileSystem::FromErrno(errno);
  if (err == noErr) err = WriteAll(fd, text);
  if (err == noErr && ::fsync(fd) != 0) err = CPFileSystem::FromErrno(errno);
  if (::close(fd) != 0 && err == noErr) err = CPFileSystem::FromErrno(errno);
  if (err == noErr && ::rename(tmpl.c_str(), file_.c_str()) != 0) err = CPFileSystem::FromErrno(errno);
  if (err != noErr) {
    ::unlink(tmpl.c_str());
    return err;
  }
  lock.SyncFolder();
  values_->object = std::move(merged);
  values_->changed.clear();
  return noErr;
}

bool CPPreferenceStore::Has(const std::string& key) const { return values_->object.contains(key); }

bool CPPreferenceStore::GetBool(const std::string& key, bool* value) const {
  auto it = values_->object.find(key);
  if (it == values_->object.end() || !it->is_boolean()) return false;
  *value = it->get<bool>();
  return true;
}

bool CPPreferenceStore::GetLong(const std::string& key, int32_t* value) const {
  auto it = values_->object.find(key);
  if (it == values_->object.end() || !it->is_number_integer()) return false;
  if (it->is_number_unsigned()) {
    uint64_t u = it->get<uint64_t>();
    if (u > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
    *value = static_cast<int32_t>(u);
    return true;
  }
  int64_t v = it->get<int64_t>();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

bool CPPreferenceStore::GetString(const std::string& key, std::string* utf8) const {
  auto it = values_->object.find(key);
  if (it == values_->object.end() || !it->is_string()) return false;
  *utf8 = it->get<std::string>();
  return true;
}

bool CPPreferenceStore::GetPath(const std::string& key, fs::path* value) const {
  std::string text;
  if (!GetString(key, &text) || text.empty()) return false;
  *value = fs::path(text);
  return true;
}

bool CPPreferenceStore::GetDate(const std::string& key, CPDate* value) const {
  auto it = values_->object.find(key);
  if (it == values_->object.end() || !it->is_number_unsigned()) return false;
  uint64_t u = it->get<uint64_t>();
  if (u > std::numeric_limits<CPDate>::max()) return false;
  *value = static_cast<CPDate>(u);
  return true;
}

bool CPPreferenceStore::GetStringList(const std::string& key, std::vector<std::string>* utf8) const {
  auto it = values_->object.find(key);
  if (it == values_->object.end() || !it->is_array()) return false;
  std::vector<std::string> list;
  for (const json& item : *it) {
    if (item.is_string()) list.push_back(item.get<std::string>());
  }
  *utf8 = std::move(list);
  return true;
}

void CPPreferenceStore::SetBool(const std::string& key, bool value) { values_->Set(key, value); }

void CPPreferenceStore::SetLong(const std::string& key, int32_t value) { values_->Set(key, value); }

OSErr CPPreferenceStore::SetString(const std::string& key, const std::string& utf8) {
  if (!CPIsValidUtf8(utf8)) return kCPErrPrefsBadValue;
  values_->Set(key, utf8);
  return noErr;
}

OSErr CPPreferenceStore::SetPath(const std::string& key, const fs::path& value) {
  return SetString(key, value.string());
}

void CPPreferenceStore::SetDate(const std::string& key, CPDate value) {
  values_->Set(key, static_cast<uint64_t>(value));
}

OSErr CPPreferenceStore::SetStringList(const std::string& key, const std::vector<std::string>& utf8) {
  json list = json::array();
  for (const std::string& item : utf8) {
    if (!CPIsValidUtf8(item)) return kCPErrPrefsBadValue;
    list.push_back(item);
  }
  values_->Set(key, std::move(list));
  return noErr;
}

void CPPreferenceStore::Remove(const std::string& key) {
  values_->object.erase(key);
  values_->changed.insert(key);
}
