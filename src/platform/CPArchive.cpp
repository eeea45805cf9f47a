// The program's side of archive reading: the work is in the module vyx-archive.
#include "platform/CPArchive.h"

#include "platform/CPModule.h"

bool CPArchiveList(const std::filesystem::path& path, size_t maxEntries, std::vector<CPArchiveEntry>* entries,
                   std::string* why) {
  using List = bool(const std::filesystem::path&, size_t, std::vector<CPArchiveEntry>*, std::string*);
  auto* list = reinterpret_cast<List*>(CPModuleSymbol("vyx-archive", "vyx_archive_list", why));
  return list && list(path, maxEntries, entries, why);
}

bool CPArchiveRead(const std::filesystem::path& path, size_t position, size_t maxBytes, std::string* bytes,
                   bool* tooLarge, std::string* why) {
  using Read = bool(const std::filesystem::path&, size_t, size_t, std::string*, bool*, std::string*);
  *tooLarge = false;
  auto* read = reinterpret_cast<Read*>(CPModuleSymbol("vyx-archive", "vyx_archive_read", why));
  return read && read(path, position, maxBytes, bytes, tooLarge, why);
}
