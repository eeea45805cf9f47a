// Where scripts are looked up: a local folder, a folder on a web server
// (a base address), or a files pack (CPFilesPack.h), whose scripts INCLUDE
// and DO only what is inside the pack. A container and a file name give a CPSimpleScriptRef of
// the matching kind. Names given by scripts are confined to the container:
// a name that climbs out of it ("..", an absolute path, another address) is
// refused with kCPErrScriptConfined, since a script downloaded from a bank's
// or a vendor's site must not read the user's other files.
#ifndef VYX_ONLINE_CPFILECONTAINER_H_
#define VYX_ONLINE_CPFILECONTAINER_H_

#include <filesystem>
#include <memory>
#include <string>

#include "online/CPSimpleScriptRef.h"

class CPFileContainer {
 public:
  enum Kind { kFolder = 1, kUrl = 2, kFilesPack = 3 };

  CPFileContainer() = default;
  static CPFileContainer Folder(const std::filesystem::path& folder);
  static CPFileContainer Url(const std::string& baseUrl);
  // Opens the pack (raising what CPFilesPack::Open raises).
  static CPFileContainer Pack(const std::filesystem::path& packFile);

  Kind GetKind() const { return kind_; }
  const std::filesystem::path& GetFolder() const { return folder_; }
  const std::string& GetBaseUrl() const { return baseUrl_; }
  const std::shared_ptr<const CPFilesPack>& GetPack() const { return pack_; }

  // The script `fileName` (MacRoman), in the sub-folder `subFolder` (empty
  // for the container itself). Raises kCPErrScriptConfined for a name that
  // leaves the container.
  CPSimpleScriptRef Ref(const std::string& subFolder, const std::string& fileName) const;
  CPSimpleScriptRef Ref(const std::string& fileName) const { return Ref({}, fileName); }

 private:
  Kind kind_ = kFolder;
  std::filesystem::path folder_;
  std::string baseUrl_;
  std::shared_ptr<const CPFilesPack> pack_;
};

// Whether `path` lies inside `root` once both are resolved (symbolic links
// followed): a link that points out of the folder does not count as inside.
bool CPPathIsInside(const std::filesystem::path& path, const std::filesystem::path& root);

// Raises kCPErrScriptConfined unless `relative` is a plain relative name:
// no "..", no absolute path, no address, no control character.
void CPCheckRelativeName(const std::string& relative);

#endif  // VYX_ONLINE_CPFILECONTAINER_H_
