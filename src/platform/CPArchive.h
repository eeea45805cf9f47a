// Reading archives (tar, plain or compressed with gzip, bzip2 or xz; zip):
// the work is done by the module vyx-archive (archive/CPArchiveRead.cpp),
// loaded the first time a command opens one, so that libarchive and its
// compression libraries are not loaded by every start of the program.
// Nothing here throws: a failure answers false with libarchive's words in `why`.
#ifndef VYX_PLATFORM_CPARCHIVE_H_
#define VYX_PLATFORM_CPARCHIVE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct CPArchiveEntry {
  std::string name;      // as stored, not checked
  bool regular = false;  // a file, not a folder or a link
  uint64_t size = 0;     // as announced by its header
};

// The headers of the archive, in order, at most `maxEntries` + 1 of them (one
// more says there are too many).
bool CPArchiveList(const std::filesystem::path& path, size_t maxEntries, std::vector<CPArchiveEntry>* entries,
                   std::string* why);

// The bytes of the entry at `position` among the headers, reading at most
// `maxBytes` + 1 of them (one more says it is larger: `*tooLarge`).
bool CPArchiveRead(const std::filesystem::path& path, size_t position, size_t maxBytes, std::string* bytes,
                   bool* tooLarge, std::string* why);

#endif  // VYX_PLATFORM_CPARCHIVE_H_
