// Where a user file finds an account's file: the path from the user file's
// folder and the absolute path, both taken when the account was added. The
// relative path is tried first, so that a dossier folder moved or copied as a
// whole (user file and accounts together) still finds its own accounts; the
// absolute one finds accounts that stayed where they were when the user file
// alone moved. When neither leads to the file the user is asked where it is.
// Kept as resources of type 'alis' (docs/user-file.md gives the bytes).
#ifndef VYX_USERFILE_VYXFILEALIAS_H_
#define VYX_USERFILE_VYXFILEALIAS_H_

#include <string>
#include <vector>

#include "foundation/CPDataEncoding.h"
#include "platform/CPFileRef.h"
#include "resources/CPResourceSet.h"

constexpr ResType kVYXAliasType = 'alis';
constexpr uint16_t kVYXAliasVersion = 1;

struct VYXFileAlias {
  std::string relative;  // from the user file's folder, '/'-separated, as the file system spells it
  std::string absolute;

  // The alias of `target` as seen from the file `from`.
  static VYXFileAlias Make(const CPFileRef& target, const CPFileRef& from);

  // The body in the host's byte order (the set converts it); and back. False
  // when the bytes are not an alias (too short, lengths past the end, unknown
  // version).
  std::vector<unsigned char> Write() const;
  bool Read(const void* data, size_t size);
};

// How an alias was resolved.
enum class VYXAliasResolution {
  kRelative,  // the path from the user file's folder
  kBeside,    // a file of that name beside the user file
  kAbsolute,  // the absolute path, inside the user file's folder
  kOutside,   // the absolute path, outside the user file's folder
  kAsked,     // the user said where the file is now
  kNotAFile,  // where the file should be lies a directory (or another non-file)
  kNotFound,  // neither path, and the user did not say (or was not asked)
};

// Finds the file of `alias`, seen from `from`: first beside the user file
// (its relative path, then its name in the user file's folder), so that a
// dossier folder moved or copied whole finds its own accounts; then its
// absolute path. A file found there outside the user file's folder is only
// reported as such (kOutside): it may be the original of a copied dossier,
// which the copy must not write behind the user's back. With `ask`, when
// neither path leads to a file, the user is asked through the interaction
// for a path to the file named `name` (MacRoman), again when an answer names
// no file, until an answer names one or the user cancels. `expected` (may be
// null) receives where the file was looked for beside the user file; `found`
// where it is (for kNotAFile, what lies there instead).
VYXAliasResolution VYXResolveAlias(const VYXFileAlias& alias, const CPFileRef& from,
                                   const std::string& name, bool ask, CPFileRef* found,
                                   CPFileRef* expected = nullptr);

// The set of aliases of a user file: variable bodies whose three numbers are
// converted between byte orders.
class VYXUserAliasesSet : public CPResourceSet {
 public:
  explicit VYXUserAliasesSet(CPResourceStorage& storage)
      : CPResourceSet(storage, kVYXAliasType, kCPVariableSize) {}

  using CPResourceSet::DecodeResource;
  using CPResourceSet::EncodeResource;
  void EncodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override;
  void DecodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override;

  bool ReadAlias(CPResID id, VYXFileAlias* alias);
  // Adds or replaces; raises when it cannot be written.
  void WriteAlias(CPResID id, const VYXFileAlias& alias);
};

#endif  // VYX_USERFILE_VYXFILEALIAS_H_
