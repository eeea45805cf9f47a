// A files pack: bank scripts handed out as one file, which a user makes and
// opens with the common tools: a tar archive (plain, or compressed with gzip,
// bzip2 or xz: `tar czf banque.tar.gz *.txt`) or a zip archive. Read through
// libarchive. Entries are taken by index or by name; only regular files
// count (folders and links are passed over).
//
// A pack comes from elsewhere and is not trusted: one whose entry would
// land outside it (an absolute name, "..", a backslash) is refused whole, as
// one with too many entries or too many bytes once unpacked; an entry too
// large for a script is refused when asked for.
#ifndef VYX_ONLINE_CPFILESPACK_H_
#define VYX_ONLINE_CPFILESPACK_H_

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CPFilesPack {
 public:
  static constexpr size_t kMaxEntries = 10000;
  static constexpr uint64_t kMaxUnpackedBytes = 64u << 20;

  // Reads the list of the pack's entries. Raises kCPErrScriptNotFound when
  // it cannot be read as a pack, kCPErrScriptConfined for an entry that
  // leaves it, kCPErrScriptTooLarge past the limits above.
  static std::shared_ptr<const CPFilesPack> Open(const std::filesystem::path& path);

  const std::filesystem::path& GetPath() const { return path_; }
  size_t GetCount() const { return entries_.size(); }
  // The entry's name in the pack (UTF-8, "sous-dossier/script.txt", no "./").
  const std::string& GetName(size_t index) const { return entries_.at(index).name; }
  // The index of the entry `name` (UTF-8, compared as it stands once "./" and
  // doubled slashes are taken away), or npos.
  size_t Find(const std::string& name) const;
  // The bytes of entry `index`. Raises kCPErrScriptTooLarge for an entry
  // larger than a script may be, kCPErrScriptNotFound when it cannot be read.
  std::string GetEntry(size_t index) const;

  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  struct Entry {
    std::string name;
    size_t position;  // among all the archive's headers, folders included
    uint64_t size;
  };
  explicit CPFilesPack(std::filesystem::path path) : path_(std::move(path)) {}

  std::filesystem::path path_;
  std::vector<Entry> entries_;
};

// `name` as entries are compared: without "./" and empty parts; empty when
// it is no plain relative name (absolute, "..", a backslash).
std::string CPFilesPackEntryName(const std::string& name);

#endif  // VYX_ONLINE_CPFILESPACK_H_
