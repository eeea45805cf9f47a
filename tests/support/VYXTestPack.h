// Files packs written for the tests with libarchive: well-formed ones as
// `tar` and `zip` make them, and hostile ones no common tool would write
// (absolute names, "..", links, sizes that lie).
#ifndef VYX_TESTS_SUPPORT_VYXTESTPACK_H_
#define VYX_TESTS_SUPPORT_VYXTESTPACK_H_

#include <filesystem>
#include <string>
#include <vector>

struct VYXTestPackEntry {
  enum Kind { kFile, kFolder, kLink };
  VYXTestPackEntry(std::string n, std::string c = {}, Kind k = kFile, std::string t = {})
      : name(std::move(n)), content(std::move(c)), kind(k), target(std::move(t)) {}
  std::string name;
  std::string content;
  Kind kind;
  std::string target;  // of a link
};

enum class VYXTestPackFormat { kTar, kTarGz, kZip };

void VYXWritePack(const std::filesystem::path& path, VYXTestPackFormat format,
                  const std::vector<VYXTestPackEntry>& entries);

#endif  // VYX_TESTS_SUPPORT_VYXTESTPACK_H_
