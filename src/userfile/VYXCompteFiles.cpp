#include "userfile/VYXCompteFiles.h"

#include <cstring>

#include "accounts/VYXSDBCompte.h"
#include "userfile/VYXSDBUserPreferences.h"

std::string VYXCompteNameOfFile(const CPFileRef& file) {
  std::string name = file.Name();
  size_t n = std::strlen(kVYXCompteExtension);
  if (name.size() > n && name.compare(name.size() - n, n, kVYXCompteExtension) == 0) {
    name.resize(name.size() - n);
  }
  return name;
}

CPFileRef VYXCompteFileIn(const CPFileRef& folder, const std::string& name) {
  return CPFileRef(folder.Path() / (name + kVYXCompteExtension));
}

std::vector<CPFileRef> VYXCompanionFiles(const CPFileRef& file) {
  std::string name = file.Name();
  if (name.size() > 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  return {file.Sibling(name + ".evt"), file.Sibling(name + ".shr")};
}

namespace {

// Whether the database header of `file` carries `signature` (a C string)
// and `type`, stored as its four characters in text order.
bool HeaderIs(const CPFileRef& file, const char* signature, OSType type) {
  CPFile f;
  if (f.Open(file, kCPFileRead) != 0) return false;
  unsigned char header[16];
  size_t done = 0;
  if (f.Read(0, header, sizeof header, &done) != 0 || done != sizeof header) return false;
  size_t length = std::strlen(signature);
  if (header[0] != length || std::memcmp(header + 1, signature, length) != 0) return false;
  OSType stored = (OSType(header[12]) << 24) | (OSType(header[13]) << 16) |
                  (OSType(header[14]) << 8) | OSType(header[15]);
  return stored == type;
}

}  // namespace

bool VYXIsUserFile(const CPFileRef& file) {
  return HeaderIs(file, reinterpret_cast<const char*>(kVYXUserFileSignature + 1), kVYXUserFileType);
}

bool VYXIsCompteFile(const CPFileRef& file) {
  return HeaderIs(file, kVYXCompteSignature, kVYXCompteFileType);
}
