// The user's application-wide preferences: typed values under text keys, kept in
// one JSON file of the user's configuration folder. Nothing here throws: reads
// answer false when a key is missing or holds another type, and file operations
// answer a system code (CPOSErr.h) or one of CPPlatformErrors.h.
//
// Writing replaces the file atomically (temporary file, fsync, rename) with mode
// 0600, as it may hold a mail password. Only the keys this process changed are
// written over what is on disk at that moment, under a lock of the folder, so
// two vyx processes that change different keys both keep their changes.
//
// A file that is not a JSON object is never overwritten: it is renamed aside
// (".bak", then ".bak.1", ...) and the store goes on empty; the caller learns
// the name through TakeSetAside() and tells the user.
//
// Texts cross this interface in UTF-8, as the file holds them: callers convert
// from and to MacRoman.
#ifndef VYX_PLATFORM_CPPREFERENCESTORE_H_
#define VYX_PLATFORM_CPPREFERENCESTORE_H_

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/CPMacTypes.h"

class CPPreferenceStore {
 public:
  // A store kept in `file` (which need not exist yet).
  explicit CPPreferenceStore(std::filesystem::path file);
  ~CPPreferenceStore();
  CPPreferenceStore(const CPPreferenceStore&) = delete;
  CPPreferenceStore& operator=(const CPPreferenceStore&) = delete;

  // "$XDG_CONFIG_HOME/vyx/preferences.json", or "~/.config/vyx/preferences.json"
  // when that variable is unset or not an absolute path.
  static std::filesystem::path DefaultFile();

  const std::filesystem::path& File() const { return file_; }

  // Reads the file, forgetting unsaved changes. A missing file is an empty
  // store. A damaged one is set aside and answers kCPErrPrefsDamaged with the
  // store empty and usable. Any other failure (a file we may not read) answers
  // its code and keeps the store from saving, so that the file is not replaced
  // by one that lost its keys.
  OSErr Load();
  // Writes the changed keys (see above). noErr when nothing changed.
  OSErr Save();
  bool HasUnsavedChanges() const;

  // The file set aside by the last Load or Save, once; empty when none was.
  std::filesystem::path TakeSetAside();

  bool Has(const std::string& key) const;
  bool GetBool(const std::string& key, bool* value) const;
  // A 32-bit integer, as the application's "long"; other numbers are not found.
  bool GetLong(const std::string& key, int32_t* value) const;
  bool GetString(const std::string& key, std::string* utf8) const;
  bool GetPath(const std::string& key, std::filesystem::path* value) const;
  // Seconds since 1904, local time, as every date of the system.
  bool GetDate(const std::string& key, CPDate* value) const;
  bool GetStringList(const std::string& key, std::vector<std::string>* utf8) const;

  void SetBool(const std::string& key, bool value);
  void SetLong(const std::string& key, int32_t value);
  // kCPErrPrefsBadValue, changing nothing, when the text is not valid UTF-8
  // (or the path not a UTF-8 name).
  OSErr SetString(const std::string& key, const std::string& utf8);
  OSErr SetPath(const std::string& key, const std::filesystem::path& value);
  void SetDate(const std::string& key, CPDate value);
  OSErr SetStringList(const std::string& key, const std::vector<std::string>& utf8);
  void Remove(const std::string& key);

 private:
  struct Values;  // the JSON object and the keys changed since the last Load/Save

  std::filesystem::path file_;
  std::unique_ptr<Values> values_;
  OSErr loadError_ = 0;  // a read failure that forbids saving
  std::filesystem::path setAside_;
};

#endif  // VYX_PLATFORM_CPPREFERENCESTORE_H_
