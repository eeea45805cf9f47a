#include "userfile/VYXCompteFiles.h"

#include <cstring>

#include "userfile/VYXSDBUserPreferences.h"

std::string VYXCompteNameOfFile(const CPFileSpec& file) {
  std::string name = file.Name();
  size_t n = std::strlen(kVYXCompteExtension);
  if (name.size() > n && name.compare(name.size() - n, n, kVYXCompteExtension) == 0) {
    name.resize(name.size() - n);
  }
  return name;
}

CPFileSpec VYXCompteFileIn(const CPFileSpec& folder, const std::string& name) {
  return CPFileSpec(folder.Path() / (name + kVYXCompteExtension));
}

std::vector<CPFileSpec> VYXCompanionFiles(const CPFileSpec& file) {
  std::string name = file.Name();
  if (name.size() > 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  return {file.Sibling(name + ".evt"), file.Sibling(name + ".shr")};
}

bool VYXIsUserFile(const CPFileSpec& file) {
  CPFile f;
  if (f.Open(file, kCPFileRead) != 0) return false;
  unsigned char header[16];
  size_t done = 0;
  if (f.Read(0, header, sizeof header, &done) != 0 || done != sizeof header) return false;
  const unsigned char* signature = kVYXUserFileSignature;
  if (std::memcmp(header, signature, signature[0] + 1u) != 0) return false;
  // The type is stored as its four characters in text order.
  OSType type = (OSType(header[12]) << 24) | (OSType(header[13]) << 16) | (OSType(header[14]) << 8) |
                OSType(header[15]);
  return type == kVYXUserFileType;
}
